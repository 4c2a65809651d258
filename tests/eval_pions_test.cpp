#include <gtest/gtest.h>

#include <string>

#include "board/echiquier.h"
#include "eval/pions.h"
#include "eval_outils.h"

namespace {

// The term for a FEN position and its side to move, without a cache.
int terme(const std::string& fen) {
  CACHE_PIONS_TEST sans_cache(0);
  CEchiquier e;
  const EMPILAGE n = noeud_fen(e, fen);
  return structure_pions(&n, e.trait);
}

// The structure part alone: with eight pieces a side, passed pawns earn
// (8 - 8) x 5 = 0.
int structure_seule(const std::string& fen) {
  CACHE_PIONS_TEST sans_cache(0);
  CEchiquier e;
  EMPILAGE n = noeud_fen(e, fen);
  n.nb_pieces_blanches = n.nb_pieces_noires = 8;
  return structure_pions(&n, e.trait);
}

}  // namespace

TEST(EvalPions, IslandsDoubledAndIsolatedPawns) {
  EXPECT_EQ(structure_seule("4k3/8/8/8/8/8/PPP5/4K3 w - -"), -20);
  EXPECT_EQ(structure_seule("4k3/8/8/8/8/2P5/PPP5/4K3 w - -"), -20 - 30);
  EXPECT_EQ(structure_seule("4k3/8/8/8/4P3/8/PPP5/4K3 w - -"), -20 - 40 - 20);
  // Two pawns alone on a file weigh 2
  EXPECT_EQ(structure_seule("4k3/8/8/8/4P3/4P3/8/4K3 w - -"), -30 - 80 - 20);
  // Black's faults count for White
  EXPECT_EQ(structure_seule("4k3/ppp5/2p5/8/8/8/8/4K3 w - -"), 20 + 30);
}

TEST(EvalPions, BackwardPawns) {
  // d2 behind c4 and e4
  EXPECT_EQ(structure_seule("4k3/8/8/8/2P1P3/8/3P4/4K3 w - -"), -15 - 20);
  // The h-file is backward when it lags the g-file
  EXPECT_EQ(structure_seule("4k3/8/8/8/6P1/8/7P/4K3 w - -"), -15 - 20);
  EXPECT_EQ(structure_seule("4k3/8/8/8/8/8/6PP/4K3 w - -"), -20);
  // g2 lags h4 and the empty f-file (lag 0)
  EXPECT_EQ(structure_seule("4k3/8/8/8/7P/8/6P1/4K3 w - -"), -15 - 20);
  // Black: d7 behind c5 and e5
  EXPECT_EQ(structure_seule("4k3/3p4/8/2p1p3/8/8/8/4K3 w - -"), 15 + 20);
}

TEST(EvalPions, PassedPawnRates) {
  // e6 isolated (-40), one island (-20), passed with rate (8 - pieces) x 5
  EXPECT_EQ(terme("rnbqkbnr/8/4P3/8/8/8/8/4K3 w - -"), 5 * 5 - 60);
  EXPECT_EQ(terme("4k1n1/8/4P3/8/8/8/8/4K3 w - -"), 42 * 5 - 60);
  EXPECT_EQ(terme("4kb2/8/4P3/8/8/8/8/4K3 w - -"), 35 * 5 - 60);
  // Connected passers d5 and e5: 5 x 4 twice and (4 + 2) x 5 for the run
  EXPECT_EQ(terme("rnbqkbnr/8/8/3PP3/8/8/8/4K3 w - -"), 20 + 20 + 30 - 20);
  // A run that reaches the h-file is counted after the last file
  EXPECT_EQ(terme("rnbqkbnr/8/8/6PP/8/8/8/4K3 w - -"), 20 + 20 + 30 - 20);
  // An enemy pawn ahead on a neighbouring file stops a passer, one behind does not
  EXPECT_EQ(terme("rnbqkbnr/8/3p4/4P3/8/8/8/4K3 w - -"), -60 + 60);
  EXPECT_EQ(terme("rnbqkbnr/8/8/4P3/3p4/8/8/4K3 w - -"), -60 + 20 + 60 - 40 * 4);
}

TEST(EvalPions, RuleOfTheSquare) {
  // Black has no pieces: outside the square the passer is worth 600 a rank
  EXPECT_EQ(terme("k7/8/4P3/8/8/8/8/R3K3 w - -"), 5 * 600 - 60);
  EXPECT_EQ(terme("k7/8/4P3/8/8/8/8/R3K3 b - -"), 5 * 600 - 60);
  EXPECT_EQ(terme("2k5/8/4P3/8/8/8/8/R3K3 w - -"), 40 * 5 - 60);
  // On b8 the king is outside the square only when White is to move
  EXPECT_EQ(terme("1k6/8/4P3/8/8/8/8/R3K3 w - -"), 5 * 600 - 60);
  EXPECT_EQ(terme("1k6/8/4P3/8/8/8/8/R3K3 b - -"), 40 * 5 - 60);
  // A black pawn on a2 against a white king on c3
  EXPECT_EQ(terme("r3k3/8/8/8/8/2K5/p7/8 w - -"), 60 - 40 * 6);
  EXPECT_EQ(terme("r3k3/8/8/8/8/2K5/p7/8 b - -"), 60 - 6 * 600);
}

