// Playing moves of the game and moving along the recorded game.
#include <cstring>

#include "board/camp.h"
#include "board/echiquier.h"
#include "board/movegen.h"
#include "search/globals.h"
#include "search/hash.h"

namespace {
// Applies a move of `trait` to e with the generator of the other side,
// which lists the replies into liste.
uint32_t applique_coup(int trait, uint32_t* liste, uint32_t coup, EMPILAGE* e) {
  return trait == BLANCS ? genere_noirs(liste, coup, 0, e) : genere_blancs(liste, coup, 0, e);
}
}  // namespace

int coup_irreversible(uint32_t coup, const EMPILAGE* e) {
  const int p = e->echiquier[case_depart(coup)];
  const int t = e->type_piece[p];
  if (t == PION_BLANC || t == PION_NOIR) return 1;
  if (e->echiquier[case_arrivee(coup)] != VIDE) return 1;
  return (coup & GENRE_COUP) != 0;
}

int CEchiquier::piece_prise(uint32_t coup) {
  const int vers = case_arrivee(coup);
  if ((coup & GENRE_COUP) == PRISE_EN_PASSANT) return echiquier[trait == BLANCS ? vers - 8 : vers + 8];
  return echiquier[vers];
}

int CEchiquier::flag_roque() {
  return (roque[0] + 1) | ((roque[2] + 1) << 2) | ((roque[1] + 1) << 4) | ((roque[3] + 1) << 6);
}

void CEchiquier::restaure_roque(int r) {
  roque[0] = (r & 3) - 1;
  roque[2] = ((r >> 2) & 3) - 1;
  roque[1] = ((r >> 4) & 3) - 1;
  roque[3] = ((r >> 6) & 3) - 1;
}

int CEchiquier::Joue(uint32_t coup) {
  // Find the move among the legal entries
  uint32_t* entree = nullptr;
  for (uint32_t* l = liste_coups; *l; ++l) {
    if (!(*l & COUP_ILLEGAL) && (*l & 0xfff) == (coup & 0xfff)) {
      entree = l;
      break;
    }
  }
  if (!entree) return -1;
  if (*entree & PROMOTION) {
    if (!(coup & PROMOTION)) return 1;
    entree = nullptr;
    for (uint32_t* l = liste_coups; *l; ++l) {
      if (!(*l & COUP_ILLEGAL) && (*l & 0xffff) == (coup & 0xffff)) {
        entree = l;
        break;
      }
    }
    if (!entree) return -1;
  }

  // Record it
  partie.MetIndex(index_courant);
  ++index_courant;
  partie.Ajout(*entree, piece_prise(*entree), flag_roque());

  // Apply it and list the replies
  CopieEmp(emp);
  *entree &= 0xffff;
  const uint32_t m = *entree;
  dernier_coup = m;
  const int irreversible = coup_irreversible(m, emp);
  const uint32_t r = applique_coup(trait, liste_coups, m, emp);
  if (r & COUP_ILLEGAL) return -2;
  RecupEmp(emp);
  trait ^= 1;
  camp_moteur = trait;

  // Game end
  if (r == RESULTAT_MAT) {
    fin_partie = 1;
    return 2;
  }
  if (r == RESULTAT_PAT) {
    fin_partie = 1;
    return 3;
  }
  // A double step that allows an en passant capture makes a position no
  // later one repeats: the history starts afresh without it
  if (irreversible && prise_en_passant_listee()) {
    emp->coups_reversibles = 0;
    note_premiere_occurrence(true);
    return 0;
  }
  const int n = record_game_position(table_repetition, trait, irreversible, emp);
  return n == 3 || n == 100 ? 4 : 0;
}

