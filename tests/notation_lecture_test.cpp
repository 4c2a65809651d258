// Reading coordinate, castling and algebraic move text.
#include <gtest/gtest.h>

#include <string>

#include "board/echiquier.h"
#include "notation/lecture.h"
#include "outils.h"

namespace {

uint32_t coord(std::string texte, int trait = BLANCS) { return lit_coup_coordonnees(texte.data(), trait); }

// Reads algebraic text in the position of a FEN text.
uint32_t san(const std::string& fen, std::string texte) {
  CEchiquier e;
  EXPECT_EQ(e.LitForsythe(fen.c_str()), 0) << fen;
  return lit_coup_san(texte.data(), e.trait, e.liste_coups, *e.emp);
}

const char* const DEPART = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

}  // namespace

TEST(LectureCoordonnees, SquaresPromotionsAndEnPassant) {
  EXPECT_EQ(coord("e2e4"), coup_texte("e2e4"));
  EXPECT_EQ(coord("e2e4+"), coup_texte("e2e4"));
  EXPECT_EQ(coord("h7h8 "), coup_texte("h7h8"));
  for (const char* t : {"e7e8q", "E7E8=Q", "e7e8d", "e7e8=d"}) EXPECT_EQ(coord(t), coup_texte("e7e8q")) << t;
  EXPECT_EQ(coord("a2a1r"), coup_texte("a2a1r"));
  EXPECT_EQ(coord("a2a1t"), coup_texte("a2a1r"));
  EXPECT_EQ(coord("b7b8f"), coup_texte("b7b8b"));
  EXPECT_EQ(coord("b7b8=N"), coup_texte("b7b8n"));
  EXPECT_EQ(coord("b7b8c"), coup_texte("b7b8n"));
  EXPECT_EQ(coord("e5d6ep"), coup_texte("e5d6") | PRISE_EN_PASSANT);
  // A letter that names no piece, or "=" with nothing after it, is no promotion
  EXPECT_EQ(coord("e7e8x"), coup_texte("e7e8"));
  EXPECT_EQ(coord("e7e8="), coup_texte("e7e8"));
  EXPECT_EQ(coord("e7e8e"), coup_texte("e7e8"));
}

TEST(LectureCoordonnees, RejectsWhatIsNotAMove) {
  for (const char* t : {"e9e4", "e2e", "i2e4", "e0e4", "", "e", "22e4", "HINT", "GO", "OO", "OTIM 100",
                        "0-", "O", "O-", "XBOARD"})
    EXPECT_EQ(coord(t), 0u) << t;
}

TEST(LectureCoordonnees, CastlingForEitherSide) {
  for (const char* t : {"O-O", "o-o", "0-0", "O-O+", "0-0 "}) {
    EXPECT_EQ(coord(t, BLANCS), ROQUE_BLANC_PETIT) << t;
    EXPECT_EQ(coord(t, NOIRS), ROQUE_NOIR_PETIT) << t;
  }
  for (const char* t : {"O-O-O", "0-0-0", "o-o-o+"}) {
    EXPECT_EQ(coord(t, BLANCS), ROQUE_BLANC_GRAND) << t;
    EXPECT_EQ(coord(t, NOIRS), ROQUE_NOIR_GRAND) << t;
  }
  EXPECT_EQ(coord("O-O-"), 0u);
  EXPECT_EQ(coord("0-O"), 0u);
}

TEST(LectureCoordonnees, UpperCasesInPlaceEvenOnFailure) {
  char a[] = "e7e8q";
  lit_coup_coordonnees(a, BLANCS);
  EXPECT_STREQ(a, "E7E8Q");
  char b[] = "nonsense";
  EXPECT_EQ(lit_coup_coordonnees(b, BLANCS), 0u);
  EXPECT_STREQ(b, "NONSENSE");
}

TEST(LectureSan, PieceAndPawnMovesOfTheInitialPosition) {
  EXPECT_EQ(san(DEPART, "Nf3"), coup_texte("g1f3"));
  EXPECT_EQ(san(DEPART, "Nf3+"), coup_texte("g1f3"));
  EXPECT_EQ(san(DEPART, "Ngf3!?"), coup_texte("g1f3"));
  EXPECT_EQ(san(DEPART, "e4"), coup_texte("e2e4"));
  EXPECT_EQ(san(DEPART, "a3"), coup_texte("a2a3"));
  EXPECT_EQ(san(DEPART, "Nc3"), coup_texte("b1c3"));
  // No piece can go there
  EXPECT_EQ(san(DEPART, "Nd4"), 0u);
  EXPECT_EQ(san(DEPART, "e5"), 0u);
  EXPECT_EQ(san(DEPART, "Ke2"), 0u);
}

