// The thinking thread and the way the command loop stops it.
//
// One writer at a time. While a thinking thread runs, the board (the
// engine object with its lists, its game record and its analysis state)
// and everything a search writes (tables, principal-variation cells, node
// count) belong to the thread. The command loop gets them back only by
// stopping the thread with arreter_reflexion, which joins it: after the
// join everything the thread wrote is the loop's to read and write. A
// command that only reads the board while a thread may run ("EVAL",
// "HINT", "BK", "PRINT", ".", the reading of a typed move) reads the copy
// of copie_plateau instead: the loop takes it under the report lock before
// it starts a thread, and the thread renews it under the same lock when it
// plays its move.
//
// The move itself: whether the thread plays and prints its move or drops
// it is decided under the report lock, at the moment it is played and
// printed, and arreter_reflexion asks for the drop under the same lock. So
// the loop either sees the move printed and played before it goes on, or
// never sees it at all.
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
#include "search/globals.h"

drapeau_atomique reflexion_en_cours{0};
drapeau_atomique arret_demande{0};

namespace {

FIL* fil_reflexion = nullptr;  // the last thinking thread, until joined; written by the loop

// What the thread works on, and the slot where it leaves its move. Written
// by the loop before the thread starts.
struct TACHE_REFLEXION {
  CEchiquier* e;
  uint32_t coup;
};
TACHE_REFLEXION tache;

// Guarded by the report lock (verrou_rapport):
COPIE_PLATEAU plateau_publie;  // the board as readers may see it while a thread runs
bool coup_a_venir = false;     // the thread has still to decide about its move
bool coup_abandonne = false;   // the loop wants no move played; set by arreter_reflexion

// Copies what the readers need of the board. The caller holds the report
// lock, or no thread runs.
void remplit_copie(CEchiquier& e, COPIE_PLATEAU& c) {
  c.position = *e.emp;
  e.CopieEmp(&c.position);
  int n = 0;
  for (; e.liste_coups[n] && n < TAILLE_LISTE_COUPS - 1; ++n) c.liste[n] = e.liste_coups[n];
  c.liste[n] = 0;
  c.trait = e.trait;
  c.coup_prevu = e.coup_prevu;
  c.coup_a_venir = coup_a_venir;
}

// Waits up to `ms` milliseconds; true as soon as the loop asks the thread
// to stop.
bool attend_arret(uint32_t ms) {
  for (uint32_t t = 0; t < ms; t += 10) {
    if (lit_drapeau(arret_demande)) return true;
    dort_ms(10);
  }
  return lit_drapeau(arret_demande) != 0;
}

// The side to move has no legal move: the game is over, said as after a move.
void annonce_fin_sans_coup(CEchiquier& e) {
  EMPILAGE w = *e.emp;
  e.CopieEmp(&w);
  const uint32_t echec = e.trait == BLANCS ? genere_noirs(nullptr, 0, 0, &w)
                                           : genere_blancs(nullptr, 0, 0, &w);
  e.fin_partie = 1;
  annonce_resultat(e, echec & COUP_ILLEGAL ? 2 : 3, "");
}

// Plays the searched move on the board and prints it, with the result it
// leads to. Returns false when there was no move to play.
bool joue_et_annonce(CEchiquier& e, uint32_t coup) {
  if (coup == 0xFFFFFFFF) {
    if (!e.fin_partie) annonce_fin_sans_coup(e);
    std::fflush(stdout);
    return false;
  }
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
  }
  if (code != 10) std::fputs(ligne_coup(e.index_courant / 2 + 1, coup).c_str(), stdout);
  if (code != 0) annonce_resultat(e, code, texte);
  std::fflush(stdout);
  return true;
}

