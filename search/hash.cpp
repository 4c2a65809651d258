#include "search/hash.h"

#include <cstdlib>
#include <cstring>
#include <new>

uint32_t zobrist_cle[1024];
uint32_t zobrist_verrou[1024];

ENTREE_HASH* table_hash = nullptr;
uint32_t taille_hash = 0;
uint32_t masque_hash = 0;
uint8_t generation_hash = 0;
ENTREE_PIONS* table_pions = nullptr;
uint32_t masque_pions = 0;
ENTREE_REPETITION* table_repetition = nullptr;
ENTREE_REPETITION* table_repetition_recherche = nullptr;

namespace {

// Seed of the additive key generator.
const uint32_t graine[55] = {
    0x5414D5F4, 0xB3935330, 0xD0773E27, 0xAC62A182, 0x5DB20C92, 0xC1E618AC, 0xD003926A,
    0x171FA3B3, 0x9AD12101, 0x762172C1, 0xBC5D9DC3, 0x07B72A70, 0x6E5AC890, 0xF7BE54D1,
    0x0D6332FA, 0x56BA8FBE, 0xEBA585EC, 0x571421C5, 0x96B3C079, 0x12EB9B92, 0xC07C0978,
    0x0700C5BD, 0x31A43513, 0x74EBA4AA, 0x4EC55DB5, 0x2C91C2E9, 0x208771F6, 0x304EE204,
    0x1E004673, 0xF3AC22F9, 0xA8561FEB, 0xDED13435, 0xD03E7513, 0xDAE66BC2, 0x01C20BE1,
    0x46638997, 0xFB26CE62, 0x01F87FC3, 0xC0016099, 0x44429270, 0xB04F4481, 0xF31B8AD7,
    0x86DD7A46, 0x03E72091, 0x96A22589, 0x74DCB7D4, 0x12D0FC03, 0x474A16E8, 0x2FF5717C,
    0x54BDED92, 0x783A9487, 0xE767978C, 0x3052D5CD, 0x16ECA191, 0x8EAF6D15};

template <typename T>
T* alloue(size_t n) {
  return static_cast<T*>(std::calloc(n, sizeof(T)));
}

}  // namespace

uint32_t tirage_cle(bool depuis_graine) {
  static uint32_t y[55];
  static int j = -1, k = 0;
  if (depuis_graine || j < 0) {
    std::memcpy(y, graine, sizeof y);
    j = 54;
    k = 23;
  }
  y[j] += y[k];
  uint32_t r = y[j];
  j = j == 0 ? 54 : j - 1;
  k = k == 0 ? 54 : k - 1;
  return r;
}

void init_cles_hash() {
  static bool fait = false;
  if (fait) return;
  fait = true;
  zobrist_cle[0] = tirage_cle(true);
  for (int i = 1; i < 1024; ++i) zobrist_cle[i] = tirage_cle();
  for (int i = 0; i < 1024; ++i) zobrist_verrou[i] = tirage_cle();
}

int alloue_tables(int n) {
  // Repetition copies
  if (!table_repetition) {
    table_repetition = alloue<ENTREE_REPETITION>(TAILLE_REPETITION);
    if (!table_repetition) return -1;
    clear_repetition(table_repetition);
  }
  if (!table_repetition_recherche) {
    table_repetition_recherche = alloue<ENTREE_REPETITION>(TAILLE_REPETITION);
    if (!table_repetition_recherche) return -1;
    clear_repetition(table_repetition_recherche);
  }

  // Transposition table, halved until it fits
  std::free(table_hash);
  table_hash = nullptr;
  taille_hash = masque_hash = 0;
  if (n == 0) n = 16;
  if (n > 23) n = 23;
  while (n >= 13) {
    table_hash = alloue<ENTREE_HASH>(size_t(1) << n);
    if (table_hash) break;
    --n;
  }
  if (!table_hash) return -1;
  taille_hash = uint32_t(1) << n;
  masque_hash = taille_hash - 1;
  clear_table_hash();
  clear_repetition(table_repetition);

  // Pawn cache, one eighth of the transposition table
  std::free(table_pions);
  table_pions = alloue<ENTREE_PIONS>(taille_hash / 8);
  masque_pions = 0;
  if (!table_pions) return -1;
  masque_pions = taille_hash / 8 - 1;
  return n;
}

