// Compressed table files: checksum, bit reader, prefix codes, the header
// and block index, and block decoding.
#include "tablebase/compress.h"

#include <cstring>
#include <new>

const char TB_SIGNATURE[TB_LONGUEUR_SIGNATURE] =
    "Compressed by DATACOMP v 1.0 (c) 1991--1998 Quennavartisol\r\n";

namespace {

// Checksum table, built on first use (by the first compressed file opened).
uint32_t table_checksum[256];
bool table_checksum_prete = false;

void construit_table_checksum() {
  for (uint32_t i = 0; i < 256; i++) {
    uint32_t c = i;
    for (int k = 0; k < 8; k++) c = (c & 1) ? c >> 1 : (c >> 1) ^ 0xEDB88320u;
    table_checksum[i] = c;
  }
  table_checksum_prete = true;
}

uint32_t lit32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

int statut(int controle, int genre) { return controle << 8 | genre; }

}  // namespace

uint32_t TbChecksum(const uint8_t* octets, size_t n, uint32_t registre) {
  if (!table_checksum_prete) construit_table_checksum();
  for (size_t i = 0; i < n; i++)
    registre = (registre >> 8) ^ table_checksum[(registre ^ octets[i]) & 0xFF];
  return registre;
}

uint32_t TbChecksumTableEntry(int i) {
  if (!table_checksum_prete) construit_table_checksum();
  return table_checksum[i & 0xFF];
}

// ---------------------------------------------------------------- bit reader

LecteurBits::LecteurBits(const uint8_t* debut, size_t longueur_)
    : p(debut), longueur(longueur_), suivant(4), compteur(16), bits_pris(0) {
  fenetre = octet(0) << 24 | octet(1) << 16 | octet(2) << 8 | octet(3);
}

uint32_t LecteurBits::prend16(int n) {
  if (n == 0) return 0;
  uint32_t v = fenetre >> (32 - n);
  fenetre <<= n;
  compteur -= n;
  bits_pris += n;
  if (compteur <= 0) {
    fenetre |= (octet(suivant) << 8 | octet(suivant + 1)) << -compteur;
    suivant += 2;
    compteur += 16;
  }
  return v;
}

uint32_t LecteurBits::prend(int n) {
  if (n <= 16) return prend16(n);
  uint32_t haut = prend16(16);
  return haut << (n - 16) | prend16(n - 16);
}

// ------------------------------------------------------------- prefix codes

bool TbBuildCode(const uint8_t* longueurs, int nb, int bits_directs,
                 int16_t* table, int taille_table) {
  const int directs = 1 << bits_directs;
  if (taille_table < directs) return false;
  int compte[32] = {0};
  int seul = -1, nb_codes = 0;
  for (int s = 0; s < nb; s++) {
    if (longueurs[s] > 31) return false;
    if (longueurs[s]) {
      compte[longueurs[s]]++;
      nb_codes++;
      seul = s;
    }
  }
  // Degenerate codes: every decode yields one symbol and takes no bits.
  if (nb_codes <= 1) {
    if (nb_codes == 1 && longueurs[seul] != 1) return false;
    int16_t entree = int16_t(nb_codes == 0 ? 0 : seul * 32);
    for (int i = 0; i < directs; i++) table[i] = entree;
    return true;
  }
  // The code must be complete.
  int64_t total = 0;
  for (int l = 31; l >= 1; l--) {
    total += compte[l];
    if (total & 1) return false;
    total /= 2;
  }
  if (total != 1) return false;

  // Canonical code values.
  uint32_t prochain[32];
  uint32_t code = 0;
  compte[0] = 0;
  for (int l = 1; l < 32; l++) {
    code = (code + compte[l - 1]) << 1;
    prochain[l] = code;
  }
  const int16_t LIBRE = 0x7FFF;
  for (int i = 0; i < taille_table; i++) table[i] = LIBRE;
  int noeud_libre = directs;
  for (int s = 0; s < nb; s++) {
    int l = longueurs[s];
    if (!l) continue;
    uint32_t c = prochain[l]++;
    if (l <= bits_directs) {
      uint32_t debut = c << (bits_directs - l);
      for (uint32_t i = 0; i < (1u << (bits_directs - l)); i++)
        table[debut + i] = int16_t(s * 32 + l);
      continue;
    }
    // Longer code: the direct entry leads to node pairs, one bit each.
    int16_t* entree = &table[c >> (l - bits_directs)];
    for (int b = l - bits_directs - 1; b >= 0; b--) {
      if (*entree == LIBRE) {
        if (noeud_libre + 2 > taille_table) return false;
        table[noeud_libre] = table[noeud_libre + 1] = LIBRE;
        *entree = int16_t(-noeud_libre);
        noeud_libre += 2;
      }
      if (*entree >= 0) return false;
      entree = &table[-*entree + ((c >> b) & 1)];
    }
    if (*entree != LIBRE) return false;
    *entree = int16_t(s);
  }
  return true;
}

