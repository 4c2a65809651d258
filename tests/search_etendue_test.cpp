// The extended search: the static exchange evaluation, the history with
// gravity, the reductions, tactics it must still see, and the option that
// switches it while the classic search stays as it was.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "board/echiquier.h"
#include "frontend/bench.h"
#include "notation/coordonnees.h"
#include "outils.h"
#include "search/alphabeta.h"
#include "search/arret.h"
#include "search/echange.h"
#include "search/etendue.h"
#include "search/globals.h"
#include "search/ordering.h"

namespace {

// The exchange value of capture `coup` (coordinates) in a FEN position, for the side to move.
int echange(const std::string& fen, const std::string& coup) {
  CEchiquier e;
  place_fen(e, fen);
  const uint32_t m = coup_texte(coup);
  return e.trait == BLANCS ? echange_statique<BLANCS>(*e.emp, m) : echange_statique<NOIRS>(*e.emp, m);
}

constexpr int P = VALEUR_ECHANGE[PION_BLANC], N = VALEUR_ECHANGE[CAVALIER], R = VALEUR_ECHANGE[TOUR],
              Q = VALEUR_ECHANGE[DAME];

// Sets the option for one test and puts the classic search back afterwards.
struct GenreRecherche {
  explicit GenreRecherche(bool etendue) { option_recherche_etendue = etendue; }
  ~GenreRecherche() { option_recherche_etendue = false; }
};

}  // namespace

