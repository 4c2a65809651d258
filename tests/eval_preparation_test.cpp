#include <gtest/gtest.h>

#include <utility>

#include <cstring>

#include "board/echiquier.h"
#include "eval/cases.h"
#include "eval/preparation.h"
#include "eval_outils.h"
#include "outils.h"

using namespace cases;

namespace {

// A node with nothing on the board but the counts and castling states given.
EMPILAGE noeud_compte(int pieces_blanches, int pieces_noires, int pions_blancs, int pions_noirs,
                      int roque = ROQUE_PERDU) {
  EMPILAGE n;
  std::memset(&n, 0, sizeof n);
  for (int& q : n.pos_piece) q = -1;
  for (int& r : n.roque) r = roque;
  n.nb_pieces_blanches = pieces_blanches;
  n.nb_pieces_noires = pieces_noires;
  n.nb_pions_blancs = pions_blancs;
  n.nb_pions_noirs = pions_noirs;
  return n;
}

int phase_de(EMPILAGE n) { return calcule_phase(&n); }

// The sum the search keeps incrementally, recomputed from the tables.
int somme_tables(const EMPILAGE& n) {
  int somme = 0;
  for (int s = 0; s < 32; ++s) {
    const int q = n.pos_piece[s];
    if (q < 0) continue;
    somme += s < 16 ? psq_blanc[n.type_piece[s]][q] : -psq_noir[n.type_piece[s]][q];
  }
  return somme;
}

}  // namespace

TEST(EvalPreparation, InitialPosition) {
  CEchiquier e;
  const EMPILAGE n = noeud_prepare(e);
  EXPECT_EQ(n.phase, 0);
  EXPECT_EQ(n.materiel, 0);
  EXPECT_EQ(n.positionnel, 0);
  EXPECT_EQ(n.nb_pieces_blanches, 7);
  EXPECT_EQ(n.nb_pieces_noires, 7);
  EXPECT_EQ(n.nb_pions_blancs, 8);
  EXPECT_EQ(n.nb_pions_noirs, 8);
  EXPECT_EQ(comptes_racine.nb_pieces_noires, 7);
  EXPECT_EQ(comptes_racine.nb_pions_blancs, 8);
  for (int f = 0; f < 8; ++f) EXPECT_EQ(colonne_ouverte[f], 0);
  const int attendues[8] = {4400, 4400, 2200, 2200, 1440, 1440, 1400, 1400};
  for (int s = 0; s < 8; ++s) {
    EXPECT_EQ(n.valeur_piece[s], attendues[s]) << s;
    EXPECT_EQ(n.valeur_piece[s + 16], attendues[s]) << s;
    EXPECT_EQ(n.valeur_piece[s + 8], 400);
    EXPECT_EQ(n.valeur_piece[s + 24], 400);
  }
  // Queen rows: (rank advance + centre) / 4 + 3 x closeness, less 7 x 7 on
  // ranks 3 to 8 (White) or 1 to 6 (Black) while two minors are at home.
  EXPECT_EQ(psq_blanc[DAME][D4], (0 + 30) / 4 + 3 * 3 - 49);
  EXPECT_EQ(psq_blanc[DAME][A3], 0 + 3 * 2 - 49);
  EXPECT_EQ(psq_blanc[DAME][D1], 0);
  EXPECT_EQ(psq_noir[DAME][D5], (0 + 30) / 4 + 3 * 3 - 49);
  EXPECT_EQ(psq_noir[DAME][D8], 0);
  // Knights lose 50 in the corners up to phase 2
  EXPECT_EQ(psq_blanc[CAVALIER][A1], -50);
  EXPECT_EQ(psq_blanc[CAVALIER][H8], 5 * 4 - 50);
  // Pawn rows
  EXPECT_EQ(psq_blanc[PION_BLANC][E4], 32);
  EXPECT_EQ(psq_blanc[PION_BLANC][D6], 42);
  EXPECT_EQ(psq_noir[PION_NOIR][E5], 32);
  EXPECT_EQ(psq_noir[PION_NOIR][E2], 140);
}

