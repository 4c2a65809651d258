#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "board/echiquier.h"
#include "board/movegen.h"
#include "outils.h"
#include "search/globals.h"
#include "search/hash.h"

namespace {
struct Photo {
  int pos_piece[32], echiquier[64], type_piece[33], roque[4], trait;
  std::vector<std::string> liste;
};
Photo photo(const CEchiquier& e) {
  Photo p;
  std::memcpy(p.pos_piece, e.pos_piece, sizeof p.pos_piece);
  std::memcpy(p.echiquier, e.echiquier, sizeof p.echiquier);
  std::memcpy(p.type_piece, e.type_piece, sizeof p.type_piece);
  std::memcpy(p.roque, e.roque, sizeof p.roque);
  p.trait = e.trait;
  p.liste = textes_liste(e.liste_coups);
  return p;
}
void compare(const Photo& a, const Photo& b) {
  EXPECT_EQ(0, std::memcmp(a.pos_piece, b.pos_piece, sizeof a.pos_piece));
  EXPECT_EQ(0, std::memcmp(a.echiquier, b.echiquier, sizeof a.echiquier));
  EXPECT_EQ(0, std::memcmp(a.type_piece, b.type_piece, sizeof a.type_piece));
  EXPECT_EQ(0, std::memcmp(a.roque, b.roque, sizeof a.roque));
  EXPECT_EQ(a.trait, b.trait);
  EXPECT_EQ(a.liste, b.liste);
}
}  // namespace

class Jeu : public ::testing::Test {
 protected:
  void SetUp() override {
    e.AlloueHashTable(13);
    e.Raz();
    e.Coup1();
  }
  CEchiquier e;
};

TEST_F(Jeu, InitialStateAfterRaz) {
  EXPECT_EQ(e.LitIndexCourant(), -1);
  EXPECT_EQ(e.trait, BLANCS);
  EXPECT_EQ(e.profondeur, 999);
  EXPECT_EQ(e.depart_standard, 1);
  EXPECT_EQ(e.type_piece[32], -1);
  EXPECT_EQ(e.valeur_piece[1], 4000);
  EXPECT_EQ(e.valeur_piece[8], 400);
  EXPECT_EQ(e.temps_limite_ms[0], 60000);
  EXPECT_EQ(emp_jeu, e.emp);
  EXPECT_EQ(liste_jeu, e.liste_coups);
  EXPECT_EQ(trait_jeu, &e.trait);
}

TEST_F(Jeu, LitCoupAGivesMoveAndCapturedSlot) {
  ASSERT_EQ(e.Joue(coup_texte("e2e4")), 0);
  EXPECT_EQ(e.LitCoupA(0), 0x070Cu | (32u << 16));
  ASSERT_EQ(joue_suite(e, "d7d5 e4d5"), 0);
  EXPECT_EQ(e.LitCoupA(2) >> 16, 27u);  // black's d-pawn slot
  EXPECT_EQ(e.LitCoupA(5000), 32u << 16);  // outside the array: an empty entry
  EXPECT_EQ(e.LitCoupA(-1), 32u << 16);
}

TEST_F(Jeu, CastlingByTheKingsMoveMovesTheRook) {
  ASSERT_EQ(joue_suite(e, "e2e4 e7e5 g1f3 b8c6 f1c4 g8f6"), 0);
  ASSERT_EQ(e.Joue(coup_texte("e1g1")), 0);
  EXPECT_EQ(e.echiquier[case_nommee("f1")], 3);
  EXPECT_EQ(e.echiquier[case_nommee("g1")], 0);
  EXPECT_EQ(e.echiquier[case_nommee("h1")], VIDE);
  EXPECT_EQ(e.roque[0], ROQUE_FAIT);
  EXPECT_EQ(e.roque[2], ROQUE_PERDU);
  EXPECT_EQ(e.LitCoupA(6) & 0xffff, ROQUE_BLANC_PETIT);
  // Taking it back restores rook, king and both castling states.
  ASSERT_EQ(e.Retour(-1), 0);
  EXPECT_EQ(e.echiquier[case_nommee("h1")], 3);
  EXPECT_EQ(e.echiquier[case_nommee("e1")], 0);
  EXPECT_EQ(e.roque[0], ROQUE_POSSIBLE);
  EXPECT_EQ(e.roque[2], ROQUE_POSSIBLE);
}

