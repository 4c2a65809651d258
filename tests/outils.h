// Helpers shared by the tests: moves from coordinate text, playing move
// sequences, listing a move list as text, placing pieces by hand.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "board/echiquier.h"

// "e2e4", "e7e8q": from and to squares, and a promotion kind for a letter.
uint32_t coup_texte(const std::string& texte);

// Plays the space-separated moves with Joue; returns the first non-zero
// code, or 0 when every move was played.
int joue_suite(CEchiquier& e, const std::string& coups);

// The board's liste_coups as protocol text, "?" after illegal entries.
std::vector<std::string> textes_liste(const uint32_t* liste);

// A piece placed by place_pieces: slot, type, square.
struct PIECE_PLACEE {
  int slot;
  int type;
  int case_;
};

// Empties the board, places the pieces, sets the side to move and castling
// states (all lost), and generates the moves of the side to move.
uint32_t place_pieces(CEchiquier& e, const std::vector<PIECE_PLACEE>& pieces, int trait);

// Square from its name ("e4").
int case_nommee(const char* nom);

// Output and exit status of the engine program run with the given input
// and arguments.
struct RESULTAT_PROGRAMME {
  std::string sortie;
  std::string erreurs;
  int statut;
};
RESULTAT_PROGRAMME lance_programme(const std::string& entree, const std::string& arguments = "",
                                   const std::string& repertoire = "");

// Places the position of a FEN text's placement, side-to-move and castling
// fields: kings in slots 0 and 16, corner rooks in their castling slots,
// other pieces in free slots. Generates the moves of the side to move.
// Unlike LitForsythe it checks nothing, so that tests can also set up
// positions the engine's reader refuses (pawns on the back ranks, the side
// not to move in check) and see the search and evaluation survive them.
uint32_t place_fen(CEchiquier& e, const std::string& fen);

// As lance_programme, but the input is given in pieces with pauses: a piece
// "@N" waits N milliseconds before the next piece is written. With a
// limit, the program is cut off after that many seconds: a run that hangs
// shows as status 124.
RESULTAT_PROGRAMME lance_avec_pauses(const std::vector<std::string>& morceaux,
                                     const std::string& arguments = "",
                                     const std::string& repertoire = "", int limite_secondes = 0);

// The lines of a text, without their line ends.
std::vector<std::string> lignes_de(const std::string& texte);
// How many lines of the text match the expression whole.
int compte_lignes(const std::string& texte, const std::regex& r);

// A test that works in a fresh directory of its own, removed afterwards;
// with `y_aller`, the test runs with it as the working directory.
class TestDansDossier : public ::testing::Test {
 protected:
  explicit TestDansDossier(bool y_aller = false) : y_aller_(y_aller) {}
  void SetUp() override;
  void TearDown() override;
  // Writes a file of the directory.
  void ecrit_fichier(const std::string& nom, const std::string& texte);
  std::filesystem::path dossier_;

 private:
  bool y_aller_;
  std::filesystem::path ancien_;
};

// A fresh search state for engine object b: no endgame tables, a table of
// 2^16 entries, no stop pending, draws worth 0.
void recherche_neuve(CEchiquier& b);
