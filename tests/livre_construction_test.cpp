#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "board/echiquier.h"
#include "frontend/livre_construction.h"
#include "livre_outils.h"
#include "notation/coordonnees.h"
#include "outils.h"
#include "search/hash.h"

namespace {

using Coups = std::vector<std::string>;

// `fois` copies of a game with the moves and result, and a FEN tag when given.
std::string partie(const std::string& coups, const std::string& resultat, int fois = 1,
                   const std::string& fen = "") {
  std::string t;
  for (int i = 0; i < fois; ++i) {
    t += "[Event \"test\"]\n[Result \"" + resultat + "\"]\n";
    if (!fen.empty()) t += "[FEN \"" + fen + "\"]\n";
    t += "\n" + coups + " " + resultat + "\n\n";
  }
  return t;
}

OPTIONS_LIVRE options(int min_parties = 3, int min_score = 40, int max_ply = 24) {
  OPTIONS_LIVRE o;
  o.max_ply = max_ply;
  o.filtres.min_parties = min_parties;
  o.filtres.min_score = min_score;
  return o;
}

// Keys of the position reached by coordinate moves from the initial position.
EMPILAGE position(const std::string& suite) {
  CEchiquier e;
  e.Coup1();
  joue_suite(e, suite);
  EMPILAGE n = *e.emp;
  e.CopieEmp(&n);
  compute_keys(&n);
  return n;
}

// A position some plies deep: its keys, the moves to it and a legal reply.
struct PROFONDE {
  std::string suite;
  std::string reponse;
  uint32_t cle_hash;
  uint32_t verrou_hash;
};

// Every position `profondeur` plies below the board's, in move order.
void parcourt(CEchiquier& e, int profondeur, const std::string& suite, std::vector<PROFONDE>& r) {
  std::vector<uint32_t> coups;
  for (const uint32_t* l = e.liste_coups; *l; ++l)
    if (!(*l & COUP_ILLEGAL)) coups.push_back(*l & 0xffff);
  char texte[8];
  if (profondeur == 0) {
    EMPILAGE n = *e.emp;
    e.CopieEmp(&n);
    compute_keys(&n);
    texte_protocole(coups.at(0), texte);
    r.push_back(PROFONDE{suite, texte, n.cle_hash, n.verrou_hash});
    return;
  }
  for (uint32_t m : coups) {
    texte_protocole(m, texte);
    if (e.Joue(m) != 0) continue;
    parcourt(e, profondeur - 1, suite.empty() ? texte : suite + " " + texte, r);
    e.Retour(-1);
  }
}

class ConstructionLivre : public DossierLivre {
 protected:
  std::string livre() const { return chemin("livre.bo1"); }
};

}  // namespace

TEST_F(ConstructionLivre, TheReaderFindsExactlyTheKeptMoves) {
  const std::string pgn = partie("1. e4 e5 2. Nf3 Nc6", "1/2-1/2", 4) +
                          partie("1. e4 c5 2. Nf3 d6", "1/2-1/2", 3) +
                          partie("1. e4 e6", "1/2-1/2", 2) +       // too few games
                          partie("1. d4 d5", "0-1", 3) +           // 1.d4 scores nothing
                          partie("1. c4 e5", "1-0") + partie("1. c4 e5", "1/2-1/2") +
                          partie("1. c4 e5", "0-1");
  BILAN_LIVRE b;
  ASSERT_EQ(construit(pgn, options(), b), 0);
  EXPECT_EQ(b.parties_lues, 15u);
  EXPECT_EQ(b.parties_rejetees, 0u);

  EXPECT_EQ(coups_livre(livre(), ""), (Coups{"e2e4", "c2c4"}));
  EXPECT_EQ(coups_livre(livre(), "e2e4"), (Coups{"e7e5", "c7c5"}));
  EXPECT_EQ(coups_livre(livre(), "e2e4 e7e5"), (Coups{"g1f3"}));
  EXPECT_EQ(coups_livre(livre(), "e2e4 e7e5 g1f3"), (Coups{"b8c6"}));
  EXPECT_EQ(coups_livre(livre(), "e2e4 c7c5 g1f3"), (Coups{"d7d6"}));
  EXPECT_EQ(coups_livre(livre(), "d2d4"), (Coups{"d7d5"}));  // Black won with it
  EXPECT_EQ(coups_livre(livre(), "c2c4"), (Coups{"e7e5"}));
  EXPECT_TRUE(coups_livre(livre(), "e2e4 e7e6").empty());
  EXPECT_TRUE(coups_livre(livre(), "g1f3").empty());
  // Positions after the last move of a game have no move to store
  EXPECT_TRUE(coups_livre(livre(), "e2e4 e7e5 g1f3 b8c6").empty());
  EXPECT_EQ(b.placement.placees, 8u);
  EXPECT_EQ(b.placement.coups, 10u);
  EXPECT_EQ(b.selection.sans_coup, 0u);
}

