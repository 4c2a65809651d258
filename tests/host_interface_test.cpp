// What a host program sees through the class interface alone.
#include <gtest/gtest.h>

#include <string>

#include "board/echiquier.h"

TEST(Hote, ConstructsPlaysTakesBackAndReadsTheMoveList) {
  CEchiquier moteur;
  ASSERT_EQ(moteur.AlloueHashTable(13), 13);
  moteur.Coup1();
  moteur.Langage();

  char* textes[TAILLE_LISTE_COUPS];
  ASSERT_EQ(moteur.ListeCoups(textes), 0);
  int n = 0;
  for (; textes[n]; ++n) {}
  EXPECT_EQ(n, 20);
  EXPECT_STREQ(textes[0], "b1c3");
  for (int i = 0; i < n; ++i) delete[] textes[i];

  const uint32_t e2e4 = cree_coup(12, 28);
  EXPECT_EQ(moteur.Joue(e2e4), 0);
  EXPECT_EQ(moteur.LitIndexCourant(), 0);
  EXPECT_EQ(moteur.trait, NOIRS);
  EXPECT_EQ(moteur.LitCoupA(0) & 0xffff, e2e4);
  EXPECT_EQ(moteur.Retour(-1), 0);
  EXPECT_EQ(moteur.LitIndexCourant(), -1);
  EXPECT_EQ(moteur.echiquier[12], 12);  // the e-pawn's slot is back on e2
  EXPECT_EQ(moteur.ListeCoups(static_cast<uint32_t*>(nullptr)), 0);
}

TEST(Hote, CastlingMovesAreTheKingsMovesInTheList) {
  CEchiquier moteur;
  moteur.Coup1();
  for (uint32_t m : {cree_coup(6, 21), cree_coup(62, 45), cree_coup(14, 22), cree_coup(54, 46),
                     cree_coup(5, 14), cree_coup(61, 54)})
    ASSERT_EQ(moteur.Joue(m), 0);
  bool roque = false;
  for (const uint32_t* l = moteur.liste_coups; *l; ++l)
    if ((*l & 0xffff) == ROQUE_BLANC_PETIT) roque = true;
  EXPECT_TRUE(roque);
  char* textes[TAILLE_LISTE_COUPS];
  moteur.ListeCoups(textes);
  bool vu = false;
  for (int i = 0; textes[i]; ++i) {
    if (std::string(textes[i]) == "O-O") vu = true;
    delete[] textes[i];
  }
  EXPECT_TRUE(vu);
}
