// The opening book "Mirask.bo1": fixed 10-byte records in the working
// directory, addressed by the position's hash keys.
#pragma once

#include <cstdint>
#include <string>

#include "board/types.h"

inline constexpr const char* FICHIER_LIVRE = "Mirask.bo1";
inline constexpr int TAILLE_ENREGISTREMENT_LIVRE = 10;
inline constexpr int NB_ENREGISTREMENTS_PRIMAIRES = 65536;
inline constexpr int NB_ENREGISTREMENTS_SECONDAIRES = 32768;

// The book file the search consults: FICHIER_LIVRE in the working
// directory unless the UCI option "BookFile" named another. Written by the
// command loop while no search runs.
extern std::string chemin_livre;
// 0: the search does not consult the book ("OwnBook" off, UCI analysis).
// Written by the command loop while no search runs.
extern int livre_consulte;

// Record numbers of a position for probe offset d (0 or 2).
inline uint32_t enregistrement_primaire(const EMPILAGE* e, uint32_t d) {
  return (e->cle_hash + d) & 0xFFFF;
}
inline uint32_t enregistrement_secondaire(const EMPILAGE* e, uint32_t d) {
  return NB_ENREGISTREMENTS_PRIMAIRES + ((e->verrou_hash + d) & 0x7FFF);
}

// Looks the root position up (its keys must be computed). On a hit the
// book move's list entry is swapped to the front of the root list and 1 is
// returned; a miss costs one credit (credit_livre) and returns 0.
int sonde_livre(uint32_t* liste, const EMPILAGE* racine);

// The book's random choice: a linear congruential generator per thread.
void graine_livre(uint32_t graine);
int aleatoire_livre();

// The raw 16-bit moves of the position's record at offset d, as the reader
// sees them (0-terminated, at most 4); false when no record matches.
bool lit_enregistrement_livre(const char* fichier, const EMPILAGE* e, uint32_t d,
                              uint16_t coups[5]);
