// Tablebase registry: directory list, file names, size checks, the material
// lookup tree, and the fatal messages of registration.
#include "tablebase/registry.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tablebase/cache.h"
#include "tablebase/classes.h"
#include "tablebase/compress.h"
#include "tablebase/index.h"

namespace {

// Registry state, written by TbInit, TbRegister and TbRelease.
// Material lookup tree, nodes laid end to end. Never destroyed, so that an
// engine object released at program exit still finds it.
std::vector<int>& arbre = *new std::vector<int>;
int nb_compresses = 0;           // compressed files opened since start
uint8_t* tampon_cache = nullptr; // block cache buffer

// A registration failure the engine cannot go on from: the message on
// standard output, then the end of the program.
[[noreturn]] __attribute__((format(printf, 1, 2))) void fatal(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  vprintf(format, arguments);
  va_end(arguments);
  fflush(stdout);
  exit(1);
}

// Opens a table file for reading; anything but a regular file is missing.
FILE* ouvre(const std::string& chemin) {
  FILE* f = fopen(chemin.c_str(), "rb");
  struct stat etat;
  if (f && (fstat(fileno(f), &etat) != 0 || !S_ISREG(etat.st_mode))) {
    fclose(f);
    f = nullptr;
  }
  return f;
}

// A node with budget n: [n, n + 1 children]; the tenth level holds values.
int construit_noeud(int niveau, int budget) {
  int noeud = int(arbre.size());
  arbre.push_back(budget);
  arbre.resize(arbre.size() + budget + 1, 0);
  if (niveau < TB_SIGNATURE_TAILLE - 1)
    for (int i = 0; i <= budget; i++) {
      int enfant = construit_noeud(niveau + 1, budget - i);
      arbre[noeud + 1 + i] = enfant;
    }
  return noeud;
}

// The value cell of a signature, or null when a count is out of range.
int* cellule(const int signature[TB_SIGNATURE_TAILLE]) {
  if (arbre.empty()) return nullptr;
  int noeud = 0;
  for (int niveau = 0; niveau < TB_SIGNATURE_TAILLE; niveau++) {
    int n = signature[niveau];
    if (n < 0 || n > arbre[noeud]) return nullptr;
    if (niveau == TB_SIGNATURE_TAILLE - 1) return &arbre[noeud + 1 + n];
    noeud = arbre[noeud + 1 + n];
  }
  return nullptr;
}

void efface_valeurs(int noeud, int niveau) {
  for (int i = 0; i <= arbre[noeud]; i++) {
    if (niveau == TB_SIGNATURE_TAILLE - 1) arbre[noeud + 1 + i] = 0;
    else efface_valeurs(arbre[noeud + 1 + i], niveau + 1);
  }
}

// Forgets every table: file names, descriptors, chains, the decode block.
void oublie_tables() {
  for (int i = 1; i <= TB_NB_CLASSES; i++)
    for (int camp = 0; camp < 2; camp++) {
      CLASSE_TB& c = classes_tb[i];
      free(c.seaux[camp]);
      c.seaux[camp] = nullptr;
      c.fichier[camp].clear();
      delete c.compresse[camp];
      c.compresse[camp] = nullptr;
    }
  free(bloc_decodage);
  bloc_decodage = nullptr;
  if (!arbre.empty()) efface_valeurs(0, 0);
}

}  // namespace

void* TbAlloc(size_t n) {
  void* p = malloc(n ? n : 1);
  if (!p) fatal("*** Cannot allocate %d bytes of memory\n", int(n));
  return p;
}

void TbNameSignature(const char* nom, int signature[TB_SIGNATURE_TAILLE]) {
  for (int i = 0; i < TB_SIGNATURE_TAILLE; i++) signature[i] = 0;
  int cote = 0;
  for (const char* p = nom + 1; *p; p++) {
    if (*p == 'k') {
      cote = 5;
      continue;
    }
    int n = 0;
    switch (*p) {
      case 'n': n = 1; break;
      case 'b': n = 2; break;
      case 'r': n = 3; break;
      case 'q': n = 4; break;
      default: n = 0; break;
    }
    signature[cote + n]++;
  }
}

std::string chemin_table(const std::string& repertoire, const char* nom, int camp) {
  std::string chemin = repertoire;
  if (!chemin.empty()) chemin += '/';
  return chemin + nom + (camp ? ".nbb" : ".nbw");
}

int TbLookupMaterial(const int signature[TB_SIGNATURE_TAILLE]) {
  int* v = cellule(signature);
  return v ? *v : 0;
}

int TbCompressedOpened() { return nb_compresses; }

