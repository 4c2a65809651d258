#include "frontend/configuration.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <strings.h>

#include "board/echiquier.h"
#include "frontend/boucle.h"
#include "frontend/niveau.h"
#include "search/globals.h"
#include "tablebase/registry.h"

std::string repertoire_tables;

namespace {
bool est_blanc(char c) { return c == ' ' || c == '\t'; }
}  // namespace

void lire_configuration(int* taille_hash, std::string& repertoire) {
  std::ifstream f(FICHIER_CONFIGURATION);
  if (!f) return;
  std::string ligne;
  while (std::getline(f, ligne)) {
    if (!ligne.empty() && ligne.back() == '\r') ligne.pop_back();
    size_t i = 0;
    while (i < ligne.size() && est_blanc(ligne[i])) ++i;
    if (i >= ligne.size() || ligne[i] == ';') continue;
    const std::string reste = ligne.substr(i);
    const size_t egal = reste.find('=');
    if (egal == std::string::npos || reste.size() < 9) continue;
    if (strncasecmp(reste.c_str(), "MOVEOVERHEAD", 12) == 0) {
      const int ms = std::atoi(reste.c_str() + egal + 1);
      marge_coup_ms = ms < 0 ? 0 : (ms > MARGE_COUP_MAX_MS ? MARGE_COUP_MAX_MS : ms);
    } else if (strncasecmp(reste.c_str(), "HASHTABLE", 9) == 0) {
      *taille_hash = std::atoi(reste.c_str() + egal + 1);
    } else if (strncasecmp(reste.c_str(), "TABLEBASE", 9) == 0) {
      size_t j = egal + 1;
      while (j < reste.size() && est_blanc(reste[j])) ++j;
      repertoire = reste.substr(j);
    }
  }
}

int lire_arguments(CEchiquier& e, int argc, char** argv) {
  int taille_hash = 0;
  lire_configuration(&taille_hash, repertoire_tables);
  bool partie_chargee = false, mode_test = false;

  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (a[0] != '-' || a[1] == 0) continue;
    const char* valeur = a + 2;
    switch (a[1]) {
      case 'd':
        repertoire_tables = valeur;
        break;
      case 'h':
        taille_hash = std::atoi(valeur);
        break;
      case 'f':
        e.AlloueHashTable(taille_hash);
        partie_chargee = true;
        if (e.Load(valeur) < 0) {
          std::printf("fichier??\n");
          std::exit(1);
        }
        mode_test = true;
        break;
      case 'p':
        if (e.ChargePosition(valeur) < 0) {
          std::printf("fichier??\n");
          std::exit(1);
        }
        mode_test = true;
        break;
      case 't': {
        const int n = std::atoi(valeur);
        if (n > 0) e.SetTempsLimite(n, n);
        else std::printf("temps??\n");
        break;
      }
      default:
        break;
    }
  }

  if (!partie_chargee && e.AlloueHashTable(taille_hash) == -1) std::exit(1);

  // Test mode: one search of the loaded position, then the end.
  if (mode_test) {
    TbInit(repertoire_tables.c_str());
    tables_pretes = 1;
    echange_atomique(post_actif, 1);
    e.Analyse();
    std::fflush(stdout);
    std::exit(0);
  }
  return 0;
}

const char* texte_usage() {
  return "Usage: pellarq [options]\n"
         "       pellarq bench [depth]\n"
         "       pellarq --help | --version\n"
         "\n"
         "A chess engine speaking the xboard protocol on standard input and output.\n"
         "\n"
         "Options (the value follows the letter without a space, in the order given):\n"
         "  -dDIRS   directories of the endgame table files, separated by ';' or ','\n"
         "  -hN      transposition table of 2^N entries (13 to 23; 0 means 16)\n"
         "  -fGAME   load a game file, search its last position once and exit\n"
         "  -pFILE   load a position file, search it once and exit\n"
         "  -tSECS   thinking time of that search (default 60)\n"
         "\n"
         "Configuration file: pellarq.cfg in the working directory, with the lines\n"
         "  HASHTABLE = N\n"
         "  TABLEBASE = DIRS\n"
         "  MOVEOVERHEAD = MS   (time kept for each move's way to the GUI, default 50)\n"
         "(lines starting with ';' are comments; options override the file).\n"
         "\n"
         "bench [depth]: fixed-depth searches of built-in positions; prints the total\n"
         "node count (the search signature) and the speed, then exits.\n";
}
