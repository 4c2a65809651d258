// Publishing the principal variation of the running search for its users,
// and seeding the transposition table with it.
#pragma once

#include "board/types.h"

// saved <- current; current <- chain 0 of the search's cells; reported <- current.
void publie_pv();
// saved <- current.
void sauve_pv();
// current <- saved.
void restaure_pv();
// A fresh search: the current line and the move of every chain head cleared.
void efface_pv();
// Writes the moves of the current line into the table slots of the
// positions along it (move only), starting from `noeud` with `trait` to move.
void seed_table(int trait, const EMPILAGE* noeud);
