// The alpha-beta twins called as the driver calls them: a root loop over
// the legal moves, fixed depths, mate and draw scores, determinism and the
// stop flag.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "eval/evaluation.h"
#include "eval/preparation.h"
#include "outils.h"
#include "search/alphabeta.h"
#include "search/arret.h"
#include "board/camp.h"
#include "search/globals.h"
#include "search/hash.h"
#include "search/ordering.h"
#include "search/position.h"
#include "search/pv.h"
#include "tablebase/registry.h"

namespace {

struct RESULTAT {
  int score;
  uint32_t coup;
  uint32_t noeuds;
};

// Prepares the root of the board's position as the driver does.
EMPILAGE racine_de(CEchiquier& b) {
  EMPILAGE r = *b.emp;
  compute_keys(&r);
  fixe_promotions(prepare_recherche(&r));
  r.ply = 0;
  restore_search_repetition();
  camp_moteur = b.trait;
  return r;
}

// Searches every legal root move `plies` deep with a principal-variation
// loop, as iteration plies + 1 of the driver would.
RESULTAT cherche(CEchiquier& b, int plies) {
  EMPILAGE r = racine_de(b);
  ply_max_extension = std::min(2 * (plies + 1) - 1, 30);
  nb_noeuds = 0;
  auto fils = [&](uint32_t m, int flags, int a, int be) {
    return b.trait == BLANCS ? -recherche_noirs(m, flags, plies * UN_PLY, -be, -a, &r)
                             : -recherche_blancs(m, flags, plies * UN_PLY, -be, -a, &r);
  };
  int alpha = -INFINI;
  uint32_t meilleur = 0;
  for (uint32_t* l = b.liste_coups; *l; ++l) {
    if (*l & COUP_ILLEGAL) continue;
    const uint32_t m = *l & 0xffff;
    int s;
    if (meilleur == 0) {
      s = fils(m, NOEUD_PV, alpha, INFINI);
    } else {
      s = fils(m, 0, alpha, alpha + 1);
      if (s > alpha) s = fils(m, NOEUD_PV, alpha, INFINI);
    }
    if (s > alpha || meilleur == 0) {
      alpha = s;
      meilleur = m;
    }
  }
  return {alpha, meilleur, nb_noeuds.load()};
}

// A fresh search: empty transposition and ordering tables.
void efface_tout() {
  clear_table_hash();
  next_generation();
  clear_tables();
}

// Independent mate finder over the search's own tested primitives: can
// side C mate in n moves?
template <int C>
std::vector<EMPILAGE> suites(const EMPILAGE& e) {
  uint32_t l[TAILLE_LISTE_COUPS];
  generate_all<C>(e, l);
  std::vector<EMPILAGE> v;
  for (uint32_t* m = l; *m; ++m) {
    if ((*m & GENRE_COUP) == PETIT_ROQUE || (*m & GENRE_COUP) == GRAND_ROQUE) continue;
    EMPILAGE x = e;
    const int p = applique_coup_noeud<C>(x, *m);
    x.coup_precedent = (uint32_t(p) << 16) | (*m & 0xffff);
    if (!king_capture_test<1 - C>(x, x.pos_piece[Camp<C>::roi])) v.push_back(x);
  }
  return v;
}

template <int C>
bool mat_en(const EMPILAGE& e, int n) {
  for (const EMPILAGE& a : suites<C>(e)) {
    const std::vector<EMPILAGE> r = suites<1 - C>(a);
    bool mat = r.empty() ? king_capture_test<C>(a, a.pos_piece[Camp<1 - C>::roi]) : n > 1;
    for (size_t j = 0; j < r.size() && mat; ++j) mat = mat_en<C>(r[j], n - 1);
    if (mat) return true;
  }
  return false;
}

class SearchAlphaBeta : public ::testing::Test {
 protected:
  void SetUp() override {
    recherche_neuve(b);
    efface_tout();
  }
  void TearDown() override {
    echange_atomique(arret_recherche, 0);
    valeur_nulle = 0;
  }
  CEchiquier b;
};

TEST_F(SearchAlphaBeta, FindsMatesWithTheirExactScores) {
  struct CAS {
    const char* fen;
    int coups;  // the shortest mate, in moves
    int plies;  // search depth below the root
  };
  const CAS cas[] = {
      {"6k1/8/6K1/8/8/8/8/R7 w -", 1, 1},   {"7k/8/5K2/8/8/8/8/1R6 w -", 2, 3},
      {"1r6/8/8/8/8/5k2/8/7K b -", 2, 3},   {"k7/8/2K5/8/8/8/8/7Q w -", 2, 3},
      {"6k1/8/8/5K2/8/8/8/1R6 w -", 3, 5},  {"4K3/8/8/4k3/8/8/8/7r b -", 3, 5},
  };
  for (const CAS& c : cas) {
    place_fen(b, c.fen);
    EMPILAGE e = *b.emp;
    // The positions are what they claim: a mate in n and none shorter
    const bool blancs = b.trait == BLANCS;
    EXPECT_TRUE(blancs ? mat_en<BLANCS>(e, c.coups) : mat_en<NOIRS>(e, c.coups)) << c.fen;
    if (c.coups > 1) {
      EXPECT_FALSE(blancs ? mat_en<BLANCS>(e, c.coups - 1) : mat_en<NOIRS>(e, c.coups - 1)) << c.fen;
    }
    efface_tout();
    const RESULTAT r = cherche(b, c.plies);
    EXPECT_EQ(r.score, MAT - (2 * c.coups - 1)) << c.fen;
    // The chosen move mates as fast
    EMPILAGE x = e;
    blancs ? applique_coup_noeud<BLANCS>(x, r.coup) : applique_coup_noeud<NOIRS>(x, r.coup);
    x.coup_precedent = r.coup;
    if (c.coups == 1) {
      EXPECT_TRUE(blancs ? suites<NOIRS>(x).empty() : suites<BLANCS>(x).empty()) << c.fen;
    } else {
      for (const EMPILAGE& y : blancs ? suites<NOIRS>(x) : suites<BLANCS>(x))
        EXPECT_TRUE(blancs ? mat_en<BLANCS>(y, c.coups - 1) : mat_en<NOIRS>(y, c.coups - 1)) << c.fen;
    }
  }
}

TEST_F(SearchAlphaBeta, MatedNodeStoresAnExactEntry) {
  place_fen(b, "6k1/8/6K1/8/8/8/8/R7 w -");
  EMPILAGE r = racine_de(b);
  const uint32_t mat = coup_texte("a1a8");
  ply_max_extension = 3;
  EXPECT_EQ(recherche_noirs(mat, TEST_LEGAL, UN_PLY, -INFINI, INFINI, &r), 1 - MAT);
  EMPILAGE x = r;
  applique_coup_noeud<BLANCS>(x, mat);
  const ENTREE_HASH* h = sonde_hash(&x, NOIRS);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->info & 7, HASH_EXACT);
  EXPECT_EQ(int(h->score), 1 - MAT);
  // Probed again from a deeper ply, the mate is counted from there
  EMPILAGE plus_loin = r;
  plus_loin.ply = 2;
  EXPECT_EQ(recherche_noirs(mat, TEST_LEGAL, UN_PLY, -INFINI, INFINI, &plus_loin), 3 - MAT);
}

