#include "eval/pions.h"

#include <cstdint>
#include <cstdlib>

#include "board/camp.h"
#include "board/tables.h"
#include "search/hash.h"

namespace {

// Pieces (not pawns) of colour C.
template <int C>
int nb_pieces(const EMPILAGE* e) { return C == BLANCS ? e->nb_pieces_blanches : e->nb_pieces_noires; }

// One colour's pawns by file, ranks counted from its own side.
struct COLONNES {
  int avance[8];  // rank of the most advanced pawn, 0 without pawns
  int retard[8];  // 7 minus the rank of the least advanced pawn, 0 without pawns
  int nombre[8];  // pawns on the file
  int total;
};

template <int C>
void releve_colonnes(const EMPILAGE* e, COLONNES& c) {
  c = COLONNES{};
  // Pawns are recognised by type, in whichever slot they stand.
  for (int s = Camp<C>::premier; s < Camp<C>::premier + 16; ++s) {
    const int q = e->pos_piece[s];
    if (q < 0 || q > 63 || e->type_piece[s] != Camp<C>::pion) continue;
    const int f = colonne(q), r = Camp<C>::rang(q);
    if (r > c.avance[f]) c.avance[f] = r;
    if (7 - r > c.retard[f]) c.retard[f] = 7 - r;
    ++c.nombre[f];
    ++c.total;
  }
}

// Doubled and backward pawns (15 each), isolated weight and islands (20 each).
int defauts(const COLONNES& c) {
  int doubles = c.total, ilots = 0, isoles = 0, arrieres = 0;
  for (int f = 0; f < 8; ++f) {
    if (!c.nombre[f]) continue;
    --doubles;
    const bool gauche = f > 0 && c.nombre[f - 1];
    const bool droite = f < 7 && c.nombre[f + 1];
    if (!droite) ++ilots;
    if (!gauche && !droite) isoles += c.nombre[f] == 1 ? 1 : 2;
    if (f < 7) {
      const int retard_gauche = f > 0 ? c.retard[f - 1] : 0;
      if (droite && c.retard[f] > retard_gauche && c.retard[f] > c.retard[f + 1]) ++arrieres;
    } else if (gauche && c.retard[7] > c.retard[6]) {
      ++arrieres;
    }
  }
  return (doubles * 2 + arrieres) * 15 + (isoles * 2 + ilots) * 20;
}

// Do C's passed pawns earn the rate against a lone knight? The enemy's only
// piece is one of its two knights.
template <int C>
bool contre_cavalier_seul(const EMPILAGE* e) {
  using T = Camp<C>;
  return nb_pieces<1 - C>(e) == 1 &&
         (e->pos_piece[T::cavalier_adverse] >= 0 || e->pos_piece[T::cavalier_adverse + 1] >= 0);
}

// Passed pawns of colour C against the enemy's files, counted for C
// (positive). The rule of the square applies when the enemy has no pieces.
template <int C>
int passes(const EMPILAGE* e, int trait, const COLONNES& amis, const COLONNES& ennemis) {
  using T = Camp<C>;
  int r = (8 - nb_pieces<1 - C>(e)) * 5;
  if (contre_cavalier_seul<C>(e)) r = 42;
  const bool carre = nb_pieces<1 - C>(e) == 0;
  const int roi = e->pos_piece[T::roi_adverse] & 63;
  const int s = trait != C;  // the enemy is to move
  int score = 0, serie = 0;
  for (int f = 0; f < 8; ++f) {
    const int a = amis.avance[f];
    const bool passe = ennemis.retard[f] < a && (f == 0 || ennemis.retard[f - 1] <= a) &&
                       (f == 7 || ennemis.retard[f + 1] <= a);
    if (passe) {
      const bool imparable = carre && (T::rang(roi) < a - s || std::abs(colonne(roi) - f) > 7 - a + s);
      score += imparable ? a * 600 : r * a;
      ++serie;
    } else {
      if (serie > 1) score += (amis.avance[f - 1] + serie) * r;
      serie = 0;
    }
  }
  if (serie > 1) score += (amis.avance[7] + serie) * r;
  return score;
}

// King and lone pawn of colour C against the bare king (phase 4). Returns
// the bonus counted for C, or sets `imparable` with the whole term when the
// defending king cannot reach the pawn.
template <int C>
int roi_et_pion(const EMPILAGE* e, int trait, bool& imparable) {
  using T = Camp<C>;
  int p = -1;
  for (int s = T::premier_pion; s < T::premier_pion + 8 && p < 0; ++s) p = e->pos_piece[s] > 63 ? -1 : e->pos_piece[s];
  if (p < 0) return 0;
  const int pr = T::rang(p);
  const int roi = e->pos_piece[T::premier] & 63;
  const int defenseur = e->pos_piece[T::roi_adverse] & 63;
  const int s = trait != C;
  if (T::rang(defenseur) < pr - s || std::abs(colonne(defenseur) - colonne(p)) > 7 - pr + s) {
    imparable = true;
    return 2000 + pr * 266;
  }
  // Opposition: one file, the black king two ranks above the white king.
  const int roi_b = e->pos_piece[0] & 63, roi_n = e->pos_piece[16] & 63;
  const bool opposition = colonne(roi_b) == colonne(roi_n) && rangee(roi_n) == rangee(roi_b) + 2;
  if (!opposition) return 0;
  int bonus = 0;
  if (pr == 5) bonus += 335;
  if (pr == 4 && T::rang(roi) >= 5) bonus += 335;
  if (pr < 4 && T::rang(roi) > pr && s) bonus += 335;
  return bonus;
}

// The whole term, White positive; `final` is set for the two early
// returns of king and pawn against king, which are not cached.
int calcule(const EMPILAGE* e, int trait, bool& final) {
  // Per-file scan
  COLONNES blancs, noirs;
  releve_colonnes<BLANCS>(e, blancs);
  releve_colonnes<NOIRS>(e, noirs);

  // Doubled, backward and isolated pawns, islands
  int score = defauts(noirs) - defauts(blancs);

  // Passed pawns
  score += passes<BLANCS>(e, trait, blancs, noirs) - passes<NOIRS>(e, trait, noirs, blancs);

  // King and pawn against king
  if (e->phase == 4) {
    if (e->nb_pions_blancs == 1 && e->nb_pions_noirs == 0) {
      const int b = roi_et_pion<BLANCS>(e, trait, final);
      if (final) return b;
      score += b;
    } else if (e->nb_pions_noirs == 1 && e->nb_pions_blancs == 0) {
      const int b = roi_et_pion<NOIRS>(e, trait, final);
      if (final) return -b;
      score -= b;
    }
  }
  return score;
}

bool correspond(const ENTREE_PIONS& t, uint32_t verrou, uint8_t pieces, bool avec_pieces, uint16_t rois) {
  return t.verrou == verrou && t.pieces == pieces && (avec_pieces || t.rois == rois);
}

}  // namespace

