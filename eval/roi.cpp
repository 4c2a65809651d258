// King safety: pawn shelter, castling, the king's square and the open
// centre, counted as danger for each king.
#include <algorithm>
#include <bit>
#include <cstdint>

#include "board/tables.h"
#include "eval/attaques.h"
#include "eval/cases.h"
#include "eval/termes.h"

using namespace cases;

// clang-format off
const int danger_roi_blanc[64] = {
  4, 2, 3, 4, 4, 2, 1, 2,
  4, 3, 3, 7, 7, 3, 2, 2,
  6, 4, 6, 7, 7, 6, 4, 6,
  8, 5, 6, 8, 8, 6, 5, 8,
  8, 5, 6, 8, 8, 6, 5, 8,
  8, 5, 6, 8, 8, 6, 5, 8,
  8, 5, 6, 8, 8, 6, 5, 8,
  8, 5, 6, 8, 8, 6, 5, 8,
};
const int danger_roi_noir[64] = {
  8, 5, 6, 8, 8, 6, 5, 8,
  8, 5, 6, 8, 8, 6, 5, 8,
  8, 5, 6, 8, 8, 6, 5, 8,
  8, 5, 6, 8, 8, 6, 5, 8,
  8, 5, 6, 8, 8, 6, 5, 8,
  6, 4, 6, 7, 7, 6, 4, 6,
  4, 3, 3, 7, 7, 3, 2, 2,
  4, 2, 3, 4, 4, 2, 1, 2,
};
// clang-format on

