// Engine-wide state that the search shares with the board and the front end.
#pragma once

#include <cstdint>

#include "board/types.h"
#include "platform/platform.h"

// The side the search plays for; set with every change of the side to move.
extern int camp_moteur;
// The board's work state, move list and side to move, pointed at by Raz.
extern EMPILAGE* emp_jeu;
extern uint32_t* liste_jeu;
extern int* trait_jeu;
// Guards the published principal variation and the report data.
extern section_critique verrou_rapport;
// Credit of the opening book: moves the engine may still take from it; Raz and Retour refill it.
extern int credit_livre;
// Set by start-up once the endgame tables are initialised; the engine's destructor releases them.
extern int tables_pretes;
