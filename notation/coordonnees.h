// Coordinate text of moves.
#pragma once

#include <cstdint>

// The piece-letter table in force, indexed by piece type: "RDTFCPP"
// (French, at start) or "KQRBNPP" (English, chosen by Langage).
extern const char* lettres_pieces;
inline constexpr const char* LETTRES_FRANCAISES = "RDTFCPP";
inline constexpr const char* LETTRES_ANGLAISES = "KQRBNPP";

// Coordinate text of a move as the engine writes it: "e2e4", "O-O",
// "O-O-O", promotions with the upper-case table letter ("e7e8Q").
// texte holds at least 6 bytes.
void texte_coordonnees(uint32_t coup, char* texte);

// The move as the xboard protocol writes it: castling as the king's move
// ("e1g1") and promotions with a lower-case English letter ("e7e8q").
// texte holds at least 6 bytes.
void texte_protocole(uint32_t coup, char* texte);
