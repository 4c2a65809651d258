// What the search publishes for its users: the principal-variation
// arrays, the report context, and the best score, current root move and
// iteration depth. The arrays and the context are guarded by the report
// lock (verrou_rapport); the three numbers cross threads as atomic flags.
#pragma once

#include <cstdint>

#include "board/types.h"
#include "notation/san.h"
#include "platform/platform.h"

// Principal variations, LONGUEUR_PV move words each (at most 31 moves, then 0).
// Written by the search driver under the lock; read under it by the reports.
extern uint32_t pv_courante[LONGUEUR_PV];   // root line of the running search
extern uint32_t pv_sauvee[LONGUEUR_PV];     // copy taken before each rebuild of pv_courante
extern uint32_t pv_rapportee[LONGUEUR_PV];  // what the thinking line and Pvar show
extern uint32_t pv_rendue[LONGUEUR_PV];     // pv_rapportee as Pvar last returned it

// Where the reported line starts: the position, its legal list and the
// side to move there. Null members name the board's own emp, liste_coups
// and trait; pondering points them at its local copy for its duration.
struct CONTEXTE_RAPPORT {
  EMPILAGE* position;
  uint32_t* liste;
  int* trait;
};
extern CONTEXTE_RAPPORT contexte_rapport;  // written by set_context, under the lock

// Published by the search driver with atomic exchanges, read without the lock.
extern drapeau_atomique meilleur_score;       // best root score, side to move's view
extern drapeau_atomique coup_courant;         // root move being searched, or the book move
extern drapeau_atomique profondeur_courante;  // current iteration depth

// Sets the report context under the lock; null pointers name the board's.
void fixe_contexte_rapport(EMPILAGE* position, uint32_t* liste, int* trait);
// Copies one of the arrays under the lock.
void copie_pv(uint32_t* dest, const uint32_t* source);
