#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "board/echiquier.h"
#include "board/movegen.h"
#include "board/tables.h"
#include "outils.h"

namespace {
int nb_legaux(const uint32_t* l) {
  int n = 0;
  for (; *l; ++l) n += !(*l & COUP_ILLEGAL);
  return n;
}
bool contient(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}
}  // namespace

TEST(Tables, RaysRunNearestFirstWithSkipsToTheEndOfTheRay) {
  CEchiquier e;
  // Rook on a1: first ray +8 (a2..a8, 7 squares), then +1 (b1..h1).
  EXPECT_EQ(Tdep[TOUR][0][0].cible, 8);
  EXPECT_EQ(Tdep[TOUR][0][0].saut, 7);
  EXPECT_EQ(Tdep[TOUR][0][6].cible, 56);
  EXPECT_EQ(Tdep[TOUR][0][6].saut, 1);
  EXPECT_EQ(Tdep[TOUR][0][7].cible, 1);
  EXPECT_EQ(Tdep[TOUR][0][14].cible, -1);
  // Knight on a1: only +10 (c2) and +17 (b3), in the direction order.
  EXPECT_EQ(Tdep[CAVALIER][0][0].cible, 10);
  EXPECT_EQ(Tdep[CAVALIER][0][1].cible, 17);
  EXPECT_EQ(Tdep[CAVALIER][0][2].cible, -1);
  // Knight on h1 does not wrap to the a-file.
  for (int i = 0; Tdep[CAVALIER][7][i].cible >= 0; ++i)
    EXPECT_GE(colonne(Tdep[CAVALIER][7][i].cible), 5);
}

TEST(Tables, PawnStepsAndDirections) {
  CEchiquier e;
  const PAS_PION* p = TdepPion[0][case_nommee("e2")];
  EXPECT_EQ(p[0].cible, case_nommee("e3"));
  EXPECT_EQ(p[0].saut, 2);
  EXPECT_EQ(p[1].cible, case_nommee("e4"));
  EXPECT_EQ(p[2].cible, case_nommee("d3"));
  EXPECT_EQ(p[3].cible, case_nommee("f3"));
  EXPECT_EQ(p[4].cible, -1);
  const PAS_PION* q = TdepPion[1][case_nommee("a2")];
  EXPECT_EQ(q[0].cible, case_nommee("a1"));
  EXPECT_EQ(q[0].drapeaux, 3);
  EXPECT_EQ(q[1].cible, case_nommee("b1"));
  EXPECT_EQ(q[1].drapeaux, 2);
  EXPECT_EQ(Tdirection[0][63], 9);
  EXPECT_EQ(Tdirection[63][0], -9);
  EXPECT_EQ(Tdirection[0][17], 17);
  EXPECT_EQ(Tdirection[7][8], 0);  // h1 and a2 are not on one line
  EXPECT_EQ(Tdirection[5][5], 0);
  EXPECT_EQ(Tgenre[8], 1);
  EXPECT_EQ(Tgenre[9], 2);
  EXPECT_EQ(Tgenre[15], 3);
  EXPECT_EQ(Tdistance[0][63], 7);
}

TEST(Generation, InitialPositionListsTwentyMovesInFixedOrder) {
  CEchiquier e;
  e.Coup1();
  const std::vector<std::string> attendu = {
      "b1c3", "b1a3", "g1h3", "g1f3", "a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4",
      "d2d3", "d2d4", "e2e3", "e2e4", "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4"};
  EXPECT_EQ(textes_liste(e.liste_coups), attendu);
}

TEST(Generation, EnPassantIsListedOnlyRightAfterTheDoubleStep) {
  CEchiquier e;
  e.Coup1();
  ASSERT_EQ(joue_suite(e, "e2e4 d7d5 e4e5 f7f5"), 0);
  bool trouve = false;
  for (const uint32_t* l = e.liste_coups; *l; ++l)
    if ((*l & 0xffff) == (coup_texte("e5f6") | PRISE_EN_PASSANT)) trouve = true;
  EXPECT_TRUE(trouve);
  ASSERT_EQ(joue_suite(e, "b1c3 b8c6"), 0);
  EXPECT_FALSE(contient(textes_liste(e.liste_coups), "e5f6"));
}

