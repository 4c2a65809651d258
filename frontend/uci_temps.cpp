#include "frontend/uci_temps.h"

#include <algorithm>

#include "board/echiquier.h"

void fixe_temps_ms(CEchiquier& e, int normal_ms, int maximum_ms) {
  e.SetTempsLimite(std::max(0, normal_ms / 1000), std::max(1, maximum_ms / 1000));
}

void fixe_temps_pendule(CEchiquier& e, int restant_ms, int increment_ms, int coups, int marge_ms) {
  const int n = coups > 0 ? std::min(coups, 40) : 30;
  const int disponible = std::max(0, restant_ms - marge_ms);
  int normal = disponible / n + increment_ms * 3 / 4;
  int maximum = std::min(normal * 3, disponible / 3 + increment_ms);
  normal = std::min(normal, maximum);
  fixe_temps_ms(e, normal, maximum);
}
