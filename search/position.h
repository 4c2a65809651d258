// The search's own work on a node: applying a move with incremental upkeep
// of material, piece-square sum, counts, castling states and keys;
// generating the pseudo-legal moves (all, or captures and queen promotions);
// and the two attack tests. Each is a template over a side, instantiated for
// White and Black.
#pragma once

#include <cstdint>

#include "board/types.h"

// Values a pawn takes when it promotes, by piece type (king to knight), for
// the phase of the search root; written by fixe_promotions, which the
// search calls for every child of a root (a node at ply 0).
extern int valeur_promotion[5];

// Sets valeur_promotion from the root phase that prepare_recherche returned,
// so that promoted pieces are worth what the root's pieces of their type are.
void fixe_promotions(int phase);

// Applies move `coup` of side M to the node: board, material, piece-square
// sum, counts, castling states and the four keys. Returns the captured slot,
// VIDE when nothing is captured (the en-passant victim is reported).
template <int M>
int applique_coup_noeud(EMPILAGE& e, uint32_t coup);

// Writes the pseudo-legal moves of side C, ended by 0, into liste (room for
// TAILLE_LISTE_COUPS entries); returns the number of moves. En passant is
// offered after the double step held in the low half of e.coup_precedent.
template <int C>
int generate_all(const EMPILAGE& e, uint32_t* liste);

// Writes side C's captures and pushes onto the last rank (queen promotions
// only), with their ordering scores in the high 16 bits, ended by 0;
// returns the number of moves.
template <int C>
int generate_captures(const EMPILAGE& e, uint32_t* liste);

// Does a piece of side C (slots of C, king included) attack square k?
// Used for the legality of the opponent's move just applied.
template <int C>
bool king_capture_test(const EMPILAGE& e, int k);

// Is the king of side C attacked by an enemy piece other than the enemy king?
template <int C>
bool check_test(const EMPILAGE& e);

// Squares of side C's pieces that stand alone between their king and an
// enemy queen, rook or bishop on a common line.
template <int C>
uint64_t pieces_clouees(const EMPILAGE& e);

// Can move m of side C, whose king is not in check, leave that king
// attacked? Only a king move (castling included), en passant, or a move of
// a piece on one of the squares of `clouees` can.
template <int C>
inline bool peut_exposer_roi(const EMPILAGE& e, uint32_t m, uint64_t clouees) {
  const int de = case_depart(m);
  return de == e.pos_piece[C == BLANCS ? 0 : 16] || (m & GENRE_COUP) == PRISE_EN_PASSANT ||
         (clouees >> de & 1);
}
