// Retrograde analysis by levels of plies. Level d holds the positions whose
// result is decided d plies from mate, and the captures or promotions whose
// smaller-class result lies d plies from mate. A position is won at d + 1
// as soon as one move reaches a position lost at d; it is lost at d + 1
// when the last of its moves has been found to reach a won position.
// Symmetric images of a position share a result. Most share an index too;
// those that do not (both kings on the long diagonal) are twins, and the
// smaller index of the two carries the analysis for both.
#include "tablebase/generation.h"

#include <algorithm>
#include <cstring>

#include "tablebase/classes.h"
#include "tablebase/gencoups.h"
#include "tablebase/index.h"
#include "tablebase/probe.h"
#include "tablebase/registry.h"

namespace {

const int NIVEAUX = 256;
const int16_t INCONNU = -2, NULLE = -1;

int genre_lettre(char l) {
  switch (l) {
    case 'q': return TBG_DAME;
    case 'r': return TBG_TOUR;
    case 'b': return TBG_FOU;
    case 'n': return TBG_CAVALIER;
    default: return TBG_PION;
  }
}

const int POSITION_LISTE[6] = {TB_ROI, TB_DAMES, TB_TOURS, TB_FOUS, TB_CAVALIERS, TB_PIONS};

// Probe lists of both sides (White first).
void listes_de(const POSITION_GEN& p, int blancs[TB_LISTE], int noirs[TB_LISTE]) {
  for (int i = 0; i < TB_LISTE; i++) blancs[i] = noirs[i] = -1;
  for (int h = 0; h < p.nb; h++) {
    if (p.case_[h] < 0) continue;
    int* l = p.couleur[h] ? noirs : blancs;
    int k = POSITION_LISTE[p.genre[h]];
    while (l[k] >= 0) k++;
    l[k] = p.case_[h];
  }
}

uint32_t index_de(const POSITION_GEN& p, FONCTION_INDEX f) {
  int blancs[TB_LISTE], noirs[TB_LISTE];
  listes_de(p, blancs, noirs);
  return f(blancs, noirs, -1, 0);
}

// Result of a smaller-class position for its side to move, through the
// registered tables: the ply distance (odd = won, even = lost), -1 for a
// draw, -2 when no table answers.
int resultat_sortie(const POSITION_GEN& p) {
  int pos_piece[32], type_piece[33];
  for (int i = 0; i < 32; i++) pos_piece[i] = -1, type_piece[i] = -1;
  type_piece[32] = -1;
  int prochain[2] = {1, 17};
  for (int h = 0; h < p.nb; h++) {
    if (p.case_[h] < 0) continue;
    int s = p.genre[h] == TBG_ROI ? 16 * p.couleur[h] : prochain[p.couleur[h]]++;
    pos_piece[s] = p.case_[h];
    type_piece[s] = p.genre[h] == TBG_PION ? 5 + p.couleur[h] : p.genre[h];
  }
  if (TbCountMaterial(pos_piece, type_piece) == 0) return -1;
  TbLoadPieces(pos_piece, type_piece);
  int r = TbProbe(p.trait, -1);
  if (r == TB_PAS_DE_RESULTAT) return -2;
  if (r == 0) return -1;
  if (r >= 32640) return r == 32640 ? 2 * 127 - 1 : 2 * (32767 - r) - 1;
  if (r >= -32640) return 2 * 127;
  return 2 * (r + 32766);
}

// Square under one of the board's symmetries: bit 0 mirrors files, bit 1
// ranks, bit 2 the long diagonal.
int symetrie(int c, int k) {
  int f = c & 7, r = c >> 3;
  if (k & 1) f = 7 - f;
  if (k & 2) r = 7 - r;
  return k & 4 ? f * 8 + r : r * 8 + f;
}

uint32_t emballe(const POSITION_GEN& p) {
  uint32_t v = 0;
  for (int h = p.nb - 1; h >= 0; h--) v = v << 6 | uint32_t(p.case_[h]);
  return v;
}

void deballe(uint32_t v, POSITION_GEN& p) {
  for (int h = 0; h < p.nb; h++, v >>= 6) p.case_[h] = int(v & 63);
  p.place();
}

void signature_de(const POSITION_GEN& p, int sig[TB_SIGNATURE_TAILLE]) {
  const int compte[6] = {-1, 4, 3, 2, 1, 0};
  for (int i = 0; i < TB_SIGNATURE_TAILLE; i++) sig[i] = 0;
  for (int h = 0; h < p.nb; h++)
    if (p.case_[h] >= 0 && p.genre[h] != TBG_ROI) sig[5 * p.couleur[h] + compte[p.genre[h]]]++;
}

int classe_de_signature(const int sig[TB_SIGNATURE_TAILLE]) {
  for (int c = 1; c <= TB_NB_CLASSES; c++) {
    int s[TB_SIGNATURE_TAILLE];
    TbNameSignature(TB_DEFINITIONS[c].nom, s);
    bool droit = true, inverse = true;
    for (int i = 0; i < TB_SIGNATURE_TAILLE; i++) {
      droit &= s[i] == sig[i];
      inverse &= s[i] == sig[(i + 5) % 10];
    }
    if (droit || inverse) return c;
  }
  return 0;
}

// State of one generation.
struct Generation {
  int classe;
  POSITION_GEN modele;
  FONCTION_INDEX index[2];
  uint32_t longueur[2];
  std::vector<uint32_t> representant[2];  // packed squares, 0xFFFFFFFF = none
  std::vector<int16_t> etat[2];           // INCONNU, NULLE or ply distance
  std::vector<uint8_t> compte[2];         // moves not yet known to lose
  std::vector<uint32_t> jumeau[2];        // index of the twin image, or itself
  std::vector<std::vector<uint64_t>> niveaux;
  std::string* erreur;

