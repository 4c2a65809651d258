// pellarq-book: builds the opening book file from PGN game collections.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frontend/livre_construction.h"

namespace {

const char USAGE[] =
    "usage: pellarq-book [options] GAMES.pgn...\n"
    "Builds the opening book from the games: for every position within the first\n"
    "plies of a game, the moves played from it, at most four per position.\n"
    "  --output FILE     the book file written (default Mirask.bo1)\n"
    "  --max-ply N       plies of each game counted (default 24)\n"
    "  --min-games N     games a move must be played in (default 3)\n"
    "  --min-score P     percent the side that played a move must score with it,\n"
    "                    over the games with a known result (default 40)\n"
    "  --help            this text\n";

// The integer value of an option, within [min, max].
bool lit_entier(const char* texte, int min, int max, int& valeur) {
  char* fin = nullptr;
  errno = 0;
  const long v = std::strtol(texte, &fin, 10);
  if (errno != 0 || fin == texte || *fin != 0 || v < min || v > max) return false;
  valeur = int(v);
  return true;
}

int erreur_usage(const std::string& texte) {
  std::fprintf(stderr, "pellarq-book: %s\n%s", texte.c_str(), USAGE);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  OPTIONS_LIVRE options;
  std::vector<std::string> fichiers;

  // Options and input files
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help") {
      std::fputs(USAGE, stdout);
      return 0;
    }
    int* cible = nullptr;
    int min = 0, max = 0;
    if (a == "--output") {
      if (i + 1 >= argc || argv[i + 1][0] == 0) return erreur_usage("--output needs a file name");
      options.sortie = argv[++i];
      continue;
    }
    if (a == "--max-ply") cible = &options.max_ply, min = 1, max = 1000;
    else if (a == "--min-games") cible = &options.filtres.min_parties, min = 1, max = 1000000000;
    else if (a == "--min-score") cible = &options.filtres.min_score, min = 0, max = 100;
    if (cible) {
      if (i + 1 >= argc || !lit_entier(argv[i + 1], min, max, *cible))
        return erreur_usage(a + " needs a number from " + std::to_string(min) + " to " +
                            std::to_string(max));
      ++i;
      continue;
    }
    if (a.size() > 1 && a[0] == '-') return erreur_usage("unknown option " + a);
    fichiers.push_back(a);
  }
  if (fichiers.empty()) return erreur_usage("no game file given");

  // Build
  BILAN_LIVRE b;
  const int r = construit_livre(options, fichiers, stderr, b);

  // Summary
  std::printf("games read: %zu, games left out: %zu\n", b.parties_lues, b.parties_rejetees);
  std::printf("positions counted: %zu, without a move that passes the filters: %zu\n",
              b.positions_vues, b.selection.sans_coup);
  std::printf("positions stored: %zu, moves stored: %zu\n", b.placement.placees, b.placement.coups);
  std::printf("positions dropped: %zu (no free record), %zu (hidden by another position's record), "
              "%zu (same keys as with the other side to move)\n",
              b.placement.sans_place, b.placement.masquees, b.selection.collisions_trait);
  if (r != 0) {
    std::printf("no book written\n");
    return 1;
  }
  std::printf("book written: %s\n", options.sortie.c_str());
  return 0;
}