TEST(Generation, PinnedPiecesKeepOnlyTheMovesAlongTheirLine) {
  CEchiquier e;
  // The e2 rook is pinned by the e8 rook, the d2 bishop by the b4 bishop;
  // the f2 pawn is shielded by the g3 pawn from the h4 queen.
  place_fen(e, "k3r3/8/8/8/1b5q/6P1/3BRP2/4K3 w -");
  const auto v = textes_liste(e.liste_coups);
  for (const char* c : {"e2e5", "e2e8", "d2c3", "d2b4", "d2e3?", "f2f3", "f2f4"}) EXPECT_TRUE(contient(v, c)) << c;
  // In check from the b4 bishop once d2 has gone, only answers to the check are legal
  place_fen(e, "k3r3/8/8/8/1b6/8/4R3/4K3 w -");
  const auto w = textes_liste(e.liste_coups);
  for (const char* c : {"e2e5?", "e1f1", "e1d1", "e1d2?"}) EXPECT_TRUE(contient(w, c)) << c;
}

TEST(Generation, PinnedPieceMovesAreMarkedAndShownWithQuestionMark) {
  CEchiquier e;
  e.Coup1();
  ASSERT_EQ(joue_suite(e, "e2e4 e7e5 d2d4 f8b4"), 0);  // the c3 knight would be pinned
  ASSERT_EQ(joue_suite(e, "b1c3 a7a6"), 0);
  const auto v = textes_liste(e.liste_coups);
  EXPECT_TRUE(contient(v, "c3d5?"));
  EXPECT_TRUE(contient(v, "c3b5?"));
  char* textes[TAILLE_LISTE_COUPS];
  ASSERT_EQ(e.ListeCoups(textes), 0);
  bool vu = false;
  for (char** t = textes; *t; ++t) {
    if (std::string(*t) == "c3d5?") vu = true;
    delete[] *t;
  }
  EXPECT_TRUE(vu);
}

TEST(Generation, CastlingListedAndMarkedWhenThePassedSquareIsAttacked) {
  CEchiquier e;
  place_pieces(e, {{0, ROI, case_nommee("e1")}, {3, TOUR, case_nommee("h1")},
                   {16, ROI, case_nommee("e8")}},
               BLANCS);
  e.roque[0] = ROQUE_POSSIBLE;
  e.CopieEmp(e.emp);
  genere_blancs(e.liste_coups, 0, 0, e.emp);
  EXPECT_TRUE(contient(textes_liste(e.liste_coups), "e1g1"));

  // A black rook on f8 attacks f1: castling stays in the list, marked.
  place_pieces(e, {{0, ROI, case_nommee("e1")}, {3, TOUR, case_nommee("h1")},
                   {16, ROI, case_nommee("a8")}, {19, TOUR, case_nommee("f8")}},
               BLANCS);
  e.roque[0] = ROQUE_POSSIBLE;
  e.CopieEmp(e.emp);
  genere_blancs(e.liste_coups, 0, 0, e.emp);
  EXPECT_TRUE(contient(textes_liste(e.liste_coups), "e1g1?"));
}

TEST(Generation, MateAndStalemateResults) {
  CEchiquier e;
  // Back-rank mate: black king h8, pawns g7 h7, white rook on a8.
  EXPECT_EQ(place_pieces(e, {{0, ROI, case_nommee("a1")}, {2, TOUR, case_nommee("a8")},
                             {16, ROI, case_nommee("h8")}, {30, PION_NOIR, case_nommee("g7")},
                             {31, PION_NOIR, case_nommee("h7")}},
                         NOIRS),
            RESULTAT_MAT);
  EXPECT_EQ(nb_legaux(e.liste_coups), 0);
  // Stalemate: black king a8, white queen b6, white king c1.
  EXPECT_EQ(place_pieces(e, {{0, ROI, case_nommee("c1")}, {1, DAME, case_nommee("b6")},
                             {16, ROI, case_nommee("a8")}},
                         NOIRS),
            RESULTAT_PAT);
}

TEST(Generation, SideNotToMoveInCheckIsReportedByTheEmptyMoveTest) {
  CEchiquier e;
  place_pieces(e, {{0, ROI, case_nommee("e1")}, {1, DAME, case_nommee("e5")},
                   {16, ROI, case_nommee("e8")}},
               BLANCS);
  // White to move while the black king stands in check: illegal position.
  EXPECT_EQ(genere_blancs(nullptr, 0, 0, e.emp), COUP_ILLEGAL);
  EXPECT_EQ(genere_noirs(nullptr, 0, 0, e.emp), 0u);
}

