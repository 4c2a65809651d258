// Mobility of the pieces and their pressure on the zones of both kings.
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>

#include "board/tables.h"
#include "eval/termes.h"

namespace {

// What one side's pieces gathered on their walks.
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

// Size of a set of squares that holds only a few.
inline int nombre(uint64_t m) {
  int n = 0;
  for (; m; m &= m - 1) ++n;
  return n;
}

template <int C>
BILAN parcours(const EMPILAGE* e) {
  constexpr int premier = C == BLANCS ? 0 : 16;           // own king slot
  constexpr int pion_adverse = C == BLANCS ? 24 : 8;      // first enemy pawn slot
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
    int libres = 0;
    uint64_t visitees = 0;  // every target visited, empty or not
    for (const PAS* p = Tdep[t][q]; p->cible >= 0;) {
      const int x = p->cible;
      const int occupant = e->echiquier[x];
      const bool vide = occupant == VIDE;
      visitees |= uint64_t(1) << x;
      if (vide) {
        ++b.mobilite;
        ++libres;
      } else if (C == BLANCS ? (occupant >= 16 && occupant < 32) : occupant < 16) {
        ++b.mobilite;
      }
      p += vide ? 1 : p->saut;
    }
    // Pressure on the enemy king's zone (half for an enemy pawn slot), cover of the own king's
    for (uint64_t z = visitees & zone_adverse; z; z &= z - 1) {
      const int occupant = e->echiquier[std::countr_zero(z)];
      b.attaque += occupant >= pion_adverse && occupant < pion_adverse + 8 ? 3 : 6;
    }
    b.defense += 3 * nombre(visitees & zone_propre);
    if (libres == 0 && s != premier + 2 && s != premier + 3) b.mobilite -= 12;
  }
  return b;
}

}  // namespace

int mobilite_pieces(const EMPILAGE* e) {
  const BILAN blancs = parcours<BLANCS>(e);
  const BILAN noirs = parcours<NOIRS>(e);
  int m = blancs.mobilite - noirs.mobilite + blancs.attaque - noirs.attaque;
  // A king under attack counts its defenders
  if (e->nb_pieces_noires > 1 && noirs.attaque > 5) m += blancs.defense;
  if (e->nb_pieces_blanches > 1 && blancs.attaque > 5) m -= noirs.defense;
  return m;
}
