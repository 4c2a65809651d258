// Position indexing: the number under which a table stores a position.
#pragma once

#include <cstdint>

#include "tablebase/classes.h"

// Positions of a probe piece list (17 squares, -1 = empty).
inline constexpr int TB_LISTE = 17;
inline constexpr int TB_ROI = 0, TB_DAMES = 1, TB_TOURS = 4, TB_FOUS = 7,
                     TB_CAVALIERS = 10, TB_PIONS = 13;

// Men kinds of the placement numbering.
inline constexpr int TB_GENRE_PION_ATTENTE = 0;  // pawn of the waiting side
inline constexpr int TB_GENRE_PION_TRAIT = 1;    // pawn of the side to move
inline constexpr int TB_GENRE_CAVALIER = 2;
inline constexpr int TB_GENRE_FOU = 3;
inline constexpr int TB_GENRE_TOUR = 4;
inline constexpr int TB_GENRE_DAME = 5;

inline constexpr int TB_PAIRES_SANS_PIONS = 462;
inline constexpr int TB_PAIRES_AVEC_PIONS = 1806;
inline constexpr int TB_PAIRE_INVALIDE = 4000;

// Index returned for a position the numbering has no place for (kings in
// contact, a man on an excluded square): beyond every table.
inline constexpr uint32_t TB_INDEX_INVALIDE = 0xFFFFFFFFu;

// Builds the placement, king-pair and base tables (once).
void TbBuildIndexTables();

// The index function of a class (1..110) for a side to move (0 = the
// first-named side, ".nbw"; 1 = ".nbb").
FONCTION_INDEX TbIndexFunction(int classe, int camp);

// Building blocks, for the generator and for checks.
int TbPlacement(int genre, int roi_attente, int case_);  // 255 = excluded
int TbKingPair(bool pions, int roi_trait, int roi_attente);
uint32_t TbEnumerationCount(bool pions, int genre);  // positions of one man over all pairs
