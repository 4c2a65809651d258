// The Universal Chess Interface, the engine's second protocol: chosen for
// the whole session when the first command is "uci". In this mode nothing
// but UCI lines goes to standard output.
#pragma once

#include <string>

class CEchiquier;

// The line is the command "uci" (surrounding blanks allowed).
bool est_commande_uci(const std::string& ligne);

// Answers the "uci" already read, then runs the UCI command loop until
// "quit" or the end of input; returns the program's exit status.
int boucle_uci(CEchiquier& e);

// Writes one line (without its line end) to standard output in one piece
// and flushes it. Every UCI line goes through here: the command loop and
// the search thread write from their own threads.
void ecrit_uci(const std::string& ligne);

// The position a "position" command describes, as its words after the
// keyword: "startpos" or "fen" with six fields (fewer are accepted), then
// optionally "moves" and the moves. Sets it up on the board: returns ""
// on success, else what is wrong with it (the board is then undefined).
std::string installe_position(CEchiquier& e, const std::string& description);
