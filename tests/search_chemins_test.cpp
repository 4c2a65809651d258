// The paths of a search node, each shown by a position where it decides the
// result or the work done: extensions and their amounts, the once-only
// reduction, the null move made and refused, the mate threat, root
// aspiration re-searches and the bound stored at a cut-off.
#include <gtest/gtest.h>

#include <string>

#include "board/echiquier.h"
#include "eval/evaluation.h"
#include "eval/preparation.h"
#include "eval_outils.h"
#include "outils.h"
#include "search/alphabeta.h"
#include "search/arret.h"
#include "search/globals.h"
#include "search/hash.h"
#include "search/ordering.h"
#include "search/pilote.h"
#include "search/position.h"
#include "tablebase/registry.h"

namespace {

struct MESURE {
  int score;
  uint32_t noeuds;
};

bool operator==(const MESURE& a, const MESURE& b) { return a.score == b.score && a.noeuds == b.noeuds; }

std::ostream& operator<<(std::ostream& o, const MESURE& m) {
  return o << "{score " << m.score << ", nodes " << m.noeuds << "}";
}

class Chemins : public ::testing::Test {
 protected:
  void SetUp() override {
    recherche_neuve(b);
  }
  void TearDown() override { valeur_nulle = 0; }

  // The root of a FEN position, pieces in the slots of the initial set.
  EMPILAGE racine(const std::string& fen) {
    place_slots(b, fen);
    trait = b.trait;
    return noeud_prepare(b);
  }
  // The root after a game played from the initial position.
  EMPILAGE racine_partie(const std::string& coups) {
    b.Raz();
    b.Coup1();
    EXPECT_EQ(joue_suite(b, coups), 0);
    trait = b.trait;
    EMPILAGE r = *b.emp;
    compute_keys(&r);
    fixe_promotions(prepare_recherche(&r));
    r.ply = 0;
    return r;
  }

  // Searches root move `coup` at entry depth `profondeur` (1/256 ply) in the
  // root window (alpha, beta), extensions allowed up to ply `pme`, from
  // cleared tables; the score is the root side's.
  MESURE fils(const EMPILAGE& r, const char* coup, int flags, int profondeur, int alpha, int beta, int pme,
              int ply_racine = 0, bool tables_vides = true) {
    if (tables_vides) {
      clear_table_hash();
      next_generation();
      clear_tables();
    }
    restore_search_repetition();
    EMPILAGE n = r;
    n.ply = ply_racine;
    camp_moteur = trait;
    ply_max_extension = pme;
    nb_noeuds = 0;
    const uint32_t m = coup_texte(coup);
    const int s = trait == BLANCS ? -recherche_noirs(m, flags + TEST_LEGAL, profondeur, -beta, -alpha, &n)
                                  : -recherche_blancs(m, flags + TEST_LEGAL, profondeur, -beta, -alpha, &n);
    return {s, nb_noeuds.load()};
  }

  CEchiquier b;
  int trait = BLANCS;
};

}  // namespace

TEST_F(Chemins, EachExtensionDeepensTheNodeByItsAmount) {
  // Extensions at ply 1 only: the node then searches exactly as a node
  // entered that much deeper without any extension. A quarter ply in the
  // entry depth lets three quarters make a whole ply.
  struct CAS {
    const char* fen;    // or null: the game below
    const char* partie;
    const char* coup;
    int extension;
  };
  const CAS cas[] = {
      // Check
      {"rnbqkbnr/ppp2ppp/8/3pp3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -", nullptr, "f1b5", 256},
      // A quiet move: nothing
      {"rnbqkbnr/ppp2ppp/8/3pp3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -", nullptr, "f1c4", 0},
      // Pawn to the seventh rank
      {"6k1/5ppp/1P6/8/8/8/5PPP/6K1 w - -", nullptr, "b6b7", 256},
      // Recapture of a knight by a knight's worth
      {nullptr, "e2e4 e7e5 g1f3 b8c6 d2d4 e5d4 f3d4 c6d4", "d1d4", 192},
      // A capture after a pawn was taken is no recapture
      {nullptr, "e2e4 e7e5 g1f3 b8c6 d2d4 e5d4", "f3d4", 0},
      // A black pawn forks the developed knight and bishop
      {"r1bqkb1r/ppp2ppp/2n2n2/3p4/8/2N1BN2/PPP1PPPP/R2QKB1R b KQkq -", nullptr, "d5d4", 256},
      // Check with a single reply: both extensions
      {"7k/7p/8/8/8/8/5PPP/R5K1 w - -", nullptr, "a1a8", 256 + 192},
  };
  const int D = 2 * UN_PLY + UN_PLY / 4;
  for (const CAS& c : cas) {
    const EMPILAGE r = c.fen ? racine(c.fen) : racine_partie(c.partie);
    const MESURE etendu = fils(r, c.coup, 0, D, -INFINI, INFINI, 1);
    EXPECT_EQ(etendu, fils(r, c.coup, 0, D + c.extension, -INFINI, INFINI, 0)) << c.coup;
    if (c.extension > 0) {
      EXPECT_NE(etendu.noeuds, fils(r, c.coup, 0, D, -INFINI, INFINI, 0).noeuds) << c.coup;
    }
  }
}

