// Pattern terms of the static evaluation: development, castling, trapped
// pieces, connected rooks and the bishop pair, trapped rooks and trading
// down when ahead.
#include <cstdlib>

#include "board/tables.h"
#include "eval/cases.h"
#include "eval/preparation.h"
#include "eval/termes.h"

using namespace cases;

namespace {

// Slot classes of the pattern tests: they name slots, so a promoted piece
// still counts by its pawn slot.
bool pion_blanc(int s) { return s >= 8 && s <= 15; }
bool pion_noir(int s) { return s >= 24 && s <= 31; }
bool fou_blanc(int s) { return s == 4 || s == 5; }
bool fou_noir(int s) { return s == 20 || s == 21; }
bool cavalier_blanc(int s) { return s == 6 || s == 7; }
bool cavalier_noir(int s) { return s == 22 || s == 23; }
bool tour_blanche(int s) { return s == 2 || s == 3; }
bool tour_noire(int s) { return s == 18 || s == 19; }

// Two rooks of the initial set on one rank or file with nothing between them.
bool tours_liees(const EMPILAGE* e, int s1, int s2) {
  const int a = e->pos_piece[s1], b = e->pos_piece[s2];
  if (a < 0 || b < 0 || a > 63 || b > 63) return false;
  const int d = Tdirection[a][b];
  if (d == 0 || Tgenre[std::abs(d)] != 1) return false;
  int x = a + d;
  while (x != b && e->echiquier[x] == VIDE) x += d;
  return x == b;
}

}  // namespace

// Development (phase 0): blocked centre pawns and knights in front of the c/f-pawns.
int developpement(const EMPILAGE* e) {
  const int* pos = e->pos_piece;
  const auto occupee = [e](int q) { return e->echiquier[q] != VIDE; };
  int score = 0;
  if (pos[4] == C1 && pos[11] == D2 && occupee(D3)) score -= 70;
  if (pos[5] == F1 && pos[12] == E2 && occupee(E3)) score -= 70;
  if (pos[20] == C8 && pos[27] == D7 && occupee(D6)) score += 70;
  if (pos[21] == F8 && pos[28] == E7 && occupee(E6)) score += 70;
  if (pos[6] == B1 && occupee(C3)) score -= 50;
  if (pos[7] == G1 && occupee(F3)) score -= 50;
  if (pos[22] == B8 && occupee(C6)) score += 50;
  if (pos[23] == G8 && occupee(F6)) score += 50;
  return score;
}

// Castling (phases 0 to 2): castled, or the rights lost without castling.
int roques(const EMPILAGE* e) {
  const int* r = e->roque;
  int score = 0;
  if (r[0] != 0 || r[2] != 0) {
    if (r[0] == ROQUE_FAIT) score += 150;
    else if (r[2] == ROQUE_FAIT) score += 90;
    else score -= (r[0] == ROQUE_PERDU ? 75 : 0) + (r[2] == ROQUE_PERDU ? 45 : 0);
  }
  if (r[1] != 0 || r[3] != 0) {
    if (r[1] == ROQUE_FAIT) score -= 150;
    else if (r[3] == ROQUE_FAIT) score -= 90;
    else score += (r[1] == ROQUE_PERDU ? 75 : 0) + (r[3] == ROQUE_PERDU ? 45 : 0);
  }
  return score;
}

