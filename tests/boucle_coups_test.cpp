// Typed moves, take-backs, set-ups and files driven through the program's
// standard input.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "outils.h"

namespace {

bool contient(const std::string& texte, const std::string& morceau) {
  return texte.find(morceau) != std::string::npos;
}

// The eight lines that PRINT writes last in the output.
std::string dernier_echiquier(const std::string& sortie) {
  const size_t n = sortie.size();
  size_t debut = n;
  for (int lignes = 0; lignes < 8 && debut > 0; ) {
    --debut;
    if (debut > 0 && sortie[debut - 1] == '\n') ++lignes;
  }
  return sortie.substr(debut);
}

const char* const INITIAL =
    "TCFDRFCT\nPPPPPPPP\n........\n........\n........\n........\npppppppp\ntcfdrfct\n";

}  // namespace

TEST(BoucleCoups, TypedMovesAreReadInAnyCaseAndPlayed) {
  const RESULTAT_PROGRAMME r = lance_programme("force\ne2e4\nE7E5\nG1f3\nprint\nquit\n");
  EXPECT_EQ(r.statut, 0);
  EXPECT_EQ(dernier_echiquier(r.sortie),
            "TCFDRFCT\nPPPP.PPP\n........\n....P...\n....p...\n.....c..\npppp.ppp\ntcfdrf.t\n");
  EXPECT_FALSE(contient(r.sortie, "Illegal"));
  EXPECT_FALSE(contient(r.sortie, "Error"));
}

TEST(BoucleCoups, MessagesForIllegalAndUnknownLines) {
  const RESULTAT_PROGRAMME r =
      lance_programme("force\ne2e4\ne2e5\ne7e8\nfoo\n.\ng1h3x\nsetboard 4k3/1P6/8/8/8/8/8/4K3 w - -\nb7b8\nprint\n");
  EXPECT_TRUE(contient(r.sortie, "Illegal move: E2E5\n"));
  EXPECT_TRUE(contient(r.sortie, "Illegal move: E7E8\n"));
  EXPECT_TRUE(contient(r.sortie, "Error (unknown command): FOO\n"));
  EXPECT_TRUE(contient(r.sortie, "Error (unknown command): .\n"));
  EXPECT_TRUE(contient(r.sortie, "Illegal move: G1H3X\n"));  // Black to move
  EXPECT_TRUE(contient(r.sortie, "Illegal move (promote?): B7B8\n"));
  EXPECT_EQ(dernier_echiquier(r.sortie),
            "....R...\n.p......\n........\n........\n........\n........\n........\n....r...\n");
}

TEST(BoucleCoups, MatesAndRepetitionsAreAnnounced) {
  RESULTAT_PROGRAMME r = lance_programme("force\nf2f3\ne7e5\ng2g4\nd8h4\ne2e4\n");
  EXPECT_TRUE(contient(r.sortie, "0-1 {Black mates}\n"));
  EXPECT_TRUE(contient(r.sortie, "Illegal move: E2E4\n"));
  r = lance_programme("force\ne2e4\ne7e5\nf1c4\nb8c6\nd1h5\ng8f6\nh5f7\n");
  EXPECT_TRUE(contient(r.sortie, "1-0 {White mates}\n"));
  r = lance_programme("force\ng1f3\ng8f6\nf3g1\nf6g8\ng1f3\ng8f6\nf3g1\nf6g8\ng1f3\ng8f6\n");
  EXPECT_TRUE(contient(r.sortie, "1/2-1/2 {Draw by repetition}\n"));
  EXPECT_FALSE(contient(r.sortie, "Illegal"));  // the game goes on after the draw
  r = lance_programme("force\nsetboard 7k/8/6K1/8/8/8/8/5Q2 w - -\nf1f7\n");
  EXPECT_TRUE(contient(r.sortie, "1/2-1/2 {Stalemate}\n"));
}

TEST(BoucleCoups, UndoAndRemove) {
  RESULTAT_PROGRAMME r = lance_programme("undo\n");
  EXPECT_TRUE(contient(r.erreurs, "beginning\n"));
  r = lance_programme("force\ne2e4\ne7e5\nundo\nprint\n");
  EXPECT_FALSE(contient(r.erreurs, "beginning"));
  EXPECT_EQ(dernier_echiquier(r.sortie),
            "TCFDRFCT\nPPPPPPPP\n........\n........\n....p...\n........\npppp.ppp\ntcfdrfct\n");
  r = lance_programme("force\ne2e4\nremove\nprint\n");
  EXPECT_TRUE(contient(r.erreurs, "beginning\n"));
  EXPECT_EQ(dernier_echiquier(r.sortie), INITIAL);
  r = lance_programme("force\ne2e4\ne7e5\ng1f3\nremove\nprint\n");
  EXPECT_FALSE(contient(r.erreurs, "beginning"));
  EXPECT_EQ(dernier_echiquier(r.sortie),
            "TCFDRFCT\nPPPPPPPP\n........\n........\n....p...\n........\npppp.ppp\ntcfdrfct\n");
}

