#include "search/temps.h"

#include <limits>

#include "board/echiquier.h"
#include "platform/minuterie.h"

std::atomic<int64_t> ms_normales{0};
std::atomic<int64_t> ms_max{0};
std::atomic<uint32_t> id_timer{0};

namespace {
// Tick count when the timer started; written by start_timer.
std::atomic<uint32_t> debut_ticks{0};
// Tick count of the timer's last call back; written by the timer.
std::atomic<uint32_t> dernier_tick{0};

// Takes `ms` off a counter; true when this made it reach or cross 0 from above.
bool decompte(std::atomic<int64_t>& compteur, int64_t ms) {
  const int64_t avant = compteur.fetch_sub(ms);
  return avant > 0 && avant - ms <= 0;
}
}  // namespace

int start_timer(int64_t normal_ms, int64_t maximum_ms) {
  echange_atomique(temps_depasse, 0);
  ms_normales.exchange(normal_ms);
  ms_max.exchange(maximum_ms);
  const uint32_t maintenant = compte_ticks();
  debut_ticks = maintenant;
  dernier_tick = maintenant;
  id_timer = demarre_minuterie(PERIODE_MINUTERIE_MS, rappel_timer);
  return id_timer.load() == 0 ? 1 : 0;
}

void stop_timer() {
  const uint32_t id = id_timer.exchange(0);
  if (id != 0) arrete_minuterie(id);
}

void rappel_timer(uint32_t id) {
  if (id != id_timer) return;
  // The time gone by since the last tick, measured: late ticks lose nothing.
  const uint32_t maintenant = compte_ticks();
  const int64_t ecoule = int32_t(maintenant - dernier_tick.exchange(maintenant));
  if (ecoule <= 0) return;
  if (decompte(ms_normales, ecoule)) increment_atomique(temps_depasse);
  if (decompte(ms_max, ecoule)) increment_atomique(arret_recherche);
}

int time_rule(int delta, int d, const STATS_ITERATION& s) {
  if (lit_drapeau(arret_recherche)) return 1;
  const bool depasse = lit_drapeau(temps_depasse) != 0;
  if (depasse && delta > -133 && s.changements_iteration < 3) return 1;
  if (s.iteration_finie && s.coup_evident && s.changements_total == 0 && d == 10) return 1;
  if (depasse || !s.iteration_finie || delta <= -133) return 0;
  return ms_normales.load(std::memory_order_relaxed) < int64_t(s.ms_premier_coup) * 3 / 2 ? 1 : 0;
}

uint32_t temps_ecoule_ms() { return compte_ticks() - debut_ticks.load(); }

void CEchiquier::SetTempsLimite(int normal, int maximum) {
  temps_limite_ms[0] = int64_t(normal) * 1000;
  temps_limite_ms[1] = int64_t(maximum) * 1000;
}

void CEchiquier::SetTempsLimiteMs(int normal_ms, int maximum_ms) {
  temps_limite_ms[0] = normal_ms;
  temps_limite_ms[1] = maximum_ms;
}

void CEchiquier::SetProfondeur(int p) { profondeur = p; }

void CEchiquier::SetNulle(double pions) { valeur_nulle = int(pions * 400); }
