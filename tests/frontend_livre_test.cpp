#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "board/echiquier.h"
#include "frontend/livre.h"
#include "outils.h"
#include "search/globals.h"
#include "search/hash.h"

namespace {

// Runs each test in a directory of its own, where the book file is written.
class Livre : public TestDansDossier {
 protected:
  Livre() : TestDansDossier(true) {}
  void SetUp() override {
    TestDansDossier::SetUp();
    e.Coup1();
    racine = *e.emp;
    compute_keys(&racine);
    credit_livre = 10;
    graine_livre(12345);
  }
  // Writes record n (the file grows to hold it).
  void ecrit(uint32_t n, uint16_t controle, std::vector<uint16_t> coups) {
    std::fstream f(FICHIER_LIVRE, std::ios::in | std::ios::out | std::ios::binary);
    if (!f) f.open(FICHIER_LIVRE, std::ios::out | std::ios::binary);
    unsigned char b[10] = {};
    b[0] = controle & 0xff;
    b[1] = controle >> 8;
    for (size_t i = 0; i < coups.size() && i < 4; ++i) {
      b[2 + 2 * i] = coups[i] & 0xff;
      b[3 + 2 * i] = coups[i] >> 8;
    }
    f.seekp(std::streamoff(n) * 10);
    f.write(reinterpret_cast<char*>(b), 10);
  }
  uint32_t premier() const { return e.liste_coups[0] & 0xffff; }

  CEchiquier e;
  EMPILAGE racine;
};

const uint16_t E2E4 = 0x070C, D2D4 = 0x06CB;

}  // namespace

TEST_F(Livre, HitsInEveryAreaAndOffset) {
  // Primary record, offset 0.
  ecrit(enregistrement_primaire(&racine, 0), uint16_t(racine.verrou_hash), {E2E4});
  EXPECT_EQ(sonde_livre(e.liste_coups, &racine), 1);
  EXPECT_EQ(premier(), E2E4);
  std::filesystem::remove(FICHIER_LIVRE);
  // Secondary record, offset 0 (checked against cle_hash).
  ecrit(enregistrement_secondaire(&racine, 0), uint16_t(racine.cle_hash), {D2D4});
  EXPECT_EQ(sonde_livre(e.liste_coups, &racine), 1);
  EXPECT_EQ(premier(), D2D4);
  std::filesystem::remove(FICHIER_LIVRE);
  // Offset 2, both areas.
  ecrit(enregistrement_primaire(&racine, 2), uint16_t(racine.verrou_hash), {E2E4});
  EXPECT_EQ(sonde_livre(e.liste_coups, &racine), 1);
  EXPECT_EQ(premier(), E2E4);
  std::filesystem::remove(FICHIER_LIVRE);
  ecrit(enregistrement_secondaire(&racine, 2), uint16_t(racine.cle_hash), {D2D4});
  EXPECT_EQ(sonde_livre(e.liste_coups, &racine), 1);
  EXPECT_EQ(premier(), D2D4);
  EXPECT_EQ(credit_livre, 10);  // hits cost nothing
}

TEST_F(Livre, EmptyOrWrongRecordsMissAndCostCredit) {
  ecrit(enregistrement_primaire(&racine, 0), uint16_t(racine.verrou_hash), {});
  ecrit(enregistrement_secondaire(&racine, 0), uint16_t(racine.cle_hash + 1), {E2E4});
  EXPECT_EQ(sonde_livre(e.liste_coups, &racine), 0);
  EXPECT_EQ(credit_livre, 9);
}

TEST_F(Livre, ChoosesAmongTheMovesAtRandom) {
  ecrit(enregistrement_primaire(&racine, 0), uint16_t(racine.verrou_hash), {E2E4, D2D4});
  std::map<uint32_t, int> vus;
  for (int i = 0; i < 200; ++i) {
    e.Coup1();
    ASSERT_EQ(sonde_livre(e.liste_coups, &racine), 1);
    vus[premier()]++;
  }
  EXPECT_EQ(vus.size(), 2u);
  EXPECT_GT(vus[E2E4], 60);
  EXPECT_GT(vus[D2D4], 60);
}

TEST_F(Livre, CollisionsWithIllegalMovesAreIgnoredWithoutCost) {
  ecrit(enregistrement_primaire(&racine, 0), uint16_t(racine.verrou_hash), {0x0E0C});  // e2g2
  EXPECT_EQ(sonde_livre(e.liste_coups, &racine), 0);
  EXPECT_EQ(credit_livre, 10);
}

TEST_F(Livre, NoFileMeansTenTriesThenNone) {
  for (int i = 0; i < 10; ++i) EXPECT_EQ(sonde_livre(e.liste_coups, &racine), 0);
  EXPECT_EQ(credit_livre, 0);
  // Writing a book now changes nothing: the credit is spent.
  ecrit(enregistrement_primaire(&racine, 0), uint16_t(racine.verrou_hash), {E2E4});
  EXPECT_EQ(sonde_livre(e.liste_coups, &racine), 0);
  // Taking a move back restores the credit.
  ASSERT_EQ(e.Joue(coup_texte("e2e4")), 0);
  ASSERT_EQ(e.Retour(-1), 0);
  EXPECT_EQ(credit_livre, 10);
  EXPECT_EQ(sonde_livre(e.liste_coups, &racine), 1);
}

TEST_F(Livre, ShortFileMissesQuietly) {
  {
    std::ofstream f(FICHIER_LIVRE, std::ios::binary);
    f << "abc";
  }
  EXPECT_EQ(sonde_livre(e.liste_coups, &racine), 0);
  EXPECT_EQ(credit_livre, 9);
}

TEST_F(Livre, PromotionsMatchTheirOwnPiece) {
  place_fen(e, "8/4P3/8/8/8/8/k7/4K3 w - -");
  racine = *e.emp;
  compute_keys(&racine);
  const uint16_t e7e8n = uint16_t(cree_coup(case_nommee("e7"), case_nommee("e8"), PROMOTION_CAVALIER));
  ecrit(enregistrement_primaire(&racine, 0), uint16_t(racine.verrou_hash), {e7e8n});
  EXPECT_EQ(sonde_livre(e.liste_coups, &racine), 1);
  EXPECT_EQ(premier(), e7e8n);
}
