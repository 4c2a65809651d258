// Writer of compressed table files: the counterpart of the reader in
// compress.h, used by the table generator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// MSB-first bit writer.
class EcrivainBits {
 public:
  void ecrit(uint32_t valeur, int n);  // the low n bits of valeur, n <= 32
  std::vector<uint8_t> termine();      // pads the last byte with zeros
  uint64_t nb_bits() const { return total; }

 private:
  std::vector<uint8_t> octets;
  uint64_t accu = 0;
  int bits = 0;
  uint64_t total = 0;
};

// Canonical prefix code lengths (at most `limite` bits) for the counts
// `frequences`; symbols with count 0 get no code. At least two symbols get
// a code whenever one count is not 0.
std::vector<uint8_t> TbCodeLengths(const std::vector<uint64_t>& frequences, int limite);

// Writes `longueurs` in the code-description form (short form for at most
// 128 lengths, two-code long form beyond).
void TbWriteCodeLengths(EcrivainBits& sortie, const std::vector<uint8_t>& longueurs);

// The whole compressed file for a table of `n` bytes, blocks of 8,192.
std::vector<uint8_t> TbCompressTable(const uint8_t* donnees, size_t n);
