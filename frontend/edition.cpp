#include "frontend/edition.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "board/echiquier.h"
#include "board/sauvegarde.h"
#include "board/setup.h"
#include "frontend/boucle.h"
#include "notation/texte.h"

void vider_case(CEchiquier& e, int case_) {
  if (case_ < 0 || case_ > 63) return;
  const int s = e.echiquier[case_];
  e.echiquier[case_] = VIDE;
  if (s != VIDE) e.pos_piece[s] = -1;
}

bool ligne_edition(CEchiquier& e, const char* ligne, int& couleur) {
  if (std::strcmp(ligne, "C") == 0) {
    couleur ^= 1;
  } else if (std::strcmp(ligne, "#") == 0) {
    e.PositionVide();
    vider_case(e, 4);
    vider_case(e, 60);
  } else if (std::strcmp(ligne, ".") == 0) {
    return false;
  } else if (std::strlen(ligne) >= 3 && ligne[1] >= 'A' && ligne[1] <= 'H' && ligne[2] >= '1' &&
             ligne[2] <= '8') {
    // A piece line: letter, file, rank. Unknown letters are ignored.
    const int q = (ligne[1] - 'A') + (ligne[2] - '1') * 8;
    const char* lettres = "KQRBN";
    if (ligne[0] == 'P') e.AjoutePion(couleur, q);
    else if (ligne[0] == 'X') vider_case(e, q);
    else if (ligne[0] != 0 && std::strchr(lettres, ligne[0]))
      e.AjoutePiece(couleur, int(std::strchr(lettres, ligne[0]) - lettres), q);
  }
  return true;
}

int mode_edition(CEchiquier& e, int trait, bool* fin_entree, std::string* motif) {
  CSauvegardeJeu sauvegarde(e);
  int couleur = BLANCS;
  std::string ligne;
  *fin_entree = false;
  for (;;) {
    ecrit_invite('#');
    if (!std::getline(std::cin, ligne)) {
      *fin_entree = true;
      break;
    }
    ote_retour_chariot(ligne);
    majuscules(ligne);
    if (!ligne_edition(e, ligne.c_str(), couleur)) break;
  }
  e.DroitsRoque();
  const int r = e.RecalculePosition(trait);
  if (r != 0) {
    const std::string pourquoi = e.pos_piece[0] < 0 || e.pos_piece[16] < 0
                                     ? motif_placement(e)
                                     : "the side not to move is in check";
    sauvegarde.restaure();
    if (motif) *motif = pourquoi;
  }
  return r;
}
