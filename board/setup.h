// Helpers of the position set-up shared by its readers (FEN, position files).
#pragma once

#include <string>

class CEchiquier;

// Why a placement without one of its kings cannot be set up ("no white king").
std::string motif_placement(const CEchiquier& e);

// Leaves the engine on a set-up that could not be completed: no legal
// move, an empty game record, and the game marked over so that nothing is
// searched or played until a new game or a legal set-up.
void refuse_position(CEchiquier& e);

// Empties the board: every slot off it with value 0, every square empty.
void vide_echiquier(CEchiquier& e);
