// Evaluations per second over a fixed set of positions, with the pawn
// cache warm (every pawn term found in the cache) and cold (every pawn
// term computed and stored). Usage: pellarq-evalbench [evaluations per
// position, default 200000]. Build it in a Release tree.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "board/echiquier.h"
#include "eval/evaluation.h"
#include "eval/preparation.h"
#include "search/hash.h"

namespace {

// Openings, middlegames and endings of every phase.
const char* const POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkbnr/pp1ppppp/8/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2",
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
    "rnbqk2r/ppp1bppp/4pn2/3p4/2PP4/2N2N2/PP2PPPP/R1BQKB1R w KQkq - 2 5",
    "r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQ1RK1 w - - 0 7",
    "r4rk1/1bq1bppp/p2ppn2/1p6/3NP3/1BN1B3/PPP1QPPP/2KR3R b - - 3 12",
    "r2q1rk1/pp2bppp/2n1bn2/3p4/3P4/2NBBN2/PP3PPP/R2Q1RK1 w - - 6 11",
    "2rq1rk1/pp1bppbp/3p1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R w - - 1 12",
    "r1b2rk1/2q1bppp/p2p1n2/np2p3/3PP3/5N1P/PPBN1PP1/R1BQR1K1 w - - 1 13",
    "3r1rk1/p4ppp/1qp1b3/2b1N3/4P3/2P5/P1Q2PPP/R1B2RK1 b - - 2 18",
    "2r3k1/5pp1/4p2p/3pP3/1q1P4/1P3Q1P/5PP1/2R3K1 w - - 0 30",
    "r5k1/5ppp/8/3R4/8/8/5PPP/6K1 w - - 0 35",
    "6k1/5ppp/8/3N4/8/8/1b3PPP/6K1 w - - 0 33",
    "8/5pk1/6p1/8/3PK3/8/8/8 b - - 0 45",
    "8/8/4k3/8/4K3/4P3/8/8 w - - 0 60",
    "8/2p5/3k4/1p1p4/1P1P4/2PK4/8/8 w - - 0 50",
    "8/8/8/3k4/8/8/8/Q3K3 w - - 0 70",
    "k7/8/2K5/8/3NB3/8/8/8 b - - 0 80",
    "8/8/1k6/8/8/3K4/6R1/7r w - - 0 66",
    "4r1k1/1p3pp1/p6p/3Q4/8/1P4P1/P4P1P/6K1 b - - 0 40",
};
constexpr int NB_POSITIONS = sizeof POSITIONS / sizeof POSITIONS[0];

double maintenant() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Evaluates every position `n` times; with `froid` the two cache entries of
// the position are emptied before each evaluation, so that every pawn term
// is computed and stored. Returns evaluations per second; adds the scores
// to `somme`.
double mesure(CEchiquier& e, int n, bool froid, long long& somme) {
  double total = 0;
  for (const char* fen : POSITIONS) {
    if (e.LitForsythe(fen) != 0) {
      std::fprintf(stderr, "bad position: %s\n", fen);
      std::exit(1);
    }
    EMPILAGE noeud = *e.emp;
    e.CopieEmp(&noeud);
    compute_keys(&noeud);
    prepare_recherche(&noeud);
    const int trait = e.trait;
    ENTREE_PIONS* entree = &table_pions[case_table(noeud.cle_pions, trait, masque_pions)];
    ENTREE_PIONS* voisine = &table_pions[case_table(noeud.cle_pions, trait, masque_pions) ^ 1];
    const double debut = maintenant();
    for (int i = 0; i < n; ++i) {
      if (froid) entree->verrou = voisine->verrou = 0;
      somme += evaluation(trait, &noeud);
    }
    total += maintenant() - debut;
  }
  return double(n) * NB_POSITIONS / total;
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 200000;
  if (n <= 0) {
    std::fprintf(stderr, "usage: pellarq-evalbench [evaluations per position]\n");
    return 2;
  }
  CEchiquier e;
  if (e.AlloueHashTable(0) < 0) {
    std::fprintf(stderr, "cannot allocate the tables\n");
    return 1;
  }
  long long somme_chaud = 0, somme_froid = 0;
  mesure(e, 1000, false, somme_chaud);  // warm-up
  somme_chaud = 0;
  const double chaud = mesure(e, n, false, somme_chaud);
  const double froid = mesure(e, n, true, somme_froid);
  std::printf("positions: %d, evaluations per position: %d\n", NB_POSITIONS, n);
  std::printf("cache warm: %.0f evaluations/s\n", chaud);
  std::printf("cache cold: %.0f evaluations/s\n", froid);
  std::printf("score sums: %lld %lld\n", somme_chaud, somme_froid);
  return somme_chaud == somme_froid ? 0 : 1;
}
