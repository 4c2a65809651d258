// Edit mode: the interface sets up a position piece by piece.
#pragma once

#include <string>

class CEchiquier;

// Reads piece lines from standard input until "." (or the end of input),
// then sets castling states and completes the position with `trait` to
// move. Returns the result of RecalculePosition; *fin_entree tells whether
// the input ended. An illegal position puts the game back as it was before
// the edit, with the reason in *motif (when given).
int mode_edition(CEchiquier& e, int trait, bool* fin_entree, std::string* motif = nullptr);

// Removes the piece on the square (the slot, if any, leaves the board).
void vider_case(CEchiquier& e, int case_);

// Interprets one upper-cased edit line; `couleur` is the colour in force
// (0 White, 1 Black) and changes with "C". Returns false at ".".
bool ligne_edition(CEchiquier& e, const char* ligne, int& couleur);
