// FEN text: writing it, reading it, and move generation through it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/echiquier.h"
#include "board/perft.h"
#include "outils.h"

namespace {

const char* const DEPART = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

std::string fen(CEchiquier& e) {
  char t[81];
  e.CreeForsythe(t);
  return t;
}

bool dans_liste(const CEchiquier& e, uint32_t coup) {
  for (const uint32_t* l = e.liste_coups; *l; ++l)
    if (!(*l & COUP_ILLEGAL) && (*l & 0xffff) == coup) return true;
  return false;
}

}  // namespace

TEST(Fen, WritesTheInitialPositionAndLostCastling) {
  CEchiquier e;
  e.Coup1();
  EXPECT_EQ(fen(e), DEPART);
  ASSERT_EQ(joue_suite(e, "e2e4 e7e5 e1e2 e8e7"), 0);
  EXPECT_EQ(fen(e), "rnbq1bnr/ppppkppp/8/4p3/4P3/8/PPPPKPPP/RNBQ1BNR w - -");
  ASSERT_EQ(joue_suite(e, "e2e1"), 0);
  EXPECT_EQ(fen(e), "rnbq1bnr/ppppkppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR b - -");
}

TEST(Fen, TheLongestTextFitsItsBuffer) {
  // 64 placement characters, 7 separators and all four castling letters
  CEchiquier e;
  ASSERT_EQ(e.LitForsythe(DEPART), 0);
  for (int q = 16; q < 48; ++q) e.echiquier[q] = 8;  // only the writer reads this board
  char t[90];
  std::memset(t, 'x', sizeof t);
  e.CreeForsythe(t);
  EXPECT_EQ(std::strlen(t), 80u);
  EXPECT_EQ(t[81], 'x');
}

TEST(Fen, RoundTripsThroughTheBoard) {
  for (const char* f : {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
                        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
                        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
                        "4k3/8/8/8/8/8/8/4K2R b K -", "2Q1Q3/8/8/8/8/8/2k5/K7 b - -"}) {
    CEchiquier e;
    ASSERT_EQ(e.LitForsythe(f), 0) << f;
    EXPECT_EQ(fen(e), f);
    EXPECT_STREQ(e.fen_depart, f);
    EXPECT_EQ(e.depart_standard, 0);
  }
}

