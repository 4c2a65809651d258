// The alpha-beta search below the root: two mirror twins that apply the
// entering move of the other side to a copy of the parent's node and search
// the replies of their own side, with fractional depths, extensions, null
// move, internal iterative deepening, a selective frontier and a
// captures-only quiescence search.
#pragma once

#include <atomic>
#include <cstdint>

#include "board/types.h"

// Scores.
inline constexpr int INFINI = 32767;        // bound of the widest window
inline constexpr int MAT = 32700;           // mated at ply p scores p - MAT
inline constexpr int SEUIL_MAT = 32000;     // beyond this a score is a mate score
inline constexpr int SCORE_ILLEGAL = 32760; // returned for an entering move that leaves the king capturable

// Search flags handed to a child.
inline constexpr int TEST_LEGAL = 0x002;     // test that the entering move is legal
inline constexpr int NOEUD_PV = 0x008;       // the node lies on the principal variation
inline constexpr int LEGAL_SEUL = 0x010;     // only apply and test: 0 if legal, SCORE_ILLEGAL if not
inline constexpr int SOUS_NULLE = 0x080;     // below a null move
inline constexpr int MENACE = 0x200;         // below a threat re-search
inline constexpr int RECHERCHE_IID = 0x400;  // inside an internal iterative deepening search
inline constexpr int REDUIT = 0x800;         // the material-deficit reduction was applied on the path

// One ply in the search's depth units.
inline constexpr int UN_PLY = 256;
// A node at this ply is not expanded.
inline constexpr int PLY_MAX = 31;

// Moves applied by the search (null moves excluded); zeroed by the driver,
// read by GetNodeCount from any thread.
extern std::atomic<uint32_t> nb_noeuds;
// The largest ply at which extensions apply; set by the driver before each iteration.
extern int ply_max_extension;
// Set while the driver scores the root moves: a stop request waits until
// that short scoring ends, so that the move played is always an ordered one.
// Written by the driver, read by the search, both on the thinking thread.
extern bool arret_differe;

// Search of white's replies to black move `coup` (0 = null move) applied to
// a copy of `parent`, at depth `profondeur` (1/256 ply) in the window
// (alpha, beta). Returns the score for White, SCORE_ILLEGAL when `coup`
// leaves the black king capturable under TEST_LEGAL, or 0 under LEGAL_SEUL.
// Throws RECHERCHE_ABANDONNEE (search/arret.h) when arret_recherche is raised.
int recherche_blancs(uint32_t coup, int flags, int profondeur, int alpha, int beta, const EMPILAGE* parent);
// The black twin: applies a white move and searches black's replies.
int recherche_noirs(uint32_t coup, int flags, int profondeur, int alpha, int beta, const EMPILAGE* parent);