TEST_F(SearchAlphaBeta, StalemateIsADrawFromThreePlies) {
  place_fen(b, "7k/8/6K1/5Q2/8/8/8/8 w -");
  EMPILAGE r = racine_de(b);
  const uint32_t pat = coup_texte("f5f7");
  valeur_nulle = 100;  // the engine plays White: a draw is worth -100 to Black
  ply_max_extension = 7;
  EXPECT_EQ(recherche_noirs(pat, TEST_LEGAL, 3 * UN_PLY, -INFINI, INFINI, &r), -100);
  camp_moteur = NOIRS;
  efface_tout();
  EXPECT_EQ(recherche_noirs(pat, TEST_LEGAL, 3 * UN_PLY, -INFINI, INFINI, &r), 100);
  // At the frontier the node stands on its static evaluation
  efface_tout();
  EMPILAGE x = r;
  applique_coup_noeud<BLANCS>(x, pat);
  x.ply = 1;
  x.coup_precedent = (uint32_t(VIDE) << 16) | pat;
  x.coups_reversibles = r.coups_reversibles + 1;
  EXPECT_EQ(recherche_noirs(pat, TEST_LEGAL, 2 * UN_PLY, -INFINI, INFINI, &r), evaluation(NOIRS, &x));
}

TEST_F(SearchAlphaBeta, TheStartingPositionIsInTheSearchRepetitions) {
  // Three plies into the game, Black's knight going home brings back the
  // initial position: the search knows it from the game.
  b.Raz();
  b.Coup1();
  ASSERT_EQ(joue_suite(b, "g1f3 g8f6 f3g1"), 0);
  EMPILAGE r = racine_de(b);
  EXPECT_EQ(recherche_blancs(coup_texte("f6g8"), TEST_LEGAL, 4 * UN_PLY, -INFINI, INFINI, &r), -1);
  // Likewise for a set-up position
  ASSERT_EQ(b.LitForsythe("4k3/8/8/8/8/8/8/R3K3 w - -"), 0);
  ASSERT_EQ(joue_suite(b, "a1a2 e8d8 a2a1"), 0);
  r = racine_de(b);
  EXPECT_EQ(recherche_blancs(coup_texte("d8e8"), TEST_LEGAL, 4 * UN_PLY, -INFINI, INFINI, &r), -1);
}