void libere_tables() {
  std::free(table_hash);
  std::free(table_pions);
  std::free(table_repetition);
  std::free(table_repetition_recherche);
  table_hash = nullptr;
  table_pions = nullptr;
  table_repetition = table_repetition_recherche = nullptr;
  taille_hash = masque_hash = masque_pions = 0;
}

void clear_table_hash() {
  if (table_hash) std::memset(static_cast<void*>(table_hash), 0, size_t(taille_hash) * sizeof(ENTREE_HASH));
  generation_hash = 0;
}

void next_generation() {
  if (++generation_hash == 0) generation_hash = 1;
}

void compute_keys(EMPILAGE* e) {
  uint32_t cle = 0, verrou = 0, cle_p = 0, verrou_p = 0;
  for (int s = 0; s < 32; ++s) {
    const int q = e->pos_piece[s];
    if (q < 0 || q > 63) continue;
    const int t = e->type_piece[s];
    if (t >= 0 && t <= PION_NOIR) {
      cle ^= zobrist_cle[index_cle(s, t, q)];
      verrou ^= zobrist_verrou[index_cle(s, t, q)];
    }
    // Pawns by type, as the search updates them: a promoted piece in a
    // pawn slot is no pawn.
    if (t == PION_BLANC || t == PION_NOIR) {
      const int i = index_cle(s, t, q);
      cle_p ^= zobrist_cle[i];
      verrou_p ^= zobrist_verrou[i];
    }
  }
  const int blanc = 448 + (e->roque[0] == 0 ? 2 : 0) + (e->roque[2] == 0 ? 1 : 0);
  const int noir = 960 + (e->roque[1] == 0 ? 2 : 0) + (e->roque[3] == 0 ? 1 : 0);
  cle ^= zobrist_cle[blanc] ^ zobrist_cle[noir];
  verrou ^= zobrist_verrou[blanc] ^ zobrist_verrou[noir];
  e->cle_hash = cle;
  e->verrou_hash = verrou;
  e->cle_pions = cle_p;
  e->verrou_pions = verrou_p;
}

void clear_repetition(ENTREE_REPETITION* table) {
  if (!table) return;
  std::memset(static_cast<void*>(table), 0, TAILLE_REPETITION * sizeof(ENTREE_REPETITION));
  for (int i = 0; i < TAILLE_REPETITION; ++i) table[i].ply = PLY_LIBRE;
}

int record_game_position(ENTREE_REPETITION* table, int trait, int irreversible, EMPILAGE* e) {
  if (irreversible) {
    clear_repetition(table);
    e->coups_reversibles = 0;
  } else {
    e->coups_reversibles += 1;
  }
  compute_keys(e);
  int compte = 1;
  if (table) {
    ENTREE_REPETITION& r = table[case_table(e->cle_hash, trait, MASQUE_REPETITION)];
    if (r.verrou != e->verrou_hash) {
      r.ply = 0;
      r.verrou = e->verrou_hash;
      r.compte = 1;
    } else if (r.compte < 255) {
      r.compte += 1;
    }
    compte = r.compte;
  }
  return e->coups_reversibles == 100 ? 100 : compte;
}

bool restore_search_repetition() {
  if (!table_repetition_recherche) return false;
  if (table_repetition)
    std::memcpy(static_cast<void*>(table_repetition_recherche), table_repetition,
                TAILLE_REPETITION * sizeof(ENTREE_REPETITION));
  return true;
}

void stocke_hash(const EMPILAGE* e, int trait, int genre, int score, uint32_t coup, int profondeur,
                 int ply) {
  if (!table_hash) return;
  ENTREE_HASH& h = table_hash[case_table(e->cle_hash, trait, masque_hash)];
  const int genre_stocke = h.info & 7;
  const int profondeur_stockee = (h.info >> 3) & 63;
  if (genre_stocke != HASH_VIDE && profondeur < profondeur_stockee && h.generation == generation_hash)
    return;
  h.verrou = e->verrou_hash;
  h.score = int16_t(score);
  h.coup = uint16_t(coup & 0xffff);
  h.info = uint16_t(genre + 8 * (profondeur & 63) + 512 * (ply & 63));
  h.generation = generation_hash;
}

ENTREE_HASH* sonde_hash(const EMPILAGE* e, int trait) {
  if (!table_hash) return nullptr;
  ENTREE_HASH* h = &table_hash[case_table(e->cle_hash, trait, masque_hash)];
  if ((h->info & 7) == HASH_VIDE || h->verrou != e->verrou_hash) return nullptr;
  return h;
}
