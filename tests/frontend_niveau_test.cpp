#include <gtest/gtest.h>

#include "board/echiquier.h"
#include "frontend/boucle.h"
#include "frontend/niveau.h"

namespace {
// Sets the level and, when `centisecondes` >= 0, the clock as "TIME" does;
// allocates for the move after `index_courant` and returns {normal, maximum}.
std::pair<int64_t, int64_t> alloue(const char* level, int centisecondes, int index_courant = -1) {
  CEchiquier e;
  EXPECT_TRUE(commande_level(level)) << level;
  temps_restant_ms = centisecondes * 10;
  temps_recu = centisecondes >= 0 ? 1 : 0;
  marge_coup_ms = MARGE_COUP_DEFAUT_MS;
  e.index_courant = index_courant;
  e.profondeur = 7;
  allouer_temps(e);
  EXPECT_EQ(e.profondeur, 999);
  temps_recu = 0;
  return {e.temps_limite_ms[0], e.temps_limite_ms[1]};
}

std::pair<int, int> paire(LIMITES_TEMPS l) { return {l.normal_ms, l.maximum_ms}; }
}  // namespace

TEST(Level, ParsesWholeMinutesMinSecAndFractions) {
  // Moves per period, base time and increment in milliseconds
  const struct {
    const char* commande;
    int coups, base_ms, increment_ms;
  } cas[] = {
      {"LEVEL 40 5 0", 40, 300000, 0},
      {"LEVEL 0 2 12", 0, 120000, 12000},
      {"LEVEL 40 0:30 0", 40, 30000, 0},
      {"LEVEL 0 1:30 2", 0, 90000, 2000},
      {"LEVEL 0 0:10 0.1", 0, 10000, 100},
      {"LEVEL 40 0:15 0", 40, 15000, 0},
      {"LEVEL 0 0.5 0", 0, 30000, 0},
      {"LEVEL 0 1:05.5 1.25", 0, 65500, 1250},
      {"LEVEL 0 3", 0, 180000, 0},  // no increment given: none
  };
  for (const auto& c : cas) {
    ASSERT_TRUE(commande_level(c.commande)) << c.commande;
    EXPECT_EQ(coups_par_periode, c.coups) << c.commande;
    EXPECT_EQ(temps_base_ms, c.base_ms) << c.commande;
    EXPECT_EQ(increment_ms, c.increment_ms) << c.commande;
  }
}

TEST(Level, MalformedLinesFailButKeepTheFieldsRead) {
  increment_ms = 5000;
  EXPECT_FALSE(commande_level("LEVEL 30"));
  EXPECT_EQ(coups_par_periode, 30);
  EXPECT_EQ(increment_ms, 0);
  EXPECT_FALSE(commande_level("LEVEL"));
  EXPECT_FALSE(commande_level("LEVEL X Y"));
  EXPECT_FALSE(commande_level("LEVEL 40 :"));
  EXPECT_FALSE(commande_level("LEVEL 40 5:"));
  EXPECT_FALSE(commande_level("LEVEL 40 -5 0"));
}

TEST(Level, SecondsAndCentiseconds) {
  EXPECT_EQ(lit_secondes_ms("0.5"), 500);
  EXPECT_EQ(lit_secondes_ms(" 2"), 2000);
  EXPECT_EQ(lit_secondes_ms("1.0016"), 1002);
  EXPECT_EQ(lit_secondes_ms("0"), -1);
  EXPECT_EQ(lit_secondes_ms("0.0001"), -1);
  EXPECT_EQ(lit_secondes_ms("ABC"), -1);
  EXPECT_EQ(lit_secondes_ms("1X"), -1);
  EXPECT_EQ(lit_secondes_ms("-3"), -1);
  EXPECT_EQ(lit_centisecondes("TIME 6000", 4), 6000);
  EXPECT_EQ(lit_centisecondes("OTIM 123abc", 4), 123);
  EXPECT_EQ(lit_centisecondes("TIME", 4), 0);
}

// The level's own allocation, to the millisecond (no clock safety).
TEST(LimitesNiveau, MovesPerPeriod) {
  // 6 moves in 60 s with 60 s left before the first move: 59 s over 6 moves.
  EXPECT_EQ(paire(limites_niveau(0, 6, 60000, 0, 60000)), std::make_pair(9833, 14749));
  // The share is capped at twice the period's average.
  EXPECT_EQ(paire(limites_niveau(0, 40, 60000, 0, 6000000)), std::make_pair(3000, 4500));
  // The last move before the control gets no extra maximum; a second stays back.
  EXPECT_EQ(paire(limites_niveau(1, 2, 60000, 0, 20000)), std::make_pair(19000, 19000));
  // Under two seconds, half the clock stays back.
  EXPECT_EQ(paire(limites_niveau(39, 40, 20000, 0, 500)), std::make_pair(250, 250));
}