TEST_F(SearchAlphaBeta, GameRepetitionsScoreTheDrawMinusTheirCount) {
  // After 1. Nf3 the position is back on the board each time the knights return
  const uint32_t nf3 = coup_texte("g1f3");
  b.Raz();
  b.Coup1();
  for (int fois = 1; fois <= 2; ++fois) {
    // The initial position counts once before the first move: its third time is a draw
    ASSERT_EQ(joue_suite(b, "g1f3 g8f6 f3g1 f6g8"), fois == 2 ? 4 : 0);
    for (int v : {0, 100}) {
      valeur_nulle = v;
      EMPILAGE r = racine_de(b);
      ASSERT_EQ(r.coups_reversibles, 4 * fois);
      // camp_moteur is White: a draw is worth -v to Black, less the occurrences
      EXPECT_EQ(recherche_noirs(nf3, TEST_LEGAL, 4 * UN_PLY, -INFINI, INFINI, &r), -v - fois) << v;
    }
  }
}

TEST_F(SearchAlphaBeta, PathRepetitionsAndTheirRelease) {
  b.Raz();
  b.Coup1();
  ASSERT_EQ(joue_suite(b, "g1f3 g8f6 f3g1 f6g8"), 0);
  EMPILAGE r = racine_de(b);
  ply_max_extension = 9;
  // A position entered by an ancestor on the path scores the draw minus one
  EMPILAGE x = r;
  applique_coup_noeud<BLANCS>(x, coup_texte("b1c3"));
  ENTREE_REPETITION& slot = table_repetition_recherche[case_table(x.cle_hash, NOIRS, MASQUE_REPETITION)];
  const ENTREE_REPETITION avant = slot;
  slot = ENTREE_REPETITION{x.verrou_hash, 1, 1};
  EMPILAGE parent = r;
  parent.ply = 4;
  EXPECT_EQ(recherche_noirs(coup_texte("b1c3"), TEST_LEGAL, 3 * UN_PLY, -INFINI, INFINI, &parent), -1);
  slot = avant;
  // A finished search leaves no path entry behind
  efface_tout();
  const RESULTAT res = cherche(b, 4);
  EXPECT_NE(res.coup, 0u);
  for (int i = 0; i < TAILLE_REPETITION; ++i) {
    ASSERT_EQ(table_repetition_recherche[i].compte, table_repetition[i].compte) << i;
    ASSERT_EQ(table_repetition_recherche[i].ply, table_repetition[i].ply) << i;
  }
}

TEST_F(SearchAlphaBeta, BareKingsAreADrawNearTheRoot) {
  place_fen(b, "8/8/4k3/8/8/3K4/8/8 w -");
  EMPILAGE r = racine_de(b);
  valeur_nulle = 40;
  ply_max_extension = 7;
  EXPECT_EQ(recherche_noirs(coup_texte("d3d4"), TEST_LEGAL, 3 * UN_PLY, -INFINI, INFINI, &r), -40);
  // Kings next to each other: the entering move is illegal
  place_fen(b, "8/8/8/4k3/8/3K4/8/8 w -");
  r = racine_de(b);
  EXPECT_EQ(recherche_noirs(coup_texte("d3d4"), TEST_LEGAL, 3 * UN_PLY, -INFINI, INFINI, &r), SCORE_ILLEGAL);
  EXPECT_EQ(recherche_noirs(coup_texte("d3d4"), LEGAL_SEUL + TEST_LEGAL, 0, 0, 0, &r), SCORE_ILLEGAL);
  EXPECT_EQ(recherche_noirs(coup_texte("d3c3"), LEGAL_SEUL + TEST_LEGAL, 0, 0, 0, &r), 0);
}

