// Pre-search preparation: piece values by phase, open files, the
// piece-square tables and the root's material and positional sums.
#pragma once

#include "board/types.h"

// Piece-square values by piece type and square, for White and for Black.
// Rewritten by prepare_recherche before every search; read by the search's
// incremental apply and by the evaluation.
extern int psq_blanc[7][64];
extern int psq_noir[7][64];
// Per file: 40 when the file is open, else 0. Written by prepare_recherche.
extern int colonne_ouverte[8];

// Piece and pawn counts of the search root, per side.
struct COMPTES_RACINE {
  int nb_pieces_blanches;  // white pieces other than king and pawns
  int nb_pieces_noires;
  int nb_pions_blancs;
  int nb_pions_noirs;
};
// The root's counts; written by prepare_recherche, read by the evaluation.
extern COMPTES_RACINE comptes_racine;
// Value of each piece type (king to black pawn) in the root's phase, as
// valeur_piece_phase gives it; written by prepare_recherche for a look at
// the root's values (the search's promotions take theirs from
// valeur_piece_phase through fixe_promotions).
extern int valeur_type[7];

// Prepares values and tables from the search root; returns its phase (0..5).
int prepare_recherche(EMPILAGE* racine);

// Everything a preparation builds besides the root's own fields.
struct PREPARATION {
  int psq_blanc[7][64];
  int psq_noir[7][64];
  int colonne_ouverte[8];
  COMPTES_RACINE comptes;
  int valeur_type[7];
};
// The same preparation into `p`, leaving the search's globals alone: a look
// at a position that is safe while a search runs.
int prepare_position(EMPILAGE* racine, PREPARATION& p);

// The phase rule: the node's game phase (0..5) from its castling states,
// home minor pieces and counts; stored in its phase and returned. A node
// whose stored phase is not 0 never returns to 0.
int calcule_phase(EMPILAGE* e);

// Value of a piece type (0..6) in a phase (0..5).
int valeur_piece_phase(int type, int phase);
