// Faults of the search found in review: stale pondering depth after a book
// move, a stop during the root scoring, pawn keys of promoted pieces, the
// internal deepening meeting its own node, the score shown after a finished
// game.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "board/echiquier.h"
#include "eval/preparation.h"
#include "eval_outils.h"
#include "frontend/livre.h"
#include "livre_outils.h"
#include "outils.h"
#include "search/alphabeta.h"
#include "search/analyse.h"
#include "search/arret.h"
#include "search/globals.h"
#include "search/hash.h"
#include "search/ordering.h"
#include "search/pilote.h"
#include "search/position.h"
#include "search/rapport.h"
#include "tablebase/registry.h"

namespace {

class Defauts : public ::testing::Test {
 protected:
  void SetUp() override {
    TbRelease();
    e.AlloueHashTable(16);
    e.Raz();
    e.Coup1();
    e.Langage();
    credit_livre = 0;
    valeur_nulle = 0;
    echange_atomique(arret_recherche, 0);
    e.SetTempsLimite(30, 30);
  }
  void TearDown() override { echange_atomique(arret_recherche, 0); }
  bool legal(uint32_t m) {
    for (const uint32_t* l = e.liste_coups; *l; ++l)
      if (!(*l & COUP_ILLEGAL) && (*l & 0xffff) == (m & 0xffff)) return true;
    return false;
  }
  std::string note() {
    char t[TAILLE_TEXTE_SCORE];
    e.NoteAnalyse(t);
    return t;
  }
  CEchiquier e;
};

}  // namespace

TEST_F(Defauts, ABookMoveClearsThePredictionAndItsLine) {
  // A search leaves a line with a prediction behind
  e.SetProfondeur(5);
  e.Analyse();
  ASSERT_NE(e.coup_prevu, 0);
  ASSERT_NE(pv_courante[0], 0u);
  // The book answers the next request, without a depth limit
  e.SetProfondeur(999);
  LIVRE_TEST livre(*e.emp);
  credit_livre = 10;
  const uint32_t r = e.Analyse();
  ASSERT_EQ(r, 0x070Cu | (1u << 16));
  EXPECT_EQ(e.coup_prevu, 0);
  EXPECT_EQ(e.reponse_prevue, 0);
  EXPECT_EQ(pv_courante[0], 0u);
  EXPECT_LT(e.profondeur_anticipation, 31);
  // Nothing to ponder on: no search of unsearched moves
  nb_noeuds = 0;
  EXPECT_EQ(e.Anticipation(), 0u);
  EXPECT_EQ(e.GetNodeCount(), 0u);
}

TEST_F(Defauts, PonderingIntoTheBookLeavesNoStaleDepthOrLine) {
  e.SetProfondeur(5);
  const uint32_t r = e.Analyse();
  ASSERT_EQ(e.Joue(r & 0xffff), 0);
  ASSERT_NE(e.coup_prevu, 0);
  // The book knows an answer to the predicted reply
  CEchiquier apres;
  apres.Raz();
  apres.Coup1();
  ASSERT_EQ(apres.Joue(r & 0xffff), 0);
  ASSERT_EQ(apres.Joue(uint32_t(e.coup_prevu)), 0);
  uint32_t livre_coup = 0;
  for (const uint32_t* l = apres.liste_coups; *l && !livre_coup; ++l)
    if (!(*l & COUP_ILLEGAL)) livre_coup = *l & 0xffff;
  EMPILAGE position = *apres.emp;
  apres.CopieEmp(&position);
  LIVRE_TEST livre(position, livre_coup);
  credit_livre = 10;
  e.SetProfondeur(999);
  EXPECT_EQ(e.Anticipation(), livre_coup);
  EXPECT_LT(e.profondeur_anticipation, 31);
  EXPECT_EQ(pv_courante[0], 0u);
  // The ponder hit searches within the limits
  credit_livre = 0;
  e.SetProfondeur(5);
  ASSERT_EQ(e.Joue(uint32_t(e.coup_prevu)), 0);
  const uint32_t r2 = e.Analyse();
  EXPECT_TRUE(legal(r2));
  EXPECT_EQ(e.GetDepth(), 3);
}

TEST_F(Defauts, AStaleDepthNeverStartsTheSearchBeyondItsLimit) {
  e.SetProfondeur(5);
  const uint32_t r = e.Analyse();
  ASSERT_EQ(e.Joue(r & 0xffff), 0);
  ASSERT_NE(e.coup_prevu, 0);
  ASSERT_NE(e.reponse_prevue, 0);
  const int prevu = e.coup_prevu;
  // Pondering starts at the depth limit at most: one iteration, depth 5
  e.profondeur_anticipation = 998;
  const uint32_t reponse = e.Anticipation();
  EXPECT_NE(reponse, 0u);
  EXPECT_EQ(e.GetDepth(), 3);
  EXPECT_LE(e.profondeur_anticipation, 5);
  // A ponder hit with a stale depth searches too
  ASSERT_EQ(e.Joue(uint32_t(prevu)), 0);
  ASSERT_EQ(e.CoupPrevu(), 1);
  e.temps_anticipation = 0;
  e.profondeur_anticipation = 998;
  const uint32_t r2 = e.Analyse();
  EXPECT_TRUE(legal(r2));
  EXPECT_EQ(e.GetDepth(), 3);
  EXPECT_GT(e.GetNodeCount(), 100u);
}

