// Compressed table files: checksum, prefix codes, code descriptions, the
// header checks, block decoding, and fuzzing of header and blocks.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tablebase/compress.h"
#include "tablebase/encode.h"

namespace {

std::vector<uint8_t> donnees_test(size_t n, unsigned graine) {
  // Long runs, a periodic stretch and some noise, like a table.
  std::mt19937 alea(graine);
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; i++) {
    if (i % 20000 < 9000) v[i] = uint8_t((i / 700) % 5);
    else if (i % 20000 < 15000) v[i] = uint8_t((i % 61) < 3 ? 127 : 120 - (i % 7));
    else v[i] = uint8_t(alea());
  }
  return v;
}

FILE* fichier_de(const std::vector<uint8_t>& octets) {
  FILE* f = tmpfile();
  fwrite(octets.data(), 1, octets.size(), f);
  rewind(f);
  return f;
}

uint32_t lit32(const std::vector<uint8_t>& v, size_t p) {
  return uint32_t(v[p]) << 24 | uint32_t(v[p + 1]) << 16 | uint32_t(v[p + 2]) << 8 | v[p + 3];
}

// Rewrites the header checksum after a change to the header region.
void rescelle(std::vector<uint8_t>& v) {
  uint32_t h = lit32(v, 64);
  if (h < 84 || h > v.size()) return;
  uint32_t c = TbChecksum(v.data(), h - 4);
  for (int i = 0; i < 4; i++) v[h - 4 + i] = uint8_t(c >> (24 - 8 * i));
}

int ouvre(const std::vector<uint8_t>& octets, DESCRIPTEUR_COMPRESSE** d) {
  FILE* f = fichier_de(octets);
  int s = TbOpenCompressed(f, d);
  fclose(f);
  return s;
}

// Decodes every block of a compressed file held in memory.
bool decode_tout(const std::vector<uint8_t>& fichier, const DESCRIPTEUR_COMPRESSE& d,
                 std::vector<uint8_t>* sortie) {
  std::vector<uint8_t> bloc(8192 + 36);
  for (uint32_t b = 0; b < d.nb_blocs; b++) {
    uint32_t stockee = d.taille_stockee(b);
    if (d.offsets[b + 1] > fichier.size() || stockee > 8192) return false;
    if (!TbDecodeBlock(d, fichier.data() + d.offsets[b], stockee, bloc.data(), d.taille_sortie(b)))
      return false;
    if (sortie) sortie->insert(sortie->end(), bloc.begin(), bloc.begin() + d.taille_sortie(b));
  }
  return true;
}

TEST(TbChecksum, CheckValues) {
  EXPECT_EQ(TbChecksumTableEntry(0), 0x2D02EF8Du);
  EXPECT_EQ(TbChecksumTableEntry(255), 0u);
  EXPECT_EQ(TbChecksum(reinterpret_cast<const uint8_t*>("abc"), 3), 0xCADBBEC2u);
}

