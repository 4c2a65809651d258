#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/echiquier.h"
#include "eval/evaluation.h"
#include "eval/preparation.h"
#include "eval_outils.h"
#include "outils.h"
#include "search/arret.h"
#include "search/globals.h"

namespace {

// The evaluation of a FEN position for its side to move, without a cache.
int evalue(const std::string& fen, int* phase = nullptr) {
  CACHE_PIONS_TEST sans_cache(0);
  CEchiquier e;
  EMPILAGE n = noeud_fen(e, fen);
  const int v = evaluation(e.trait, &n);
  if (phase) *phase = n.phase;
  return v;
}

int phase_de(const std::string& fen) {
  int phase = -1;
  evalue(fen, &phase);
  return phase;
}

// Sets the draw score and the engine's side for its lifetime (a new engine
// object sets the side back to White).
class NULLE {
 public:
  NULLE(int valeur, int camp) : valeur(valeur_nulle), ancien_camp(camp_moteur) {
    valeur_nulle = valeur;
    camp_moteur = camp;
  }
  ~NULLE() {
    valeur_nulle = valeur;
    camp_moteur = ancien_camp;
  }

 private:
  int valeur, ancien_camp;
};

// Positions of every phase, with promoted pieces and odd corners.
const char* const POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -",
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -",
    "r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQ1RK1 w - -",
    "r4rk1/1bq1bppp/p2ppn2/1p6/3NP3/1BN1B3/PPP1QPPP/2KR3R b - -",
    "2r3k1/5pp1/4p2p/3pP3/1q1P4/1P3Q1P/5PP1/2R3K1 w - -",
    "6k1/5ppp/8/3N4/8/8/1b3PPP/6K1 w - -",
    "8/5pk1/6p1/8/3PK3/8/8/8 b - -",
    "8/8/8/3k4/8/8/2P5/4K3 w - -",
    "8/8/8/3k4/8/8/8/Q3K3 w - -",
    "k7/8/2K5/8/3NB3/8/8/8 b - -",
    "QQQQ1k2/8/8/8/8/8/8/4K2Q w - -",
    "7k/8/8/8/8/8/8/K7 w - -",
    "r3k2r/pppq1ppp/2npbn2/2b1p3/2B1P3/2NPBN2/PPPQ1PPP/R3K2R w KQkq -",
    "1k6/pP6/K7/8/8/8/8/8 w - -",
    "4k3/8/8/8/8/8/7B/N3K2n b - -",
    "rn2k1n1/pppppppp/8/8/8/8/PPPPPPPP/RN2K1N1 w - -",
};

}  // namespace

TEST(EvalStatique, InitialPositionIsLevel) {
  CACHE_PIONS_TEST sans_cache(0);
  CEchiquier e;
  EMPILAGE n = noeud_prepare(e);
  EXPECT_EQ(evaluation(BLANCS, &n), 0);
  EXPECT_EQ(evaluation(NOIRS, &n), 0);
  EXPECT_EQ(n.phase, 0);
}

TEST(EvalStatique, PhaseIsWrittenIntoTheNode) {
  const struct {
    const char* fen;
    int phase;
  } cas[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 0},
      // Castled and developed: only the counts decide
      {"r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQ1RK1 w - -", 1},
      {"rn2k1n1/pppppppp/8/8/8/8/PPPPPPPP/RN2K1N1 w - -", 3},
      {"4k3/pppp4/8/8/8/8/4PPPP/4K3 w - -", 4},
      {"4k3/8/8/8/8/8/8/RN1QK1N1 w - -", 5},
  };
  for (const auto& c : cas) EXPECT_EQ(phase_de(c.fen), c.phase) << c.fen;
  // A node past phase 0 stays there whatever its castling states
  CACHE_PIONS_TEST sans_cache(0);
  CEchiquier e;
  EMPILAGE n = noeud_prepare(e);
  n.phase = 2;
  evaluation(BLANCS, &n);
  EXPECT_EQ(n.phase, 1);
}

TEST(EvalStatique, KingAndPawnTotalByHand) {
  // Material 400; piece-square: king e6 10, pawn e5 40, black king e8 5;
  // pawn structure 435 (see the pawn tests); (435 + 45) x 5 / 4 = 600
  EXPECT_EQ(evalue("4k3/8/4K3/4P3/8/8/8/8 w - -"), 999);
  EXPECT_EQ(evalue("4k3/8/4K3/4P3/8/8/8/8 b - -"), -999);
}