int TbDecodeSymbol(LecteurBits& lecteur, const int16_t* table, int bits_directs,
                   int taille_table) {
  uint32_t regard = bits_directs == TB_BITS_DIRECTS ? lecteur.regarde13()
                                                    : lecteur.regarde8();
  int e = table[regard];
  if (e >= 0) {
    lecteur.prend(e & 31);
    return e >> 5;
  }
  lecteur.prend(bits_directs);
  while (e < 0) {
    int i = -e + int(lecteur.prend(1));
    if (i >= taille_table) return -1;
    e = table[i];
    if (lecteur.depasse()) return -1;
  }
  return e;
}

// ---------------------------------------------------------- code description

bool TbReadCodeLengths(LecteurBits& lecteur, uint8_t* longueurs, int nb) {
  // 1. One bit set: every length is 0.
  if (lecteur.prend(1)) {
    memset(longueurs, 0, nb);
    return !lecteur.depasse();
  }
  // 2. Short form: fixed-width lengths with runs of zeros.
  if (nb <= 128) {
    int largeur = int(lecteur.prend(5));
    int i = 0;
    while (i < nb) {
      uint32_t l = lecteur.prend(largeur);
      if (l > 31) return false;
      longueurs[i++] = uint8_t(l);
      if (l == 0) {
        uint32_t k = lecteur.prend(4);
        if (i + int(k) > nb) return false;
        for (uint32_t j = 0; j < k; j++) longueurs[i++] = 0;
      }
      if (lecteur.depasse()) return false;
    }
    return true;
  }
  // 3. Long form: two small codes, A for lengths and repeats, B for counts.
  uint8_t petites[128];
  if (!TbReadCodeLengths(lecteur, petites, 128)) return false;
  const int TAILLE = 256 + 2 * 64;
  int16_t code_a[TAILLE], code_b[TAILLE];
  if (!TbBuildCode(petites, 64, 8, code_a, TAILLE)) return false;
  if (!TbBuildCode(petites + 64, 64, 8, code_b, TAILLE)) return false;
  int i = 0;
  while (i < nb) {
    int s = TbDecodeSymbol(lecteur, code_a, 8, TAILLE);
    if (s < 0 || lecteur.depasse()) return false;
    if (s < 32) {
      longueurs[i++] = uint8_t(s);
      continue;
    }
    int r = TbDecodeSymbol(lecteur, code_b, 8, TAILLE);
    if (r < 0) return false;
    uint64_t c = uint64_t(r);
    if (r > 31) c = 31 + (uint64_t(1) << (r - 32)) + lecteur.prend(r - 32);
    if (lecteur.depasse() || uint64_t(i) + c + 2 > uint64_t(nb)) return false;
    for (uint64_t j = 0; j < c + 2; j++) longueurs[i++] = uint8_t(s - 32);
  }
  return true;
}

// ------------------------------------------------------------------- header

