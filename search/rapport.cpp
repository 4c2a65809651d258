#include "search/rapport.h"

#include <cstring>

#include "search/globals.h"

uint32_t pv_courante[LONGUEUR_PV] = {};
uint32_t pv_sauvee[LONGUEUR_PV] = {};
uint32_t pv_rapportee[LONGUEUR_PV] = {};
uint32_t pv_rendue[LONGUEUR_PV] = {};
CONTEXTE_RAPPORT contexte_rapport = {nullptr, nullptr, nullptr};
drapeau_atomique meilleur_score{0};
drapeau_atomique coup_courant{0};
drapeau_atomique profondeur_courante{0};

void fixe_contexte_rapport(EMPILAGE* position, uint32_t* liste, int* trait) {
  verrou_section v(verrou_rapport);
  contexte_rapport = {position, liste, trait};
}

void copie_pv(uint32_t* dest, const uint32_t* source) {
  verrou_section v(verrou_rapport);
  std::memcpy(dest, source, sizeof(uint32_t) * LONGUEUR_PV);
}
