// The command loop driven through standard input of the pellarq program.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "outils.h"

TEST(Boucle, PrintShowsTheEightRanksWithFrenchLetters) {
  const auto r = lance_programme("print\nquit\n");
  EXPECT_EQ(r.statut, 0);
  const std::vector<std::string> attendu = {"TCFDRFCT", "PPPPPPPP", "........", "........",
                                            "........", "........", "pppppppp", "tcfdrfct"};
  EXPECT_EQ(lignes_de(r.sortie), attendu);
}

TEST(Boucle, PerftPrintsRootMovesInListOrderThenTheTotal) {
  const auto r = lance_programme("PERFT 5\nQUIT\n");
  const auto v = lignes_de(r.sortie);
  ASSERT_EQ(v.size(), 21u);
  EXPECT_EQ(v[0], "b1c3: 234656");
  EXPECT_EQ(v[13], "e2e4: 405385");
  EXPECT_EQ(v[20], "Nodes searched: 4865609");
}

TEST(Boucle, PerftWithoutAPositiveDepthIsNotLegal) {
  const auto r = lance_programme("PERFT\nPERFT 0\nPERFT -3\nPERFT X\nPERFTS 2\n");
  EXPECT_EQ(lignes_de(r.sortie),
            (std::vector<std::string>{"Error (command not legal)", "Error (command not legal)",
                                      "Error (command not legal)", "Error (command not legal)",
                                      "Error (unknown command): PERFTS 2"}));
}

TEST(Boucle, UnknownCommandsAreReportedUpperCased) {
  const auto r = lance_programme("hello world\nusermove e2e4\n");
  EXPECT_EQ(lignes_de(r.sortie),
            (std::vector<std::string>{"Error (unknown command): HELLO WORLD",
                                      "Error (unknown command): USERMOVE E2E4"}));
}

TEST(Boucle, DotIsAnErrorUnlessPostIsOn) {
  const auto r = lance_programme(".\npost\n.\nnopost\n.\n");
  EXPECT_EQ(lignes_de(r.sortie), (std::vector<std::string>{"Error (unknown command): .",
                                                        "Error (unknown command): ."}));
}

TEST(Boucle, KeywordsThatAreIgnoredPrintNothing) {
  const auto r = lance_programme(
      "xboard\nwhite\nblack\nforce\nhard\neasy\nresult 1-0 {White mates}\nfritz\nreset\nnew\n");
  EXPECT_EQ(r.sortie, "");
  EXPECT_EQ(r.statut, 0);
}

TEST(Boucle, EndOfInputEndsLikeQuit) {
  const auto r = lance_programme("print\n");
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(lignes_de(r.sortie).size(), 8u);
}

TEST(Boucle, PromptsOnlyWhenStandardErrorIsATerminal) {
  // Standard error is a file here: the banner only, no prompt.
  const auto r = lance_programme("print\nedit\n.\n");
  EXPECT_EQ(r.erreurs.find('?'), std::string::npos) << r.erreurs;
  EXPECT_EQ(r.erreurs.find('#'), std::string::npos) << r.erreurs;
  // On a terminal (a pseudo-terminal made by script), the prompts show.
  const std::string commande = std::string("printf 'edit\\n.\\nquit\\n' | script -qec '") +
                               PELLARQ_BINARY + "' /dev/null";
  FILE* p = popen(commande.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string tout;
  char tampon[256];
  while (std::fgets(tampon, sizeof tampon, p)) tout += tampon;
  pclose(p);
  EXPECT_NE(tout.find('?'), std::string::npos) << tout;
  EXPECT_NE(tout.find('#'), std::string::npos) << tout;
}

TEST(Boucle, QuitStopsReadingAndWindowsLineEndsAreDropped) {
  const auto r = lance_programme("quit\r\nprint\n");
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(r.sortie, "");
}

TEST(Boucle, LongLinesAreReadWholeNeverCutIntoAnotherCommand) {
  // A line that starts like a keyword must not be cut down to it.
  const std::string longue = "PRINT" + std::string(5000, 'X');
  const auto r = lance_programme(longue + "\nQUIT" + std::string(100, ' ') + "\n");
  EXPECT_EQ(r.sortie, "Error (unknown command): " + longue + "\n" +
                          "Error (unknown command): QUIT" + std::string(100, ' ') + "\n");
}
