// Text of a search score for the user.
#pragma once

#include <cstddef>

// Longest text Pvar writes, terminator included: its callers' buffers hold
// at least this many bytes.
inline constexpr size_t TAILLE_TEXTE_PVAR = 512;
// Longest score text, terminator included.
inline constexpr size_t TAILLE_TEXTE_SCORE = 24;

// " " for a book move, "+INF "/"-INF ", "+0.25 " in pawns, "+MAT3 "/"-MAT2 "
// for mate scores; into a buffer of TAILLE_TEXTE_SCORE bytes.
void texte_score(int s, char* texte);
