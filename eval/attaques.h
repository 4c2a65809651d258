// Attack sets of the pieces as sets of squares (bit q for square q), from
// the set of occupied squares: a slider's lines run up to the first man,
// that man's square included. A line is read from a table by the men on
// its inner squares, gathered into an index by a multiplication.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "board/types.h"

namespace attaques {

// The eight lines from a square as file and rank steps.
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

// The squares of the rank, the diagonal (a1-h8 way) and the anti-diagonal
// (a8-h1 way) through each square, the square itself left out. Each holds
// at most one square per file.
inline constexpr auto rangees = [] {
  std::array<uint64_t, 64> m{};
  for (int q = 0; q < 64; ++q) m[q] = rayons[EST][q] | rayons[OUEST][q];
  return m;
}();
inline constexpr auto diagonales = [] {
  std::array<uint64_t, 64> m{};
  for (int q = 0; q < 64; ++q) m[q] = rayons[NORD_EST][q] | rayons[SUD_OUEST][q];
  return m;
}();
inline constexpr auto antidiagonales = [] {
  std::array<uint64_t, 64> m{};
  for (int q = 0; q < 64; ++q) m[q] = rayons[NORD_OUEST][q] | rayons[SUD_EST][q];
  return m;
}();
inline constexpr uint64_t COLONNE_A = 0x0101010101010101;

// The men of files b to g of a set with at most one square per file, as 6
// bits: the product gathers each file's square in the top byte.
constexpr int indice_par_colonnes(uint64_t m) { return int((m * 0x0202020202020202) >> 58); }
// The men of ranks 2 to 7 of a set on the a-file, as 6 bits: the product
// gathers them along the diagonal into the top byte.
constexpr int indice_colonne_a(uint64_t m) { return int((m * 0x0004081020408000) >> 58); }

// Slider targets along one line of the first rank from each file, for each
// index of the men on files b to g, copied onto every rank: masked by a
// rank or diagonal through a square of that file, they are the targets
// along it.
inline constexpr auto par_colonne = [] {
  std::array<std::array<uint64_t, 64>, 8> t{};
  for (int f = 0; f < 8; ++f)
    for (uint64_t hommes = 0; hommes < 256; hommes += 2) {
      if (hommes & 0x80) continue;
      uint64_t cibles = 0;
      for (int x = f + 1; x < 8; ++x) {
        cibles |= uint64_t(1) << x;
        if (hommes & (uint64_t(1) << x)) break;
      }
      for (int x = f - 1; x >= 0; --x) {
        cibles |= uint64_t(1) << x;
        if (hommes & (uint64_t(1) << x)) break;
      }
      t[f][indice_par_colonnes(hommes)] = cibles * COLONNE_A;
    }
  return t;
}();

// Slider targets along the a-file from each rank, for each index of the men
// on ranks 2 to 7.
inline constexpr auto colonne_a = [] {
  std::array<std::array<uint64_t, 64>, 8> t{};
  for (int r = 0; r < 8; ++r)
    for (int rangs = 0; rangs < 64; ++rangs) {
      uint64_t hommes = 0;
      for (int k = 0; k < 6; ++k)
        if (rangs & (1 << k)) hommes |= uint64_t(1) << (8 * (k + 1));
      uint64_t cibles = 0;
      for (int x = r + 1; x < 8; ++x) {
        cibles |= uint64_t(1) << (8 * x);
        if (hommes & (uint64_t(1) << (8 * x))) break;
      }
      for (int x = r - 1; x >= 0; --x) {
        cibles |= uint64_t(1) << (8 * x);
        if (hommes & (uint64_t(1) << (8 * x))) break;
      }
      t[r][indice_colonne_a(hommes)] = cibles;
    }
  return t;
}();

// Targets along a line with one square per file through square q (its
// rank, diagonal or anti-diagonal).
inline uint64_t le_long_de(uint64_t ligne, int q, uint64_t occupees) {
  return par_colonne[colonne(q)][indice_par_colonnes(occupees & ligne)] & ligne;
}

// Targets along the file of square q, read on the a-file.
inline uint64_t le_long_de_la_colonne(int q, uint64_t occupees) {
  const int f = colonne(q);
  return colonne_a[rangee(q)][indice_colonne_a((occupees >> f) & COLONNE_A)] << f;
}

inline uint64_t tour(int q, uint64_t occupees) {
  return le_long_de(rangees[q], q, occupees) | le_long_de_la_colonne(q, occupees);
}

inline uint64_t fou(int q, uint64_t occupees) {
  return le_long_de(diagonales[q], q, occupees) | le_long_de(antidiagonales[q], q, occupees);
}

inline uint64_t dame(int q, uint64_t occupees) { return tour(q, occupees) | fou(q, occupees); }

inline uint64_t cavalier(int q) { return sauts_cavalier[q]; }

// The set of each square, and before it an empty set for -1, the square of
// a slot off the board.
inline constexpr auto ensembles = [] {
  std::array<uint64_t, 65> c{};
  for (int q = 0; q < 64; ++q) c[q + 1] = uint64_t(1) << q;
  return c;
}();

// The squares of the slots premier to premier + 7, read in one unrolled
// sweep of eight independent loads.
inline uint64_t cases_des_slots(const EMPILAGE* e, int premier) {
  const uint64_t* ensemble = ensembles.data() + 1;
  uint64_t m = 0;
#pragma GCC unroll 8
  for (int s = premier; s < premier + 8; ++s) m |= ensemble[e->pos_piece[s]];
  return m;
}

// Size of a set of squares.
inline int nombre(uint64_t m) { return std::popcount(m); }

}  // namespace attaques
