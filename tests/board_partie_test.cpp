#include <gtest/gtest.h>

#include "board/partie.h"

TEST(CListePartie, NewRecordIsEmptyWithCapacity80) {
  CListePartie p;
  EXPECT_EQ(p.LitIndex(), -1);
  EXPECT_EQ(p.Taille(), 80);
}

TEST(CListePartie, GrowsBy40AfterTheEightiethEntryAndShrinksOnRaz) {
  CListePartie p;
  for (int i = 0; i < 80; ++i) EXPECT_EQ(p.Ajout(0x070C, 32, 0x55), i);
  EXPECT_EQ(p.Taille(), 80);
  EXPECT_EQ(p.Ajout(0x070C, 32, 0x55), 80);
  EXPECT_EQ(p.Taille(), 120);
  EXPECT_EQ(p.LitA(80).coup, 0x070C);
  p.Raz();
  EXPECT_EQ(p.Taille(), 80);
  EXPECT_EQ(p.LitIndex(), -1);
}

TEST(CListePartie, StoresOnlyTheLowSixteenBits) {
  CListePartie p;
  p.Ajout(0x1234070C, 0x10020, 0x30055);
  const S_LISTE_COUPS e = p.LitA(0);
  EXPECT_EQ(e.coup, 0x070C);
  EXPECT_EQ(e.prise, 0x20);
  EXPECT_EQ(e.roque, 0x55);
}

TEST(CListePartie, MetIndexDropsLaterEntries) {
  CListePartie p;
  for (int i = 0; i < 10; ++i) p.Ajout(i + 1, 32, 0);
  p.MetIndex(4);
  EXPECT_EQ(p.Ajout(99, 32, 0), 5);
  EXPECT_EQ(p.LitA(5).coup, 99);
  EXPECT_EQ(p.LitIndex(), 5);
}

TEST(CListePartie, RetraitReturnsTheLastEntryAndEmptyEntriesOutsideTheRecord) {
  CListePartie p;
  p.Ajout(7, 3, 1);
  const S_LISTE_COUPS e = p.Retrait();
  EXPECT_EQ(e.coup, 7);
  EXPECT_EQ(p.LitIndex(), -1);
  // Nothing left: an empty entry, and the index stays at -1.
  const S_LISTE_COUPS vide = p.Retrait();
  EXPECT_EQ(vide.coup, 0);
  EXPECT_EQ(vide.prise, 32);
  EXPECT_EQ(p.LitIndex(), -1);
  EXPECT_EQ(p.LitA(-5).coup, 0);
  EXPECT_EQ(p.LitA(100000).coup, 0);
  p.MetA(100000, S_LISTE_COUPS{1, 2, 3});  // ignored, must not write
  p.MetA(-1, S_LISTE_COUPS{1, 2, 3});
}

TEST(CListePartie, AssignedRecordsShareEntries) {
  CListePartie a, b;
  a.Ajout(5, 32, 0);
  b = a;
  b.MetA(0, S_LISTE_COUPS{9, 32, 0});
  EXPECT_EQ(a.LitA(0).coup, 9);
  a.MetA(0, S_LISTE_COUPS{11, 32, 0});
  EXPECT_EQ(b.LitA(0).coup, 11);
}

TEST(CListePartie, SharedArrayStaysValidWhenOneOwnerGrowsOrShrinks) {
  CListePartie a;
  for (int i = 0; i < 100; ++i) a.Ajout(i, 32, 0);  // grown to 120
  CListePartie b;
  b = a;
  a.Raz();                                           // shrinks the shared array
  // b still believes it holds 100 entries: reads beyond the array are empty.
  EXPECT_EQ(b.LitA(99).coup, 0);
  EXPECT_EQ(b.LitA(10).coup, 10);
  EXPECT_EQ(b.Ajout(1, 32, 0), 100);  // grows the array again before writing
  EXPECT_EQ(b.LitA(100).coup, 1);
  {
    CListePartie c;
    c = b;
  }  // c goes first; b keeps the array
  EXPECT_EQ(b.LitA(100).coup, 1);
}

TEST(CListePartie, AjoutAfterMetIndexBeyondTheArrayStaysInBounds) {
  CListePartie p;
  p.MetIndex(500);
  EXPECT_EQ(p.Ajout(3, 32, 0), 501);
  EXPECT_EQ(p.LitA(501).coup, 3);
  EXPECT_GE(p.Taille(), 502);
}
