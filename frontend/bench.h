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
// from cleared tables of one size, without endgame tables, book or draw
// contempt, printing one line per position, then the total nodes and nodes
// per second; the total depends on the program alone. Afterwards the
// engine's game, table size, time limits, settings and endgame tables are
// those it had before. Returns the total node count.
uint64_t lance_bench(CEchiquier& e, int profondeur, FILE* sortie);

// Reads the depth argument of "bench": nothing (0, the usual depth) or a
// number from 1 to 64, blanks around it allowed. False for anything else.
bool lit_profondeur_bench(const char* texte, int& profondeur);
