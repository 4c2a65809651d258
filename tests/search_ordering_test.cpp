// Move ordering on hand-made positions, and the learning tables.
#include <gtest/gtest.h>

#include <map>

#include "outils.h"
#include "search/ordering.h"
#include "search/position.h"

namespace {

class SearchOrdering : public ::testing::Test {
 protected:
  void SetUp() override { clear_tables(); }
  void TearDown() override { clear_tables(); }

  // The node of a FEN placement at ply 4, with its pseudo-legal list.
  EMPILAGE noeud(const char* fen) {
    place_fen(b, fen);
    EMPILAGE e = *b.emp;
    e.ply = 4;
    e.coup_precedent = 0;
    // Values by type, as the preparation of a search gives them
    static const int valeurs[7] = {4400, 4400, 2200, 1440, 1400, 400, 400};
    for (int s = 0; s < 32; ++s)
      if (e.type_piece[s] >= 0) e.valeur_piece[s] = valeurs[e.type_piece[s]];
    return e;
  }
  CEchiquier b;
};

// Move (low 16 bits) to score (high 16 bits) of a scored list.
std::map<uint32_t, uint32_t> scores(const uint32_t* l) {
  std::map<uint32_t, uint32_t> m;
  for (; *l; ++l) m[*l & 0xffff] = *l >> 16;
  return m;
}

TEST_F(SearchOrdering, FullOrderingTakesTheFirstRuleThatApplies) {
  EMPILAGE e = noeud("r3k3/1P6/8/3p4/4P3/8/3p4/R3K3 w -");
  const uint32_t entree = coup_texte("d7d5");
  const uint32_t hash = coup_texte("e4d5");
  refutation[BLANCS][entree & 0xfff] = uint16_t(coup_texte("a1a2"));
  killers[BLANCS][4] = (coup_texte("a1a3") << 16) | coup_texte("a1a4");
  historique[BLANCS][coup_texte("a1a5") & 0xfff] = 77;
  // Black's tables are not consulted for White's node
  historique[NOIRS][coup_texte("a1b1") & 0xfff] = 500;
  uint32_t l[TAILLE_LISTE_COUPS];
  const int n = generate_all<BLANCS>(e, l);
  const uint32_t premier = l[0] & 0xffff;
  full_ordering<BLANCS>(l, hash, entree, e);
  EXPECT_EQ(l[n], 0u);
  EXPECT_EQ(l[0] & 0xffff, premier);  // scored in place, order kept
  auto s = scores(l);
  EXPECT_EQ(s[hash], 65535u);                                   // a capture, but the table move
  EXPECT_EQ(s[coup_texte("b7a8q")], 65526u);                    // promotions before captures
  EXPECT_EQ(s[coup_texte("b7b8r")], 65525u);
  EXPECT_EQ(s[coup_texte("b7b8b")], 65524u);
  EXPECT_EQ(s[coup_texte("b7b8n")], 65523u);
  EXPECT_EQ(s[coup_texte("a1a8")], 65520u);
  EXPECT_EQ(s[coup_texte("e1d2")], 65510u);                     // king takes pawn
  EXPECT_EQ(s[coup_texte("a1a2")], 65511u);                     // refutation
  EXPECT_EQ(s[coup_texte("a1a4")], 65509u);                     // newest killer
  EXPECT_EQ(s[coup_texte("a1a3")], 65508u);                     // older killer
  EXPECT_EQ(s[coup_texte("a1a5")], 77u);                        // history
  EXPECT_EQ(s[coup_texte("a1b1")], 0u);
  // Without an entering move there is no refutation
  generate_all<BLANCS>(e, l);
  full_ordering<BLANCS>(l, 0, 0, e);
  s = scores(l);
  EXPECT_EQ(s[coup_texte("a1a2")], 0u);
  EXPECT_EQ(s[hash], 65520u);
}

TEST_F(SearchOrdering, FrontierKeepsOnlyForcingMoves) {
  EMPILAGE e = noeud("4k3/1P6/8/4n3/8/R7/8/4K3 w -");
  uint32_t l[TAILLE_LISTE_COUPS];
  // At the frontier only the queen promotion stays
  generate_all<BLANCS>(e, l);
  EXPECT_EQ(frontier_ordering<BLANCS>(l, 0, 0, false, e), 1);
  EXPECT_EQ(l[0], coup_texte("b7b8q") | 2996u << 16);
  EXPECT_EQ(l[1], 0u);
  // At the pre-frontier: a discovered line through the knight, a direct
  // line, and the bonus of the table move; under-promotions are pawn moves
  generate_all<BLANCS>(e, l);
  const uint32_t a3e3 = coup_texte("a3e3");
  EXPECT_EQ(frontier_ordering<BLANCS>(l, a3e3, 0, true, e), 3);
  auto s = scores(l);
  EXPECT_EQ(s.size(), 3u);
  EXPECT_EQ(s[a3e3], 201u + 2000u);
  EXPECT_EQ(s[coup_texte("a3a8")], 201u);
  EXPECT_EQ(s[coup_texte("b7b8q")], 2996u);
  // Kept entries keep their list order
  EXPECT_EQ(l[0] & 0xffff, coup_texte("a3a8"));
  EXPECT_EQ(l[1] & 0xffff, coup_texte("a3e3"));
  EXPECT_EQ(l[2] & 0xffff, coup_texte("b7b8q"));
}

TEST_F(SearchOrdering, PreFrontierScoresEachKindOfThreat) {
  EMPILAGE e = noeud("4k3/8/2P1K3/5N2/8/8/8/3Q4 w -");
  uint32_t l[TAILLE_LISTE_COUPS];
  generate_all<BLANCS>(e, l);
  frontier_ordering<BLANCS>(l, 0, 0, true, e);
  auto s = scores(l);
  const std::map<std::string, uint32_t> attendu = {
      {"c6c7", 30},  {"f5g7", 100}, {"f5e7", 100}, {"f5d6", 100}, {"e6d6", 15},
      {"e6f6", 15},  {"d1d7", 302}, {"d1d8", 302}, {"d1h5", 202}};
  for (const auto& [texte, score] : attendu) EXPECT_EQ(s[coup_texte(texte)], score) << texte;
  EXPECT_EQ(s.size(), attendu.size());  // f5h6, e6e5, d1a4 (own pawn in the way), d1e2 (own king) ... dropped
  // The bonus falls to the refutation, then to the killers
  const uint32_t entree = coup_texte("e8f8");
  refutation[BLANCS][entree & 0xfff] = uint16_t(coup_texte("f5g7"));
  generate_all<BLANCS>(e, l);
  frontier_ordering<BLANCS>(l, 0, entree, true, e);
  EXPECT_EQ(scores(l)[coup_texte("f5g7")], 2100u);
  killers[BLANCS][4] = coup_texte("c6c7") << 16;
  generate_all<BLANCS>(e, l);
  frontier_ordering<BLANCS>(l, 0, 0, true, e);
  EXPECT_EQ(scores(l)[coup_texte("c6c7")], 2030u);
}

TEST_F(SearchOrdering, FrontierCapturesAndBlackMirror) {
  EMPILAGE e = noeud("4k3/8/5r2/3pP3/8/8/8/4K3 w -");
  e.coup_precedent = coup_texte("d7d5");
  uint32_t l[TAILLE_LISTE_COUPS];
  generate_all<BLANCS>(e, l);
  EXPECT_EQ(frontier_ordering<BLANCS>(l, 0, 0, false, e), 2);
  auto s = scores(l);
  EXPECT_EQ(s[coup_texte("e5f6")], 904u);
  EXPECT_EQ(s[coup_texte("e5d6") | PRISE_EN_PASSANT], 900u);
  // Black: a pawn reaching the second rank, and lines through white pieces
  e = noeud("4k3/8/8/8/8/1r6/6p1/4N1K1 b -");
  generate_all<NOIRS>(e, l);
  frontier_ordering<NOIRS>(l, 0, 0, true, e);
  s = scores(l);
  EXPECT_EQ(s[coup_texte("b3b1")], 201u);  // along the first rank through the knight to g1
  EXPECT_EQ(s.count(coup_texte("g2g1q")), 0u);  // the push is blocked by the king
}

TEST_F(SearchOrdering, CutoffsFeedTheTablesOfTheirSide) {
  const uint32_t m1 = coup_texte("g1f3") | 0x12340000u, m2 = coup_texte("b1c3"), entree = coup_texte("e7e5");
  record_cutoff<BLANCS>(m1, entree, 5, 3);
  EXPECT_EQ(historique[BLANCS][m1 & 0xfff], 3);
  EXPECT_EQ(refutation[BLANCS][entree & 0xfff], m1 & 0xffff);
  EXPECT_EQ(killers[BLANCS][5], m1 & 0xffff);
  record_cutoff<BLANCS>(m2, entree, 5, 2);
  EXPECT_EQ(killers[BLANCS][5], ((m1 & 0xffff) << 16) | m2);
  EXPECT_EQ(refutation[BLANCS][entree & 0xfff], m2);
  record_cutoff<BLANCS>(m2, entree, 5, 2);
  EXPECT_EQ(killers[BLANCS][5], (m2 << 16) | m2);  // the older killer falls out
  EXPECT_EQ(historique[NOIRS][m1 & 0xfff], 0);
  EXPECT_EQ(killers[NOIRS][5], 0u);
  // A counter below the ceiling grows by the full depth, then stops
  historique[NOIRS][m2 & 0xfff] = 64999;
  record_best<NOIRS>(m2, 7);
  EXPECT_EQ(historique[NOIRS][m2 & 0xfff], 65006);
  record_best<NOIRS>(m2, 7);
  record_cutoff<NOIRS>(m2, entree, 3, 7);
  EXPECT_EQ(historique[NOIRS][m2 & 0xfff], 65006);
  clear_tables();
  EXPECT_EQ(historique[NOIRS][m2 & 0xfff], 0);
  EXPECT_EQ(killers[BLANCS][5], 0u);
  EXPECT_EQ(refutation[BLANCS][entree & 0xfff], 0u);
}

TEST_F(SearchOrdering, AgingAtItsThresholds) {
  historique[BLANCS][10] = 32767;
  historique[NOIRS][20] = 800;
  age_history();
  EXPECT_EQ(historique[BLANCS][10], 32767);
  EXPECT_EQ(historique[NOIRS][20], 800);
  historique[NOIRS][30] = 32768;
  age_history();
  EXPECT_EQ(historique[BLANCS][10], 32767 >> 3);
  EXPECT_EQ(historique[NOIRS][20], 100);
  EXPECT_EQ(historique[NOIRS][30], 4096);
  historique[BLANCS][40] = 65536;
  age_history();
  EXPECT_EQ(historique[BLANCS][40], 4096);
  EXPECT_EQ(historique[NOIRS][20], 6);
}

}  // namespace
