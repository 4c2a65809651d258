// Placing pieces, castling states and completing a set-up.
#include <gtest/gtest.h>

#include <cstring>

#include "board/echiquier.h"
#include "outils.h"
#include "search/globals.h"

// Moves a king of the set-up (slot 0 or 16) from its square to `vers`.
static void deplace_roi(CEchiquier& e, int slot, const char* vers) {
  e.echiquier[e.pos_piece[slot]] = VIDE;
  e.pos_piece[slot] = case_nommee(vers);
  e.echiquier[case_nommee(vers)] = slot;
}

class Installation : public ::testing::Test {
 protected:
  void SetUp() override {
    e.AlloueHashTable(13);
    e.Raz();
    e.Coup1();
    e.PositionVide();
  }
  int piece(int couleur, int type, const char* c) { return e.AjoutePiece(couleur, type, case_nommee(c)); }
  int pion(int couleur, const char* c) { return e.AjoutePion(couleur, case_nommee(c)); }
  int legaux() {
    int n = 0;
    for (const uint32_t* l = e.liste_coups; *l; ++l) n += !(*l & COUP_ILLEGAL);
    return n;
  }
  CEchiquier e;
};

TEST_F(Installation, PositionVideKeepsOnlyTheKings) {
  EXPECT_EQ(e.pos_piece[0], case_nommee("e1"));
  EXPECT_EQ(e.pos_piece[16], case_nommee("e8"));
  int occupees = 0;
  for (int q = 0; q < 64; ++q) occupees += e.echiquier[q] != VIDE;
  EXPECT_EQ(occupees, 2);
  for (int s = 1; s < 32; ++s) {
    if (s != 16) {
      EXPECT_EQ(e.pos_piece[s], -1) << s;
    }
  }
  EXPECT_EQ(piece(BLANCS, ROI, "d4"), -1);
  EXPECT_EQ(piece(NOIRS, ROI, "d5"), -1);
  EXPECT_EQ(e.pos_piece[0], case_nommee("e1"));
}

TEST_F(Installation, PositionDebutIsTheInitialPlacement) {
  CEchiquier reference;
  ASSERT_EQ(piece(BLANCS, DAME, "a5"), 1);
  e.PositionDebut();
  EXPECT_EQ(0, std::memcmp(e.pos_piece, reference.pos_piece, sizeof e.pos_piece));
  EXPECT_EQ(0, std::memcmp(e.echiquier, reference.echiquier, sizeof e.echiquier));
  EXPECT_EQ(0, std::memcmp(e.type_piece, reference.type_piece, sizeof e.type_piece));
}

TEST_F(Installation, RooksAndKnightsTakeTheSlotOfTheirWing) {
  EXPECT_EQ(piece(BLANCS, TOUR, "g1"), 3);
  EXPECT_EQ(piece(BLANCS, TOUR, "h1"), 2);
  EXPECT_EQ(piece(BLANCS, TOUR, "a4"), 15);  // both rook slots are taken: a pawn's slot
  EXPECT_EQ(piece(NOIRS, CAVALIER, "b8"), 22);
  EXPECT_EQ(piece(NOIRS, CAVALIER, "c6"), 23);
  EXPECT_EQ(piece(BLANCS, CAVALIER, "f3"), 7);
  // No king-side castling: slot 3 is not on h1, though a rook stands there
  e.DroitsRoque();
  EXPECT_NE(e.roque[0], ROQUE_POSSIBLE);
  EXPECT_EQ(e.roque[2], ROQUE_PERDU);
}

TEST_F(Installation, BishopsTakeTheSlotOfTheirSquareColour) {
  EXPECT_EQ(piece(BLANCS, FOU, "c1"), 4);
  EXPECT_EQ(piece(BLANCS, FOU, "f1"), 5);
  EXPECT_EQ(piece(NOIRS, FOU, "c8"), 20);
  EXPECT_EQ(piece(NOIRS, FOU, "f8"), 21);
  e.PositionVide();
  EXPECT_EQ(piece(BLANCS, FOU, "a3"), 4);  // dark square, then the other slot
  EXPECT_EQ(piece(BLANCS, FOU, "b2"), 5);
  EXPECT_EQ(piece(BLANCS, FOU, "c3"), 15);  // a third bishop takes a pawn's slot
}

