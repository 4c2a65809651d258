// Attack sets of the pieces as sets of squares (bit q for square q), from
// the set of occupied squares: a slider's lines run up to the first man,
// that man's square included.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "board/types.h"

namespace attaques {

// The eight lines from a square as file and rank steps: first the four
// towards higher squares (east, north, north-east, north-west), whose
// nearest square is the lowest one of a set, then the four towards lower
// squares (west, south, south-west, south-east).
inline constexpr int PAS_COLONNE[8] = {1, 0, 1, -1, -1, 0, -1, 1};
inline constexpr int PAS_RANGEE[8] = {0, 1, 1, 1, 0, -1, -1, -1};
inline constexpr int EST = 0, NORD = 1, NORD_EST = 2, NORD_OUEST = 3;
inline constexpr int OUEST = 4, SUD = 5, SUD_OUEST = 6, SUD_EST = 7;

// The squares beyond each square along each line, to the edge of the board.
inline constexpr auto rayons = [] {
  std::array<std::array<uint64_t, 64>, 8> r{};
  for (int k = 0; k < 8; ++k)
    for (int q = 0; q < 64; ++q)
      for (int f = colonne(q) + PAS_COLONNE[k], g = rangee(q) + PAS_RANGEE[k]; f >= 0 && f < 8 && g >= 0 && g < 8;
           f += PAS_COLONNE[k], g += PAS_RANGEE[k])
        r[k][q] |= uint64_t(1) << (g * 8 + f);
  return r;
}();

// The targets of a knight on each square.
inline constexpr auto sauts_cavalier = [] {
  constexpr int SAUTS[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
  std::array<uint64_t, 64> s{};
  for (int q = 0; q < 64; ++q)
    for (const auto& [df, dg] : SAUTS) {
      const int f = colonne(q) + df, g = rangee(q) + dg;
      if (f >= 0 && f < 8 && g >= 0 && g < 8) s[q] |= uint64_t(1) << (g * 8 + f);
    }
  return s;
}();

// Line K from square q up to its first man. The first man is the nearest
// occupied square of the ray, or a stand-in beyond the edge when there is
// none: square 63 for the lines towards higher squares and square 0 for
// the others, whose own rays along those lines are empty.
template <int K>
inline uint64_t ligne(int q, uint64_t occupees) {
  const uint64_t r = rayons[K][q];
  const int x = K < 4 ? std::countr_zero((r & occupees) | (uint64_t(1) << 63))
                      : 63 - std::countl_zero((r & occupees) | 1);
  return r ^ rayons[K][x];
}

inline uint64_t tour(int q, uint64_t occupees) {
  return ligne<EST>(q, occupees) | ligne<NORD>(q, occupees) | ligne<OUEST>(q, occupees) | ligne<SUD>(q, occupees);
}

inline uint64_t fou(int q, uint64_t occupees) {
  return ligne<NORD_EST>(q, occupees) | ligne<NORD_OUEST>(q, occupees) | ligne<SUD_OUEST>(q, occupees) |
         ligne<SUD_EST>(q, occupees);
}

inline uint64_t dame(int q, uint64_t occupees) { return tour(q, occupees) | fou(q, occupees); }

inline uint64_t cavalier(int q) { return sauts_cavalier[q]; }

// Size of a set of squares.
inline int nombre(uint64_t m) { return std::popcount(m); }

}  // namespace attaques
