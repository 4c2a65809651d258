// The driver and the analysis operations, called as a host program would.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "board/echiquier.h"
#include "frontend/livre.h"
#include "livre_outils.h"
#include "outils.h"
#include "search/alphabeta.h"
#include "search/analyse.h"
#include "search/arret.h"
#include "search/globals.h"
#include "search/hash.h"
#include "search/pilote.h"
#include "search/rapport.h"

namespace {

std::string score(int s) {
  char t[TAILLE_TEXTE_SCORE];
  texte_score(s, t);
  return t;
}

class Pilote : public ::testing::Test {
 protected:
  void SetUp() override {
    e.AlloueHashTable(16);
    e.Raz();
    e.Coup1();
    e.Langage();
    credit_livre = 0;  // no book: every test searches
    e.SetTempsLimite(30, 30);
  }
  int legal(uint32_t m) {
    for (const uint32_t* l = e.liste_coups; *l; ++l)
      if (!(*l & COUP_ILLEGAL) && (*l & 0xffff) == (m & 0xffff)) return 1;
    return 0;
  }
  // Searches to depth 5, plays the move found and gives the reply the
  // search predicts.
  void joue_et_prevoit(int& prevu) {
    e.SetProfondeur(5);
    const uint32_t r = e.Analyse();
    ASSERT_EQ(e.Joue(r & 0xffff), 0);
    prevu = e.coup_prevu;
    ASSERT_NE(prevu, 0);
  }
  CEchiquier e;
};

}  // namespace

TEST(TexteScore, AllForms) {
  EXPECT_EQ(score(0), "+0.00 ");
  EXPECT_EQ(score(-32767), "-INF ");
  EXPECT_EQ(score(32767), "+INF ");
  EXPECT_EQ(score(32695), "+MAT3 ");
  EXPECT_EQ(score(-(32700 - 4)), "-MAT2 ");
  EXPECT_EQ(score(SCORE_LIVRE), " ");
  EXPECT_EQ(score(100), "+0.25 ");
  EXPECT_EQ(score(-500), "-1.25 ");
  EXPECT_EQ(score(32000), "+80.00 ");
}

TEST_F(Pilote, DepthLimitedSearchReturnsALegalMoveAndPublishesItsLine) {
  e.SetProfondeur(5);
  const uint32_t r = e.Analyse();
  ASSERT_NE(r, 0xFFFFFFFFu);
  EXPECT_TRUE(legal(r));
  EXPECT_EQ(e.GetDepth(), 3);
  EXPECT_GT(e.GetNodeCount(), 0u);
  // The line after the move: the prediction and the answer to it.
  EXPECT_NE(e.coup_prevu, 0);
  EXPECT_EQ(e.profondeur_anticipation, 4);
  char texte[TAILLE_TEXTE_PVAR] = "";
  EXPECT_EQ(e.Pvar(texte), 1);
  EXPECT_NE(std::strstr(texte, " 3 "), nullptr) << texte;
  // Unchanged line: nothing written the second time.
  char second[TAILLE_TEXTE_PVAR] = "untouched";
  EXPECT_EQ(e.Pvar(second), 1);
  EXPECT_STREQ(second, "untouched");
}

TEST_F(Pilote, SameSearchTwiceGivesTheSameMoveAndNodes) {
  e.SetProfondeur(6);
  const uint32_t a = e.Analyse();
  const uint32_t na = e.GetNodeCount();
  e.Raz();
  e.Coup1();
  credit_livre = 0;
  clear_table_hash();
  e.SetProfondeur(6);
  const uint32_t b = e.Analyse();
  EXPECT_EQ(a, b);
  EXPECT_EQ(na, e.GetNodeCount());
}

TEST_F(Pilote, MateInOneIsFoundWithItsScoreAndEndsTheDeepening) {
  // White mates with Qh7#... here the back-rank Ra8#.
  place_fen(e, "6k1/5ppp/8/8/8/8/8/R5K1 w - -");
  e.SetProfondeur(20);
  const uint32_t r = e.Analyse();
  EXPECT_EQ(r & 0xffff, coup_texte("a1a8"));
  EXPECT_EQ(int16_t(r >> 16), 32700 - 1);
  EXPECT_LT(e.GetDepth(), 5);  // the mate score ended the iterations early
}

TEST_F(Pilote, SingleLegalMoveSearchesIterationsThreeAndFourOnly) {
  // The black king in check with one way out: h7.
  place_fen(e, "R6k/8/8/5N2/8/8/8/6K1 b - -");
  int n = 0;
  for (const uint32_t* l = e.liste_coups; *l; ++l) n += !(*l & COUP_ILLEGAL);
  ASSERT_EQ(n, 1);
  e.SetProfondeur(999);
  const uint32_t r = e.Analyse();
  EXPECT_TRUE(legal(r));
  EXPECT_EQ(e.profondeur_anticipation, 4 - 1);
}

TEST_F(Pilote, NoLegalMoveIsAFinishedGame) {
  place_fen(e, "R6k/8/8/5N2/8/8/8/6K1 b - -");
  e.fin_partie = 1;
  EXPECT_EQ(e.Analyse(), 0xFFFFFFFFu);
  e.fin_partie = 0;
  place_fen(e, "k7/8/1Q6/8/8/8/8/6K1 b - -");  // stalemate, not marked as over
  EXPECT_EQ(e.Analyse(), 0xFFFFFFFFu);
}