TEST_F(Installation, ThirdRooksBishopsAndKnightsTakeFreePawnSlots) {
  // After under-promotions: three rooks and three knights of one side, three
  // bishops of the other, with pawns still on the board
  CEchiquier f;
  ASSERT_EQ(f.LitForsythe("1k1r1r1r/pp6/b1b1b3/8/8/8/PPPPP3/NNN1K3 w - -"), 0);
  EXPECT_EQ(f.pos_piece[15], case_nommee("c1"));  // the h-pawn's slot: the f-, g- and h-pawns are gone
  EXPECT_EQ(f.type_piece[15], CAVALIER);
  EXPECT_EQ(f.type_piece[31], TOUR);
  EXPECT_EQ(f.type_piece[30], FOU);
  char fen[81];
  f.CreeForsythe(fen);
  EXPECT_STREQ(fen, "1k1r1r1r/pp6/b1b1b3/8/8/8/PPPPP3/NNN1K3 w - -");
  EXPECT_EQ(f.Joue(coup_texte("a1b3")), 0);
  EXPECT_EQ(f.Joue(coup_texte("h8h1")), 2);  // the third rook mates along the first rank
  // Refused only when no slot is left: eight pawns and a third rook
  e.PositionVide();
  for (const char* p : {"a2", "b2", "c2", "d2", "e2", "f2", "g2", "h2"})
    ASSERT_GE(e.AjoutePion(BLANCS, case_nommee(p)), 8);
  EXPECT_EQ(piece(BLANCS, TOUR, "a1"), 2);
  EXPECT_EQ(piece(BLANCS, TOUR, "h1"), 3);
  EXPECT_EQ(piece(BLANCS, TOUR, "d1"), -1);
  EXPECT_EQ(piece(BLANCS, CAVALIER, "b1"), 6);
  EXPECT_EQ(piece(BLANCS, CAVALIER, "g1"), 7);
  EXPECT_EQ(piece(BLANCS, CAVALIER, "c1"), -1);
}

TEST_F(Installation, SurplusQueensTakePawnSlotsFromTheHFile) {
  EXPECT_EQ(piece(BLANCS, DAME, "d1"), 1);
  EXPECT_EQ(piece(BLANCS, DAME, "d2"), 15);
  EXPECT_EQ(piece(BLANCS, DAME, "d3"), 14);
  EXPECT_EQ(e.type_piece[14], DAME);
  e.PositionVide();
  ASSERT_EQ(piece(NOIRS, DAME, "d8"), 17);
  for (const char* c : {"a7", "b7", "c7", "d7", "e7", "f7", "g7", "h7"}) ASSERT_GE(pion(NOIRS, c), 24);
  EXPECT_EQ(piece(NOIRS, DAME, "d6"), -1);
  EXPECT_EQ(e.echiquier[case_nommee("d6")], VIDE);
}

TEST_F(Installation, PawnsTakeTheSlotOfTheirFileOrANearOne) {
  EXPECT_EQ(pion(BLANCS, "e2"), 12);
  EXPECT_EQ(pion(BLANCS, "e4"), 11);
  EXPECT_EQ(pion(BLANCS, "e5"), 13);
  EXPECT_EQ(pion(BLANCS, "e6"), 10);
  EXPECT_EQ(pion(BLANCS, "e3"), 14);
  // Files c to g are taken: the nearest free slot, then none
  EXPECT_EQ(pion(BLANCS, "e7"), 9);
  EXPECT_EQ(pion(BLANCS, "a2"), 8);
  EXPECT_EQ(pion(BLANCS, "a3"), 15);
  EXPECT_EQ(pion(BLANCS, "a4"), -1);
  EXPECT_EQ(pion(NOIRS, "a7"), 24);
  EXPECT_EQ(pion(NOIRS, "a6"), 25);
  EXPECT_EQ(pion(NOIRS, "a5"), 26);
  EXPECT_EQ(pion(NOIRS, "a4"), 27);
  EXPECT_EQ(e.type_piece[24], PION_NOIR);
}

TEST_F(Installation, RefusesWhatTheGeneratorsCannotHandle) {
  EXPECT_EQ(pion(BLANCS, "e1"), -1);  // occupied, and the first rank
  EXPECT_EQ(pion(BLANCS, "a1"), -1);
  EXPECT_EQ(pion(NOIRS, "h8"), -1);
  EXPECT_EQ(pion(BLANCS, "a8"), -1);
  EXPECT_EQ(piece(BLANCS, DAME, "e8"), -1);  // the black king's square
  EXPECT_EQ(e.AjoutePiece(BLANCS, PION_BLANC, 20), -1);
  EXPECT_EQ(e.AjoutePiece(BLANCS, -1, 20), -1);
  EXPECT_EQ(e.AjoutePiece(BLANCS, DAME, 64), -1);
  EXPECT_EQ(e.AjoutePiece(BLANCS, DAME, -1), -1);
  EXPECT_EQ(e.AjoutePion(BLANCS, 99), -1);
  EXPECT_EQ(e.pos_piece[1], -1);
  EXPECT_EQ(e.echiquier[case_nommee("e8")], 16);
}

TEST_F(Installation, DroitsRoqueFromKingsAndCornerRooks) {
  ASSERT_EQ(piece(BLANCS, TOUR, "a1"), 2);
  ASSERT_EQ(piece(BLANCS, TOUR, "h1"), 3);
  ASSERT_EQ(piece(NOIRS, TOUR, "h8"), 19);
  EXPECT_EQ(e.DroitsRoque(), 0);
  EXPECT_EQ(e.roque[0], ROQUE_POSSIBLE);
  EXPECT_EQ(e.roque[2], ROQUE_POSSIBLE);
  EXPECT_EQ(e.roque[1], ROQUE_POSSIBLE);
  EXPECT_EQ(e.roque[3], ROQUE_PERDU);

  // A king away from its square is taken as castled on its wing
  e.PositionVide();
  deplace_roi(e, 0, "g1");
  deplace_roi(e, 16, "c8");
  e.DroitsRoque();
  EXPECT_EQ(e.roque[0], ROQUE_FAIT);
  EXPECT_EQ(e.roque[2], ROQUE_PERDU);
  EXPECT_EQ(e.roque[3], ROQUE_FAIT);
  EXPECT_EQ(e.roque[1], ROQUE_PERDU);
}

