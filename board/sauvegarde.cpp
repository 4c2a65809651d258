#include "board/sauvegarde.h"

#include <cstring>

#include "search/globals.h"
#include "search/hash.h"

CSauvegardeJeu::CSauvegardeJeu(CEchiquier& e)
    : e_(e),
      index_courant_(e.index_courant),
      profondeur_(e.profondeur),
      depart_standard_(e.depart_standard),
      coup_prevu_(e.coup_prevu),
      reponse_prevue_(e.reponse_prevue),
      temps_anticipation_(e.temps_anticipation),
      profondeur_anticipation_(e.profondeur_anticipation),
      score_anticipation_(e.score_anticipation),
      dernier_coup_(e.dernier_coup),
      double_pas_depart_(e.double_pas_depart),
      trait_(e.trait),
      fin_partie_(e.fin_partie),
      compte_abandon_(e.compte_abandon),
      index_record_(e.partie.LitIndex()),
      liste_coups_(e.liste_coups, e.liste_coups + TAILLE_LISTE_COUPS),
      liste_prises_(e.liste_prises, e.liste_prises + TAILLE_LISTE_COUPS),
      emp_(*e.emp),
      fen_presente_(e.fen_depart != nullptr),
      camp_moteur_(camp_moteur),
      credit_livre_(credit_livre) {
  std::memcpy(pos_piece_, e.pos_piece, sizeof pos_piece_);
  std::memcpy(echiquier_, e.echiquier, sizeof echiquier_);
  std::memcpy(type_piece_, e.type_piece, sizeof type_piece_);
  std::memcpy(valeur_piece_, e.valeur_piece, sizeof valeur_piece_);
  std::memcpy(roque_, e.roque, sizeof roque_);
  for (int i = 0; i <= index_record_; ++i) record_.push_back(e.partie.LitA(i));
  std::memset(fen_, 0, sizeof fen_);
  if (fen_presente_) std::memcpy(fen_, e.fen_depart, sizeof fen_);
  if (table_repetition) {
    const auto* octets = reinterpret_cast<const uint8_t*>(table_repetition);
    repetitions_.assign(octets, octets + TAILLE_REPETITION * sizeof(ENTREE_REPETITION));
  }
}

void CSauvegardeJeu::restaure() {
  CEchiquier& e = e_;
  e.index_courant = index_courant_;
  e.profondeur = profondeur_;
  e.depart_standard = depart_standard_;
  e.coup_prevu = coup_prevu_;
  e.reponse_prevue = reponse_prevue_;
  e.temps_anticipation = temps_anticipation_;
  e.profondeur_anticipation = profondeur_anticipation_;
  e.score_anticipation = score_anticipation_;
  e.dernier_coup = dernier_coup_;
  e.double_pas_depart = double_pas_depart_;
  e.trait = trait_;
  e.fin_partie = fin_partie_;
  e.compte_abandon = compte_abandon_;
  std::memcpy(e.pos_piece, pos_piece_, sizeof pos_piece_);
  std::memcpy(e.echiquier, echiquier_, sizeof echiquier_);
  std::memcpy(e.type_piece, type_piece_, sizeof type_piece_);
  std::memcpy(e.valeur_piece, valeur_piece_, sizeof valeur_piece_);
  std::memcpy(e.roque, roque_, sizeof roque_);

  // The record, entry by entry
  e.partie.Raz();
  for (const S_LISTE_COUPS& m : record_) e.partie.Ajout(m.coup, m.prise, m.roque);
  e.partie.MetIndex(index_record_);

  // Lists, work state, starting FEN
  std::memcpy(e.liste_coups, liste_coups_.data(), liste_coups_.size() * sizeof(uint32_t));
  std::memcpy(e.liste_prises, liste_prises_.data(), liste_prises_.size() * sizeof(uint32_t));
  *e.emp = emp_;
  if (fen_presente_) std::memcpy(e.alloue_fen_depart(), fen_, sizeof fen_);
  else if (e.fen_depart) e.fen_depart[0] = 0;

  // Game globals and repetitions
  camp_moteur = camp_moteur_;
  credit_livre = credit_livre_;
  emp_jeu = e.emp;
  liste_jeu = e.liste_coups;
  trait_jeu = &e.trait;
  if (table_repetition && repetitions_.size() == TAILLE_REPETITION * sizeof(ENTREE_REPETITION))
    std::memcpy(static_cast<void*>(table_repetition), repetitions_.data(), repetitions_.size());
}
