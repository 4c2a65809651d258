// The additions of protocol version 2 and the commands of modern GUIs:
// features, ping, fixed time and depth per move, analysis reports, hint,
// book listing and memory.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

class CEchiquier;

// 1 once "PROTOVER n" with n >= 2 was received: moves go out as "move MOVE".
extern drapeau_atomique protocole_v2;
// "ST n": milliseconds for every search (0: the level's allocation). Written by the loop.
extern int ms_par_coup;
// "SD n": the last depth the thinking lines may show (0: none). Written by the loop.
extern int profondeur_max_sd;

// The feature line answering "PROTOVER n".
std::string ligne_features();

// The engine's move line: "%d. ... MOVE" or, in version-2 mode, "move MOVE".
std::string ligne_coup(int numero, uint32_t coup);

// "PING n": answered at once, or after the move line when the engine is
// searching its own move.
void commande_ping(const std::string& n);
// Called by the thinking thread once its move line is out (or it will
// print none): the pongs that waited are answered.
void libere_pongs();
// Called before a thinking thread starts: pongs now wait for its move.
void retient_pongs();

// Applies "ST" and "SD" on top of the allocation; "ST" never beyond the
// clock minus the move overhead.
void applique_limites_fixes(CEchiquier& e);

// "MEMORY n": the largest table size that fits in n megabytes (13 to 23).
int exposant_memoire(long megaoctets);

// "HINT": "Hint: MOVE" with the predicted move when it is legal, else "".
std::string ligne_hint(CEchiquier& e);
// "BK": the book moves of the position, "\tMOVE\n" each, then an empty line.
std::string lignes_bk(CEchiquier& e);
// ".": "stat01: TIME NODES DEPTH MOVESLEFT TOTALMOVES MOVE" during analysis.
std::string ligne_stat01(CEchiquier& e, uint32_t debut_ticks);
