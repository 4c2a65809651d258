#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "board/echiquier.h"
#include "eval/termes.h"
#include "eval_outils.h"
#include "outils.h"

namespace {

// The mobility term walked square by square on the board's slots: each
// target of the queen, rooks, bishops and knights of slots 1-7 and 17-23
// counts when empty or enemy-held, 6 (3 on an enemy pawn slot) within one
// step of the enemy king, 3 next to the own king; a piece other than a
// rook-slot piece with no empty target loses 12.
int mobilite_pas_a_pas(const EMPILAGE* e) {
  struct BILAN {
    int mobilite = 0, attaque = 0, defense = 0;
  } bilan[2];
  const auto distance = [](int a, int b) {
    return std::max(std::abs(colonne(a) - colonne(b)), std::abs(rangee(a) - rangee(b)));
  };
  for (int c = 0; c < 2; ++c) {
    const int premier = 16 * c;
    const int roi = e->pos_piece[premier], roi_adverse = e->pos_piece[16 - premier];
    BILAN& b = bilan[c];
    for (int s = premier + 1; s <= premier + 7; ++s) {
      const int q = e->pos_piece[s], t = e->type_piece[s];
      if (q < 0 || t < DAME || t > CAVALIER) continue;
      int libres = 0;
      for (int df = -2; df <= 2; ++df)
        for (int dg = -2; dg <= 2; ++dg) {
          const bool saut = std::abs(df * dg) == 2;
          const bool ligne = std::abs(df) <= 1 && std::abs(dg) <= 1 && (df || dg);
          const bool diagonale = ligne && df && dg;
          if (t == CAVALIER ? !saut : !ligne || (t == TOUR && diagonale) || (t == FOU && !diagonale)) continue;
          for (int f = colonne(q) + df, g = rangee(q) + dg; f >= 0 && f < 8 && g >= 0 && g < 8; f += df, g += dg) {
            const int x = g * 8 + f;
            const int occupant = e->echiquier[x];
            const bool adverse = occupant != VIDE && occupant / 16 != c;
            libres += occupant == VIDE;
            b.mobilite += occupant == VIDE || adverse;
            if (distance(x, roi_adverse) <= 1) b.attaque += adverse && (occupant & 15) >= 8 ? 3 : 6;
            if (distance(x, roi) == 1) b.defense += 3;
            if (occupant != VIDE || t == CAVALIER) break;
          }
        }
      if (libres == 0 && s != premier + 2 && s != premier + 3) b.mobilite -= 12;
    }
  }
  int m = bilan[0].mobilite - bilan[1].mobilite + bilan[0].attaque - bilan[1].attaque;
  if (e->nb_pieces_noires > 1 && bilan[1].attaque > 5) m += bilan[0].defense;
  if (e->nb_pieces_blanches > 1 && bilan[0].attaque > 5) m -= bilan[1].defense;
  return m;
}

}  // namespace

TEST(EvalMobilite, EqualsTheSquareBySquareWalkAlongRandomGames) {
  // The initial set, crowded middle games, and pieces in slots not their
  // own: extra queens, rooks and knights in the minor-piece and pawn slots
  const std::string depart[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
      "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ -",
      "q3k2q/1pp2pp1/8/3QQ3/3qq3/8/1PP2PP1/Q3K2Q w - -",
      "rr2k1nn/pppppppp/8/8/8/8/PPPPPPPP/NN2K1RR b - -",
      "4k3/1P6/8/8/8/8/6p1/4K3 w - -",
  };
  std::mt19937 alea(2026);
  int positions = 0;
  for (const std::string& fen : depart) {
    for (int partie = 0; partie < 12; ++partie) {
      CEchiquier e;
      place_fen(e, fen);
      for (int ply = 0; ply < 160; ++ply) {
        const EMPILAGE n = noeud_prepare(e);
        ASSERT_EQ(mobilite_pieces(&n), mobilite_pas_a_pas(&n)) << fen << " game " << partie << " ply " << ply;
        ++positions;
        std::vector<uint32_t> coups;
        for (const uint32_t* l = e.liste_coups; *l; ++l)
          if (!(*l & COUP_ILLEGAL)) coups.push_back(*l & 0xffff);
        if (coups.empty() || e.Joue(coups[alea() % coups.size()]) != 0) break;
      }
    }
  }
  EXPECT_GT(positions, 5000);
}