int TbOpenCompressed(FILE* f, DESCRIPTEUR_COMPRESSE** descripteur) {
  *descripteur = nullptr;
  if (!f) return statut(1, TB_MAUVAIS_ARGUMENT);
  // 1. Signature.
  if (!table_checksum_prete) construit_table_checksum();
  uint8_t debut[80];
  if (fseek(f, 0, SEEK_END) != 0) return statut(1, TB_ERREUR_LECTURE);
  long taille_fichier = ftell(f);
  if (taille_fichier < 0 || fseek(f, 0, SEEK_SET) != 0) return statut(2, TB_ERREUR_LECTURE);
  if (fread(debut, 1, 80, f) != 80) return statut(3, TB_ERREUR_LECTURE);
  if (memcmp(debut, TB_SIGNATURE, TB_LONGUEUR_SIGNATURE) != 0)
    return statut(4, TB_ERREUR_LECTURE);

  // 2. Fixed fields.
  uint32_t h = lit32(debut + 64);
  int b = debut[70];
  int nb_distances = debut[71];
  uint32_t n = lit32(debut + 72);
  uint32_t constante = lit32(debut + 76);
  if (b > 16 || h < 84) return statut(1, TB_FICHIER_CASSE);
  if (nb_distances != TB_NB_DISTANCES) return statut(2, TB_FICHIER_CASSE);
  if (constante != TB_CONSTANTE_FORMAT) return statut(3, TB_FICHIER_CASSE);

  // 3. The whole header region, and its checksum. A header longer than the
  // file would be a short read: say so before allocating for it.
  if (uint64_t(h) > uint64_t(taille_fichier)) return statut(5, TB_ERREUR_LECTURE);
  std::vector<uint8_t> entete;
  try {
    entete.resize(h);
  } catch (const std::bad_alloc&) {
    return statut(1, TB_MANQUE_MEMOIRE);
  }
  memcpy(entete.data(), debut, 80);
  if (fread(entete.data() + 80, 1, h - 80, f) != h - 80) return statut(6, TB_ERREUR_LECTURE);
  if (TbChecksum(entete.data(), h - 4) != lit32(entete.data() + h - 4))
    return statut(4, TB_FICHIER_CASSE);

  // The block index and the code description must lie inside the region.
  if (b == 0 || n == 0) return statut(5, TB_FICHIER_CASSE);
  uint64_t debut_champs = 80 + 8 * uint64_t(n);
  uint64_t fin_champs = debut_champs + (uint64_t(n + 25) * b + 7) / 8;
  if (fin_champs > uint64_t(h) - 4) return statut(6, TB_FICHIER_CASSE);

  // 4. The descriptor.
  DESCRIPTEUR_COMPRESSE* d = new (std::nothrow) DESCRIPTEUR_COMPRESSE;
  if (!d) return statut(2, TB_MANQUE_MEMOIRE);
  try {
    d->offsets.resize(size_t(n) + 1);
  } catch (const std::bad_alloc&) {
    delete d;
    return statut(3, TB_MANQUE_MEMOIRE);
  }
  d->log_bloc = b;
  d->taille_bloc = 1u << b;
  d->nb_blocs = n;

  // 5. Stored block lengths, the last block's length, the distances.
  LecteurBits champs(entete.data() + debut_champs, size_t(fin_champs - debut_champs));
  d->offsets[0] = h;
  for (uint32_t i = 0; i < n; i++) {
    uint32_t l = champs.prend(b);
    d->offsets[i + 1] = d->offsets[i] + (l ? l : d->taille_bloc);
  }
  uint32_t dernier = champs.prend(b);
  d->taille_dernier = dernier ? dernier : d->taille_bloc;
  for (int i = 0; i < TB_NB_DISTANCES; i++) d->distances[i] = -int(champs.prend(b));

  // 6. The main prefix code.
  LecteurBits code(entete.data() + fin_champs, size_t(h - 4 - fin_champs));
  uint8_t longueurs[TB_NB_SYMBOLES];
  if (!TbReadCodeLengths(code, longueurs, TB_NB_SYMBOLES)) {
    delete d;
    return statut(7, TB_FICHIER_CASSE);
  }
  if (!TbBuildCode(longueurs, TB_NB_SYMBOLES, TB_BITS_DIRECTS, d->table_code,
                   TB_TAILLE_TABLE_CODE)) {
    delete d;
    return statut(8, TB_FICHIER_CASSE);
  }

  // 7. Ready.
  d->valide = true;
  *descripteur = d;
  return 0;
}

// ----------------------------------------------------------------- decoding

bool TbDecodeBlock(const DESCRIPTEUR_COMPRESSE& d, const uint8_t* entree,
                   uint32_t stockee, uint8_t* sortie, uint32_t taille) {
  // 1. Raw block.
  if (stockee == taille) {
    memcpy(sortie, entree, taille);
    return true;
  }
  // 2. Literals and matches until the output is full.
  LecteurBits lecteur(entree, stockee);
  uint32_t pos = 0;
  while (pos < taille) {
    int s = TbDecodeSymbol(lecteur, d.table_code, TB_BITS_DIRECTS, TB_TAILLE_TABLE_CODE);
    if (s < 0 || s >= TB_NB_SYMBOLES) return false;
    if (s < 256) {
      sortie[pos++] = uint8_t(s);
    } else {
      int m = s - 256, c = m & 31;
      uint32_t longueur;
      if (c <= 14) {
        longueur = c + 1;
      } else {
        int e = c - 14;
        longueur = (1u << e) + lecteur.prend(e) + 14;
      }
      uint32_t distance = uint32_t(-d.distances[m >> 5]);
      if (distance == 0 || distance > pos) return false;
      if (longueur > taille - pos) longueur = taille - pos;
      for (uint32_t i = 0; i < longueur; i++, pos++) sortie[pos] = sortie[pos - distance];
    }
    if (lecteur.depasse()) return false;
  }
  return true;
}
