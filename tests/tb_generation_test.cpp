// Generated tables: known facts of the three-men endings, every value the
// best over its moves, colour symmetry, plain and compressed files alike,
// and the probe answering for the search.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tablebase/cache.h"
#include "tablebase/classes.h"
#include "tablebase/encode.h"
#include "tablebase/gencoups.h"
#include "tablebase/generation.h"
#include "tablebase/probe.h"
#include "tablebase/registry.h"
#include "tests/tb_outils.h"

namespace {

using tb_test::Repertoire;

const char* const TROIS[5] = {"kqk", "krk", "kbk", "knk", "kpk"};

// Probe result of a generator position (White = men of colour 0).
int sonde(const POSITION_GEN& p) {
  int pos[32], type[33];
  for (int i = 0; i < 32; i++) pos[i] = type[i] = -1;
  type[32] = -1;
  int prochain[2] = {1, 17};
  for (int h = 0; h < p.nb; h++) {
    if (p.case_[h] < 0) continue;
    int s = p.genre[h] == TBG_ROI ? 16 * p.couleur[h] : prochain[p.couleur[h]]++;
    pos[s] = p.case_[h];
    type[s] = p.genre[h] == TBG_PION ? 5 + p.couleur[h] : p.genre[h];
  }
  if (TbCountMaterial(pos, type) == 0) return 0;
  TbLoadPieces(pos, type);
  return TbProbe(p.trait, -1);
}

// A result as a score: mate distance in plies, better for the side to move when higher.
int score(int r) {
  if (r == 0) return 0;
  return r > 0 ? 1000 - (2 * (32767 - r) - 1) : -1000 + 2 * (r + 32766);
}

class TbGeneration : public ::testing::Test {
 protected:
  static Repertoire* plain;
  static Repertoire* compresse;
  static std::vector<int8_t> tables[6][2];

