// The search of the UCI mode: "go" starts it on a thread of its own, which
// reports "info" lines and ends with exactly one "bestmove"; "stop" and
// "ponderhit" steer it from the command loop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CEchiquier;

// The limits of one "go" (milliseconds for the clocks; -1 or 0: not given).
struct PARAMETRES_GO {
  long long wtime = -1, btime = -1;  // the clocks of White and Black
  long long winc = 0, binc = 0;      // their increments
  int movestogo = 0;                 // moves to the next time control, 0: the rest of the game
  long long movetime = -1;           // exactly this long
  int depth = 0;                     // at most this many plies (the depth of the info lines)
  long long nodes = 0;               // about this many nodes at most
  int mate = 0;                      // look for a mate in this many moves
  bool infinite = false;             // until "stop"
  bool ponder = false;               // on the opponent's time, until "ponderhit" or "stop"
  std::vector<std::string> searchmoves;  // only these root moves
};

// Reads the words after "go". Numbers beyond the sensible range are cut
// to it; words that are not understood are named in `remarque`.
PARAMETRES_GO lit_parametres_go(const std::string& reste, std::string& remarque);

// Starts the search of the board's position. No search may be running
// (the loop stops it first). Returns a remark for an "info string" line
// (searchmoves that are not legal), or "".
std::string lance_recherche_uci(CEchiquier& e, const PARAMETRES_GO& g);

// "stop", and every command that needs the board: ends the running search
// (its "bestmove" is written) and returns once its thread has ended. Does
// nothing when no search runs.
void arrete_recherche_uci();

// "ponderhit": the pondered move was played; the search goes on with the
// clock of its "go".
void ponderhit_uci();

// The thinking lines of the driver as "info" lines; installed by the UCI loop.
struct LIGNE_REFLEXION;
void rapporte_ligne_uci(const LIGNE_REFLEXION& ligne);

// "info" score text of a search score: "cp N" or "mate N".
std::string score_uci(int score);

// The legal move of the board's list written as `texte` ("e2e4", "e7e8q",
// castling as the king's move), or 0.
uint32_t coup_uci(CEchiquier& e, const std::string& texte);
