#include "search/temps.h"

#include "board/echiquier.h"
#include "platform/minuterie.h"

drapeau_atomique secondes_normales{0};
drapeau_atomique secondes_max{0};
std::atomic<uint32_t> id_timer{0};

int start_timer(int normal, int maximum) {
  echange_atomique(temps_depasse, 0);
  echange_atomique(secondes_normales, normal);
  echange_atomique(secondes_max, maximum);
  id_timer = demarre_minuterie(1000, rappel_timer);
  return id_timer.load() == 0 ? 1 : 0;
}

void stop_timer() {
  const uint32_t id = id_timer.exchange(0);
  if (id != 0) arrete_minuterie(id);
}

void rappel_timer(uint32_t id) {
  if (id != id_timer) return;
  if (decrement_atomique(secondes_normales) == 0) increment_atomique(temps_depasse);
  if (decrement_atomique(secondes_max) == 0) increment_atomique(arret_recherche);
}

int time_rule(int delta, int d, const STATS_ITERATION& s) {
  if (lit_drapeau(arret_recherche)) return 1;
  const bool depasse = lit_drapeau(temps_depasse) != 0;
  if (depasse && delta > -133 && s.changements_iteration < 3) return 1;
  if (s.iteration_finie && s.coup_evident && s.changements_total == 0 && d == 10) return 1;
  if (depasse || !s.iteration_finie || delta <= -133) return 0;
  return lit_drapeau(secondes_normales) < s.secondes_premier_coup * 3 / 2 ? 1 : 0;
}

void CEchiquier::SetTempsLimite(int normal, int maximum) {
  temps_limite[0] = normal;
  temps_limite[1] = maximum;
}

void CEchiquier::SetProfondeur(int p) { profondeur = p; }

void CEchiquier::SetNulle(double pions) { valeur_nulle = int(pions * 400); }