  static uint64_t position(int t, uint32_t i) { return uint64_t(t) << 32 | i; }
  static uint64_t sortie(int t, uint32_t i) { return uint64_t(1) << 40 | position(t, i); }

  uint32_t canon(int t, uint32_t i) const { return std::min(i, jumeau[t][i]); }
  bool enumere(SUIVI_GENERATION suivi);
  bool jumelle();
  bool initialise(SUIVI_GENERATION suivi);
  void applique(int t, uint32_t i, int d);
  void analyse(SUIVI_GENERATION suivi);
  void ecrit(std::vector<int8_t> tables[2]);
};

// 1. Every legal placement: one representative per index.
bool Generation::enumere(SUIVI_GENERATION suivi) {
  for (int t = 0; t < 2; t++) {
    representant[t].assign(longueur[t], 0xFFFFFFFFu);
    etat[t].assign(longueur[t], INCONNU);
    compte[t].assign(longueur[t], 0);
  }
  POSITION_GEN p = modele;
  int n = p.nb;
  int64_t total = 1;
  for (int h = 0; h < n; h++) total *= 64;
  for (int64_t code = 0; code < total; code++) {
    int64_t c = code;
    for (int h = 0; h < n; h++, c >>= 6) p.case_[h] = int(c & 63);
    uint64_t vues = 0;
    bool distinctes = true;
    for (int h = 0; h < n; h++) {
      distinctes &= !(vues >> p.case_[h] & 1);
      vues |= uint64_t(1) << p.case_[h];
    }
    if (!distinctes) continue;
    p.place();
    for (int t = 0; t < 2; t++) {
      p.trait = t;
      if (!TbgLegal(p)) continue;
      uint32_t i = index_de(p, index[t]);
      if (i >= longueur[t]) {
        *erreur = "legal position indexed at " + std::to_string(i) + " beyond the table length";
        return false;
      }
      if (representant[t][i] == 0xFFFFFFFFu) representant[t][i] = emballe(p);
    }
  }
  if (suivi) suivi("positions enumerated");
  return true;
}

// 1b. Indices of the symmetric images of every position.
bool Generation::jumelle() {
  bool pions = false;
  for (int h = 0; h < modele.nb; h++) pions |= modele.genre[h] == TBG_PION;
  for (int t = 0; t < 2; t++) {
    jumeau[t].resize(longueur[t]);
    for (uint32_t i = 0; i < longueur[t]; i++) {
      jumeau[t][i] = i;
      if (representant[t][i] == 0xFFFFFFFFu) continue;
      POSITION_GEN p = modele;
      p.trait = t;
      deballe(representant[t][i], p);
      for (int k = 1; k < (pions ? 2 : 8); k++) {
        POSITION_GEN q = p;
        for (int h = 0; h < q.nb; h++) q.case_[h] = symetrie(p.case_[h], k);
        uint32_t j = index_de(q, index[t]);
        if (j == i) continue;
        if (j >= longueur[t] || (jumeau[t][i] != i && jumeau[t][i] != j)) {
          *erreur = "a position has more than two indices among its images";
          return false;
        }
        jumeau[t][i] = j;
      }
    }
  }
  return true;
}

// 2. Moves of every position: mates, stalemates, exits, successor counts.
bool Generation::initialise(SUIVI_GENERATION suivi) {
  COUP_GEN coups[TBG_MAX_COUPS];
  std::vector<uint32_t> suivants;
  for (int t = 0; t < 2; t++)
    for (uint32_t i = 0; i < longueur[t]; i++) {
      if (representant[t][i] == 0xFFFFFFFFu || canon(t, i) != i) continue;
      POSITION_GEN p = modele;
      p.trait = t;
      deballe(representant[t][i], p);
      int n = TbgMoves(p, coups);
      if (n == 0) {
        bool echec = TbgAttacked(p, p.case_[t], 1 - t);
        etat[t][i] = echec ? 0 : NULLE;
        if (echec) niveaux[0].push_back(position(t, i));
        continue;
      }
      suivants.clear();
      int sorties = 0;
      for (int k = 0; k < n; k++) {
        POSITION_GEN q = p;
        TbgPlay(q, coups[k]);
        if (coups[k].prise < 0 && coups[k].promotion < 0) {
          suivants.push_back(canon(1 - t, index_de(q, index[1 - t])));
          continue;
        }
        int d = resultat_sortie(q);
        if (d == -2) {
          int sig[TB_SIGNATURE_TAILLE];
          signature_de(q, sig);
          *erreur = std::string("the table of ") + TB_DEFINITIONS[classe_de_signature(sig)].nom +
                    " is not registered";
          return false;
        }
        sorties++;
        if (d >= 0) niveaux[std::min(d, NIVEAUX - 2)].push_back(sortie(t, i));
      }
      std::sort(suivants.begin(), suivants.end());
      suivants.erase(std::unique(suivants.begin(), suivants.end()), suivants.end());
      compte[t][i] = uint8_t(sorties + suivants.size());
    }
  if (suivi) suivi("moves counted");
  return true;
}

// A successor of (t, i) has been decided at ply d.
void Generation::applique(int t, uint32_t i, int d) {
  if (etat[t][i] != INCONNU) return;
  if (d % 2 == 0 || --compte[t][i] == 0) {
    etat[t][i] = int16_t(d + 1);
    niveaux[d + 1].push_back(position(t, i));
  }
}

// 3. Levels in ply order, each walking back to the positions before.
void Generation::analyse(SUIVI_GENERATION suivi) {
  POSITION_GEN precedentes[TBG_MAX_COUPS];
  std::vector<uint32_t> vus;
  for (int d = 0; d + 1 < NIVEAUX; d++) {
    for (size_t k = 0; k < niveaux[d].size(); k++) {
      uint64_t e = niveaux[d][k];
      int t = int(e >> 32 & 1);
      uint32_t i = uint32_t(e);
      if (e >> 40) {
        applique(t, i, d);
        continue;
      }
      vus.clear();
      const uint32_t images[2] = {i, jumeau[t][i]};
      for (int k = 0; k < (images[1] == i ? 1 : 2); k++) {
        uint32_t image = images[k];
        POSITION_GEN q = modele;
        q.trait = t;
        deballe(representant[t][image], q);
        int n = TbgUnmoves(q, precedentes);
        for (int j = 0; j < n; j++) vus.push_back(canon(1 - t, index_de(precedentes[j], index[1 - t])));
      }
      std::sort(vus.begin(), vus.end());
      vus.erase(std::unique(vus.begin(), vus.end()), vus.end());
      for (uint32_t p : vus) applique(1 - t, p, d);
    }
    if (suivi && !niveaux[d].empty() && d % 10 == 0)
      suivi("ply " + std::to_string(d) + ": " + std::to_string(niveaux[d].size()) + " entries");
    std::vector<uint64_t>().swap(niveaux[d]);
  }
}

// 4. Bytes: distances in moves, draws, and 127 where no position is.
void Generation::ecrit(std::vector<int8_t> tables[2]) {
  for (int t = 0; t < 2; t++) {
    tables[t].assign(longueur[t], 0);
    for (uint32_t i = 0; i < longueur[t]; i++) {
      int16_t e = etat[t][canon(t, i)];
      if (representant[t][i] == 0xFFFFFFFFu) tables[t][i] = TB_OCTET_ILLEGAL;
      else if (e < 0) tables[t][i] = 0;
      else if (e % 2) tables[t][i] = int8_t((e + 1) / 2 <= 126 ? 127 - (e + 1) / 2 : -128);
      else tables[t][i] = int8_t(e / 2 <= 125 ? e / 2 - 126 : -127);
    }
  }
}

}  // namespace

