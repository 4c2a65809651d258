#include <gtest/gtest.h>

#include "board/echiquier.h"
#include "frontend/boucle.h"
#include "frontend/niveau.h"

namespace {
// Sets the level and clock, allocates, and returns {normal, maximum}.
std::pair<int, int> alloue(const char* level, int centisecondes, int index_courant = -1,
                           bool horloge_connue = false) {
  CEchiquier e;
  EXPECT_TRUE(commande_level(level)) << level;
  temps_restant = centisecondes / 100;
  temps_recu = horloge_connue ? 1 : 0;
  e.index_courant = index_courant;
  e.profondeur = 7;
  allouer_temps(e);
  EXPECT_EQ(e.profondeur, 999);
  return {e.temps_limite[0], e.temps_limite[1]};
}
}  // namespace

TEST(Level, ParsesTheThreeForms) {
  ASSERT_TRUE(commande_level("LEVEL 40 5 0"));
  EXPECT_EQ(coups_par_periode, 40);
  EXPECT_EQ(temps_base, 300);
  EXPECT_EQ(increment, 0);
  ASSERT_TRUE(commande_level("LEVEL 0 2 12"));
  EXPECT_EQ(temps_base, 120);
  EXPECT_EQ(increment, 12);
  ASSERT_TRUE(commande_level("LEVEL 40 0:30 0"));
  EXPECT_EQ(temps_base, 30);
  ASSERT_TRUE(commande_level("LEVEL 0 1:30 2"));
  EXPECT_EQ(temps_base, 90);
  EXPECT_EQ(increment, 2);
}

TEST(Level, MalformedLinesFailButKeepTheFieldsRead) {
  increment = 5;
  EXPECT_FALSE(commande_level("LEVEL 30"));
  EXPECT_EQ(coups_par_periode, 30);
  EXPECT_EQ(increment, 0);
  EXPECT_FALSE(commande_level("LEVEL"));
  EXPECT_FALSE(commande_level("LEVEL X Y"));
  EXPECT_FALSE(commande_level("LEVEL 40 :"));
}

TEST(Level, TimeIsReadInCentiseconds) {
  EXPECT_EQ(lit_centisecondes("TIME 6000", 4), 6000);
  EXPECT_EQ(lit_centisecondes("OTIM 123abc", 4), 123);
  EXPECT_EQ(lit_centisecondes("TIME", 4), 0);
  EXPECT_EQ(lit_centisecondes("TIMEX", 4), 0);
}

TEST(AllouerTemps, MovesPerPeriod) {
  // 6 moves in 60 s with 60 s left before the first move.
  EXPECT_EQ(alloue("LEVEL 6 1 0", 6000), std::make_pair(9, 13));
  // The share is capped at twice the period's average.
  EXPECT_EQ(alloue("LEVEL 40 1 0", 600000), std::make_pair(2, 3));
  // The last move before the control gets no extra maximum.
  EXPECT_EQ(alloue("LEVEL 2 1 0", 2000, 2), std::make_pair(19, 19));
}

TEST(AllouerTemps, WholeGameInOnePeriod) {
  EXPECT_EQ(alloue("LEVEL 0 5 0", 30000), std::make_pair(6, 10));
  EXPECT_EQ(alloue("LEVEL 0 10 0", 60000), std::make_pair(12, 19));
  // Move 100 and later use the last divisor.
  EXPECT_EQ(alloue("LEVEL 0 60 0", 360000, 250), std::make_pair(24, 37));
  // 2 minutes plus 12 s a move with 5 s left: the increment is what is left.
  EXPECT_EQ(alloue("LEVEL 0 2 12", 500), std::make_pair(12, 12));
}

TEST(AllouerTemps, NeverMoreThanTheClockOnceItIsKnown) {
  EXPECT_EQ(alloue("LEVEL 0 2 12", 500, -1, true), std::make_pair(4, 4));
  EXPECT_EQ(alloue("LEVEL 0 2 12", 100, -1, true), std::make_pair(1, 1));
  EXPECT_EQ(alloue("LEVEL 0 10 0", 60000, -1, true), std::make_pair(12, 19));
}

TEST(AllouerTemps, AnalysisModeThinksThirtyDays) {
  echange_atomique(mode_analyse, 1);
  EXPECT_EQ(alloue("LEVEL 40 5 0", 6000), std::make_pair(2592000, 2592000));
  echange_atomique(mode_analyse, 0);
}