TEST(TbPrefixCode, ChecksOfLengths) {
  int16_t t[256 + 128];
  const uint8_t incomplet[4] = {1, 2, 3, 0};
  EXPECT_FALSE(TbBuildCode(incomplet, 4, 8, t, 384));
  const uint8_t trop[4] = {1, 1, 1, 0};  // oversubscribed
  EXPECT_FALSE(TbBuildCode(trop, 4, 8, t, 384));
  const uint8_t long32[3] = {1, 32, 0};
  EXPECT_FALSE(TbBuildCode(long32, 3, 8, t, 384));
  const uint8_t seul2[3] = {0, 2, 0};
  EXPECT_FALSE(TbBuildCode(seul2, 3, 8, t, 384));
  // One symbol of length 1, or none: decoding takes no bits.
  const uint8_t seul1[3] = {0, 0, 1};
  ASSERT_TRUE(TbBuildCode(seul1, 3, 8, t, 384));
  const uint8_t octets[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  LecteurBits l(octets, 4);
  EXPECT_EQ(TbDecodeSymbol(l, t, 8, 384), 2);
  EXPECT_EQ(TbDecodeSymbol(l, t, 8, 384), 2);
  EXPECT_EQ(l.prend(4), 0xFu);  // nothing consumed
  const uint8_t aucun[3] = {0, 0, 0};
  ASSERT_TRUE(TbBuildCode(aucun, 3, 8, t, 384));
  EXPECT_EQ(TbDecodeSymbol(l, t, 8, 384), 0);
}

TEST(TbPrefixCode, LongCodesDecodeCanonically) {
  // Lengths 1, 2, ..., 20, 20: a complete code much longer than 13 bits.
  std::vector<uint8_t> longueurs(TB_NB_SYMBOLES, 0);
  std::vector<int> symboles;
  for (int i = 0; i < 21; i++) {
    int s = 37 * i + 5;
    longueurs[s] = uint8_t(i < 20 ? i + 1 : 20);
    symboles.push_back(s);
  }
  std::vector<int16_t> t(TB_TAILLE_TABLE_CODE);
  ASSERT_TRUE(TbBuildCode(longueurs.data(), TB_NB_SYMBOLES, 13, t.data(), TB_TAILLE_TABLE_CODE));
  // Canonical values: length i gets 1...10 (i bits) with a final 0; the last two are all ones.
  std::mt19937 alea(7);
  std::vector<int> message;
  EcrivainBits w;
  for (int n = 0; n < 500; n++) {
    int k = int(alea() % 21);
    message.push_back(symboles[k]);
    int l = k < 20 ? k + 1 : 20;
    uint32_t code = k < 19 ? ((1u << l) - 2) : (k == 19 ? (1u << 20) - 2 : (1u << 20) - 1);
    w.ecrit(code, l);
  }
  std::vector<uint8_t> bits = w.termine();
  LecteurBits l(bits.data(), bits.size());
  for (int s : message) ASSERT_EQ(TbDecodeSymbol(l, t.data(), 13, TB_TAILLE_TABLE_CODE), s);
  EXPECT_FALSE(l.depasse());
}

TEST(TbCodeDescription, BothFormsRoundTrip) {
  std::mt19937 alea(3);
  for (int nb : {64, 128, 1024}) {
    std::vector<uint64_t> f(nb);
    for (auto& x : f) x = alea() % 4 ? 0 : alea() % 1000;
    std::vector<uint8_t> longueurs = TbCodeLengths(f, 31);
    EcrivainBits w;
    TbWriteCodeLengths(w, longueurs);
    std::vector<uint8_t> octets = w.termine();
    LecteurBits l(octets.data(), octets.size());
    std::vector<uint8_t> relues(nb, 99);
    ASSERT_TRUE(TbReadCodeLengths(l, relues.data(), nb)) << nb;
    EXPECT_EQ(relues, longueurs) << nb;
  }
}

TEST(TbCodeDescription, ZeroWidthAndOverruns) {
  // Short form with width 0: every length is 0, in runs of 1 + 15.
  EcrivainBits w;
  w.ecrit(0, 1);
  w.ecrit(0, 5);
  for (int i = 0; i < 4; i++) w.ecrit(15, 4);
  std::vector<uint8_t> o = w.termine();
  LecteurBits l(o.data(), o.size());
  uint8_t longueurs[64];
  ASSERT_TRUE(TbReadCodeLengths(l, longueurs, 64));
  for (uint8_t x : longueurs) EXPECT_EQ(x, 0);
  // A run of zeros that passes the end is broken.
  EcrivainBits v;
  v.ecrit(0, 1);
  v.ecrit(0, 5);
  for (int i = 0; i < 5; i++) v.ecrit(15, 4);
  o = v.termine();
  LecteurBits m(o.data(), o.size());
  uint8_t septante[70];
  EXPECT_FALSE(TbReadCodeLengths(m, septante, 70));
  // A description cut short is broken.
  uint8_t coupe[1] = {0x20};
  LecteurBits n(coupe, 1);
  uint8_t grandes[1024];
  EXPECT_FALSE(TbReadCodeLengths(n, grandes, 1024));
}

TEST(TbCompressedFile, RoundTripWithRawAndLastBlock) {
  // 25,629 bytes: four blocks, the last of 1,053.
  std::vector<uint8_t> donnees = donnees_test(25629, 1);
  std::mt19937 alea(9);
  for (size_t i = 8192; i < 16384; i++) donnees[i] = uint8_t(alea());
  std::vector<uint8_t> fichier = TbCompressTable(donnees.data(), donnees.size());
  DESCRIPTEUR_COMPRESSE* d = nullptr;
  ASSERT_EQ(ouvre(fichier, &d), 0);
  EXPECT_EQ(d->nb_blocs, 4u);
  EXPECT_EQ(d->taille_dernier, 1053u);
  EXPECT_EQ(d->taille_totale(), 25629u);
  EXPECT_EQ(d->taille_stockee(1), 8192u);  // noise is stored raw
  EXPECT_LT(d->taille_stockee(0), 8192u);
  std::vector<uint8_t> relu;
  ASSERT_TRUE(decode_tout(fichier, *d, &relu));
  EXPECT_EQ(relu, donnees);
  delete d;
}

TEST(TbCompressedFile, HeaderChecks) {
  std::vector<uint8_t> bon = TbCompressTable(donnees_test(30000, 2).data(), 30000);
  DESCRIPTEUR_COMPRESSE* d = nullptr;
  auto genre = [&](std::vector<uint8_t> v) {
    int s = ouvre(v, &d);
    EXPECT_EQ(d, nullptr);
    return s & 0xFF;
  };
  std::vector<uint8_t> v = bon;
  v[bon.size() > 100 ? lit32(bon, 64) - 1 : 0] ^= 1;  // stored checksum
  EXPECT_EQ(genre(v), TB_FICHIER_CASSE);
  v = bon; v[71] = 23;
  EXPECT_EQ(genre(v), TB_FICHIER_CASSE);
  v = bon; v[70] = 17;
  EXPECT_EQ(genre(v), TB_FICHIER_CASSE);
  v = bon; v[79] ^= 0x10;  // format constant
  EXPECT_EQ(genre(v), TB_FICHIER_CASSE);
  v = bon; v[64] = v[65] = v[66] = 0; v[67] = 83;
  EXPECT_EQ(genre(v), TB_FICHIER_CASSE);
  v = bon; v[5] = 'x';  // signature
  EXPECT_EQ(genre(v), TB_ERREUR_LECTURE);
  v = bon; v[63] = 1;  // the zero padding belongs to the signature
  EXPECT_EQ(genre(v), TB_ERREUR_LECTURE);
  v.assign(bon.begin(), bon.begin() + 79);
  EXPECT_EQ(genre(v), TB_ERREUR_LECTURE);
  v.assign(bon.begin(), bon.begin() + lit32(bon, 64) - 1);  // header cut short
  EXPECT_EQ(genre(v), TB_ERREUR_LECTURE);
  v = bon; v[64] = 0x7F;  // header length far beyond the file
  EXPECT_EQ(genre(v), TB_ERREUR_LECTURE);
  v = bon; v[72] = 0x10; rescelle(v);  // block count beyond the header
  EXPECT_EQ(genre(v), TB_FICHIER_CASSE);
  EXPECT_EQ(ouvre(bon, &d), 0);
  delete d;
}

// A descriptor with a two-symbol code: 'x' = bit 0, and one match symbol = bit 1.
DESCRIPTEUR_COMPRESSE* descripteur_main(int distance, int c) {
  auto* d = new DESCRIPTEUR_COMPRESSE;
  std::vector<uint8_t> l(TB_NB_SYMBOLES, 0);
  l['x'] = 1;
  l[256 + c] = 1;
  EXPECT_TRUE(TbBuildCode(l.data(), TB_NB_SYMBOLES, 13, d->table_code, TB_TAILLE_TABLE_CODE));
  for (int& x : d->distances) x = -distance;
  d->nb_blocs = 1;
  d->taille_bloc = 8192;
  return d;
}

TEST(TbBlockDecode, MatchesAndFaults) {
  uint8_t sortie[64 + 36];
  memset(sortie, 0, sizeof sortie);
  // 'x' then a match of distance 1, length 10: eleven x.
  DESCRIPTEUR_COMPRESSE* d = descripteur_main(1, 9);
  const uint8_t bits[1] = {0x40};
  ASSERT_TRUE(TbDecodeBlock(*d, bits, 1, sortie, 11));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(sortie), 11), std::string(11, 'x'));
  // A match that would pass the end stops at the end.
  ASSERT_TRUE(TbDecodeBlock(*d, bits, 1, sortie, 5));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(sortie), 5), "xxxxx");
  // A block stored at its full length is copied, not decoded.
  const uint8_t brut[3] = {1, 2, 3};
  ASSERT_TRUE(TbDecodeBlock(*d, brut, 3, sortie, 3));
  EXPECT_EQ(sortie[2], 3);
  // Match before any output, and codes running past the stored block.
  const uint8_t match_d_abord[1] = {0x80};
  EXPECT_FALSE(TbDecodeBlock(*d, match_d_abord, 1, sortie, 11));
  const uint8_t litteraux[1] = {0x00};
  EXPECT_FALSE(TbDecodeBlock(*d, litteraux, 1, sortie, 9));
  delete d;
  // Distance reaching before the start of the block, and distance 0.
  d = descripteur_main(3, 9);
  EXPECT_FALSE(TbDecodeBlock(*d, bits, 1, sortie, 11));
  delete d;
  d = descripteur_main(0, 9);
  EXPECT_FALSE(TbDecodeBlock(*d, bits, 1, sortie, 11));
  delete d;
}

