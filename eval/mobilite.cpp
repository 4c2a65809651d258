// Mobility of the pieces and their pressure on the zones of both kings.
#include <array>
#include <cstdint>
#include <cstdlib>

#include "eval/attaques.h"
#include "eval/termes.h"

namespace {

using attaques::cases_des_slots;
using attaques::nombre;

// What one side's pieces reach.
struct BILAN {
  int mobilite;  // empty and enemy-held targets, minus 12 per blocked piece
  int attaque;   // targets next to or on the enemy king's square
  int defense;   // targets next to the own king
};

// Squares within one king step of each square, the square itself included.
constexpr std::array<uint64_t, 64> voisinage = [] {
  std::array<uint64_t, 64> v{};
  for (int q = 0; q < 64; ++q)
    for (int x = 0; x < 64; ++x)
      if (std::abs(colonne(q) - colonne(x)) <= 1 && std::abs(rangee(q) - rangee(x)) <= 1)
        v[q] |= uint64_t(1) << x;
  return v;
}();

// Where the men of both sides stand.
struct OCCUPATION {
  uint64_t pieces[2];  // squares of the king and piece slots (0-7, 16-23)
  uint64_t pions[2];   // squares of the pawn slots (8-15, 24-31)
};

// One side's pieces; forced into each build of mobilite_pieces, so that it
// counts with that build's instructions.
template <int C>
[[gnu::always_inline]] inline BILAN parcours(const EMPILAGE* e, const OCCUPATION& o) {
  constexpr int premier = C == BLANCS ? 0 : 16;  // own king slot
  const uint64_t propres = o.pieces[C] | o.pions[C];
  const uint64_t occupees = propres | o.pieces[1 - C] | o.pions[1 - C];
  const uint64_t pions_adverses = o.pions[1 - C];
  const int roi = e->pos_piece[premier] & 63;
  const int roi_adverse = e->pos_piece[16 - premier] & 63;
  const uint64_t zone_adverse = voisinage[roi_adverse];                // distance below 2
  const uint64_t zone_propre = voisinage[roi] & ~(uint64_t(1) << roi);  // distance 1
  BILAN b{0, 0, 0};
  // The queen, rooks, bishops and knights of the initial set; promoted
  // pieces in pawn slots take no part.
  for (int s = premier + 1; s <= premier + 7; ++s) {
    const int q = e->pos_piece[s];
    const int t = e->type_piece[s];
    if (q < 0 || q > 63 || t < DAME || t > CAVALIER) continue;
    const uint64_t vues = t == DAME     ? attaques::dame(q, occupees)
                          : t == TOUR   ? attaques::tour(q, occupees)
                          : t == FOU    ? attaques::fou(q, occupees)
                                        : attaques::cavalier(q);
    // Empty and enemy-held targets
    b.mobilite += nombre(vues & ~propres);
    // Pressure on the enemy king's zone (half on an enemy pawn slot), cover of the own king's
    const uint64_t pression = vues & zone_adverse;
    b.attaque += 6 * nombre(pression) - 3 * nombre(pression & pions_adverses);
    b.defense += 3 * nombre(vues & zone_propre);
    // A blocked piece other than a rook
    if ((vues & ~occupees) == 0 && s != premier + 2 && s != premier + 3) b.mobilite -= 12;
  }
  return b;
}

// The set sizes are most of the work: on x86-64 the term is built twice,
// with and without the processor's population count, and the loader picks
// the one the machine has. Not under ThreadSanitizer: the loader's choice
// runs before its run-time is ready and the program would crash at start.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__SANITIZE_THREAD__)
#define AVEC_POPCNT __attribute__((target_clones("popcnt", "default")))
#else
#define AVEC_POPCNT
#endif

}  // namespace

AVEC_POPCNT int mobilite_pieces(const EMPILAGE* e) {
  const OCCUPATION o{{cases_des_slots(e, 0), cases_des_slots(e, 16)}, {cases_des_slots(e, 8), cases_des_slots(e, 24)}};
  const BILAN blancs = parcours<BLANCS>(e, o);
  const BILAN noirs = parcours<NOIRS>(e, o);
  int m = blancs.mobilite - noirs.mobilite + blancs.attaque - noirs.attaque;
  // A king under attack counts its defenders
  if (e->nb_pieces_noires > 1 && noirs.attaque > 5) m += blancs.defense;
  if (e->nb_pieces_blanches > 1 && blancs.attaque > 5) m -= noirs.defense;
  return m;
}
