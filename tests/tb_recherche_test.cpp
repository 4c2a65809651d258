// The search's call point: with generated tables registered, a rook ending
// far beyond the search depth gets the exact mate score of the tables.
#include <gtest/gtest.h>

#include "board/echiquier.h"
#include "search/globals.h"
#include "outils.h"
#include "tablebase/classes.h"
#include "tablebase/generation.h"
#include "tablebase/probe.h"
#include "tablebase/registry.h"
#include "tests/tb_outils.h"

namespace {

TEST(TbSearch, RookEndingScoredAsTheTablesMate) {
  tb_test::Repertoire r;
  std::vector<int8_t> t[2];
  std::string erreur;
  TbInit(r.chemin.c_str());
  ASSERT_TRUE(TbGenerate(TbClassNumber("krk"), t, &erreur)) << erreur;
  std::vector<uint8_t> octets[2] = {{t[0].begin(), t[0].end()}, {t[1].begin(), t[1].end()}};
  tb_test::ecrit_classe(r, "krk", false, octets);
  TbInit(r.chemin.c_str());

  // White Ke1, Ra1 against Ke5, White to move: the tables' distance first.
  int pos[32], type[33];
  for (int i = 0; i < 32; i++) pos[i] = type[i] = -1;
  type[32] = -1;
  pos[0] = 4; type[0] = ROI;
  pos[1] = 0; type[1] = TOUR;
  pos[16] = 36; type[16] = ROI;
  TbCountMaterial(pos, type);
  TbLoadPieces(pos, type);
  int resultat = TbProbe(0, -1);
  ASSERT_GT(resultat, 32640);
  int coups = 32767 - resultat;
  ASSERT_GE(coups, 8);  // far beyond a depth-4 search

  CEchiquier e;
  e.AlloueHashTable(16);
  e.Raz();
  e.Coup1();
  credit_livre = 0;
  e.SetTempsLimite(30, 30);
  place_fen(e, "8/8/8/4k3/8/8/8/R3K3 w - -");
  e.SetProfondeur(4);
  uint32_t r4 = e.Analyse();
  EXPECT_EQ(int16_t(r4 >> 16), 32700 - (2 * coups - 1));
  TbRelease();
}

}  // namespace
