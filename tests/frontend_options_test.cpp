// Start-up through the program's command line: options, test mode, banner.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "outils.h"

namespace {

class Options : public TestDansDossier {
 protected:
  void ecrit(const std::string& nom, const std::string& texte) { ecrit_fichier(nom, texte); }
  RESULTAT_PROGRAMME lance(const std::string& entree, const std::string& arguments) {
    return lance_programme(entree, arguments, dossier_.string());
  }
};

const std::regex ligne_reflexion(R"(\d+ +-?\d+ +\d+ +\d+ .*)");

int lignes_reflexion(const std::string& t) { return compte_lignes(t, ligne_reflexion); }

}  // namespace

TEST_F(Options, BannerGoesToStandardErrorOnly) {
  const auto r = lance("quit\n", "");
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(r.sortie, "");
  EXPECT_NE(r.erreurs.find("pellarq"), std::string::npos);
  EXPECT_NE(r.erreurs.find("xboard"), std::string::npos);
}

TEST_F(Options, NonPositiveTimePrintsAndStartsNormally) {
  const auto r = lance("print\nquit\n", "-t0");
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(r.sortie.rfind("temps??\n", 0), 0u) << r.sortie;
  EXPECT_NE(r.sortie.find("TCFDRFCT"), std::string::npos);
}

TEST_F(Options, PositionFileIsSearchedOnceWithThinkingLines) {
  // White: king g1, rook a1, pawns; then ("n") Black: king g8 and pawns.
  // Ending with Black's pieces gives White the move: a back-rank mate.
  ecrit("pos.txt", "rg1\nta1\npf2\npg2\nph2\nn\nrg8\npf7\npg7\nph7\n");
  const auto r = lance("", "-ppos.txt -t2");
  EXPECT_EQ(r.statut, 0);
  EXPECT_GT(lignes_reflexion(r.sortie), 0) << r.sortie;
  EXPECT_NE(r.sortie.find("a1a8"), std::string::npos) << r.sortie;
  EXPECT_EQ(r.erreurs.find("pellarq"), std::string::npos);  // no banner in test mode
}

TEST_F(Options, UnreadableFilesEndWithStatusOne) {
  auto r = lance("", "-pabsent.pos");
  EXPECT_EQ(r.statut, 1);
  EXPECT_EQ(r.sortie, "fichier??\n");
  r = lance("", "-fabsent.game");
  EXPECT_EQ(r.statut, 1);
  EXPECT_EQ(r.sortie, "fichier??\n");
}

TEST_F(Options, GameFileIsSearchedFromItsLastPosition) {
  ecrit("partie.txt", "1. e2e4 e7e5\n2. g1f3\n");
  const auto r = lance("", "-fpartie.txt -t1");
  EXPECT_EQ(r.statut, 0);
  EXPECT_GT(lignes_reflexion(r.sortie), 0) << r.sortie;
}

TEST_F(Options, HelpAndVersion) {
  auto r = lance("", "--help");
  EXPECT_EQ(r.statut, 0);
  EXPECT_NE(r.sortie.find("-dDIRS"), std::string::npos);
  EXPECT_NE(r.sortie.find("pellarq.cfg"), std::string::npos);
  EXPECT_NE(r.sortie.find("bench"), std::string::npos);
  r = lance("", "--version");
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(r.sortie.rfind("pellarq ", 0), 0u);
  // Unknown options: the usage on standard error, status 2, nothing started
  for (const char* option : {"--other", "-x", "--bogus", "-", "--"}) {
    r = lance("quit\n", option);
    EXPECT_EQ(r.statut, 2) << option;
    EXPECT_EQ(r.sortie, "") << option;
    EXPECT_NE(r.erreurs.find(std::string("unknown option \"") + option + "\""), std::string::npos) << r.erreurs;
    EXPECT_NE(r.erreurs.find("Usage: pellarq"), std::string::npos) << option;
  }
  // Words that are no option are reported and passed over
  r = lance("quit\n", "stray");
  EXPECT_EQ(r.statut, 0);
  EXPECT_NE(r.erreurs.find("argument \"stray\" ignored"), std::string::npos) << r.erreurs;
}

