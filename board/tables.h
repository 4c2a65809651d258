// Move-generation tables, built once by InitTdep and read-only afterwards.
// The generators of the board and the search's own versions walk them.
#pragma once

#include "board/types.h"

// One step of a non-pawn walk: the target square and how many pairs to
// jump when it is occupied (the rest of its ray). Lists end with cible -1.
struct PAS {
  int cible;
  int saut;
};

// One step of a pawn walk; drapeaux bit 0 = push, bit 1 = promotes.
struct PAS_PION {
  int cible;
  int saut;
  int drapeaux;
};
inline constexpr int PAS_POUSSEE = 1;
inline constexpr int PAS_PROMOTION = 2;

// Targets of king, queen, rook, bishop and knight from each square,
// ray by ray, nearest first. Written by InitTdep.
extern PAS Tdep[5][64][28];
// Targets of white (index 0) and black (index 1) pawns. Written by InitTdep.
extern PAS_PION TdepPion[2][64][5];
// Step from one square towards another along a line or a knight jump, 0 if none.
extern int Tdirection[64][64];
// Kind of a step by its absolute value: 1 orthogonal, 2 diagonal, 3 knight jump.
extern int Tgenre[18];
// Larger of the file and rank distances.
extern int Tdistance[64][64];

// Builds every table; later calls do nothing.
void init_tables_deplacement();
