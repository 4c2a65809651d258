// Position indexing: king pairs, enumeration counts, the worked examples,
// symmetries, and that no legal position indexes past its table.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "tablebase/index.h"

namespace {

int sq(const char* s) { return (s[1] - '1') * 8 + (s[0] - 'a'); }

struct Listes {
  int a[TB_LISTE], b[TB_LISTE];
  Listes() {
    for (int i = 0; i < TB_LISTE; i++) a[i] = b[i] = -1;
  }
};

class TbIndex : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { TbBuildIndexTables(); }
};

TEST_F(TbIndex, KingPairCounts) {
  for (int pions = 0; pions < 2; pions++) {
    std::set<int> vus;
    for (int m = 0; m < 64; m++)
      for (int w = 0; w < 64; w++) {
        int k = TbKingPair(pions, m, w);
        if (k != TB_PAIRE_INVALIDE) {
          EXPECT_TRUE(vus.insert(k).second);
        }
      }
    int attendu = pions ? TB_PAIRES_AVEC_PIONS : TB_PAIRES_SANS_PIONS;
    ASSERT_EQ(int(vus.size()), attendu);
    EXPECT_EQ(*vus.rbegin(), attendu - 1);
  }
  EXPECT_EQ(TbKingPair(false, sq("a1"), sq("c1")), 0);
  EXPECT_EQ(TbKingPair(false, sq("d1"), sq("d3")), 162);
  EXPECT_EQ(TbKingPair(false, sq("a1"), sq("a3")), TB_PAIRE_INVALIDE);  // below the diagonal
  EXPECT_EQ(TbKingPair(false, sq("a2"), sq("h8")), TB_PAIRE_INVALIDE);
  EXPECT_EQ(TbKingPair(true, sq("e1"), sq("a8")), TB_PAIRE_INVALIDE);
}

TEST_F(TbIndex, EnumerationCounts) {
  const uint32_t sans[6] = {0, 0, 26282, 27243, 27036, 25635};
  for (int g = 2; g < 6; g++) EXPECT_EQ(TbEnumerationCount(false, g), sans[g]) << g;
  const uint32_t avec[6] = {84012, 81664, 102748, 106500, 105684, 100212};
  for (int g = 0; g < 6; g++) EXPECT_EQ(TbEnumerationCount(true, g), avec[g]) << g;
}

TEST_F(TbIndex, PlacementExclusions) {
  // A pawn of the side to move never stands where it captures the waiting king.
  EXPECT_EQ(TbPlacement(TB_GENRE_PION_TRAIT, sq("e5"), sq("d4")), 255);
  EXPECT_EQ(TbPlacement(TB_GENRE_PION_TRAIT, sq("e5"), sq("f4")), 255);
  EXPECT_NE(TbPlacement(TB_GENRE_PION_TRAIT, sq("a5"), sq("h3")), 255);  // no wrap round the board
  EXPECT_NE(TbPlacement(TB_GENRE_PION_ATTENTE, sq("e5"), sq("d4")), 255);
  EXPECT_EQ(TbPlacement(TB_GENRE_PION_ATTENTE, sq("e5"), sq("d1")), 255);
  EXPECT_EQ(TbPlacement(TB_GENRE_CAVALIER, sq("e5"), sq("f7")), 255);
  EXPECT_EQ(TbPlacement(TB_GENRE_FOU, sq("e5"), sq("d6")), 255);
  EXPECT_NE(TbPlacement(TB_GENRE_FOU, sq("e5"), sq("e6")), 255);
  EXPECT_EQ(TbPlacement(TB_GENRE_TOUR, sq("e5"), sq("e6")), 255);
  EXPECT_NE(TbPlacement(TB_GENRE_TOUR, sq("e5"), sq("c7")), 255);  // distant checks stay
  EXPECT_EQ(TbPlacement(TB_GENRE_DAME, sq("e5"), sq("d6")), 255);
  EXPECT_EQ(TbPlacement(TB_GENRE_DAME, sq("a1"), sq("h8")), 59);
}

