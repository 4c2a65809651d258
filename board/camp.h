// What distinguishes the two sides in the search's colour twins: slots,
// pawn type and direction, castling slots, states and key indices.
#pragma once

#include <cstdint>

#include "board/types.h"

template <int C>
struct Camp {
  static constexpr int premier = C == BLANCS ? 0 : 16;            // first slot of the side
  static constexpr int roi = premier;                             // king slot
  static constexpr int tour_dame = premier + 2;                   // queen-side rook slot
  static constexpr int tour_roi = premier + 3;                    // king-side rook slot
  static constexpr int roque_roi = C == BLANCS ? 0 : 1;           // king-side castling state
  static constexpr int roque_dame = C == BLANCS ? 2 : 3;          // queen-side castling state
  static constexpr int base_roque = C == BLANCS ? 448 : 960;      // castling key index base
  static constexpr int pion = C == BLANCS ? PION_BLANC : PION_NOIR;
  static constexpr int base_pion = C == BLANCS ? 320 : 896;       // pawn key index base
  static constexpr int avant = C == BLANCS ? 8 : -8;              // one step forward
  static constexpr int rangee_base = C == BLANCS ? 0 : 56;        // first square of the back rank
  static constexpr int rangee_double_adverse = C == BLANCS ? 6 : 1;  // rank the enemy double step leaves
  static constexpr int debut_septieme = C == BLANCS ? 48 : 8;     // first square of the side's 7th rank
  static constexpr int signe = C == BLANCS ? 1 : -1;              // materiel and positionnel count for White
  static constexpr uint32_t petit_roque = C == BLANCS ? ROQUE_BLANC_PETIT : ROQUE_NOIR_PETIT;
  static constexpr uint32_t grand_roque = C == BLANCS ? ROQUE_BLANC_GRAND : ROQUE_NOIR_GRAND;
  // Does the slot (VIDE included) hold a piece of the other side?
  static constexpr bool est_adverse(int slot) { return (slot & 48) == (C == BLANCS ? 16 : 0); }
};
