// The benchmark: fixed-depth searches of built-in positions. Its total
// node count is the engine's search signature.
#pragma once

#include <cstdint>
#include <cstdio>

class CEchiquier;

// Built-in positions (FEN), openings, middlegames with tactics, endgames.
extern const char* const positions_bench[];
extern const int nb_positions_bench;
// Depth of the benchmark when none is given.
inline constexpr int PROFONDEUR_BENCH = 8;

// Searches every position to `profondeur` (PROFONDEUR_BENCH when below 1)
// from cleared tables, printing one line per position, then the total
// nodes and nodes per second. The engine is left on a new game. Returns
// the total node count.
uint64_t lance_bench(CEchiquier& e, int profondeur, FILE* sortie);