TEST(EvalPions, KingAndPawnAgainstKing) {
  // Unstoppable: 2000 + 5 x 266, the term alone
  EXPECT_EQ(terme("8/8/4P3/8/8/8/8/k3K3 w - -"), 3330);
  EXPECT_EQ(terme("K3k3/8/8/8/8/4p3/8/8 b - -"), -3330);
  // Opposition in front of a pawn on e5 counts whoever is to move
  EXPECT_EQ(terme("4k3/8/4K3/4P3/8/8/8/8 w - -"), -60 + 40 * 4 + 335);
  EXPECT_EQ(terme("4k3/8/4K3/4P3/8/8/8/8 b - -"), -60 + 40 * 4 + 335);
  EXPECT_EQ(terme("3k4/8/4K3/4P3/8/8/8/8 w - -"), -60 + 40 * 4);
  // With the pawn on e3 only with Black to move
  EXPECT_EQ(terme("8/8/4k3/8/4K3/4P3/8/8 b - -"), -60 + 40 * 2 + 335);
  EXPECT_EQ(terme("8/8/4k3/8/4K3/4P3/8/8 w - -"), -60 + 40 * 2);
  // Black's lone pawn, mirrored
  EXPECT_EQ(terme("8/8/8/8/4p3/4k3/8/4K3 w - -"), -(-60 + 40 * 4 + 335));
  EXPECT_EQ(terme("8/8/4p3/4k3/8/4K3/8/8 w - -"), -(-60 + 40 * 2 + 335));
  EXPECT_EQ(terme("8/8/4p3/4k3/8/4K3/8/8 b - -"), -(-60 + 40 * 2));
}

TEST(EvalPions, MirroredPositionsGiveOppositeTerms) {
  CACHE_PIONS_TEST sans_cache(0);
  const char* fens[] = {
      "4k3/pp3ppp/2p5/3p4/3P4/4P3/PP3PPP/4K3 w - -",
      "rnbqkbnr/p6p/8/1P1pP3/8/6P1/3P4/4K3 b - -",
      "4k3/8/1p6/8/2P5/8/5PP1/R3K3 w - -",
      "2k5/5p2/8/4P3/8/8/P7/4K3 b - -",
      "8/3k4/8/8/8/3K4/3P4/8 w - -",
      "8/2P5/8/8/2k5/8/8/4K3 b - -",
  };
  for (const char* fen : fens) {
    CEchiquier e, m;
    const EMPILAGE n = noeud_fen(e, fen);
    place_miroir(m, e);
    const EMPILAGE nm = noeud_prepare(m);
    EXPECT_EQ(structure_pions(&n, e.trait), -structure_pions(&nm, m.trait)) << fen;
  }
}

TEST(EvalCachePions, AHitReturnsTheStoredEntry) {
  CACHE_PIONS_TEST cache(1024);
  CEchiquier e;
  EMPILAGE n = noeud_fen(e, "rnbqkbnr/8/4P3/8/8/8/8/R3K3 w - -");
  const int v = structure_pions(&n, BLANCS);
  // Stored whole in the side to move's entry
  ENTREE_PIONS& t = cache.entree(n, BLANCS);
  EXPECT_EQ(int64_t(t.verrou), n.verrou_pions);
  EXPECT_EQ(int64_t(t.score), v);
  EXPECT_EQ(int64_t(t.rois), (60 << 8) | 4);
  EXPECT_EQ(int64_t(t.pieces), (7 << 4) | 1);
  // A hit gives the entry's score, for either side when both have pieces
  t.score = 1234;
  EXPECT_EQ(structure_pions(&n, BLANCS), 1234);
  EXPECT_EQ(structure_pions(&n, NOIRS), 1234);
  EXPECT_EQ(int64_t(cache.entree(n, NOIRS).verrou), 0);
  // Other piece counts miss and are stored in their own entry, which keeps the first one
  n.nb_pieces_noires = 6;
  EXPECT_EQ(structure_pions(&n, BLANCS), 2 * 5 * 5 - 60);
  EXPECT_EQ(int64_t(cache.entree(n, BLANCS).pieces), (6 << 4) | 1);
  EXPECT_EQ(int64_t(t.pieces), (7 << 4) | 1);
  n.nb_pieces_noires = 7;
  EXPECT_EQ(structure_pions(&n, BLANCS), 1234);
  // Another check word misses
  n.verrou_pions ^= 1;
  EXPECT_EQ(structure_pions(&n, BLANCS), 1 * 5 * 5 - 60);
}

