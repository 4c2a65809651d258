// Helpers of the book builder's tests: a directory per test, building a
// book from PGN text, and reading a position's moves back through the
// engine's book reader.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "board/echiquier.h"
#include "frontend/livre_construction.h"

// Each test works in a directory of its own, removed at the end.
class DossierLivre : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Writes a file of the directory and returns its path.
  std::string ecrit(const std::string& nom, const std::string& texte) const;
  std::string chemin(const std::string& nom) const { return (dossier / nom).string(); }

  // Builds the book "livre.bo1" of the directory from the PGN text;
  // messages receives what the builder reported.
  int construit(const std::string& pgn, OPTIONS_LIVRE options, BILAN_LIVRE& bilan,
                std::string* messages = nullptr);

  std::filesystem::path dossier;
};

// The book moves of the position reached by the coordinate moves (from the
// initial position, or from the board as it stands), in protocol text,
// as the engine's reader finds them in `fichier`.
std::vector<std::string> coups_livre(const std::string& fichier, const std::string& suite);
std::vector<std::string> coups_livre(const std::string& fichier, CEchiquier& e);

// A file's bytes.
std::string contenu(const std::string& fichier);

// The path of a program built beside the engine.
std::string programme_voisin(const char* nom);

// A book of one entry, by default e2e4 in the initial position, in a
// directory of its own that becomes the working directory for the object's
// lifetime.
class LIVRE_TEST {
 public:
  explicit LIVRE_TEST(const EMPILAGE& position, uint32_t coup = 0x070C);
  ~LIVRE_TEST();

 private:
  std::filesystem::path ancien, dossier;
};
