// Pawn structure of a node: doubled, isolated and backward pawns, islands,
// passed pawns with the rule of the square, king and pawn against king,
// with the pawn cache table_pions (search/hash.h).
#pragma once

#include "board/types.h"

// Pawn-structure score of the node, White positive, for the side to move
// trait. Reads the node's phase (the evaluation sets it first). Looks the
// score up in the pawn cache and stores what it computes; without a cache
// it computes every time.
int structure_pions(const EMPILAGE* e, int trait);

// Index of the node's first pawn-cache entry for side to move trait: the
// pawn key with the side to move in bit 0, the piece counts folded in so
// that the captures of a quiescence search do not evict one another.
uint32_t index_cache_pions(const EMPILAGE* e, int trait);

// The same score computed afresh, without reading or writing the cache.
int structure_pions_calculee(const EMPILAGE* e, int trait);