TEST(EvalStatique, PawnlessEndings) {
  NULLE nulle(0, BLANCS);
  // One queen: m - 2 x edge(black king) - king distance, 4640 - 6 - 4
  EXPECT_EQ(evalue("8/8/8/3k4/8/8/8/Q3K3 w - -"), 4629);
  EXPECT_EQ(evalue("8/8/8/3k4/8/8/8/Q3K3 b - -"), -4629);
  EXPECT_EQ(evalue("q3k3/8/8/8/3K4/8/8/8 b - -"), 4629);
  // One rook with the king in the corner: 2320 - 0 - 7
  EXPECT_EQ(evalue("k7/8/8/8/8/8/8/R3K3 w - -"), 2313);
  // Two bishops: m - 2 x corner - distance, 2880 - 0 - 7
  EXPECT_EQ(evalue("k7/8/8/8/8/8/8/2B1KB2 w - -"), 2871);
  // Bishop and knight: the corner of the bishop's colour
  EXPECT_EQ(evalue("k7/8/2K5/8/3NB3/8/8/8 w - -"), 2840 - 0 - 2);
  EXPECT_EQ(evalue("7k/8/5K2/8/3NB3/8/8/8 w - -"), 2829);
  EXPECT_EQ(evalue("7k/8/5K2/8/3BN3/8/8/8 w - -"), 2840 - 0 - 2);
  EXPECT_EQ(evalue("K7/8/2k5/8/3nb3/8/8/8 b - -"), 2838);
}

TEST(EvalStatique, BishopAndKnightDriveTheKingToTheRightCorner) {
  NULLE nulle(0, BLANCS);
  // The light-squared bishop: the king nearer a8 or h1 and the kings nearer each other score more
  const int coin = evalue("k7/8/2K5/8/3NB3/8/8/8 w - -");
  const int milieu = evalue("8/8/8/k1K5/3NB3/8/8/8 w - -");
  const int mauvais_coin = evalue("8/8/8/8/3NB3/2K5/8/k7 w - -");
  const int loin = evalue("k7/8/8/8/3NB3/8/8/6K1 w - -");
  EXPECT_GT(coin, milieu);
  EXPECT_GT(milieu, mauvais_coin);
  EXPECT_GT(coin, loin);
}

TEST(EvalStatique, DrawnMaterialGivesTheDrawScore) {
  {
    NULLE nulle(60, BLANCS);
    EXPECT_EQ(evalue("4k3/8/8/8/8/8/8/1N2K3 w - -"), 60);
    EXPECT_EQ(evalue("4k3/8/8/8/8/8/8/1N2KN2 w - -"), 60);
    EXPECT_EQ(evalue("4k3/8/8/8/8/8/8/4K3 w - -"), 60);
    EXPECT_EQ(evalue("4k3/8/8/8/8/8/8/2B1K3 b - -"), -60);
    EXPECT_EQ(evalue("1n2k3/8/8/8/8/8/8/1N2K3 w - -"), 60);
  }
  // The engine plays Black (set after the engine object, whose new game
  // resets it): a draw is -60 for White
  CACHE_PIONS_TEST sans_cache(0);
  CEchiquier e;
  EMPILAGE n = noeud_fen(e, "4k3/8/8/8/8/8/8/1N2K3 w - -");
  NULLE nulle(60, NOIRS);
  EMPILAGE n2 = n;
  EXPECT_EQ(evaluation(BLANCS, &n), -60);
  EXPECT_EQ(evaluation(NOIRS, &n2), 60);
}

TEST(EvalStatique, MaterialThatCannotWinIsCapped) {
  NULLE nulle(0, BLANCS);
  // Two knights or a lone bishop against a pawn never score above the draw
  EXPECT_EQ(evalue("4k3/p7/8/8/8/8/8/1N2KN2 w - -"), 0);
  EXPECT_EQ(evalue("4k3/p7/8/8/8/8/8/2B1K3 w - -"), 0);
  EXPECT_EQ(evalue("1n2kn2/8/8/8/8/8/P7/4K3 b - -"), 0);
  // Bishop and knight can win
  EXPECT_GT(evalue("4k3/p7/8/8/8/8/8/1NB1K3 w - -"), 1000);
  // A side that cannot win may still lose
  EXPECT_LT(evalue("4k3/8/8/8/8/8/8/1N2K2q w - -"), -3000);
}

TEST(EvalStatique, MultiplesOfThreeMirrorsAndTheCache) {
  NULLE nulle(0, BLANCS);
  for (const char* fen : POSITIONS) {
    CEchiquier e, m;
    place_slots(e, fen);
    place_miroir(m, e);
    int sans = 0, froid = 0, chaud = 0, miroir = 0;
    {
      CACHE_PIONS_TEST sans_cache(0);
      EMPILAGE n = noeud_prepare(e);
      sans = evaluation(e.trait, &n);
      EMPILAGE nm = noeud_prepare(m);
      miroir = evaluation(m.trait, &nm);
    }
    {
      CACHE_PIONS_TEST cache(1024);
      EMPILAGE n = noeud_prepare(e);
      EMPILAGE n2 = n;
      froid = evaluation(e.trait, &n);
      chaud = evaluation(e.trait, &n2);
    }
    EXPECT_EQ(sans % 3, 0) << fen;
    EXPECT_EQ(sans, miroir) << fen;
    EXPECT_EQ(sans, froid) << fen;
    EXPECT_EQ(sans, chaud) << fen;
  }
}

