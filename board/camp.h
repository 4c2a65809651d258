// What distinguishes the two sides in the search's colour twins: slots,
// pawn type and direction, castling slots, states and key indices, ranks
// counted from the side's own back rank.
#pragma once

#include <cstdint>

#include "board/types.h"

template <int C>
struct Camp {
  static constexpr int premier = C == BLANCS ? 0 : 16;            // first slot of the side
  static constexpr int roi = premier;                             // king slot
  static constexpr int premier_pion = premier + 8;                // first pawn slot
  static constexpr int roi_adverse = C == BLANCS ? 16 : 0;        // enemy king slot
  static constexpr int cavalier_adverse = roi_adverse + 6;        // first enemy knight slot
  static constexpr int tour_dame = premier + 2;                   // queen-side rook slot
  static constexpr int tour_roi = premier + 3;                    // king-side rook slot
  static constexpr int roque_roi = C == BLANCS ? 0 : 1;           // king-side castling state
  static constexpr int roque_dame = C == BLANCS ? 2 : 3;          // queen-side castling state
  static constexpr int base_roque = C == BLANCS ? 448 : 960;      // castling key index base
  static constexpr int pion = C == BLANCS ? PION_BLANC : PION_NOIR;
  static constexpr int base_pion = C == BLANCS ? 320 : 896;       // pawn key index base
  static constexpr int avant = C == BLANCS ? 8 : -8;              // one step forward
  static constexpr int rangee_base = C == BLANCS ? 0 : 56;        // first square of the back rank
  // Castling geometry: the king's and rooks' initial squares, and where
  // each castling puts its rook.
  static constexpr int case_roi = rangee_base + 4;
  static constexpr int coin_roi = rangee_base + 7;               // king-side rook's corner
  static constexpr int coin_dame = rangee_base;                  // queen-side rook's corner
  static constexpr int arrivee_tour_roi = rangee_base + 5;       // rook after the short castling
  static constexpr int arrivee_tour_dame = rangee_base + 3;      // rook after the long castling
  static constexpr int rangee_double_adverse = C == BLANCS ? 6 : 1;  // rank the enemy double step leaves
  static constexpr int debut_septieme = C == BLANCS ? 48 : 8;     // first square of the side's 7th rank
  static constexpr int signe = C == BLANCS ? 1 : -1;              // materiel and positionnel count for White
  static constexpr uint32_t petit_roque = C == BLANCS ? ROQUE_BLANC_PETIT : ROQUE_NOIR_PETIT;
  static constexpr uint32_t grand_roque = C == BLANCS ? ROQUE_BLANC_GRAND : ROQUE_NOIR_GRAND;
  // Rank of a square counted from the side's own back rank.
  static constexpr int rang(int q) { return C == BLANCS ? rangee(q) : 7 - rangee(q); }
  // Does the slot (VIDE included) hold a piece of the other side?
  static constexpr bool est_adverse(int slot) { return (slot & 48) == (C == BLANCS ? 16 : 0); }
};
