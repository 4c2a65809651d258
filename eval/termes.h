// Terms of the static evaluation computed in their own files; each returns
// its points counted for White.
#pragma once

#include "board/types.h"
#include "eval/preparation.h"

// Development (phase 0): bishops behind blocked centre pawns, knights in
// front of the c- and f-pawns.
int developpement(const EMPILAGE* e);
// Castling (phases 0 to 2): castled, or the rights lost without castling.
int roques(const EMPILAGE* e);
// Trapped bishops and knights (phases 0 to 3).
int pieces_enfermees(const EMPILAGE* e);
// Connected rooks and the bishop pair, by slots (phases 1 to 3).
int paires(const EMPILAGE* e);
// Rooks shut in behind a fianchetto (phases 2 and 3).
int tours_enfermees(const EMPILAGE* e);
// Trading pieces when ahead, against the root's counts (every phase).
int echanges(const EMPILAGE* e, const COMPTES_RACINE& racine);

// King danger by the king's square, for White's king and for Black's.
extern const int danger_roi_blanc[64];
extern const int danger_roi_noir[64];

// King safety (phases 0 to 2): the danger counts of both kings, capped at
// 25, as (black danger - white danger) * 16.
int securite_rois(const EMPILAGE* e);
// Danger count of the king of side `camp`, uncapped.
int danger_roi(const EMPILAGE* e, int camp);

// Mobility and king-zone pressure of the queen, rooks, bishops and knights
// of slots 1-7 and 17-23 (phases 0 to 3), before its scaling by 4.
int mobilite_pieces(const EMPILAGE* e);

// Material value of a pawnless ending (phase 5) from the node's material,
// or the draw score for White when nothing can mate.
int finale_sans_pions(const EMPILAGE* e, int nulle_blanc);
