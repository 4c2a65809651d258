// Writing moves and principal variations as text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board/echiquier.h"
#include "notation/coordonnees.h"
#include "notation/san.h"
#include "outils.h"
#include "search/globals.h"
#include "search/rapport.h"

class Ecriture : public ::testing::Test {
 protected:
  void SetUp() override {
    avant = lettres_pieces;
    lettres_pieces = LETTRES_ANGLAISES;
  }
  void TearDown() override { lettres_pieces = avant; }
  // SAN of a move (coordinate text) in the position of a FEN text.
  std::string ext(const char* fen, const char* coup) {
    EXPECT_EQ(e.LitForsythe(fen), 0) << fen;
    char t[16];
    e.CoupExt(t, coup_texte(coup));
    return t;
  }
  const char* avant;
  CEchiquier e;
};

TEST_F(Ecriture, CoupAsciiCastlingPromotionAndEnPassant) {
  char t[16] = "garbage";
  e.CoupAscii(t, ROQUE_BLANC_PETIT);
  EXPECT_STREQ(t, "O-O");
  e.CoupAscii(t, ROQUE_NOIR_GRAND);
  EXPECT_STREQ(t, "O-O-O");
  e.CoupAscii(t, coup_texte("e7e8q"));
  EXPECT_STREQ(t, "e7e8Q");
  lettres_pieces = LETTRES_FRANCAISES;
  e.CoupAscii(t, coup_texte("e7e8q"));
  EXPECT_STREQ(t, "e7e8D");
  e.CoupAscii(t, coup_texte("a2a1n"));
  EXPECT_STREQ(t, "a2a1C");
  e.CoupAscii(t, coup_texte("e5d6") | PRISE_EN_PASSANT);
  EXPECT_STREQ(t, "e5d6");
}

TEST_F(Ecriture, DisambiguationTakesTheFileThenTheRank) {
  const struct {
    const char *fen, *coup, *texte;
  } cas[] = {
      {"4k3/8/8/8/8/5N2/8/1N2K3 w - -", "b1d2", "Nbd2 "},
      {"4k3/8/8/8/8/5N2/8/1N2K3 w - -", "f3d2", "Nfd2 "},
      {"4k3/8/8/R7/8/8/8/R3K3 w - -", "a1a3", "R1a3 "},
      {"4k3/8/8/R7/8/8/8/R3K3 w - -", "a5a3", "R5a3 "},
      // The other knight is pinned: no disambiguation
      {"4r1k1/8/8/8/8/8/4N3/1N2K3 w - -", "b1c3", "Nc3 "},
  };
  for (const auto& c : cas) EXPECT_EQ(ext(c.fen, c.coup), c.texte) << c.fen << " " << c.coup;
}