TEST(BoucleCoups, SetboardReadsTheFenAsTyped) {
  RESULTAT_PROGRAMME r = lance_programme("force\nsetboard 4k3/8/8/8/8/8/4P3/4K3 b - -\ne8d7\nprint\n");
  EXPECT_FALSE(contient(r.sortie, "Illegal"));
  EXPECT_EQ(dernier_echiquier(r.sortie),
            "........\n...R....\n........\n........\n........\n........\n....p...\n....r...\n");
  r = lance_programme(
      "SETBOARD r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1\nperft 3\nperft 4\n");
  EXPECT_TRUE(contient(r.sortie, "e1g1: 2059\n"));
  EXPECT_TRUE(contient(r.sortie, "Nodes searched: 97862\n"));
  EXPECT_TRUE(contient(r.sortie, "Nodes searched: 4085603\n"));
  r = lance_programme("setboard 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -\nperft 4\n");
  EXPECT_TRUE(contient(r.sortie, "Nodes searched: 43238\n"));
}

TEST(BoucleCoups, AnIllegalSetboardLeavesTheEngineRefusingUntilNew) {
  for (const char* fen : {"8/8/8/8/8/8/8/8 w - -", "4k3/8/8/8/8/8/8/4R1K1 w - -", "", "rnbqkbnr/ppp"}) {
    const RESULTAT_PROGRAMME r =
        lance_programme(std::string("force\nsetboard ") + fen + "\ne2e4\nnew\nforce\ne2e4\nprint\n");
    EXPECT_TRUE(contient(r.sortie, "tellusererror Illegal position\n")) << fen;
    EXPECT_TRUE(contient(r.sortie, "Illegal move: E2E4\n")) << fen;
    EXPECT_EQ(dernier_echiquier(r.sortie),
              "TCFDRFCT\nPPPPPPPP\n........\n........\n....p...\n........\npppp.ppp\ntcfdrfct\n")
        << fen;
  }
  const RESULTAT_PROGRAMME r = lance_programme("setboardx\nsetboard\n");
  EXPECT_TRUE(contient(r.sortie, "Error (unknown command): SETBOARDX\n"));
  EXPECT_TRUE(contient(r.sortie, "tellusererror Illegal position\n"));
}

class BoucleFichiers : public ::testing::Test {
 protected:
  void SetUp() override {
    dossier = ::testing::TempDir() + "pellarq_boucle_" + std::to_string(getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    mkdir(dossier.c_str(), 0700);
  }
  void TearDown() override {
    for (const std::string& n : crees) std::remove(n.c_str());
    rmdir(dossier.c_str());
  }
  void ecrit(const std::string& nom, const std::string& contenu) {
    crees.push_back(dossier + "/" + nom);
    std::ofstream(crees.back(), std::ios::binary) << contenu;
  }
  std::string dossier;
  std::vector<std::string> crees;
};

TEST_F(BoucleFichiers, PositionFilesByTheirNameAsTyped) {
  ecrit("Finale.Pos", "b\nre1\npe2\nn\nre8\n");
  ecrit("sans_roi", "b\nre1\n");
  const RESULTAT_PROGRAMME r = lance_programme(
      "force\nposition Finale.Pos\nprint\nposition finale.pos\nposition sans_roi\n", "", dossier);
  EXPECT_EQ(r.statut, 0);
  EXPECT_TRUE(contient(r.sortie, "....R...\n........\n........\n........\n........\n........\n....p...\n....r...\n"));
  EXPECT_TRUE(contient(r.erreurs, "Quel Fichier?!\n"));  // the name upper-cased would not open
  EXPECT_TRUE(contient(r.erreurs, "Erreur\n"));
}

TEST_F(BoucleFichiers, GameFilesByTheirNameAsTyped) {
  ecrit("Partie.Txt", " 1. e2e4 e7e5\n 2. g1f3 \n");
  const RESULTAT_PROGRAMME r =
      lance_programme("force\npartie Partie.Txt\nprint\nb8c6\npartie absente\nprint\n", "", dossier);
  EXPECT_FALSE(contient(r.sortie, "Illegal"));
  EXPECT_TRUE(contient(r.sortie,
                       "TCFDRFCT\nPPPP.PPP\n........\n....P...\n....p...\n.....c..\npppp.ppp\ntcfdrf.t\n"));
  // A game file that cannot be opened changes nothing and says nothing
  EXPECT_EQ(dernier_echiquier(r.sortie),
            "T.FDRFCT\nPPPP.PPP\n..C.....\n....P...\n....p...\n.....c..\npppp.ppp\ntcfdrf.t\n");
}
