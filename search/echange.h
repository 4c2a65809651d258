// Static exchange evaluation: what a capture wins or loses once both sides
// have taken and retaken on its square with their cheapest men.
#pragma once

#include <cstdint>

#include "board/types.h"

// Value of a piece type (king .. black pawn) in the exchange, in the
// engine's units; the king is worth more than everything else together.
inline constexpr int VALEUR_ECHANGE[7] = {40000, 3600, 2000, 1300, 1300, VALEUR_PION, VALEUR_PION};

// The material side C wins (negative: loses) by capture `coup` when each
// side then recaptures on the target square with its least valuable
// attacker, x-rays through the men that have left included, either side
// free to stop. Pins and checks are ignored. Not for en passant or
// promotions.
template <int C>
int echange_statique(const EMPILAGE& e, uint32_t coup);