TEST(TbBlockDecode, LongMatchLengths) {
  // c = 16: length 2^2 + 2 extra bits + 14; with extra 3 that is 21.
  DESCRIPTEUR_COMPRESSE* d = descripteur_main(1, 16);
  EcrivainBits w;
  w.ecrit(0, 1);
  w.ecrit(1, 1);
  w.ecrit(3, 2);
  std::vector<uint8_t> o = w.termine();
  uint8_t sortie[64];
  ASSERT_TRUE(TbDecodeBlock(*d, o.data(), uint32_t(o.size()), sortie, 22));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(sortie), 22), std::string(22, 'x'));
  // The four padding bits read as four more x; a fifth runs past the byte.
  EXPECT_TRUE(TbDecodeBlock(*d, o.data(), uint32_t(o.size()), sortie, 26));
  EXPECT_FALSE(TbDecodeBlock(*d, o.data(), uint32_t(o.size()), sortie, 27));
  delete d;
}

TEST(TbFuzz, MutatedHeadersAndBlocks) {
  std::vector<uint8_t> donnees = donnees_test(40000, 5);
  const std::vector<uint8_t> bon = TbCompressTable(donnees.data(), donnees.size());
  const uint32_t h = lit32(bon, 64);
  std::mt19937 alea(11);
  int refuses = 0, echecs_blocs = 0;
  for (int essai = 0; essai < 600; essai++) {
    std::vector<uint8_t> v = bon;
    bool entete = essai % 2 == 0;
    int n = 1 + int(alea() % 4);
    for (int i = 0; i < n; i++) {
      size_t p = entete ? 64 + alea() % (h - 68) : h + alea() % (v.size() - h);
      v[p] ^= uint8_t(1 + alea() % 255);
    }
    if (entete && essai % 4 == 0) rescelle(v);  // reach the checks behind the checksum
    DESCRIPTEUR_COMPRESSE* d = nullptr;
    int s = ouvre(v, &d);
    if (s != 0) {
      int k = s & 0xFF;
      EXPECT_TRUE(k == TB_ERREUR_LECTURE || k == TB_MANQUE_MEMOIRE || k == TB_FICHIER_CASSE) << s;
      refuses++;
      continue;
    }
    std::vector<uint8_t> relu;
    if (!decode_tout(v, *d, &relu)) echecs_blocs++;
    delete d;
  }
  EXPECT_GT(refuses, 100);
  EXPECT_GT(echecs_blocs, 10);
}

}  // namespace