  static void SetUpTestSuite() {
    plain = new Repertoire;
    compresse = new Repertoire;
    // Pieces first: kpk reads them for its promotions.
    for (int k : {0, 1, 2, 3, 4}) {
      int c = TbClassNumber(TROIS[k]);
      std::string erreur;
      ASSERT_TRUE(TbGenerate(c, tables[c], &erreur)) << erreur;
      std::vector<uint8_t> octets[2];
      for (int t = 0; t < 2; t++) octets[t].assign(tables[c][t].begin(), tables[c][t].end());
      tb_test::ecrit_classe(*plain, TROIS[k], false, octets);
      tb_test::ecrit_classe(*compresse, TROIS[k], true, octets);
      TbInit(plain->chemin.c_str());
    }
  }
  static void TearDownTestSuite() {
    TbRelease();
    delete plain;
    delete compresse;
  }
  void SetUp() override { TbInit(plain->chemin.c_str()); }
};

Repertoire* TbGeneration::plain;
Repertoire* TbGeneration::compresse;
std::vector<int8_t> TbGeneration::tables[6][2];

TEST_F(TbGeneration, KnownFactsOfThreeMen) {
  auto plus_longue = [](const std::vector<int8_t>& t) {
    int m = 0;
    for (int8_t v : t) if (v > 0 && v < 127) m = std::max(m, 127 - v);
    return m;
  };
  EXPECT_EQ(plus_longue(tables[5][0]), 10);  // queen mates in 10 at most
  EXPECT_EQ(plus_longue(tables[4][0]), 16);  // rook in 16
  EXPECT_EQ(plus_longue(tables[1][0]), 28);  // pawn, through promotion, in 28
  for (int c : {2, 3})
    for (int t = 0; t < 2; t++)
      for (int8_t v : tables[c][t]) ASSERT_TRUE(v == 0 || v == 127);
  // The last byte of every table is a legal position: tables are tight.
  for (int c = 1; c <= 5; c++)
    for (int t = 0; t < 2; t++) EXPECT_NE(tables[c][t].back(), 127) << c << t;
  // Lengths as registered.
  EXPECT_EQ(tables[5][0].size(), 25629u);
  EXPECT_EQ(tables[1][1].size(), 84012u);
}

TEST_F(TbGeneration, MateStalemateAndMateInOne) {
  POSITION_GEN p;
  TbClassPosition(5, p);  // White king, black king, white queen
  auto met = [&](int wk, int bk, int q, int trait) {
    p.case_[0] = wk; p.case_[1] = bk; p.case_[2] = q; p.trait = trait; p.place();
    return sonde(p);
  };
  EXPECT_EQ(met(41, 56, 49, 1), -32766);  // Kb6 Qb7 against Ka8: mated
  EXPECT_EQ(met(41, 56, 50, 1), 0);       // Qc7: stalemate
  EXPECT_EQ(met(41, 56, 34, 0), 32766);   // Qc5: mate in one (Qc8)
  EXPECT_EQ(met(41, 56, 42, 0), 32767);   // Qc6 checks with White to move: no position
}

TEST_F(TbGeneration, EveryValueIsTheBestOverItsMoves) {
  std::mt19937 alea(5);
  for (const char* nom : TROIS) {
    POSITION_GEN p;
    TbClassPosition(TbClassNumber(nom), p);
    int verifies = 0;
    while (verifies < 3000) {
      for (int h = 0; h < 3; h++) p.case_[h] = int(alea() % 64);
      p.trait = int(alea() % 2);
      p.place();
      if (!TbgLegal(p)) continue;
      verifies++;
      COUP_GEN coups[TBG_MAX_COUPS];
      int n = TbgMoves(p, coups);
      int attendu = -100000;
      for (int k = 0; k < n; k++) {
        POSITION_GEN q = p;
        TbgPlay(q, coups[k]);
        int s = -score(sonde(q));
        attendu = std::max(attendu, s > 0 ? s - 1 : s < 0 ? s + 1 : 0);
      }
      if (n == 0) attendu = TbgAttacked(p, p.case_[p.trait], 1 - p.trait) ? -1000 : 0;
      ASSERT_EQ(score(sonde(p)), attendu) << nom << " " << p.case_[0] << " " << p.case_[1] << " "
                                          << p.case_[2] << " side " << p.trait;
    }
  }
}

TEST_F(TbGeneration, ColourMirrorsScoreAlike) {
  // Turning the board over and swapping colours leaves the result alone;
  // kpk with a black pawn reads its tables the other way round.
  std::mt19937 alea(8);
  for (const char* nom : {"kpk", "kqk", "krk"}) {
    POSITION_GEN p;
    TbClassPosition(TbClassNumber(nom), p);
    for (int n = 0; n < 2000;) {
      for (int h = 0; h < 3; h++) p.case_[h] = int(alea() % 64);
      p.trait = int(alea() % 2);
      p.place();
      if (!TbgLegal(p)) continue;
      n++;
      POSITION_GEN m = p;
      for (int h = 0; h < 3; h++) m.couleur[h] = 1 - p.couleur[h], m.case_[h] = p.case_[h] ^ 56;
      std::swap(m.case_[0], m.case_[1]);
      std::swap(m.couleur[0], m.couleur[1]);
      m.trait = 1 - p.trait;
      m.place();
      ASSERT_EQ(sonde(m), sonde(p)) << nom;
    }
  }
}

TEST_F(TbGeneration, PlainAndCompressedProbeAlike) {
  TbInit(compresse->chemin.c_str());
  for (int c = 1; c <= 5; c++)
    for (int t = 0; t < 2; t++) {
      ASSERT_NE(classes_tb[c].compresse[t], nullptr);
      for (uint32_t i = 0; i < tables[c][t].size(); i++)
        ASSERT_EQ(TbFetchByte(c, t, i), tables[c][t][i]) << c << " " << t << " " << i;
    }
}

TEST_F(TbGeneration, FourMenNeedTheirSmallerTables) {
  std::vector<int> s = TbSuccessorClasses(TbClassNumber("kqkr"));
  std::sort(s.begin(), s.end());
  EXPECT_EQ(s, (std::vector<int>{4, 5}));
  std::vector<int8_t> t[2];
  std::string erreur;
  EXPECT_FALSE(TbGenerate(TbClassNumber("kqkp"), t, &erreur));  // promotes into kqkq
  EXPECT_NE(erreur.find("kqkq is not registered"), std::string::npos) << erreur;
  EXPECT_FALSE(TbGenerate(TbClassNumber("kpkp"), t, &erreur));
  EXPECT_FALSE(TbGenerate(TbClassNumber("kqrkr"), t, &erreur));
}

}  // namespace
