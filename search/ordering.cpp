#include "search/ordering.h"

#include <cstdlib>
#include <cstring>

#include "board/tables.h"
#include "board/camp.h"
#include "search/etendue.h"

int32_t historique[2][4096];
uint16_t refutation[2][4096];
uint32_t killers[2][32];

namespace {

// A history counter stops growing once it reaches this.
constexpr int32_t PLAFOND_HISTORIQUE = 65000;

// Scores of the full ordering.
constexpr uint32_t SCORE_HASH = 65535;
constexpr uint32_t SCORE_PROMOTION = 65530;  // minus the kind number (4 queen .. 7 knight)
constexpr uint32_t SCORE_PRISE = 65520;      // plus (victim - mover) / 400
constexpr uint32_t SCORE_REFUTATION = 65511;
constexpr uint32_t SCORE_KILLER = 65509;
constexpr uint32_t SCORE_KILLER_ANCIEN = 65508;

// Scores of the frontier ordering.
constexpr int FRONTIERE_PROMOTION = 2996;
constexpr int FRONTIERE_PRISE = 900;
constexpr int FRONTIERE_BONUS = 2000;

// Score of a quiet move by line piece P of side C from f to t against the
// enemy king k: `voisin` next to the king, `ligne` for a line to it
// (through at most one enemy piece), or -1 to drop it. genres: bit 0
// orthogonal lines, bit 1 diagonal lines.
template <int C>
int menace_ligne(const EMPILAGE& e, int f, int t, int k, int genres, int ligne, int voisin) {
  if (Tdistance[t][k] < 2) return voisin;
  const int d = Tdirection[t][k];
  if (d == 0) return -1;
  const int g = Tgenre[std::abs(d)];
  if (g == 3 || !(genres & g)) return -1;
  if (std::abs(Tdirection[f][t]) == std::abs(d)) return -1;  // sliding along that very line
  int x = t + d;
  while (x != k && e.echiquier[x] == VIDE) x += d;
  if (x == k) return ligne;
  if (!Camp<C>::est_adverse(e.echiquier[x])) return -1;
  x += d;  // past one enemy piece: a pin or a discovered line
  while (x != k && e.echiquier[x] == VIDE) x += d;
  return x == k ? ligne : -1;
}

// Score of a quiet move at the pre-frontier, or -1 to drop it.
template <int C>
int score_calme(const EMPILAGE& e, int f, int t, int k) {
  switch (e.type_piece[e.echiquier[f]]) {
    case ROI:
      return Tdistance[t][k] == 2 ? 15 : -1;
    case DAME:
      return menace_ligne<C>(e, f, t, k, 3, 202, 302);
    case TOUR:
      return menace_ligne<C>(e, f, t, k, 1, 201, 101);
    case FOU:
      return menace_ligne<C>(e, f, t, k, 2, 200, 99);
    case CAVALIER:
      return Tdistance[t][k] <= 2 ? 100 : -1;
    case Camp<C>::pion:
      if (Tdistance[t][k] < 2) return 20;
      return t >= Camp<C>::debut_septieme && t < Camp<C>::debut_septieme + 8 ? 30 : -1;
    default:
      return -1;
  }
}

}  // namespace

template <int C>
void full_ordering(uint32_t* liste, uint32_t coup_hash, uint32_t coup_entree, const EMPILAGE& e) {
  const uint32_t hash = coup_hash & 0xffff;
  const uint32_t r = coup_entree != 0 ? refutation[C][coup_entree & 0xfff] : 0;
  const uint32_t k = killers[C][e.ply & 31];
  const uint32_t k_recent = k & 0xffff, k_ancien = k >> 16;
  // The extended search's history is signed: shifted to stay a positive score
  const int32_t decalage = recherche_etendue ? HISTORIQUE_MAX : 0;
  for (uint32_t* l = liste; *l != 0; ++l) {
    const uint32_t m = *l & 0xffff;
    const int vers = case_arrivee(m);
    uint32_t score;
    if (m == hash) score = SCORE_HASH;
    else if (m & PROMOTION) score = SCORE_PROMOTION - (m >> 12);
    else if (e.echiquier[vers] != VIDE)
      score = uint32_t(int(SCORE_PRISE) +
                       (e.valeur_piece[e.echiquier[vers]] - e.valeur_piece[e.echiquier[case_depart(m)]]) / 400);
    else if (m == r) score = SCORE_REFUTATION;
    else if (m == k_recent) score = SCORE_KILLER;
    else if (m == k_ancien) score = SCORE_KILLER_ANCIEN;
    else score = uint32_t(historique[C][m & 0xfff] + decalage);
    *l = m + (score << 16);
  }
}

