// Position hash keys, the transposition table, the repetition tables and
// the allocation of the pawn cache.
#pragma once

#include <cstdint>

#include "board/types.h"

// Key tables, filled once by init_cles_hash (engine construction).
extern uint32_t zobrist_cle[1024];
extern uint32_t zobrist_verrou[1024];

// Index of a piece of slot s and type t on square q in the key tables.
inline int index_cle(int s, int t, int q) { return (s >= 16 ? 512 : 0) + 64 * t + q; }

#pragma pack(push, 1)
// One transposition-table entry (11 bytes).
struct ENTREE_HASH {
  uint32_t verrou;     // verrou_hash of the stored position
  int16_t score;       // side to move's view
  uint16_t coup;       // best or refutation move, 0 if none
  uint16_t info;       // kind (bits 0-2), depth (3-8), ply (9-14)
  uint8_t generation;  // generation_hash when stored
};
// One repetition-table entry (6 bytes).
struct ENTREE_REPETITION {
  uint32_t verrou;  // verrou_hash of the position
  uint8_t compte;   // occurrences
  uint8_t ply;      // 0 for the game, the search ply on the search path, 255 free
};
// One pawn-cache entry (9 bytes).
struct ENTREE_PIONS {
  uint32_t verrou;    // verrou_pions of the stored position
  int16_t score;      // pawn-structure score, White positive
  uint16_t rois;      // black king square * 256 + white king square
  uint8_t pieces;     // nb_pieces_noires * 16 + nb_pieces_blanches
};
#pragma pack(pop)
static_assert(sizeof(ENTREE_HASH) == 11 && sizeof(ENTREE_REPETITION) == 6 &&
              sizeof(ENTREE_PIONS) == 9);

// Kinds of a transposition-table entry.
inline constexpr int HASH_VIDE = 0;
inline constexpr int HASH_MINORANT = 1;  // lower bound
inline constexpr int HASH_MAJORANT = 2;  // upper bound
inline constexpr int HASH_EXACT = 3;
inline constexpr int HASH_COUP = 4;      // move only

inline constexpr int TAILLE_REPETITION = 16384;
inline constexpr int MASQUE_REPETITION = TAILLE_REPETITION - 1;
inline constexpr uint8_t PLY_LIBRE = 255;

// The tables; written by allocation, the search and the game.
extern ENTREE_HASH* table_hash;          // transposition table, or null
extern uint32_t taille_hash;             // its entry count (a power of two)
extern uint32_t masque_hash;             // its index mask
extern uint8_t generation_hash;          // current search generation, 1..255 (0 after clearing)
extern ENTREE_PIONS* table_pions;        // pawn cache, or null
extern uint32_t masque_pions;            // its index mask
extern ENTREE_REPETITION* table_repetition;            // game copy, kept by Joue
extern ENTREE_REPETITION* table_repetition_recherche;  // search copy

// Fills the key tables from the fixed generator; later calls do nothing.
void init_cles_hash();
// The key generator, restarted from its seed by `depuis_graine`.
uint32_t tirage_cle(bool depuis_graine = false);

// Slot of a position: even index for White to move, odd for Black.
inline uint32_t case_table(uint32_t cle, int trait, uint32_t masque) {
  return trait == BLANCS ? (cle & masque & ~1u) : ((cle | 1u) & masque);
}

// (Re)allocates the transposition table (2^n entries, n from 13 to 23,
// 16 for 0), the pawn cache and the repetition copies; returns n or -1.
int alloue_tables(int n);
// Frees every table.
void libere_tables();
void clear_table_hash();
void next_generation();
void compute_keys(EMPILAGE* e);
void clear_repetition(ENTREE_REPETITION* table);
// Game-copy update after a move is played; returns the occurrence count of
// the position, or 100 at the hundredth reversible half-move.
int record_game_position(ENTREE_REPETITION* table, int trait, int irreversible, EMPILAGE* e);
// Copies the game copy over the search copy; false when it does not exist.
bool restore_search_repetition();

// Stores into the slot of the node's position, under the replacement rule.
void stocke_hash(const EMPILAGE* e, int trait, int genre, int score, uint32_t coup, int profondeur,
                 int ply);
// The entry of the node's position when its check word matches, else null.
ENTREE_HASH* sonde_hash(const EMPILAGE* e, int trait);