TEST(EvalStatique, SideToMoveOnlyTurnsTheSignWhenBothSidesHavePieces) {
  CACHE_PIONS_TEST sans_cache(0);
  for (const char* fen : POSITIONS) {
    CEchiquier e;
    EMPILAGE n = noeud_fen(e, fen);
    if (n.nb_pieces_blanches == 0 || n.nb_pieces_noires == 0) continue;
    EMPILAGE n2 = n;
    EXPECT_EQ(evaluation(BLANCS, &n), -evaluation(NOIRS, &n2)) << fen;
  }
}

TEST(EvalStatique, OddPositionsStayInsideTheTables) {
  CACHE_PIONS_TEST cache(1024);
  CEchiquier e;
  // Pawns in every slot promoted, pawns on the first and last ranks
  EMPILAGE n = noeud_fen(e, "QQQQQQQQ/k7/8/8/8/8/7K/qqqqqqqq w - -");
  EXPECT_EQ(evaluation(BLANCS, &n) % 3, 0);
  n = noeud_fen(e, "P3k2P/8/8/8/8/8/8/p3K2p b - -");
  EXPECT_EQ(evaluation(NOIRS, &n) % 3, 0);
  // A pawn of a piece slot and a knight type in a pawn slot
  std::vector<PIECE_PLACEE> pieces = {{0, ROI, 4},  {16, ROI, 60},        {4, PION_BLANC, 12},
                                      {8, CAVALIER, 21}, {24, FOU, 42}, {5, PION_BLANC, 49}};
  place_pieces(e, pieces, BLANCS);
  n = noeud_prepare(e);
  EXPECT_EQ(evaluation(BLANCS, &n) % 3, 0);
  EXPECT_EQ(evaluation(NOIRS, &n) % 3, 0);
  // Kings off the board
  n.echiquier[n.pos_piece[0]] = VIDE;
  n.pos_piece[0] = -1;
  n.echiquier[n.pos_piece[16]] = VIDE;
  n.pos_piece[16] = -1;
  EXPECT_EQ(evaluation(BLANCS, &n) % 3, 0);
}

TEST(EvalCommande, EvalLeavesTheBoardTheTablesAndTheCacheAlone) {
  CACHE_PIONS_TEST cache(1024);
  CEchiquier e;
  // Tables prepared for another position, and a cache full of other entries
  noeud_fen(e, "r3k2r/ppp2ppp/8/8/8/8/PPP2PPP/R3K2R w - -");
  for (uint32_t i = 0; i <= masque_pions; ++i) table_pions[i] = ENTREE_PIONS{0xDEADBEEF, 77, 0, 0x11};
  int psq_b[7][64], psq_n[7][64];
  std::memcpy(psq_b, psq_blanc, sizeof psq_b);
  std::memcpy(psq_n, psq_noir, sizeof psq_n);
  const COMPTES_RACINE comptes = comptes_racine;

  place_fen(e, "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R b KQkq -");
  const EMPILAGE avant = *e.emp;
  const int v = evalue_position(e);

  EXPECT_EQ(std::memcmp(&avant, e.emp, sizeof avant), 0);
  EXPECT_EQ(std::memcmp(psq_b, psq_blanc, sizeof psq_b), 0);
  EXPECT_EQ(std::memcmp(psq_n, psq_noir, sizeof psq_n), 0);
  EXPECT_EQ(comptes.nb_pions_noirs, comptes_racine.nb_pions_noirs);
  EXPECT_EQ(comptes.nb_pieces_blanches, comptes_racine.nb_pieces_blanches);
  for (uint32_t i = 0; i <= masque_pions; ++i) ASSERT_EQ(uint32_t(table_pions[i].verrou), 0xDEADBEEFu) << i;

  // The same number as a search root of this position would get
  EMPILAGE n = *e.emp;
  e.CopieEmp(&n);
  compute_keys(&n);
  prepare_recherche(&n);
  EXPECT_EQ(v, evaluation(NOIRS, &n));
}

TEST(EvalCommande, EvalThroughTheCommandLoop) {
  RESULTAT_PROGRAMME r = lance_programme("NEW\neval\nPRINT\nQUIT\n");
  EXPECT_EQ(r.statut, 0);
  EXPECT_NE(r.sortie.find("Eval: 0\nTCFDRFCT\n"), std::string::npos) << r.sortie;

  // Positions set up with SETBOARD and reached by moves answer what the
  // engine object computes for them
  const char* fen = "r4rk1/1bq1bppp/p2ppn2/1p6/3NP3/1BN1B3/PPP1QPPP/2KR3R b - - 3 12";
  CEchiquier e;
  ASSERT_EQ(e.LitForsythe(fen), 0);
  const int attendu = evalue_position(e);
  ASSERT_EQ(joue_suite(e, "e6e5 d4f5"), 0);
  const int apres = evalue_position(e);
  r = lance_programme(std::string("FORCE\nSETBOARD ") + fen + "\nEVAL\nE6E5\nD4F5\nEVAL\nQUIT\n");
  EXPECT_NE(r.sortie.find("Eval: " + std::to_string(attendu) + "\n"), std::string::npos) << r.sortie;
  EXPECT_NE(r.sortie.find("Eval: " + std::to_string(apres) + "\n"), std::string::npos) << r.sortie;
  EXPECT_NE(attendu, apres);
}