template <int C>
int frontier_ordering(uint32_t* liste, uint32_t coup_hash, uint32_t coup_entree, bool pre_frontiere,
                      const EMPILAGE& e) {
  const int k = e.pos_piece[Camp<1 - C>::roi];

  // The bonus move: the table move, else the refutation, else a killer
  uint32_t bonus = coup_hash & 0xffff;
  if (bonus == 0 && coup_entree != 0) bonus = refutation[C][coup_entree & 0xfff];
  if (bonus == 0) bonus = killers[C][e.ply & 31] & 0xffff;
  if (bonus == 0) bonus = killers[C][e.ply & 31] >> 16;

  int n = 0;
  for (uint32_t* l = liste; *l != 0; ++l) {
    const uint32_t m = *l & 0xffff;
    const int de = case_depart(m), vers = case_arrivee(m);
    const uint32_t genre = m & GENRE_COUP;
    int score;
    if (genre == PROMOTION_DAME) {
      score = FRONTIERE_PROMOTION;
    } else if (e.echiquier[vers] != VIDE) {
      score = FRONTIERE_PRISE + (e.valeur_piece[e.echiquier[vers]] - e.valeur_piece[e.echiquier[de]]) / 400;
    } else if (genre == PRISE_EN_PASSANT) {
      score = FRONTIERE_PRISE;
    } else {
      if (!pre_frontiere) continue;
      score = score_calme<C>(e, de, vers, k);
      if (score < 0) continue;
    }
    if (m == bonus) score += FRONTIERE_BONUS;
    liste[n++] = m + (uint32_t(score) << 16);
  }
  liste[n] = 0;
  return n;
}

template <int C>
void record_cutoff(uint32_t coup, uint32_t coup_entree, int ply, int plies) {
  int32_t& h = historique[C][coup & 0xfff];
  if (h < PLAFOND_HISTORIQUE) h += plies;
  retiens_refutation<C>(coup, coup_entree, ply);
}

template <int C>
void retiens_refutation(uint32_t coup, uint32_t coup_entree, int ply) {
  refutation[C][coup_entree & 0xfff] = uint16_t(coup & 0xffff);
  uint32_t& k = killers[C][ply & 31];
  k = (k << 16) + (coup & 0xffff);
}

template <int C>
void record_best(uint32_t coup, int plies) {
  int32_t& h = historique[C][coup & 0xfff];
  if (h < PLAFOND_HISTORIQUE) h += plies;
}

void clear_tables() {
  std::memset(historique, 0, sizeof historique);
  std::memset(refutation, 0, sizeof refutation);
  std::memset(killers, 0, sizeof killers);
}

void age_history() {
  int32_t max = 0;
  for (const auto& camp : historique)
    for (int32_t h : camp)
      if (h > max) max = h;
  const int decalage = max >= 65536 ? 4 : max >= 32768 ? 3 : 0;
  if (decalage == 0) return;
  for (auto& camp : historique)
    for (int32_t& h : camp) h >>= decalage;
}

template void full_ordering<BLANCS>(uint32_t*, uint32_t, uint32_t, const EMPILAGE&);
template void full_ordering<NOIRS>(uint32_t*, uint32_t, uint32_t, const EMPILAGE&);
template int frontier_ordering<BLANCS>(uint32_t*, uint32_t, uint32_t, bool, const EMPILAGE&);
template int frontier_ordering<NOIRS>(uint32_t*, uint32_t, uint32_t, bool, const EMPILAGE&);
template void record_cutoff<BLANCS>(uint32_t, uint32_t, int, int);
template void record_cutoff<NOIRS>(uint32_t, uint32_t, int, int);
template void record_best<BLANCS>(uint32_t, int);
template void record_best<NOIRS>(uint32_t, int);
template void retiens_refutation<BLANCS>(uint32_t, uint32_t, int);
template void retiens_refutation<NOIRS>(uint32_t, uint32_t, int);
