// Reading move text: coordinate and castling text (typed moves and game
// files) and algebraic text (PGN). The readers only build a move word;
// whether it is legal is for the caller (Joue).
#pragma once

#include <cstdint>

#include "board/types.h"
#include "notation/texte.h"

// Reads coordinate text ("e2e4", "e7e8q", "e7e8=Q", "e5d6ep") or castling
// ("O-O", "0-0-0") for side `trait`. Upper-cases the text in place (only
// 'a' to 'z' change). Returns the move word, or 0 when the text is not a
// move. Reads nothing past the terminating 0.
uint32_t lit_coup_coordonnees(char* texte, int trait);

// Reads algebraic text ("Nf3", "exd5", "R1e2", "e8=Q", "O-O") for side
// `trait` against its move list (only entries without the illegal mark
// count) and the board `e`. Upper-cases the text in place. Returns the
// move word, or 0 when it is not a move or is ambiguous.
uint32_t lit_coup_san(char* texte, int trait, const uint32_t* liste, const EMPILAGE& e);

