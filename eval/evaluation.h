// Static evaluation of a search node.
#pragma once

#include "board/types.h"

// Score of the node for the side to move (0 White, 1 Black), 400 = one
// pawn. Writes the node's phase and may write one pawn-cache entry.
int evaluation(int trait, EMPILAGE* e);