// Trapped bishops and knights (phases 0 to 3).
int pieces_enfermees(const EMPILAGE* e) {
  const int* pos = e->pos_piece;
  const int* ech = e->echiquier;
  int score = 0;
  // Bishops shut in on a7/h7 and a2/h2
  if (pos[5] == H7 && pion_noir(ech[G6]) &&
      (ech[F7] == 29 || fou_noir(ech[F7]) || ech[F7] == 16 || cavalier_noir(ech[E7])))
    score -= 400;
  if (pos[4] == A7 && pion_noir(ech[B6]) &&
      (ech[C7] == 26 || fou_noir(ech[C7]) || ech[C7] == 16 || cavalier_noir(ech[D7])))
    score -= 400;
  if (pos[21] == H2 && pion_blanc(ech[G3]) &&
      (ech[F2] == 13 || fou_blanc(ech[F2]) || ech[F2] == 0 || cavalier_blanc(ech[E2])))
    score += 400;
  if (pos[20] == A2 && pion_blanc(ech[B3]) &&
      (ech[C2] == 10 || fou_blanc(ech[C2]) || ech[C2] == 0 || cavalier_blanc(ech[D2])))
    score += 400;
  // Knights caught on the enemy's second rank and the a-file
  if (cavalier_blanc(ech[H7]) && pos[30] == G7 && pion_noir(ech[F6])) score -= 400;
  if (cavalier_blanc(ech[A7]) && pos[25] == B7 && pion_noir(ech[C6])) score -= 400;
  if (cavalier_noir(ech[H2]) && pos[14] == G2 && pion_blanc(ech[F3])) score += 400;
  if (cavalier_noir(ech[A2]) && pos[9] == B2 && pion_blanc(ech[C3])) score += 400;
  if (cavalier_blanc(ech[A4]) && pion_blanc(ech[C3]) && pos[9] == B2 && (pion_noir(ech[B6]) || pion_noir(ech[D6])) &&
      (pos[24] == A7 || pos[26] == C7))
    score -= 100;
  if (cavalier_noir(ech[A5]) && pion_noir(ech[C6]) && pos[25] == B7 && (pion_blanc(ech[B3]) || pion_blanc(ech[D3])) &&
      (pos[8] == A2 || pos[10] == C2))
    score += 100;
  if (cavalier_blanc(ech[G7]) && pos[29] == F7 && pion_noir(ech[G6])) score -= 400;
  if (cavalier_blanc(ech[B7]) && pos[26] == C7 && pion_noir(ech[B6])) score -= 400;
  if (cavalier_noir(ech[G2]) && pos[13] == F2 && pion_blanc(ech[G3])) score += 400;
  if (cavalier_noir(ech[B2]) && pos[10] == C2 && pion_blanc(ech[B3])) score += 400;
  if (cavalier_blanc(ech[F7]) && pos[30] == G7 && pos[26] == C7 && pion_noir(ech[F6])) score -= 400;
  if (cavalier_blanc(ech[C7]) && pos[25] == B7 && pos[29] == F7 && pion_noir(ech[C6])) score -= 400;
  if (cavalier_noir(ech[F2]) && pos[14] == G2 && pos[10] == C2 && pion_blanc(ech[F3])) score += 400;
  if (cavalier_noir(ech[C2]) && pos[9] == B2 && pos[13] == F2 && pion_blanc(ech[C3])) score += 400;
  return score;
}

// Connected rooks and the bishop pair (phases 1 to 3).
int paires(const EMPILAGE* e) {
  const int* pos = e->pos_piece;
  int score = 0;
  if (tours_liees(e, 2, 3)) score += 40;
  if (tours_liees(e, 18, 19)) score -= 40;
  if (pos[4] >= 0 && pos[5] >= 0) score += 40;
  if (pos[20] >= 0 && pos[21] >= 0) score -= 40;
  return score;
}

// Rooks shut in behind a fianchetto (phases 2 and 3).
int tours_enfermees(const EMPILAGE* e) {
  const int* pos = e->pos_piece;
  const int* ech = e->echiquier;
  const auto type = [e](int q) { return e->type_piece[e->echiquier[q]]; };
  int score = 0;
  if (tour_noire(ech[H2]) && type(H3) == PION_BLANC && pos[5] == G2) score += 200;
  if (tour_noire(ech[A2]) && type(A3) == PION_BLANC && pos[4] == B2) score += 200;
  if (tour_blanche(ech[H7]) && type(H6) == PION_NOIR && pos[21] == G7) score -= 200;
  if (tour_blanche(ech[A7]) && type(A6) == PION_NOIR && pos[20] == B7) score -= 200;
  return score;
}

// Trading pieces when ahead (every phase), against the root's counts.
int echanges(const EMPILAGE* e, const COMPTES_RACINE& r) {
  int score = 0;
  if (e->materiel >= VALEUR_PION && e->nb_pieces_noires < r.nb_pieces_noires)
    score += (e->nb_pions_blancs - r.nb_pions_blancs) * 30 + (r.nb_pieces_noires - e->nb_pieces_noires) * 40;
  if (e->materiel <= -VALEUR_PION && e->nb_pieces_blanches < r.nb_pieces_blanches)
    score += (r.nb_pions_noirs - e->nb_pions_noirs) * 30 + (e->nb_pieces_blanches - r.nb_pieces_blanches) * 40;
  return score;
}
