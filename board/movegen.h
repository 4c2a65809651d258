// Legal move generation: each twin applies a move of the other side to a
// work state and lists the replies of its own side, marking the entries
// that leave its king attacked.
#pragma once

#include <cstdint>

#include "board/types.h"

// Applies a black move (or none) and lists white's moves; see genere.
uint32_t genere_blancs(uint32_t* liste, uint32_t coup, int prises, EMPILAGE* etat);
// Applies a white move (or none) and lists black's moves.
uint32_t genere_noirs(uint32_t* liste, uint32_t coup, int prises, EMPILAGE* etat);

// Results of a generator:
//  coup | COUP_ILLEGAL: the applied move leaves the mover's king attacked
//                       (with coup = 0: the side not to move stands in check);
//  coup:                legal; with a list, the list and the new state are written;
//  RESULTAT_MAT:        the list holds no legal move and the side to move is in check;
//  RESULTAT_PAT:        no legal move and not in check.

// Whether side `attaquant` attacks square k of the state, by the scan of its
// slots that the generators use for their legality test.
bool case_attaquee(const EMPILAGE& e, int attaquant, int k);
