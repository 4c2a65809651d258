#include "frontend/niveau.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/echiquier.h"
#include "frontend/boucle.h"

int coups_par_periode = 6;
int temps_base = 60;
int increment = 0;
int temps_restant = 0;
int temps_recu = 0;
const int diviseurs_coups[10] = {40, 50, 50, 60, 70, 80, 90, 100, 120, 140};

namespace {
// Thirty days: the limits of analysis and pondering.
constexpr int TRENTE_JOURS = 2592000;
}

bool commande_level(const char* ligne) {
  increment = 0;
  const char* texte = std::strlen(ligne) >= 5 ? ligne + 5 : "";
  int minutes = 0;
  if (std::strchr(texte, ':')) {
    const int n = std::sscanf(texte, "%d %d:%d %d", &coups_par_periode, &minutes, &temps_base,
                              &increment);
    if (n >= 3) temps_base += minutes * 60;
    return n >= 3;
  }
  const int n = std::sscanf(texte, "%d %d %d", &coups_par_periode, &minutes, &increment);
  if (n >= 2) temps_base = minutes * 60;
  return n >= 2;
}

int lit_centisecondes(const char* ligne, int longueur_mot) {
  if (int(std::strlen(ligne)) < longueur_mot) return 0;
  return std::atoi(ligne + longueur_mot);
}

void allouer_temps(CEchiquier& e) {
  const int m = e.index_courant / 2;
  const int mps = coups_par_periode, B = temps_base, I = increment, R = temps_restant;
  int normal, maximum;
  e.SetProfondeur(999);

  if (lit_drapeau(mode_analyse)) {
    e.SetTempsLimite(TRENTE_JOURS, TRENTE_JOURS);
    return;
  }
  if (mps >= 1) {
    // A fixed number of moves per period
    const int reste = mps - (m % mps);
    int t = (R - 1) / reste;
    if (t < 1) t = 1;
    const int plafond = (B / mps) * 2;
    if (t >= plafond) t = plafond;
    if (t < 1) t = 1;
    normal = maximum = t;
    if (reste > 1) maximum = t + t / 2;
  } else if (I == 0 && B <= 420) {
    // A short game without increment: a fiftieth of the clock
    int t = R / 50;
    if (t < 1) t = 1;
    normal = maximum = t;
    if (t > 1) maximum = t + t / 2 + 1;
  } else {
    // The whole game in one period: a share of the period's time
    const int reserve = I > 0 ? 10 : (B < 600 ? 60 : 120);
    const int i = m / 10 < 9 ? m / 10 : 9;
    int t = (B - reserve) / diviseurs_coups[i];
    if (t < 1) t = 1;
    if (t < I) t = I;
    normal = t;
    maximum = t + t / 2 + 1;
    const int budget = R - reserve;
    if (maximum >= budget) normal = maximum = budget > I ? budget : I;
    if (R <= reserve) normal = maximum = I > 1 ? I : 1;
  }

  // Never more than the clock holds, once the clock is known.
  if (temps_recu) {
    const int limite = R - 1 > 1 ? R - 1 : 1;
    if (normal > limite) normal = limite;
    if (maximum > limite) maximum = limite;
  }
  e.SetTempsLimite(normal, maximum);
}