void TbClassPosition(int classe, POSITION_GEN& p) {
  const char* nom = TB_DEFINITIONS[classe].nom;
  p.nb = 2;
  p.genre[0] = p.genre[1] = TBG_ROI;
  p.couleur[0] = 0;
  p.couleur[1] = 1;
  int cote = -1;
  for (const char* l = nom; *l; l++) {
    if (*l == 'k') { cote++; continue; }
    if (p.nb == TBG_MAX_HOMMES) break;
    p.couleur[p.nb] = cote;
    p.genre[p.nb++] = genre_lettre(*l);
  }
  for (int h = 0; h < p.nb; h++) p.case_[h] = -1;
  p.place();
}

std::vector<int> TbSuccessorClasses(int classe) {
  std::vector<int> r;
  POSITION_GEN p;
  TbClassPosition(classe, p);
  for (int h = 0; h < p.nb; h++) p.case_[h] = h;
  auto ajoute = [&](const POSITION_GEN& q) {
    int sig[TB_SIGNATURE_TAILLE];
    signature_de(q, sig);
    int c = classe_de_signature(sig);
    if (c && c != classe && std::find(r.begin(), r.end(), c) == r.end()) r.push_back(c);
  };
  for (int h = 2; h < p.nb; h++) {
    POSITION_GEN q = p;
    q.case_[h] = -1;
    ajoute(q);
    if (p.genre[h] != TBG_PION) continue;
    for (int g = TBG_DAME; g <= TBG_CAVALIER; g++) {
      POSITION_GEN promue = p;
      promue.genre[h] = g;
      ajoute(promue);
      for (int x = 2; x < p.nb; x++) {
        if (x == h || p.couleur[x] == p.couleur[h]) continue;
        POSITION_GEN prise = promue;
        prise.case_[x] = -1;
        ajoute(prise);
      }
    }
  }
  return r;
}

