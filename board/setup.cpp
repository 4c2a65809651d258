// Position set-up and checking: placing pieces in the slots that castling
// and the generators expect, deriving castling states, and completing a
// set-up into a position the engine can play from.
#include "board/setup.h"

#include <string>

#include "board/camp.h"
#include "board/echiquier.h"
#include "board/movegen.h"
#include "search/globals.h"
#include "search/hash.h"

namespace {

// Back-rank slots 0..7 of White: square and type (Black: slot + 16, square + 56).
constexpr int CASE_RANGEE[8] = {4, 3, 0, 7, 2, 5, 1, 6};
constexpr int TYPE_RANGEE[8] = {ROI, DAME, TOUR, TOUR, FOU, FOU, CAVALIER, CAVALIER};

bool sur_echiquier(const CEchiquier& e, int slot) { return e.pos_piece[slot] != -1; }

void place(CEchiquier& e, int slot, int type, int case_) {
  e.pos_piece[slot] = case_;
  e.echiquier[case_] = slot;
  e.type_piece[slot] = type;
}

// Castling states of colour C from its king and rook slots.
template <int C>
void droits_couleur(CEchiquier& e) {
  using T = Camp<C>;
  int& petit = e.roque[T::roque_roi];
  int& grand = e.roque[T::roque_dame];
  const int roi = e.pos_piece[T::roi];
  if (roi == T::case_roi) {
    if (e.pos_piece[T::tour_roi] == T::coin_roi) petit = ROQUE_POSSIBLE;
    if (e.pos_piece[T::tour_dame] == T::coin_dame) grand = ROQUE_POSSIBLE;
  }
  // With no castling left, the king is taken as castled on its wing
  if (petit == ROQUE_PERDU && grand == ROQUE_PERDU && roi >= 0) {
    if (colonne(roi) <= 3) grand = ROQUE_FAIT;
    else petit = ROQUE_FAIT;
  }
}

// A castling state of colour C may stay possible only while its king and
// rook stand on their initial squares: the generators move the rook slot
// from its corner.
template <int C>
void garde_roques(CEchiquier& e) {
  using T = Camp<C>;
  const bool roi_chez_lui = e.pos_piece[T::roi] == T::case_roi;
  auto garde = [&](int& r, bool tour_chez_elle) {
    if (r < ROQUE_PERDU || r > ROQUE_FAIT || (r == ROQUE_POSSIBLE && !(roi_chez_lui && tour_chez_elle)))
      r = ROQUE_PERDU;
  };
  garde(e.roque[T::roque_roi], e.pos_piece[T::tour_roi] == T::coin_roi);
  garde(e.roque[T::roque_dame], e.pos_piece[T::tour_dame] == T::coin_dame);
}

}  // namespace

std::string motif_placement(const CEchiquier& e) {
  if (e.pos_piece[0] < 0) return "no white king";
  if (e.pos_piece[16] < 0) return "no black king";
  return "no king";
}

void vide_echiquier(CEchiquier& e) {
  for (int& q : e.echiquier) q = VIDE;
  for (int s = 0; s < NB_PIECES; ++s) {
    e.pos_piece[s] = -1;
    e.valeur_piece[s] = 0;
  }
  e.type_piece[VIDE] = -1;
}

void refuse_position(CEchiquier& e) {
  e.liste_coups[0] = 0;
  e.CopieEmp(e.emp);
  e.index_courant = -1;
  e.partie.Raz();
  e.dernier_coup = 0;
  e.coup_prevu = 0;
  e.reponse_prevue = 0;
  e.depart_standard = 0;
  if (e.fen_depart) e.fen_depart[0] = 0;  // no starting position to save
  e.fin_partie = 1;
}

void CEchiquier::PositionDebut() {
  for (int& q : echiquier) q = VIDE;
  for (int c = 0; c < 2; ++c) {
    for (int i = 0; i < 8; ++i) {
      place(*this, c * 16 + i, TYPE_RANGEE[i], c * 56 + CASE_RANGEE[i]);
      place(*this, c * 16 + 8 + i, c ? PION_NOIR : PION_BLANC, (c ? 48 : 8) + i);
    }
  }
  type_piece[VIDE] = -1;
}

void CEchiquier::PositionVide() {
  for (int& q : echiquier) q = VIDE;
  for (int s = 0; s < NB_PIECES; ++s) {
    pos_piece[s] = -1;
    type_piece[s] = 0;
  }
  type_piece[VIDE] = -1;
  place(*this, 0, ROI, 4);
  place(*this, 16, ROI, 60);
}

