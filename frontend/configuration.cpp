#include "frontend/configuration.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <strings.h>

#include "board/echiquier.h"
#include "board/movegen.h"
#include "frontend/boucle.h"
#include "frontend/niveau.h"
#include "search/etendue.h"
#include "search/globals.h"
#include "tablebase/registry.h"
#include "notation/texte.h"

std::string repertoire_tables;

namespace {

// A decimal integer, blanks around it allowed, nothing else.
bool lit_entier(const char* texte, int& n) {
  while (est_blanc(*texte)) ++texte;
  char* fin = nullptr;
  errno = 0;
  const long v = std::strtol(texte, &fin, 10);
  if (fin == texte || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
  while (est_blanc(*fin)) ++fin;
  if (*fin != 0) return false;
  n = int(v);
  return true;
}

// Reports each directory of the list that does not exist.
void verifie_repertoires(const std::string& liste) {
  size_t debut = 0;
  for (;;) {
    const size_t fin = liste.find_first_of(",;", debut);
    const std::string r = liste.substr(debut, fin == std::string::npos ? std::string::npos : fin - debut);
    std::error_code erreur;
    if (!r.empty() && !std::filesystem::is_directory(r, erreur))
      std::fprintf(stderr, "pellarq: tablebase directory \"%s\" does not exist\n", r.c_str());
    if (fin == std::string::npos) break;
    debut = fin + 1;
  }
}

void usage_et_fin(const char* option) {
  std::fprintf(stderr, "pellarq: unknown option \"%s\"\n\n", option);
  std::fputs(texte_usage(), stderr);
  std::exit(2);
}
}  // namespace

void lire_configuration(int* taille_hash, std::string& repertoire) {
  std::ifstream f(FICHIER_CONFIGURATION);
  if (!f) return;
  std::string ligne;
  int numero = 0;
  while (std::getline(f, ligne)) {
    ++numero;
    ote_retour_chariot(ligne);
    size_t i = 0;
    while (i < ligne.size() && est_blanc(ligne[i])) ++i;
    if (i >= ligne.size() || ligne[i] == ';') continue;
    const std::string reste = ligne.substr(i);
    const size_t egal = reste.find('=');
    const bool hash = strncasecmp(reste.c_str(), "HASHTABLE", 9) == 0;
    const bool tables = strncasecmp(reste.c_str(), "TABLEBASE", 9) == 0;
    const bool marge = strncasecmp(reste.c_str(), "MOVEOVERHEAD", 12) == 0;
    const bool genre = strncasecmp(reste.c_str(), "SEARCH", 6) == 0;
    if (!hash && !tables && !marge && !genre) {
      std::fprintf(stderr, "%s:%d: unknown setting \"%s\" ignored\n", FICHIER_CONFIGURATION, numero,
                   reste.c_str());
      continue;
    }
    if (egal == std::string::npos) {
      std::fprintf(stderr, "%s:%d: \"%s\" has no \"=\"; ignored\n", FICHIER_CONFIGURATION, numero,
                   reste.c_str());
      continue;
    }
    if (genre) {
      std::string valeur = reste.substr(egal + 1);
      ote_blancs(valeur);
      bool etendue = false;
      if (lit_genre_recherche(valeur.c_str(), etendue))
        option_recherche_etendue = etendue;
      else
        std::fprintf(stderr, "%s:%d: SEARCH \"%s\" is neither classic nor extended; ignored\n",
                     FICHIER_CONFIGURATION, numero, valeur.c_str());
    } else if (marge) {
      int ms = 0;
      if (!lit_entier(reste.c_str() + egal + 1, ms))
        std::fprintf(stderr, "%s:%d: MOVEOVERHEAD \"%s\" is not a number; ignored\n",
                     FICHIER_CONFIGURATION, numero, reste.c_str() + egal + 1);
      else
        marge_coup_ms = ms < 0 ? 0 : (ms > MARGE_COUP_MAX_MS ? MARGE_COUP_MAX_MS : ms);
    } else if (hash) {
      if (!lit_entier(reste.c_str() + egal + 1, *taille_hash))
        std::fprintf(stderr, "%s:%d: HASHTABLE \"%s\" is not a number; ignored\n", FICHIER_CONFIGURATION,
                     numero, reste.c_str() + egal + 1);
    } else {
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
    if (a[0] != '-') {
      std::fprintf(stderr, "pellarq: argument \"%s\" ignored\n", a);
      continue;
    }
    if (a[1] == 0 || a[1] == '-' || !std::strchr("dhfpt", a[1])) usage_et_fin(a);
    // The value follows the letter, or is the next argument
    const char* valeur = a + 2;
    if (*valeur == 0 && i + 1 < argc && argv[i + 1][0] != '-') valeur = argv[++i];
    switch (a[1]) {
      case 'd':
        repertoire_tables = valeur;
        break;
      case 'h':
        if (!lit_entier(valeur, taille_hash))
          std::fprintf(stderr, "pellarq: -h \"%s\" is not a number; ignored\n", valeur);
        break;
      case 'f':
        e.AlloueHashTable(taille_hash);
        partie_chargee = true;
        if (const int r = e.Load(valeur); r < 0 || r == 1) {
          std::fprintf(stderr, "pellarq: %s: %s\n", valeur, e.MotifEchec());
          std::printf("fichier??\n");
          std::exit(1);
        }
        mode_test = true;
        break;
      case 'p':
        if (e.ChargePosition(valeur) < 0) {
          std::fprintf(stderr, "pellarq: %s: %s\n", valeur, e.MotifEchec());
          std::printf("fichier??\n");
          std::exit(1);
        }
        mode_test = true;
        break;
      case 't': {
        int n = 0;
        if (!lit_entier(valeur, n)) {
          std::fprintf(stderr, "pellarq: -t needs a number of seconds%s%s%s; the limits stay\n",
                       *valeur ? " (not \"" : "", valeur, *valeur ? "\")" : "");
        } else if (n > 0) {
          e.SetTempsLimite(n, n);
        } else {
          std::printf("temps??\n");
        }
        break;
      }
      default:
        break;
    }
  }

  verifie_repertoires(repertoire_tables);
  if (!partie_chargee && e.AlloueHashTable(taille_hash) == -1) {
    std::fprintf(stderr, "pellarq: cannot allocate the transposition table\n");
    std::exit(1);
  }

  // Test mode: one search of the loaded position, then the end. A position
  // already decided only gets its result.
  if (mode_test) {
    TbInit(repertoire_tables.c_str());
    tables_pretes = 1;
    echange_atomique(post_actif, 1);
    // A search without playing: the position is searched even in the book
    echange_atomique(mode_analyse, 1);
    bool legal = false;
    for (const uint32_t* l = e.liste_coups; *l && !legal; ++l) legal = !(*l & COUP_ILLEGAL);
    if (!legal) {
      e.CopieEmp(e.emp);
      const bool echec = case_attaquee(*e.emp, e.trait ^ 1, e.pos_piece[e.trait == NOIRS ? 16 : 0]);
      annonce_resultat(e, echec ? 2 : 3, "");
    }
    else e.Analyse();
    std::fflush(stdout);
    std::exit(0);
  }
  return 0;
}

const char* texte_usage() {
  return "Usage: pellarq [options]\n"
         "       pellarq bench [depth] [classic|extended]\n"
         "       pellarq --help | --version\n"
         "\n"
         "A chess engine speaking the xboard protocol on standard input and output.\n"
         "\n"
         "Options (the value follows the letter, with or without a space; in the order given):\n"
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
         "  SEARCH = classic|extended   (the search: classic, the default, or the\n"
         "                               stronger extended one)\n"
         "(lines starting with ';' are comments; options override the file).\n"
         "\n"
         "bench [depth] [classic|extended]: fixed-depth searches of built-in positions\n"
         "with the classic search (the default) or the extended one; prints the total\n"
         "node count (the search signature) and the speed, then exits.\n";
}