TEST_F(Options, UnreadableValuesAndMissingDirectoriesAreReported) {
  auto r = lance("quit\n", "-hfoo");
  EXPECT_EQ(r.statut, 0);
  EXPECT_NE(r.erreurs.find("-h \"foo\" is not a number"), std::string::npos) << r.erreurs;
  r = lance("quit\n", "-d/nonexistent/pellarq");
  EXPECT_EQ(r.statut, 0);
  EXPECT_NE(r.erreurs.find("tablebase directory \"/nonexistent/pellarq\" does not exist"), std::string::npos)
      << r.erreurs;
  ecrit("pellarq.cfg", "TABLEBASE = .;/nonexistent/a,/nonexistent/b\n");
  r = lance("quit\n", "");
  EXPECT_NE(r.erreurs.find("\"/nonexistent/a\" does not exist"), std::string::npos) << r.erreurs;
  EXPECT_NE(r.erreurs.find("\"/nonexistent/b\" does not exist"), std::string::npos) << r.erreurs;
  EXPECT_EQ(r.erreurs.find("\".\" does not exist"), std::string::npos) << r.erreurs;
  // "-t" takes its number from the next argument, or says it has none
  r = lance("quit\n", "-t");
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(r.sortie, "");
  EXPECT_NE(r.erreurs.find("-t needs a number of seconds"), std::string::npos) << r.erreurs;
  r = lance("quit\n", "-tabc");
  EXPECT_NE(r.erreurs.find("-t needs a number of seconds (not \"abc\")"), std::string::npos) << r.erreurs;
  ecrit("mat.pos", "b\nrh1\nn\nrh3\ndg2\n");  // White to move is mated
  r = lance("", "-t 1 -pmat.pos");
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(r.erreurs.find("-t needs"), std::string::npos) << r.erreurs;
  // "bench" with something that is no depth
  r = lance("", "bench abc");
  EXPECT_EQ(r.statut, 2);
  EXPECT_EQ(r.sortie, "");
  EXPECT_NE(r.erreurs.find("bench: \"abc\" is not a depth"), std::string::npos) << r.erreurs;
  r = lance("bench abc\nbench 0x\nquit\n", "");
  EXPECT_NE(r.sortie.find("Error (command not legal): BENCH ABC\n"), std::string::npos) << r.sortie;
  EXPECT_NE(r.sortie.find("Error (command not legal): BENCH 0X\n"), std::string::npos) << r.sortie;
}

TEST_F(Options, TestModeOnADecidedPositionPrintsTheResult) {
  ecrit("mat.pos", "b\nrh1\nn\nrh3\ndg2\n");  // White to move is mated
  auto r = lance("", "-pmat.pos");
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(r.sortie, "0-1 {Black mates}\n");
  ecrit("pat.pos", "n\nrh8\nb\nrf7\ndg6\n");  // Black to move is stalemated
  r = lance("", "-ppat.pos");
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(r.sortie, "1/2-1/2 {Stalemate}\n");
  ecrit("mat.txt", "1. f2f3 e7e5\n2. g2g4 d8h4\n");
  r = lance("", "-fmat.txt");
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(r.sortie, "0-1 {Black mates}\n");
}

TEST_F(Options, ConfigurationAndOptionsSetTheHashSize) {
  // Sizes out of range are brought into it, with a word on standard error
  ecrit("pellarq.cfg", "HASHTABLE = 20\n");
  auto r = lance("quit\n", "-h-5");
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(r.sortie, "");
  EXPECT_NE(r.erreurs.find("table size -5 is out of range (13 to 23); 13 used"), std::string::npos) << r.erreurs;
  r = lance("quit\n", "-h12");
  EXPECT_EQ(r.statut, 0);
  EXPECT_NE(r.erreurs.find("table size 12 is out of range (13 to 23); 13 used"), std::string::npos) << r.erreurs;
  r = lance("quit\n", "-h99");
  EXPECT_EQ(r.statut, 0);
  EXPECT_NE(r.erreurs.find("table size 99 is out of range (13 to 23); 23 used"), std::string::npos) << r.erreurs;
  // A later option wins over the file.
  ecrit("pellarq.cfg", "HASHTABLE = 12\n");
  r = lance("quit\n", "-h14");
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(r.erreurs.find("out of range"), std::string::npos) << r.erreurs;
  r = lance("force\ne2e4\nperft 1\nquit\n", "");
  EXPECT_EQ(r.statut, 0);
  EXPECT_NE(r.erreurs.find("table size 12 is out of range (13 to 23); 13 used"), std::string::npos) << r.erreurs;
  EXPECT_NE(r.sortie.find("Nodes searched: 20\n"), std::string::npos) << r.sortie;
}