TEST(EvalPreparation, TablesOfASymmetricPositionAreMirrorImages) {
  CEchiquier e;
  noeud_prepare(e);
  for (int q = 0; q < 64; ++q) {
    for (int t = ROI; t <= CAVALIER; ++t) EXPECT_EQ(psq_noir[t][q ^ 56], psq_blanc[t][q]) << t << " " << q;
    EXPECT_EQ(psq_noir[PION_NOIR][q ^ 56], psq_blanc[PION_BLANC][q]) << q;
    EXPECT_EQ(psq_blanc[PION_NOIR][q], 0);
    EXPECT_EQ(psq_noir[PION_BLANC][q], 0);
  }
}

TEST(EvalPreparation, PiecesGainByClosenessToTheEnemyKing) {
  CEchiquier e;
  const EMPILAGE n = noeud_fen(e, "6k1/8/5N2/8/8/8/8/4K3 w - -");
  EXPECT_EQ(n.phase, 5);
  // f6: centre 20; king distance 2 from g8, closeness 5
  EXPECT_EQ(psq_blanc[CAVALIER][F6], 20 + 5 * 5);
  EXPECT_EQ(psq_blanc[FOU][F6], 20 + 3 * 5);
  EXPECT_EQ(psq_blanc[ROI][F6], 20 / 4 + 5);
  EXPECT_EQ(n.positionnel, psq_blanc[CAVALIER][F6] + psq_blanc[ROI][E1] - psq_noir[ROI][G8]);
}

TEST(EvalPreparation, OpenFilesForRooksAndQueens) {
  CEchiquier e;
  // d and e open: 40 for a rook there, 20 for a queen
  EMPILAGE n = noeud_fen(e, "r3k2r/ppp2ppp/8/8/8/8/PPP2PPP/R3K2R w - -");
  EXPECT_EQ(n.phase, 3);
  const int ouvertes[8] = {0, 0, 0, 40, 40, 0, 0, 0};
  for (int f = 0; f < 8; ++f) EXPECT_EQ(colonne_ouverte[f], ouvertes[f]);
  EXPECT_EQ(psq_blanc[TOUR][D1], 40);
  EXPECT_EQ(psq_blanc[TOUR][C1], 0);
  EXPECT_EQ(psq_blanc[DAME][D1], 20);
  EXPECT_EQ(psq_noir[TOUR][E8], 40);
  // Four open files: nothing for anybody
  n = noeud_fen(e, "r3k2r/p4ppp/8/8/8/8/P4PPP/R3K2R w - -");
  EXPECT_EQ(n.phase, 3);
  for (int f = 0; f < 8; ++f) EXPECT_EQ(colonne_ouverte[f], 0);
  EXPECT_EQ(psq_blanc[TOUR][D1], 0);
  EXPECT_EQ(psq_blanc[DAME][D1], 0);
  // From phase 4 on no file counts as open
  n = noeud_fen(e, "4k3/pppp4/8/8/8/8/PPPP4/4K3 w - -");
  EXPECT_EQ(n.phase, 4);
  for (int f = 0; f < 8; ++f) EXPECT_EQ(colonne_ouverte[f], 0);
}

