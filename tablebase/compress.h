// Compressed table files (".emd"): header and block index, the prefix
// codes, and the decoding of one block.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// Status kinds (low 8 bits of a status); the upper bits name the check.
inline constexpr int TB_ERREUR_LECTURE = 2;
inline constexpr int TB_MANQUE_MEMOIRE = 5;
inline constexpr int TB_FICHIER_CASSE = 6;
inline constexpr int TB_MAUVAIS_ARGUMENT = 7;

inline constexpr int TB_NB_DISTANCES = 24;
inline constexpr int TB_NB_SYMBOLES = 256 + TB_NB_DISTANCES * 32;
inline constexpr int TB_BITS_DIRECTS = 13;
inline constexpr int TB_TAILLE_TABLE_CODE = 10240;
inline constexpr uint32_t TB_CONSTANTE_FORMAT = 0x004001F5;
inline constexpr int TB_LONGUEUR_SIGNATURE = 64;
extern const char TB_SIGNATURE[TB_LONGUEUR_SIGNATURE];

// The checksum of the header: reflected CRC register with the inverted
// test, no final complement.
uint32_t TbChecksum(const uint8_t* octets, size_t n, uint32_t registre = 0);
uint32_t TbChecksumTableEntry(int i);

// What a registered compressed table needs to find and decode its blocks.
struct DESCRIPTEUR_COMPRESSE {
  int16_t table_code[TB_TAILLE_TABLE_CODE];  // 13 direct bits, then node pairs
  int distances[TB_NB_DISTANCES];            // match offsets back from the output
  std::vector<uint64_t> offsets;             // nb_blocs + 1 file offsets
  int log_bloc = 0;
  uint32_t taille_bloc = 0;
  uint32_t taille_dernier = 0;               // uncompressed length of the last block
  uint32_t nb_blocs = 0;
  bool valide = false;

  uint64_t taille_totale() const {
    return uint64_t(nb_blocs - 1) * taille_bloc + taille_dernier;
  }
  uint32_t taille_sortie(uint32_t bloc) const {
    return bloc + 1 == nb_blocs ? taille_dernier : taille_bloc;
  }
  uint32_t taille_stockee(uint32_t bloc) const {
    return uint32_t(offsets[bloc + 1] - offsets[bloc]);
  }
};

// Reads the header and block index of an open file. Returns 0 and fills
// *descripteur, or a status.
int TbOpenCompressed(FILE* fichier, DESCRIPTEUR_COMPRESSE** descripteur);

// Decodes one stored block of `stockee` bytes into `sortie` (room for
// `taille` bytes). False when the block is broken; nothing is ever read or
// written outside the two areas.
bool TbDecodeBlock(const DESCRIPTEUR_COMPRESSE& d, const uint8_t* entree,
                   uint32_t stockee, uint8_t* sortie, uint32_t taille);

// Bit stream read most significant bit first, through a 32-bit window.
// Past the end of its bytes it reads zeros and remembers the overrun.
class LecteurBits {
 public:
  LecteurBits(const uint8_t* debut, size_t longueur);
  uint32_t prend(int n);  // any n from 0 to 32
  uint32_t regarde13() const { return fenetre >> (32 - TB_BITS_DIRECTS); }
  uint32_t regarde8() const { return fenetre >> 24; }
  bool depasse() const { return bits_pris > 8 * uint64_t(longueur); }

 private:
  uint32_t prend16(int n);
  uint32_t octet(size_t i) const { return i < longueur ? p[i] : 0; }
  const uint8_t* p;
  size_t longueur;
  size_t suivant;      // next byte to load into the window
  uint32_t fenetre;
  int compteur;
  uint64_t bits_pris;
};

// Builds the decoding table of a canonical prefix code from its lengths.
// `taille_table` must be at least 2^bits_directs. False when the code is
// not usable.
bool TbBuildCode(const uint8_t* longueurs, int nb, int bits_directs,
                 int16_t* table, int taille_table);

// Decodes one symbol with a table built by TbBuildCode; -1 when the table
// leads nowhere.
int TbDecodeSymbol(LecteurBits& lecteur, const int16_t* table,
                   int bits_directs, int taille_table);

// Reads `nb` code lengths in the code-description form. False when broken.
bool TbReadCodeLengths(LecteurBits& lecteur, uint8_t* longueurs, int nb);
