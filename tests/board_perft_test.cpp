#include <gtest/gtest.h>

#include "board/echiquier.h"
#include "board/perft.h"
#include "outils.h"

TEST(Perft, InitialPositionToDepthFive) {
  CEchiquier e;
  e.Coup1();
  const uint64_t attendu[] = {20, 400, 8902, 197281, 4865609};
  for (int n = 1; n <= 5; ++n) EXPECT_EQ(perft(e, n), attendu[n - 1]) << "depth " << n;
  EXPECT_EQ(perft(e, 0), 0u);
}

struct CasPerft {
  const char* nom;
  const char* fen;
  std::vector<uint64_t> comptes;
};

class PerftPositions : public ::testing::TestWithParam<CasPerft> {};

TEST_P(PerftPositions, LeafCountsMatch) {
  CEchiquier e;
  place_fen(e, GetParam().fen);
  for (size_t n = 0; n < GetParam().comptes.size(); ++n)
    EXPECT_EQ(perft(e, int(n + 1)), GetParam().comptes[n]) << "depth " << n + 1;
}

// Castling both ways, pins, en passant, promotions and checks.
INSTANTIATE_TEST_SUITE_P(
    Standard, PerftPositions,
    ::testing::Values(
        CasPerft{"Castling", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                 {48, 2039, 97862, 4085603}},
        CasPerft{"EndgamePins", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", {14, 191, 2812, 43238, 674624}},
        CasPerft{"Promotions", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
                 {6, 264, 9467, 422333}},
        CasPerft{"Checks", "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -", {44, 1486, 62379}}),
    [](const ::testing::TestParamInfo<CasPerft>& i) { return std::string(i.param.nom); });

// Playing each root move with Joue and taking it back with Retour must
// see the same subtrees as the generators' own walk, en passant included.
TEST(Perft, JoueAndRetourAgreeWithTheGeneratorWalk) {
  CEchiquier e;
  e.Coup1();
  ASSERT_EQ(joue_suite(e, "e2e4 a7a6 e4e5 d7d5"), 0);  // e5d6 en passant is possible
  const uint64_t total = perft(e, 3);
  uint64_t somme = 0;
  std::vector<uint32_t> racine;
  for (const uint32_t* l = e.liste_coups; *l; ++l)
    if (!(*l & COUP_ILLEGAL)) racine.push_back(*l);
  for (uint32_t m : racine) {
    ASSERT_EQ(e.Joue(m), 0);
    somme += perft(e, 2);
    ASSERT_EQ(e.Retour(-1), 0);
  }
  EXPECT_EQ(somme, total);
  EXPECT_EQ(perft(e, 3), total);  // the board is back where it was
}
