// The thinking thread: searches the engine's move, plays and prints it,
// then ponders on the opponent's time when pondering is on.
#pragma once

#include <cstdint>

#include "board/types.h"
#include "platform/platform.h"

class CEchiquier;

// A thinking thread is running; set before it starts, cleared as its last step.
extern drapeau_atomique reflexion_en_cours;
// The loop is stopping the thread, which must not start pondering.
extern drapeau_atomique arret_demande;

// Starts a thread unless one runs or the game is over ("GO").
void demarrer_reflexion(CEchiquier& e);
// Returns when no thinking thread runs any more; everything the thread
// wrote is then the loop's to read. A thread searching its own move still
// plays and prints the best move found so far, unless `sans_coup`: then
// the move is dropped (a version-2 GUI discards it).
void arreter_reflexion(bool sans_coup = false);

// What the commands that read the board while the engine may be thinking
// work on: a copy of the position, taken under the report lock.
struct COPIE_PLATEAU {
  EMPILAGE position;                     // the board's work state with its pieces
  uint32_t liste[TAILLE_LISTE_COUPS];    // legal-move list (illegal entries marked), 0-ended
  int trait;                             // side to move
  int coup_prevu;                        // the opponent's reply the last search predicted
  bool coup_a_venir;                     // a thread will still play a move on the board
};
// The board as the loop may read it now: the copy the thread keeps while
// a thread runs, else the board itself. Called by the command loop only.
COPIE_PLATEAU copie_plateau(CEchiquier& e);

// A thread is searching the engine's own move and has not yet decided
// whether to play it (as opposed to analysing, pondering or ending).
bool coup_en_attente();

// Stack of the thinking thread: room for the deepest search in every build.
inline constexpr size_t PILE_REFLEXION = size_t(64) << 20;