TEST_F(Defauts, AStopDuringTheRootScoringPlaysAnOrderedMove) {
  place_fen(e, "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -");
  // "Move now" already raised when the search begins
  echange_atomique(arret_recherche, 1);
  const uint32_t r = e.Analyse();
  ASSERT_TRUE(legal(r));
  EXPECT_NE(r & 0xffff, coup_texte("e1e2"));
  // Every legal root move was scored, and the list is sorted by score
  int precedent = INFINI;
  for (const uint32_t* l = e.liste_coups; *l; ++l) {
    if (*l & COUP_ILLEGAL) continue;
    const int s = int16_t(*l >> 16);
    EXPECT_GT(s, -INFINI);
    EXPECT_LE(s, precedent);
    precedent = s;
  }
  EXPECT_EQ(r & 0xffff, e.liste_coups[0] & 0xffff);
  EXPECT_EQ(lit_drapeau(arret_recherche), 0);
}

TEST_F(Defauts, PawnKeysFollowPieceTypesAtTheRootAndInTheSearch) {
  // Two white queens: the second one stands in a pawn slot
  place_slots(e, "4k3/1P6/8/8/8/8/8/Q2QK3 w - -");
  EMPILAGE n = noeud_prepare(e);
  const int slot = n.echiquier[case_nommee("d1")];
  ASSERT_GE(slot, 8);
  ASSERT_LE(slot, 15);
  auto verifie = [](const EMPILAGE& x, const char* quoi) {
    EMPILAGE y = x;
    compute_keys(&y);
    EXPECT_EQ(y.cle_pions, x.cle_pions) << quoi;
    EXPECT_EQ(y.verrou_pions, x.verrou_pions) << quoi;
    EXPECT_EQ(y.cle_hash, x.cle_hash) << quoi;
  };
  // The queen in the pawn slot moves; the pawn structure is unchanged
  const uint32_t avant = n.cle_pions;
  applique_coup_noeud<BLANCS>(n, coup_texte("d1a4"));
  verifie(n, "Qd1-a4");
  EXPECT_EQ(n.cle_pions, avant);
  // A promotion takes the pawn off the pawn keys; its queen moves on
  applique_coup_noeud<NOIRS>(n, coup_texte("e8d8"));
  applique_coup_noeud<BLANCS>(n, coup_texte("b7b8q"));
  verifie(n, "b7-b8=Q");
  applique_coup_noeud<NOIRS>(n, coup_texte("d8d7"));
  applique_coup_noeud<BLANCS>(n, coup_texte("b8b3"));
  verifie(n, "Qb8-b3");
  // Only the kings and queens are left: no pawn at all
  EMPILAGE vide = n;
  vide.cle_pions = vide.verrou_pions = 0;
  verifie(vide, "no pawns");
}

TEST_F(Defauts, InternalDeepeningDoesNotMeetItsOwnNode) {
  // A quiet move into a node searched on the principal variation without a
  // hash move: it deepens internally first. Whether three reversible moves
  // came before changes nothing here, since no position repeats.
  place_fen(e, "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ");
  const uint32_t m = coup_texte("f1e2");
  auto cherche = [&](int reversibles, uint32_t& noeuds) {
    clear_table_hash();
    next_generation();
    clear_tables();
    EMPILAGE r = *e.emp;
    compute_keys(&r);
    fixe_promotions(prepare_recherche(&r));
    r.ply = 0;
    r.coups_reversibles = reversibles;
    restore_search_repetition();
    camp_moteur = BLANCS;
    ply_max_extension = 9;
    nb_noeuds = 0;
    const int s = -recherche_noirs(m, NOEUD_PV + TEST_LEGAL, 5 * UN_PLY, -INFINI, INFINI, &r);
    noeuds = nb_noeuds.load();
    return s;
  };
  uint32_t sans = 0, avec = 0;
  const int s0 = cherche(0, sans);
  const int s3 = cherche(3, avec);
  EXPECT_EQ(s3, s0);
  EXPECT_EQ(avec, sans);
  // No path entry is left behind
  for (int i = 0; i < TAILLE_REPETITION; ++i) ASSERT_EQ(table_repetition_recherche[i].ply, table_repetition[i].ply);
}

TEST_F(Defauts, NoLegalMoveShowsTheFinishedGameNotThePreviousScore) {
  place_fen(e, "6k1/5ppp/8/8/8/8/8/R5K1 w - -");
  e.SetProfondeur(20);
  e.Analyse();
  ASSERT_EQ(note(), "+MAT1 ");
  // Stalemate: a draw
  place_fen(e, "k7/8/1Q6/8/8/8/8/6K1 b - -");
  EXPECT_EQ(e.Analyse(), 0xFFFFFFFFu);
  EXPECT_EQ(note(), "+0.00 ");
  // Checkmate: mated now
  e.SetProfondeur(20);
  place_fen(e, "6k1/5ppp/8/8/8/8/8/R5K1 w - -");
  e.Analyse();
  ASSERT_EQ(note(), "+MAT1 ");
  place_fen(e, "R5k1/5ppp/8/8/8/8/8/6K1 b - -");
  EXPECT_EQ(e.Analyse(), 0xFFFFFFFFu);
  EXPECT_EQ(note(), "-MAT0 ");
}
