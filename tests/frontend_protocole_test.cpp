// Protocol version 2 and the commands of modern GUIs, through the program.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "board/echiquier.h"
#include "frontend/protocole.h"
#include "outils.h"

namespace {
// Index of the first line matching r, or -1.
int premiere(const std::vector<std::string>& v, const std::regex& r) {
  for (size_t i = 0; i < v.size(); ++i)
    if (std::regex_match(v[i], r)) return int(i);
  return -1;
}
const std::regex coup_v2(R"(move [a-h][1-8][a-h][1-8][qrbn]?)");
const std::regex coup_v1(R"(\d+\. \.\.\. \S+)");
const std::regex reflexion(R"((\d+) +-?\d+ +\d+ +\d+ .*)");
}  // namespace

TEST(Protocole, ProtoverAnswersTheFeatureLineAndAcceptsSilently) {
  const auto r = lance_programme("xboard\nprotover 2\naccepted ping\nrejected san\nquit\n");
  const auto v = lignes_de(r.sortie);
  ASSERT_EQ(v.size(), 1u) << r.sortie;
  EXPECT_EQ(v[0] + "\n", ligne_features());
  EXPECT_NE(v[0].find("ping=1"), std::string::npos);
  EXPECT_NE(v[0].find("done=1"), std::string::npos);
}

TEST(Protocole, VersionTwoMovesAreMoveLinesAndPongFollowsThem) {
  const auto r = lance_avec_pauses({"xboard\nprotover 2\nnew\nst 1\ne2e4\nping 7\n", "@2500",
                                    "ping 8\nquit\n"});
  const auto v = lignes_de(r.sortie);
  const int coup = premiere(v, coup_v2);
  const int pong = premiere(v, std::regex("pong 7"));
  ASSERT_GE(coup, 0) << r.sortie;
  EXPECT_EQ(pong, coup + 1) << r.sortie;
  EXPECT_EQ(premiere(v, std::regex("pong 8")), pong + 1);
  EXPECT_EQ(compte_lignes(r.sortie, coup_v1), 0);
}

TEST(Protocole, PingWhenIdleIsAnsweredAtOnce) {
  const auto r = lance_programme("ping 1\nping abc\n");
  EXPECT_EQ(r.sortie, "pong 1\npong abc\n");
}

TEST(Protocole, VersionOneStillPrintsNumberedMoves) {
  const auto r = lance_avec_pauses({"xboard\nnew\nst 1\ne2e4\n", "@2500", "quit\n"});
  EXPECT_EQ(compte_lignes(r.sortie, coup_v1), 1) << r.sortie;
  EXPECT_EQ(compte_lignes(r.sortie, coup_v2), 0);
}

TEST(Protocole, StopCommandsInVersionTwoDropTheMove) {
  const auto r = lance_avec_pauses({"protover 2\nst 30\ne2e4\n", "@500", "force\nping 3\n", "@100",
                                    "quit\n"});
  EXPECT_EQ(compte_lignes(r.sortie, coup_v2), 0) << r.sortie;
  EXPECT_NE(r.sortie.find("pong 3"), std::string::npos);
}

TEST(Protocole, QuestionMarkInVersionTwoMovesAtOnce) {
  const auto r = lance_avec_pauses({"protover 2\nst 30\ne2e4\n", "@500", "?\n", "@300", "quit\n"});
  EXPECT_EQ(compte_lignes(r.sortie, coup_v2), 1) << r.sortie;
}

TEST(Protocole, SearchDepthLimitIsRespected) {
  const auto r = lance_avec_pauses({"post\nsd 3\nst 20\ngo\n", "@2500", "quit\n"});
  int max = 0;
  for (const auto& l : lignes_de(r.sortie)) {
    std::smatch m;
    if (std::regex_match(l, m, reflexion)) max = std::max(max, std::stoi(m[1]));
  }
  EXPECT_EQ(max, 3) << r.sortie;
  EXPECT_EQ(compte_lignes(r.sortie, coup_v1), 1);
}

