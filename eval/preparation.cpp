#include "eval/preparation.h"

#include <algorithm>
#include <iterator>

#include "board/tables.h"
#include "eval/cases.h"

int psq_blanc[7][64];
int psq_noir[7][64];
int colonne_ouverte[8];
COMPTES_RACINE comptes_racine;
int valeur_type[7];

namespace {

using namespace cases;

// Piece values by type: phases 0 to 2, then phases 3 to 5.
constexpr int VALEURS_OUVERTURE[7] = {4400, 4400, 2200, 1440, 1400, 400, 400};
constexpr int VALEURS_FINALE[7] = {4400, 4640, 2320, 1440, 1400, 400, 400};

// Pawn advance, White's view, indexed by square (rank 1 first).
// clang-format off
constexpr int AVANCE_PION[64] = {
    0,   0,   0,   0,   0,   0,   0,   0,
    0,   0,   0,   0,   0,   0,   0,   0,
    0,   0,   8,  20,  24,   8,   0,   0,
    8,   8,  16,  28,  32,  16,   8,   8,
   16,  16,  24,  36,  40,  24,  16,  16,
   32,  32,  40,  42,  56,  40,  32,  32,
  120, 120, 128, 140, 140, 128, 120, 120,
    0,   0,   0,   0,   0,   0,   0,   0,
};
// clang-format on

// Advance bonus of heavy pieces by rank index, White's view.
constexpr int AVANCE_RANGEE[8] = {0, 0, 0, 0, 20, 40, 70, 70};

// Home squares of the minor pieces by slot: White's 4-7, then Black's 20-23.
constexpr int MINEURES_BLANCHES[4][2] = {{4, C1}, {5, F1}, {6, B1}, {7, G1}};
constexpr int MINEURES_NOIRES[4][2] = {{20, C8}, {21, F8}, {22, B8}, {23, G8}};

// Where a preparation writes: the search's globals or a private copy.
struct CIBLE {
  int (&psq_blanc)[7][64];
  int (&psq_noir)[7][64];
  int (&colonne_ouverte)[8];
  COMPTES_RACINE& comptes;
  int (&valeur_type)[7];
};

int mineures_chez_elles(const EMPILAGE* e, const int (&mineures)[4][2]) {
  int n = 0;
  for (const auto& m : mineures) n += e->pos_piece[m[0]] == m[1];
  return n;
}

// Distance of a coordinate from the centre: 0 on d/e (4/5), 3 on the edge.
constexpr int anneau_coord(int x) { return x < 4 ? 3 - x : x - 4; }
constexpr int centre(int q) {
  return (3 - std::max(anneau_coord(colonne(q)), anneau_coord(rangee(q)))) * 10;
}
int proximite(int q, int roi) { return 7 - Tdistance[q][roi]; }

bool est_pion(int type) { return type == PION_BLANC || type == PION_NOIR; }

// Open files: no pawn of either colour on ranks 2 to 7. All zero when four
// or more are open or from phase 4 on.
void prepare_colonnes(const EMPILAGE* e, int phase, CIBLE& t) {
  int ouvertes = 0;
  for (int f = 0; f < 8; ++f) {
    bool pion = false;
    for (int r = 1; r <= 6 && !pion; ++r) pion = est_pion(e->type_piece[e->echiquier[r * 8 + f]]);
    t.colonne_ouverte[f] = pion ? 0 : 40;
    ouvertes += !pion;
  }
  if (ouvertes >= 4 || phase >= 4) std::fill(std::begin(t.colonne_ouverte), std::end(t.colonne_ouverte), 0);
}

// Rows of king to knight built from the centre, the rank advance, the open
// files and the closeness to the enemy king, then the pawn rows.
void remplit_tables(int roi_blanc, int roi_noir, CIBLE& t) {
  for (int q = 0; q < 64; ++q) {
    const int c = centre(q);
    const int ouverte = t.colonne_ouverte[colonne(q)];
    const int rang_b = AVANCE_RANGEE[rangee(q)];
    const int rang_n = AVANCE_RANGEE[7 - rangee(q)];
    const int p_b = proximite(q, roi_noir);
    const int p_n = proximite(q, roi_blanc);
    t.psq_blanc[ROI][q] = c / 4 + p_b;
    t.psq_noir[ROI][q] = c / 4 + p_n;
    t.psq_blanc[DAME][q] = ouverte / 2 + (rang_b + c) / 4 + 3 * p_b;
    t.psq_noir[DAME][q] = ouverte / 2 + (rang_n + c) / 4 + 3 * p_n;
    t.psq_blanc[TOUR][q] = c / 2 + rang_b + ouverte + 3 * p_b;
    t.psq_noir[TOUR][q] = c / 2 + rang_n + ouverte + 3 * p_n;
    t.psq_blanc[FOU][q] = c + 3 * p_b;
    t.psq_noir[FOU][q] = c + 3 * p_n;
    t.psq_blanc[CAVALIER][q] = c + 5 * p_b;
    t.psq_noir[CAVALIER][q] = c + 5 * p_n;
    t.psq_blanc[PION_BLANC][q] = AVANCE_PION[q];
    t.psq_noir[PION_NOIR][q] = AVANCE_PION[(7 - rangee(q)) * 8 + colonne(q)];
    t.psq_blanc[PION_NOIR][q] = 0;
    t.psq_noir[PION_BLANC][q] = 0;
  }
}

// The phase adjustments of the tables, in their order.
void ajuste_tables(const EMPILAGE* e, int phase, CIBLE& t) {
  // Early queen sorties while the minor pieces are still at home
  if (phase <= 1) {
    if (mineures_chez_elles(e, MINEURES_BLANCHES) >= 2)
      for (int q = A3; q <= H8; ++q) t.psq_blanc[DAME][q] -= 7 * t.comptes.nb_pieces_noires;
    if (mineures_chez_elles(e, MINEURES_NOIRES) >= 2)
      for (int q = A1; q <= H6; ++q) t.psq_noir[DAME][q] -= 7 * t.comptes.nb_pieces_blanches;
  }
  // Heavy pieces on the seventh rank
  if (phase == 2 || phase == 3) {
    for (int q = A7; q <= H7; ++q) {
      t.psq_blanc[DAME][q] += 50;
      t.psq_blanc[TOUR][q] += 50;
    }
    for (int q = A2; q <= H2; ++q) {
      t.psq_noir[DAME][q] += 50;
      t.psq_noir[TOUR][q] += 50;
    }
  }
  // Knights in the corners
  if (phase <= 2) {
    for (int q : {A1, H1, A8, H8}) {
      t.psq_blanc[CAVALIER][q] -= 50;
      t.psq_noir[CAVALIER][q] -= 50;
    }
  }
  // Kings away from every pawn in the ending
  if (phase == 3 || phase == 4) {
    int premiere = 8, derniere = -1;
    for (int q = A2; q <= H7; ++q) {
      if (!est_pion(e->type_piece[e->echiquier[q]])) continue;
      premiere = std::min(premiere, colonne(q));
      derniere = std::max(derniere, colonne(q));
    }
    for (int q = 0; q < 64; ++q) {
      const int f = colonne(q);
      if (derniere < 0 || f < premiere - 1 || f > derniere + 1) t.psq_blanc[ROI][q] = t.psq_noir[ROI][q] = -40;
    }
  }
}

}  // namespace

