// The tablebase probe: the search's questions about positions with few men.
#pragma once

// Results besides the scores of won and lost positions.
inline constexpr int TB_PAS_DE_RESULTAT = 32767;
inline constexpr int TB_NULLE = 0;

// Counts the men other than the kings in the node's piece arrays (32 slots,
// square -1 = off the board) and keeps their material signature.
int TbCountMaterial(const int* pos_piece, const int* type_piece);

// Fills the two probe piece lists from the node's piece arrays.
void TbLoadPieces(const int* pos_piece, const int* type_piece);

// Result for the side to move (0 White, 1 Black): 0 draw, 32641..32766 a
// win (mate in 32767 - r moves), -32641..-32766 a loss, 32767 no result.
// en_passant is the square of a possible en-passant capture or -1; the
// tables do not hold positions with one, so those get no result.
int TbProbe(int side, int en_passant);
