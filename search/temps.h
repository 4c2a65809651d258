// Time control: a fast periodic timer counts the normal and maximum
// thinking times down in milliseconds and raises the stop flags; the time
// rule tells the driver when to stop between root moves.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/platform.h"
#include "search/arret.h"

// Milliseconds left of the normal and the maximum time; the timer takes the
// time gone by off them at every tick, so they go on below 0.
extern std::atomic<int64_t> ms_normales;
extern std::atomic<int64_t> ms_max;
// The running timer, 0 if none.
extern std::atomic<uint32_t> id_timer;

// The timer's period: the flags are raised at most this late.
inline constexpr uint32_t PERIODE_MINUTERIE_MS = 5;

// Thirty days in milliseconds: the limits of analysis and pondering.
inline constexpr int64_t TRENTE_JOURS_MS = int64_t(2592000) * 1000;

// Iteration statistics handed to the time rule, in this order.
struct STATS_ITERATION {
  int changements_iteration;  // best-move changes in this iteration
  int changements_total;      // best-move changes since the search began
  int coup_evident;           // the obvious-move flag
  int ms_premier_coup;        // milliseconds taken by this iteration's first root move
  int iteration_finie;        // the iteration is finished
};

// Starts the timer with the two limits in milliseconds: 0 on success, 1 on failure.
int start_timer(int64_t normal_ms, int64_t maximum_ms);
void stop_timer();
// The timer's call back, once a period.
void rappel_timer(uint32_t id);
// 1 = stop, 0 = go on.
int time_rule(int delta, int d, const STATS_ITERATION& stats);

// Milliseconds since the running (or the last) search started its timer.
uint32_t temps_ecoule_ms();