int valeur_piece_phase(int type, int phase) {
  if (type < ROI || type > PION_NOIR) return 0;
  return phase <= 2 ? VALEURS_OUVERTURE[type] : VALEURS_FINALE[type];
}

int calcule_phase(EMPILAGE* e) {
  if (e->phase == 0) {
    int signes = 0;
    for (int r : e->roque) signes += r == ROQUE_POSSIBLE ? 2 : 0;
    signes += mineures_chez_elles(e, MINEURES_BLANCHES) + mineures_chez_elles(e, MINEURES_NOIRES);
    if (signes > 4) return 0;
  }
  const int pieces = e->nb_pieces_blanches + e->nb_pieces_noires;
  const int pions = e->nb_pions_blancs + e->nb_pions_noirs;
  int phase = 1;
  if (pions < 12 || pieces < 10) phase = 2;
  if (pieces == 0) phase = 4;
  else if (pieces <= 6) phase = 3;
  if (pions == 0 && pieces <= 4) phase = 5;
  e->phase = phase;
  return phase;
}

namespace {

int prepare_vers(EMPILAGE* racine, CIBLE& t) {
  EMPILAGE* e = racine;
  // 1. Root king squares (masked so that a set-up without a king reads inside the tables)
  const int roi_blanc = e->pos_piece[0] & 63;
  const int roi_noir = e->pos_piece[16] & 63;

  // 2. Counts
  e->nb_pieces_blanches = e->nb_pieces_noires = e->nb_pions_blancs = e->nb_pions_noirs = 0;
  for (int s = 0; s < 32; ++s) {
    if (e->pos_piece[s] < 0) continue;
    const int t = e->type_piece[s];
    if (t == ROI) continue;
    const bool pion = est_pion(t);
    if (s < 16) ++(pion ? e->nb_pions_blancs : e->nb_pieces_blanches);
    else ++(pion ? e->nb_pions_noirs : e->nb_pieces_noires);
  }
  t.comptes = {e->nb_pieces_blanches, e->nb_pieces_noires, e->nb_pions_blancs, e->nb_pions_noirs};

  // 3. Phase
  const int phase = calcule_phase(e);

  // 4. Piece values and the root's material (kings left out)
  for (int type = ROI; type <= PION_NOIR; ++type) t.valeur_type[type] = valeur_piece_phase(type, phase);
  e->materiel = 0;
  for (int s = 0; s < 32; ++s) {
    e->valeur_piece[s] = valeur_piece_phase(e->type_piece[s], phase);
    if (s == 0 || s == 16 || e->pos_piece[s] < 0) continue;
    e->materiel += s < 16 ? e->valeur_piece[s] : -e->valeur_piece[s];
  }

  // 5. Open files
  prepare_colonnes(e, phase, t);

  // 6, 7. Piece and pawn rows
  remplit_tables(roi_blanc, roi_noir, t);

  // 8. Adjustments by phase
  ajuste_tables(e, phase, t);

  // 9. The root's piece-square sum
  e->positionnel = 0;
  for (int s = 0; s < 32; ++s) {
    const int q = e->pos_piece[s];
    const int type = e->type_piece[s];
    if (q < 0 || q > 63 || type < ROI || type > PION_NOIR) continue;
    e->positionnel += s < 16 ? t.psq_blanc[type][q] : -t.psq_noir[type][q];
  }
  return phase;
}

}  // namespace

int prepare_recherche(EMPILAGE* racine) {
  CIBLE globales{psq_blanc, psq_noir, colonne_ouverte, comptes_racine, valeur_type};
  return prepare_vers(racine, globales);
}

int prepare_position(EMPILAGE* racine, PREPARATION& p) {
  CIBLE privee{p.psq_blanc, p.psq_noir, p.colonne_ouverte, p.comptes, p.valeur_type};
  return prepare_vers(racine, privee);
}