TEST_F(Jeu, PromotionNeedsItsPieceAndTakesItBack) {
  place_fen(e, "8/4P3/8/8/8/8/k7/4K3 w - -");
  EXPECT_EQ(e.Joue(coup_texte("e7e8")), 1);
  EXPECT_EQ(e.LitIndexCourant(), -1);
  const int slot = e.echiquier[case_nommee("e7")];
  ASSERT_EQ(e.Joue(coup_texte("e7e8r")), 0);
  EXPECT_EQ(e.type_piece[slot], TOUR);
  ASSERT_EQ(e.Retour(-1), 0);
  EXPECT_EQ(e.type_piece[slot], PION_BLANC);
  EXPECT_EQ(e.echiquier[case_nommee("e7")], slot);
}

TEST_F(Jeu, MovesThatLeaveTheKingAttackedAreNotPlayed) {
  ASSERT_EQ(joue_suite(e, "e2e4 e7e5 d2d4 f8b4"), 0);
  EXPECT_EQ(e.Joue(coup_texte("a2a3")), -1);  // in check
  EXPECT_EQ(e.Joue(coup_texte("e1e3")), -1);  // not a move at all
  EXPECT_EQ(e.LitIndexCourant(), 3);
}

TEST_F(Jeu, RetourRoundTripsRestoreTheBoard) {
  const Photo debut = photo(e);
  ASSERT_EQ(joue_suite(e, "e2e4 d7d5 e4d5 d8d5 b1c3 d5a5"), 0);
  const Photo fin = photo(e);
  EXPECT_EQ(e.Retour(0), 0);
  compare(photo(e), debut);
  EXPECT_EQ(e.Retour(-3), 0);
  compare(photo(e), fin);
  EXPECT_EQ(e.Retour(-3), 1);  // nothing left to replay
}

TEST_F(Jeu, RetourSpecialValues) {
  EXPECT_EQ(e.Retour(-1), 1);  // nothing played
  EXPECT_EQ(e.Retour(-2), 1);  // nothing to replay
  ASSERT_EQ(joue_suite(e, "e2e4 e7e5 g1f3 b8c6"), 0);
  EXPECT_EQ(e.Retour(2), 0);
  EXPECT_EQ(e.LitIndexCourant(), 1);
  EXPECT_EQ(e.Retour(-2), 0);
  EXPECT_EQ(e.LitIndexCourant(), 2);
  EXPECT_EQ(e.Retour(-3), 0);
  EXPECT_EQ(e.LitIndexCourant(), 3);
  EXPECT_EQ(e.Retour(2), 0);
  ASSERT_EQ(e.Joue(coup_texte("f1c4")), 0);  // cuts the record to three entries
  EXPECT_EQ(e.partie.LitIndex(), 2);
  EXPECT_EQ(e.Retour(-2), 1);
}

TEST_F(Jeu, EnPassantIsListedAgainAfterTakingBackAndReplaying) {
  ASSERT_EQ(joue_suite(e, "e2e4 d7d5 e4e5 f7f5"), 0);
  const auto avec = textes_liste(e.liste_coups);
  ASSERT_EQ(e.Retour(-1), 0);
  ASSERT_EQ(e.Retour(-2), 0);
  EXPECT_EQ(textes_liste(e.liste_coups), avec);
  ASSERT_EQ(e.Joue(coup_texte("e5f6")), 0);
  EXPECT_EQ(e.echiquier[case_nommee("f5")], VIDE);
  // And right after taking back the capture itself.
  ASSERT_EQ(e.Retour(-1), 0);
  EXPECT_EQ(textes_liste(e.liste_coups), avec);
}

