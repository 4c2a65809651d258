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

// The eight lines from a square as file and rank steps: first the four
// towards higher squares (east, north, north-east, north-west), whose
// nearest square is the lowest one of a set, then the four towards lower
// squares (west, south, south-west, south-east). Rook lines are 0, 1, 4, 5,
// bishop lines 2, 3, 6, 7.
constexpr int PAS_COLONNE[8] = {1, 0, 1, -1, -1, 0, -1, 1};
constexpr int PAS_RANGEE[8] = {0, 1, 1, 1, 0, -1, -1, -1};

// The squares beyond each square along each line, to the edge of the board.
constexpr auto rayons = [] {
  std::array<std::array<uint64_t, 64>, 8> r{};
  for (int k = 0; k < 8; ++k)
    for (int q = 0; q < 64; ++q)
      for (int f = colonne(q) + PAS_COLONNE[k], g = rangee(q) + PAS_RANGEE[k]; f >= 0 && f < 8 && g >= 0 && g < 8;
           f += PAS_COLONNE[k], g += PAS_RANGEE[k])
        r[k][q] |= uint64_t(1) << (g * 8 + f);
  return r;
}();

// The last square of each of those rays (none for an empty ray).
constexpr auto bouts = [] {
  std::array<std::array<uint64_t, 64>, 8> b{};
  for (int k = 0; k < 8; ++k)
    for (int q = 0; q < 64; ++q) {
      const uint64_t r = rayons[k][q];
      if (r) b[k][q] = k < 4 ? uint64_t(1) << (63 - std::countl_zero(r)) : r & (~r + 1);
    }
  return b;
}();

// Does the slot (VIDE included) hold a piece of the side other than C?
template <int C>
inline int adverse(int occupant) {
  return C == BLANCS ? (occupant >= 16 && occupant < 32) : occupant < 16;
}

// What one piece's walk finds.
struct TRAJET {
  uint64_t vues = 0;  // every target visited, empty or not
  int libres = 0;     // empty targets
  int mobilite = 0;   // empty and enemy-held targets
};

// A queen, rook or bishop of side C on square q along line K: the walk
// visits the squares up to the first man, that man's square included.
// Taken from the occupied squares rather than square by square, so that
// no branch depends on where the line stops.
template <int C, int K>
inline void ligne(const EMPILAGE* e, int q, uint64_t occupees, TRAJET& t) {
  const uint64_t r = rayons[K][q];
  if (r == 0) return;
  const uint64_t arrets = (r & occupees) | bouts[K][q];
  const int x = K < 4 ? std::countr_zero(arrets) : 63 - std::countl_zero(arrets);
  t.vues |= r & ~rayons[K][x];
  const int occupant = e->echiquier[x];
  const int vides = Tdistance[q][x] - (occupant != VIDE);
  t.libres += vides;
  t.mobilite += vides + adverse<C>(occupant);
}

template <int C, int... K>
inline void lignes(const EMPILAGE* e, int q, uint64_t occupees, TRAJET& t) {
  (ligne<C, K>(e, q, occupees, t), ...);
}

template <int C>
BILAN parcours(const EMPILAGE* e, uint64_t occupees) {
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
    TRAJET trajet;
    if (t == DAME) {
      lignes<C, 0, 1, 2, 3, 4, 5, 6, 7>(e, q, occupees, trajet);
    } else if (t == TOUR) {
      lignes<C, 0, 1, 4, 5>(e, q, occupees, trajet);
    } else if (t == FOU) {
      lignes<C, 2, 3, 6, 7>(e, q, occupees, trajet);
    } else {
      for (const PAS* p = Tdep[CAVALIER][q]; p->cible >= 0; ++p) {  // a knight's walk never skips
        const int occupant = e->echiquier[p->cible];
        const int vide = occupant == VIDE;
        trajet.vues |= uint64_t(1) << p->cible;
        trajet.libres += vide;
        trajet.mobilite += vide + adverse<C>(occupant);
      }
    }
    b.mobilite += trajet.mobilite;
    // Pressure on the enemy king's zone (half for an enemy pawn slot), cover of the own king's
    for (uint64_t z = trajet.vues & zone_adverse; z; z &= z - 1) {
      const int occupant = e->echiquier[std::countr_zero(z)];
      b.attaque += occupant >= pion_adverse && occupant < pion_adverse + 8 ? 3 : 6;
    }
    b.defense += 3 * nombre(trajet.vues & zone_propre);
    if (trajet.libres == 0 && s != premier + 2 && s != premier + 3) b.mobilite -= 12;
  }
  return b;
}

}  // namespace

int mobilite_pieces(const EMPILAGE* e) {
  uint64_t occupees = 0;
  for (int s = 0; s < NB_PIECES; ++s) {
    const int q = e->pos_piece[s];
    if (q >= 0 && q <= 63) occupees |= uint64_t(1) << q;
  }
  const BILAN blancs = parcours<BLANCS>(e, occupees);
  const BILAN noirs = parcours<NOIRS>(e, occupees);
  int m = blancs.mobilite - noirs.mobilite + blancs.attaque - noirs.attaque;
  // A king under attack counts its defenders
  if (e->nb_pieces_noires > 1 && noirs.attaque > 5) m += blancs.defense;
  if (e->nb_pieces_blanches > 1 && blancs.attaque > 5) m -= noirs.defense;
  return m;
}
