#include <gtest/gtest.h>

#include <string>

#include "board/echiquier.h"
#include "eval/preparation.h"
#include "eval/termes.h"
#include "eval_outils.h"

namespace {

// A term on the prepared node of a FEN position.
int sur(int (*terme)(const EMPILAGE*), const std::string& fen) {
  CEchiquier e;
  const EMPILAGE n = noeud_fen(e, fen);
  return terme(&n);
}

EMPILAGE avec_roques(int r0, int r1, int r2, int r3) {
  CEchiquier e;
  EMPILAGE n = noeud_prepare(e);
  n.roque[0] = r0, n.roque[1] = r1, n.roque[2] = r2, n.roque[3] = r3;
  return n;
}

}  // namespace

TEST(EvalMotifs, Development) {
  EXPECT_EQ(sur(developpement, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"), 0);
  // A knight on e3 shuts in the f1-bishop behind the e2-pawn
  EXPECT_EQ(sur(developpement, "rnbqkbnr/pppppppp/8/8/8/4N3/PPPPPPPP/RNBQKB1R w KQkq -"), -70);
  // c3 taken in front of the b1-knight
  EXPECT_EQ(sur(developpement, "rnbqkbnr/pppppppp/8/8/8/2P5/PP1PPPPP/RNBQKBNR w KQkq -"), -50);
  // Black: a knight on d6 in front of d7 and the c8-bishop
  EXPECT_EQ(sur(developpement, "r1bqkbnr/pppppppp/3n4/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"), 70);
  // Both f-squares taken: each side's g-knight is blocked
  EXPECT_EQ(sur(developpement, "rnbqkbnr/ppppp1pp/5p2/8/8/5P2/PPPPP1PP/RNBQKBNR w KQkq -"), 0);
}

TEST(EvalMotifs, Castling) {
  EMPILAGE n = avec_roques(0, 0, 0, 0);
  EXPECT_EQ(roques(&n), 0);
  n = avec_roques(1, -1, -1, 1);  // White O-O, Black O-O-O
  EXPECT_EQ(roques(&n), 150 - 90);
  n = avec_roques(-1, 0, -1, 0);  // White lost both rights without castling
  EXPECT_EQ(roques(&n), -75 - 45);
  n = avec_roques(0, -1, -1, -1);  // one white right left
  EXPECT_EQ(roques(&n), -45 + 75 + 45);
  n = avec_roques(-1, -1, 1, -1);
  EXPECT_EQ(roques(&n), 90 + 120);
}

TEST(EvalMotifs, TrappedBishops) {
  // The f1-bishop on h7 behind g6, with f7 held by the f-pawn, a bishop or the king
  EXPECT_EQ(sur(pieces_enfermees, "4k3/5p1B/6p1/8/8/8/8/4K3 w - -"), -400);
  EXPECT_EQ(sur(pieces_enfermees, "8/5k1B/6p1/8/8/8/8/4K3 w - -"), -400);
  EXPECT_EQ(sur(pieces_enfermees, "4k3/4n2B/6p1/8/8/8/8/4K3 w - -"), -400);
  EXPECT_EQ(sur(pieces_enfermees, "4k3/7B/6p1/8/8/8/8/4K3 w - -"), 0);
  // The c8-bishop on a2 behind b3
  EXPECT_EQ(sur(pieces_enfermees, "4k3/8/8/8/8/1P6/b1P5/4K3 w - -"), 400);
}

TEST(EvalMotifs, TrappedKnights) {
  EXPECT_EQ(sur(pieces_enfermees, "4k3/6pN/5p2/8/8/8/8/4K3 w - -"), -400);
  EXPECT_EQ(sur(pieces_enfermees, "4k3/p7/1p6/8/N7/2P5/1P6/4K3 w - -"), -100);
  EXPECT_EQ(sur(pieces_enfermees, "4k3/p7/8/8/N7/2P5/1P6/4K3 w - -"), 0);
  EXPECT_EQ(sur(pieces_enfermees, "4k3/8/8/8/8/5P2/6Pn/4K3 w - -"), 400);
  EXPECT_EQ(sur(pieces_enfermees, "4k3/8/8/8/8/2P5/1nP2P2/4K3 w - -"), 0);
  EXPECT_EQ(sur(pieces_enfermees, "4k3/8/8/8/8/1P6/1nP5/4K3 w - -"), 400);
}

TEST(EvalMotifs, ConnectedRooksAndBishopPairs) {
  const struct {
    const char* fen;
    int terme;
  } cas[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w - -", 0},     {"r3k2r/8/8/8/8/8/8/R4RK1 w - -", 40},
      {"4k3/8/8/8/8/R7/8/R3K3 w - -", 40},      {"4k3/8/8/8/8/8/1R6/R3K3 w - -", 0},
      {"2b1kb2/8/8/8/8/8/8/2B1K3 w - -", -40},  {"2b1kb2/8/8/8/8/8/8/2B1KB2 w - -", 0},
  };
  for (const auto& c : cas) EXPECT_EQ(sur(paires, c.fen), c.terme) << c.fen;
}

TEST(EvalMotifs, TrappedRooks) {
  EXPECT_EQ(sur(tours_enfermees, "4k3/8/8/8/8/7P/6Br/4K3 w - -"), 200);
  EXPECT_EQ(sur(tours_enfermees, "4k3/8/8/8/8/7P/6Nr/4K3 w - -"), 0);
  EXPECT_EQ(sur(tours_enfermees, "4k3/Rb6/p7/8/8/8/8/4K3 w - -"), -200);
}

TEST(EvalMotifs, TradingDownWhenAhead) {
  const COMPTES_RACINE racine{7, 7, 8, 8};
  CEchiquier e;
  EMPILAGE n = noeud_prepare(e);
  n.materiel = 1000, n.nb_pieces_noires = 5, n.nb_pions_blancs = 7;
  EXPECT_EQ(echanges(&n, racine), -30 + 2 * 40);
  n.materiel = 399;
  EXPECT_EQ(echanges(&n, racine), 0);
  n = noeud_prepare(e);
  n.materiel = -400, n.nb_pieces_blanches = 6, n.nb_pions_noirs = 6;
  EXPECT_EQ(echanges(&n, racine), 2 * 30 - 40);
  n.nb_pieces_blanches = 7;
  EXPECT_EQ(echanges(&n, racine), 0);
}

TEST(EvalMotifs, KingDanger) {
  CEchiquier e;
  EMPILAGE n = noeud_prepare(e);
  EXPECT_EQ(danger_roi(&n, BLANCS), 4);
  EXPECT_EQ(danger_roi(&n, NOIRS), 4);
  EXPECT_EQ(securite_rois(&n), 0);
  // White castled short without its g-pawn, a black pawn on h3 and the black queen
  // on the board; Black's king in the middle with open d- and e-files
  n = noeud_fen(e, "3qk3/8/8/8/8/7p/5P1P/6K1 w - -");
  n.roque[0] = ROQUE_FAIT;
  // shelter 0 + 8 + 0, castled +3, g1 1, g-pawn gone and h3 attacked +10
  EXPECT_EQ(danger_roi(&n, BLANCS), 8 + 3 + 1 + 10);
  // shelter: f (a white pawn on f2) 4, g 8, h (h3) 4; e8 4; d- and e-files 16
  EXPECT_EQ(danger_roi(&n, NOIRS), 16 + 4 + 16);
  EXPECT_EQ(securite_rois(&n), (25 - 22) * 16);
  // A fianchetto with the f1-bishop on g2 takes 2 off
  n = noeud_fen(e, "4k3/8/8/8/8/6P1/5PBP/6K1 w - -");
  EXPECT_EQ(danger_roi(&n, BLANCS), 0 + 2 + 0 + 1 - 2);
}

TEST(EvalMotifs, Mobility) {
  // Rook a1: 7 up the file, b1-d1, e1 its own king; d1 touches the king
  EXPECT_EQ(sur(mobilite_pieces, "4k3/8/8/8/8/8/8/R3K3 w - -"), 10);
  // A knight with no free square costs 12, a rook none
  EXPECT_EQ(sur(mobilite_pieces, "4k3/8/8/8/8/1P6/2P5/N3K3 w - -"), -12);
  EXPECT_EQ(sur(mobilite_pieces, "4k3/8/8/8/8/8/P7/RN2K3 w - -"), 3);
  // Knight f6 against the king on h8: 8 squares, g8 and h7 in its zone
  EXPECT_EQ(sur(mobilite_pieces, "7k/8/5N2/8/8/8/8/K7 w - -"), 8 + 12);
  EXPECT_EQ(sur(mobilite_pieces, "7k/7p/5N2/8/8/8/8/K7 w - -"), 8 + 6 + 3);
  // Black's pieces count against White
  EXPECT_EQ(sur(mobilite_pieces, "k7/8/8/8/8/5n2/8/7K w - -"), -(8 + 12));
}
