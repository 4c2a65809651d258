#include "board/perft.h"

#include "board/echiquier.h"
#include "board/movegen.h"
#include "notation/coordonnees.h"

namespace {

uint64_t compte_legaux(const uint32_t* liste) {
  uint64_t n = 0;
  for (; *liste; ++liste) n += !(*liste & COUP_ILLEGAL);
  return n;
}

// Leaves n plies below the node whose legal list (side `trait` to move) is given.
uint64_t perft_noeud(const EMPILAGE& e, const uint32_t* liste, int trait, int n) {
  if (n <= 1) return n == 1 ? compte_legaux(liste) : 1;
  uint64_t total = 0;
  uint32_t replies[TAILLE_LISTE_COUPS];
  for (; *liste; ++liste) {
    if (*liste & COUP_ILLEGAL) continue;
    EMPILAGE w;
    copie_noeud(w, e);
    if (trait == BLANCS) genere_noirs(replies, *liste, 0, &w);
    else genere_blancs(replies, *liste, 0, &w);
    total += perft_noeud(w, replies, 1 - trait, n - 1);
  }
  return total;
}

uint64_t perft_racine(CEchiquier& e, int profondeur, FILE* sortie) {
  if (profondeur < 1) return 0;
  EMPILAGE racine = *e.emp;
  e.CopieEmp(&racine);
  uint64_t total = 0;
  for (const uint32_t* l = e.liste_coups; *l; ++l) {
    if (*l & COUP_ILLEGAL) continue;
    uint64_t n = 1;
    if (profondeur > 1) {
      uint32_t replies[TAILLE_LISTE_COUPS];
      EMPILAGE w = racine;
      if (e.trait == BLANCS) genere_noirs(replies, *l, 0, &w);
      else genere_blancs(replies, *l, 0, &w);
      n = perft_noeud(w, replies, 1 - e.trait, profondeur - 1);
    }
    total += n;
    if (sortie) {
      char texte[8];
      texte_protocole(*l, texte);
      std::fprintf(sortie, "%s: %llu\n", texte, static_cast<unsigned long long>(n));
    }
  }
  if (sortie) std::fprintf(sortie, "Nodes searched: %llu\n", static_cast<unsigned long long>(total));
  return total;
}

}  // namespace

uint64_t perft(CEchiquier& e, int profondeur) { return perft_racine(e, profondeur, nullptr); }

uint64_t perft_divise(CEchiquier& e, int profondeur, FILE* sortie) {
  return perft_racine(e, profondeur, sortie);
}
