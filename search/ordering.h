// Move ordering: the full and frontier orderings that write a score into
// the high 16 bits of each move word, and the learning tables that feed
// them (history counters, refutations, killers), one set per side.
#pragma once

#include <cstdint>

#include "board/types.h"

// How often and how deep a move (from + 64 * to) was best; written at
// cut-offs and exact results by the search, aged by the driver.
extern int32_t historique[2][4096];
// The move that last refuted a previous move (by its from + 64 * to).
extern uint16_t refutation[2][4096];
// Per ply: the newest cut-off move in the low half, the one before it in the high half.
extern uint32_t killers[2][32];

// The highest ordering score of a quiet move (its history): table moves,
// captures, promotions, refutations and killers score above it.
inline constexpr uint32_t SCORE_CALME_MAX = 65507;

// Scores every entry of a node's list (side C to move) in place; the list
// keeps its length and order. coup_hash is the table move (0 if none),
// coup_entree the move that led to the node (0 after a null move).
template <int C>
void full_ordering(uint32_t* liste, uint32_t coup_hash, uint32_t coup_entree, const EMPILAGE& e);

// Keeps the moves worth a look one or two plies from the leaves (captures,
// queen promotions, en passant, and at the pre-frontier the moves that
// threaten the enemy king and pawns to the seventh rank), compacted to the
// front in their order, scored, and ended by 0. Returns how many are kept.
template <int C>
int frontier_ordering(uint32_t* liste, uint32_t coup_hash, uint32_t coup_entree, bool pre_frontiere,
                      const EMPILAGE& e);

// Table updates of side C at a cut-off by `coup` at `ply` and depth
// `plies`, and at an exact result.
template <int C>
void record_cutoff(uint32_t coup, uint32_t coup_entree, int ply, int plies);
template <int C>
void record_best(uint32_t coup, int plies);
// The refutation and killer updates of a cut-off, without the history.
template <int C>
void retiens_refutation(uint32_t coup, uint32_t coup_entree, int ply);

// Zeroes both sides' tables (fresh search).
void clear_tables();
// Scales the history down when its counters grow large (after each iteration).
void age_history();
