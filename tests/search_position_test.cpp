// The search's incremental apply, its generators and its attack tests,
// checked against recomputation from scratch and the board's generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "board/movegen.h"
#include "eval/preparation.h"
#include "outils.h"
#include "search/hash.h"
#include "search/position.h"

namespace {

// The search fields of a node recomputed from its pieces. Pawn keys follow
// the pawns on the board by type: a promoted pawn leaves the pawn structure.
struct CHAMPS {
  int materiel = 0, positionnel = 0;
  int pieces[2] = {0, 0}, pions[2] = {0, 0};
  uint32_t cle = 0, verrou = 0, cle_pions = 0, verrou_pions = 0;
};

CHAMPS recalcule(const EMPILAGE& e) {
  CHAMPS c;
  EMPILAGE k = e;
  compute_keys(&k);
  c.cle = k.cle_hash;
  c.verrou = k.verrou_hash;
  for (int s = 0; s < 32; ++s) {
    const int q = e.pos_piece[s];
    if (q < 0) continue;
    const int t = e.type_piece[s], camp = s < 16 ? 0 : 1, signe = camp == 0 ? 1 : -1;
    if (t != ROI) c.materiel += signe * e.valeur_piece[s];
    c.positionnel += camp == 0 ? psq_blanc[t][q] : -psq_noir[t][q];
    if (t == PION_BLANC || t == PION_NOIR) {
      ++c.pions[camp];
      const int i = (t == PION_BLANC ? 320 : 896) + q;
      c.cle_pions ^= zobrist_cle[i];
      c.verrou_pions ^= zobrist_verrou[i];
    } else if (t != ROI) {
      ++c.pieces[camp];
    }
  }
  return c;
}

void installe(EMPILAGE& e) {
  const CHAMPS c = recalcule(e);
  e.materiel = c.materiel;
  e.positionnel = c.positionnel;
  e.nb_pieces_blanches = c.pieces[0];
  e.nb_pieces_noires = c.pieces[1];
  e.nb_pions_blancs = c.pions[0];
  e.nb_pions_noirs = c.pions[1];
  e.cle_hash = c.cle;
  e.verrou_hash = c.verrou;
  e.cle_pions = c.cle_pions;
  e.verrou_pions = c.verrou_pions;
}

// The node of a FEN position placed on b, with its fields as the search
// keeps them.
EMPILAGE noeud_installe(CEchiquier& b, const char* fen) {
  place_fen(b, fen);
  EMPILAGE e = *b.emp;
  installe(e);
  return e;
}

void verifie_champs(const EMPILAGE& e, const char* contexte) {
  const CHAMPS c = recalcule(e);
  ASSERT_EQ(e.materiel, c.materiel) << contexte;
  ASSERT_EQ(e.positionnel, c.positionnel) << contexte;
  ASSERT_EQ(e.nb_pieces_blanches, c.pieces[0]) << contexte;
  ASSERT_EQ(e.nb_pieces_noires, c.pieces[1]) << contexte;
  ASSERT_EQ(e.nb_pions_blancs, c.pions[0]) << contexte;
  ASSERT_EQ(e.nb_pions_noirs, c.pions[1]) << contexte;
  ASSERT_EQ(e.cle_hash, c.cle) << contexte;
  ASSERT_EQ(e.verrou_hash, c.verrou) << contexte;
  ASSERT_EQ(e.cle_pions, c.cle_pions) << contexte;
  ASSERT_EQ(e.verrou_pions, c.verrou_pions) << contexte;
}

// Random piece-square values, so that every term of the incremental sum matters.
void remplit_psq(unsigned graine) {
  std::mt19937 g(graine);
  for (int t = 0; t < 7; ++t)
    for (int q = 0; q < 64; ++q) {
      psq_blanc[t][q] = int(g() % 201) - 100;
      psq_noir[t][q] = int(g() % 201) - 100;
    }
}

std::vector<uint32_t> liste_vecteur(const uint32_t* l, uint32_t masque) {
  std::vector<uint32_t> v;
  for (; *l; ++l) v.push_back(*l & masque);
  return v;
}

int applique(int camp, EMPILAGE& e, uint32_t m) {
  const int prise = camp == BLANCS ? applique_coup_noeud<BLANCS>(e, m) : applique_coup_noeud<NOIRS>(e, m);
  e.coup_precedent = (uint32_t(prise) << 16) | (m & 0xffff);
  return prise;
}

int genere(int camp, const EMPILAGE& e, uint32_t* l) {
  return camp == BLANCS ? generate_all<BLANCS>(e, l) : generate_all<NOIRS>(e, l);
}

int genere_prises(int camp, const EMPILAGE& e, uint32_t* l) {
  return camp == BLANCS ? generate_captures<BLANCS>(e, l) : generate_captures<NOIRS>(e, l);
}

// The capture list that the full list implies: captures (promotions as a
// queen only) and queen promotions by a push, each with its score.
std::vector<uint32_t> prises_attendues(int camp, const EMPILAGE& e, const uint32_t* l) {
  std::vector<uint32_t> v;
  for (; *l; ++l) {
    const uint32_t m = *l;
    const uint32_t genre = m & GENRE_COUP;
    const int victime = e.echiquier[case_arrivee(m)];
    const bool prise = victime != VIDE && (victime < 16) == (camp == NOIRS);
    if (genre == PROMOTION_DAME) v.push_back(m | 103u << 16);
    else if (genre == 0 && prise)
      v.push_back(m | uint32_t((e.valeur_piece[victime] - e.valeur_piece[e.echiquier[case_depart(m)]]) / 400 + 10)
                          << 16);
  }
  return v;
}

struct COUVERTURE {
  int promotions[4] = {0, 0, 0, 0};
  int en_passant = 0, roques = 0, prises_tour = 0;
};

// Plays random games with the board and the search's apply side by side.
void parties_aleatoires(const char* fen, int parties, int longueur, unsigned graine, COUVERTURE& couv) {
  std::mt19937 g(graine);
  for (int p = 0; p < parties; ++p) {
    CEchiquier b;
    place_fen(b, fen);
    EMPILAGE e = *b.emp;
    e.coup_precedent = 0;
    for (int s = 0; s < 32; ++s)
      if (e.type_piece[s] == DAME) e.valeur_piece[s] = valeur_promotion[DAME];
    installe(e);
    for (int ply = 0; ply < longueur; ++ply) {
      const int camp = b.trait;
      uint32_t liste[TAILLE_LISTE_COUPS];
      // The search's list is the board's pseudo-legal list, in the same order
      genere(camp, e, liste);
      ASSERT_EQ(liste_vecteur(liste, 0xffff), liste_vecteur(b.liste_coups, 0x7fff)) << fen << " ply " << ply;
      uint32_t prises[TAILLE_LISTE_COUPS];
      genere_prises(camp, e, prises);
      ASSERT_EQ(liste_vecteur(prises, 0xffffffff), prises_attendues(camp, e, liste)) << fen << " ply " << ply;
      // Check and attack tests agree with the board's scan
      const int roi = e.pos_piece[camp == BLANCS ? 0 : 16];
      ASSERT_EQ(camp == BLANCS ? check_test<BLANCS>(e) : check_test<NOIRS>(e), case_attaquee(e, 1 - camp, roi));
      for (int q = 0; q < 64; q += 3)
        ASSERT_EQ(camp == BLANCS ? king_capture_test<BLANCS>(e, q) : king_capture_test<NOIRS>(e, q),
                  case_attaquee(e, camp, q));
      // Out of check, every move the pin set says cannot expose the king is legal on the board
      if (!case_attaquee(e, 1 - camp, roi)) {
        const uint64_t clouees = camp == BLANCS ? pieces_clouees<BLANCS>(e) : pieces_clouees<NOIRS>(e);
        for (const uint32_t* l = b.liste_coups; *l; ++l) {
          const bool expose = camp == BLANCS ? peut_exposer_roi<BLANCS>(e, *l, clouees) : peut_exposer_roi<NOIRS>(e, *l, clouees);
          if (!expose) {
            ASSERT_FALSE(*l & COUP_ILLEGAL) << fen << " ply " << ply << " move " << (*l & 0xfff);
          }
        }
      }

      std::vector<uint32_t> legaux;
      for (uint32_t* l = b.liste_coups; *l; ++l)
        if (!(*l & COUP_ILLEGAL)) legaux.push_back(*l & 0xffff);
      if (legaux.empty()) break;
      const uint32_t m = legaux[g() % legaux.size()];
      const uint32_t genre = m & GENRE_COUP;
      const int victime = e.echiquier[case_arrivee(m)];
      const int prise = applique(camp, e, m);
      if (genre >= PROMOTION) ++couv.promotions[(genre >> 12) - 4];
      if (genre == PRISE_EN_PASSANT) {
        ++couv.en_passant;
        EXPECT_NE(prise, VIDE);
        EXPECT_EQ(e.type_piece[prise], camp == BLANCS ? PION_NOIR : PION_BLANC);
      } else {
        EXPECT_EQ(prise, victime);
      }
      if (genre == PETIT_ROQUE || genre == GRAND_ROQUE) ++couv.roques;
      if (prise == 2 || prise == 3 || prise == 18 || prise == 19) ++couv.prises_tour;
      if (genre >= PROMOTION) {
        const int s = e.echiquier[case_arrivee(m)];
        EXPECT_EQ(e.valeur_piece[s], valeur_promotion[e.type_piece[s]]);
      }

      const int r = b.Joue(m);
      ASSERT_GE(r, 0) << "move refused by the board";
      for (int s = 0; s < 32; ++s) {
        ASSERT_EQ(e.pos_piece[s], b.pos_piece[s]) << "slot " << s;
        ASSERT_EQ(e.type_piece[s], b.type_piece[s]) << "slot " << s;
      }
      for (int q = 0; q < 64; ++q) ASSERT_EQ(e.echiquier[q], b.echiquier[q]) << "square " << q;
      for (int i = 0; i < 4; ++i) ASSERT_EQ(e.roque[i], b.roque[i]) << "castling " << i;
      verifie_champs(e, fen);
      if (::testing::Test::HasFatalFailure()) return;
      if (r >= 2) break;
    }
  }
}

class SearchPosition : public ::testing::Test {
 protected:
  void SetUp() override {
    CEchiquier e;  // builds the move tables and keys
    remplit_psq(7);
    fixe_promotions(0);
  }
};

TEST_F(SearchPosition, RandomGamesKeepEveryFieldEqualToRecomputation) {
  COUVERTURE couv;
  parties_aleatoires("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", 30, 120, 1, couv);
  parties_aleatoires("r3k2r/pPppp1Pp/8/2P1PpP1/1pPp1P2/8/PpPP1PpP/R3K2R w KQkq", 120, 60, 2, couv);
  parties_aleatoires("r3k2r/1P4P1/8/3pP3/3Pp3/8/1p4p1/R3K2R b KQkq", 120, 60, 3, couv);
  fixe_promotions(4);
  parties_aleatoires("4k3/1P4P1/8/8/8/8/1p4p1/4K3 w -", 60, 40, 4, couv);
  for (int i = 0; i < 4; ++i) EXPECT_GT(couv.promotions[i], 0) << "promotion kind " << i;
  EXPECT_GT(couv.en_passant, 0);
  EXPECT_GT(couv.roques, 0);
  EXPECT_GT(couv.prises_tour, 0);
}

TEST_F(SearchPosition, PromotionTakesTheRootPhaseValue) {
  CEchiquier b;
  place_fen(b, "4k3/1P6/8/8/8/8/8/4K3 w -");
  EMPILAGE e = *b.emp;
  fixe_promotions(3);
  installe(e);
  const int avant = e.materiel;
  applique_coup_noeud<BLANCS>(e, coup_texte("b7b8q"));
  EXPECT_EQ(e.materiel - avant, 4640 - 400);
  fixe_promotions(2);
  e = *b.emp;
  installe(e);
  applique_coup_noeud<BLANCS>(e, coup_texte("b7b8r"));
  EXPECT_EQ(e.materiel - avant, 2200 - 400);
  EXPECT_EQ(e.type_piece[e.echiquier[case_nommee("b8")]], TOUR);
  verifie_champs(e, "rook promotion");
}

TEST_F(SearchPosition, PromotingCaptureIsFourMovesOrOneQueenCapture) {
  CEchiquier b;
  EMPILAGE e = noeud_installe(b, "4k3/8/8/8/8/8/6p1/4KR2 b -");
  uint32_t l[TAILLE_LISTE_COUPS];
  generate_all<NOIRS>(e, l);
  const uint32_t g2f1 = coup_texte("g2f1");
  int vues = 0;
  for (uint32_t* m = l; *m; ++m)
    if ((*m & 0xfff) == g2f1) {
      EXPECT_EQ(*m, g2f1 | (PROMOTION_DAME + 0x1000u * vues));
      ++vues;
    }
  EXPECT_EQ(vues, 4);
  generate_captures<NOIRS>(e, l);
  std::vector<uint32_t> v = liste_vecteur(l, 0xffffffff);
  const uint32_t attendu[] = {coup_texte("g2g1q") | 103u << 16, (g2f1 | PROMOTION_DAME) | 103u << 16};
  EXPECT_EQ(v, std::vector<uint32_t>(std::begin(attendu), std::end(attendu)));
}

TEST_F(SearchPosition, CastlingRightsFollowTheRookSlots) {
  CEchiquier b;
  EMPILAGE e = noeud_installe(b, "r3k2r/8/8/8/8/8/8/R3K2R b KQkq");
  // Moving the h8 rook loses black's king side only
  EMPILAGE a = e;
  applique_coup_noeud<NOIRS>(a, coup_texte("h8h5"));
  EXPECT_EQ(a.roque[1], ROQUE_PERDU);
  EXPECT_EQ(a.roque[3], ROQUE_POSSIBLE);
  verifie_champs(a, "h8 rook");
  // Once lost, moving it again changes the keys only by the move itself
  EMPILAGE c = a;
  applique_coup_noeud<NOIRS>(c, coup_texte("h5h6"));
  EXPECT_EQ(c.cle_hash ^ a.cle_hash,
            zobrist_cle[index_cle(19, TOUR, case_nommee("h5"))] ^ zobrist_cle[index_cle(19, TOUR, case_nommee("h6"))]);
  // The white rook of slot 3, away from h1, still carries the king-side right
  e.echiquier[case_nommee("h1")] = VIDE;
  e.echiquier[case_nommee("h4")] = 3;
  e.pos_piece[3] = case_nommee("h4");
  installe(e);
  applique_coup_noeud<NOIRS>(e, coup_texte("h8h4"));
  EXPECT_EQ(e.roque[0], ROQUE_PERDU);
  EXPECT_EQ(e.roque[2], ROQUE_POSSIBLE);
  verifie_champs(e, "rook of slot 3 captured away from its corner");
}

TEST_F(SearchPosition, EnPassantOnlyInTheFullListAndReportsTheVictim) {
  CEchiquier b;
  EMPILAGE e = noeud_installe(b, "4k3/3p4/8/4P3/8/8/8/4K3 b -");
  const uint32_t d7d5 = coup_texte("d7d5");
  applique(NOIRS, e, d7d5);
  uint32_t l[TAILLE_LISTE_COUPS];
  generate_all<BLANCS>(e, l);
  const uint32_t ep = coup_texte("e5d6") | PRISE_EN_PASSANT;
  std::vector<uint32_t> v = liste_vecteur(l, 0xffff);
  EXPECT_NE(std::find(v.begin(), v.end(), ep), v.end());
  EXPECT_EQ(generate_captures<BLANCS>(e, l), 0);
  const int victime = e.echiquier[case_nommee("d5")];
  EXPECT_EQ(applique_coup_noeud<BLANCS>(e, ep), victime);
  EXPECT_EQ(e.echiquier[case_nommee("d5")], VIDE);
  EXPECT_EQ(e.pos_piece[victime], -1);
  verifie_champs(e, "en passant");
  // A single step offers no en passant, nor does a piece's two-square move
  EMPILAGE f = *b.emp;
  installe(f);
  applique(NOIRS, f, coup_texte("d7d6"));
  generate_all<BLANCS>(f, l);
  for (uint32_t* m = l; *m; ++m) EXPECT_NE(*m & GENRE_COUP, PRISE_EN_PASSANT);
}

TEST_F(SearchPosition, CastlingIsGeneratedInCheck) {
  CEchiquier b;
  EMPILAGE e = noeud_installe(b, "4k3/8/8/8/8/8/4r3/R3K2R w KQ");
  uint32_t l[TAILLE_LISTE_COUPS];
  const int n = generate_all<BLANCS>(e, l);
  EXPECT_EQ(l[n - 2], ROQUE_BLANC_PETIT);
  EXPECT_EQ(l[n - 1], ROQUE_BLANC_GRAND);
  EXPECT_TRUE(check_test<BLANCS>(e));
  // After castling, the king's start square is attacked: the child rejects it
  applique_coup_noeud<BLANCS>(e, ROQUE_BLANC_PETIT);
  EXPECT_TRUE(king_capture_test<NOIRS>(e, case_nommee("e1")));
  EXPECT_FALSE(king_capture_test<NOIRS>(e, e.pos_piece[0]));
  EXPECT_EQ(e.roque[0], ROQUE_FAIT);
  EXPECT_EQ(e.roque[2], ROQUE_PERDU);
  verifie_champs(e, "castling");
}

TEST_F(SearchPosition, AttackTestsNameTheirPieces) {
  CEchiquier b;
  // The kings attack next to them, and the enemy king never gives check in check_test
  place_fen(b, "8/8/8/8/8/8/3k4/3K4 w -");
  EMPILAGE e = *b.emp;
  EXPECT_TRUE(king_capture_test<NOIRS>(e, case_nommee("d1")));
  EXPECT_TRUE(king_capture_test<BLANCS>(e, case_nommee("e2")));
  EXPECT_FALSE(king_capture_test<BLANCS>(e, case_nommee("d3")));
  EXPECT_FALSE(check_test<BLANCS>(e));
  EXPECT_FALSE(check_test<NOIRS>(e));
  // Pawns capture forwards only; a promoted pawn attacks as its new piece
  place_fen(b, "3r4/8/8/3k4/5p2/2P5/8/3K4 w -");
  e = *b.emp;
  EXPECT_TRUE(king_capture_test<BLANCS>(e, case_nommee("d4")));
  EXPECT_TRUE(king_capture_test<BLANCS>(e, case_nommee("b4")));
  EXPECT_FALSE(king_capture_test<BLANCS>(e, case_nommee("c4")));
  EXPECT_FALSE(king_capture_test<BLANCS>(e, case_nommee("b2")));
  EXPECT_TRUE(king_capture_test<NOIRS>(e, case_nommee("e3")));
  EXPECT_FALSE(king_capture_test<NOIRS>(e, case_nommee("g5")));
  e.type_piece[e.echiquier[case_nommee("c3")]] = FOU;
  EXPECT_TRUE(king_capture_test<BLANCS>(e, case_nommee("e5")));
  EXPECT_TRUE(king_capture_test<BLANCS>(e, case_nommee("a1")));
  EXPECT_FALSE(king_capture_test<BLANCS>(e, case_nommee("c4")));
  // A line piece is stopped by the first man in its way
  EXPECT_TRUE(king_capture_test<NOIRS>(e, case_nommee("d6")));
  EXPECT_FALSE(king_capture_test<NOIRS>(e, case_nommee("d3")));
  EXPECT_FALSE(check_test<BLANCS>(e));
  e.echiquier[case_nommee("d5")] = VIDE;
  e.pos_piece[16] = case_nommee("h5");
  e.echiquier[case_nommee("h5")] = 16;
  EXPECT_TRUE(check_test<BLANCS>(e));
}

TEST_F(SearchPosition, PinnedPiecesAndTheMovesThatCanExposeTheKing) {
  CEchiquier b;
  // White king e1. Pinned: the e2 knight (rook e8), the d2 bishop (bishop b4),
  // the f1 rook (queen h1). Not pinned: f2, shielded by g3 from the h4
  // queen, and the c1 rook, which the a1 knight cannot pin.
  place_fen(b, "k3r3/8/8/8/1b5q/6P1/3BNP2/n1R1KR1q w -");
  EMPILAGE e = *b.emp;
  const uint64_t attendu = (uint64_t(1) << case_nommee("e2")) | (uint64_t(1) << case_nommee("d2")) |
                           (uint64_t(1) << case_nommee("f1"));
  EXPECT_EQ(pieces_clouees<BLANCS>(e), attendu);
  const uint64_t clouees = pieces_clouees<BLANCS>(e);
  EXPECT_TRUE(peut_exposer_roi<BLANCS>(e, cree_coup(case_nommee("e1"), case_nommee("d1")), clouees));
  EXPECT_TRUE(peut_exposer_roi<BLANCS>(e, cree_coup(case_nommee("d2"), case_nommee("c3")), clouees));
  EXPECT_TRUE(peut_exposer_roi<BLANCS>(e, cree_coup(case_nommee("e2"), case_nommee("c3")), clouees));
  EXPECT_FALSE(peut_exposer_roi<BLANCS>(e, cree_coup(case_nommee("f2"), case_nommee("f3")), clouees));
  EXPECT_TRUE(peut_exposer_roi<BLANCS>(e, cree_coup(case_nommee("f1"), case_nommee("g1")), clouees));
  EXPECT_FALSE(peut_exposer_roi<BLANCS>(e, cree_coup(case_nommee("c1"), case_nommee("c7")), clouees));
  // Black: en passant always counts, since it empties two squares of a
  // line; here the king would stand open to the h4 rook
  place_fen(b, "8/8/8/8/k2pP2R/8/8/4K3 b - e3");
  e = *b.emp;
  EXPECT_EQ(pieces_clouees<NOIRS>(e), uint64_t(0));
  EXPECT_TRUE(peut_exposer_roi<NOIRS>(e, cree_coup(case_nommee("d4"), case_nommee("e3"), PRISE_EN_PASSANT), 0));
  EXPECT_FALSE(peut_exposer_roi<NOIRS>(e, cree_coup(case_nommee("d4"), case_nommee("d3")), 0));
  // A pawn alone between its king and a bishop
  place_fen(b, "8/8/8/4k3/3p4/8/8/B3K3 b -");
  e = *b.emp;
  EXPECT_EQ(pieces_clouees<NOIRS>(e), uint64_t(1) << case_nommee("d4"));
}

}  // namespace