int TbRegister(const char* repertoire, int classe, int camp) {
  if (classe < 1 || classe > TB_NB_CLASSES || camp < 0 || camp > 1 || !repertoire) return 0;
  CLASSE_TB& c = classes_tb[classe];
  // 1. Already registered.
  if (c.enregistree(camp)) return 1;

  // 2. The path: directory, "/", name, extension.
  std::string chemin = chemin_table(repertoire, c.nom, camp);

  // 3. A plain file.
  DESCRIPTEUR_COMPRESSE* d = nullptr;
  long longueur = 0;
  FILE* f = ouvre(chemin);
  if (f) {
    if (fseek(f, 0, SEEK_END) != 0) fatal("*** Seek in %s failed\n", chemin.c_str());
    longueur = ftell(f);
    if (longueur < 0) fatal("*** Seek in %s failed\n", chemin.c_str());
    if (c.taille[camp] != 0 && c.taille[camp] != longueur)
      fatal("*** %s corrupted\n", chemin.c_str());
  } else {
    // 4. A compressed file under its long or short name.
    chemin += ".emd";
    f = ouvre(chemin);
    if (!f) {
      chemin.erase(chemin.size() - 8, 1);
      f = ouvre(chemin);
    }
    if (!f) return 0;
    nb_compresses++;
    int statut = TbOpenCompressed(f, &d);
    if (statut != 0) {
      switch (statut & 0xFF) {
        case TB_ERREUR_LECTURE: fatal("*** Unable to read %s - read error\n", chemin.c_str());
        case TB_MANQUE_MEMOIRE: fatal("*** Unable to read %s - out of memory\n", chemin.c_str());
        case TB_FICHIER_CASSE: fatal("*** Unable to read %s - file broken\n", chemin.c_str());
        default: fatal("*** Unable to read %s - error %d\n", chemin.c_str(), statut);
      }
    }
    if (d->taille_bloc != uint32_t(TB_TAILLE_BLOC))
      fatal("*** %s: Unsupported block size %ld\n", chemin.c_str(), long(d->taille_bloc));
    uint64_t totale = d->taille_totale();
    if (c.taille[camp] != 0 && uint64_t(c.taille[camp]) != totale)
      fatal("*** %s corrupted\n", chemin.c_str());
    longueur = long(totale);
  }

  // 5. Keep the length, close, enter both readings of the name.
  c.taille[camp] = int(longueur);
  fclose(f);
  int signature[TB_SIGNATURE_TAILLE], echangee[TB_SIGNATURE_TAILLE];
  TbNameSignature(c.nom, signature);
  for (int i = 0; i < TB_SIGNATURE_TAILLE; i++) echangee[i] = signature[(i + 5) % 10];
  int* v = cellule(signature);
  if (v) *v = classe;
  int* w = cellule(echangee);
  if (w) *w = -classe;
  if (!v || !w) {
    delete d;
    fatal("*** Unable to register %s\n", chemin.c_str());
  }

  // 6. Registered.
  c.fichier[camp] = chemin;
  c.seaux[camp] = static_cast<int16_t*>(TbAlloc(TB_SEAUX * sizeof(int16_t)));
  for (int i = 0; i < TB_SEAUX; i++) c.seaux[camp][i] = -1;
  c.compresse[camp] = d;
  return 1;
}

void TbInit(const char* repertoires) {
  // 1. Close every table file.
  TbCloseAll();

  // 2. Index tables and lookup tree, once.
  if (arbre.empty()) {
    TbBuildIndexTables();
    construit_noeud(0, 3);
  }

  // 3. Forget the previous registrations and the old cache.
  TbSetupCache(nullptr, 0);
  free(tampon_cache);
  tampon_cache = nullptr;
  oublie_tables();
  for (int i = 1; i <= TB_NB_CLASSES; i++) {
    classes_tb[i].taille[0] = TB_DEFINITIONS[i].taille_nbw;
    classes_tb[i].taille[1] = TB_DEFINITIONS[i].taille_nbb;
  }

  // 4. Every directory in order, every class, both sides.
  std::string liste = repertoires ? repertoires : "";
  size_t debut = 0;
  for (;;) {
    size_t fin = liste.find_first_of(",;", debut);
    std::string repertoire = liste.substr(debut, fin == std::string::npos ? std::string::npos : fin - debut);
    for (int i = 1; i <= TB_NB_CLASSES; i++) {
      TbRegister(repertoire.c_str(), i, 0);
      TbRegister(repertoire.c_str(), i, 1);
    }
    if (fin == std::string::npos) break;
    debut = fin + 1;
  }

  // 5. The decode block, once any compressed file has been opened.
  if (nb_compresses > 0) {
    bloc_decodage = static_cast<BLOC_DECODAGE*>(malloc(sizeof(BLOC_DECODAGE)));
    if (!bloc_decodage) fatal("*** Cannot allocate decode block: error code %d\n", TB_MANQUE_MEMOIRE);
    memset(bloc_decodage, 0, offsetof(BLOC_DECODAGE, entree));
  }

  // 6. The block cache. Without its buffer every fetch answers "no result".
  tampon_cache = static_cast<uint8_t*>(malloc(TB_TAILLE_CACHE));
  TbSetupCache(tampon_cache, tampon_cache ? TB_TAILLE_CACHE : 0);
}

void TbRelease() {
  TbCloseAll();
  TbSetupCache(nullptr, 0);
  free(tampon_cache);
  tampon_cache = nullptr;
  oublie_tables();
}