TEST_F(Pilote, StopFromAnotherThreadEndsTheSearchAndTheNextOneRunsFully) {
  e.SetProfondeur(999);
  e.SetTempsLimite(1000, 1000);
  e.ArreteRecherche();  // no search runs: nothing to stop, nothing left raised
  std::thread arret([this] {
    while (!recherche_active()) dort_ms(5);
    dort_ms(300);
    e.ArreteRecherche();
  });
  const uint32_t debut = compte_ticks();
  const uint32_t r = e.Analyse();
  arret.join();
  EXPECT_LT(compte_ticks() - debut, 5000u);
  EXPECT_TRUE(legal(r));
  // The flag that stopped it does not cut the next search short.
  e.SetTempsLimite(30, 30);
  e.SetProfondeur(5);
  e.Analyse();
  EXPECT_EQ(e.GetDepth(), 3);
}

TEST_F(Pilote, MaximumTimeStopsTheSearch) {
  e.SetProfondeur(999);
  e.SetTempsLimite(1, 1);
  const uint32_t debut = compte_ticks();
  const uint32_t r = e.Analyse();
  const uint32_t duree = compte_ticks() - debut;
  EXPECT_TRUE(legal(r));
  EXPECT_LT(duree, 4000u);
}

TEST_F(Pilote, BookMoveIsPlayedWithoutSearching) {
  uint32_t r;
  {
    LIVRE_TEST livre(*e.emp);  // e2e4
    credit_livre = 10;
    r = e.Analyse();
  }
  EXPECT_EQ(r, 0x070Cu | (1u << 16));
  char t[TAILLE_TEXTE_SCORE];
  e.NoteAnalyse(t);
  EXPECT_STREQ(t, " ");
}

TEST_F(Pilote, PonderHitReusesThePrediction) {
  int prevu = 0;
  ASSERT_NO_FATAL_FAILURE(joue_et_prevoit(prevu));
  // Ponder on the predicted reply (a depth limit keeps it short).
  const uint32_t reponse = e.Anticipation();
  EXPECT_NE(reponse, 0u);
  EXPECT_EQ(e.reponse_prevue, int(reponse));
  EXPECT_GE(e.temps_anticipation, 0);
  // The opponent plays it: the pondering result is the starting point.
  ASSERT_EQ(e.Joue(uint32_t(prevu)), 0);
  EXPECT_EQ(e.CoupPrevu(), 1);
  // A ponder hit with little time left: 30 ms allotted, 40 ms pondered.
  e.temps_anticipation = 40;
  e.SetTempsLimiteMs(30, 30);
  const uint32_t r2 = e.Analyse();
  EXPECT_EQ(r2 & 0xffff, reponse & 0xffff);
  EXPECT_EQ(r2 >> 16, 0u);  // answered at once, without a search
}

TEST_F(Pilote, PonderHitCountsThePonderingMilliseconds) {
  int prevu = 0;
  ASSERT_NO_FATAL_FAILURE(joue_et_prevoit(prevu));
  ASSERT_NE(e.Anticipation(), 0u);
  ASSERT_EQ(e.Joue(uint32_t(prevu)), 0);
  e.temps_anticipation = 200;
  e.SetTempsLimiteMs(1000, 2500);
  e.SetProfondeur(4);
  e.Analyse();
  EXPECT_EQ(e.temps_limite_ms[0], 800);
  EXPECT_EQ(e.temps_limite_ms[1], 2300);
}

TEST(LigneReflexion, ScoresInCentipawnsAndMatesAsGuisShowThem) {
  EXPECT_EQ(score_ligne_reflexion(600), 150);
  EXPECT_EQ(score_ligne_reflexion(-7), -1);
  EXPECT_EQ(score_ligne_reflexion(32000), 8000);
  EXPECT_EQ(score_ligne_reflexion(32700 - 5), 100003);   // mate in 3 moves
  EXPECT_EQ(score_ligne_reflexion(32700 - 1), 100001);   // mate in 1
  EXPECT_EQ(score_ligne_reflexion(-(32700 - 4)), -100002);  // mated in 2
  EXPECT_EQ(score_ligne_reflexion(-(32700 - 0)), -100000);  // mated now
}

TEST_F(Pilote, AnticipationGivesUpWithoutAPrediction) {
  e.coup_prevu = 0;
  e.reponse_prevue = 0;
  EXPECT_EQ(e.Anticipation(), 0u);
  e.coup_prevu = int(coup_texte("e2e5"));  // not a legal move
  EXPECT_EQ(e.Anticipation(), 0u);
}

TEST_F(Pilote, DepthLimitThreeRunsExactlyOneIteration) {
  int limite = 3;
  EMPILAGE racine = *e.emp;
  e.CopieEmp(&racine);
  const int r = pilote_recherche(BLANCS, e.liste_coups, -INFINI, 200, 3, 30000, 30000, &limite, 1, &racine);
  EXPECT_EQ(limite, 3);
  EXPECT_EQ(e.GetDepth(), 1);
  EXPECT_GT(r, -2000);
  EXPECT_LT(r, 2000);
  // The list leaves sorted best first, the legal moves first.
  EXPECT_FALSE(e.liste_coups[0] & COUP_ILLEGAL);
  EXPECT_EQ(int16_t(e.liste_coups[0] >> 16), r);
}

TEST_F(Pilote, IllegalHeadOfTheListIsSwappedBehindALegalMove) {
  // White in check from the rook on e8: the list begins with king moves
  // that stay on the e-file, marked illegal.
  place_fen(e, "4r1k1/8/8/8/8/8/8/4K3 w - -");
  ASSERT_TRUE(e.liste_coups[0] & COUP_ILLEGAL);
  e.SetProfondeur(4);
  const uint32_t m = e.Analyse();
  EXPECT_TRUE(legal(m));
  EXPECT_FALSE(e.liste_coups[0] & COUP_ILLEGAL);
}