TEST_F(Installation, RecalculePositionStartsAGameFromTheSetUp) {
  ASSERT_EQ(piece(BLANCS, TOUR, "h1"), 3);
  ASSERT_EQ(pion(NOIRS, "d5"), 27);
  e.valeur_piece[3] = 2200;
  e.valeur_piece[27] = 400;
  e.DroitsRoque();
  EXPECT_EQ(e.RecalculePosition(NOIRS), 0);
  EXPECT_EQ(e.trait, NOIRS);
  EXPECT_EQ(camp_moteur, NOIRS);
  EXPECT_EQ(e.fin_partie, 0);
  EXPECT_EQ(e.depart_standard, 0);
  EXPECT_EQ(e.LitIndexCourant(), -1);
  EXPECT_EQ(e.emp->materiel, 2200 - 400 + e.valeur_piece[0] - e.valeur_piece[16]);
  ASSERT_NE(e.fen_depart, nullptr);
  EXPECT_STREQ(e.fen_depart, "4k3/8/8/3p4/8/8/8/4K2R b K -");
  EXPECT_EQ(legaux(), 5 + 1);  // king moves and d5-d4
  EXPECT_EQ(e.Joue(coup_texte("d5d4")), 0);
  EXPECT_EQ(e.Joue(ROQUE_BLANC_PETIT), 0);
}

TEST_F(Installation, SideNotToMoveInCheckIsRefusedWithAnEmptyList) {
  ASSERT_EQ(piece(BLANCS, TOUR, "e4"), 3);
  EXPECT_EQ(e.RecalculePosition(BLANCS), int(COUP_ILLEGAL));
  EXPECT_EQ(e.fin_partie, 1);
  EXPECT_EQ(e.liste_coups[0], 0u);
  EXPECT_EQ(e.Joue(coup_texte("e4e5")), -1);
}

TEST_F(Installation, APositionWithoutAKingIsRefused) {
  e.echiquier[case_nommee("e8")] = VIDE;
  e.pos_piece[16] = -1;
  EXPECT_NE(e.RecalculePosition(BLANCS), 0);
  EXPECT_EQ(e.fin_partie, 1);
  EXPECT_EQ(e.liste_coups[0], 0u);
  EXPECT_EQ(e.Joue(coup_texte("e1e2")), -1);
  EXPECT_NE(e.Retour(-1), 0);
}

TEST_F(Installation, MateAndStalemateSetUpsAreAccepted) {
  // Black to move, mated by the queen on g7 guarded by the king
  e.PositionVide();
  deplace_roi(e, 16, "h8");
  deplace_roi(e, 0, "g6");
  ASSERT_EQ(piece(BLANCS, DAME, "g7"), 1);
  e.DroitsRoque();
  EXPECT_EQ(e.RecalculePosition(NOIRS), 0);
  EXPECT_EQ(e.fin_partie, 0);
  EXPECT_EQ(legaux(), 0);
}

TEST_F(Installation, ASetUpForgetsThePositionsOfThePreviousGame) {
  e.Raz();
  e.Coup1();
  ASSERT_EQ(joue_suite(e, "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1"), 0);
  e.PositionDebut();
  e.DroitsRoque();
  ASSERT_EQ(e.RecalculePosition(BLANCS), 0);
  // After 1.Nf3 this position would count its third time in the old game
  EXPECT_EQ(e.Joue(coup_texte("g1f3")), 0);
}

TEST_F(Installation, CastlingStatesNeedTheirKingAndRookAtHome) {
  // States set by hand, as a host might: the kings and rooks are elsewhere
  deplace_roi(e, 16, "d8");
  ASSERT_EQ(piece(BLANCS, TOUR, "h2"), 3);
  ASSERT_EQ(piece(BLANCS, TOUR, "a1"), 2);
  ASSERT_EQ(piece(NOIRS, TOUR, "h8"), 19);
  e.roque[0] = e.roque[1] = e.roque[2] = e.roque[3] = ROQUE_POSSIBLE;
  ASSERT_EQ(e.RecalculePosition(NOIRS), 0);
  EXPECT_EQ(e.roque[0], ROQUE_PERDU);
  EXPECT_EQ(e.roque[1], ROQUE_PERDU);
  EXPECT_EQ(e.roque[2], ROQUE_POSSIBLE);
  EXPECT_EQ(e.roque[3], ROQUE_PERDU);
  for (const uint32_t* l = e.liste_coups; *l; ++l) EXPECT_EQ(*l & GENRE_COUP, 0u);
}
