// Time-control state set by "LEVEL", "TIME" and "OTIM", and the allocation
// of the two thinking-time limits before every search, in milliseconds.
#pragma once

class CEchiquier;

// Time-control globals, written by the command loop.
extern int coups_par_periode;  // moves per period; 0 or less: the whole game is one period
extern int temps_base_ms;      // time of one period
extern int increment_ms;       // time added per move
extern int temps_restant_ms;   // the engine's clock, from "TIME"
extern int temps_adverse_ms;   // the opponent's clock, from "OTIM"
extern int temps_recu;         // 1 once a "TIME" has set the clock
extern const int diviseurs_coups[10];

// The time a move costs beyond its thinking (the line to and from the GUI);
// never spent. Written by the configuration reader ("MOVEOVERHEAD") and the
// xboard option "Move Overhead".
extern int marge_coup_ms;
inline constexpr int MARGE_COUP_DEFAUT_MS = 50;
inline constexpr int MARGE_COUP_MAX_MS = 5000;

// The two limits of a search.
struct LIMITES_TEMPS {
  int normal_ms;
  int maximum_ms;
};

// An allocation for any protocol: `restant_ms` on the clock, `increment_ms`
// added after each move, `coups_avant_controle` moves until the clock is
// refilled, this one included (0 = the clock must last the rest of the
// game), `marge_ms` the move overhead.
LIMITES_TEMPS calcule_limites_temps(int restant_ms, int increment_ms, int coups_avant_controle,
                                    int marge_ms);

// Limits that keep a reserve on the clock: the maximum takes at most half
// of what is left beyond the overhead (the control may come later than
// counted), then borne_horloge.
LIMITES_TEMPS garde_reserve(LIMITES_TEMPS l, int restant_ms, int marge_ms);

// Limits that never flag: the maximum is at most the clock minus the
// overhead; with the clock at or below the overhead, a small fraction of
// what is left; the normal time never above the maximum; both at least 1 ms.
LIMITES_TEMPS borne_horloge(LIMITES_TEMPS l, int restant_ms, int marge_ms);

// The level's allocation for the move after `coups_joues` full moves, with
// `restant_ms` on the clock; the clock's safety not included.
LIMITES_TEMPS limites_niveau(int coups_joues, int mps, int base_ms, int increment_ms,
                             int restant_ms);

// Parses a "LEVEL" line (upper-cased, keyword included): "LEVEL MPS BASE
// INC", BASE in minutes or min:sec, INC in seconds, both possibly
// fractional. False when it does not parse (fields read before the failure
// keep their values).
bool commande_level(const char* ligne);

// A number of seconds (possibly fractional, e.g. "0.5") in milliseconds;
// -1 when the text is not a number of seconds of at least 1 ms.
int lit_secondes_ms(const char* texte);

// "TIME n" / "OTIM n": the number after the keyword in centiseconds, or 0.
int lit_centisecondes(const char* ligne, int longueur_mot);

// Sets the depth limit to none and both thinking-time limits.
void allouer_temps(CEchiquier& e);
