#include <gtest/gtest.h>

#include "board/echiquier.h"
#include "platform/minuterie.h"
#include "search/temps.h"

namespace {
STATS_ITERATION stats(int changements, int finie, int premier_ms = 0) {
  return STATS_ITERATION{changements, 0, 0, premier_ms, finie};
}

// Waits until `drapeau` is raised or `limite_ms` have passed; the time waited.
uint32_t attend(const drapeau_atomique& drapeau, uint32_t limite_ms) {
  const uint32_t debut = compte_ticks();
  while (!lit_drapeau(drapeau) && compte_ticks() - debut < limite_ms) dort_ms(1);
  return compte_ticks() - debut;
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
  ms_normales = 100000;
  EXPECT_EQ(time_rule(0, 10, s), 1);
  EXPECT_EQ(time_rule(0, 9, s), 0);
  s.changements_total = 1;
  EXPECT_EQ(time_rule(0, 10, s), 0);
}

TEST(TimeRule, FinishedIterationStopsWhenTheNextWouldNotFitToTheMillisecond) {
  ms_normales = 150;
  EXPECT_EQ(time_rule(0, 5, stats(0, 1, 100)), 0);  // 150 >= 150
  EXPECT_EQ(time_rule(0, 5, stats(0, 1, 101)), 1);  // 150 < 151
  EXPECT_EQ(time_rule(0, 5, stats(0, 0, 101)), 0);  // not finished
  ms_normales = 5000;
  EXPECT_EQ(time_rule(0, 5, stats(0, 1, 3333)), 0);
  EXPECT_EQ(time_rule(0, 5, stats(0, 1, 3334)), 1);
  ms_normales = -3;  // a normal time of 0 went below zero
  EXPECT_EQ(time_rule(0, 5, stats(0, 1, 0)), 1);
}

TEST(Timer, FlagsRiseAfterTheirMillisecondsAndNotBefore) {
  echange_atomique(arret_recherche, 0);
  ASSERT_EQ(start_timer(60, 150), 0);
  const uint32_t normal = attend(temps_depasse, 5000);
  EXPECT_EQ(lit_drapeau(temps_depasse), 1);
  EXPECT_EQ(lit_drapeau(arret_recherche), 0);
  EXPECT_GE(normal, 55u);
  const uint32_t maximum = normal + attend(arret_recherche, 5000);
  stop_timer();
  EXPECT_EQ(lit_drapeau(arret_recherche), 1);
  EXPECT_GE(maximum, 145u);
  EXPECT_EQ(lit_drapeau(temps_depasse), 1);  // raised once only
  EXPECT_LE(ms_max.load(), 0);
  echange_atomique(arret_recherche, 0);
}

TEST(Timer, NormalTimeOfZeroNeverRaisesItsFlag) {
  echange_atomique(arret_recherche, 0);
  ASSERT_EQ(start_timer(0, 30), 0);
  attend(arret_recherche, 5000);
  stop_timer();
  EXPECT_EQ(lit_drapeau(arret_recherche), 1);
  // The counter passed 0 going down without raising temps_depasse.
  EXPECT_EQ(lit_drapeau(temps_depasse), 0);
  EXPECT_LT(ms_normales.load(), 0);
  echange_atomique(arret_recherche, 0);
}

TEST(Timer, StoppedTimerCallsBackNoMore) {
  ASSERT_EQ(start_timer(100000, 100000), 0);
  stop_timer();
  const int64_t apres = ms_max.load();
  dort_ms(50);
  EXPECT_EQ(ms_max.load(), apres);
  EXPECT_GT(apres, 99000);
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
  // Seconds, as published, and milliseconds.
  e.SetTempsLimite(3, 9);
  EXPECT_EQ(e.temps_limite_ms[0], 3000);
  EXPECT_EQ(e.temps_limite_ms[1], 9000);
  e.SetTempsLimite(2592000, 2592000);  // thirty days do not overflow
  EXPECT_EQ(e.temps_limite_ms[1], int64_t(2592000) * 1000);
  e.SetTempsLimiteMs(250, 400);
  EXPECT_EQ(e.temps_limite_ms[0], 250);
  EXPECT_EQ(e.temps_limite_ms[1], 400);
}
