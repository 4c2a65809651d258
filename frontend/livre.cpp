#include "frontend/livre.h"

#include <cstdio>

#include "search/globals.h"

std::string chemin_livre = FICHIER_LIVRE;
int livre_consulte = 1;

namespace {

thread_local uint32_t etat_aleatoire = 1;  // the book's generator state, per thread

// Reads record n; true when 10 bytes were read and the check value matches.
bool lit_enregistrement(FILE* f, uint32_t n, uint16_t controle, uint16_t coups[5]) {
  unsigned char b[TAILLE_ENREGISTREMENT_LIVRE];
  if (std::fseek(f, long(n) * TAILLE_ENREGISTREMENT_LIVRE, SEEK_SET) != 0) return false;
  if (std::fread(b, 1, sizeof b, f) != sizeof b) return false;
  if (uint16_t(b[0] | (b[1] << 8)) != controle) return false;
  for (int i = 0; i < 4; ++i) coups[i] = uint16_t(b[2 + 2 * i] | (b[3 + 2 * i] << 8));
  coups[4] = 0;
  return true;
}

// The move chosen at random among the record's moves of offset d, or 0.
uint16_t cherche(const EMPILAGE* e, uint32_t d) {
  uint16_t coups[5];
  if (!lit_enregistrement_livre(chemin_livre.c_str(), e, d, coups)) return 0;
  int n = 0;
  while (n < 4 && coups[n]) ++n;
  return n ? coups[aleatoire_livre() % n] : 0;
}

}  // namespace

void graine_livre(uint32_t graine) { etat_aleatoire = graine; }

int aleatoire_livre() {
  etat_aleatoire = etat_aleatoire * 214013u + 2531011u;
  return int((etat_aleatoire >> 16) & 0x7FFF);
}

bool lit_enregistrement_livre(const char* fichier, const EMPILAGE* e, uint32_t d,
                              uint16_t coups[5]) {
  FILE* f = std::fopen(fichier, "rb");
  if (!f) return false;
  const bool trouve =
      lit_enregistrement(f, enregistrement_primaire(e, d), uint16_t(e->verrou_hash), coups) ||
      lit_enregistrement(f, enregistrement_secondaire(e, d), uint16_t(e->cle_hash), coups);
  std::fclose(f);
  return trouve;
}

int sonde_livre(uint32_t* liste, const EMPILAGE* racine) {
  if (credit_livre <= 0 || !livre_consulte) return 0;
  uint16_t m = cherche(racine, 0);
  if (!m) m = cherche(racine, 2);
  if (!m) {
    --credit_livre;
    return 0;
  }
  // The list entry is what gets played: its kind comes from the generator.
  // Only legal entries can be chosen, and a stored promotion picks its own piece.
  for (uint32_t* l = liste; *l; ++l) {
    if (*l & COUP_ILLEGAL) continue;
    if ((*l & 0xfff) != (m & 0xfffu)) continue;
    if ((*l & PROMOTION) && (m & PROMOTION) && (*l & GENRE_COUP) != (m & GENRE_COUP)) continue;
    const uint32_t t = *l;
    *l = liste[0];
    liste[0] = t;
    return 1;
  }
  return 0;
}
