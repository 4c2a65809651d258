// The block cache: slots on a free list or on a recency list (oldest to
// newest), each also hanging in one of its table's 32 bucket chains.
#include "tablebase/cache.h"

#include <cstdio>
#include <cstring>

#include "tablebase/classes.h"
#include "tablebase/compress.h"

BLOC_DECODAGE* bloc_decodage = nullptr;

namespace {

struct CASE_CACHE {
  int16_t classe;
  int16_t camp;
  uint32_t premier;      // first index of the block held
  int16_t plus_ancienne; // older slot in recency order; free-list link
  int16_t plus_recente;
  int16_t suivante;      // bucket chain
  int16_t precedente;
  uint8_t* donnees;
};
static_assert(sizeof(CASE_CACHE) <= TB_TAILLE_CASE - TB_DONNEES_CASE);

// Cache state, laid out by TbSetupCache and changed by TbFetchByte.
CASE_CACHE* cases = nullptr;
int nb_cases = 0;
int16_t ancienne = -1, recente = -1, libre = -1;  // recency ends, free-list head
uint64_t lectures = 0;                             // blocks read from files

int16_t& tete(const CASE_CACHE& c) {
  return classes_tb[c.classe].seaux[c.camp][(c.premier >> 13) & (TB_SEAUX - 1)];
}

void retire_recence(int16_t s) {
  CASE_CACHE& c = cases[s];
  if (c.plus_ancienne >= 0) cases[c.plus_ancienne].plus_recente = c.plus_recente;
  else ancienne = c.plus_recente;
  if (c.plus_recente >= 0) cases[c.plus_recente].plus_ancienne = c.plus_ancienne;
  else recente = c.plus_ancienne;
}

void ajoute_recente(int16_t s) {
  cases[s].plus_ancienne = recente;
  cases[s].plus_recente = -1;
  if (recente >= 0) cases[recente].plus_recente = s;
  else ancienne = s;
  recente = s;
}

void retire_chaine(int16_t s) {
  CASE_CACHE& c = cases[s];
  if (c.precedente >= 0) cases[c.precedente].suivante = c.suivante;
  else tete(c) = c.suivante;
  if (c.suivante >= 0) cases[c.suivante].precedente = c.precedente;
}

void ajoute_chaine(int16_t s) {
  int16_t& t = tete(cases[s]);
  cases[s].precedente = -1;
  cases[s].suivante = t;
  if (t >= 0) cases[t].precedente = s;
  t = s;
}

// Reads the block of `premier` into `donnees`. False on any failure.
bool lit_bloc(CLASSE_TB& c, int camp, uint32_t premier, uint8_t* donnees) {
  FILE* f = c.ouvert[camp];
  lectures++;
  if (const DESCRIPTEUR_COMPRESSE* d = c.compresse[camp]) {
    uint32_t bloc = premier >> 13;
    if (!bloc_decodage || !d->valide || bloc >= d->nb_blocs) return false;
    uint32_t stockee = d->taille_stockee(bloc), taille = d->taille_sortie(bloc);
    if (stockee > TB_TAILLE_BLOC || taille > TB_TAILLE_BLOC) return false;
    if (fseeko(f, off_t(d->offsets[bloc]), SEEK_SET) != 0) return false;
    if (fread(bloc_decodage->entree, 1, stockee, f) != stockee) return false;
    bloc_decodage->numero = bloc;
    bloc_decodage->sortie_debut = bloc_decodage->sortie_pos = donnees;
    bloc_decodage->sortie_fin = donnees + taille;
    bloc_decodage->valide = TbDecodeBlock(*d, bloc_decodage->entree, stockee, donnees, taille);
    return bloc_decodage->valide;
  }
  if (fseeko(f, off_t(premier), SEEK_SET) != 0) return false;
  size_t lus = fread(donnees, 1, TB_TAILLE_BLOC, f);
  if (lus < size_t(TB_TAILLE_BLOC)) {
    if (ferror(f)) return false;
    memset(donnees + lus, 127, TB_TAILLE_BLOC - lus);
  }
  return true;
}

}  // namespace

