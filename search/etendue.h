// The extended search: an option that adds late-move reductions, pruning
// near the leaves, static-exchange pruning in quiescence and history with
// gravity to the classic search. The classic search stays the default and
// is not touched by any of it.
#pragma once

#include <atomic>
#include <cstdint>

#include "search/ordering.h"

// The search the front ends ask for (pellarq.cfg "SEARCH", the xboard and
// UCI option "SEARCH"): true for the extended one. Written by the command
// loop, read by the driver when a search starts.
extern std::atomic<bool> option_recherche_etendue;
// The search that runs: copied from the option by the driver at the start
// of every search, read by the nodes of that search.
extern bool recherche_etendue;

// Reads "classic" or "extended" (any case); false for anything else.
bool lit_genre_recherche(const char* texte, bool& etendue);
// "classic" or "extended".
const char* nom_genre_recherche(bool etendue);

// Depth reduction, in 1/256 ply, of a late quiet move: the `rang`th move
// searched (0 for the first) of a node of `plies` plies.
int reduction_tardive(int plies, int rang, bool noeud_pv);

// Does this entry of the full ordering (score in the high half) score by
// its history alone, below the table move, captures, promotions,
// refutation and killers? The node still tests that it captures nothing.
inline bool est_coup_calme(uint32_t entree) { return (entree >> 16) <= SCORE_CALME_MAX; }

// After a cut-off by quiet move `coup` at depth `plies`, in the extended
// search: the move's history rises, the quiet moves tried before it
// (`essayes`, `nb` of them) fall, each pulled back towards zero by the
// size of its counter (gravity), so that it always stays within
// [-HISTORIQUE_MAX, HISTORIQUE_MAX].
template <int C>
void historique_gravite(uint32_t coup, const uint32_t* essayes, int nb, int plies);
inline constexpr int HISTORIQUE_MAX = 16384;
