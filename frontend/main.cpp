// The console program: the engine driven over standard input and output.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/echiquier.h"
#include "frontend/banniere.h"
#include "frontend/bench.h"
#include "frontend/boucle.h"
#include "frontend/configuration.h"
#include "search/etendue.h"
#include "search/globals.h"
#include "tablebase/registry.h"

// The one engine object of the program, constructed before main and
// destroyed at exit.
CEchiquier moteur;

namespace {
// SIGTERM ends the program as "QUIT" does; output is flushed line by line.
void fin_sur_signal(int) { _exit(0); }
}  // namespace

int main(int argc, char** argv) {
  // GUIs send SIGINT to engines that did not say otherwise; it must not end a game.
  std::signal(SIGINT, SIG_IGN);
  std::signal(SIGTERM, fin_sur_signal);

  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(texte_usage(), stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::puts("pellarq " PELLARQ_VERSION);
      return 0;
    }
  }

  moteur.Coup1();
  moteur.Langage();
  std::setvbuf(stdin, nullptr, _IONBF, 0);

  if (argc > 1 && std::strcmp(argv[1], "bench") == 0) {
    // bench [depth] [classic|extended]
    int profondeur = 0;
    bool etendue = false;
    const bool genre = argc > 2 && lit_genre_recherche(argv[argc - 1], etendue);
    const int nb_arguments = argc - (genre ? 1 : 0);
    if (nb_arguments > 3 || (nb_arguments > 2 && !lit_profondeur_bench(argv[2], profondeur))) {
      std::fprintf(stderr, "pellarq: bench: \"%s\" is not a depth (1 to 64) or a search (classic, extended)\n",
                   argv[nb_arguments > 3 ? 3 : 2]);
      std::fputs(texte_usage(), stderr);
      return 2;
    }
    option_recherche_etendue = etendue;
    lance_bench(moteur, profondeur, stdout);
    return 0;
  }

  lire_arguments(moteur, argc, argv);
  afficher_banniere(banniere_stockee);
  TbInit(repertoire_tables.c_str());
  tables_pretes = 1;
  return boucle_commandes(moteur);
}
