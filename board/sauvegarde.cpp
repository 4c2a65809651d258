#include "board/sauvegarde.h"

#include <cstring>

#include "search/globals.h"
#include "search/hash.h"

template <bool RESTAURE>
void CSauvegardeJeu::transfere_champs(CEchiquier& e) {
  const auto champ = [](auto& copie, auto& jeu) {
    static_assert(sizeof copie == sizeof jeu);
    if constexpr (RESTAURE)
      std::memcpy(&jeu, &copie, sizeof jeu);
    else
      std::memcpy(&copie, &jeu, sizeof jeu);
  };
  champ(index_courant_, e.index_courant);
  champ(profondeur_, e.profondeur);
  champ(depart_standard_, e.depart_standard);
  champ(coup_prevu_, e.coup_prevu);
  champ(reponse_prevue_, e.reponse_prevue);
  champ(temps_anticipation_, e.temps_anticipation);
  champ(profondeur_anticipation_, e.profondeur_anticipation);
  champ(score_anticipation_, e.score_anticipation);
  champ(dernier_coup_, e.dernier_coup);
  champ(double_pas_depart_, e.double_pas_depart);
  champ(trait_, e.trait);
  champ(fin_partie_, e.fin_partie);
  champ(compte_abandon_, e.compte_abandon);
  champ(pos_piece_, e.pos_piece);
  champ(echiquier_, e.echiquier);
  champ(type_piece_, e.type_piece);
  champ(valeur_piece_, e.valeur_piece);
  champ(roque_, e.roque);
}

CSauvegardeJeu::CSauvegardeJeu(CEchiquier& e)
    : e_(e),
      index_record_(e.partie.LitIndex()),
      liste_coups_(e.liste_coups, e.liste_coups + TAILLE_LISTE_COUPS),
      liste_prises_(e.liste_prises, e.liste_prises + TAILLE_LISTE_COUPS),
      emp_(*e.emp),
      fen_presente_(e.fen_depart != nullptr),
      camp_moteur_(camp_moteur),
      credit_livre_(credit_livre) {
  transfere_champs<false>(e);
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
  transfere_champs<true>(e);

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
