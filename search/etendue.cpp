#include "search/etendue.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <strings.h>

#include "board/types.h"
#include "search/alphabeta.h"

std::atomic<bool> option_recherche_etendue{false};
bool recherche_etendue = false;

bool lit_genre_recherche(const char* texte, bool& etendue) {
  if (strcasecmp(texte, "classic") == 0) etendue = false;
  else if (strcasecmp(texte, "extended") == 0) etendue = true;
  else return false;
  return true;
}

const char* nom_genre_recherche(bool etendue) { return etendue ? "extended" : "classic"; }

namespace {

constexpr int PLIES_TABLE = 64;
constexpr int RANGS_TABLE = 64;

// Reductions by depth and move rank, in 1/256 ply: they grow with the
// logarithms of both, so that deep nodes and very late moves lose most.
struct TABLE_REDUCTIONS {
  std::array<std::array<int, RANGS_TABLE>, PLIES_TABLE> r{};
  TABLE_REDUCTIONS() {
    for (int p = 1; p < PLIES_TABLE; ++p)
      for (int n = 1; n < RANGS_TABLE; ++n)
        r[p][n] = int(UN_PLY * (0.5 + std::log(double(p)) * std::log(double(n)) / 2.25));
  }
};
const TABLE_REDUCTIONS table_reductions;

}  // namespace

int reduction_tardive(int plies, int rang, bool noeud_pv) {
  const int r = table_reductions.r[std::clamp(plies, 1, PLIES_TABLE - 1)][std::clamp(rang, 1, RANGS_TABLE - 1)];
  // A node of the principal variation keeps a ply more
  return std::max(0, noeud_pv ? r - UN_PLY : r);
}

template <int C>
void historique_gravite(uint32_t coup, const uint32_t* essayes, int nb, int plies) {
  const int bonus = std::min(16 * plies * plies, 1600);
  auto tire = [](int32_t& h, int delta) { h += delta - h * std::abs(delta) / HISTORIQUE_MAX; };
  tire(historique[C][coup & 0xfff], bonus);
  for (int i = 0; i < nb; ++i)
    if ((essayes[i] & 0xfff) != (coup & 0xfff)) tire(historique[C][essayes[i] & 0xfff], -bonus);
}

template void historique_gravite<BLANCS>(uint32_t, const uint32_t*, int, int);
template void historique_gravite<NOIRS>(uint32_t, const uint32_t*, int, int);