TEST(Fen, AcceptsCountersBlanksAndASlashAfterTheFirstRank) {
  CEchiquier e;
  EXPECT_EQ(e.LitForsythe("  \trnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), 0);
  EXPECT_EQ(fen(e), DEPART);
  EXPECT_EQ(e.LitForsythe("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/ W KQkq"), 0);
  EXPECT_EQ(fen(e), DEPART);
  EXPECT_EQ(e.LitForsythe("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR   b   KQkq"), 0);
  EXPECT_EQ(e.trait, NOIRS);
}

TEST(Fen, ReportsMissingKingsAndTheSideNotToMoveInCheck) {
  CEchiquier e;
  ASSERT_EQ(e.LitForsythe("4k3/8/8/8/8/8/4P3/4K3 b - -"), 0);
  ASSERT_EQ(e.Joue(coup_texte("e8d7")), 0);
  EXPECT_EQ(e.LitForsythe("8/8/8/8/8/8/8/4K3 w - -"), -2);
  EXPECT_STREQ(e.MotifEchec(), "no black king");
  const int r = e.LitForsythe("4k3/8/8/8/8/8/8/4R1K1 w - -");
  EXPECT_NE(r, 0);
  EXPECT_TRUE(r & COUP_ILLEGAL);
  EXPECT_STREQ(e.MotifEchec(), "the side not to move is in check");
  // Neither touched the game in progress
  EXPECT_EQ(e.fin_partie, 0);
  EXPECT_EQ(fen(e), "8/3k4/8/8/8/8/4P3/4K3 w - -");
  EXPECT_STREQ(e.fen_depart, "4k3/8/8/8/8/8/4P3/4K3 b - -");
  EXPECT_EQ(e.LitIndexCourant(), 0);
  EXPECT_EQ(e.Joue(coup_texte("e2e4")), 0);
  EXPECT_STREQ(e.MotifEchec(), "the side not to move is in check");  // kept until the next load
  EXPECT_EQ(e.LitForsythe(DEPART), 0);
  EXPECT_STREQ(e.MotifEchec(), "");
}

TEST(Fen, TheEnPassantSquareIsWrittenWhenACaptureIsListed) {
  CEchiquier e;
  e.AlloueHashTable(13);
  e.Raz();
  e.Coup1();
  // After a double step that an enemy pawn can take
  ASSERT_EQ(joue_suite(e, "e2e4 a7a6 e4e5 d7d5"), 0);
  EXPECT_EQ(fen(e), "rnbqkbnr/1pp1pppp/p7/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6");
  // Not when no pawn stands beside it, nor one move later
  ASSERT_EQ(joue_suite(e, "g1f3 h7h5"), 0);
  EXPECT_EQ(fen(e), "rnbqkbnr/1pp1ppp1/p7/3pP2p/8/5N2/PPPP1PPP/RNBQKB1R w KQkq -");
  ASSERT_EQ(joue_suite(e, "f3g1 c7c5"), 0);
  EXPECT_EQ(fen(e), "rnbqkbnr/1p2ppp1/p7/2ppP2p/8/8/PPPP1PPP/RNBQKBNR w KQkq -");
  // Nor when the capture would leave the king attacked
  ASSERT_EQ(e.LitForsythe("8/8/8/K2pP2r/8/8/8/4k3 w - d6"), 0);
  EXPECT_FALSE(dans_liste(e, coup_texte("e5d6") | PRISE_EN_PASSANT));
  EXPECT_EQ(fen(e), "8/8/8/K2pP2r/8/8/8/4k3 w - -");
  ASSERT_EQ(e.LitForsythe("8/8/8/k2pP3/8/8/8/4K3 w - d6"), 0);
  EXPECT_EQ(fen(e), "8/8/8/k2pP3/8/8/8/4K3 w - d6");
  // A take-back to the start of such a set-up gives the square again
  ASSERT_EQ(e.Joue(coup_texte("e5e6")), 0);
  ASSERT_EQ(e.Retour(-1), 0);
  EXPECT_EQ(fen(e), "8/8/8/k2pP3/8/8/8/4K3 w - d6");
}

TEST(Fen, CastlingLettersAreReadInOrderOnly) {
  CEchiquier e;
  ASSERT_EQ(e.LitForsythe("r3k2r/8/8/8/8/8/8/R3K2R w Kq -"), 0);
  // States 0..3: White short, Black short, White long, Black long
  const int attendus[4] = {ROQUE_POSSIBLE, ROQUE_PERDU, ROQUE_PERDU, ROQUE_POSSIBLE};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(e.roque[i], attendus[i]) << i;
  ASSERT_EQ(e.LitForsythe("r3k2r/8/8/8/8/8/8/R3K2R w qK -"), 0);
  EXPECT_EQ(e.roque[3], ROQUE_POSSIBLE);
  EXPECT_EQ(e.roque[0], ROQUE_PERDU);
}

TEST(Fen, TheCastlingFieldIsAuthoritative) {
  CEchiquier e;
  // King and rooks at home but no letter: never castle
  ASSERT_EQ(e.LitForsythe("r3k2r/8/8/8/8/8/8/R3K2R w - -"), 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(e.roque[i], ROQUE_PERDU) << i;
  EXPECT_FALSE(dans_liste(e, ROQUE_BLANC_PETIT));
  EXPECT_FALSE(dans_liste(e, ROQUE_BLANC_GRAND));
  // Letters without the king or rook at home are not honoured
  ASSERT_EQ(e.LitForsythe("1r2k2r/8/8/8/8/8/8/R4K1R w KQkq -"), 0);
  EXPECT_NE(e.roque[0], ROQUE_POSSIBLE);
  EXPECT_NE(e.roque[2], ROQUE_POSSIBLE);
  EXPECT_EQ(e.roque[1], ROQUE_POSSIBLE);
  EXPECT_EQ(e.roque[3], ROQUE_PERDU);
  // Two rooks on one wing: the corner rook still castles
  ASSERT_EQ(e.LitForsythe("4k3/8/8/8/8/8/8/4KR1R w K -"), 0);
  EXPECT_EQ(e.roque[0], ROQUE_POSSIBLE);
  EXPECT_EQ(e.pos_piece[3], case_nommee("h1"));
  ASSERT_EQ(e.Joue(coup_texte("f1f4")), 0);
  ASSERT_EQ(e.Joue(coup_texte("e8d8")), 0);
  EXPECT_TRUE(dans_liste(e, ROQUE_BLANC_PETIT));
  EXPECT_EQ(e.Joue(ROQUE_BLANC_PETIT), 0);
  EXPECT_EQ(e.echiquier[case_nommee("f1")], 3);
}

TEST(Fen, AnEnPassantSquareListsTheCapture) {
  CEchiquier e;
  ASSERT_EQ(e.LitForsythe("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3"), 0);
  EXPECT_TRUE(dans_liste(e, coup_texte("e5f6") | PRISE_EN_PASSANT));
  EXPECT_FALSE(dans_liste(e, coup_texte("e5d6") | PRISE_EN_PASSANT));
  EXPECT_EQ(fen(e), "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6");
  EXPECT_STREQ(e.fen_depart, "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6");
  EXPECT_EQ(e.Joue(coup_texte("e5f6")), 0);
  EXPECT_EQ(e.echiquier[case_nommee("f5")], VIDE);
  // Black to move, and a square no pawn has passed
  ASSERT_EQ(e.LitForsythe("4k3/8/8/8/3pP3/8/8/4K3 b - e3"), 0);
  EXPECT_TRUE(dans_liste(e, coup_texte("d4e3") | PRISE_EN_PASSANT));
  ASSERT_EQ(e.LitForsythe("4k3/8/8/8/3p4/8/8/4K3 b - e3"), 0);
  EXPECT_FALSE(dans_liste(e, coup_texte("d4e3") | PRISE_EN_PASSANT));
  ASSERT_EQ(e.LitForsythe("4k3/8/8/3pP3/8/8/8/4K3 w - d3"), 0);
  EXPECT_FALSE(dans_liste(e, coup_texte("e5d6") | PRISE_EN_PASSANT));
}

TEST(Fen, HostileTextsNeverLeaveABoardThatCanBePlayed) {
  const std::string longue = std::string(300, '1') + " w";
  const std::string bruit = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq " + std::string(500, 'x');
  const char nul[] = "rnbqkbnr/pppp\0ppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
  for (const char* t : {"", "   ", "8/8", "rnbqkbnr/pppppppp/8/8", "99999999", "KKKKKKKK/8/8/8/8/8/8/k7 w",
                        "4k3/pppppppp/p7/8/8/8/8/4K3 w - -", "P3k3/8/8/8/8/8/8/4K3 w - -",
                        "4k3/8/8/8/8/8/8/4K2p b - -", longue.c_str(), nul, "\xff\xfe\x01/////////"}) {
    // A refused text leaves the game before it, here the initial position
    CEchiquier e;
    e.Coup1();
    const int r = e.LitForsythe(t);
    EXPECT_NE(r, 0) << t;
    EXPECT_NE(std::string(e.MotifEchec()), "") << t;
    EXPECT_EQ(e.fin_partie, 0) << t;
    EXPECT_EQ(fen(e), DEPART) << t;
    EXPECT_EQ(e.Joue(coup_texte("e2e4")), 0) << t;
  }
  // Extra characters and odd fields are read as far as they go
  CEchiquier e;
  EXPECT_EQ(e.LitForsythe(bruit.c_str()), 0);
  EXPECT_EQ(fen(e), DEPART);
  EXPECT_EQ(e.LitForsythe("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR"), 0);
  EXPECT_EQ(e.trait, BLANCS);
  EXPECT_EQ(e.roque[0], ROQUE_PERDU);
  EXPECT_EQ(e.LitForsythe("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq zz"), 0);
  EXPECT_EQ(e.trait, NOIRS);
  // A rank with too many squares runs over into the next one
  EXPECT_EQ(e.LitForsythe("4k4/8/8/8/8/8/8/4K3 w - -"), 0);
  EXPECT_EQ(e.pos_piece[16], case_nommee("e8"));
}

// Move paths through set-ups whose FEN has no en passant square.
struct CAS_PERFT {
  const char* fen;
  uint64_t feuilles[3];
};

class PerftFen : public ::testing::TestWithParam<CAS_PERFT> {};

TEST_P(PerftFen, LeafCountsMatch) {
  CEchiquier e;
  ASSERT_EQ(e.LitForsythe(GetParam().fen), 0);
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(perft(e, n), GetParam().feuilles[n - 1]) << n;
}

INSTANTIATE_TEST_SUITE_P(
    Positions, PerftFen,
    ::testing::Values(
        CAS_PERFT{"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", {48, 2039, 97862}},
        CAS_PERFT{"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", {14, 191, 2812}},
        CAS_PERFT{"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", {6, 264, 9467}},
        CAS_PERFT{"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", {6, 264, 9467}},
        CAS_PERFT{"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", {44, 1486, 62379}},
        CAS_PERFT{"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
                  {46, 2079, 89890}}),
    [](const ::testing::TestParamInfo<CAS_PERFT>& i) { return "Position" + std::to_string(i.index + 1); });
