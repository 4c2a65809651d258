// Writing the opening book file: placing each position in a record where
// the reader finds it, and writing the file whole or not at all.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "frontend/livre.h"
#include "frontend/livre_statistiques.h"

inline constexpr size_t TAILLE_FICHIER_LIVRE =
    size_t(NB_ENREGISTREMENTS_PRIMAIRES + NB_ENREGISTREMENTS_SECONDAIRES) * TAILLE_ENREGISTREMENT_LIVRE;

struct BILAN_PLACEMENT {
  size_t placees = 0;      // positions stored
  size_t coups = 0;        // moves stored
  size_t sans_place = 0;   // positions dropped: their four records were taken
  size_t masquees = 0;     // positions dropped: the reader would stop at another position's record
};

// The image of the book file. Positions are taken in the given order; each
// takes the first of the records the reader looks at (primary with offset
// 0, secondary with offset 0, primary with offset 2, secondary with offset
// 2) that no earlier position took. A taken record on the way whose check
// value is the one the reader expects for this position would be read for
// it, so the position is then dropped as well.
std::vector<unsigned char> image_livre(const std::vector<POSITION_LIVRE>& positions,
                                       BILAN_PLACEMENT& bilan);

// Writes the image to `chemin` through a temporary file beside it that is
// renamed at the end, so the file is complete or untouched. On failure
// returns false with the reason in `erreur`, and no temporary file remains.
bool ecrit_fichier_livre(const std::string& chemin, const std::vector<unsigned char>& image,
                         std::string& erreur);