TEST(EvalCachePions, WithoutPiecesTheKingSquaresMustMatch) {
  CACHE_PIONS_TEST cache(1024);
  CEchiquier e;
  EMPILAGE n = noeud_fen(e, "2k5/8/4P3/8/8/8/8/R3K3 w - -");
  EXPECT_EQ(structure_pions(&n, BLANCS), 40 * 5 - 60);
  ENTREE_PIONS& t = cache.entree(n, BLANCS);
  t.score = 1234;
  EXPECT_EQ(structure_pions(&n, BLANCS), 1234);
  // The neighbouring entry is not consulted for Black to move
  EXPECT_EQ(structure_pions(&n, NOIRS), 40 * 5 - 60);
  EXPECT_EQ(int64_t(cache.entree(n, NOIRS).score), 40 * 5 - 60);
  // The black king moves to a8: the king squares differ, outside the square now
  n.echiquier[n.pos_piece[16]] = VIDE;
  n.pos_piece[16] = 56;
  n.echiquier[56] = 16;
  EXPECT_EQ(structure_pions(&n, BLANCS), 5 * 600 - 60);
  EXPECT_EQ(int64_t(t.rois), (56 << 8) | 4);
}

TEST(EvalCachePions, UnstoppableLonePawnsAreNotStored) {
  CACHE_PIONS_TEST cache(1024);
  CEchiquier e;
  EMPILAGE n = noeud_fen(e, "8/8/4P3/8/8/8/8/k3K3 w - -");
  EXPECT_EQ(structure_pions(&n, BLANCS), 3330);
  EXPECT_EQ(int64_t(cache.entree(n, BLANCS).verrou), 0);
  n = noeud_fen(e, "K3k3/8/8/8/8/4p3/8/8 b - -");
  EXPECT_EQ(structure_pions(&n, NOIRS), -3330);
  EXPECT_EQ(int64_t(cache.entree(n, NOIRS).verrou), 0);
  // A king-and-pawn result that is not an early return is kept
  n = noeud_fen(e, "4k3/8/4K3/4P3/8/8/8/8 w - -");
  EXPECT_EQ(structure_pions(&n, BLANCS), 435);
  EXPECT_EQ(int64_t(cache.entree(n, BLANCS).score), 435);
  EXPECT_EQ(int64_t(cache.entree(n, BLANCS).pieces), 0);
}

TEST(EvalCachePions, TheLoneMinorPieceKindIsPartOfTheEntry) {
  // Passed pawns earn 42 a rank against a lone knight, 35 against a lone
  // bishop: whichever was evaluated first, each position keeps its own term.
  CACHE_PIONS_TEST cache(1024);
  CEchiquier e;
  const EMPILAGE fou = noeud_fen(e, "4k3/8/8/3P4/8/8/8/R3K1b1 w - -");
  const EMPILAGE cavalier = noeud_fen(e, "4k3/8/8/3P4/8/8/8/R3K1n1 w - -");
  ASSERT_EQ(fou.verrou_pions, cavalier.verrou_pions);
  const int contre_fou = structure_pions_calculee(&fou, BLANCS);
  const int contre_cavalier = structure_pions_calculee(&cavalier, BLANCS);
  ASSERT_NE(contre_fou, contre_cavalier);
  EXPECT_EQ(structure_pions(&cavalier, BLANCS), contre_cavalier);
  EXPECT_EQ(structure_pions(&fou, BLANCS), contre_fou);
  EXPECT_EQ(structure_pions(&cavalier, BLANCS), contre_cavalier);
  // The same for Black's passers against a lone white minor piece
  const EMPILAGE fou_blanc = noeud_fen(e, "r3k1B1/8/8/8/3p4/8/8/4K3 b - -");
  const EMPILAGE cavalier_blanc = noeud_fen(e, "r3k1N1/8/8/8/3p4/8/8/4K3 b - -");
  const int b_fou = structure_pions_calculee(&fou_blanc, NOIRS);
  const int b_cavalier = structure_pions_calculee(&cavalier_blanc, NOIRS);
  ASSERT_NE(b_fou, b_cavalier);
  EXPECT_EQ(structure_pions(&fou_blanc, NOIRS), b_fou);
  EXPECT_EQ(structure_pions(&cavalier_blanc, NOIRS), b_cavalier);
  EXPECT_EQ(structure_pions(&fou_blanc, NOIRS), b_fou);
}
