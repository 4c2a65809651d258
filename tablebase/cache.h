// The block cache: the last blocks read from any table, through which every
// probe reads its byte.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int TB_TAILLE_BLOC = 8192;
inline constexpr int TB_TAILLE_CASE = 8260;     // slot header and data area
inline constexpr int TB_DONNEES_CASE = 8228;    // block plus spare bytes
inline constexpr int TB_TAILLE_CACHE = 131072;  // buffer TbInit allocates

// The one decode block shared by all compressed tables: state, then the
// stored block being decoded.
struct BLOC_DECODAGE {
  uint8_t* sortie_debut;
  uint8_t* sortie_fin;
  uint8_t* sortie_pos;
  uint32_t numero;
  int valide;
  uint8_t reserve[64 - 3 * sizeof(uint8_t*) - 2 * sizeof(int)];
  uint8_t entree[TB_TAILLE_BLOC];
};

// The decode block; allocated and freed by the registry (TbInit), null
// while no compressed file has been opened.
extern BLOC_DECODAGE* bloc_decodage;

// Lays the cache out in `tampon` (15 slots in 131,072 bytes); closes every
// table file and empties every table's chains.
void TbSetupCache(uint8_t* tampon, size_t taille);

// Closes the open file of every table.
void TbCloseAll();

// The byte of a table as -128..127; 127 when it cannot be had. A table whose
// file cannot be read is dropped from the registry.
int TbFetchByte(int classe, int camp, uint32_t index);

// Number of blocks read from files since start (hits read none).
uint64_t TbBlockReads();