TEST(LimitesNiveau, WholeGameInOnePeriod) {
  EXPECT_EQ(paire(limites_niveau(0, 0, 300000, 0, 300000)), std::make_pair(6000, 10000));
  EXPECT_EQ(paire(limites_niveau(0, 0, 600000, 0, 600000)), std::make_pair(12000, 19000));
  // Move 100 and later use the last divisor.
  EXPECT_EQ(paire(limites_niveau(125, 0, 3600000, 0, 3600000)), std::make_pair(24857, 38285));
  // 2 minutes plus 12 s a move with 5 s left: the increment is what is left.
  EXPECT_EQ(paire(limites_niveau(0, 0, 120000, 12000, 5000)), std::make_pair(12000, 12000));
  // 10 s plus 0.1 s: the clock is the reserve, the increment is played.
  EXPECT_EQ(paire(limites_niveau(0, 0, 10000, 100, 10000)), std::make_pair(100, 100));
  // 1 minute: a fiftieth of the clock, below a second no extra maximum.
  EXPECT_EQ(paire(limites_niveau(0, 0, 60000, 0, 60000)), std::make_pair(1200, 2800));
  EXPECT_EQ(paire(limites_niveau(30, 0, 60000, 0, 20000)), std::make_pair(400, 400));
  // Ten minutes with the clock in the reserve: a second a move.
  EXPECT_EQ(paire(limites_niveau(50, 0, 600000, 0, 90000)), std::make_pair(1000, 1000));
}

TEST(AllouerTemps, BeforeAnyTimeTheClockHoldsThePeriod) {
  EXPECT_EQ(alloue("LEVEL 6 1 0", -1), std::make_pair(int64_t(9833), int64_t(14749)));
  EXPECT_EQ(alloue("LEVEL 0 5 0", -1), std::make_pair(int64_t(6000), int64_t(10000)));
}

TEST(AllouerTemps, AmpleClockGivesTheLevelsAllocation) {
  EXPECT_EQ(alloue("LEVEL 0 10 0", 60000), std::make_pair(int64_t(12000), int64_t(19000)));
  EXPECT_EQ(alloue("LEVEL 40 0:20 0", 2000), std::make_pair(int64_t(475), int64_t(712)));
}

TEST(AllouerTemps, NeverMoreThanHalfTheClockBeyondTheOverhead) {
  // 2 minutes plus 12 s with 5 s left: not the 12 s increment.
  EXPECT_EQ(alloue("LEVEL 0 2 12", 500), std::make_pair(int64_t(2475), int64_t(2475)));
  // 0.5 s left on the last move before the control.
  EXPECT_EQ(alloue("LEVEL 40 0:20 0", 50, 78), std::make_pair(int64_t(225), int64_t(225)));
  // A 0.1 s increment with 0.15 s left: not the increment.
  EXPECT_EQ(alloue("LEVEL 0 0:10 0.1", 15), std::make_pair(int64_t(50), int64_t(50)));
  // A clock below the overhead: an eighth of it.
  EXPECT_EQ(alloue("LEVEL 0 0:10 0.1", 4), std::make_pair(int64_t(5), int64_t(5)));
  EXPECT_EQ(alloue("LEVEL 40 0:20 0", 0), std::make_pair(int64_t(1), int64_t(1)));
}

TEST(AllouerTemps, OverheadComesOffTheClock) {
  CEchiquier e;
  ASSERT_TRUE(commande_level("LEVEL 40 0:20 0"));
  temps_restant_ms = 1000;
  temps_recu = 1;
  marge_coup_ms = 400;
  e.index_courant = 78;
  allouer_temps(e);
  EXPECT_EQ(e.temps_limite_ms[1], 300);  // (1000 - 400) / 2
  marge_coup_ms = MARGE_COUP_DEFAUT_MS;
  temps_recu = 0;
}

TEST(AllouerTemps, AnalysisModeThinksThirtyDays) {
  echange_atomique(mode_analyse, 1);
  EXPECT_EQ(alloue("LEVEL 40 5 0", 6000), std::make_pair(int64_t(2592000000), int64_t(2592000000)));
  echange_atomique(mode_analyse, 0);
}

