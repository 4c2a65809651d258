#include "search/pv.h"

#include <new>

CELLULE_PV* pv_chaine[NB_CHAINES_PV];

namespace {
CELLULE_PV* bloc_pv = nullptr;  // the block behind every chain
}

void construit_cellules_pv() {
  if (!bloc_pv) bloc_pv = new (std::nothrow) CELLULE_PV[NB_CELLULES_PV];
  if (!bloc_pv) {
    for (auto& c : pv_chaine) c = nullptr;
    return;
  }
  CELLULE_PV* c = bloc_pv;
  for (int k = 0; k < NB_CHAINES_PV; ++k) {
    pv_chaine[k] = c;
    const int n = NB_CHAINES_PV - k;
    for (int i = 0; i < n; ++i, ++c) {
      c->coup = 0;
      c->suivant = i + 1 < n ? c + 1 : nullptr;
    }
  }
}

void libere_cellules_pv() {
  delete[] bloc_pv;
  bloc_pv = nullptr;
  for (auto& c : pv_chaine) c = nullptr;
}
