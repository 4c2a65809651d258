#include "search/publication.h"

#include <cstring>

#include "board/movegen.h"
#include "search/globals.h"
#include "search/hash.h"
#include "search/pv.h"
#include "search/rapport.h"

void publie_pv() {
  verrou_section v(verrou_rapport);
  std::memcpy(pv_sauvee, pv_courante, sizeof pv_courante);
  std::memset(pv_courante, 0, sizeof pv_courante);
  int n = 0;
  for (const CELLULE_PV* c = pv_chaine[0]; c && (c->coup & 0xffff) != 0 && n < LONGUEUR_PV - 1;
       c = c->suivant)
    pv_courante[n++] = c->coup & 0xffff;
  pv_courante[n] = 0;
  std::memcpy(pv_rapportee, pv_courante, sizeof pv_courante);
}

void sauve_pv() {
  verrou_section v(verrou_rapport);
  std::memcpy(pv_sauvee, pv_courante, sizeof pv_courante);
}

void restaure_pv() {
  verrou_section v(verrou_rapport);
  std::memcpy(pv_courante, pv_sauvee, sizeof pv_courante);
}

void efface_pv() {
  {
    verrou_section v(verrou_rapport);
    std::memset(pv_courante, 0, sizeof pv_courante);
  }
  for (CELLULE_PV* tete : pv_chaine)
    if (tete) tete->coup = 0;
}

void seed_table(int trait, const EMPILAGE* noeud) {
  if (!table_hash) return;
  EMPILAGE copie = *noeud;
  for (int i = 0; i < LONGUEUR_PV && pv_courante[i] != 0; ++i) {
    const uint32_t coup = pv_courante[i] & 0xffff;
    compute_keys(&copie);
    ENTREE_HASH& h = table_hash[case_table(copie.cle_hash, trait, masque_hash)];
    h.info = uint16_t((h.info & ~7u) | HASH_COUP);
    h.verrou = copie.verrou_hash;
    h.coup = uint16_t(coup);
    h.generation = generation_hash;
    // Play the move on the copy, so that the next move goes into the slot
    // of the position it is played from.
    uint32_t liste[TAILLE_LISTE_COUPS];
    const uint32_t r = trait == BLANCS ? genere_noirs(liste, coup, 0, &copie)
                                       : genere_blancs(liste, coup, 0, &copie);
    if (r & COUP_ILLEGAL) break;
    trait ^= 1;
  }
}