TEST(EvalPreparation, PieceValuesFollowThePhase) {
  CEchiquier e;
  // Phase 3: queen 4640, rook 2320
  EMPILAGE n = noeud_fen(e, "3qk3/pppppppp/8/8/8/8/PPPPPPPP/R2QK3 w - -");
  EXPECT_EQ(n.phase, 3);
  for (const auto& [slot, valeur] : std::initializer_list<std::pair<int, int>>{{1, 4640}, {2, 2320}, {17, 4640}})
    EXPECT_EQ(n.valeur_piece[slot], valeur) << slot;
  EXPECT_EQ(n.materiel, 2320);
  EXPECT_EQ(valeur_type[DAME], 4640);
  // Phase 2: queen 4400, rook 2200, bishop 1440, knight 1400
  n = noeud_fen(e, "r2qk2r/pp4pp/2nbbn2/8/8/2NBBN2/PP4PP/R2QK2R w - -");
  EXPECT_EQ(n.phase, 2);
  for (const auto& [slot, valeur] : std::initializer_list<std::pair<int, int>>{{1, 4400}, {3, 2200}, {4, 1440}, {7, 1400}})
    EXPECT_EQ(n.valeur_piece[slot], valeur) << slot;
  EXPECT_EQ(n.materiel, 0);
  EXPECT_EQ(valeur_type[TOUR], 2200);
  // A promoted pawn takes its piece's value
  n = noeud_fen(e, "4k3/8/8/8/8/8/8/QQ2K3 w - -");
  ASSERT_EQ(n.type_piece[8], DAME);
  EXPECT_EQ(n.nb_pieces_blanches, 2);
  EXPECT_EQ(n.nb_pions_blancs, 0);
  EXPECT_EQ(n.valeur_piece[8], 4640);
  EXPECT_EQ(n.materiel, 2 * 4640);
}

TEST(EvalPreparation, PhaseRuleAtItsBoundaries) {
  EXPECT_EQ(phase_de(noeud_compte(5, 5, 6, 6)), 1);   // P = 10, N = 12
  EXPECT_EQ(phase_de(noeud_compte(5, 4, 6, 6)), 2);   // P = 9
  EXPECT_EQ(phase_de(noeud_compte(5, 5, 6, 5)), 2);   // N = 11
  EXPECT_EQ(phase_de(noeud_compte(4, 3, 8, 8)), 2);   // P = 7
  EXPECT_EQ(phase_de(noeud_compte(3, 3, 8, 8)), 3);   // P = 6
  EXPECT_EQ(phase_de(noeud_compte(1, 0, 1, 0)), 3);
  EXPECT_EQ(phase_de(noeud_compte(0, 0, 1, 0)), 4);   // kings and pawns
  EXPECT_EQ(phase_de(noeud_compte(0, 0, 0, 0)), 5);   // bare kings
  EXPECT_EQ(phase_de(noeud_compte(2, 2, 0, 0)), 5);   // four pieces, no pawns
  EXPECT_EQ(phase_de(noeud_compte(3, 2, 0, 0)), 3);   // five pieces, no pawns
  EXPECT_EQ(phase_de(noeud_compte(1, 0, 0, 0)), 5);

  // Opening signs: 2 per castling state still open, 1 per home minor
  EXPECT_EQ(phase_de(noeud_compte(7, 7, 8, 8, ROQUE_POSSIBLE)), 0);  // 8 signs
  EMPILAGE n = noeud_compte(7, 7, 8, 8);
  n.roque[0] = n.roque[1] = ROQUE_POSSIBLE;  // 4 signs
  EXPECT_EQ(phase_de(n), 1);
  n.pos_piece[6] = B1;  // 5 signs
  EXPECT_EQ(phase_de(n), 0);
  n = noeud_compte(7, 7, 8, 8);
  n.pos_piece[4] = C1, n.pos_piece[5] = F1, n.pos_piece[20] = C8, n.pos_piece[23] = G8;
  EXPECT_EQ(phase_de(n), 1);  // four home minors
  n.pos_piece[22] = B8;
  EXPECT_EQ(phase_de(n), 0);
  n.pos_piece[22] = C6;  // a minor away from home does not count
  EXPECT_EQ(phase_de(n), 1);

  // A node that left phase 0 never returns to it, and the result is stored
  n = noeud_compte(7, 7, 8, 8, ROQUE_POSSIBLE);
  n.phase = 2;
  EXPECT_EQ(calcule_phase(&n), 1);
  EXPECT_EQ(n.phase, 1);
}