TEST_F(Jeu, ThirdRepetitionReturnsFourOnlyOnce) {
  // Positions are counted as moves reach them: the one after 1.Nf3 is
  // reached again after each knight round trip.
  ASSERT_EQ(joue_suite(e, "g1f3 g8f6 f3g1 f6g8"), 0);
  ASSERT_EQ(joue_suite(e, "g1f3 g8f6 f3g1 f6g8"), 0);  // second time
  EXPECT_EQ(e.Joue(coup_texte("g1f3")), 4);             // third time
  EXPECT_EQ(e.Joue(coup_texte("g8f6")), 4);             // each position of the cycle in turn
  EXPECT_EQ(e.Joue(coup_texte("f3g1")), 4);
  EXPECT_EQ(e.Joue(coup_texte("f6g8")), 4);
  EXPECT_EQ(e.Joue(coup_texte("g1f3")), 0);             // fourth time: not reported
}

TEST_F(Jeu, CaptureResetsTheRepetitionCount) {
  ASSERT_EQ(joue_suite(e, "e2e4 d7d5 e4d5 d8d5 g1f3 d5d8 f3g1 d8d5 g1f3 d5d8 f3g1"), 0);
  EXPECT_EQ(e.emp->coups_reversibles, 7);
  ASSERT_EQ(joue_suite(e, "d8d5 g1f3"), 4);  // after g1f3 for the third time
}

TEST_F(Jeu, HundredthReversibleHalfMoveReturnsFour) {
  ASSERT_EQ(joue_suite(e, "e2e4 e7e5"), 0);
  e.emp->coups_reversibles = 97;
  EXPECT_EQ(e.Joue(coup_texte("g1f3")), 0);  // 98
  EXPECT_EQ(e.Joue(coup_texte("b8c6")), 0);  // 99
  EXPECT_EQ(e.Joue(coup_texte("f1c4")), 4);  // the hundredth
  EXPECT_EQ(e.Joue(coup_texte("g8f6")), 0);  // 101: no longer reported
  EXPECT_EQ(e.Joue(coup_texte("c4f7")), 0);  // a capture starts the count again
  EXPECT_EQ(e.emp->coups_reversibles, 0);
}

TEST_F(Jeu, MateEndsTheGame) {
  EXPECT_EQ(joue_suite(e, "f2f3 e7e5 g2g4"), 0);
  EXPECT_EQ(e.Joue(coup_texte("d8h4")), 2);
  EXPECT_EQ(e.fin_partie, 1);
  ASSERT_EQ(e.Retour(-1), 0);
  EXPECT_EQ(e.fin_partie, 0);
}

TEST(Copie, CopiesShareListsAndOutliveTheOriginal) {
  auto original = std::make_unique<CEchiquier>();
  original->Coup1();
  CEchiquier copie;
  copie = *original;
  EXPECT_EQ(copie.liste_coups, original->liste_coups);
  EXPECT_EQ(copie.emp, original->emp);
  ASSERT_EQ(original->Joue(coup_texte("e2e4")), 0);
  ASSERT_EQ(joue_suite(*original, "e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1 f8e7"), 0);
  original.reset();
  // The copy still holds valid lists, work state and record entries.
  EXPECT_EQ(copie.partie.LitA(9).coup, coup_texte("f8e7"));  // entries are shared
  EXPECT_NE(copie.LitCoupA(0), 0u);
  EXPECT_NE(copie.liste_coups[0], 0u);  // still readable: ASan would flag freed storage
  copie.Raz();
  copie.Coup1();
  EXPECT_EQ(copie.Joue(coup_texte("d2d4")), 0);
}

TEST_F(Jeu, EnPassantOfASetUpPositionIsListedAgainAfterTakingBackToTheStart) {
  ASSERT_EQ(e.LitForsythe("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3"), 0);
  const auto avec = textes_liste(e.liste_coups);
  ASSERT_NE(std::find(avec.begin(), avec.end(), "e5f6"), avec.end());
  ASSERT_EQ(e.Joue(coup_texte("g1f3")), 0);
  ASSERT_EQ(e.Retour(-1), 0);
  EXPECT_EQ(textes_liste(e.liste_coups), avec);
  ASSERT_EQ(e.Joue(coup_texte("e5f6")), 0);
  EXPECT_EQ(e.echiquier[case_nommee("f5")], VIDE);
}