void reflexion(void* parametre) {
  TACHE_REFLEXION* t = static_cast<TACHE_REFLEXION*>(parametre);
  CEchiquier& e = *t->e;
  const bool analyse = lit_drapeau(mode_analyse) != 0;

  // Analysis waits a moment: the GUI often sends commands in a burst
  if (analyse && attend_arret(500)) {
    echange_atomique(reflexion_en_cours, 0);
    return;
  }
  std::srand(compte_ticks());
  graine_livre(compte_ticks());

  // Search
  const uint32_t coup = e.Analyse();
  t->coup = coup;
  if (analyse) {
    echange_atomique(reflexion_en_cours, 0);
    return;
  }

  // A book move (score 1) goes out after a short pause, never beyond the
  // move's normal time, which a stop cuts short
  if (coup != 0xFFFFFFFF && int16_t(int32_t(coup) / 65536) == 1)
    attend_arret(uint32_t(std::clamp<int64_t>(e.temps_limite_ms[0], 0, 300)));

  // Play and print the move, or drop it: decided under the lock the loop
  // drops it with, with nothing in between
  bool joue = false;
  {
    verrou_section v(verrou_rapport);
    coup_a_venir = false;
    if (!coup_abandonne) {
      joue = joue_et_annonce(e, coup);
      remplit_copie(e, plateau_publie);
      libere_pongs();
    }
  }

  // Ponder until stopped, unless the loop is already stopping the thread
  if (joue && lit_drapeau(anticipation_active) && !attend_arret(100)) {
    bool ponder;
    {
      verrou_section v(verrou_rapport);
      ponder = !lit_drapeau(arret_demande);
      if (ponder) echange_atomique(arret_recherche, 0);
    }
    if (ponder) e.Anticipation();
  }
  libere_pongs();
  echange_atomique(reflexion_en_cours, 0);
}

// Joins a thread that has ended or been told to end.
void joint_fil() {
  ferme_fil(fil_reflexion);
  fil_reflexion = nullptr;
}

}  // namespace

void demarrer_reflexion(CEchiquier& e) {
  if (fil_reflexion && lit_drapeau(reflexion_en_cours)) return;
  joint_fil();
  if (e.fin_partie) return;
  mode_force = 0;
  echange_atomique(arret_recherche, 0);
  allouer_temps(e);
  applique_limites_fixes(e);
  const bool analyse = lit_drapeau(mode_analyse) != 0;
  {
    verrou_section v(verrou_rapport);
    coup_abandonne = false;
    coup_a_venir = !analyse;
    remplit_copie(e, plateau_publie);
  }
  if (!analyse) retient_pongs();
  tache = TACHE_REFLEXION{&e, 0};
  echange_atomique(reflexion_en_cours, 1);
  fil_reflexion = cree_fil(PILE_REFLEXION, reflexion, &tache);
  if (!fil_reflexion) {
    echange_atomique(reflexion_en_cours, 0);
    {
      verrou_section v(verrou_rapport);
      coup_a_venir = false;
    }
    libere_pongs();
  }
}

void arreter_reflexion(bool sans_coup) {
  if (!fil_reflexion) return;
  {
    verrou_section v(verrou_rapport);
    if (sans_coup) coup_abandonne = true;
    echange_atomique(arret_demande, 1);
    echange_atomique(arret_recherche, 1);
  }
  joint_fil();
  // No search runs now: the next one starts unhindered.
  echange_atomique(arret_recherche, 0);
  echange_atomique(arret_demande, 0);
  verrou_section v(verrou_rapport);
  coup_abandonne = false;
  coup_a_venir = false;
}

COPIE_PLATEAU copie_plateau(CEchiquier& e) {
  verrou_section v(verrou_rapport);
  if (fil_reflexion) {
    COPIE_PLATEAU c = plateau_publie;
    c.coup_a_venir = coup_a_venir;
    return c;
  }
  COPIE_PLATEAU c;
  remplit_copie(e, c);
  return c;
}

bool coup_en_attente() {
  verrou_section v(verrou_rapport);
  return coup_a_venir;
}