namespace {

// What distinguishes the two kings. Squares are written from White's side
// and turned to Black's by `vue`.
template <int C>
struct Roi {
  static constexpr int roi = C == BLANCS ? 0 : 16;               // own king slot
  static constexpr int premier_pion = roi + 8;                   // own a-pawn slot
  static constexpr int fou_c = roi + 4, fou_f = roi + 5;         // own bishop slots
  static constexpr int dame_adverse = C == BLANCS ? 17 : 1;
  static constexpr int fou_c_adverse = C == BLANCS ? 20 : 4;
  static constexpr int fou_f_adverse = C == BLANCS ? 21 : 5;
  static constexpr int roque_roi = C == BLANCS ? 0 : 1, roque_dame = C == BLANCS ? 2 : 3;
  static constexpr int roque_roi_adverse = 1 - roque_roi, roque_dame_adverse = 5 - roque_dame;
  static constexpr const int* danger = C == BLANCS ? danger_roi_blanc : danger_roi_noir;
  static constexpr int vue(int q) { return C == BLANCS ? q : q ^ 56; }
};

bool slot_pion_blanc(int s) { return s >= 8 && s <= 15; }
bool slot_pion_noir(int s) { return s >= 24 && s <= 31; }

// Ranks 2 to 7, where pawn slots are looked for on a file.
constexpr uint64_t RANGEES_2_A_7 = 0x00ffffffffffff00;

// A file with no pawn slot of either colour on ranks 2 to 7, among the
// squares `pions` of every pawn slot.
bool colonne_sans_pion(uint64_t pions, int f) { return (pions & (attaques::COLONNE_A << f) & RANGEES_2_A_7) == 0; }

// Shelter of one file: the first own pawn slot in front of the king (slot
// squares `propres`), else any pawn slot (squares `pions`) on the far ranks.
template <int C>
int abri(uint64_t propres, uint64_t pions, int f) {
  static constexpr int POIDS[7] = {0, 0, 2, 3, 4, 4, 4};
  // Ranks 5 to 7 seen from C's side
  constexpr uint64_t LOIN = C == BLANCS ? 0x00ffffff00000000 : 0x00000000ffffff00;
  const uint64_t colonne = attaques::COLONNE_A << f;
  if (const uint64_t devant = propres & colonne & RANGEES_2_A_7) {
    // The nearest to C's first rank: the lowest square for White, the highest for Black
    const int q = C == BLANCS ? std::countr_zero(devant) : 63 - std::countl_zero(devant);
    return POIDS[C == BLANCS ? rangee(q) : 7 - rangee(q)];
  }
  return (pions & colonne & LOIN) ? 4 : 8;
}

// Squares of the pawn slots of White (8-15) and of Black (24-31).
struct PIONS {
  uint64_t blancs;
  uint64_t noirs;
};

PIONS pions_des_slots(const EMPILAGE* e) { return {attaques::cases_des_slots(e, 8), attaques::cases_des_slots(e, 24)}; }

template <int C>
int danger(const EMPILAGE* e, const PIONS& slots) {
  using R = Roi<C>;
  const int* pos = e->pos_piece;
  const int roi = pos[R::roi] & 63;
  const int f = colonne(roi);
  const bool aile_dame = f < 4;
  const auto pion_adverse = [&](int q) {
    const int s = e->echiquier[R::vue(q)];
    return C == BLANCS ? slot_pion_noir(s) : slot_pion_blanc(s);
  };
  const auto sur = [&](int s, int q) { return pos[s] == R::vue(q); };

  // Shelter of the three files of the king's wing
  const uint64_t propres = C == BLANCS ? slots.blancs : slots.noirs;
  const uint64_t pions = slots.blancs | slots.noirs;
  int d = 0;
  if (aile_dame) d = abri<C>(propres, pions, 2) + abri<C>(propres, pions, 1) + abri<C>(propres, pions, 0);
  else d = abri<C>(propres, pions, 5) + abri<C>(propres, pions, 6) + abri<C>(propres, pions, 7);

  // A castled king behind a broken shelter
  if (d > 7) {
    const bool roque = e->roque[aile_dame ? R::roque_dame : R::roque_roi] == ROQUE_FAIT;
    const bool roque_adverse = e->roque[aile_dame ? R::roque_dame_adverse : R::roque_roi_adverse] == ROQUE_FAIT;
    if (roque) d += roque_adverse ? 2 : 3;
  }

  // The king's square
  d += R::danger[roi];

  // With both castling states decided: fianchetto holes and the open centre
  if (e->roque[R::roque_roi] != ROQUE_POSSIBLE && e->roque[R::roque_dame] != ROQUE_POSSIBLE) {
    if (aile_dame) {
      const int pion_b = R::premier_pion + 1;
      if (!sur(pion_b, B2)) {
        if (sur(pion_b, B3) && Tdistance[roi][R::vue(B2)] == 1 &&
            (sur(R::fou_c, A1) || sur(R::fou_c, C1) || sur(R::fou_c, B2)))
          d -= 2;
        if (pos[R::dame_adverse] >= 0 && (pion_adverse(A3) || pion_adverse(C3) ||
                                          sur(R::fou_f_adverse, A3) || sur(R::fou_f_adverse, C3)))
          d += 10;
      }
    } else {
      const int pion_g = R::premier_pion + 6;
      if (!sur(pion_g, G2)) {
        if (sur(pion_g, G3) && Tdistance[roi][R::vue(G2)] == 1 &&
            (sur(R::fou_f, F1) || sur(R::fou_f, H1) || sur(R::fou_f, G2)))
          d -= 2;
        if (pos[R::dame_adverse] >= 0 && (pion_adverse(F3) || pion_adverse(H3) ||
                                          sur(R::fou_c_adverse, F3) || sur(R::fou_c_adverse, H3)))
          d += 10;
      }
    }
    if (f == 3 || f == 4) d += 8 * (colonne_sans_pion(pions, 3) + colonne_sans_pion(pions, 4));
  }
  return d;
}

}  // namespace

int danger_roi(const EMPILAGE* e, int camp) {
  const PIONS slots = pions_des_slots(e);
  return camp == BLANCS ? danger<BLANCS>(e, slots) : danger<NOIRS>(e, slots);
}

int securite_rois(const EMPILAGE* e) {
  const PIONS slots = pions_des_slots(e);
  return (std::min(danger<NOIRS>(e, slots), 25) - std::min(danger<BLANCS>(e, slots), 25)) * 16;
}
