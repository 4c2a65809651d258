#include "frontend/uci_temps.h"

#include <algorithm>

#include "board/echiquier.h"
#include "frontend/niveau.h"

void fixe_temps_ms(CEchiquier& e, int normal_ms, int maximum_ms) {
  e.SetTempsLimiteMs(std::max(1, normal_ms), std::max(1, maximum_ms));
}

void fixe_temps_pendule(CEchiquier& e, int restant_ms, int increment_ms, int coups, int marge_ms) {
  const LIMITES_TEMPS l = calcule_limites_temps(restant_ms, increment_ms, coups, marge_ms);
  fixe_temps_ms(e, l.normal_ms, l.maximum_ms);
}
