// Endings without pawns: drawn material, and driving the bare king to the
// edge or to the right corner.
#include <algorithm>

#include "board/tables.h"
#include "eval/cases.h"
#include "eval/termes.h"

namespace {

using namespace cases;

int bord(int q) { return std::min({colonne(q), 7 - colonne(q), rangee(q), 7 - rangee(q)}); }

int coin(int q) { return std::min({Tdistance[q][A1], Tdistance[q][H1], Tdistance[q][A8], Tdistance[q][H8]}); }

// Distance to the nearer corner of one square colour: h1/a8 (light) or a1/h8.
int coin_couleur(int q, bool clair) {
  return clair ? std::min(Tdistance[q][H1], Tdistance[q][A8]) : std::min(Tdistance[q][A1], Tdistance[q][H8]);
}

// Points that the stronger side's pieces earn against the bare king `roi`,
// subtracted from its material; `fou_clair` is the slot of its light-squared
// bishop of the initial set.
int poussee(const int (&n)[5], const EMPILAGE* e, int roi, int d, int fou_clair) {
  const int lourdes = n[DAME] + n[TOUR];
  if (lourdes >= 2) return 2 * bord(roi);
  if (lourdes == 1) return 2 * bord(roi) + d;
  if (n[FOU] == 2) return 2 * coin(roi) + d;
  if (n[FOU] == 1 && n[CAVALIER] >= 1) return coin_couleur(roi, e->pos_piece[fou_clair] >= 0) + d;
  return 0;
}

}  // namespace

int finale_sans_pions(const EMPILAGE* e, int nulle_blanc) {
  // Pieces of each side by type, kings left out
  int n[2][5] = {};
  int total = 0;
  for (int s = 0; s < 32; ++s) {
    const int t = e->type_piece[s];
    if (s == 0 || s == 16 || e->pos_piece[s] < 0 || t < DAME || t > CAVALIER) continue;
    ++n[s >= 16][t];
    ++total;
  }

  // Material that cannot mate
  if (total == 0) return nulle_blanc;
  if (total == 1 && (n[0][FOU] + n[1][FOU] + n[0][CAVALIER] + n[1][CAVALIER]) == 1) return nulle_blanc;
  if (total == 2 && (n[0][CAVALIER] == 2 || n[1][CAVALIER] == 2)) return nulle_blanc;

  // The stronger side drives the other king
  const int m = e->materiel;
  const int roi_blanc = e->pos_piece[0] & 63, roi_noir = e->pos_piece[16] & 63;
  const int d = Tdistance[roi_blanc][roi_noir];
  if (m > 0) return m - poussee(n[0], e, roi_noir, d, 5);
  if (m < 0) return m + poussee(n[1], e, roi_blanc, d, 20);
  return 0;
}
