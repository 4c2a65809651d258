// The benchmark's signature, and what it leaves behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "board/echiquier.h"
#include "frontend/bench.h"
#include "frontend/configuration.h"
#include "outils.h"
#include "search/arret.h"
#include "search/globals.h"
#include "search/hash.h"
#include "tablebase/classes.h"
#include "tablebase/registry.h"
#include "tb_outils.h"

namespace {

// Tables of the three-man classes the built-in endgames reach; their
// contents do not matter, only that a search would find them.
void ecrit_tables(const tb_test::Repertoire& r) {
  for (const char* nom : {"kqk", "kpk", "krk", "kbk"}) {
    const int c = TbClassNumber(nom);
    const std::vector<uint8_t> tables[2] = {tb_test::table_motif(c, 0), tb_test::table_motif(c, 1)};
    tb_test::ecrit_classe(r, nom, false, tables);
  }
}

std::string total(const std::string& sortie) {
  std::smatch m;
  static const std::regex r(R"(Nodes searched: (\d+))");
  return std::regex_search(sortie, m, r) ? m[1].str() : "";
}

}  // namespace

TEST(Bench, TheTotalIsTheSameWithAndWithoutTablebases) {
  tb_test::Repertoire r;
  ecrit_tables(r);
  const auto sans = lance_programme("bench 3\nquit\n");
  const auto avec = lance_programme("bench 3\nquit\n", "-d" + r.chemin);
  const auto ligne = lance_programme("", "bench 3");
  ASSERT_NE(total(sans.sortie), "") << sans.sortie;
  EXPECT_EQ(total(avec.sortie), total(sans.sortie));
  EXPECT_EQ(total(ligne.sortie), total(sans.sortie));
}

TEST(Bench, TheUsersGameSettingsAndTablesComeBack) {
  tb_test::Repertoire r;
  ecrit_tables(r);
  CEchiquier e;
  e.AlloueHashTable(14);
  e.Raz();
  e.Coup1();
  ASSERT_EQ(joue_suite(e, "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1"), 0);
  e.SetTempsLimite(7, 9);
  e.mode_fritz = 1;
  valeur_nulle = 123;
  const std::string ancien_repertoire = repertoire_tables;
  repertoire_tables = r.chemin;
  TbInit(r.chemin.c_str());
  tables_pretes = 1;
  char avant[81];
  e.CreeForsythe(avant);

  std::FILE* nul = std::fopen("/dev/null", "w");
  ASSERT_NE(nul, nullptr);
  const uint64_t avec = lance_bench(e, 2, nul);
  const int c = TbClassNumber("kqk");
  EXPECT_TRUE(classes_tb[c].enregistree(0) && classes_tb[c].enregistree(1));
  TbRelease();
  tables_pretes = 0;
  const uint64_t sans = lance_bench(e, 2, nul);
  std::fclose(nul);
  EXPECT_EQ(avec, sans);

  char apres[81];
  e.CreeForsythe(apres);
  EXPECT_STREQ(apres, avant);
  EXPECT_EQ(e.LitIndexCourant(), 6);
  EXPECT_EQ(e.temps_limite_ms[0], 7000);
  EXPECT_EQ(e.temps_limite_ms[1], 9000);
  EXPECT_EQ(e.mode_fritz, 1);
  EXPECT_EQ(valeur_nulle, 123);
  EXPECT_EQ(taille_hash, 1u << 14);
  EXPECT_EQ(e.Joue(coup_texte("f6g8")), 4);  // the game's repetitions too
  valeur_nulle = 0;
  repertoire_tables = ancien_repertoire;
}

TEST(Bench, DepthArgument) {
  int p = -1;
  EXPECT_TRUE(lit_profondeur_bench("", p));
  EXPECT_EQ(p, 0);
  EXPECT_TRUE(lit_profondeur_bench(" 12 ", p));
  EXPECT_EQ(p, 12);
  for (const char* t : {"abc", "3x", "0", "-2", "65", "1 2"}) EXPECT_FALSE(lit_profondeur_bench(t, p)) << t;
}
