// The start-up banner, stored scrambled and written to standard error.
#pragma once

#include <array>
#include <cstddef>
#include <string>

// Scrambles a text so that afficher_banniere gives it back: each output
// byte o[i] = ((o[i-2] & 15) + c[i]) ^ (o[i-1] & 15), 8-bit, both earlier
// bytes taken as 1 at the start. The result ends with a zero byte.
template <std::size_t N>
constexpr std::array<unsigned char, N> brouille_banniere(const char (&texte)[N]) {
  std::array<unsigned char, N> r{};
  unsigned a = 1, b = 1;  // the output bytes before the previous one, and the previous one
  for (std::size_t i = 0; i + 1 < N; ++i) {
    const unsigned o = static_cast<unsigned char>(texte[i]);
    r[i] = static_cast<unsigned char>(((o ^ (b & 15)) - (a & 15)) & 0xFF);
    a = b;
    b = o;
  }
  r[N - 1] = 0;
  return r;
}

// Descrambles the stored bytes up to their terminating zero (at most 255
// characters) into text.
std::string dechiffre_banniere(const unsigned char* stocke);

// Writes the descrambled banner to standard error.
void afficher_banniere(const unsigned char* stocke);

// The program's banner, as stored.
extern const unsigned char* const banniere_stockee;
