// Principal-variation cells: a pool of move cells threaded into 32 chains,
// chain k holding 32 - k cells, from which the search builds its lines.
#pragma once

#include <cstdint>

struct CELLULE_PV {
  CELLULE_PV* suivant;  // next cell of the chain, null at its end
  uint32_t coup;        // move word
};

inline constexpr int NB_CHAINES_PV = 32;
inline constexpr int NB_CELLULES_PV = 528;  // 32 + 31 + ... + 1

// Head of each chain; built with the engine object, null when the block
// could not be allocated.
extern CELLULE_PV* pv_chaine[NB_CHAINES_PV];

// Allocates (once) and threads the block of cells into their chains.
void construit_cellules_pv();
// Frees the block and empties the chains.
void libere_cellules_pv();