TEST(EchangeStatique, CapturesAndRecapturesByTheCheapestMen) {
  EXPECT_EQ(echange("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "e4d5"), P);          // a free pawn
  EXPECT_EQ(echange("4k3/8/2p5/3p4/4P3/8/8/4K3 w - - 0 1", "e4d5"), 0);        // pawn for pawn
  EXPECT_EQ(echange("4k3/8/2p5/3p4/8/8/3Q4/4K3 w - - 0 1", "d2d5"), P - Q);    // the queen is taken back
  EXPECT_EQ(echange("4k3/8/4p3/3p4/8/4N3/8/4K3 w - - 0 1", "e3d5"), P - N);    // the knight too
  EXPECT_EQ(echange("4k3/8/8/4p3/3P4/8/8/4K3 b - - 0 1", "e5d4"), P);          // Black's view
  EXPECT_EQ(echange("3rk3/8/8/3q4/8/8/8/3QK3 w - - 0 1", "d1d5"), 0);           // queen for queen
  EXPECT_EQ(echange("3rk3/8/8/3q4/8/8/8/3RK3 w - - 0 1", "d1d5"), Q - R);
  // Either side may stop: the queen does not take back a rook the other rook covers
  EXPECT_EQ(echange("3qk3/8/8/3n4/8/8/3R4/3RK3 w - - 0 1", "d2d5"), N);
  EXPECT_EQ(echange("3rk3/8/8/3p4/8/8/8/3QK3 w - - 0 1", "d1d5"), P - Q);
}

TEST(EchangeStatique, LinesOpenBehindTheMenThatTake) {
  // Two rooks in a battery against one: the second rook wins the exchange for White
  EXPECT_EQ(echange("3rk3/8/8/3p4/8/8/3R4/3RK3 w - - 0 1", "d2d5"), P);
  EXPECT_EQ(echange("3rk3/8/8/3p4/8/8/3R4/4K3 w - - 0 1", "d2d5"), P - R);
  // A pawn in front of a bishop: the bishop follows on the diagonal it opens
  EXPECT_EQ(echange("4k3/8/2n5/3r4/4P3/5B2/8/4K3 w - - 0 1", "e4d5"), R);
  // An enemy man in front of an own man on the line blocks it until it has taken
  EXPECT_EQ(echange("3rk3/8/8/3p4/8/3r4/3R4/4K3 w - - 0 1", "d2d3"), R);
}

TEST(EchangeStatique, AKingOnlyTakesWhereNothingTakesBack) {
  // The black king may not take on d5: the rook on d1 covers it
  EXPECT_EQ(echange("8/8/8/3p4/2k1P3/8/8/3RK3 w - - 0 1", "e4d5"), P);
  // Without the rook, it takes
  EXPECT_EQ(echange("8/8/8/3p4/2k1P3/8/8/4K3 w - - 0 1", "e4d5"), 0);
}

TEST(HistoriqueGravite, StaysBoundedAndPunishesTheMovesTriedBefore) {
  clear_tables();
  const uint32_t bon = coup_texte("g1f3"), mauvais = coup_texte("b1a3");
  for (int i = 0; i < 500; ++i) historique_gravite<BLANCS>(bon, &mauvais, 1, 20);
  const int32_t haut = historique[BLANCS][bon & 0xfff], bas = historique[BLANCS][mauvais & 0xfff];
  EXPECT_GT(haut, HISTORIQUE_MAX / 2);
  EXPECT_LE(haut, HISTORIQUE_MAX);
  EXPECT_LT(bas, -HISTORIQUE_MAX / 2);
  EXPECT_GE(bas, -HISTORIQUE_MAX);
  // The other side's table is untouched
  EXPECT_EQ(historique[NOIRS][bon & 0xfff], 0);
  // The cut-off move is never punished for being in the tried list
  const int32_t avant = historique[BLANCS][bon & 0xfff];
  historique_gravite<BLANCS>(bon, &bon, 1, 3);
  EXPECT_GE(historique[BLANCS][bon & 0xfff], avant);
  clear_tables();
}

TEST(HistoriqueGravite, ExtremeHistoriesStayBelowTheKillersInTheOrdering) {
  CEchiquier e;
  e.Raz();
  e.Coup1();
  clear_tables();
  recherche_etendue = true;
  for (int i = 0; i < 500; ++i) historique_gravite<BLANCS>(coup_texte("g1f3"), nullptr, 0, 30);
  for (int i = 0; i < 500; ++i) historique_gravite<BLANCS>(coup_texte("a2a3"), nullptr, 0, 0);
  const uint32_t punir = coup_texte("a2a3");
  historique_gravite<BLANCS>(coup_texte("b1c3"), &punir, 1, 30);
  uint32_t liste[TAILLE_LISTE_COUPS];
  int n = 0;
  for (const uint32_t* l = e.liste_coups; *l; ++l) liste[n++] = *l & 0xffff;
  liste[n] = 0;
  killers[BLANCS][e.emp->ply & 31] = coup_texte("h2h3");
  full_ordering<BLANCS>(liste, 0, 0, *e.emp);
  recherche_etendue = false;
  for (int i = 0; i < n; ++i) {
    const uint32_t m = liste[i] & 0xffff;
    if (m == coup_texte("h2h3")) {
      EXPECT_GT(liste[i] >> 16, SCORE_CALME_MAX);
    } else {
      EXPECT_LE(liste[i] >> 16, SCORE_CALME_MAX) << i;
    }
    if (m == coup_texte("g1f3")) {
      EXPECT_GT(liste[i] >> 16, uint32_t(HISTORIQUE_MAX));
    }
    if (m == coup_texte("a2a3")) {
      EXPECT_LT(liste[i] >> 16, uint32_t(HISTORIQUE_MAX));
    }
  }
  clear_tables();
}

TEST(ReductionTardive, GrowsWithDepthAndRankAndSparesThePrincipalVariation) {
  EXPECT_GE(reduction_tardive(3, 3, false), UN_PLY / 2);
  EXPECT_LT(reduction_tardive(3, 3, false), 2 * UN_PLY);
  EXPECT_GT(reduction_tardive(12, 3, false), reduction_tardive(3, 3, false));
  EXPECT_GT(reduction_tardive(8, 30, false), reduction_tardive(8, 4, false));
  EXPECT_EQ(reduction_tardive(8, 30, true), reduction_tardive(8, 30, false) - UN_PLY);
  EXPECT_LT(reduction_tardive(3, 3, true), UN_PLY / 4);
  // Far beyond the table: as at its edge, never negative
  EXPECT_EQ(reduction_tardive(500, 900, false), reduction_tardive(63, 63, false));
  EXPECT_EQ(reduction_tardive(-4, 0, true), 0);
}

TEST(GenreRechercheTexte, ReadsBothNamesInAnyCase) {
  bool etendue = true;
  EXPECT_TRUE(lit_genre_recherche("classic", etendue));
  EXPECT_FALSE(etendue);
  EXPECT_TRUE(lit_genre_recherche("EXTENDED", etendue));
  EXPECT_TRUE(etendue);
  EXPECT_FALSE(lit_genre_recherche("fast", etendue));
  EXPECT_FALSE(lit_genre_recherche("", etendue));
  EXPECT_FALSE(lit_genre_recherche("extended ", etendue));
  EXPECT_TRUE(etendue);  // a refused text leaves the value alone
  EXPECT_STREQ(nom_genre_recherche(false), "classic");
  EXPECT_STREQ(nom_genre_recherche(true), "extended");
}

namespace {

// The move a fixed-depth search of the position chooses, in coordinates.
std::string coup_choisi(const std::string& fen, int profondeur) {
  CEchiquier e;
  e.AlloueHashTable(16);
  e.Raz();
  e.Coup1();
  EXPECT_EQ(e.LitForsythe(fen.c_str()), 0) << fen;
  credit_livre = 0;
  valeur_nulle = 0;
  echange_atomique(arret_recherche, 0);
  e.SetProfondeur(profondeur + 2);
  e.SetTempsLimite(86400, 86400);
  char texte[8] = "-";
  texte_protocole(e.Analyse() & 0xffff, texte);
  return texte;
}

}  // namespace

TEST(RechercheEtendue, StillFindsTheTactics) {
  GenreRecherche g(true);
  // A back-rank mate
  EXPECT_EQ(coup_choisi("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", 6), "d1d8");
  // A knight fork wins the queen
  EXPECT_EQ(coup_choisi("q3k3/8/8/1N6/8/8/8/4K3 w - - 0 1", 6), "b5c7");
  // A loose queen is taken, a defended pawn is left alone by the queen
  EXPECT_EQ(coup_choisi("4k3/8/8/3q4/8/8/8/3RK3 w - - 0 1", 6), "d1d5");
  EXPECT_NE(coup_choisi("4k3/8/2p5/3p4/8/8/3Q4/4K3 w - - 0 1", 6), "d2d5");
}

TEST(RechercheEtendue, TheOptionSwitchesTheSearchAndTheClassicOneComesBackUnchanged) {
  CEchiquier e;
  std::FILE* nul = std::fopen("/dev/null", "w");
  ASSERT_NE(nul, nullptr);
  const uint64_t classique = lance_bench(e, 4, nul);
  uint64_t etendue = 0;
  {
    GenreRecherche g(true);
    etendue = lance_bench(e, 4, nul);
    EXPECT_EQ(lance_bench(e, 4, nul), etendue);  // deterministic
  }
  EXPECT_LT(etendue, classique);
  // The extended search's histories do not leak into the classic one
  EXPECT_EQ(lance_bench(e, 4, nul), classique);
  std::fclose(nul);
}