TEST_F(ConstructionLivre, MinGamesAndMinScoreFilters) {
  // 1.e4: 1 win, 2 draws, 2 losses = 40 %; 1.d4 played twice; 1.c4 with unknown results
  const std::string pgn = partie("1. e4 e5", "1-0") + partie("1. e4 e5", "1/2-1/2", 2) +
                          partie("1. e4 e5", "0-1", 2) + partie("1. d4 d5", "1-0", 2) +
                          partie("1. c4 c5", "*", 3);
  BILAN_LIVRE b;
  ASSERT_EQ(construit(pgn, options(3, 40), b), 0);
  EXPECT_EQ(coups_livre(livre(), ""), (Coups{"e2e4", "c2c4"}));
  // Black's 1...e5 scored 60 %
  EXPECT_EQ(coups_livre(livre(), "e2e4"), (Coups{"e7e5"}));

  ASSERT_EQ(construit(pgn, options(3, 41), b), 0);
  EXPECT_EQ(coups_livre(livre(), ""), (Coups{"c2c4"}));

  ASSERT_EQ(construit(pgn, options(2, 40), b), 0);
  EXPECT_EQ(coups_livre(livre(), ""), (Coups{"e2e4", "c2c4", "d2d4"}));
  EXPECT_TRUE(coups_livre(livre(), "d2d4").empty());  // 1...d5 lost both games

  ASSERT_EQ(construit(pgn, options(2, 0), b), 0);
  EXPECT_EQ(coups_livre(livre(), "d2d4"), (Coups{"d7d5"}));

  ASSERT_EQ(construit(pgn, options(6, 0), b), 0);
  EXPECT_TRUE(coups_livre(livre(), "").empty());
  EXPECT_EQ(b.placement.placees, 0u);
}

TEST_F(ConstructionLivre, AtMostFourMovesTheMostPlayedFirst) {
  // Six replies to 1.e4, played 6, 5, 4, 3, 3 and 3 times; of the three
  // played 3 times the best scoring comes first
  const std::string pgn = partie("1. e4 c5", "1/2-1/2", 6) + partie("1. e4 e5", "1/2-1/2", 5) +
                          partie("1. e4 e6", "1/2-1/2", 4) + partie("1. e4 c6", "1/2-1/2", 3) +
                          partie("1. e4 d5", "0-1", 3) + partie("1. e4 d6", "1/2-1/2", 3);
  BILAN_LIVRE b;
  ASSERT_EQ(construit(pgn, options(1, 0), b), 0);
  EXPECT_EQ(coups_livre(livre(), "e2e4"), (Coups{"c7c5", "e7e5", "e7e6", "d7d5"}));
}

TEST_F(ConstructionLivre, OnlyTheFirstPliesCountAndRepeatedPositionsOnce) {
  // The knights go out and back: the initial position is met twice in a game
  const std::string pgn = partie("1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3 Nf6 4. e4", "1/2-1/2", 2);
  BILAN_LIVRE b;
  ASSERT_EQ(construit(pgn, options(3, 0, 24), b), 0);
  EXPECT_TRUE(coups_livre(livre(), "").empty());  // two games, not four

  ASSERT_EQ(construit(pgn, options(2, 0, 24), b), 0);
  EXPECT_EQ(coups_livre(livre(), ""), (Coups{"g1f3"}));
  EXPECT_EQ(coups_livre(livre(), "g1f3 g8f6"), (Coups{"f3g1", "e2e4"}));

  ASSERT_EQ(construit(pgn, options(1, 0, 2), b), 0);
  EXPECT_EQ(coups_livre(livre(), "g1f3"), (Coups{"g8f6"}));
  EXPECT_TRUE(coups_livre(livre(), "g1f3 g8f6").empty());
  EXPECT_EQ(b.positions_vues, 2u);
}

TEST_F(ConstructionLivre, PositionsSharingAPrimaryRecordBothFound) {
  // Two positions three plies deep with the same primary record and
  // different check values
  std::map<uint32_t, PROFONDE> par_record;
  std::vector<PROFONDE> positions;
  CEchiquier e;
  e.Coup1();
  parcourt(e, 3, "", positions);
  const PROFONDE* a = nullptr;
  const PROFONDE* b = nullptr;
  for (const PROFONDE& p : positions) {
    const auto [it, nouveau] = par_record.try_emplace(p.cle_hash & 0xFFFF, p);
    if (!nouveau && uint16_t(it->second.verrou_hash) != uint16_t(p.verrou_hash)) {
      a = &it->second;
      b = &p;
      break;
    }
  }
  ASSERT_NE(b, nullptr) << "no two positions share a primary record";

  // The more frequent takes the primary record, the other the secondary one
  BILAN_LIVRE bilan;
  ASSERT_EQ(construit(partie(a->suite + " " + a->reponse, "1/2-1/2", 2) +
                          partie(b->suite + " " + b->reponse, "1/2-1/2"),
                      options(1, 0), bilan),
            0);
  EXPECT_EQ(coups_livre(livre(), a->suite), (Coups{a->reponse}));
  EXPECT_EQ(coups_livre(livre(), b->suite), (Coups{b->reponse}));
  const EMPILAGE pa = position(a->suite), pb = position(b->suite);
  ASSERT_EQ(enregistrement_primaire(&pa, 0), enregistrement_primaire(&pb, 0));
  const std::string image = contenu(livre());
  auto controle = [&](uint32_t n) {
    return uint16_t(uint8_t(image[n * 10]) | (uint8_t(image[n * 10 + 1]) << 8));
  };
  EXPECT_EQ(controle(enregistrement_primaire(&pa, 0)), uint16_t(pa.verrou_hash));
  EXPECT_EQ(controle(enregistrement_secondaire(&pb, 0)), uint16_t(pb.cle_hash));
}