TEST_F(Chemins, TheHopelessSideIsReducedOncePerPath) {
  // Black, four pawns behind, needs more than alpha 3000: its node searches
  // one ply less. No check, promotion or piece capture can happen within
  // six plies, so reaching deeper plies gives extensions nothing to do, and
  // no black node below the first is reduced again.
  const EMPILAGE r = racine("7k/8/8/8/8/8/PPPP4/K7 w - -");
  const int D = 6 * UN_PLY;
  const MESURE reduit = fils(r, "a1b1", 0, D, -INFINI, -3000, 9);
  EXPECT_EQ(reduit, fils(r, "a1b1", REDUIT, D - UN_PLY, -INFINI, -3000, 9));
  EXPECT_EQ(reduit, fils(r, "a1b1", 0, D, -INFINI, -3000, 1));
  EXPECT_NE(reduit.noeuds, fils(r, "a1b1", REDUIT, D, -INFINI, -3000, 9).noeuds);
}

TEST_F(Chemins, ANullMoveFailingHighReturnsItsOwnScore) {
  {
    // White mates at once with Rh8; after a pass, Rh8 mates a move later.
    // A mate-score beta forbids the null move: the mate keeps its distance.
    const EMPILAGE r = racine("k7/8/1K6/4p3/8/8/P7/5B1R b - -");
    EXPECT_EQ(fils(r, "e5e4", 0, 6 * UN_PLY, -(MAT - 3), INFINI, 0).score, -(MAT - 2));
  }
  // White, a queen and a rook up, passes: Black, without a capture, stands
  // on its static evaluation, and White's node returns minus that.
  const EMPILAGE r = racine("k7/p7/8/8/8/8/5PPP/Q1R3K1 b - -");
  const MESURE m = fils(r, "a8b8", 0, 3 * UN_PLY, 10000, INFINI, 0);
  EMPILAGE x = r;
  applique_coup_noeud<NOIRS>(x, coup_texte("a8b8"));
  x.ply = 2;
  x.coup_precedent = uint32_t(VIDE) << 16;
  x.coups_reversibles = r.coups_reversibles + 1;
  EXPECT_EQ(m.score, evaluation(NOIRS, &x));
}

TEST_F(Chemins, NoNullMoveWhenBetaIsAWinningMateScore) {
  // Deep in the tree (no threat tests, no tables), extensions off, a
  // position without mates: below the mate scores the node passes first,
  // which costs nodes; from a mate-score beta on it never does.
  const EMPILAGE r = racine("r3k1n1/pp3ppp/8/8/8/8/PP3PPP/R3K1N1 w - -");
  const int D = 6 * UN_PLY;
  const MESURE sous = fils(r, "g1f3", 0, D, -31999, INFINI, 0, 4);
  const MESURE seuil = fils(r, "g1f3", 0, D, -SEUIL_MAT, INFINI, 0, 4);
  const MESURE mat = fils(r, "g1f3", 0, D, -32700, INFINI, 0, 4);
  EXPECT_EQ(sous.score, seuil.score);
  EXPECT_GT(sous.noeuds, seuil.noeuds);
  EXPECT_EQ(seuil, mat);
}

TEST_F(Chemins, NoNullMoveInCheck) {
  // Black has two pieces and a window a null move could cut, but is mated:
  // the work is the same as with a beta that forbids the null move.
  const EMPILAGE r = racine("6k1/5ppp/8/8/8/8/1nb5/R5K1 w - -");
  const MESURE fenetre_nulle = fils(r, "a1a8", 0, 3 * UN_PLY, 5000, 5001, 0);
  EXPECT_EQ(fenetre_nulle.score, MAT - 1);
  EXPECT_EQ(fenetre_nulle, fils(r, "a1a8", 0, 3 * UN_PLY, -INFINI, INFINI, 0));
}