TEST_F(TbIndex, WorkedExamples) {
  FONCTION_INDEX kqk = TbIndexFunction(TbClassNumber("kqk"), 0);
  Listes l;
  l.a[TB_ROI] = sq("a1"); l.b[TB_ROI] = sq("c1"); l.a[TB_DAMES] = sq("h8");
  EXPECT_EQ(kqk(l.a, l.b, -1, 0), 56u);
  l.a[TB_ROI] = sq("e1"); l.b[TB_ROI] = sq("e3");
  EXPECT_EQ(kqk(l.a, l.b, -1, 0), 9026u);
  // The lone king to move: king pair times 62 plus the free queen.
  FONCTION_INDEX kqk_b = TbIndexFunction(TbClassNumber("kqk"), 1);
  l.a[TB_ROI] = sq("c1"); l.b[TB_ROI] = sq("a1"); l.a[TB_DAMES] = sq("h8");
  EXPECT_EQ(kqk_b(l.a, l.b, -1, 0), 0u * 62 + 61);
}

TEST_F(TbIndex, DoubledMenCommute) {
  FONCTION_INDEX f[2] = {TbIndexFunction(TbClassNumber("krrk"), 0),
                         TbIndexFunction(TbClassNumber("krrk"), 1)};
  Listes l, m;
  l.a[TB_ROI] = m.a[TB_ROI] = sq("b2");
  l.b[TB_ROI] = m.b[TB_ROI] = sq("g6");
  l.a[TB_TOURS] = m.a[TB_TOURS + 1] = sq("a7");
  l.a[TB_TOURS + 1] = m.a[TB_TOURS] = sq("h3");
  for (auto g : f) EXPECT_EQ(g(l.a, l.b, -1, 0), g(m.a, m.b, -1, 0));
  FONCTION_INDEX p = TbIndexFunction(TbClassNumber("kppkp"), 1);
  l.a[TB_TOURS] = l.a[TB_TOURS + 1] = m.a[TB_TOURS] = m.a[TB_TOURS + 1] = -1;
  l.a[TB_PIONS] = m.a[TB_PIONS + 1] = sq("c3");
  l.a[TB_PIONS + 1] = m.a[TB_PIONS] = sq("f5");
  l.b[TB_PIONS] = m.b[TB_PIONS] = sq("d6");
  EXPECT_EQ(p(l.a, l.b, -1, 0), p(m.a, m.b, -1, 0));
}

}  // namespace

#include "tablebase/gencoups.h"
#include "tablebase/generation.h"

namespace {

// Every index function, on random legal positions of its class: the index
// stays below the table length, and positions that differ only by a
// symmetry the frame folds away share their index.
TEST_F(TbIndex, LegalPositionsStayInsideTheirTables) {
  std::mt19937 alea(1);
  const int POSITIONS[6] = {TB_ROI, TB_DAMES, TB_TOURS, TB_FOUS, TB_CAVALIERS, TB_PIONS};
  for (int c = 1; c <= TB_NB_CLASSES; c++) {
    POSITION_GEN p;
    TbClassPosition(c, p);
    bool pions = false;
    for (int h = 0; h < p.nb; h++) pions |= p.genre[h] == TBG_PION;
    int vus = 0;
    for (int essai = 0; essai < 20000 && vus < 1500; essai++) {
      for (int h = 0; h < p.nb; h++) p.case_[h] = int(alea() % 64);
      p.trait = int(alea() % 2);
      p.place();
      if (!TbgLegal(p)) continue;
      vus++;
      auto index = [&](const POSITION_GEN& q) {
        Listes l;
        for (int h = 0; h < q.nb; h++) {
          int* liste = q.couleur[h] ? l.b : l.a;
          int k = POSITIONS[q.genre[h]];
          while (liste[k] >= 0) k++;
          liste[k] = q.case_[h];
        }
        return TbIndexFunction(c, q.trait)(l.a, l.b, -1, 0);
      };
      uint32_t i = index(p);
      int longueur = p.trait ? TB_DEFINITIONS[c].taille_nbb : TB_DEFINITIONS[c].taille_nbw;
      ASSERT_LT(i, uint32_t(longueur)) << TB_DEFINITIONS[c].nom << " side " << p.trait;
      // Mirrored files always fold to the same index.
      POSITION_GEN m = p;
      for (int h = 0; h < m.nb; h++) m.case_[h] ^= 7;
      ASSERT_EQ(index(m), i) << TB_DEFINITIONS[c].nom;
      if (!pions) {
        for (int h = 0; h < m.nb; h++) m.case_[h] ^= 63;  // the board turned round
        ASSERT_EQ(index(m), i) << TB_DEFINITIONS[c].nom;
      }
    }
    EXPECT_GT(vus, 100) << TB_DEFINITIONS[c].nom;
  }
}

}  // namespace
