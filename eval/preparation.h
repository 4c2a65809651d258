// Pre-search preparation: piece values by phase, open files, the
// piece-square tables and the root's material and positional sums.
#pragma once

#include "board/types.h"

// Piece-square values by piece type and square, for White and for Black.
// Rewritten by prepare_recherche before every search; read by the search's
// incremental apply and by the evaluation.
extern int psq_blanc[7][64];
extern int psq_noir[7][64];
// Per file: 40 when the file is open, else 0. Written by prepare_recherche.
extern int colonne_ouverte[8];

// Prepares values and tables from the search root; returns its phase (0..5).
int prepare_recherche(EMPILAGE* racine);
