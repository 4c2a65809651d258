#include <gtest/gtest.h>

#include "board/echiquier.h"
#include "platform/minuterie.h"
#include "search/temps.h"

namespace {
STATS_ITERATION stats(int changements, int finie, int premier = 0) {
  return STATS_ITERATION{changements, 0, 0, premier, finie};
}
}  // namespace

TEST(TimeRule, StopFlagStopsFirst) {
  echange_atomique(arret_recherche, 1);
  EXPECT_EQ(time_rule(500, 5, stats(5, 0)), 1);
  echange_atomique(arret_recherche, 0);
}

TEST(TimeRule, AfterNormalTimeADropOf133GoesOn) {
  echange_atomique(temps_depasse, 1);
  EXPECT_EQ(time_rule(-132, 5, stats(0, 0)), 1);
  EXPECT_EQ(time_rule(-133, 5, stats(0, 0)), 0);
  EXPECT_EQ(time_rule(0, 5, stats(3, 1)), 0);  // three changes in the iteration
  echange_atomique(temps_depasse, 0);
}

TEST(TimeRule, ObviousMoveStopsAtIterationTen) {
  STATS_ITERATION s{0, 0, 1, 0, 1};
  echange_atomique(secondes_normales, 100);
  EXPECT_EQ(time_rule(0, 10, s), 1);
  EXPECT_EQ(time_rule(0, 9, s), 0);
  s.changements_total = 1;
  EXPECT_EQ(time_rule(0, 10, s), 0);
}

TEST(TimeRule, FinishedIterationStopsWhenTheNextWouldNotFit) {
  echange_atomique(secondes_normales, 5);
  EXPECT_EQ(time_rule(0, 5, stats(0, 1, 3)), 0);  // 5 >= 4
  EXPECT_EQ(time_rule(0, 5, stats(0, 1, 4)), 1);  // 5 < 6
  EXPECT_EQ(time_rule(0, 5, stats(0, 0, 4)), 0);  // not finished
  echange_atomique(secondes_normales, -1);        // a normal time of 0 went below zero
  EXPECT_EQ(time_rule(0, 5, stats(0, 1, 0)), 1);
}

TEST(Timer, MaximumOfOneSecondRaisesTheStopFlagAtTheFirstTick) {
  echange_atomique(arret_recherche, 0);
  const uint32_t debut = compte_ticks();
  ASSERT_EQ(start_timer(0, 1), 0);
  while (!lit_drapeau(arret_recherche) && compte_ticks() - debut < 5000) dort_ms(10);
  const uint32_t duree = compte_ticks() - debut;
  stop_timer();
  EXPECT_EQ(lit_drapeau(arret_recherche), 1);
  EXPECT_GE(duree, 900u);
  EXPECT_LT(duree, 3000u);
  // A normal time of 0 never raises temps_depasse: the counter passes 0 going down.
  EXPECT_EQ(lit_drapeau(temps_depasse), 0);
  EXPECT_EQ(lit_drapeau(secondes_normales), -1);
  echange_atomique(arret_recherche, 0);
}

TEST(Timer, StoppedTimerCallsBackNoMore) {
  ASSERT_EQ(start_timer(100, 100), 0);
  stop_timer();
  dort_ms(1200);
  EXPECT_EQ(lit_drapeau(secondes_max), 100);
  stop_timer();  // a second stop is harmless
}

TEST(Setters, DrawScoreDepthAndLimits) {
  CEchiquier e;
  e.SetNulle(0.125);
  EXPECT_EQ(valeur_nulle, 50);
  e.SetNulle(-0.3);
  EXPECT_EQ(valeur_nulle, -120);
  e.SetNulle(0);
  e.SetProfondeur(7);
  EXPECT_EQ(e.profondeur, 7);
  e.SetTempsLimite(3, 9);
  EXPECT_EQ(e.temps_limite[0], 3);
  EXPECT_EQ(e.temps_limite[1], 9);
}