TEST_F(ConstructionLivre, TheOtherSideToMoveWithTheSameKeys) {
  // The same men with either side to move share their keys: the more
  // frequent position is kept
  const std::string blancs = "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1";
  const std::string noirs = "4k3/8/8/8/8/8/4P3/4K3 b - - 0 1";
  BILAN_LIVRE b;
  ASSERT_EQ(construit(partie("1. e4 Kd7", "1/2-1/2", 2, blancs) + partie("1... Kd8", "1/2-1/2", 1, noirs),
                      options(1, 0), b),
            0);
  EXPECT_EQ(b.selection.collisions_trait, 1u);
  CEchiquier e;
  ASSERT_EQ(e.LitForsythe(blancs.c_str()), 0);
  EXPECT_EQ(coups_livre(livre(), e), (Coups{"e2e4"}));

  ASSERT_EQ(construit(partie("1. e4 Kd7", "1/2-1/2", 1, blancs) + partie("1... Kd8", "1/2-1/2", 2, noirs),
                      options(1, 0), b),
            0);
  EXPECT_EQ(b.selection.collisions_trait, 1u);
  ASSERT_EQ(e.LitForsythe(noirs.c_str()), 0);
  EXPECT_EQ(coups_livre(livre(), e), (Coups{"e8d8"}));
}

TEST_F(ConstructionLivre, UnreadableGamesAreReportedAndTheOthersCount) {
  const std::string pgn =
      partie("1. e4 e5 2. Nf3", "1-0") +
      partie("1. e4 e5 2. Ke3 Nc6", "1-0") +             // an illegal move
      partie("1. d4 $1 d5 (1... Nf6 2. c4) 2. c4 {the gambit} e6 ; declined", "1/2-1/2") +
      "[Event \"cut\"]\n\n1. c4 e5 2. N";                 // cut in the middle of a move
  BILAN_LIVRE b;
  std::string messages;
  ASSERT_EQ(construit(pgn, options(1, 0), b, &messages), 0);
  EXPECT_EQ(b.parties_lues, 2u);
  EXPECT_EQ(b.parties_rejetees, 2u);
  const std::string nom = chemin("parties.pgn");
  EXPECT_NE(messages.find(nom + ": game 2: move 2. \"Ke3\""), std::string::npos) << messages;
  EXPECT_NE(messages.find(nom + ": game 4: move 2. \"N\""), std::string::npos) << messages;
  EXPECT_EQ(messages.find("game 1"), std::string::npos);
  EXPECT_EQ(messages.find("game 3"), std::string::npos);

  // The rejected games count nowhere, not even for their first moves
  ASSERT_EQ(construit(pgn, options(2, 0), b), 0);
  EXPECT_TRUE(coups_livre(livre(), "").empty());
  ASSERT_EQ(construit(pgn, options(1, 0), b), 0);
  EXPECT_EQ(coups_livre(livre(), ""), (Coups{"e2e4", "d2d4"}));  // a win ranks first
  EXPECT_EQ(coups_livre(livre(), "d2d4"), (Coups{"d7d5"}));  // not the variation's Nf6
  EXPECT_EQ(coups_livre(livre(), "d2d4 d7d5 c2c4"), (Coups{"e7e6"}));
  EXPECT_TRUE(coups_livre(livre(), "c2c4").empty());

  // A comment left open makes the rest of the file one malformed game
  ASSERT_EQ(construit(partie("1. e4 e5", "1-0") + "[Event \"x\"]\n\n1. d4 {open\n" +
                          partie("1. c4 e5", "1-0"),
                      options(1, 0), b, &messages),
            0);
  EXPECT_EQ(b.parties_lues, 1u);
  EXPECT_NE(messages.find("game 2: a comment is still open"), std::string::npos) << messages;
}

TEST_F(ConstructionLivre, AGameEndingInMateCountsWhole) {
  BILAN_LIVRE b;
  ASSERT_EQ(construit(partie("1. f3 e5 2. g4 Qh4#", "0-1") + partie("1. f3 e5 2. g4 Qh4# Kf2", "0-1"),
                      options(1, 0), b),
            0);
  EXPECT_EQ(b.parties_lues, 1u);
  EXPECT_EQ(b.parties_rejetees, 1u);
  EXPECT_EQ(coups_livre(livre(), "f2f3 e7e5 g2g4"), (Coups{"d8h4"}));
}