TEST_F(Chemins, AMateThreatDeepensTheNodeOrTurnsOnThreatMode) {
  // If White passes, Rd1 mates; with h3 played the king has a way out.
  const EMPILAGE menace = racine("3r2k1/5ppp/8/8/8/8/R4PPP/1N4K1 b - -");
  const EMPILAGE calme = racine("3r2k1/5ppp/8/8/8/7P/R4PP1/1N4K1 b - -");
  // The depth, in plies, of the table entry of White's node, or of the
  // position after White's best move there.
  auto profondeur_stockee = [](const EMPILAGE& r, bool apres_meilleur) {
    EMPILAGE x = r;
    applique_coup_noeud<NOIRS>(x, coup_texte("g8f8"));
    const ENTREE_HASH* h = sonde_hash(&x, BLANCS);
    if (!h) return -1;
    if (!apres_meilleur) return (h->info >> 3) & 63;
    if (h->coup == 0) return -2;
    applique_coup_noeud<BLANCS>(x, h->coup);
    h = sonde_hash(&x, NOIRS);
    return h ? (h->info >> 3) & 63 : -1;
  };
  // Deep in the tree (ply 5): the node searches 3/4 ply deeper, which makes
  // a whole ply of 5 1/4
  const int D = 5 * UN_PLY + UN_PLY / 4;
  EXPECT_NE(fils(menace, "g8f8", 0, D, -1000, 1000, 5, 4).noeuds, fils(menace, "g8f8", 0, D, -1000, 1000, 4, 4).noeuds);
  EXPECT_EQ(profondeur_stockee(menace, false), 6);
  EXPECT_EQ(fils(calme, "g8f8", 0, D, -1000, 1000, 5, 4), fils(calme, "g8f8", 0, D, -1000, 1000, 4, 4));
  EXPECT_EQ(profondeur_stockee(calme, false), 5);
  // Near the root (ply 1): threat mode searches the move that raises alpha
  // again a ply deeper, as deep as the node itself
  fils(menace, "g8f8", 0, 5 * UN_PLY, -5000, 5000, 1);
  EXPECT_EQ(profondeur_stockee(menace, true), 5);
  fils(calme, "g8f8", 0, 5 * UN_PLY, -5000, 5000, 1);
  EXPECT_EQ(profondeur_stockee(calme, true), 4);
}

TEST_F(Chemins, InternalDeepeningSearchesTheNodeTwoPliesShallowerFirst) {
  // On the principal variation, five plies deep, without a hash move (and
  // without a null move: Black has one piece), the node first searches
  // itself three plies deep, then goes on with that search's move as its
  // hash move: exactly the work of the two searches made one after the other.
  const EMPILAGE r = racine("r3k3/pppp1ppp/8/8/8/8/PPPP1PPP/R3K3 w - -");
  const int D = 5 * UN_PLY;
  const MESURE entier = fils(r, "a1b1", NOEUD_PV, D, -INFINI, INFINI, 9);
  const MESURE interieur = fils(r, "a1b1", NOEUD_PV + RECHERCHE_IID, D - 2 * UN_PLY, -INFINI, INFINI, 9);
  const MESURE suite = fils(r, "a1b1", NOEUD_PV, D, -INFINI, INFINI, 9, 0, false);
  EXPECT_EQ(entier.score, suite.score);
  EXPECT_EQ(entier.noeuds, interieur.noeuds + suite.noeuds);
  // Off the principal variation the node does not deepen first
  const MESURE hors_pv = fils(r, "a1b1", 0, D, -INFINI, INFINI, 9);
  EXPECT_EQ(hors_pv.score, entier.score);
  EXPECT_NE(hors_pv.noeuds, entier.noeuds);
}

TEST_F(Chemins, ACutOffStoresBetaAndReturnsItsScore) {
  // White takes the queen: far above beta 0, but the entry says only "at least 0".
  const EMPILAGE r = racine("k7/p7/8/q7/8/8/5PPP/R5K1 b - -");
  const MESURE m = fils(r, "a8b8", 0, 3 * UN_PLY, 0, 1, 0);
  EXPECT_LT(m.score, -1000);
  EMPILAGE x = r;
  applique_coup_noeud<NOIRS>(x, coup_texte("a8b8"));
  const ENTREE_HASH* h = sonde_hash(&x, BLANCS);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->info & 7, HASH_MINORANT);
  EXPECT_EQ(int(h->score), 0);
  EXPECT_EQ(h->coup, coup_texte("a1a5"));
}

TEST_F(Chemins, RootAspirationFailuresAreSearchedAgain) {
  // One legal move (Kg7), one iteration: the score is the move's own,
  // whatever window the previous score suggested.
  place_fen(b, "R6k/7p/8/8/8/8/6PP/6K1 b - -");
  auto pilote = [&](int precedent) {
    clear_table_hash();
    EMPILAGE n = *b.emp;
    b.CopieEmp(&n);
    int limite = 3;
    return pilote_recherche(NOIRS, b.liste_coups, precedent, 200, 3, 30, 30, &limite, 1, &n);
  };
  const int exact = pilote(-INFINI);
  EXPECT_LT(exact, -2000);
  EXPECT_EQ(pilote(exact + 3000), exact);  // fails low first
  EXPECT_EQ(pilote(exact - 3000), exact);  // fails high first
}