uint32_t index_cache_pions(const EMPILAGE* e, int trait) {
  const uint32_t pieces = uint32_t((e->nb_pieces_noires & 15) << 4 | (e->nb_pieces_blanches & 15));
  const uint32_t cle = e->cle_pions ^ (pieces * 0x9E3779B1u);
  return ((cle & ~1u) | uint32_t(trait & 1)) & masque_pions;
}

int structure_pions(const EMPILAGE* e, int trait) {
  // The check word covers what the term depends on besides the pawns and
  // the piece counts: whether a lone enemy piece is a knight. Entries 452
  // and 964 of the key tables belong to no position key.
  uint32_t verrou = e->verrou_pions;
  if (contre_cavalier_seul<BLANCS>(e)) verrou ^= zobrist_verrou[452];
  if (contre_cavalier_seul<NOIRS>(e)) verrou ^= zobrist_verrou[964];
  const uint8_t pieces = uint8_t((e->nb_pieces_noires & 15) << 4 | (e->nb_pieces_blanches & 15));
  const uint16_t rois = uint16_t((e->pos_piece[16] & 63) << 8 | (e->pos_piece[0] & 63));
  const bool avec_pieces = e->nb_pieces_blanches > 0 && e->nb_pieces_noires > 0;

  // 1. Cache probe: the side to move's entry, then its neighbour when both sides have pieces
  ENTREE_PIONS* entree = nullptr;
  if (table_pions) {
    const uint32_t index = index_cache_pions(e, trait);
    entree = &table_pions[index];
    if (correspond(*entree, verrou, pieces, avec_pieces, rois)) return entree->score;
    if (avec_pieces) {
      const ENTREE_PIONS& voisine = table_pions[(index ^ 1) & masque_pions];
      if (correspond(voisine, verrou, pieces, avec_pieces, rois)) return voisine.score;
    }
  }

  // 2-7. The computation
  bool final = false;
  const int score = calcule(e, trait, final);

  // 8. Store, unless the term is an early return or does not fit the entry
  if (entree && !final && score >= INT16_MIN && score <= INT16_MAX)
    *entree = ENTREE_PIONS{verrou, int16_t(score), rois, pieces};
  return score;
}

int structure_pions_calculee(const EMPILAGE* e, int trait) {
  bool final = false;
  return calcule(e, trait, final);
}
