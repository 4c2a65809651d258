#include "eval/evaluation.h"

#include <algorithm>

#include "board/tables.h"
#include "eval/cases.h"
#include "eval/pions.h"
#include "eval/preparation.h"
#include "eval/termes.h"
#include "search/arret.h"
#include "search/globals.h"

namespace {

using namespace cases;

// Square of the first pawn slot of a side that still holds a pawn, or -1.
int premier_pion(const EMPILAGE* e, int camp) {
  const int premier = camp == BLANCS ? 8 : 24;
  const int type = camp == BLANCS ? PION_BLANC : PION_NOIR;
  for (int s = premier; s < premier + 8; ++s) {
    const int q = e->pos_piece[s];
    if (q >= 0 && q <= 63 && e->type_piece[s] == type) return q;
  }
  return -1;
}

// A lone pawn in phase 3: the kings' race to it.
int course_au_pion(const EMPILAGE* e) {
  int p = -1;
  if (e->nb_pions_blancs == 1 && e->nb_pions_noirs == 0) p = premier_pion(e, BLANCS);
  else if (e->nb_pions_noirs == 1 && e->nb_pions_blancs == 0) p = premier_pion(e, NOIRS);
  if (p < 0) return 0;
  return (Tdistance[e->pos_piece[16] & 63][p] - Tdistance[e->pos_piece[0] & 63][p]) * 16;
}

// Material that cannot win for side C: no pawns and a lone minor piece,
// two knights, or nothing at all.
template <int C>
bool ne_peut_gagner(const EMPILAGE* e) {
  constexpr int premier = C == BLANCS ? 0 : 16;
  const int pieces = C == BLANCS ? e->nb_pieces_blanches : e->nb_pieces_noires;
  const int pions = C == BLANCS ? e->nb_pions_blancs : e->nb_pions_noirs;
  if (pions != 0 || pieces >= 3) return false;
  const int* pos = e->pos_piece;
  const int fous = (pos[premier + 4] >= 0) + (pos[premier + 5] >= 0);
  const int cavaliers = (pos[premier + 6] >= 0) + (pos[premier + 7] >= 0);
  return pieces == 0 || cavaliers == 2 || (pieces == 1 && (cavaliers == 1 || fous == 1));
}

// The evaluation against the given root counts, with or without the pawn
// cache; `camp` is the engine's side, for the draw score.
int evalue(int trait, EMPILAGE* e, const COMPTES_RACINE& racine, bool cache, int camp) {
  // 1. Phase
  const int phase = calcule_phase(e);
  int score = 0;
  int materiel = e->materiel;
  int psq = e->positionnel;
  int mobilite = 0;
  int pions = 0;

  // 2-8. Positional terms of the phase
  if (phase == 0) score += developpement(e);
  if (phase < 3) score += roques(e);
  if (phase < 4) score += pieces_enfermees(e);
  if (phase >= 1 && phase <= 3) score += paires(e);
  if (phase == 2 || phase == 3) score += tours_enfermees(e);
  if (phase <= 2) score += securite_rois(e);
  score += echanges(e, racine);

  // 9, 10. Mobility and pawn structure
  if (phase <= 3) mobilite = mobilite_pieces(e) * 4;
  if (phase <= 4) pions = cache ? structure_pions(e, trait) : structure_pions_calculee(e, trait);

  // 11, 12. Combination by phase
  const int nulle_blanc = camp == BLANCS ? valeur_nulle : -valeur_nulle;
  if (phase <= 2) {
    score += score / 4;
    mobilite += mobilite / 4;
    psq += psq / 4;
  } else if (phase == 3) {
    mobilite = mobilite * 4 / 7;
    pions = pions * 5 / 4;
    score += course_au_pion(e);
  } else if (phase == 5) {
    materiel = finale_sans_pions(e, nulle_blanc);
    score = 0;
    psq = 0;
  }
  int total = materiel + (pions + mobilite + score + psq) * 5 / 4;

  // 13. Material that cannot win
  if (ne_peut_gagner<BLANCS>(e)) total = std::min(total, nulle_blanc);
  if (ne_peut_gagner<NOIRS>(e)) total = std::max(total, nulle_blanc);

  // 14. A multiple of 3, for the side to move
  total -= total % 3;
  return trait == BLANCS ? total : -total;
}

}  // namespace

int evaluation(int trait, EMPILAGE* e) { return evalue(trait, e, comptes_racine, true, camp_moteur); }

int evaluation_a_part(int trait, EMPILAGE* e, const COMPTES_RACINE& racine) {
  // The node is a root: the engine plays its side to move. camp_moteur
  // belongs to a search that may be running meanwhile.
  return evalue(trait, e, racine, false, trait);
}