int CEchiquier::Retour(int n) {
  if (n == -1) n = index_courant;
  else if (n == -2) n = index_courant + 2;
  else if (n == -3) n = partie.LitIndex() + 1;

  bool arriere;
  if (n >= 0 && n <= index_courant) {
    for (int i = index_courant; i >= n; --i) MajArriere(partie.LitA(i));
    index_courant = n - 1;
    arriere = true;
  } else {
    if (n <= index_courant + 1 || n > partie.LitIndex() + 1) return 1;
    for (int i = index_courant + 1; i <= n - 1; ++i) MajAvant(partie.LitA(i));
    index_courant = n - 1;
    arriere = false;
  }
  camp_moteur = trait;

  if (arriere) {
    restaure_roque(partie.LitA(n).roque);
    emp->coups_reversibles = 0;
    fin_partie = 0;
    if (index_courant <= 19) credit_livre = 10;
  }

  // List the moves of the side to move. When the last move on the board is
  // a double pawn step, it is taken off and applied again by the generator,
  // so that the en passant replies are listed as after Joue.
  const uint32_t dernier = index_courant >= 0 ? partie.LitA(index_courant).coup : double_pas_depart;
  const int de = case_depart(dernier), vers = case_arrivee(dernier);
  const int pion = echiquier[vers];
  const bool double_pas = dernier != 0 && (dernier & GENRE_COUP) == 0 && pion != VIDE &&
                          (type_piece[pion] == PION_BLANC || type_piece[pion] == PION_NOIR) &&
                          (vers - de == 16 || de - vers == 16) && echiquier[de] == VIDE;
  if (double_pas) rejoue_double_pas(dernier);
  else genere_liste();

  // The position taken back to starts a fresh repetition history
  if (arriere) note_premiere_occurrence(prise_en_passant_listee());

  dernier_coup = 0;
  coup_prevu = 0;
  generation_hash = 0;
  return 0;
}

namespace {

// Takes back the rook's part of side C's castling: the rook returns to its corner.
template <int C>
void remet_tour(CEchiquier& e, uint32_t genre) {
  using T = Camp<C>;
  const bool petit = genre == PETIT_ROQUE;
  const int tour = petit ? T::tour_roi : T::tour_dame, coin = petit ? T::coin_roi : T::coin_dame;
  e.echiquier[petit ? T::arrivee_tour_roi : T::arrivee_tour_dame] = VIDE;
  e.echiquier[coin] = tour;
  e.pos_piece[tour] = coin;
}

}  // namespace

bool CEchiquier::rejoue_double_pas(uint32_t pas) {
  const int de = case_depart(pas), vers = case_arrivee(pas);
  const int pion = echiquier[vers];
  echiquier[vers] = VIDE;
  echiquier[de] = pion;
  pos_piece[pion] = de;
  CopieEmp(emp);
  if (applique_coup(trait ^ 1, liste_coups, pas, emp) & COUP_ILLEGAL) {
    echiquier[de] = VIDE;
    echiquier[vers] = pion;
    pos_piece[pion] = vers;
    genere_liste();
    return false;
  }
  RecupEmp(emp);
  return true;
}

void CEchiquier::MajArriere(S_LISTE_COUPS e) {
  const int de = case_depart(e.coup), vers = case_arrivee(e.coup);
  const uint32_t genre = e.coup & GENRE_COUP;
  const int p = echiquier[vers];
  if (p == VIDE) return;  // a record that does not fit the board: leave it alone

  echiquier[vers] = VIDE;
  echiquier[de] = p;
  pos_piece[p] = de;
  if (e.prise < VIDE) {
    echiquier[vers] = e.prise;
    pos_piece[e.prise] = vers;
  }
  trait ^= 1;

  if (genre == PETIT_ROQUE || genre == GRAND_ROQUE) {
    if (trait == BLANCS) remet_tour<BLANCS>(*this, genre);
    else remet_tour<NOIRS>(*this, genre);
  } else if (genre == PRISE_EN_PASSANT) {
    echiquier[vers] = VIDE;
    if (e.prise < VIDE) {
      const int q = trait == BLANCS ? vers - 8 : vers + 8;
      echiquier[q] = e.prise;
      pos_piece[e.prise] = q;
    }
  } else if (genre & PROMOTION) {
    type_piece[p] = trait == BLANCS ? PION_BLANC : PION_NOIR;
  }
}

void CEchiquier::MajAvant(S_LISTE_COUPS e) {
  CopieEmp(emp);
  const uint32_t r = applique_coup(trait, liste_coups, e.coup, emp);
  if (!(r & COUP_ILLEGAL)) {
    RecupEmp(emp);
    trait ^= 1;
  }
}
