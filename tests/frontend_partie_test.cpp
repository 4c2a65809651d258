// Whole exchanges with the engine program: thinking, moving, stopping.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "outils.h"
#include "platform/platform.h"

namespace {
const std::regex ligne_coup(R"(\d+\. \.\.\. ([a-h][1-8][a-h][1-8][QRBN]?|O-O|O-O-O))");
const std::regex ligne_reflexion(R"(\d+ +-?\d+ +\d+ +\d+ .*)");
// "%d %3d %5u %7u " then the line's moves, each followed by a space; the
// time in centiseconds.
const std::regex format_reflexion(R"(\d+ [ \-\d]{2}\d [ \d]{4}\d [ \d]{6}\d (\S+ )+)");
}  // namespace

TEST(Partie, AnOpponentMoveIsAnsweredWithThinkingLinesAndAMoveLine) {
  const auto r = lance_avec_pauses({"new\npost\nlevel 40 1 0\ntime 6000\ne2e4\n", "@2500", "quit\n"});
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(compte_lignes(r.sortie, ligne_coup), 1) << r.sortie;
  EXPECT_GT(compte_lignes(r.sortie, ligne_reflexion), 0) << r.sortie;
  EXPECT_EQ(compte_lignes(r.sortie, format_reflexion), compte_lignes(r.sortie, ligne_reflexion));
  EXPECT_NE(r.sortie.find("1. ... "), std::string::npos);
}

TEST(Partie, QuestionMarkMovesAtOnce) {
  const uint32_t debut = compte_ticks();
  const auto r = lance_avec_pauses({"level 0 60 0\ntime 360000\ne2e4\n", "@300", "?\n", "@300", "quit\n"});
  EXPECT_LT(compte_ticks() - debut, 8000u);
  EXPECT_EQ(compte_lignes(r.sortie, ligne_coup), 1) << r.sortie;
}

TEST(Partie, ForceWhileThinkingIsPrecededByTheMoveLine) {
  const auto r = lance_avec_pauses({"level 0 60 0\ntime 360000\ne2e4\n", "@300", "force\nprint\nquit\n"});
  const auto v = lignes_de(r.sortie);
  ASSERT_GE(v.size(), 9u);
  EXPECT_TRUE(std::regex_match(v[v.size() - 9], ligne_coup)) << r.sortie;
}

TEST(Partie, ForceModeRecordsMovesWithoutAnswering) {
  const auto r = lance_avec_pauses({"force\ne2e4\ne7e5\n", "@1500", "print\nquit\n"});
  EXPECT_EQ(compte_lignes(r.sortie, ligne_coup), 0) << r.sortie;
  EXPECT_EQ(lignes_de(r.sortie).size(), 8u);
}

TEST(Partie, OpponentMateIsAnnouncedAndTheEngineDoesNotThink) {
  const auto r = lance_avec_pauses({"force\nf2f3\ne7e5\ng2g4\ngo\n", "@1500", "d2d4\n", "@200",
                                    "quit\n"});
  // The engine (black) finds the mate itself, then refuses to move on.
  EXPECT_NE(r.sortie.find("0-1 {Black mates}"), std::string::npos) << r.sortie;
  EXPECT_NE(r.sortie.find("Illegal move: D2D4"), std::string::npos) << r.sortie;
}

TEST(Partie, SetUpPositionWithoutMovesIsReportedNotPlayed) {
  const auto r = lance_avec_pauses({"setboard k7/8/1Q6/8/8/8/8/6K1 b - -\ngo\n", "@800", "go\nquit\n"});
  EXPECT_EQ(compte_lignes(r.sortie, ligne_coup), 0) << r.sortie;
  EXPECT_NE(r.sortie.find("1/2-1/2 {Stalemate}"), std::string::npos) << r.sortie;
}

