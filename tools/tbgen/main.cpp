// tbgen: writes endgame tables by retrograde analysis.
//   tbgen CLASS... [--dir DIR] [--compress]
// Tables that a class captures or promotes into are generated first when
// the directory does not hold them yet.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tablebase/classes.h"
#include "tablebase/encode.h"
#include "tablebase/generation.h"
#include "tablebase/registry.h"

namespace {

struct Options {
  std::vector<int> classes;
  std::string repertoire = ".";
  bool compresse = false;
  bool aide = false;
};

void usage(FILE* sortie) {
  fprintf(sortie,
          "usage: tbgen CLASS... [--dir DIR] [--compress]\n"
          "  CLASS   a class of three or four men, such as kqk or kqkr\n"
          "  --dir   directory of the tables (default: the current one)\n"
          "  --compress  write compressed \".emd\" files instead of plain ones\n"
          "  --help  this text\n"
          "The directory is created when it does not exist.\n");
}

bool lit_options(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      o.aide = true;
      return true;
    } else if (a == "--dir") {
      if (i + 1 >= argc) {
        fprintf(stderr, "tbgen: --dir needs a directory\n");
        return false;
      }
      o.repertoire = argv[++i];
    } else if (a == "--compress") {
      o.compresse = true;
    } else if (int c = TbClassNumber(a.c_str())) {
      o.classes.push_back(c);
    } else {
      fprintf(stderr, "tbgen: unknown class or option \"%s\"\n", a.c_str());
      return false;
    }
  }
  return !o.classes.empty();
}

bool ecrit_fichier(const std::string& chemin, const void* octets, size_t n) {
  FILE* f = fopen(chemin.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(octets, 1, n, f) == n;
  return fclose(f) == 0 && ok;
}

// Whether both tables of a class are registered from the directory.
bool presente(int c) { return classes_tb[c].enregistree(0) && classes_tb[c].enregistree(1); }

// Adds a class after the classes it leads into (those not yet present).
void ordonne(int c, std::vector<int>& ordre, bool demandee) {
  for (int x : ordre) if (x == c) return;
  for (int s : TbSuccessorClasses(c))
    if (!presente(s)) ordonne(s, ordre, false);
  if (demandee || !presente(c)) ordre.push_back(c);
}

void affiche(const std::string& ligne) { fprintf(stderr, "  %s\n", ligne.c_str()); }

// Creates the directory of the tables when it does not exist yet.
bool prepare_repertoire(const std::string& repertoire) {
  std::error_code erreur;
  if (std::filesystem::is_directory(repertoire, erreur)) return true;
  if (std::filesystem::exists(repertoire, erreur)) {
    fprintf(stderr, "tbgen: %s is not a directory\n", repertoire.c_str());
    return false;
  }
  if (!std::filesystem::create_directories(repertoire, erreur) || erreur) {
    fprintf(stderr, "tbgen: cannot create %s: %s\n", repertoire.c_str(), erreur.message().c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!lit_options(argc, argv, o)) {
    usage(stderr);
    return 2;
  }
  if (o.aide) {
    usage(stdout);
    return 0;
  }
  if (!prepare_repertoire(o.repertoire)) return 1;
  TbInit(o.repertoire.c_str());
  std::vector<int> ordre;
  for (int c : o.classes) ordonne(c, ordre, true);

  for (int c : ordre) {
    const char* nom = TB_DEFINITIONS[c].nom;
    fprintf(stderr, "%s:\n", nom);
    auto debut = std::chrono::steady_clock::now();
    std::vector<int8_t> tables[2];
    std::string erreur;
    if (!TbGenerate(c, tables, &erreur, affiche)) {
      fprintf(stderr, "tbgen: %s\n", erreur.c_str());
      return 1;
    }
    for (int t = 0; t < 2; t++) {
      std::string chemin = chemin_table(o.repertoire, nom, t);
      std::vector<uint8_t> octets(tables[t].begin(), tables[t].end());
      if (o.compresse) {
        octets = TbCompressTable(octets.data(), octets.size());
        chemin += ".emd";
      }
      if (!ecrit_fichier(chemin, octets.data(), octets.size())) {
        fprintf(stderr, "tbgen: cannot write %s\n", chemin.c_str());
        return 1;
      }
      fprintf(stderr, "  wrote %s (%zu bytes)\n", chemin.c_str(), octets.size());
    }
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    fprintf(stderr, "  %s done in %.1f s\n", nom, s);
    // Register the new tables so that the next classes can read them.
    TbInit(o.repertoire.c_str());
  }
  TbRelease();
  return 0;
}
