#include "frontend/banniere.h"

#include <cstdio>

namespace {
constexpr auto brouillee = brouille_banniere(
    "pellarq " PELLARQ_VERSION ", a chess engine speaking the xboard protocol\n");

// A stored zero byte would cut the banner short.
constexpr bool sans_zero() {
  for (std::size_t i = 0; i + 1 < brouillee.size(); ++i)
    if (brouillee[i] == 0) return false;
  return true;
}
static_assert(sans_zero(), "the scrambled banner must not contain a zero byte");
}  // namespace

const unsigned char* const banniere_stockee = brouillee.data();

std::string dechiffre_banniere(const unsigned char* stocke) {
  std::string texte;
  unsigned a = 1, b = 1;
  for (; *stocke && texte.size() < 255; ++stocke) {
    const unsigned o = (((a & 15) + *stocke) ^ (b & 15)) & 0xFF;
    texte.push_back(static_cast<char>(o));
    a = b;
    b = o;
  }
  return texte;
}

void afficher_banniere(const unsigned char* stocke) {
  std::fputs(dechiffre_banniere(stocke).c_str(), stderr);
}