TEST(Partie, ThreeHopelessAnswersResign) {
  // Black has a bare king against queen and two rooks.
  const std::string pose = "setboard 4k3/8/8/8/8/8/8/QRR1K3 b - -\n";
  const auto r = lance_avec_pauses({pose + "go\n", "@1600", pose + "go\n", "@1600", pose + "go\n",
                                    "@1600", "quit\n"});
  EXPECT_EQ(compte_lignes(r.sortie, ligne_coup), 2) << r.sortie;
  EXPECT_NE(r.sortie.find("resign"), std::string::npos) << r.sortie;
}

TEST(Partie, UndoTakesBackAndTheGameGoesOn) {
  const auto r = lance_avec_pauses({"force\ne2e4\ne7e5\nundo\nundo\nundo\nprint\nquit\n"});
  EXPECT_EQ(r.erreurs.find("beginning"), r.erreurs.rfind("beginning"));
  EXPECT_NE(r.erreurs.find("beginning"), std::string::npos);
  const auto v = lignes_de(r.sortie);
  ASSERT_EQ(v.size(), 8u);
  EXPECT_EQ(v[6], "pppppppp");
}

TEST(Partie, EditModeSetsUpAPosition) {
  const auto r = lance_avec_pauses({"edit\n#\nKE1\nc\nKE8\nPE7\nZZZ\nXZ9\n.\nprint\nquit\n"});
  const auto v = lignes_de(r.sortie);
  ASSERT_EQ(v.size(), 8u) << r.sortie;
  EXPECT_EQ(v[0], "....R...");
  EXPECT_EQ(v[1], "....P...");
  EXPECT_EQ(v[7], "....r...");
}

TEST(Partie, EndOfInputInEditModeEndsTheProgram) {
  const auto r = lance_avec_pauses({"edit\nKE1\n"});
  EXPECT_EQ(r.statut, 0);
}

TEST(Partie, QuitWhilePonderingEndsPromptly) {
  const uint32_t debut = compte_ticks();
  const auto r = lance_avec_pauses({"hard\nlevel 40 1 0\ntime 6000\ne2e4\n", "@2500", "quit\n"});
  EXPECT_EQ(r.statut, 0);
  EXPECT_LT(compte_ticks() - debut, 6000u);
  EXPECT_EQ(compte_lignes(r.sortie, ligne_coup), 1) << r.sortie;
}

TEST(Partie, WholeGameScript) {
  const auto r = lance_avec_pauses({"new\nlevel 40 1 0\ntime 6000\notim 6000\ne2e4\n", "@2200",
                                    "time 5800\nundo\nundo\nd2d4\n", "@2200", "go\n", "@2500", "quit\n"});
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(compte_lignes(r.sortie, ligne_coup), 3) << r.sortie;
  EXPECT_EQ(r.sortie.find("Illegal"), std::string::npos) << r.sortie;
  EXPECT_EQ(r.sortie.find("Error"), std::string::npos) << r.sortie;
}

TEST(Partie, SigtermEndsTheProgramAsQuitDoes) {
  // The engine thinks for a long time; SIGTERM arrives half a second later.
  // The script prints the engine's exit status and how long it took to end.
  const std::string d = ::testing::TempDir() + "sigterm_" + std::to_string(getpid());
  std::filesystem::remove_all(d);
  std::filesystem::create_directories(d);
  std::ofstream(d + "/essai.sh")
      << "d='" << d << "'; mkfifo \"$d/f\"\n"
      << "(printf 'st 60\\ngo\\n'; sleep 20) > \"$d/f\" & w=$!\n"
      << "'" << PELLARQ_BINARY << "' < \"$d/f\" > /dev/null 2>&1 & p=$!\n"
      << "sleep 0.5; t=$(date +%s%N); kill -TERM $p; wait $p; s=$?\n"
      << "echo $s $(( ($(date +%s%N) - t) / 1000000 )); kill $w\n";
  FILE* f = popen(("bash '" + d + "/essai.sh'").c_str(), "r");
  ASSERT_NE(f, nullptr);
  int statut = -1, ms = -1;
  ASSERT_EQ(std::fscanf(f, "%d %d", &statut, &ms), 2);
  pclose(f);
  std::filesystem::remove_all(d);
  EXPECT_EQ(statut, 0);
  EXPECT_LT(ms, 2000);
}
