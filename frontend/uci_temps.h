// The thinking time of one UCI move, from the clock of "go" or a fixed
// "movetime", handed to the engine to the millisecond.
#pragma once

class CEchiquier;

// Normal and maximum thinking time of the next search, in milliseconds.
void fixe_temps_ms(CEchiquier& e, int normal_ms, int maximum_ms);

// The share of the clock for the next move: `restant_ms` left,
// `increment_ms` added after each move, `coups` moves to the next time
// control (0: the rest of the game), `marge_ms` kept back per move for the
// line to the GUI.
void fixe_temps_pendule(CEchiquier& e, int restant_ms, int increment_ms, int coups, int marge_ms);
