#include "frontend/reflexion.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "board/echiquier.h"
#include "board/movegen.h"
#include "frontend/boucle.h"
#include "frontend/livre.h"
#include "frontend/niveau.h"
#include "frontend/protocole.h"
#include "notation/coordonnees.h"
#include "platform/fil.h"
#include "search/arret.h"

drapeau_atomique reflexion_en_cours{0};
drapeau_atomique arret_demande{0};
drapeau_atomique anticipation_en_cours{0};

namespace {
// The loop stops the thread and wants no move played; written by arreter_reflexion.
drapeau_atomique coup_abandonne{0};
}  // namespace

namespace {

FIL* fil_reflexion = nullptr;  // the last thinking thread; written by the command loop

// What the thread works on, and the slot where it leaves its move.
struct TACHE_REFLEXION {
  CEchiquier* e;
  uint32_t coup;
};
TACHE_REFLEXION tache;

// The side to move has no legal move: the game is over, said as after a move.
void annonce_fin_sans_coup(CEchiquier& e) {
  EMPILAGE w = *e.emp;
  e.CopieEmp(&w);
  const uint32_t echec = e.trait == BLANCS ? genere_noirs(nullptr, 0, 0, &w)
                                           : genere_blancs(nullptr, 0, 0, &w);
  e.fin_partie = 1;
  annonce_resultat(e, echec & COUP_ILLEGAL ? 2 : 3, "");
}

void reflexion(void* parametre) {
  TACHE_REFLEXION* t = static_cast<TACHE_REFLEXION*>(parametre);
  CEchiquier& e = *t->e;

  if (lit_drapeau(mode_analyse)) {
    dort_ms(500);
    if (lit_drapeau(arret_recherche)) {
      echange_atomique(reflexion_en_cours, 0);
      return;
    }
  }
  std::srand(compte_ticks());
  graine_livre(compte_ticks());

  // Search
  const uint32_t coup = e.Analyse();
  t->coup = coup;

  if (lit_drapeau(coup_abandonne)) {
    // Stopped by a command that discards the move: nothing is played.
  } else if (!lit_drapeau(mode_analyse)) {
    if (coup == 0xFFFFFFFF) {
      if (!e.fin_partie) annonce_fin_sans_coup(e);
      std::fflush(stdout);
    } else {
      // Play and print the move
      int code = e.Joue(coup);
      char texte[8];
      texte_coordonnees(coup & 0xffff, texte);
      if (code == 0) {
        const int score = int16_t(int32_t(coup) / 65536);
        if (score < -4000) {
          if (++e.compte_abandon >= 3) code = 10;
        } else {
          e.compte_abandon = 0;
        }
        // A book move waits a little, never beyond the move's normal time.
        if (score == 1) dort_ms(uint32_t(std::clamp<int64_t>(e.temps_limite_ms[0], 0, 300)));
      }
      if (code != 10) std::fputs(ligne_coup(e.index_courant / 2 + 1, coup).c_str(), stdout);
      if (code != 0) annonce_resultat(e, code, texte);
      std::fflush(stdout);
      libere_pongs();

      // Ponder until stopped
      if (lit_drapeau(anticipation_active)) {
        dort_ms(100);
        echange_atomique(anticipation_en_cours, 1);
        echange_atomique(arret_recherche, 0);
        if (!lit_drapeau(arret_demande)) e.Anticipation();
        echange_atomique(anticipation_en_cours, 0);
      }
    }
  }
  libere_pongs();
  echange_atomique(reflexion_en_cours, 0);
}

}  // namespace

void demarrer_reflexion(CEchiquier& e) {
  if (lit_drapeau(reflexion_en_cours) || e.fin_partie) return;
  mode_force = 0;
  echange_atomique(arret_recherche, 0);
  allouer_temps(e);
  applique_limites_fixes(e);
  echange_atomique(coup_abandonne, 0);
  if (!lit_drapeau(mode_analyse)) retient_pongs();
  ferme_fil(fil_reflexion);
  fil_reflexion = nullptr;
  tache = TACHE_REFLEXION{&e, 0};
  echange_atomique(reflexion_en_cours, 1);
  fil_reflexion = cree_fil(PILE_REFLEXION, reflexion, &tache);
  if (!fil_reflexion) {
    echange_atomique(reflexion_en_cours, 0);
    libere_pongs();
  }
}

void arreter_reflexion(bool sans_coup) {
  if (lit_drapeau(reflexion_en_cours)) {
    if (sans_coup) echange_atomique(coup_abandonne, 1);
    echange_atomique(arret_demande, 1);
    echange_atomique(arret_recherche, 1);
    while (lit_drapeau(reflexion_en_cours)) dort_ms(10);
    echange_atomique(arret_demande, 0);
  }
  ferme_fil(fil_reflexion);
  fil_reflexion = nullptr;
}
