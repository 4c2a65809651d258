// Time control: a periodic one-second timer counts the normal and maximum
// thinking times down and raises the stop flags; the time rule tells the
// driver when to stop between root moves.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "search/arret.h"

// Seconds left of the normal and the maximum time; the timer decrements them.
extern drapeau_atomique secondes_normales;
extern drapeau_atomique secondes_max;
// The running timer, 0 if none.
extern std::atomic<uint32_t> id_timer;

// Iteration statistics handed to the time rule, in this order.
struct STATS_ITERATION {
  int changements_iteration;  // best-move changes in this iteration
  int changements_total;      // best-move changes since the search began
  int coup_evident;           // the obvious-move flag
  int secondes_premier_coup;  // whole seconds taken by this iteration's first root move
  int iteration_finie;        // the iteration is finished
};

// Starts the timer: 0 on success, 1 on failure.
int start_timer(int normal, int maximum);
void stop_timer();
// The timer's once-a-second call back.
void rappel_timer(uint32_t id);
// 1 = stop, 0 = go on.
int time_rule(int delta, int d, const STATS_ITERATION& stats);
