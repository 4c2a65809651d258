#include "search/echange.h"

#include <algorithm>

#include "board/camp.h"
#include "board/tables.h"

namespace {

// The men that can reach the target square: each line towards it holds its
// men nearest first (only the front one can take, those behind follow it:
// batteries and x-rays); knights stand apart.
struct ATTAQUANTS {
  int ligne[8][8];   // slots on each of the eight lines, nearest first
  int longueur[8];   // men on each line
  int tete[8];       // index of the front man still on each line
  int cavaliers[16]; // knights of both sides
  int nb_cavaliers;
};

// The eight line steps, as file and rank deltas: four orthogonal, then four diagonal.
constexpr int DF[8] = {1, -1, 0, 0, 1, 1, -1, -1};
constexpr int DR[8] = {0, 0, 1, -1, 1, -1, 1, -1};

// Can a man of type `type` take on the target from `distance` squares
// away along line `l` (the line runs from the target outwards)?
bool prend_par_ligne(int type, int l, int distance) {
  const bool diagonale = l >= 4;
  switch (type) {
    case DAME:
      return true;
    case TOUR:
      return !diagonale;
    case FOU:
      return diagonale;
    case ROI:
      return distance == 1;
    case PION_BLANC:  // a white pawn takes upwards: it stands one rank below
      return distance == 1 && diagonale && DR[l] == -1;
    case PION_NOIR:
      return distance == 1 && diagonale && DR[l] == 1;
    default:
      return false;
  }
}

// Gathers every man that attacks `cible`, the square `vide` taken as empty
// (the capturing man has left it, which may open a line behind it).
void rassemble(const EMPILAGE& e, int cible, int vide, ATTAQUANTS& a) {
  const int fc = colonne(cible), rc = rangee(cible);
  for (int l = 0; l < 8; ++l) {
    a.longueur[l] = 0;
    a.tete[l] = 0;
    int f = fc + DF[l], r = rc + DR[l];
    for (int distance = 1; f >= 0 && f < 8 && r >= 0 && r < 8; ++distance, f += DF[l], r += DR[l]) {
      const int q = r * 8 + f;
      const int slot = e.echiquier[q];
      if (q == vide || slot == VIDE) continue;
      if (!prend_par_ligne(e.type_piece[slot], l, distance)) break;
      a.ligne[l][a.longueur[l]++] = slot;
    }
  }
  a.nb_cavaliers = 0;
  for (const PAS* p = Tdep[CAVALIER][cible]; p->cible >= 0; ++p) {
    const int slot = e.echiquier[p->cible];
    if (slot != VIDE && p->cible != vide && e.type_piece[slot] == CAVALIER) a.cavaliers[a.nb_cavaliers++] = slot;
  }
}

// Takes the least valuable attacker of side `camp` off the lists; returns
// its type, or -1 when the side has none left.
int retire_moins_cher(const EMPILAGE& e, ATTAQUANTS& a, int camp) {
  auto du_camp = [camp](int slot) { return (slot >= 16) == (camp == NOIRS); };
  int meilleur = -1, valeur = 1 << 30, ou = -1;
  for (int l = 0; l < 8; ++l) {
    if (a.tete[l] >= a.longueur[l]) continue;
    const int slot = a.ligne[l][a.tete[l]];
    if (!du_camp(slot)) continue;
    const int v = VALEUR_ECHANGE[e.type_piece[slot]];
    if (v < valeur) valeur = v, meilleur = e.type_piece[slot], ou = l;
  }
  for (int i = 0; i < a.nb_cavaliers; ++i) {
    if (!du_camp(a.cavaliers[i]) || VALEUR_ECHANGE[CAVALIER] >= valeur) continue;
    valeur = VALEUR_ECHANGE[CAVALIER], meilleur = CAVALIER, ou = 8 + i;
  }
  if (ou < 0) return -1;
  if (ou < 8) ++a.tete[ou];
  else a.cavaliers[ou - 8] = a.cavaliers[--a.nb_cavaliers];
  return meilleur;
}

}  // namespace

template <int C>
int echange_statique(const EMPILAGE& e, uint32_t coup) {
  const int de = case_depart(coup), vers = case_arrivee(coup);
  ATTAQUANTS a;
  rassemble(e, vers, de, a);

  // gains[d]: what the side making the d-th capture has won when it stops after it
  int gains[34];
  int d = 0;
  gains[0] = VALEUR_ECHANGE[e.type_piece[e.echiquier[vers]]];
  int sur_la_case = VALEUR_ECHANGE[e.type_piece[e.echiquier[de]]];
  for (int camp = 1 - C;; camp = 1 - camp) {
    const int type = retire_moins_cher(e, a, camp);
    if (type < 0) break;
    ++d;
    gains[d] = sur_la_case - gains[d - 1];
    sur_la_case = VALEUR_ECHANGE[type];
  }
  // Either side may decline to take back: back from the last capture
  for (; d > 0; --d) gains[d - 1] = std::min(gains[d - 1], -gains[d]);
  return gains[0];
}

template int echange_statique<BLANCS>(const EMPILAGE&, uint32_t);
template int echange_statique<NOIRS>(const EMPILAGE&, uint32_t);
