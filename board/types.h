// Basic vocabulary of the board: squares, piece slots and types, move words,
// the node state EMPILAGE with its copy, and the game-record entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Squares: rank * 8 + file, a1 = 0, h8 = 63.
inline constexpr int colonne(int case_) { return case_ & 7; }
inline constexpr int rangee(int case_) { return case_ >> 3; }

// Sides.
inline constexpr int BLANCS = 0;
inline constexpr int NOIRS = 1;

// The no-piece marker of a square, and the slot count.
inline constexpr int VIDE = 32;
inline constexpr int NB_PIECES = 32;

// Piece types; only pawns carry their colour.
inline constexpr int ROI = 0;
inline constexpr int DAME = 1;
inline constexpr int TOUR = 2;
inline constexpr int FOU = 3;
inline constexpr int CAVALIER = 4;
inline constexpr int PION_BLANC = 5;
inline constexpr int PION_NOIR = 6;

// One pawn in the engine's units.
inline constexpr int VALEUR_PION = 400;

// Move word: from in bits 0-5, to in bits 6-11, kind in bits 12-14,
// illegal mark in bit 15, owner's score in bits 16-31.
inline constexpr uint32_t GENRE_COUP = 0x7000;
inline constexpr uint32_t PETIT_ROQUE = 0x1000;
inline constexpr uint32_t GRAND_ROQUE = 0x2000;
inline constexpr uint32_t PRISE_EN_PASSANT = 0x3000;
inline constexpr uint32_t PROMOTION = 0x4000;
inline constexpr uint32_t PROMOTION_DAME = 0x4000;
inline constexpr uint32_t PROMOTION_TOUR = 0x5000;
inline constexpr uint32_t PROMOTION_FOU = 0x6000;
inline constexpr uint32_t PROMOTION_CAVALIER = 0x7000;
inline constexpr uint32_t COUP_ILLEGAL = 0x8000;
// Results of the generators besides the move itself.
inline constexpr uint32_t RESULTAT_MAT = 0x10000;
inline constexpr uint32_t RESULTAT_PAT = 0x20000;

// Castling moves written as the king's move.
inline constexpr uint32_t ROQUE_BLANC_PETIT = 0x1184;  // e1g1
inline constexpr uint32_t ROQUE_BLANC_GRAND = 0x2084;  // e1c1
inline constexpr uint32_t ROQUE_NOIR_PETIT = 0x1FBC;   // e8g8
inline constexpr uint32_t ROQUE_NOIR_GRAND = 0x2EBC;   // e8c8

inline constexpr int case_depart(uint32_t coup) { return coup & 63; }
inline constexpr int case_arrivee(uint32_t coup) { return (coup >> 6) & 63; }
inline constexpr uint32_t cree_coup(int de, int vers, uint32_t genre = 0) {
  return uint32_t(de) | (uint32_t(vers) << 6) | genre;
}

// Entries of a move list. A list of the board holds at most this many
// moves and its terminating 0: sixteen men can never have more than
// 16 * 27 + 4 pseudo-legal moves, whatever the set-up.
inline constexpr int TAILLE_LISTE_COUPS = 512;

// Castling states: [0] white king-side, [1] black king-side,
// [2] white queen-side, [3] black queen-side; -1 lost, 0 possible, 1 done.
inline constexpr int ROQUE_PERDU = -1;
inline constexpr int ROQUE_POSSIBLE = 0;
inline constexpr int ROQUE_FAIT = 1;

// The state the generators copy and the search keeps one of per ply.
struct EMPILAGE {
  int pos_piece[32];      // square of each slot, -1 off the board
  int echiquier[64];      // slot on each square, VIDE when empty
  int type_piece[33];     // type of each slot; entry 32 is -1
  int roque[4];           // castling states
  int valeur_piece[32];   // value of each slot
  int nb_pieces_blanches; // white pieces other than king and pawns
  int nb_pieces_noires;
  int nb_pions_blancs;
  int nb_pions_noirs;
  uint32_t cle_hash;      // position keys
  uint32_t verrou_hash;
  uint32_t cle_pions;     // pawn-structure keys
  uint32_t verrou_pions;
  int phase;              // game phase 0..5 of the evaluation
  int materiel;           // white material minus black material
  int positionnel;        // incremental piece-square sum
  int ply;                // distance from the search root
  uint32_t coup_precedent;  // last move applied, captured slot in the high half
  int coups_reversibles;  // consecutive reversible half-moves
};

// Copies a node into a child's, 64 bytes at a time: a plain assignment
// compiles to a string-move instruction whose start-up costs more than
// these few vector moves, and the search and perft copy at every node.
inline void copie_noeud(EMPILAGE& enfant, const EMPILAGE& parent) {
  constexpr std::size_t BLOC = 64, RESTE = sizeof(EMPILAGE) % BLOC;
  char* vers = reinterpret_cast<char*>(&enfant);
  const char* de = reinterpret_cast<const char*>(&parent);
  for (std::size_t i = 0; i + BLOC <= sizeof(EMPILAGE); i += BLOC) std::memcpy(vers + i, de + i, BLOC);
  std::memcpy(vers + sizeof(EMPILAGE) - RESTE, de + sizeof(EMPILAGE) - RESTE, RESTE);
}

// One move of the game record: 6 bytes, packed.
#pragma pack(push, 1)
struct S_LISTE_COUPS {
  uint16_t coup;   // low 16 bits of the move word
  uint16_t prise;  // captured slot, 32 if none
  uint16_t roque;  // packed castling state before the move
};
#pragma pack(pop)
static_assert(sizeof(S_LISTE_COUPS) == 6);