TEST(LectureSan, DisambiguationByFileOrRank) {
  const char* cavaliers = "1n2k3/8/5n2/8/8/8/8/4K3 b - -";
  EXPECT_EQ(san(cavaliers, "Nd7"), 0u);  // two knights reach d7
  EXPECT_EQ(san(cavaliers, "Nbd7"), coup_texte("b8d7"));
  EXPECT_EQ(san(cavaliers, "Nfd7"), coup_texte("f6d7"));
  EXPECT_EQ(san(cavaliers, "Nfxd7"), coup_texte("f6d7"));
  const char* tours = "k7/8/8/8/8/4R3/8/4R1K1 w - -";
  EXPECT_EQ(san(tours, "Re2"), 0u);
  EXPECT_EQ(san(tours, "R1e2"), coup_texte("e1e2"));
  EXPECT_EQ(san(tours, "R3e2"), coup_texte("e3e2"));
}

TEST(LectureSan, APinnedKnightLeavesTheOtherUnambiguous) {
  // The e2 knight is pinned by the rook on e8: only the b1 knight reaches c3
  EXPECT_EQ(san("4r1k1/8/8/8/8/8/4N3/1N2K3 w - -", "Nc3"), coup_texte("b1c3"));
}

TEST(LectureSan, PawnCapturesAndPieceLettersAreToldApart) {
  const char* p = "4k3/8/8/3p4/4P3/8/8/4K3 w - -";
  EXPECT_EQ(san(p, "exd5"), coup_texte("e4d5"));
  EXPECT_EQ(san(p, "exd"), coup_texte("e4d5"));
  EXPECT_EQ(san(p, "e5"), coup_texte("e4e5"));
  const char* b = "4k3/8/8/8/8/2n5/1P1B4/4K3 w - -";
  EXPECT_EQ(san(b, "bxc3"), coup_texte("b2c3"));
  EXPECT_EQ(san(b, "Bxc3"), coup_texte("d2c3"));
}

TEST(LectureSan, Promotions) {
  const char* p = "3r3k/4P3/8/8/8/8/8/4K3 w - -";
  EXPECT_EQ(san(p, "e8=Q"), coup_texte("e7e8q"));
  EXPECT_EQ(san(p, "e8=N+"), coup_texte("e7e8n"));
  EXPECT_EQ(san(p, "e8=D"), coup_texte("e7e8q"));  // French letter after "="
  EXPECT_EQ(san(p, "exd8=R"), coup_texte("e7d8r"));
  EXPECT_EQ(san(p, "e8Q"), 0u);  // four promotions fit and no "="
}

TEST(LectureSan, CastlingAndEnPassant) {
  const char* roques = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -";
  EXPECT_EQ(san(roques, "O-O"), ROQUE_NOIR_PETIT);
  EXPECT_EQ(san(roques, "0-0-0"), ROQUE_NOIR_GRAND);

  CEchiquier e;
  e.Coup1();
  ASSERT_EQ(joue_suite(e, "e2e4 a7a6 e4e5 d7d5"), 0);
  std::string t = "exd6";
  const uint32_t m = lit_coup_san(t.data(), e.trait, e.liste_coups, *e.emp);
  EXPECT_EQ(m, coup_texte("e5d6"));
  EXPECT_EQ(e.Joue(m), 0);
  EXPECT_EQ(e.echiquier[case_nommee("d5")], VIDE);  // the passed pawn is taken
}

TEST(LectureSan, HostileTextReadsNothingAndStaysInItsBuffer) {
  const std::string longue(300, 'X');
  for (std::string t : {std::string(""), std::string("N"), std::string("Nx"), std::string("NX"),
                        std::string("N="), std::string("e"), std::string("x"), std::string("="),
                        std::string("Z9"), std::string("Qz9"), std::string("e+"), std::string("e9"),
                        std::string("Nf"), std::string("Nf9"), std::string("N?f3"), std::string("exx"),
                        std::string("e8="), longue, std::string("K\x01\x02"), std::string("\xff\xfe")}) {
    EXPECT_EQ(san(DEPART, t), 0u) << t;
  }
  EXPECT_EQ(type_lettre('N'), CAVALIER);
  EXPECT_EQ(type_lettre('C'), -1);  // French letters are not read here
}