void TbCloseAll() {
  for (int i = 0; i <= TB_NB_CLASSES; ++i)
    for (FILE*& f : classes_tb[i].ouvert)
      if (f) {
        fclose(f);
        f = nullptr;
      }
}

void TbSetupCache(uint8_t* tampon, size_t taille) {
  TbCloseAll();
  nb_cases = tampon && taille >= 32 ? int(taille / TB_TAILLE_CASE) : 0;
  cases = nb_cases ? reinterpret_cast<CASE_CACHE*>(tampon) : nullptr;
  uint8_t* donnees = tampon + nb_cases * sizeof(CASE_CACHE);
  for (int i = 0; i < nb_cases; i++) {
    cases[i] = CASE_CACHE{-1, -1, 0, int16_t(i + 1 < nb_cases ? i + 1 : -1), -1, -1, -1,
                          donnees + size_t(i) * TB_DONNEES_CASE};
  }
  libre = nb_cases ? 0 : -1;
  ancienne = recente = -1;
  for (int i = 0; i <= TB_NB_CLASSES; ++i)
    for (int16_t* seaux : classes_tb[i].seaux)
      if (seaux)
        for (int i = 0; i < TB_SEAUX; i++) seaux[i] = -1;
}

int TbFetchByte(int classe, int camp, uint32_t index) {
  // 1. Nothing to read with.
  if (classe < 1 || classe > TB_NB_CLASSES || camp < 0 || camp > 1) return 127;
  CLASSE_TB& c = classes_tb[classe];
  if (!nb_cases || !c.seaux[camp] || !c.enregistree(camp)) return 127;
  if (index >= uint32_t(c.taille[camp])) return 127;

  // 2. Hit: the slot becomes the newest and the head of its chain.
  for (int16_t s = c.seaux[camp][(index >> 13) & (TB_SEAUX - 1)]; s >= 0; s = cases[s].suivante) {
    CASE_CACHE& k = cases[s];
    if (k.classe != classe || k.camp != camp || index - k.premier >= uint32_t(TB_TAILLE_BLOC) ||
        index < k.premier)
      continue;
    if (recente != s) {
      retire_recence(s);
      ajoute_recente(s);
    }
    if (k.precedente >= 0) {
      retire_chaine(s);
      ajoute_chaine(s);
    }
    return int8_t(k.donnees[index - k.premier]);
  }

  // 3. Miss: a free slot, or the oldest one taken from its table.
  int16_t s = libre;
  if (s >= 0) {
    libre = cases[s].plus_ancienne;
  } else {
    s = ancienne;
    retire_recence(s);
    retire_chaine(s);
  }
  CASE_CACHE& k = cases[s];
  k.classe = int16_t(classe);
  k.camp = int16_t(camp);
  k.premier = index & ~uint32_t(TB_TAILLE_BLOC - 1);

  // 4. Open the file on first use; when that fails, close all and retry.
  if (!c.ouvert[camp]) {
    c.ouvert[camp] = fopen(c.fichier[camp].c_str(), "rb");
    if (!c.ouvert[camp]) {
      TbCloseAll();
      c.ouvert[camp] = fopen(c.fichier[camp].c_str(), "rb");
    }
  }

  // 5-6. Read the block; a failure drops the table and frees the slot.
  if (!c.ouvert[camp] || !lit_bloc(c, camp, k.premier, k.donnees)) {
    if (c.ouvert[camp]) fclose(c.ouvert[camp]);
    c.ouvert[camp] = nullptr;
    c.fichier[camp].clear();
    k.plus_ancienne = libre;
    libre = s;
    return 127;
  }

  // 7. The new block is the newest and heads its chain.
  ajoute_recente(s);
  ajoute_chaine(s);
  return int8_t(k.donnees[index - k.premier]);
}

uint64_t TbBlockReads() { return lectures; }
