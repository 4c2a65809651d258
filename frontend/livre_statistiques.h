// Counting the moves played from each position of a game collection, and
// choosing what the opening book keeps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "frontend/livre_parties.h"

// What a move needs to enter the book.
struct FILTRES_LIVRE {
  int min_parties = 3;  // games in which it was played from the position
  int min_score = 40;   // percent scored by the side that played it, over games with a result
};

// A position of the book with its kept moves.
struct POSITION_LIVRE {
  uint32_t cle_hash;
  uint32_t verrou_hash;
  int trait;
  uint32_t frequence;  // games that reached the position
  uint16_t coups[4];   // most played first, 0 after the last
};

struct BILAN_SELECTION {
  size_t sans_coup = 0;         // positions none of whose moves passed the filters
  size_t collisions_trait = 0;  // positions dropped for the same keys with the other side to move
};

class CStatistiquesLivre {
 public:
  // Counts the game's plies with its result (RESULTAT_*). A position and
  // move met twice in one game count once.
  void ajoute_partie(const std::vector<COUP_PARTIE>& plies, int resultat);

  // The positions with the moves that pass the filters, at most four each,
  // the most played first (then the best scoring, then the lowest move
  // word). Of two positions with the same keys and a different side to
  // move, the more frequent stays. Sorted by frequency, most frequent first.
  std::vector<POSITION_LIVRE> selection(const FILTRES_LIVRE& filtres, BILAN_SELECTION& bilan) const;

  size_t nb_positions() const { return positions_.size(); }

 private:
  struct CLE {
    uint32_t cle_hash;
    uint32_t verrou_hash;
    int trait;
    bool operator==(const CLE&) const = default;
  };
  struct HACHAGE {
    size_t operator()(const CLE& c) const {
      return (size_t(c.verrou_hash) << 32 | c.cle_hash) ^ size_t(c.trait);
    }
  };
  struct STAT_COUP {
    uint16_t coup = 0;
    uint32_t parties = 0;
    uint32_t connues = 0;       // games with a known result
    uint32_t demi_points = 0;   // half points of the side that played it, in those games
  };
  struct STAT_POSITION {
    uint32_t parties = 0;
    std::vector<STAT_COUP> coups;
  };
  std::unordered_map<CLE, STAT_POSITION, HACHAGE> positions_;
};
