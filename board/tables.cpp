#include "board/tables.h"

#include <cstdlib>

PAS Tdep[5][64][28];
PAS_PION TdepPion[2][64][5];
int Tdirection[64][64];
int Tgenre[18];
int Tdistance[64][64];

namespace {

const int directions_roi[] = {8, -8, 1, -1, 7, -7, 9, -9};
const int directions_tour[] = {8, -8, 1, -1};
const int directions_fou[] = {7, -7, 9, -9};
const int directions_cavalier[] = {10, -10, 17, -17, 15, -15, 6, -6};

// A step from s to s + d stays on the board and does not wrap across an edge.
bool pas_valide(int s, int d) {
  int t = s + d;
  return t >= 0 && t < 64 && std::abs(colonne(t) - colonne(s)) < 3;
}

void remplit_tdep(int type, const int* directions, int nb, bool glisse) {
  for (int s = 0; s < 64; ++s) {
    int n = 0;
    for (int i = 0; i < nb; ++i) {
      int d = directions[i];
      int debut = n;
      for (int x = s; pas_valide(x, d); x += d) {
        Tdep[type][s][n++].cible = x + d;
        if (!glisse) break;
      }
      // Skip of an entry: pairs from it to the end of its ray.
      for (int j = debut; j < n; ++j) Tdep[type][s][j].saut = glisse ? n - j : 1;
    }
    Tdep[type][s][n] = PAS{-1, 0};
  }
}

void remplit_tdep_pion(int couleur) {
  const int sens = couleur == BLANCS ? 1 : -1;
  const int rang_depart = couleur == BLANCS ? 1 : 6;    // double push from here
  const int rang_promotion = couleur == BLANCS ? 6 : 1;  // the next step promotes
  for (int s = 0; s < 64; ++s) {
    PAS_PION* p = TdepPion[couleur][s];
    int n = 0;
    const int promo = rangee(s) == rang_promotion ? PAS_PROMOTION : 0;
    const int avant = s + 8 * sens;
    if (avant >= 0 && avant < 64) {
      p[n++] = PAS_PION{avant, rangee(s) == rang_depart ? 2 : 1, PAS_POUSSEE | promo};
      if (rangee(s) == rang_depart) p[n++] = PAS_PION{s + 16 * sens, 1, PAS_POUSSEE};
      // Captures towards file a first, then towards file h.
      if (colonne(s) != 0) p[n++] = PAS_PION{avant - 1, 1, promo};
      if (colonne(s) != 7) p[n++] = PAS_PION{avant + 1, 1, promo};
    }
    p[n] = PAS_PION{-1, 0, 0};
  }
}

}  // namespace

void init_tables_deplacement() {
  static bool fait = false;
  if (fait) return;
  fait = true;

  remplit_tdep(ROI, directions_roi, 8, false);
  remplit_tdep(DAME, directions_roi, 8, true);
  remplit_tdep(TOUR, directions_tour, 4, true);
  remplit_tdep(FOU, directions_fou, 4, true);
  remplit_tdep(CAVALIER, directions_cavalier, 8, false);
  remplit_tdep_pion(BLANCS);
  remplit_tdep_pion(NOIRS);

  for (int s = 0; s < 64; ++s) {
    for (int t = 0; t < 64; ++t) {
      int df = std::abs(colonne(t) - colonne(s));
      int dr = std::abs(rangee(t) - rangee(s));
      int d = 0;
      if (s == t) d = 0;
      else if (df == 0) d = (t - s) / dr;
      else if (dr == 0) d = (t - s) / df;
      else if (df == dr) d = (t - s) / df;
      else if ((df == 1 && dr == 2) || (df == 2 && dr == 1)) d = t - s;
      Tdirection[s][t] = d;
      Tdistance[s][t] = df > dr ? df : dr;
    }
  }
  for (int i = 0; i < 18; ++i) Tgenre[i] = 0;
  Tgenre[1] = Tgenre[8] = 1;
  Tgenre[7] = Tgenre[9] = 2;
  Tgenre[6] = Tgenre[10] = Tgenre[15] = Tgenre[17] = 3;
}
