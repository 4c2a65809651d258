// Building an opening book file from PGN collections: the games are read
// and played on the engine's board, their moves counted and filtered, and
// the book written whole.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "frontend/livre.h"
#include "frontend/livre_ecriture.h"
#include "frontend/livre_statistiques.h"

struct OPTIONS_LIVRE {
  std::string sortie = FICHIER_LIVRE;  // the book file written
  int max_ply = 24;                    // plies of each game counted
  FILTRES_LIVRE filtres;
};

struct BILAN_LIVRE {
  size_t parties_lues = 0;      // games read whole, counted
  size_t parties_rejetees = 0;  // games with a move that could not be read, or malformed
  size_t positions_vues = 0;    // distinct positions counted
  BILAN_SELECTION selection;
  BILAN_PLACEMENT placement;
};

// Games between two progress lines.
inline constexpr size_t PAS_PROGRESSION = 10000;

// Builds the book from the files and writes it to options.sortie. Each game
// that cannot be used is reported on `messages` as "FILE: game N: reason"
// and left out; the other games count. Progress lines go there too.
// Returns 0 when the book was written; 1 when an input file cannot be
// opened or the book cannot be written, with the reason on `messages`: an
// earlier book file is then left as it was.
int construit_livre(const OPTIONS_LIVRE& options, const std::vector<std::string>& fichiers,
                    std::FILE* messages, BILAN_LIVRE& bilan);