int CEchiquier::AjoutePiece(int couleur, int type, int case_) {
  if (case_ < 0 || case_ > 63 || type < ROI || type > CAVALIER) return -1;
  if (echiquier[case_] != VIDE) return -1;
  const int noir = couleur == 1 ? 16 : 0;
  static constexpr int SLOT_BASE[5] = {0, 1, 2, 4, 6};
  const int base = SLOT_BASE[type] + noir;

  // The slot of the piece
  int slot = base;
  switch (type) {
    case TOUR:
    case CAVALIER:
      slot = colonne(case_) >= 4 ? base + 1 : base;
      if (sur_echiquier(*this, slot)) slot ^= 1;
      break;
    case FOU: {
      const bool claire = (rangee(case_) + colonne(case_)) & 1;
      slot = claire != bool(noir) ? base + 1 : base;
      if (sur_echiquier(*this, slot)) slot ^= 1;
      break;
    }
    default:
      break;
  }
  if (type != ROI && sur_echiquier(*this, slot)) {
    // A surplus piece (a promoted one) takes a pawn's slot, from the h-pawn's down
    slot = -1;
    for (int s = noir + 15; s >= noir + 8 && slot < 0; --s)
      if (!sur_echiquier(*this, s)) slot = s;
    if (slot < 0) return -1;
  }
  if (sur_echiquier(*this, slot)) return -1;

  place(*this, slot, type, case_);
  return slot;
}

int CEchiquier::AjoutePion(int couleur, int case_) {
  if (case_ < 0 || case_ > 63) return -1;
  // A pawn never stands on its first or last rank
  if (rangee(case_) == 0 || rangee(case_) == 7) return -1;
  if (echiquier[case_] != VIDE) return -1;
  const int premier = couleur == 1 ? 24 : 8;
  const int f = colonne(case_);

  // The slot of its file, else of a neighbouring file, else the nearest
  // free one (doubled pawns may have taken the close files)
  const int essais[15] = {f,     f - 1, f + 1, f - 2, f + 2, f - 3, f + 3, f - 4,
                          f + 4, f - 5, f + 5, f - 6, f + 6, f - 7, f + 7};
  for (const int g : essais) {
    if (g < 0 || g > 7 || sur_echiquier(*this, premier + g)) continue;
    place(*this, premier + g, couleur == 1 ? PION_NOIR : PION_BLANC, case_);
    return premier + g;
  }
  return -1;
}

int CEchiquier::DroitsRoque() {
  for (int& r : roque) r = ROQUE_PERDU;
  droits_couleur<BLANCS>(*this);
  droits_couleur<NOIRS>(*this);
  return 0;
}

int CEchiquier::RecalculePosition(int trait_) {
  double_pas_depart = 0;

  // Board and material
  int materiel = 0;
  for (int s = 0; s < NB_PIECES; ++s) {
    if (pos_piece[s] < 0 || pos_piece[s] > 63) {
      pos_piece[s] = -1;
      continue;
    }
    echiquier[pos_piece[s]] = s;
    materiel += s < 16 ? valeur_piece[s] : -valeur_piece[s];
  }
  type_piece[VIDE] = -1;
  emp->materiel = materiel;
  emp->phase = 0;

  // Side to move and a fresh game from here
  trait = trait_ ? NOIRS : BLANCS;
  fin_partie = 0;
  camp_moteur = trait;
  emp->coups_reversibles = 0;
  index_courant = -1;
  credit_livre = 10;
  partie.Raz();
  depart_standard = 0;
  dernier_coup = 0;
  coup_prevu = 0;
  reponse_prevue = 0;
  if (table_repetition) clear_repetition(table_repetition);

  // The generators read the kings' squares: no king, no position
  if (pos_piece[0] < 0 || pos_piece[16] < 0) {
    refuse_position(*this);
    return -2;
  }

  // Starting FEN, moves of the side to move
  garde_roques<BLANCS>(*this);
  garde_roques<NOIRS>(*this);
  CreeForsythe(alloue_fen_depart());
  if (genere_liste() & COUP_ILLEGAL) {
    // The side not to move is in check: the generator listed nothing
    liste_coups[0] = 0;
    fin_partie = 1;
    return COUP_ILLEGAL;
  }
  note_premiere_occurrence();
  return 0;
}
