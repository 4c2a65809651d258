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
  // Other double-dash arguments are ignored.
  r = lance("quit\n", "--other");
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(r.sortie, "");
}

TEST_F(Options, ConfigurationAndOptionsSetTheHashSize) {
  // An impossible size fails the start-up silently.
  ecrit("pellarq.cfg", "HASHTABLE = 20\n");
  auto r = lance("quit\n", "-h-5");
  EXPECT_EQ(r.statut, 1);
  EXPECT_EQ(r.sortie, "");
  // A later option wins over the file.
  ecrit("pellarq.cfg", "HASHTABLE = -5\n");
  r = lance("quit\n", "-h14");
  EXPECT_EQ(r.statut, 0);
  r = lance("quit\n", "");
  EXPECT_EQ(r.statut, 1);
}