TEST(EvalPreparation, SeventhRankAndCornerAdjustments) {
  CEchiquier e;
  // Phase 2 with the c- to f-files open (four: no open-file bonus)
  const EMPILAGE n = noeud_fen(e, "r2qk2r/pp4pp/2nbbn2/8/8/2NBBN2/PP4PP/R2QK2R w - -");
  ASSERT_EQ(n.phase, 2);
  // d7: centre 10, rank advance 70, closeness to e8 is 6, and 50 on the 7th rank
  EXPECT_EQ(psq_blanc[TOUR][D7], 10 / 2 + 70 + 3 * 6 + 50);
  EXPECT_EQ(psq_blanc[DAME][D7], (70 + 10) / 4 + 3 * 6 + 50);
  EXPECT_EQ(psq_noir[TOUR][D2], 10 / 2 + 70 + 3 * 6 + 50);
  EXPECT_EQ(psq_blanc[TOUR][D6], 20 / 2 + 40 + 3 * 5);
  // No queen penalty from phase 2 on, corner knights still lose 50
  EXPECT_EQ(psq_blanc[DAME][D4], (0 + 30) / 4 + 3 * 3);
  EXPECT_EQ(psq_noir[CAVALIER][H1], 5 * 4 - 50);
}

TEST(EvalPreparation, KingsKeepAwayFromEmptyWingsInTheEnding) {
  CEchiquier e;
  // Pawns on files c to e only: files a, g and h are out of reach
  noeud_fen(e, "4k3/8/8/2ppp3/8/8/2PPP3/4K3 w - -");
  for (int r = 0; r < 8; ++r) {
    for (int f : {0, 6, 7}) {
      EXPECT_EQ(psq_blanc[ROI][r * 8 + f], -40);
      EXPECT_EQ(psq_noir[ROI][r * 8 + f], -40);
    }
  }
  EXPECT_EQ(psq_blanc[ROI][B1], 0);
  EXPECT_EQ(psq_blanc[ROI][F5], 20 / 4 + 4);
  // Phase 3 without any pawn: the whole king rows
  const EMPILAGE n = noeud_fen(e, "r2qk3/8/8/8/8/8/8/R2QK1N1 w - -");
  ASSERT_EQ(n.phase, 3);
  for (int q = 0; q < 64; ++q) {
    EXPECT_EQ(psq_blanc[ROI][q], -40);
    EXPECT_EQ(psq_noir[ROI][q], -40);
  }
}

TEST(EvalPreparation, RootSumsMatchTheTablesAfterAGame) {
  CEchiquier e;
  e.Coup1();
  ASSERT_EQ(joue_suite(e, "e2e4 d7d5 e4d5 d8d5 b1c3 d5a5 g1f3 c8g4 f1e2 b8c6 e1g1 e8c8"), 0);
  const EMPILAGE n = noeud_prepare(e);
  EXPECT_EQ(n.positionnel, somme_tables(n));
  EXPECT_EQ(n.materiel, 0);
  EXPECT_EQ(n.nb_pions_blancs, 7);
  EXPECT_EQ(n.nb_pions_noirs, 7);
  // The same after trades that leave the material uneven
  ASSERT_EQ(joue_suite(e, "f3e5 c6e5"), 0);
  ASSERT_EQ(joue_suite(e, "d2d4 g4e2 d1e2 e5c6 e2b5 a5b5 c3b5 d8d4"), 0);
  const EMPILAGE m = noeud_prepare(e);
  EXPECT_EQ(m.positionnel, somme_tables(m));
  int materiel = 0;
  for (int s = 1; s < 32; ++s)
    if (s != 16 && m.pos_piece[s] >= 0) materiel += s < 16 ? m.valeur_piece[s] : -m.valeur_piece[s];
  EXPECT_EQ(m.materiel, materiel);
}
