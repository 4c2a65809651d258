// The search driver: iterative deepening at the root with an aspiration
// window, the opening book first, thinking lines after each new best move.
#pragma once

#include <cstdint>

#include "board/types.h"

// Searches the root position `noeud` for side `camp` over the legal list
// `liste` (scored and sorted best first). `limite_profondeur`: in, the last
// iteration depth allowed; out, the last completed one (unchanged for a
// book move or a timer failure). Returns the best score, 1 for a book move
// (first in the list), -32767 when the timer cannot start. The two times
// are in milliseconds.
int pilote_recherche(int camp, uint32_t* liste, int score_precedent, int fenetre,
                     int profondeur_depart, int64_t temps_normal_ms, int64_t temps_max_ms,
                     int* limite_profondeur, int nouvelle, EMPILAGE* noeud);

// The score the book path reports: not a mate score.
inline constexpr int SCORE_LIVRE = 32761;

// A score as the thinking line shows it: centipawns, or 100000 + N for a
// mate in N moves and -100000 - N for being mated in N.
int score_ligne_reflexion(int s);

// 1 while the driver runs; ArreteRecherche only acts then.
bool recherche_active();

// The data of one thinking line, for a front end that reports the search
// in its own words.
struct LIGNE_REFLEXION {
  int profondeur;           // the depth shown: iteration depth - 2
  int score;                // best root score, root side's view (400 = one pawn)
  uint32_t millisecondes;   // since the search began
  uint32_t noeuds;          // nodes searched
  const uint32_t* pv;       // the reported line, 0-terminated
};
// When set, every thinking line goes to this function (on the search
// thread) instead of the xboard text. Set once by the UCI front end before
// its first search.
extern void (*rapporteur_reflexion)(const LIGNE_REFLEXION& ligne);
