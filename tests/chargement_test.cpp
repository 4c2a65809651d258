// Loads and set-ups: long lines, round trips through the game file, and
// failures that leave the game in progress exactly as it was.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "board/echiquier.h"
#include "notation/coordonnees.h"
#include "outils.h"

namespace {

// What a failed load must not change.
struct PHOTO {
  std::string fen, fen_depart, coups;
  int trait, index, fin_partie, depart_standard;
  int roque[4];
  bool operator==(const PHOTO& o) const {
    return fen == o.fen && fen_depart == o.fen_depart && coups == o.coups && trait == o.trait &&
           index == o.index && fin_partie == o.fin_partie && depart_standard == o.depart_standard &&
           std::equal(roque, roque + 4, o.roque);
  }
};

std::ostream& operator<<(std::ostream& os, const PHOTO& p) {
  return os << p.fen << " | " << p.fen_depart << " | " << p.coups << " | trait " << p.trait;
}

PHOTO photo(CEchiquier& e) {
  PHOTO p;
  char t[81];
  e.CreeForsythe(t);
  p.fen = t;
  p.fen_depart = e.fen_depart && !e.depart_standard ? e.fen_depart : "";
  for (int i = 0; i <= e.LitIndexCourant(); ++i) {
    e.CoupAscii(t, e.LitCoupA(i) & 0xffff);
    p.coups += std::string(p.coups.empty() ? "" : " ") + t;
  }
  p.trait = e.trait;
  p.index = e.LitIndexCourant();
  p.fin_partie = e.fin_partie;
  p.depart_standard = e.depart_standard;
  std::copy(e.roque, e.roque + 4, p.roque);
  return p;
}

class Chargement : public TestDansDossier {
 protected:
  void SetUp() override {
    TestDansDossier::SetUp();
    e.AlloueHashTable(13);
    e.Raz();
    e.Coup1();
  }
  std::string chemin(const std::string& nom, const std::string& texte) {
    ecrit_fichier(nom, texte);
    return (dossier_ / nom).string();
  }
  std::string lit(const std::string& nom) {
    std::ifstream f(nom);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
  CEchiquier e;
};

}  // namespace

TEST_F(Chargement, APgnGameOnOneLongLineIsReadWhole) {
  // Sixty plies in algebraic text, all on one line
  const char* const lettres = lettres_pieces;
  e.Langage();
  std::string ligne;
  std::vector<std::string> attendus;
  for (int ply = 0; ply < 60; ++ply) {
    std::vector<uint32_t> legaux;
    for (const uint32_t* l = e.liste_coups; *l; ++l)
      if (!(*l & COUP_ILLEGAL)) legaux.push_back(*l & 0xffff);
    ASSERT_FALSE(legaux.empty()) << ply;
    const uint32_t coup = legaux[(ply * 7 + 3) % legaux.size()];
    char san[16], coord[16];
    e.CoupExt(san, coup);
    e.CoupAscii(coord, coup);
    if (ply % 2 == 0) ligne += std::to_string(ply / 2 + 1) + ". ";
    ligne += std::string(san) + " ";
    attendus.push_back(coord);
    const int r = e.Joue(coup);
    ASSERT_TRUE(r == 0 || r == 4) << ply << " " << r;
  }
  lettres_pieces = lettres;
  ASSERT_GT(ligne.size(), 300u);
  const std::string nom = chemin("longue.pgn", "[Event \"long\"]\n\n" + ligne + "*\n");
  e.Raz();
  e.Coup1();
  ASSERT_EQ(e.LoadPgn(nom.c_str(), 1), 0);
  EXPECT_EQ(e.LitIndexCourant(), 59) << ligne;
  std::string lus, voulus;
  for (int i = 0; i < 60; ++i) {
    char t[16];
    e.CoupAscii(t, e.LitCoupA(i) & 0xffff);
    lus += std::string(t) + " ";
    voulus += attendus[size_t(i)] + " ";
  }
  EXPECT_EQ(lus, voulus);
}

TEST_F(Chargement, SaveAndLoadRoundTripGamesFromAnEnPassantSquare) {
  for (const char* depart : {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", "4k3/8/8/8/3Pp3/8/8/4K3 b - d3",
                             "rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3"}) {
    ASSERT_EQ(e.LitForsythe(depart), 0) << depart;
    const char* prise = std::string(depart).find(" w ") != std::string::npos ? "e5d6" : "e4d3";
    if (std::string(depart).rfind("rnbq", 0) == 0) prise = "d4e3";
    ASSERT_EQ(e.Joue(coup_texte(prise)), 0) << depart;
    const PHOTO avant = photo(e);
    const std::string nom = (dossier_ / "ep.txt").string();
    ASSERT_EQ(e.Save(nom.c_str()), 0);
    EXPECT_EQ(lit(nom).rfind(std::string("[FEN ") + depart + "]\n", 0), 0u) << lit(nom);
    e.Raz();
    e.Coup1();
    EXPECT_EQ(e.Load(nom.c_str()), 0) << lit(nom);
    EXPECT_EQ(photo(e), avant);
  }
  // The game as a host writes it with a FEN header
  ASSERT_EQ(e.LitForsythe("4k3/8/8/3pP3/8/8/8/4K3 w - d6"), 0);
  ASSERT_EQ(e.Joue(coup_texte("e5d6")), 0);
  const std::string nom = (dossier_ / "hote.txt").string();
  ASSERT_EQ(e.Save(nom.c_str(), "4k3/8/8/3pP3/8/8/8/4K3 w - d6"), 0);
  e.Raz();
  e.Coup1();
  ASSERT_EQ(e.Load(nom.c_str()), 0);
  EXPECT_EQ(e.LitIndexCourant(), 0);
  EXPECT_EQ(e.echiquier[case_nommee("d5")], VIDE);
}

TEST_F(Chargement, FailedLoadsAndSetUpsLeaveTheGameAsItWas) {
  const std::string rien = (dossier_ / "absent").string();
  const std::string texte = chemin("texte.pos", "This is a note\nabout nothing\n");
  const std::string vide = chemin("vide.pos", "");
  const std::string deux_blancs = chemin("rois.pos", "b\nre1\npe2\nre8\n");
  const std::string sans_roi = chemin("sans_roi.pos", "b\nre1\npe2\n");
  const std::string echec = chemin("echec.pos", "b\nre1\nte4\nn\nre8\n");  // White to move, Black in check
  const std::string fen_mauvaise = chemin("fen.txt", "[FEN 8/8/8 w]\n1. e2e4\n");
  const std::string coup_illegal = chemin("coup.txt", "1. d2d4 d7d5\n2. e1e3 g8f6\n");
  const std::string pas_une_partie = chemin("notes.txt", "\nA letter, not a game\n1. of many\n");
  const std::string promotion = chemin("promo.txt", "[FEN 4k3/1P6/8/8/8/8/8/4K3 w - -]\n1. b7b8\n");
  const std::string pgn_illegal = chemin("coup.pgn", "[Event \"x\"]\n\n1. d4 d5 2. e1e3 Nf6 *\n");
  const std::string pgn_fen = chemin("fen.pgn", "[Event \"x\"]\n[FEN \"4k3/8/8/8/8/8/8/4R1K1 w - -\"]\n\n1. Kg2 *\n");

  struct CAS {
    const char* nom;
    std::function<int()> charge;
    std::string motif;
  };
  const std::vector<CAS> cas = {
      {"position absente", [&] { return e.ChargePosition(rien.c_str()); }, "not found"},
      {"texte", [&] { return e.ChargePosition(texte.c_str()); }, "not a position file (line 1)"},
      {"vide", [&] { return e.ChargePosition(vide.c_str()); }, "not a position file"},
      {"deux rois blancs", [&] { return e.ChargePosition(deux_blancs.c_str()); }, "illegal position at line 4"},
      {"sans roi", [&] { return e.ChargePosition(sans_roi.c_str()); }, "illegal position (no black king)"},
      {"en echec", [&] { return e.ChargePosition(echec.c_str()); },
       "illegal position (the side not to move is in check)"},
      {"partie absente", [&] { return e.Load(rien.c_str()); }, "not found"},
      {"fen", [&] { return e.Load(fen_mauvaise.c_str()); },
       "illegal position at line 1 (the placement ends at rank 5)"},
      {"coup illegal", [&] { return e.Load(coup_illegal.c_str()); }, "illegal move e1e3 at line 2"},
      {"promotion", [&] { return e.Load(promotion.c_str()); }, "illegal move b7b8 at line 2"},
      {"pas une partie", [&] { return e.Load(pas_une_partie.c_str()); }, "not a game file (line 2)"},
      {"pgn absent", [&] { return e.LoadPgn(rien.c_str(), 1); }, "not found"},
      {"pgn illegal", [&] { return e.LoadPgn(pgn_illegal.c_str(), 1); }, "illegal move e1e3 at line 3"},
      {"pgn fen", [&] { return e.LoadPgn(pgn_fen.c_str(), 1); },
       "illegal position at line 2 (the side not to move is in check)"},
      {"fen vide", [&] { return e.LitForsythe(""); }, "the placement ends at rank 8"},
      {"fen pleine", [&] { return e.LitForsythe("KKKKKKKK/8/8/8/8/8/8/k7 w"); }, "no room for K on b8"},
      {"fen echec", [&] { return e.LitForsythe("4k3/8/8/8/8/8/8/4R1K1 w - -"); },
       "the side not to move is in check"},
  };
  for (const CAS& c : cas) {
    // A game in progress from a set-up, king-side castling still possible,
    // the starting position twice in the game, a third time one ply away
    ASSERT_EQ(e.LitForsythe("r3k2r/8/8/8/8/8/8/R3K2R w Kk -"), 0);
    ASSERT_EQ(joue_suite(e, "a1b1 a8b8 b1a1 b8a8 a1b1 a8b8 b1a1"), 0);
    const PHOTO avant = photo(e);
    EXPECT_NE(c.charge(), 0) << c.nom;
    EXPECT_EQ(e.MotifEchec(), c.motif) << c.nom;
    EXPECT_EQ(photo(e), avant) << c.nom;
    // The repetitions are those of the game: the third time is a draw
    EXPECT_EQ(e.Joue(coup_texte("b8a8")), 4) << c.nom;
    EXPECT_EQ(e.Joue(coup_texte("e1g1")), 0) << c.nom;
  }
}

TEST_F(Chargement, AGameWithoutMovesRoundTrips) {
  ASSERT_EQ(joue_suite(e, "e2e4"), 0);
  CEchiquier vide;
  const std::string nom = (dossier_ / "vide.txt").string();
  ASSERT_EQ(vide.Save(nom.c_str()), 0);
  EXPECT_EQ(lit(nom), "");
  EXPECT_EQ(e.Load(nom.c_str()), 0);
  EXPECT_EQ(e.LitIndexCourant(), -1);
  EXPECT_EQ(photo(e), photo(vide));
}
