#include "frontend/niveau.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "board/echiquier.h"
#include "frontend/boucle.h"
#include "search/temps.h"
#include "notation/texte.h"

int coups_par_periode = 6;
int temps_base_ms = 60000;
int increment_ms = 0;
int temps_restant_ms = 0;
int temps_adverse_ms = 0;
int temps_recu = 0;
int marge_coup_ms = MARGE_COUP_DEFAUT_MS;
const int diviseurs_coups[10] = {40, 50, 50, 60, 70, 80, 90, 100, 120, 140};

namespace {

// Longest time a level may name (about 12 days): sums of it stay in an int.
constexpr double TEMPS_MAX_MS = 1e9;

int en_ms(double secondes) {
  return int(std::llround(std::min(secondes * 1000.0, TEMPS_MAX_MS)));
}

// A plain decimal number, "12", "0.5" or ".5" (no sign, no exponent); moves
// `p` past it. False when there is none.
bool lit_decimal(const char*& p, double& valeur) {
  const char* debut = p;
  double v = 0;
  bool chiffres = false;
  while (std::isdigit(static_cast<unsigned char>(*p))) {
    v = std::min(v * 10 + (*p++ - '0'), 1e12);
    chiffres = true;
  }
  if (*p == '.') {
    ++p;
    double poids = 0.1;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
      v += (*p++ - '0') * poids;
      poids /= 10;
      chiffres = true;
    }
  }
  if (!chiffres) {
    p = debut;
    return false;
  }
  valeur = v;
  return true;
}

}  // namespace

LIMITES_TEMPS borne_horloge(LIMITES_TEMPS l, int restant_ms, int marge_ms) {
  const int restant = std::max(restant_ms, 0);
  // Beyond the overhead, or a small fraction of a clock that is almost out
  const int plafond = std::max({restant - std::max(marge_ms, 0), restant / 8, 1});
  l.maximum_ms = std::clamp(l.maximum_ms, 1, plafond);
  l.normal_ms = std::clamp(l.normal_ms, 1, l.maximum_ms);
  return l;
}

LIMITES_TEMPS garde_reserve(LIMITES_TEMPS l, int restant_ms, int marge_ms) {
  const int moitie = std::max({(restant_ms - std::max(marge_ms, 0)) / 2, restant_ms / 8, 1});
  l.maximum_ms = std::min(l.maximum_ms, moitie);
  return borne_horloge(l, restant_ms, marge_ms);
}

LIMITES_TEMPS calcule_limites_temps(int restant_ms, int increment_ms_, int coups_avant_controle,
                                    int marge_ms) {
  const int R = std::max(restant_ms, 0), I = std::max(increment_ms_, 0);
  LIMITES_TEMPS l;
  if (coups_avant_controle > 0) {
    // A share of the clock until the control, a second kept back for after it
    const int reserve = std::min(1000, R / 2);
    const int t = (R - reserve) / coups_avant_controle + I;
    l.normal_ms = t;
    l.maximum_ms = coups_avant_controle > 1 ? t + t / 2 : t;
  } else {
    // The rest of the game: a fortieth of the clock and the increment
    const int t = R / 40 + I;
    l.normal_ms = t;
    l.maximum_ms = int(std::min<int64_t>(int64_t(t) * 2, TEMPS_MAX_MS));
  }
  return garde_reserve(l, R, marge_ms);
}

LIMITES_TEMPS limites_niveau(int m, int mps, int B, int I, int R) {
  int normal, maximum;
  if (mps >= 1) {
    // A fixed number of moves per period: a share of the clock, a second
    // (at most half the clock) kept back at the control
    const int reste = mps - (m % mps);
    const int reserve = std::min(1000, std::max(R, 0) / 2);
    int t = (R - reserve) / reste;
    if (t < 1) t = 1;
    const int plafond = (B / mps) * 2;
    if (t >= plafond) t = plafond;
    if (t < 1) t = 1;
    normal = maximum = t;
    if (reste > 1) maximum = t + t / 2;
  } else if (I == 0 && B <= 420000) {
    // A short game without increment: a fiftieth of the clock
    int t = R / 50;
    if (t < 1) t = 1;
    normal = maximum = t;
    if (t > 1000) maximum = t + t / 2 + 1000;
  } else {
    // The whole game in one period: a share of the period's time
    const int reserve = I > 0 ? 10000 : (B < 600000 ? 60000 : 120000);
    const int i = std::min(m / 10, 9);
    int t = (B - reserve) / diviseurs_coups[i];
    if (t < 1) t = 1;
    if (t < I) t = I;
    normal = t;
    maximum = t + t / 2 + 1000;
    const int budget = R - reserve;
    if (maximum >= budget) normal = maximum = std::max(budget, I);
    // In the reserve: the increment, or a second a move without one
    if (R <= reserve) normal = maximum = I > 0 ? I : 1000;
  }
  return {std::max(normal, 1), std::max(maximum, 1)};
}

bool commande_level(const char* ligne) {
  increment_ms = 0;
  const char* p = std::strlen(ligne) >= 5 ? ligne + 5 : "";
  // Moves per period
  p = saute_blancs(p);
  char* fin = nullptr;
  const long mps = std::strtol(p, &fin, 10);
  if (fin == p) return false;
  coups_par_periode = int(std::clamp(mps, 0L, 100000L));
  p = fin;
  // Base: minutes, or min:sec
  p = saute_blancs(p);
  double minutes = 0, secondes = 0;
  if (!lit_decimal(p, minutes)) return false;
  if (*p == ':') {
    ++p;
    if (!lit_decimal(p, secondes)) return false;
  }
  temps_base_ms = en_ms(minutes * 60 + secondes);
  // Increment in seconds, if any
  p = saute_blancs(p);
  double inc = 0;
  if (lit_decimal(p, inc)) increment_ms = en_ms(inc);
  return true;
}

int lit_secondes_ms(const char* texte) {
  const char* p = texte;
  p = saute_blancs(p);
  double s = 0;
  if (!lit_decimal(p, s)) return -1;
  p = saute_blancs(p);
  if (*p) return -1;
  const int ms = en_ms(s);
  return ms >= 1 ? ms : -1;
}

int lit_centisecondes(const char* ligne, int longueur_mot) {
  if (int(std::strlen(ligne)) < longueur_mot) return 0;
  return std::atoi(ligne + longueur_mot);
}

void allouer_temps(CEchiquier& e) {
  e.SetProfondeur(999);
  if (lit_drapeau(mode_analyse)) {
    e.SetTempsLimite(2592000, 2592000);  // thirty days
    return;
  }
  // Before any "TIME" the clock is taken to hold the whole period.
  const int R = temps_recu ? temps_restant_ms : temps_base_ms;
  LIMITES_TEMPS l = limites_niveau(e.index_courant / 2, coups_par_periode, temps_base_ms,
                                   increment_ms, R);
  if (temps_recu) l = garde_reserve(l, R, marge_coup_ms);
  e.SetTempsLimiteMs(l.normal_ms, l.maximum_ms);
}
