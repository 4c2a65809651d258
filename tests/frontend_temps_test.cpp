// Time controls through the program: fast levels, fractional ST, the clock
// in centiseconds, the move overhead, and the thinking line's time and mates.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "outils.h"

namespace {
const std::regex coup_v2(R"(move [a-h][1-8][a-h][1-8][qrbn]?)");
// Depth, score, centiseconds, nodes.
const std::regex reflexion(R"((\d+) +(-?\d+) +(\d+) +(\d+) .*)");

// The scores and the times of the thinking lines.
std::vector<std::pair<int, int>> scores_et_temps(const std::string& sortie) {
  std::vector<std::pair<int, int>> v;
  for (const auto& l : lignes_de(sortie)) {
    std::smatch m;
    if (std::regex_match(l, m, reflexion)) v.emplace_back(std::stoi(m[2]), std::stoi(m[3]));
  }
  return v;
}

class TempsConfiguration : public TestDansDossier {};
}  // namespace

TEST(TempsProgramme, FastLevelsAnswerEveryMoveWithTheClockInCentiseconds) {
  // 10 s plus 0.1 s with 2 s, 0.3 s, 0.05 s and 0.01 s left: a move each time,
  // thought about for well under a second.
  std::vector<std::string> morceaux = {"protover 2\npost\n"};
  for (const char* temps : {"200", "30", "5", "1"}) {
    morceaux.push_back(std::string("new\nlevel 0 0:10 0.1\ntime ") + temps + "\notim 1000\ngo\n");
    morceaux.push_back("@900");
  }
  morceaux.push_back("quit\n");
  const auto r = lance_avec_pauses(morceaux);
  EXPECT_EQ(compte_lignes(r.sortie, coup_v2), 4) << r.sortie;
  const auto lignes = scores_et_temps(r.sortie);
  ASSERT_FALSE(lignes.empty()) << r.sortie;
  for (const auto& [score, cs] : lignes) EXPECT_LT(cs, 100) << r.sortie;
}

TEST(TempsProgramme, FractionalStAndMinSecLevels) {
  const auto r = lance_avec_pauses({"protover 2\npost\nst 0.3\ngo\n", "@1500",
                                    "new\nlevel 40 0:15 0\ntime 1500\notim 1500\ngo\n", "@1500",
                                    "st 0\nst abc\nlevel 0 0:10 x\nlevel 40 -1 0\nquit\n"});
  EXPECT_EQ(compte_lignes(r.sortie, coup_v2), 2) << r.sortie;
  for (const auto& [score, cs] : scores_et_temps(r.sortie)) EXPECT_LT(cs, 100) << r.sortie;
  // "st 0" and "st abc" are refused; a level with an unreadable increment
  // takes none, a negative base is refused.
  EXPECT_NE(r.sortie.find("Error (command not legal): ST 0\n"), std::string::npos) << r.sortie;
  EXPECT_NE(r.sortie.find("Error (command not legal): ST ABC\n"), std::string::npos);
  EXPECT_EQ(compte_lignes(r.sortie, std::regex(R"(Error \(command not legal\))")), 1) << r.sortie;
}

TEST(TempsProgramme, MoveOverheadOptionIsDeclaredAndSet) {
  const auto r = lance_programme(
      "xboard\nprotover 2\noption Move Overhead=200\noption Move Overhead=abc\n"
      "option Move Overhead=99999\noption Hash=5\nprotover 2\nquit\n");
  // The feature line shows the overhead in force: the default, then 200.
  EXPECT_NE(r.sortie.find(R"(option="Move Overhead -spin 50 0 5000")"), std::string::npos) << r.sortie;
  EXPECT_NE(r.sortie.find(R"(option="Move Overhead -spin 200 0 5000")"), std::string::npos) << r.sortie;
  EXPECT_EQ(r.sortie.find("OVERHEAD=200"), std::string::npos) << r.sortie;
  EXPECT_NE(r.sortie.find("Error (command not legal): OPTION MOVE OVERHEAD=ABC"), std::string::npos);
  EXPECT_NE(r.sortie.find("Error (command not legal): OPTION MOVE OVERHEAD=99999"), std::string::npos);
  EXPECT_NE(r.sortie.find("Error (command not legal): OPTION HASH=5"), std::string::npos);
}

TEST_F(TempsConfiguration, MoveOverheadComesFromTheConfigurationFile) {
  ecrit_fichier("pellarq.cfg", "; a comment\nMoveOverhead = 300\n");
  const auto r = lance_programme("protover 2\nquit\n", "", dossier_.string());
  EXPECT_NE(r.sortie.find(R"(option="Move Overhead -spin 300 0 5000")"), std::string::npos) << r.sortie;
}

TEST(TempsProgramme, MateScoresReadAsMatesInTheThinkingLine) {
  // White mates in one; Black, with one move, is mated in one.
  const auto blancs = lance_avec_pauses(
      {"protover 2\npost\nsd 4\nsetboard 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\ngo\n", "@1500", "quit\n"});
  const auto lb = scores_et_temps(blancs.sortie);
  ASSERT_FALSE(lb.empty()) << blancs.sortie;
  EXPECT_EQ(lb.back().first, 100001) << blancs.sortie;
  const auto noirs = lance_avec_pauses(
      {"protover 2\npost\nsd 4\nsetboard k7/8/1K6/8/8/8/8/7R b - - 0 1\ngo\n", "@1500", "quit\n"});
  const auto ln = scores_et_temps(noirs.sortie);
  ASSERT_FALSE(ln.empty()) << noirs.sortie;
  EXPECT_EQ(ln.back().first, -100001) << noirs.sortie;
}
