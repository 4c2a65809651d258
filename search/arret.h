// The stop flags and the draw score: owned by time control, read by the
// search at every node.
#pragma once

#include "platform/platform.h"

// Raised when the search must stop at once (maximum time, the interface, the
// driver); the search tests it at every node entry. Written by time control
// and the thinking thread.
extern drapeau_atomique arret_recherche;

// Raised by the timer when the normal thinking time has run out.
extern drapeau_atomique temps_depasse;

// The draw score in search units (400 = one pawn), for the side the engine
// plays; set by SetNulle.
extern int valeur_nulle;

// Thrown by a search node that finds the stop flag raised: every active node
// is abandoned at once and the driver resumes at the point it armed.
struct RECHERCHE_ABANDONNEE {};
