// A small move generator over squares for the table generator: a handful
// of men, no castling, no en passant.
#pragma once

#include <cstdint>

inline constexpr int TBG_ROI = 0, TBG_DAME = 1, TBG_TOUR = 2, TBG_FOU = 3,
                     TBG_CAVALIER = 4, TBG_PION = 5;
inline constexpr int TBG_MAX_HOMMES = 5;
inline constexpr int TBG_MAX_COUPS = 128;

// A position of the generator. Men 0 and 1 are the white and black kings.
struct POSITION_GEN {
  int nb = 0;
  int couleur[TBG_MAX_HOMMES] = {};
  int genre[TBG_MAX_HOMMES] = {};
  int case_[TBG_MAX_HOMMES] = {};  // -1 once captured
  int trait = 0;
  int8_t plateau[64];              // man on each square, -1 empty

  void place();  // rebuilds plateau from case_
};

struct COUP_GEN {
  int8_t homme;
  int8_t vers;
  int8_t prise;      // captured man or -1
  int8_t promotion;  // new kind or -1
};

// Whether a man of `couleur` attacks square `c`.
bool TbgAttacked(const POSITION_GEN& p, int c, int couleur);

// Distinct squares, pawns on ranks 2 to 7, and the side not to move not in check.
bool TbgLegal(const POSITION_GEN& p);

// The legal moves of the side to move; returns their number.
int TbgMoves(const POSITION_GEN& p, COUP_GEN* coups);

// Plays a move (the side to move changes).
void TbgPlay(POSITION_GEN& p, const COUP_GEN& c);

// Positions from which the side not to move reached `p` by a move that
// captured nothing and promoted nothing; returns their number.
int TbgUnmoves(const POSITION_GEN& p, POSITION_GEN* precedentes);
