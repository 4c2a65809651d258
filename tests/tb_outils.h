// Helpers of the tablebase tests: scratch directories and table files.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tablebase/classes.h"
#include "tablebase/encode.h"
#include "tablebase/generation.h"

namespace tb_test {

// A fresh directory under /tmp, removed with its files by the destructor.
struct Repertoire {
  std::string chemin;
  Repertoire() {
    char modele[] = "/tmp/pellarq_tb_XXXXXX";
    chemin = mkdtemp(modele);
  }
  ~Repertoire() { (void)!system(("rm -rf '" + chemin + "'").c_str()); }
  std::string operator/(const std::string& nom) const { return chemin + "/" + nom; }
};

inline void ecrit(const std::string& chemin, const std::vector<uint8_t>& octets) {
  FILE* f = fopen(chemin.c_str(), "wb");
  if (!f) abort();
  fwrite(octets.data(), 1, octets.size(), f);
  fclose(f);
}

inline std::vector<uint8_t> lit(const std::string& chemin) {
  std::vector<uint8_t> v;
  FILE* f = fopen(chemin.c_str(), "rb");
  if (!f) return v;
  int c;
  while ((c = fgetc(f)) != EOF) v.push_back(uint8_t(c));
  fclose(f);
  return v;
}

// A table of the right length whose byte i is a function of i.
inline std::vector<uint8_t> table_motif(int classe, int camp) {
  int n = camp ? TB_DEFINITIONS[classe].taille_nbb : TB_DEFINITIONS[classe].taille_nbw;
  std::vector<uint8_t> v(n);
  for (int i = 0; i < n; i++) v[i] = uint8_t((i / 3000 + i % 7) % 200);
  return v;
}

// Writes both tables of a class, plain or compressed under a given suffix.
inline void ecrit_classe(const Repertoire& r, const char* nom, bool compresse,
                         const std::vector<uint8_t> tables[2], const char* suffixe = ".emd") {
  for (int t = 0; t < 2; t++) {
    std::string fichier = r / (std::string(nom) + (t ? ".nbb" : ".nbw"));
    if (compresse)
      ecrit(fichier + suffixe, TbCompressTable(tables[t].data(), tables[t].size()));
    else
      ecrit(fichier, tables[t]);
  }
}

}  // namespace tb_test
