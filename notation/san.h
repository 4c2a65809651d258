// Writing moves in algebraic text (SAN) and principal variations in
// algebraic or coordinate text. Every writer appends to a caller's
// 0-terminated buffer of `taille` bytes and writes only whole tokens that
// fit; the piece letters are those of the table in force (lettres_pieces).
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/types.h"

// Length of a principal-variation array: at most 31 moves and a 0.
inline constexpr int LONGUEUR_PV = 32;

// Appends the token of one move and a space: "Nbd2 ", "exd5 ", "e8=Q ",
// "O-O ". `type` is the moving piece's type, `prise` whether it captures,
// `desambiguation` a file letter or rank digit, or 0.
void ecrit_jeton_san(char* sortie, size_t taille, uint32_t coup, int type, int prise,
                     char desambiguation);

// Appends the token of `coup` in the position `e` whose legal list is
// `liste`; nothing when the move is not a legal entry of the list (or is a
// promotion given without its piece).
void ecrit_san(char* sortie, size_t taille, uint32_t coup, const uint32_t* liste, const EMPILAGE& e);

// Appends the tokens of the variation `pv` (ended by 0, at most 31 moves)
// from entry `index`, played from the position `e` where `trait` moves
// with the legal list `liste`. Stops at the first move that is not legal
// in the position reached. `e` and `liste` are left untouched.
void ecrit_san_variante(char* sortie, size_t taille, const uint32_t* pv, int index, int trait,
                        const uint32_t* liste, const EMPILAGE& e);

// Writes the variation `pv` in coordinate text, each move followed by a
// space; the buffer is emptied first.
void ecrit_coordonnees_variante(char* sortie, size_t taille, const uint32_t* pv);
