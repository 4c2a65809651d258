// Static evaluation of a search node.
#pragma once

#include "board/types.h"

class CEchiquier;
struct COMPTES_RACINE;

// Score of the node for the side to move (0 White, 1 Black), 400 = one
// pawn. Writes the node's phase and may write one pawn-cache entry.
int evaluation(int trait, EMPILAGE* e);

// The same score against the given root counts, without the pawn cache,
// for a root whose side to move is the engine's (the draw score's side):
// writes nothing but the node's phase and reads no state of the search.
int evaluation_a_part(int trait, EMPILAGE* e, const COMPTES_RACINE& racine);

// Static evaluation of the position on the board for its side to move, as
// a search from it would see it: computed on a copy of the board's state,
// prepared into private tables. Writes no shared state (the board, the
// game, the search's tables, the pawn cache), so a running search is not
// disturbed.
int evalue_position(CEchiquier& e);
// The same for a copy of the board's state (pieces included) and its side
// to move.
int evalue_noeud(EMPILAGE noeud, int trait);
