// Time-control state set by "LEVEL" and "TIME", and the allocation of the
// two thinking-time limits before every search.
#pragma once

class CEchiquier;

// Time-control globals, written by the command loop.
extern int coups_par_periode;  // moves per period; 0 or less: the whole game is one period
extern int temps_base;         // seconds of one period
extern int increment;          // seconds added per move
extern int temps_restant;      // the engine's clock in seconds, from "TIME"
extern int temps_recu;         // 1 once a "TIME" has set the clock
extern const int diviseurs_coups[10];

// Parses a "LEVEL" line (upper-cased, keyword included); false when it
// does not parse (fields read before the failure keep their values).
bool commande_level(const char* ligne);

// "TIME n" / "OTIM n": the number after the keyword in centiseconds, or 0.
int lit_centisecondes(const char* ligne, int longueur_mot);

// Sets the depth limit to none and both entries of temps_limite.
void allouer_temps(CEchiquier& e);
