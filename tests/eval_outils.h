// Positions for the evaluation tests: FEN placement with the slots of the
// initial set, prepared nodes, colour mirrors and a swappable pawn cache.
#pragma once

#include <string>
#include <vector>

#include "board/echiquier.h"
#include "search/hash.h"

// Places a FEN position (placement, side to move, castling) giving each
// piece the slot it has in the initial set where it can: kings 0/16, queen
// 1/17, rooks 2/18 on the queen side and 3/19 on the king side, bishops by
// square colour (4 and 21 on dark squares, 5 and 20 on light ones),
// knights 6/22 on the queen side and 7/23 on the king side, pawns the slot
// of their file. A piece whose slot is taken takes the other slot of its
// kind, then a free pawn slot (as a promoted piece).
void place_slots(CEchiquier& e, const std::string& fen);

// The board's position as a search root: a zeroed state with the board's
// pieces, its keys, prepared by prepare_recherche.
EMPILAGE noeud_prepare(CEchiquier& e);
// place_slots then noeud_prepare.
EMPILAGE noeud_fen(CEchiquier& e, const std::string& fen);

// Sets `miroir` to the colour mirror of the board of `e`: slot s becomes
// s ^ 16, squares are turned top to bottom, pawn types and castling states
// change colour, and the other side is to move.
void place_miroir(CEchiquier& miroir, const CEchiquier& e);

// Installs a pawn cache of the given entries (or none) for its lifetime.
// It keeps an engine object alive meanwhile: the last engine object to go
// frees the tables, which must not take this one with it.
class CACHE_PIONS_TEST {
 public:
  explicit CACHE_PIONS_TEST(int entrees);
  ~CACHE_PIONS_TEST();
  CACHE_PIONS_TEST(const CACHE_PIONS_TEST&) = delete;
  CACHE_PIONS_TEST& operator=(const CACHE_PIONS_TEST&) = delete;
  // The first entry probed for the node and side to move.
  ENTREE_PIONS& entree(const EMPILAGE& n, int trait);

 private:
  CEchiquier garde;
  std::vector<ENTREE_PIONS> table;
  ENTREE_PIONS* ancienne_table;
  uint32_t ancien_masque;
};