TEST(Generation, CapturesOnlyModeKeepsCapturesPromotionsAndEnPassant) {
  CEchiquier e;
  place_pieces(e, {{0, ROI, case_nommee("e1")}, {3, TOUR, case_nommee("h1")},
                   {8, PION_BLANC, case_nommee("a7")}, {9, PION_BLANC, case_nommee("d2")},
                   {16, ROI, case_nommee("g8")}, {22, CAVALIER, case_nommee("c3")}},
               BLANCS);
  e.roque[0] = ROQUE_POSSIBLE;
  e.CopieEmp(e.emp);
  uint32_t liste[TAILLE_LISTE_COUPS];
  EMPILAGE w = *e.emp;
  genere_blancs(liste, 0, 1, &w);
  const auto v = textes_liste(liste);
  for (const char* c : {"a7a8q", "a7a8n", "d2c3"}) EXPECT_TRUE(contient(v, c)) << c;
  for (const char* c : {"d2d3", "d2d4", "e1g1", "h1h2"}) EXPECT_FALSE(contient(v, c)) << c;
  // Promotions come queen, rook, bishop, knight.
  auto q = std::find(v.begin(), v.end(), "a7a8q");
  ASSERT_NE(q, v.end());
  ASSERT_LT(q + 3, v.end());
  EXPECT_EQ(*(q + 1), "a7a8r");
  EXPECT_EQ(*(q + 2), "a7a8b");
  EXPECT_EQ(*(q + 3), "a7a8n");
}

TEST(Generation, FifteenQueensNeverOverflowTheList) {
  CEchiquier e;
  // The black king sits behind its own men, out of every queen's reach.
  std::vector<PIECE_PLACEE> p = {{0, ROI, 0},           {16, ROI, 63},
                                 {30, PION_NOIR, 54},   {31, PION_NOIR, 55},
                                 {22, CAVALIER, 62}};
  // Queens spread over ranks 1 to 6 so that they block each other little.
  const int cases[15] = {2, 5, 11, 14, 17, 20, 24, 27, 30, 33, 36, 39, 42, 45, 40};
  for (int i = 0; i < 15; ++i) p.push_back({1 + i, DAME, cases[i]});
  ASSERT_EQ(place_pieces(e, p, BLANCS), 0u);
  int n = 0;
  while (e.liste_coups[n]) ++n;
  EXPECT_GT(n, 119);
  EXPECT_LT(n, TAILLE_LISTE_COUPS);
}

TEST(Generation, GeneratorKeepsMaterialAndCountsWhenCapturing) {
  CEchiquier e;
  e.Coup1();
  e.emp->materiel = 0;
  e.emp->nb_pions_noirs = 8;
  e.emp->nb_pieces_noires = 7;
  ASSERT_EQ(joue_suite(e, "e2e4 d7d5"), 0);
  const int avant = e.emp->materiel;
  ASSERT_EQ(joue_suite(e, "e4d5"), 0);
  EXPECT_EQ(e.emp->materiel, avant + 400);
  EXPECT_EQ(e.emp->nb_pions_noirs, 7);
  EXPECT_EQ(e.emp->coup_precedent >> 16, uint32_t(27));  // the d7 pawn's slot
}

TEST(Generation, IllegalMoveLeavesTheStateAsItWasAndALegalOneIsApplied) {
  CEchiquier e;
  // White: king e1, rook h1 with the king-side right, bishop e2 pinned by
  // the rook on e8; the rook on f8 covers f1.
  place_pieces(e, {{0, ROI, case_nommee("e1")}, {3, TOUR, case_nommee("h1")}, {4, FOU, case_nommee("e2")},
                   {16, ROI, case_nommee("a8")}, {18, TOUR, case_nommee("e8")}, {19, TOUR, case_nommee("f8")}},
               BLANCS);
  e.roque[0] = ROQUE_POSSIBLE;
  e.CopieEmp(e.emp);
  uint32_t liste[TAILLE_LISTE_COUPS];
  const EMPILAGE avant = *e.emp;
  EMPILAGE w = avant;
  const uint32_t hors_ligne = cree_coup(case_nommee("e2"), case_nommee("d3"));
  for (const uint32_t coup : {hors_ligne, ROQUE_BLANC_PETIT}) {
    EXPECT_EQ(genere_noirs(liste, coup, 0, &w), coup | COUP_ILLEGAL) << coup;
    EXPECT_EQ(std::memcmp(&w, &avant, sizeof w), 0) << coup;
  }
  const uint32_t le_long = cree_coup(case_nommee("e2"), case_nommee("e3"));
  EXPECT_EQ(genere_noirs(liste, le_long, 0, &w), le_long);
  EXPECT_EQ(w.pos_piece[4], case_nommee("e3"));
  EXPECT_EQ(w.echiquier[case_nommee("e2")], VIDE);
  EXPECT_EQ(w.echiquier[case_nommee("e3")], 4);
  EXPECT_EQ(w.coup_precedent, (uint32_t(VIDE) << 16) | le_long);  // nothing captured
  EXPECT_GT(nb_legaux(liste), 0);
}
