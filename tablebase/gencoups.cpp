// Move generation for the table generator: attacks, legal moves, and the
// reverse moves that retrograde analysis walks back along.
#include "tablebase/gencoups.h"

#include <cstring>
#include <initializer_list>

namespace {

const int DIRECTIONS[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
const int SAUTS[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};

int decale(int c, int dc, int dr) {
  int f = (c & 7) + dc, r = (c >> 3) + dr;
  return f < 0 || f > 7 || r < 0 || r > 7 ? -1 : r * 8 + f;
}

// Directions of a piece: rooks the first four, bishops the last four.
int premiere_direction(int genre) { return genre == TBG_FOU ? 4 : 0; }
int derniere_direction(int genre) { return genre == TBG_TOUR ? 4 : 8; }
bool glisse(int genre) { return genre == TBG_DAME || genre == TBG_TOUR || genre == TBG_FOU; }

// Squares a man reaches without regard to what stands there (steppers) or
// up to and including the first man (sliders).
template <typename F>
void pour_chaque_cible(const POSITION_GEN& p, int h, F f) {
  int c = p.case_[h], g = p.genre[h];
  if (g == TBG_ROI || g == TBG_CAVALIER) {
    for (int i = 0; i < 8; i++) {
      int d = g == TBG_ROI ? decale(c, DIRECTIONS[i][0], DIRECTIONS[i][1])
                           : decale(c, SAUTS[i][0], SAUTS[i][1]);
      if (d >= 0) f(d);
    }
  } else if (glisse(g)) {
    for (int i = premiere_direction(g); i < derniere_direction(g); i++)
      for (int d = decale(c, DIRECTIONS[i][0], DIRECTIONS[i][1]); d >= 0;
           d = decale(d, DIRECTIONS[i][0], DIRECTIONS[i][1])) {
        f(d);
        if (p.plateau[d] >= 0) break;
      }
  }
}

bool roi_attaque(const POSITION_GEN& p, int couleur) {
  return TbgAttacked(p, p.case_[couleur], 1 - couleur);
}

}  // namespace

void POSITION_GEN::place() {
  memset(plateau, -1, sizeof plateau);
  for (int h = 0; h < nb; h++)
    if (case_[h] >= 0) plateau[case_[h]] = int8_t(h);
}

bool TbgAttacked(const POSITION_GEN& p, int c, int couleur) {
  for (int h = 0; h < p.nb; h++) {
    if (p.case_[h] < 0 || p.couleur[h] != couleur) continue;
    if (p.genre[h] == TBG_PION) {
      int avant = couleur == 0 ? 1 : -1;
      if (decale(p.case_[h], -1, avant) == c || decale(p.case_[h], 1, avant) == c) return true;
      continue;
    }
    bool touche = false;
    pour_chaque_cible(p, h, [&](int d) { touche |= d == c; });
    if (touche) return true;
  }
  return false;
}

bool TbgLegal(const POSITION_GEN& p) {
  uint64_t vues = 0;
  for (int h = 0; h < p.nb; h++) {
    int c = p.case_[h];
    if (c < 0 || (vues >> c & 1)) return false;
    vues |= uint64_t(1) << c;
    if (p.genre[h] == TBG_PION && (c < 8 || c >= 56)) return false;
  }
  return !roi_attaque(p, 1 - p.trait);
}

void TbgPlay(POSITION_GEN& p, const COUP_GEN& c) {
  if (c.prise >= 0) p.case_[c.prise] = -1;
  p.plateau[p.case_[c.homme]] = -1;
  p.case_[c.homme] = c.vers;
  if (c.promotion >= 0) p.genre[c.homme] = c.promotion;
  p.plateau[c.vers] = c.homme;
  p.trait = 1 - p.trait;
}

int TbgMoves(const POSITION_GEN& p, COUP_GEN* coups) {
  int n = 0;
  auto essaie = [&](int h, int vers, int promotion) {
    int8_t prise = p.plateau[vers];
    if (prise >= 0 && p.couleur[prise] == p.trait) return;
    COUP_GEN c{int8_t(h), int8_t(vers), prise, int8_t(promotion)};
    POSITION_GEN q = p;
    TbgPlay(q, c);
    if (!roi_attaque(q, p.trait) && n < TBG_MAX_COUPS) coups[n++] = c;
  };
  for (int h = 0; h < p.nb; h++) {
    if (p.case_[h] < 0 || p.couleur[h] != p.trait) continue;
    if (p.genre[h] != TBG_PION) {
      pour_chaque_cible(p, h, [&](int d) { essaie(h, d, -1); });
      continue;
    }
    int c = p.case_[h], avant = p.trait == 0 ? 1 : -1;
    auto pousse = [&](int d) {
      if (d >= 56 || d < 8)
        for (int g = TBG_DAME; g <= TBG_CAVALIER; g++) essaie(h, d, g);
      else
        essaie(h, d, -1);
    };
    int un = decale(c, 0, avant);
    if (un >= 0 && p.plateau[un] < 0) {
      pousse(un);
      int depart = p.trait == 0 ? 1 : 6;
      int deux = decale(c, 0, 2 * avant);
      if ((c >> 3) == depart && deux >= 0 && p.plateau[deux] < 0) pousse(deux);
    }
    for (int dc : {-1, 1}) {
      int d = decale(c, dc, avant);
      if (d >= 0 && p.plateau[d] >= 0 && p.couleur[p.plateau[d]] != p.trait) pousse(d);
    }
  }
  return n;
}

int TbgUnmoves(const POSITION_GEN& p, POSITION_GEN* precedentes) {
  int n = 0;
  const int joueur = 1 - p.trait;  // the side that has just moved
  auto ajoute = [&](int h, int depuis) {
    if (depuis < 0 || p.plateau[depuis] >= 0) return;
    POSITION_GEN q = p;
    q.plateau[q.case_[h]] = -1;
    q.case_[h] = depuis;
    q.plateau[depuis] = int8_t(h);
    q.trait = joueur;
    if (!roi_attaque(q, p.trait) && n < TBG_MAX_COUPS) precedentes[n++] = q;
  };
  for (int h = 0; h < p.nb; h++) {
    if (p.case_[h] < 0 || p.couleur[h] != joueur) continue;
    if (p.genre[h] != TBG_PION) {
      pour_chaque_cible(p, h, [&](int d) { ajoute(h, d); });
      continue;
    }
    int c = p.case_[h], arriere = joueur == 0 ? -1 : 1;
    int un = decale(c, 0, arriere);
    if (un < 8 || un >= 56) continue;
    ajoute(h, un);
    int quatrieme = joueur == 0 ? 3 : 4;
    if ((c >> 3) == quatrieme && p.plateau[un] < 0) ajoute(h, decale(c, 0, 2 * arriere));
  }
  return n;
}