TEST_F(SearchAlphaBeta, PromotionsTakeTheValuesOfTheRootPhase) {
  place_fen(b, "8/1P6/8/8/8/5k2/8/2K5 w -");
  EMPILAGE r = *b.emp;
  compute_keys(&r);
  ASSERT_GE(prepare_recherche(&r), 3);
  fixe_promotions(0);
  ply_max_extension = 3;
  recherche_noirs(coup_texte("b7b8q"), TEST_LEGAL, UN_PLY, -INFINI, INFINI, &r);
  EXPECT_EQ(valeur_promotion[DAME], 4640);
  EXPECT_EQ(valeur_promotion[TOUR], 2320);
}

TEST_F(SearchAlphaBeta, CastlingThroughAttackIsIllegal) {
  place_fen(b, "4k3/8/8/8/8/8/5r2/R3K2R w KQ");
  EMPILAGE r = racine_de(b);
  // The king would cross f1, which the rook attacks
  EXPECT_EQ(recherche_noirs(ROQUE_BLANC_PETIT, LEGAL_SEUL + TEST_LEGAL, 0, 0, 0, &r), SCORE_ILLEGAL);
  place_fen(b, "4k3/8/8/8/8/8/3r4/R3K2R w KQ");
  r = racine_de(b);
  EXPECT_EQ(recherche_noirs(ROQUE_BLANC_PETIT, LEGAL_SEUL + TEST_LEGAL, 0, 0, 0, &r), 0);
  EXPECT_EQ(recherche_noirs(ROQUE_BLANC_GRAND, LEGAL_SEUL + TEST_LEGAL, 0, 0, 0, &r), SCORE_ILLEGAL);
  // In check, neither castling is legal
  place_fen(b, "4k3/8/8/8/8/8/4r3/R3K2R w KQ");
  r = racine_de(b);
  EXPECT_EQ(recherche_noirs(ROQUE_BLANC_PETIT, LEGAL_SEUL + TEST_LEGAL, 0, 0, 0, &r), SCORE_ILLEGAL);
}

TEST_F(SearchAlphaBeta, SameScoreAndNodeCountFromAClearedState) {
  place_fen(b, "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ");
  efface_tout();
  const RESULTAT a = cherche(b, 4);
  efface_tout();
  const RESULTAT c = cherche(b, 4);
  EXPECT_EQ(a.score, c.score);
  EXPECT_EQ(a.coup, c.coup);
  EXPECT_EQ(a.noeuds, c.noeuds);
  EXPECT_GT(a.noeuds, 1000u);
  EXPECT_LT(std::abs(a.score), SEUIL_MAT);
  // The root line starts with a root move and stays within the chains
  for (int p = 0; p < NB_CHAINES_PV; ++p) {
    int n = 0;
    for (CELLULE_PV* c = pv_chaine[p]; c; c = c->suivant) ++n;
    EXPECT_EQ(n, NB_CHAINES_PV - p) << p;
  }
}

TEST_F(SearchAlphaBeta, StopFlagAbandonsEveryNode) {
  place_fen(b, "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ");
  efface_tout();
  const RESULTAT reference = cherche(b, 4);
  // Raised before the search: the first node leaves at once
  echange_atomique(arret_recherche, 1);
  EXPECT_THROW(cherche(b, 4), RECHERCHE_ABANDONNEE);
  echange_atomique(arret_recherche, 0);
  // Raised from another thread in the middle of a deep search
  efface_tout();
  std::atomic<bool> fini{false};
  std::thread minuteur([&] {
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (nb_noeuds.load() < 20000 && !fini.load() && std::chrono::steady_clock::now() < limite)
      std::this_thread::yield();
    echange_atomique(arret_recherche, 1);
  });
  bool abandonnee = false;
  try {
    cherche(b, 12);
  } catch (const RECHERCHE_ABANDONNEE&) {
    abandonnee = true;
  }
  fini = true;
  minuteur.join();
  EXPECT_TRUE(abandonnee);
  echange_atomique(arret_recherche, 0);
  // Every chain keeps its length, and the next search from a cleared state is unchanged
  for (int p = 0; p < NB_CHAINES_PV; ++p) {
    int n = 0;
    for (CELLULE_PV* c = pv_chaine[p]; c; c = c->suivant) ++n;
    EXPECT_EQ(n, NB_CHAINES_PV - p) << p;
  }
  efface_tout();
  const RESULTAT apres = cherche(b, 4);
  EXPECT_EQ(apres.score, reference.score);
  EXPECT_EQ(apres.noeuds, reference.noeuds);
}

}  // namespace
