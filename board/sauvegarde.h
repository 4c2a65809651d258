// A copy of the whole game of an engine object, taken before a load or a
// set-up and put back when it fails, so that a failed load changes nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "board/echiquier.h"
#include "board/types.h"

class CSauvegardeJeu {
 public:
  explicit CSauvegardeJeu(CEchiquier& e);
  CSauvegardeJeu(const CSauvegardeJeu&) = delete;
  CSauvegardeJeu& operator=(const CSauvegardeJeu&) = delete;
  // Puts the engine back as it was when the copy was taken: position,
  // record, side to move, castling, lists, starting FEN and repetitions.
  void restaure();

 private:
  // Copies the plain fields below between the engine object and this copy:
  // into the copy when taking it, back into the engine when restoring. One
  // list of fields serves both ways, so neither can forget one.
  template <bool RESTAURE>
  void transfere_champs(CEchiquier& e);

  CEchiquier& e_;
  // Plain fields of the engine object
  int index_courant_, profondeur_, depart_standard_, coup_prevu_, reponse_prevue_;
  int temps_anticipation_, profondeur_anticipation_, score_anticipation_;
  uint32_t dernier_coup_, double_pas_depart_;
  int pos_piece_[32], echiquier_[64], type_piece_[33], valeur_piece_[32];
  int trait_, roque_[4], fin_partie_, compte_abandon_;
  std::vector<S_LISTE_COUPS> record_;         // entries 0..index of the record
  int index_record_;
  std::vector<uint32_t> liste_coups_, liste_prises_;
  EMPILAGE emp_;
  bool fen_presente_;
  char fen_[81];
  std::vector<uint8_t> repetitions_;          // the game copy of the repetition table
  int camp_moteur_, credit_livre_;
};
