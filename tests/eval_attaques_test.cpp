#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "eval/attaques.h"

namespace {

// The targets of a piece stepping (df, dg) from square q, walked square by
// square: every step for a slider up to and including the first occupied
// square, one step otherwise.
uint64_t marche(int q, uint64_t occupees, int df, int dg, bool glisse) {
  uint64_t m = 0;
  for (int f = colonne(q) + df, g = rangee(q) + dg; f >= 0 && f < 8 && g >= 0 && g < 8; f += df, g += dg) {
    const uint64_t x = uint64_t(1) << (g * 8 + f);
    m |= x;
    if (!glisse || (occupees & x)) break;
  }
  return m;
}

uint64_t marche_tour(int q, uint64_t o) {
  return marche(q, o, 1, 0, true) | marche(q, o, -1, 0, true) | marche(q, o, 0, 1, true) | marche(q, o, 0, -1, true);
}
uint64_t marche_fou(int q, uint64_t o) {
  return marche(q, o, 1, 1, true) | marche(q, o, -1, 1, true) | marche(q, o, 1, -1, true) | marche(q, o, -1, -1, true);
}
uint64_t marche_cavalier(int q) {
  uint64_t m = 0;
  for (int df : {-2, -1, 1, 2})
    for (int dg : {-2, -1, 1, 2})
      if (df * df != dg * dg) m |= marche(q, 0, df, dg, false);
  return m;
}

}  // namespace

TEST(EvalAttaques, SlidersStopOnTheFirstManOfEachLine) {
  // Sparse to crowded boards; the piece's own square is occupied or not
  std::mt19937_64 alea(17);
  for (int essai = 0; essai < 3000; ++essai) {
    uint64_t occupees = alea();
    for (int k = essai % 4; k > 0; --k) occupees &= alea();
    if (essai % 5 == 0) occupees = 0;
    for (int q = 0; q < 64; ++q) {
      ASSERT_EQ(attaques::tour(q, occupees), marche_tour(q, occupees)) << "rook " << q << " " << occupees;
      ASSERT_EQ(attaques::fou(q, occupees), marche_fou(q, occupees)) << "bishop " << q << " " << occupees;
      ASSERT_EQ(attaques::dame(q, occupees), marche_tour(q, occupees) | marche_fou(q, occupees));
    }
  }
}

TEST(EvalAttaques, CornersEdgesAndFullBoards) {
  const uint64_t tout = ~uint64_t(0);
  // a1 on an empty board: the a-file, the first rank and the long diagonal
  EXPECT_EQ(attaques::tour(0, 0), 0x01010101010101FEull);
  EXPECT_EQ(attaques::fou(0, 0), 0x8040201008040200ull);
  // h8 and a8 on a full board: only the neighbours
  EXPECT_EQ(attaques::dame(63, tout), (uint64_t(1) << 62) | (uint64_t(1) << 55) | (uint64_t(1) << 54));
  EXPECT_EQ(attaques::dame(56, tout), (uint64_t(1) << 57) | (uint64_t(1) << 48) | (uint64_t(1) << 49));
  // A rook on h1 with h8 and a1 occupied still reaches them
  EXPECT_EQ(attaques::tour(7, 1 | (uint64_t(1) << 63)), marche_tour(7, 0));
}

TEST(EvalAttaques, KnightJumps) {
  for (int q = 0; q < 64; ++q) EXPECT_EQ(attaques::cavalier(q), marche_cavalier(q)) << q;
  EXPECT_EQ(attaques::nombre(attaques::cavalier(0)), 2);
  EXPECT_EQ(attaques::nombre(attaques::cavalier(27)), 8);
}