bool TbGenerate(int classe, std::vector<int8_t> tables[2], std::string* erreur,
                SUIVI_GENERATION suivi) {
  std::string poubelle;
  if (!erreur) erreur = &poubelle;
  if (classe < 1 || classe > TB_NB_CLASSES) {
    *erreur = "no such class";
    return false;
  }
  TbBuildIndexTables();
  Generation g;
  g.classe = classe;
  g.erreur = erreur;
  TbClassPosition(classe, g.modele);
  const char* nom = TB_DEFINITIONS[classe].nom;
  if (g.modele.nb > 4) {
    *erreur = std::string(nom) + ": only classes of three or four men are generated";
    return false;
  }
  bool pions[2] = {false, false};
  for (int h = 0; h < g.modele.nb; h++) pions[g.modele.couleur[h]] |= g.modele.genre[h] == TBG_PION;
  if (pions[0] && pions[1]) {
    *erreur = std::string(nom) + ": pawns on both sides need en-passant positions, not generated";
    return false;
  }
  for (int s : TbSuccessorClasses(classe))
    if (!classes_tb[s].enregistree(0) || !classes_tb[s].enregistree(1)) {
      *erreur = std::string("the table of ") + TB_DEFINITIONS[s].nom + " is not registered";
      return false;
    }
  for (int t = 0; t < 2; t++) {
    g.index[t] = TbIndexFunction(classe, t);
    g.longueur[t] = uint32_t(t ? TB_DEFINITIONS[classe].taille_nbb : TB_DEFINITIONS[classe].taille_nbw);
  }
  g.niveaux.resize(NIVEAUX);
  if (!g.enumere(suivi) || !g.jumelle() || !g.initialise(suivi)) return false;
  g.analyse(suivi);
  g.ecrit(tables);
  return true;
}
