// Search benchmark: fixed-depth searches over a fixed set of positions, one
// core. Prints each position's nodes and processor time, then the total
// node count (the same on every run) and the speed in nodes per second of
// processor time (and of wall time, which other work on the machine slows).
//
//   pellarq-searchbench [depth]      (default depth 6)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "board/echiquier.h"
#include "eval/preparation.h"
#include "search/alphabeta.h"
#include "search/arret.h"
#include "search/globals.h"
#include "search/hash.h"
#include "search/ordering.h"
#include "search/position.h"

namespace {

// Processor time of this thread, in seconds: the machine may be shared.
double temps_processeur() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

const char* const POSITIONS[] = {
    // Openings
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkb1r/pppp1ppp/5n2/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
    "r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq - 1 5",
    "rnbqk2r/ppp1bppp/4pn2/3p4/2PP4/2N2N2/PP2PPPP/R1BQKB1R w KQkq - 2 5",
    // Middlegames
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8",
    "r2q1rk1/ppp2ppp/2np1n2/2b1p1B1/2B1P1b1/2NP1N2/PPP2PPP/R2Q1RK1 w - - 0 8",
    "r1bqr1k1/pp1n1ppp/2pb1n2/3p4/3P4/2NBPN2/PPQ2PPP/R1B2RK1 w - - 0 9",
    "2rq1rk1/pp1bppbp/2np1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R w - - 0 11",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "3r1rk1/p1q2ppp/1pn1pn2/2b5/2P5/1PN1PN2/PB2BPPP/2RQ1RK1 b - - 0 13",
    "r1b2rk1/2q1bppp/p2ppn2/1p6/3BPP2/2N2B2/PPPQ2PP/R4R1K w - - 0 13",
    "2kr3r/ppp2ppp/2n1b3/2b1P3/8/2N2N2/PPP2PPP/R1B1K2R w KQ - 0 11",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "4r1k1/pp3ppp/8/3p4/3P4/2N5/PP3PPP/4R1K1 w - - 0 20",
    "2r3k1/5ppp/p3p3/1p6/3n4/P3B1P1/1P3P1P/2R3K1 b - - 0 25",
    // Endgames
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/8/4k3/3p4/3P4/4K3/8/8 w - - 0 1",
    "8/5pk1/6p1/7p/7P/6P1/5PK1/8 w - - 0 1",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "8/8/8/4k3/8/8/3KP3/8 w - - 0 1",
    "8/p4pk1/1p4p1/2p5/2P5/1P4P1/P4PK1/8 w - - 0 1",
    "r5k1/5ppp/8/8/8/8/2Q2PPP/6K1 w - - 0 1",
    "8/8/8/3k4/8/8/5Q2/1K6 w - - 0 1",
};

// Iterative deepening to `profondeur` plies below the root, with a
// principal-variation loop over the legal root moves; returns the score.
int cherche(CEchiquier& b, int profondeur) {
  EMPILAGE racine = *b.emp;
  compute_keys(&racine);
  fixe_promotions(prepare_recherche(&racine));
  racine.ply = 0;
  camp_moteur = b.trait;
  int score = 0;
  for (int d = 1; d <= profondeur; ++d) {
    restore_search_repetition();
    ply_max_extension = std::min(2 * (d + 1) - 1, 30);
    auto fils = [&](uint32_t m, int flags, int a, int be) {
      return b.trait == BLANCS ? -recherche_noirs(m, flags, d * UN_PLY, -be, -a, &racine)
                               : -recherche_blancs(m, flags, d * UN_PLY, -be, -a, &racine);
    };
    int alpha = -INFINI;
    bool premier = true;
    for (uint32_t* l = b.liste_coups; *l; ++l) {
      if (*l & COUP_ILLEGAL) continue;
      const uint32_t m = *l & 0xffff;
      int s = premier ? fils(m, NOEUD_PV, alpha, INFINI) : fils(m, 0, alpha, alpha + 1);
      if (!premier && s > alpha) s = fils(m, NOEUD_PV, alpha, INFINI);
      premier = false;
      alpha = std::max(alpha, s);
    }
    score = alpha;
    age_history();
  }
  return score;
}

}  // namespace

int main(int argc, char** argv) {
  const int profondeur = argc > 1 ? std::atoi(argv[1]) : 6;
  CEchiquier b;
  if (b.AlloueHashTable(18) < 0) {
    std::fprintf(stderr, "cannot allocate the tables\n");
    return 1;
  }
  echange_atomique(arret_recherche, 0);
  valeur_nulle = 0;

  uint64_t total = 0;
  double secondes = 0, murale = 0;
  int n = 0;
  for (const char* fen : POSITIONS) {
    if (b.LitForsythe(fen) != 0) {
      std::fprintf(stderr, "bad position: %s\n", fen);
      return 1;
    }
    clear_table_hash();
    next_generation();
    clear_tables();
    nb_noeuds = 0;
    const auto debut = std::chrono::steady_clock::now();
    const double debut_cpu = temps_processeur();
    const int score = cherche(b, profondeur);
    const double s = temps_processeur() - debut_cpu;
    murale += std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    const uint32_t noeuds = nb_noeuds.load();
    total += noeuds;
    secondes += s;
    std::printf("%2d %10u nodes %7.3f s score %6d  %s\n", ++n, noeuds, s, score, fen);
  }
  std::printf("positions %d depth %d\n", n, profondeur);
  std::printf("total nodes %llu\n", static_cast<unsigned long long>(total));
  std::printf("processor time %.3f s (wall %.3f s)\n", secondes, murale);
  std::printf("nodes/s %.0f (processor time), %.0f (wall)\n", secondes > 0 ? total / secondes : 0.0,
              murale > 0 ? total / murale : 0.0);
  return 0;
}