TEST(Protocole, AnalysisThinksWithoutMovingAndFollowsTheGame) {
  const auto r = lance_avec_pauses({"analyze\n", "@1500", ".\ne2e4\n", "@1500", "undo\n", "@1500",
                                    "exit\nprint\nquit\n"});
  EXPECT_EQ(compte_lignes(r.sortie, coup_v1), 0) << r.sortie;
  EXPECT_GT(compte_lignes(r.sortie, reflexion), 0) << r.sortie;
  EXPECT_EQ(compte_lignes(r.sortie, std::regex(R"(stat01: \d+ \d+ -?\d+ \d+ 20 \S*)")), 1) << r.sortie;
  // Lines for both sides' moves: white's first (e2e4...), then black's answers to 1.e4.
  EXPECT_TRUE(std::regex_search(r.sortie, std::regex(R"(\d+ +-?\d+ +\d+ +\d+ [a-h][27][a-h][45] )")));
  // After EXIT and the undo, the board is the initial position again.
  const auto v = lignes_de(r.sortie);
  ASSERT_GE(v.size(), 8u);
  EXPECT_EQ(v[v.size() - 8], "TCFDRFCT");
  EXPECT_EQ(v[v.size() - 2], "pppppppp");
}

TEST(Protocole, HintAndBookListing) {
  const auto r = lance_avec_pauses({"hint\nbk\nst 1\ne2e4\n", "@2500", "hint\nquit\n"});
  const auto v = lignes_de(r.sortie);
  ASSERT_GE(v.size(), 2u);
  EXPECT_EQ(v[0], "\tno book moves");
  EXPECT_EQ(v[1], "");
  EXPECT_EQ(compte_lignes(r.sortie, std::regex(R"(Hint: [a-h][1-8][a-h][1-8][qrbn]?)")), 1) << r.sortie;
}

TEST(Protocole, FixedLimitsMustBePositive) {
  const auto r = lance_programme("st 0\nsd -2\nst x\n");
  EXPECT_EQ(lignes_de(r.sortie),
            (std::vector<std::string>{"Error (command not legal): ST 0",
                                      "Error (command not legal): SD -2",
                                      "Error (command not legal): ST X"}));
}

TEST(Protocole, QuietlyAcceptedCommands) {
  const auto r = lance_programme(
      "random\ncomputer\nname Someone\nrating 2000 1800\nics -\nvariant normal\ndraw\nmemory 64\n"
      "memory 0\neasy\nhard\nquit\n");
  EXPECT_EQ(r.sortie, "");
  EXPECT_EQ(r.statut, 0);
}

TEST(Protocole, MemoryFitsTheTables) {
  EXPECT_EQ(exposant_memoire(1), 16);      // 2^16 entries of 12.125 bytes: 0.77 MB
  EXPECT_EQ(exposant_memoire(0), 13);      // never below the smallest table
  EXPECT_EQ(exposant_memoire(100000), 23); // nor above the largest
  EXPECT_EQ(exposant_memoire(64), 22);
}

TEST(Protocole, BenchSignatureIsTheSameOnEveryRun) {
  const auto a = lance_programme("", "bench 2");
  const auto b = lance_programme("bench 2\nquit\n");
  const std::regex total(R"(Nodes searched: (\d+))");
  std::smatch ma, mb;
  ASSERT_TRUE(std::regex_search(a.sortie, ma, total)) << a.sortie;
  ASSERT_TRUE(std::regex_search(b.sortie, mb, total)) << b.sortie;
  EXPECT_EQ(ma[1], mb[1]);
  EXPECT_EQ(compte_lignes(a.sortie, std::regex(R"(Position +\d+: depth 2, nodes \d+, best move \S+)")), 32);
  EXPECT_EQ(a.sortie.find("best move -"), std::string::npos) << a.sortie;  // every position loads
}

TEST(Protocole, EndOfInputInVersionTwoDropsTheMoveLikeQuit) {
  const auto r = lance_avec_pauses({"xboard\nprotover 2\nst 30\ne2e4\nping 1\n", "@500"});
  EXPECT_EQ(compte_lignes(r.sortie, coup_v2), 0) << r.sortie;
  EXPECT_NE(r.sortie.find("pong 1"), std::string::npos) << r.sortie;
  EXPECT_EQ(r.statut, 0);
}
