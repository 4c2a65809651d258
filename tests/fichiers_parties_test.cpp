// Position files, the engine's game files and PGN files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "board/echiquier.h"
#include "notation/coordonnees.h"
#include "outils.h"

namespace {
// The bytes of a literal, NUL bytes included.
template <size_t N>
std::string octets(const char (&t)[N]) {
  return std::string(t, N - 1);
}
}  // namespace

class Fichiers : public ::testing::Test {
 protected:
  void SetUp() override {
    avant = lettres_pieces;
    e.AlloueHashTable(13);
    e.Raz();
    e.Coup1();
  }
  void TearDown() override {
    lettres_pieces = avant;
    for (const std::string& n : crees) std::remove(n.c_str());
  }
  // Writes a file of the given bytes and returns its name.
  std::string ecrit(const std::string& contenu) {
    const std::string nom = ::testing::TempDir() + "pellarq_fichiers_" + std::to_string(getpid()) + "_" +
                            std::to_string(crees.size());
    std::ofstream(nom, std::ios::binary) << contenu;
    crees.push_back(nom);
    return nom;
  }
  std::string nouveau_nom() { return ecrit(""); }
  static std::string lit(const std::string& nom) {
    std::ifstream f(nom, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  std::string fen() {
    char t[81];
    e.CreeForsythe(t);
    return t;
  }
  // The moves of the record, in protocol text.
  std::string coups() {
    std::string s;
    for (int i = 0; i <= e.LitIndexCourant(); ++i) {
      char t[8];
      texte_protocole(e.partie.LitA(i).coup, t);
      s += std::string(s.empty() ? "" : " ") + t;
    }
    return s;
  }
  const char* avant;
  std::vector<std::string> crees;
  CEchiquier e;
};

TEST_F(Fichiers, PositionFileSetsUpPiecesAndTheSideToMove) {
  EXPECT_EQ(e.ChargePosition(ecrit("b\nre1\npe2\nn\nre8\n").c_str()), 0);
  EXPECT_EQ(fen(), "4k3/8/8/8/8/8/4P3/4K3 w - -");
  EXPECT_EQ(e.fin_partie, 0);
  // Upper-case lines, ignored lines, a trailing comment; White listed last
  EXPECT_EQ(e.ChargePosition(ecrit("N\r\nRE8 king\r\nTH8\n; note\nB\nRE1\nTA1\nFC1\nCB1\nDD1\nPA2\n").c_str()), 0);
  EXPECT_EQ(fen(), "4k2r/8/8/8/8/8/P7/RNBQK3 b Qk -");
  EXPECT_EQ(e.depart_standard, 0);
}

TEST_F(Fichiers, PositionFileFailures) {
  EXPECT_EQ(e.ChargePosition("/nonexistent/pellarq/position"), -1);
  EXPECT_EQ(e.ChargePosition(ecrit("b\nre1\npe2\nre8\n").c_str()), -2);  // the second king is White's
  EXPECT_STREQ(e.MotifEchec(), "illegal position at line 4");
  EXPECT_EQ(e.fin_partie, 0);  // the game before goes on
  EXPECT_EQ(e.Joue(coup_texte("e2e4")), 0);
  EXPECT_EQ(e.ChargePosition(ecrit("b\nre1\n").c_str()), -2);
  EXPECT_EQ(e.ChargePosition(ecrit("b\nre1\npe8\nn\nre8\n").c_str()), -2);  // pawn on the last rank
  EXPECT_EQ(e.ChargePosition(ecrit("b\nre1\nte1\nn\nre8\n").c_str()), -2);  // occupied square
  EXPECT_EQ(e.ChargePosition(ecrit("b\nre1\nti1\nn\nre8\n").c_str()), -2);  // no such square
  EXPECT_EQ(e.ChargePosition(ecrit("b\nre1\nt\nn\nre8\n").c_str()), -2);
}

TEST_F(Fichiers, PositionFileHostileLines) {
  // A line longer than 63 characters is cut: its tail is no line of its own
  const std::string longue = "x" + std::string(62, ' ') + "re8\n";
  EXPECT_EQ(e.ChargePosition(ecrit("b\nre1\nn\n" + longue).c_str()), -2);
  // A NUL byte ends the text of its line
  EXPECT_EQ(e.ChargePosition(ecrit(octets("b\nre1\nn\nx\0re5\nre8\n")).c_str()), 0);
  EXPECT_EQ(fen(), "4k3/8/8/8/8/8/8/4K3 w - -");
  EXPECT_EQ(e.ChargePosition(ecrit(std::string(5000, 'p')).c_str()), -2);
  EXPECT_EQ(e.ChargePosition(ecrit("").c_str()), -2);
}

TEST_F(Fichiers, SaveThenLoadGivesTheSameGame) {
  ASSERT_EQ(joue_suite(e, "e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1 f8c5 d2d4 e5d4 c2c3"), 0);
  lettres_pieces = LETTRES_FRANCAISES;
  const std::string nom = nouveau_nom();
  ASSERT_EQ(e.Save(nom.c_str()), 0);
  EXPECT_EQ(lit(nom),
            " 1. e2e4 e7e5\n 2. g1f3 b8c6\n 3. f1c4 g8f6\n 4. O-O f8c5\n 5. d2d4 e5d4\n 6. c2c3 \n");
  const std::string avant_fen = fen();
  CEchiquier f;
  f.AlloueHashTable(13);
  EXPECT_EQ(f.Load(nom.c_str()), 0);
  char t[81];
  f.CreeForsythe(t);
  EXPECT_EQ(t, avant_fen);
  EXPECT_EQ(f.LitIndexCourant(), 10);
  EXPECT_EQ(f.depart_standard, 1);
}

TEST_F(Fichiers, SaveThenLoadFromAFenStartWithPromotions) {
  ASSERT_EQ(e.LitForsythe("4k3/1P6/8/8/8/8/2p5/R3K2R w KQ -"), 0);
  ASSERT_EQ(joue_suite(e, "e1g1 e8d7 b7b8r c2c1q a1c1 d7e6 b8b1"), 0);
  const std::string nom = nouveau_nom();
  lettres_pieces = LETTRES_FRANCAISES;
  ASSERT_EQ(e.Save(nom.c_str()), 0);
  EXPECT_EQ(lit(nom), "[FEN 4k3/1P6/8/8/8/8/2p5/R3K2R w KQ -]\n 1. O-O e8d7\n 2. b7b8T c2c1D\n"
                      " 3. a1c1 d7e6\n 4. b8b1 \n");
  const std::string avant_fen = fen(), avant_coups = coups();
  e.Raz();
  e.Coup1();
  EXPECT_EQ(e.Load(nom.c_str()), 0);
  EXPECT_EQ(fen(), avant_fen);
  EXPECT_EQ(coups(), avant_coups);
  EXPECT_EQ(e.depart_standard, 0);
}

TEST_F(Fichiers, SaveAppendsGamesAsParagraphs) {
  const std::string nom = ecrit("previous\n");
  // (the initial position comes back a third time at ply 8: a draw the game goes on from)
  for (const char* c : {"g1f3", "g8f6", "f3g1", "f6g8", "b1c3", "b8c6", "c3b1", "c6b8", "e2e4", "e7e5", "d2d4"})
    ASSERT_GE(e.Joue(coup_texte(c)), 0) << c;
  ASSERT_EQ(e.Save(nom.c_str(), nullptr, 1), 0);
  const std::string texte = lit(nom);
  EXPECT_EQ(texte,
            "previous\n 1. g1f3 g8f6 2. f3g1 f6g8 3. b1c3 b8c6 4. c3b1 c6b8 5. e2e4 e7e5\n"
            " 6. d2d4  *\n");
  // The appended game reads back (the first line is no move)
  EXPECT_EQ(e.Load(nom.c_str()), 0);
  EXPECT_EQ(e.LitIndexCourant(), 10);
}

TEST_F(Fichiers, SaveAfterARefusedSetUpWritesTheGameBeforeIt) {
  ASSERT_EQ(e.LitForsythe("4k3/8/8/8/8/8/4P3/4K3 w - -"), 0);
  ASSERT_EQ(e.LitForsythe("4k3/8/8/8/8/8/4P3/8 w - -"), -2);
  const std::string nom = nouveau_nom();
  ASSERT_EQ(e.Save(nom.c_str()), 0);
  EXPECT_EQ(lit(nom), "[FEN 4k3/8/8/8/8/8/4P3/4K3 w - -]\n");
}

TEST_F(Fichiers, SaveFailsOnAFileThatCannotBeOpened) {
  EXPECT_EQ(e.Save("/nonexistent/pellarq/game"), -10);
  EXPECT_EQ(e.Save("/nonexistent/pellarq/game", nullptr, 1), -10);
}

TEST_F(Fichiers, LoadPassesOverResultsAndStopsAtTheFirstBadMove) {
  EXPECT_EQ(e.Load(ecrit(" 1. e2e4 e7e5\n 2. g1f3\n1-0\n").c_str()), 0);
  EXPECT_EQ(coups(), "e2e4 e7e5 g1f3");
  // A token that is no move ends its line only
  EXPECT_EQ(e.Load(ecrit("1. e2e4 what\n2. e7e5\n").c_str()), 0);
  EXPECT_EQ(coups(), "e2e4 e7e5");
  // An illegal move ends the reading with Joue's result; the game before stays
  EXPECT_EQ(e.Load(ecrit("1. d2d4 d7d5\n2. e1e3 b8c6\n").c_str()), -1);
  EXPECT_EQ(coups(), "e2e4 e7e5");
  EXPECT_STREQ(e.MotifEchec(), "illegal move e1e3 at line 2");
  EXPECT_EQ(e.Load(ecrit("[FEN 4k3/1P6/8/8/8/8/8/4K3 w - -]\n1. b7b8\n").c_str()), 1);
  EXPECT_EQ(e.Load("/nonexistent/pellarq/game"), -10);
  EXPECT_EQ(e.Load(ecrit("[FEN 8/8/8/8/8/8/8/8 w - -]\n1. e2e4\n").c_str()), -10);
  EXPECT_EQ(e.Load(ecrit("[FEN: 4k3/8/8/8/8/8/8/4R1K1 w - -]\n").c_str()), -10);
  EXPECT_EQ(e.Load(ecrit("  [FEN: 4k3/8/8/8/8/8/4P3/4K3 b - -]\n1. e8d7 e2e4\n").c_str()), 0);
  EXPECT_EQ(coups(), "e8d7 e2e4");
}

TEST_F(Fichiers, LoadGoesOnAfterARepetition) {
  EXPECT_EQ(e.Load(ecrit("1. g1f3 g8f6 2. f3g1 f6g8 3. g1f3 g8f6 4. f3g1 f6g8 5. e2e4\n").c_str()), 0);
  EXPECT_EQ(e.LitIndexCourant(), 8);
}

TEST_F(Fichiers, LoadHostileInput) {
  const std::string longue = std::string(1000, 'e') + "\n1. e2e4\n";
  EXPECT_EQ(e.Load(ecrit(longue).c_str()), 0);
  EXPECT_EQ(coups(), "e2e4");
  EXPECT_EQ(e.Load(ecrit(octets("1. e2e4\0 e7e5\n1... d7d5\n")).c_str()), 0);
  EXPECT_EQ(coups(), "e2e4 d7d5");
  EXPECT_EQ(e.Load(ecrit("[FEN").c_str()), -10);
  EXPECT_EQ(e.Load(ecrit("1" + std::string(600, '.') + " e2e4").c_str()), 0);
  EXPECT_EQ(e.Load(ecrit(std::string(200, '\t') + "O-O-O").c_str()), -1);
  // Lines are read whole, however long
  EXPECT_EQ(e.Load(ecrit(std::string(3000, '\t') + "O-O-O").c_str()), -1);
  EXPECT_EQ(e.Load(ecrit(std::string(3000, ' ') + "1. e2e4 e7e5").c_str()), 0);
  EXPECT_EQ(coups(), "e2e4 e7e5");
}

namespace {
const char* const DEUX_PARTIES =
    "[Event \"First\"]\n"
    "[White \"A\"]\n"
    "[Result \"1-0\"]\n"
    "\n"
    "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 1-0\n"
    "\n"
    "[Event \"Second\"]\n"
    "[Result \"*\"]\n"
    "\n"
    "1. d4 {a comment\n"
    "over [two] lines} d5 2. c4 dxc4 3. e3 b5 4. a4 c6 5. axb5 cxb5 6. Qf3 Nc6 7. Qxc6+ Bd7\n"
    "8. Qxa8 Qxa8 9. Nc3 e5 10. Nge2 Nf6 11. g3 Be7 12. Bg2 e4 13. O-O 0-0 *\n";
}  // namespace

TEST_F(Fichiers, LoadPgnReadsTheChosenGame) {
  const std::string nom = ecrit(DEUX_PARTIES);
  EXPECT_EQ(e.LoadPgn(nom.c_str(), 1), 0);
  EXPECT_EQ(coups(), "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6");
  EXPECT_EQ(e.LoadPgn(nom.c_str(), 2), 0);
  EXPECT_EQ(e.LitIndexCourant(), 25);
  EXPECT_EQ(e.echiquier[case_nommee("g1")], 0);   // both sides castled
  EXPECT_EQ(e.echiquier[case_nommee("g8")], 16);
  EXPECT_EQ(e.type_piece[e.echiquier[case_nommee("a8")]], DAME);
  // A game number beyond the file's games reads nothing
  EXPECT_EQ(e.LoadPgn(nom.c_str(), 3), 0);
  EXPECT_EQ(e.LitIndexCourant(), -1);
  EXPECT_EQ(e.LoadPgn("/nonexistent/pellarq.pgn", 1), -10);
}

TEST_F(Fichiers, LoadPgnCommentsAndCoordinateMoves) {
  EXPECT_EQ(e.LoadPgn(ecrit("[Event \"x\"]\n1. e4 {best by test} e5 2. Nf3 Nc6\n").c_str(), 1), 0);
  EXPECT_EQ(coups(), "e2e4 e7e5 g1f3 b8c6");
  EXPECT_EQ(e.LoadPgn(ecrit("[Event \"x\"]\n\n1. e2e4 e7e5\n").c_str(), 1), 0);
  EXPECT_EQ(coups(), "e2e4 e7e5");
  // Variations, annotation glyphs and semicolon comments are passed over
  EXPECT_EQ(e.LoadPgn(ecrit("[Event \"x\"]\n1. e4 $1 e5 (1... c5 2. Nf3 (2. c3) d6) 2. Nf3 ; rest\n"
                            "# an escape line\n2... Nc6!? 3. Bc4\n").c_str(), 1),
            0);
  EXPECT_EQ(coups(), "e2e4 e7e5 g1f3 b8c6 f1c4");
}

TEST_F(Fichiers, LoadPgnFromAFenTagAndFailures) {
  EXPECT_EQ(e.LoadPgn(ecrit("[Event \"x\"]\n[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\"]\n\n"
                            "1... Kd7 2. e4 Kc6 *\n").c_str(), 1),
            0);
  EXPECT_EQ(coups(), "e8d7 e2e4 d7c6");
  EXPECT_EQ(e.depart_standard, 0);
  // An illegal move: its result, and the game loaded before stays
  EXPECT_EQ(e.LoadPgn(ecrit("[Event \"x\"]\n1. e4 e5 2. e1e3 Nc6\n").c_str(), 1), -1);
  EXPECT_EQ(coups(), "e8d7 e2e4 d7c6");
  EXPECT_STREQ(e.MotifEchec(), "illegal move e1e3 at line 2");
  // An algebraic move that fits no legal move ends the reading quietly
  EXPECT_EQ(e.LoadPgn(ecrit("[Event \"x\"]\n1. e4 e5 2. Ke3 Nc6\n").c_str(), 1), 0);
  EXPECT_EQ(coups(), "e2e4 e7e5");
  // A promotion without its piece
  EXPECT_EQ(e.LoadPgn(ecrit("[FEN \"4k3/1P6/8/8/8/8/8/4K3 w - -\"]\n1. b7b8\n").c_str(), 1), 1);
  EXPECT_EQ(coups(), "e2e4 e7e5");
  EXPECT_EQ(e.LoadPgn(ecrit("[FEN \"8/8/8 w\"]\n1. e4\n").c_str(), 1), -10);
  EXPECT_EQ(coups(), "e2e4 e7e5");
  EXPECT_STREQ(e.MotifEchec(), "illegal position at line 1 (the placement ends at rank 5)");
  // A repetition does not stop the reading
  EXPECT_EQ(e.LoadPgn(ecrit("[E \"\"]\n1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3 Nf6 4. Ng1 Ng8 5. e4 *\n").c_str(), 1), 0);
  EXPECT_EQ(e.LitIndexCourant(), 8);
  // Mate ends the game
  EXPECT_EQ(e.LoadPgn(ecrit("[E \"\"]\n1. f3 e5 2. g4 Qh4# 0-1\n").c_str(), 1), 2);
  EXPECT_EQ(e.fin_partie, 1);
}

TEST_F(Fichiers, LoadPgnHostileInput) {
  // A comment still open at the end of the file ends the reading
  EXPECT_EQ(e.LoadPgn(ecrit("[E \"\"]\n1. e4 e5 {never closed\n2. Nf3\n").c_str(), 1), 0);
  EXPECT_EQ(coups(), "e2e4 e7e5");
  EXPECT_EQ(e.LoadPgn(ecrit("[E \"\"]\n1. e4 (((\n").c_str(), 1), 0);
  EXPECT_EQ(coups(), "e2e4");
  EXPECT_EQ(e.LoadPgn(ecrit("[E \"\"]\n1. e4 } ) e5\n").c_str(), 1), 0);
  EXPECT_EQ(coups(), "e2e4");
  // Overlong lines and tokens, NUL bytes, stray bytes
  EXPECT_EQ(e.LoadPgn(ecrit("[E \"\"]\n1. e4 " + std::string(2000, 'N') + "\n").c_str(), 1), 0);
  EXPECT_EQ(coups(), "e2e4");
  EXPECT_EQ(e.LoadPgn(ecrit("[" + std::string(3000, '[') + "\n1. d4\n").c_str(), 1), 0);
  EXPECT_EQ(coups(), "d2d4");
  EXPECT_EQ(e.LoadPgn(ecrit(octets("[E \"\"]\n1. e4\0 e5\n1... d5 \xff Nf3\n")).c_str(), 1), 0);
  EXPECT_EQ(coups(), "e2e4 d7d5");
  EXPECT_EQ(e.LoadPgn(ecrit("[E \"\"]\n{" + std::string(5000, '{') + "\n").c_str(), 1), 0);
  EXPECT_EQ(e.LoadPgn(ecrit("[FEN \"" + std::string(400, 'K') + "\"]\n1. e4\n").c_str(), 1), -10);
  EXPECT_EQ(e.LoadPgn(ecrit("").c_str(), 1), 0);
  EXPECT_EQ(e.LoadPgn(ecrit("[E]\n1. e4").c_str(), 0), 0);
  EXPECT_EQ(e.LitIndexCourant(), -1);
}
