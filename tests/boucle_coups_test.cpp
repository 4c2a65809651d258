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
  const struct {
    const char* entree;
    const char* annonce;
    const char* aussi;   // also in the output, or null
    const char* jamais;  // never in the output, or null
  } cas[] = {
      // A move after the mate is refused
      {"force\nf2f3\ne7e5\ng2g4\nd8h4\ne2e4\n", "0-1 {Black mates}\n", "Illegal move: E2E4\n", nullptr},
      {"force\ne2e4\ne7e5\nf1c4\nb8c6\nd1h5\ng8f6\nh5f7\n", "1-0 {White mates}\n", nullptr, nullptr},
      // The game goes on after the draw
      {"force\ng1f3\ng8f6\nf3g1\nf6g8\ng1f3\ng8f6\nf3g1\nf6g8\ng1f3\ng8f6\n",
       "1/2-1/2 {Draw by repetition}\n", nullptr, "Illegal"},
      {"force\nsetboard 7k/8/6K1/8/8/8/8/5Q2 w - -\nf1f7\n", "1/2-1/2 {Stalemate}\n", nullptr, nullptr},
  };
  for (const auto& c : cas) {
    const RESULTAT_PROGRAMME r = lance_programme(c.entree);
    EXPECT_TRUE(contient(r.sortie, c.annonce)) << c.entree;
    if (c.aussi) {
      EXPECT_TRUE(contient(r.sortie, c.aussi)) << c.entree;
    }
    if (c.jamais) {
      EXPECT_FALSE(contient(r.sortie, c.jamais)) << c.entree;
    }
  }
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

TEST(BoucleCoups, AnIllegalSetboardLeavesTheGameAsItWas) {
  const std::pair<const char*, const char*> cas[] = {
      {"8/8/8/8/8/8/8/8 w - -", "no white king"},
      {"4k3/8/8/8/8/8/8/4R1K1 w - -", "the side not to move is in check"},
      {"", "the placement ends at rank 8"},
      {"rnbqkbnr/ppp", "the placement ends at rank 7"}};
  for (const auto& [fen, motif] : cas) {
    // An xboard GUI gets the reason as a pop-up; the game before stays
    RESULTAT_PROGRAMME r =
        lance_programme(std::string("xboard\nforce\ne2e4\nsetboard ") + fen + "\ne7e5\nprint\n");
    EXPECT_TRUE(contient(r.sortie, std::string("tellusererror Illegal position: ") + motif + "\n")) << r.sortie;
    EXPECT_FALSE(contient(r.sortie, "Illegal move")) << fen;
    EXPECT_EQ(dernier_echiquier(r.sortie),
              "TCFDRFCT\nPPPP.PPP\n........\n....P...\n....p...\n........\npppp.ppp\ntcfdrfct\n")
        << fen;
    // At a terminal, a plain line
    r = lance_programme(std::string("setboard ") + fen + "\n");
    EXPECT_TRUE(contient(r.sortie, std::string("Illegal position: ") + motif + "\n")) << r.sortie;
    EXPECT_FALSE(contient(r.sortie, "tellusererror")) << fen;
  }
  const RESULTAT_PROGRAMME r = lance_programme("protover 2\nsetboardx\nsetboard\n");
  EXPECT_TRUE(contient(r.sortie, "Error (unknown command): SETBOARDX\n"));
  EXPECT_TRUE(contient(r.sortie, "tellusererror Illegal position: the placement ends at rank 8\n"));
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
  EXPECT_TRUE(contient(r.erreurs, "Quel Fichier?!\nfinale.pos: not found\n"));  // the name upper-cased would not open
  EXPECT_TRUE(contient(r.erreurs, "Erreur\nsans_roi: illegal position (no black king)\n"));
}

TEST_F(BoucleFichiers, FailedLoadsLeaveTheGameAndSayWhy) {
  ecrit("texte", "Some words\n");
  ecrit("echec.pos", "b\nre1\nte4\nn\nre8\n");
  ecrit("deux.pos", "b\nre1\nre2\nn\nre8\n");
  ecrit("coup.txt", "1. d2d4 d7d5\n2. e1e3\n");
  ecrit("fen.txt", "[FEN 4k3/8/8/8/8/8/8/4R1K1 w - -]\n");
  const std::string commandes =
      "force\ne2e4\ne7e5\ng1f3\n"
      "position absent\nposition texte\nposition echec.pos\nposition deux.pos\n"
      "partie absente\npartie coup.txt\npartie fen.txt\n"
      "edit\n#\n.\n"
      "perft 1\nprint\n";
  const std::string plateau = "TCFDRFCT\nPPPP.PPP\n........\n....P...\n....p...\n.....c..\npppp.ppp\ntcfdrf.t\n";
  // xboard: one tellusererror each, the engine's short messages still on standard error
  RESULTAT_PROGRAMME r = lance_programme("xboard\n" + commandes, "", dossier);
  for (const char* l : {"tellusererror absent: not found\n", "tellusererror texte: not a position file\n",
                        "tellusererror echec.pos: illegal position (the side not to move is in check)\n",
                        "tellusererror deux.pos: illegal position at line 3\n",
                        "tellusererror absente: not found\n",
                        "tellusererror coup.txt: illegal move e1e3 at line 2\n",
                        "tellusererror fen.txt: illegal position at line 1 (the side not to move is in check)\n",
                        "tellusererror Illegal position: no white king\n"})
    EXPECT_TRUE(contient(r.sortie, l)) << l << r.sortie;
  EXPECT_TRUE(contient(r.erreurs, "Quel Fichier?!\n")) << r.erreurs;
  EXPECT_TRUE(contient(r.erreurs, "Erreur\n")) << r.erreurs;
  EXPECT_EQ(dernier_echiquier(r.sortie), plateau);
  EXPECT_TRUE(contient(r.sortie, "Nodes searched: 29\n")) << r.sortie;  // Black's moves after 2. Nf3
  // At a terminal: plain lines on standard error, nothing on standard output
  r = lance_programme(commandes, "", dossier);
  EXPECT_FALSE(contient(r.sortie, "tellusererror")) << r.sortie;
  EXPECT_TRUE(contient(r.erreurs, "Quel Fichier?!\nabsent: not found\n")) << r.erreurs;
  EXPECT_TRUE(contient(r.erreurs, "Erreur\ntexte: not a position file\n")) << r.erreurs;
  EXPECT_TRUE(contient(r.erreurs, "coup.txt: illegal move e1e3 at line 2\n")) << r.erreurs;
  EXPECT_TRUE(contient(r.sortie, "Illegal position: no white king\n")) << r.sortie;
  EXPECT_EQ(dernier_echiquier(r.sortie), plateau);
  // The repetitions survive too: the third 2. Nf3 position is a draw
  r = lance_programme("force\ne2e4\ne7e5\ng1f3\nb8c6\nf3g1\nc6b8\ng1f3\nb8c6\nf3g1\n"
                      "position absent\npartie coup.txt\nsetboard 8/8 w\nc6b8\n", "", dossier);
  EXPECT_TRUE(contient(r.sortie, "1/2-1/2 {Draw by repetition}\n")) << r.sortie;
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