TEST_F(Ecriture, CapturesPromotionsAndCastling) {
  EXPECT_EQ(ext("4k3/8/8/3p4/4P3/8/8/4K3 w - -", "e4d5"), "exd5 ");
  EXPECT_EQ(ext("4k3/8/8/3p4/4P3/8/8/4K3 w - -", "e4e5"), "e5 ");
  EXPECT_EQ(ext("4k3/8/8/8/8/2n5/1P1B4/4K3 w - -", "d2c3"), "Bxc3 ");
  EXPECT_EQ(ext("3r3k/4P3/8/8/8/8/8/4K3 w - -", "e7d8q"), "exd8=Q ");
  EXPECT_EQ(ext("3r3k/4P3/8/8/8/8/8/4K3 w - -", "e7e8n"), "e8=N ");
  // A promotion given without its piece, a move not in the list
  EXPECT_EQ(ext("3r3k/4P3/8/8/8/8/8/4K3 w - -", "e7d8"), "");
  EXPECT_EQ(ext("3r3k/4P3/8/8/8/8/8/4K3 w - -", "e1e3"), "");
  EXPECT_EQ(ext("3r3k/4P3/8/8/8/8/8/4K3 w - -", "a1a2"), "");
  // Castling given as the king's plain move comes from the list's kind
  EXPECT_EQ(ext("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "e1g1"), "O-O ");
  EXPECT_EQ(ext("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "e8c8"), "O-O-O ");
  lettres_pieces = LETTRES_FRANCAISES;
  EXPECT_EQ(ext("4k3/8/8/8/8/5N2/8/1N2K3 w - -", "b1d2"), "Cbd2 ");
}

TEST_F(Ecriture, EnPassantIsWrittenAsACapture) {
  e.Coup1();
  ASSERT_EQ(joue_suite(e, "e2e4 a7a6 e4e5 d7d5"), 0);
  char t[16];
  e.CoupExt(t, coup_texte("e5d6"));
  EXPECT_STREQ(t, "exd6 ");
}

TEST_F(Ecriture, VariationInAlgebraicText) {
  e.Coup1();
  uint32_t pv[LONGUEUR_PV] = {coup_texte("e2e4"), coup_texte("e7e5"), coup_texte("g1f3"),
                              coup_texte("b8c6"), coup_texte("f1b5"), coup_texte("a7a6"), 0};
  char t[256] = "";
  ecrit_san_variante(t, sizeof t, pv, 0, e.trait, e.liste_coups, *e.emp);
  EXPECT_STREQ(t, "e4 e5 Nf3 Nc6 Bb5 a6 ");
  // The board's state is left as it was
  EXPECT_EQ(e.emp->echiquier[case_nommee("e2")], 12);
  // From a later index, appended to what the buffer holds
  ASSERT_EQ(e.Joue(pv[0]), 0);
  std::strcpy(t, "+0.25 3 ");
  ecrit_san_variante(t, sizeof t, pv, 1, NOIRS, e.liste_coups, *e.emp);
  EXPECT_STREQ(t, "+0.25 3 e5 Nf3 Nc6 Bb5 a6 ");
}

TEST_F(Ecriture, VariationStopsAtIllegalMovesAtTheEndAndAtThirtyOneMoves) {
  e.Coup1();
  uint32_t pv[LONGUEUR_PV] = {coup_texte("e2e4"), coup_texte("e2e4"), coup_texte("g1f3"), 0};
  char t[256] = "";
  ecrit_san_variante(t, sizeof t, pv, 0, e.trait, e.liste_coups, *e.emp);
  EXPECT_STREQ(t, "e4 ");

  // 32 non-zero entries: only 31 are written
  const char* aller[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
  for (int i = 0; i < LONGUEUR_PV; ++i) pv[i] = coup_texte(aller[i % 4]);
  t[0] = 0;
  ecrit_san_variante(t, sizeof t, pv, 0, e.trait, e.liste_coups, *e.emp);
  int jetons = 0;
  for (const char* c = t; *c; ++c) jetons += *c == ' ';
  EXPECT_EQ(jetons, 31);

  // A small buffer takes whole tokens only
  char court[10] = "";
  ecrit_san_variante(court, sizeof court, pv, 0, e.trait, e.liste_coups, *e.emp);
  EXPECT_STREQ(court, "Nf3 Nf6 ");
}

TEST_F(Ecriture, VariationInCoordinateText) {
  uint32_t pv[LONGUEUR_PV] = {coup_texte("e2e4"), ROQUE_NOIR_PETIT, coup_texte("a7a8q"), 0};
  char t[64] = "old text";
  ecrit_coordonnees_variante(t, sizeof t, pv);
  EXPECT_STREQ(t, "e2e4 O-O a7a8Q ");
}

TEST_F(Ecriture, CoupAnalyseReadsTheCurrentLineUnderTheReportContext) {
  e.Coup1();
  copie_pv(pv_courante, std::vector<uint32_t>(LONGUEUR_PV, 0).data());
  char t[16] = "x";
  e.CoupAnalyse(t);
  EXPECT_STREQ(t, "");
  pv_courante[0] = coup_texte("g1f3") | 0x12340000u;  // a score in the high half is ignored
  e.CoupAnalyse(t);
  EXPECT_STREQ(t, "Nf3 ");

  // Pondering points the context at another position
  CEchiquier autre;
  ASSERT_EQ(autre.LitForsythe("4k3/8/8/8/8/5N2/8/1N2K3 w - -"), 0);
  pv_courante[0] = coup_texte("b1d2");
  fixe_contexte_rapport(autre.emp, autre.liste_coups, &autre.trait);
  e.CoupAnalyse(t);
  fixe_contexte_rapport(nullptr, nullptr, nullptr);
  EXPECT_STREQ(t, "Nbd2 ");
  pv_courante[0] = 0;
}

TEST_F(Ecriture, GetCurrentMoveWritesTheRootMove) {
  char t[16] = "x";
  echange_atomique(coup_courant, int32_t(coup_texte("e2e4")));
  EXPECT_EQ(e.GetCurrentMove(t), coup_texte("e2e4"));
  EXPECT_STREQ(t, "e2e4");
  echange_atomique(coup_courant, 0);
  EXPECT_EQ(e.GetCurrentMove(t), 0u);
  EXPECT_STREQ(t, "");
}
