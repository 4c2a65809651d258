// Playing the games of a PGN collection on the engine's own board, for the
// book builder: the positions, keys and moves are exactly those that the
// engine reaches and reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/echiquier.h"
#include "frontend/livre_pgn.h"

// One ply of a game: the keys of the position, the side to move and the
// move played from it (low 16 bits of the move word).
struct COUP_PARTIE {
  uint32_t cle_hash;
  uint32_t verrou_hash;
  int trait;
  uint16_t coup;
};

// Reads each game with the engine's PGN reader (LoadPgn) from a file of
// its own, written with the game's cleaned moves: a file in memory, or a
// temporary file where the system has none.
class CJoueurParties {
 public:
  CJoueurParties();
  ~CJoueurParties();
  CJoueurParties(const CJoueurParties&) = delete;
  CJoueurParties& operator=(const CJoueurParties&) = delete;

  // False when the game file could not be made.
  bool pret() const { return !fichier_.empty(); }

  // Plays the game. When every move of it was read and played, fills
  // `plies` with its first max_ply plies and returns true; otherwise
  // returns false with the reason in `erreur`.
  bool joue(const PARTIE_PGN& partie, int max_ply, std::vector<COUP_PARTIE>& plies,
            std::string& erreur);

 private:
  bool ecrit_partie(const PARTIE_PGN& partie);

  CEchiquier e_;
  int descripteur_ = -1;     // the game file, open for writing
  std::string fichier_;      // its name for the reader, empty when it could not be made
  bool temporaire_ = false;  // a temporary file on disk, removed at the end
};

