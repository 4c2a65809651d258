// Probe: material counting, piece lists, colour mapping, the byte-to-result
// table and the fixed kppkp answers.
#include <gtest/gtest.h>
#include <unistd.h>

#include "board/types.h"
#include "tablebase/classes.h"
#include "tablebase/index.h"
#include "tablebase/probe.h"
#include "tablebase/registry.h"
#include "tests/tb_outils.h"

namespace {

using tb_test::Repertoire;

int sq(const char* s) { return (s[1] - '1') * 8 + (s[0] - 'a'); }

// Piece arrays of a node: kings in slots 0 and 16, other men after them.
struct Noeud {
  int pos[32], type[33];
  int prochain[2] = {1, 17};
  Noeud() {
    for (int i = 0; i < 32; i++) pos[i] = -1, type[i] = -1;
    type[32] = -1;
  }
  Noeud& blanc(int t, const char* c) { return met(0, t, c); }
  Noeud& noir(int t, const char* c) { return met(1, t, c); }
  Noeud& met(int couleur, int t, const char* c) {
    int s = t == ROI ? 16 * couleur : prochain[couleur]++;
    pos[s] = sq(c);
    type[s] = t;
    return *this;
  }
  int sonde(int trait) {
    TbCountMaterial(pos, type);
    TbLoadPieces(pos, type);
    return TbProbe(trait, -1);
  }
};

class TbProbeTest : public ::testing::Test {
 protected:
  void TearDown() override { TbRelease(); }
};

TEST_F(TbProbeTest, CountsMaterial) {
  Noeud n;
  n.blanc(ROI, "e1").blanc(DAME, "d1").blanc(PION_BLANC, "a2").noir(ROI, "e8").noir(TOUR, "a8");
  n.pos[5] = -1;  // captured slots do not count
  n.type[5] = CAVALIER;
  EXPECT_EQ(TbCountMaterial(n.pos, n.type), 3);
  Noeud rois;
  rois.blanc(ROI, "e1").noir(ROI, "e8");
  EXPECT_EQ(TbCountMaterial(rois.pos, rois.type), 0);
}

TEST_F(TbProbeTest, ByteToResultAndColours) {
  TbBuildIndexTables();
  const int kqk = TbClassNumber("kqk");
  Repertoire r;
  std::vector<uint8_t> t[2] = {std::vector<uint8_t>(25629, 0), std::vector<uint8_t>(28644, 0)};
  int a[TB_LISTE], b[TB_LISTE];
  auto index = [&](int camp, const char* roi, const char* dame, const char* autre) {
    for (int i = 0; i < TB_LISTE; i++) a[i] = b[i] = -1;
    a[TB_ROI] = sq(roi); a[TB_DAMES] = sq(dame); b[TB_ROI] = sq(autre);
    return TbIndexFunction(kqk, camp)(a, b, -1, 0);
  };
  const int octets[6] = {126, -126, 127, 0, -127, -128};
  const int attendus[6] = {32766, -32766, 32767, 0, -32640, 32640};
  const char* dames[6] = {"h8", "h7", "h6", "h5", "g2", "b7"};
  for (int k = 0; k < 6; k++) t[0][index(0, "a1", dames[k], "c1")] = uint8_t(octets[k]);
  t[1][index(1, "b2", "d6", "e4")] = uint8_t(-3);
  tb_test::ecrit_classe(r, "kqk", false, t);
  TbInit(r.chemin.c_str());
  for (int k = 0; k < 6; k++) {
    Noeud n;
    n.blanc(ROI, "a1").blanc(DAME, dames[k]).noir(ROI, "c1");
    EXPECT_EQ(n.sonde(0), attendus[k]) << k;
  }
  // The queen's side is Black: White to move reads ".nbb" with Black's men first.
  Noeud n;
  n.noir(ROI, "b2").noir(DAME, "d6").blanc(ROI, "e4");
  EXPECT_EQ(n.sonde(0), -3 - 32640);
  Noeud m;
  m.blanc(ROI, "b2").blanc(DAME, "d6").noir(ROI, "e4");
  EXPECT_EQ(m.sonde(1), -3 - 32640);
  // Material with no table, and positions with an en-passant capture.
  Noeud sans;
  sans.blanc(ROI, "a1").blanc(DAME, "h8").blanc(TOUR, "h1").noir(ROI, "c1");
  EXPECT_EQ(sans.sonde(0), TB_PAS_DE_RESULTAT);
  Noeud q;
  q.blanc(ROI, "a1").blanc(DAME, "h8").noir(ROI, "c1");
  TbCountMaterial(q.pos, q.type);
  TbLoadPieces(q.pos, q.type);
  EXPECT_EQ(TbProbe(0, sq("e3")), TB_PAS_DE_RESULTAT);
  EXPECT_EQ(TbProbe(0, -1), 32766);
}

TEST_F(TbProbeTest, FixedKppkpAnswers) {
  TbBuildIndexTables();
  const int kppkp = TbClassNumber("kppkp");
  FONCTION_INDEX f = TbIndexFunction(kppkp, 1);
  // Find a position of the ".nbb" table at index 56,802,428: the quotient
  // by C(47, 2) comes from kings and the black pawn, the rest from White's pawns.
  const uint32_t cible = 56802428;
  int a[TB_LISTE], b[TB_LISTE];
  for (int i = 0; i < TB_LISTE; i++) a[i] = b[i] = -1;
  bool trouve = false;
  for (int wk = 0; wk < 64 && !trouve; wk++)
    for (int bk = 0; bk < 64 && !trouve; bk++)
      for (int bp = 8; bp < 56 && !trouve; bp++) {
        if (wk == bk || wk == bp || bk == bp) continue;
        a[TB_ROI] = wk; b[TB_ROI] = bk; b[TB_PIONS] = bp;
        int libres[2], n = 0;
        for (int c = 8; c < 56 && n < 2; c++) if (c != wk && c != bk && c != bp) libres[n++] = c;
        a[TB_PIONS] = libres[0]; a[TB_PIONS + 1] = libres[1];
        if (f(a, b, -1, 0) / 1081 != cible / 1081) continue;
        for (int p1 = 8; p1 < 56 && !trouve; p1++)
          for (int p2 = p1 + 1; p2 < 56 && !trouve; p2++) {
            if (p1 == wk || p1 == bk || p1 == bp || p2 == wk || p2 == bk || p2 == bp) continue;
            a[TB_PIONS] = p1; a[TB_PIONS + 1] = p2;
            trouve = f(a, b, -1, 0) == cible;
          }
      }
  ASSERT_TRUE(trouve);
  // Sparse files of the right lengths, all draws.
  Repertoire r;
  for (const char* nom : {"kppkp.nbw", "kppkp.nbb"}) {
    FILE* x = fopen((r / nom).c_str(), "wb");
    fclose(x);
    ASSERT_EQ(truncate((r / nom).c_str(), nom[8] == 'w' ? 84219361 : 89391280), 0);
  }
  TbInit(r.chemin.c_str());
  Noeud n;
  n.pos[0] = a[TB_ROI]; n.type[0] = ROI;
  n.pos[1] = a[TB_PIONS]; n.type[1] = PION_BLANC;
  n.pos[2] = a[TB_PIONS + 1]; n.type[2] = PION_BLANC;
  n.pos[16] = b[TB_ROI]; n.type[16] = ROI;
  n.pos[17] = b[TB_PIONS]; n.type[17] = PION_NOIR;
  EXPECT_EQ(n.sonde(1), -32639);
  EXPECT_EQ(n.sonde(0), 0);  // the other table reads its byte
  // The same men with the pawns one square further: an ordinary draw.
  Noeud autre = n;
  for (int c = 8; c < 56; c++)
    if (c != n.pos[0] && c != n.pos[2] && c != n.pos[16] && c != n.pos[17] && c != n.pos[1]) {
      autre.pos[1] = c;
      break;
    }
  EXPECT_EQ(autre.sonde(1), 0);
}

}  // namespace