TEST(CalculeLimitesTemps, SharesOfTheClock) {
  // Rest of the game: a fortieth of the clock and the increment, twice that at most.
  EXPECT_EQ(paire(calcule_limites_temps(10000, 100, 0, 50)), std::make_pair(350, 700));
  EXPECT_EQ(paire(calcule_limites_temps(500, 0, 0, 50)), std::make_pair(12, 24));
  // Moves to go: a share until the control, a second kept back.
  EXPECT_EQ(paire(calcule_limites_temps(20000, 0, 20, 50)), std::make_pair(950, 1425));
  // The last move before the control: half of the clock beyond the overhead.
  EXPECT_EQ(paire(calcule_limites_temps(60000, 0, 1, 50)), std::make_pair(29975, 29975));
  // A clock below the overhead, or none: a move at once.
  EXPECT_EQ(paire(calcule_limites_temps(30, 0, 0, 50)), std::make_pair(1, 1));
  EXPECT_EQ(paire(calcule_limites_temps(0, 0, 5, 50)), std::make_pair(1, 1));
  EXPECT_EQ(paire(calcule_limites_temps(-20, 0, 0, 50)), std::make_pair(1, 1));
}

TEST(BorneHorloge, TheMaximumNeverExceedsTheClockMinusTheOverhead) {
  EXPECT_EQ(paire(borne_horloge({5000, 5000}, 5000, 50)), std::make_pair(4950, 4950));
  EXPECT_EQ(paire(borne_horloge({500, 800}, 5000, 50)), std::make_pair(500, 800));
  EXPECT_EQ(paire(borne_horloge({500, 800}, 600, 50)), std::make_pair(500, 550));
  // Below the overhead: an eighth of the clock.
  EXPECT_EQ(paire(borne_horloge({500, 800}, 40, 50)), std::make_pair(5, 5));
  EXPECT_EQ(paire(borne_horloge({0, 0}, 5000, 50)), std::make_pair(1, 1));
}

namespace {
// Plays `coups` moves of the engine under a control and tells whether its
// flag fell. The tool counts the moves of a period from its first timed
// move; the engine counts them from the game's first move, `decalage` full
// moves earlier (0: both count alike). Every move takes its whole maximum
// time plus `latence_ms` on its way to the tool: the worst case.
bool drapeau_tombe(const char* level, int decalage, int coups, int latence_ms, int* reste_min) {
  CEchiquier e;
  EXPECT_TRUE(commande_level(level));
  const int mps = coups_par_periode, base = temps_base_ms, inc = increment_ms;
  marge_coup_ms = MARGE_COUP_DEFAUT_MS;
  int horloge = base;
  *reste_min = horloge;
  bool tombe = false;
  for (int n = 0; n < coups && !tombe; ++n) {
    temps_restant_ms = horloge;
    temps_recu = 1;
    e.index_courant = 2 * (decalage + n);
    allouer_temps(e);
    horloge -= int(e.temps_limite_ms[1]) + latence_ms;
    if (horloge <= 0) tombe = true;
    *reste_min = std::min(*reste_min, horloge);
    horloge += inc;
    if (mps > 0 && (n + 1) % mps == 0) horloge += base;
  }
  temps_recu = 0;
  return tombe;
}

bool drapeau_tombe_uci(int mps, int base, int inc, int coups, int latence_ms) {
  int horloge = base;
  for (int n = 0; n < coups; ++n) {
    const int a_jouer = mps > 0 ? mps - n % mps : 0;
    const LIMITES_TEMPS l = calcule_limites_temps(horloge, inc, a_jouer, MARGE_COUP_DEFAUT_MS);
    horloge -= l.maximum_ms + latence_ms;
    if (horloge <= 0) return true;
    horloge += inc;
    if (mps > 0 && (n + 1) % mps == 0) horloge += base;
  }
  return false;
}
}  // namespace

TEST(AllocationSansDrapeau, MovesPerPeriodSurviveBothWaysOfCounting) {
  for (const char* level : {"LEVEL 40 0:20 0", "LEVEL 40 0:15 0", "LEVEL 40 1 0", "LEVEL 5 0:10 0"}) {
    for (int decalage : {0, 1, 4, 10, 20, 39}) {
      int reste = 0;
      EXPECT_FALSE(drapeau_tombe(level, decalage, 130, 10, &reste)) << level << " offset " << decalage;
    }
  }
}

TEST(AllocationSansDrapeau, WholeGameControlsSurviveALongGame) {
  for (const char* level : {"LEVEL 0 0:10 0.1", "LEVEL 0 1 0", "LEVEL 0 3 0", "LEVEL 0 0:15 0.1",
                            "LEVEL 0 3 2", "LEVEL 0 10 0"}) {
    int reste = 0;
    EXPECT_FALSE(drapeau_tombe(level, 0, 120, 10, &reste)) << level;
  }
}

TEST(AllocationSansDrapeau, ForAnyProtocol) {
  EXPECT_FALSE(drapeau_tombe_uci(0, 10000, 100, 200, 10));
  EXPECT_FALSE(drapeau_tombe_uci(0, 60000, 0, 100, 10));
  EXPECT_FALSE(drapeau_tombe_uci(40, 20000, 0, 200, 10));
  EXPECT_FALSE(drapeau_tombe_uci(40, 15000, 0, 200, 10));
}
