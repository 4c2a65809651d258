// Move-path enumeration: counts the leaf positions a number of plies below
// the position on the board, walking the legal-move lists of the generators.
#pragma once

#include <cstdint>
#include <cstdio>

class CEchiquier;

// Leaf positions `profondeur` plies below the board's position (0 for a
// depth below 1). The root list is the board's own liste_coups. The board
// is left unchanged.
uint64_t perft(CEchiquier& e, int profondeur);

// As perft, printing one line per legal root move in list order
// ("e2e4: 8902") and then "Nodes searched: N" to `sortie`.
uint64_t perft_divise(CEchiquier& e, int profondeur, FILE* sortie);
