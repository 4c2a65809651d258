// The "EVAL" answer: the static evaluation of the board's position on a
// copy prepared into private tables.
#include "board/echiquier.h"
#include "eval/evaluation.h"
#include "eval/preparation.h"
#include "search/hash.h"

int evalue_position(CEchiquier& e) {
  // The node: the game's work state with the board's pieces
  EMPILAGE noeud = *e.emp;
  e.CopieEmp(&noeud);
  return evalue_noeud(noeud, e.trait);
}

int evalue_noeud(EMPILAGE noeud, int trait) {
  compute_keys(&noeud);
  // Prepared as a search root, into tables of its own
  PREPARATION preparation;
  prepare_position(&noeud, preparation);
  return evaluation_a_part(trait == NOIRS ? NOIRS : BLANCS, &noeud, preparation.comptes);
}
