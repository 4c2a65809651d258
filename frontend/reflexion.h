// The thinking thread: searches the engine's move, plays and prints it,
// then ponders on the opponent's time when pondering is on.
#pragma once

#include <cstdint>

#include "platform/platform.h"

class CEchiquier;

// A thinking thread is running; set before it starts, cleared as its last step.
extern drapeau_atomique reflexion_en_cours;
// The loop is stopping the thread, which must not start pondering.
extern drapeau_atomique arret_demande;
// The running thread is pondering (not searching its own move).
extern drapeau_atomique anticipation_en_cours;

// Starts a thread unless one runs or the game is over ("GO").
void demarrer_reflexion(CEchiquier& e);
// Returns when no thinking thread runs any more. A thread searching its
// own move still plays and prints the best move found so far, unless
// `sans_coup`: then the move is dropped (a version-2 GUI discards it).
void arreter_reflexion(bool sans_coup = false);

// Stack of the thinking thread: room for the deepest search in every build.
inline constexpr size_t PILE_REFLEXION = size_t(64) << 20;
