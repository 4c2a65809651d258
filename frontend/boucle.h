// The command loop: reads commands from standard input, one per line, in
// the xboard language, and answers on standard output.
#pragma once

#include <string>

#include "platform/platform.h"

class CEchiquier;

// Flags of the loop (0 at start).
extern drapeau_atomique anticipation_active;  // ponder after the engine's move; "HARD"/"EASY"
extern drapeau_atomique post_actif;           // the search prints thinking lines; "POST"/"NOPOST"
extern drapeau_atomique mode_analyse;         // search without playing; "EXIT" clears it
extern int mode_force;                        // record moves only; "FORCE", cleared by "NEW"

// Runs the loop on the engine until "QUIT" or the end of input; returns
// the program's exit status.
int boucle_commandes(CEchiquier& e);

// Interprets one command line (upper-cased in place). Returns false when
// the program is to end.
bool traite_ligne(CEchiquier& e, std::string& ligne);

// Writes a prompt character to standard error when a person can see it
// there. GUIs often read the engine's standard error through the same pipe
// as its output, where a prompt would spoil the next line.
void ecrit_invite(char c);

// Prints the message of a move result code with the move text.
void annonce_resultat(CEchiquier& e, int code, const char* texte);
