// The search's stop flag and draw score, read at every node.
#pragma once

#include "platform/platform.h"

// Raised when the search must stop: the maximum time ran out (timer), the
// thinking thread is being stopped, or the driver ends its own loop.
extern drapeau_atomique arret_recherche;
// Raised by the timer when the normal thinking time has run out.
extern drapeau_atomique temps_depasse;
// The draw score in search units (400 = one pawn); SetNulle writes it.
extern int valeur_nulle;
