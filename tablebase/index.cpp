// Position indexing. Every table's layout is a composition of three parts:
// the frame (a symmetry that puts the side to move's king in a normal
// place), the enumerated part (king pair and the men of the side to move,
// counted through the placement and base tables) and the free part (the
// other men, numbered among the squares left).
#include "tablebase/index.h"

#include <utility>

namespace {

// Index tables, written once by TbBuildIndexTables.
uint8_t placement[6][64][64];     // running number of a square per kind and waiting king
uint8_t nb_places[6][64];         // allowed squares per kind and waiting king
int16_t paire_rois[2][64][64];    // [pawns?][mover king][waiting king]
uint32_t base1[2][6][TB_PAIRES_AVEC_PIONS + 1];
uint32_t base2[2][6][6][TB_PAIRES_AVEC_PIONS + 1];
bool index_construits = false;  // the tables above are filled

int colonne_(int c) { return c & 7; }
int rangee_(int c) { return c >> 3; }
bool voisines(int a, int b) {
  int dc = colonne_(a) - colonne_(b), dr = rangee_(a) - rangee_(b);
  return a != b && dc >= -1 && dc <= 1 && dr >= -1 && dr <= 1;
}

bool case_permise(int genre, int w, int c) {
  if (c == w) return false;
  int dc = colonne_(c) - colonne_(w), dr = rangee_(c) - rangee_(w);
  int adc = dc < 0 ? -dc : dc, adr = dr < 0 ? -dr : dr;
  switch (genre) {
    case TB_GENRE_PION_ATTENTE:
      return c >= 8 && c < 56;
    case TB_GENRE_PION_TRAIT:
      if (c < 8 || c >= 56) return false;
      if (colonne_(c) != 0 && c + 7 == w) return false;
      return !(colonne_(c) != 7 && c + 9 == w);
    case TB_GENRE_CAVALIER:
      return !((adc == 1 && adr == 2) || (adc == 2 && adr == 1));
    case TB_GENRE_FOU:
      return !(adc == 1 && adr == 1);
    case TB_GENRE_TOUR:
      return adc + adr != 1;
    default:
      return !voisines(c, w);
  }
}

// Allowed squares of a kind once the mover's king has taken its own.
uint32_t permises(int genre, int m, int w) {
  return nb_places[genre][w] - (placement[genre][w][m] != 255 ? 1 : 0);
}

const int DIX_CASES[10] = {0, 1, 2, 3, 9, 10, 11, 18, 19, 27};

// ------------------------------------------------------------------ recipes

// One man of a class: where it is read and how it is numbered.
struct HOMME {
  int liste = 0;     // 0 first-named side, 1 second-named
  int position = 0;  // position in the probe list
  int genre = 0;     // placement kind (pawns: 0 or 1 by side)
  bool pion = false;
};

// How the index of one class and side to move is composed.
struct RECETTE {
  bool pions = false;
  int trait = 0;  // which list holds the side to move
  int nb_enumeres = 0;
  HOMME enumeres[2];
  int nb_libres = 0;  // free men that are not pawns, in name order
  HOMME libres[3];
  bool paire_libre = false;  // the two free men form one combination
  int nb_pions_libres = 0;
  HOMME pions_libres[2];
  int nb_pions = 0;  // every pawn of the class
  HOMME tous_pions[3];
};

constexpr RECETTE fait_recette(const char* nom, int camp) {
  RECETTE r;
  r.trait = camp;
  HOMME hommes[2][3];
  int nb[2] = {0, 0};
  int cote = -1;
  for (const char* p = nom; *p; p++) {
    if (*p == 'k') { cote++; continue; }
    HOMME h;
    h.liste = cote;
    int base = 0;
    switch (*p) {
      case 'q': h.genre = TB_GENRE_DAME; base = TB_DAMES; break;
      case 'r': h.genre = TB_GENRE_TOUR; base = TB_TOURS; break;
      case 'b': h.genre = TB_GENRE_FOU; base = TB_FOUS; break;
      case 'n': h.genre = TB_GENRE_CAVALIER; base = TB_CAVALIERS; break;
      default: h.pion = true; base = TB_PIONS; break;
    }
    int deja = 0;
    for (int i = 0; i < nb[cote]; i++)
      if (hommes[cote][i].pion == h.pion && hommes[cote][i].genre == h.genre) deja++;
    h.position = base + deja;
    if (h.pion) {
      r.pions = true;
      r.tous_pions[r.nb_pions++] = h;
    }
    hommes[cote][nb[cote]++] = h;
  }
  // The side to move's men are enumerated, its pawns as kind 1; a lone king
  // against pawns enumerates the waiting side's pawns as kind 0.
  bool waiting_pawns = nb[camp] == 0 && r.pions;
  for (int s = 0; s < 2; s++) {
    for (int i = 0; i < nb[s]; i++) {
      HOMME h = hommes[s][i];
      if (s == camp) {
        if (h.pion) h.genre = TB_GENRE_PION_TRAIT;
        r.enumeres[r.nb_enumeres++] = h;
      } else if (waiting_pawns && h.pion) {
        h.genre = TB_GENRE_PION_ATTENTE;
        r.enumeres[r.nb_enumeres++] = h;
      } else if (h.pion) {
        r.pions_libres[r.nb_pions_libres++] = h;
      } else {
        r.libres[r.nb_libres++] = h;
      }
    }
  }
  r.paire_libre = r.nb_libres == 2 && r.libres[0].genre == r.libres[1].genre;
  return r;
}

// Number of an unordered pair of distinct numbers: the larger h's
// triangle h(h-1)/2 plus the smaller.
uint32_t numero_paire(uint32_t a, uint32_t b) {
  const uint32_t h = a > b ? a : b, l = a > b ? b : a;
  return h * (h - 1) / 2 + l;
}

// The frame of a position: the mirroring that brings the king to move into
// its reduced zone (pawnless: the a1-d1-d4 triangle; with pawns: files
// a-d, ranks seen from White) and, for the king pair and the enumerated
// men, the side to move's view of the ranks.
struct CADRE {
  int masque = 0;     // square bits flipped
  int retourne = 0;   // rank flip of the enumerated part
  bool reflet = false;  // mirrored on the a1-h8 diagonal

  CADRE(const RECETTE& r, int roi_trait, int roi_attente, int couleurs_echangees) {
    if (!r.pions) {
      masque = (colonne_(roi_trait) >= 4 ? 7 : 0) ^ (rangee_(roi_trait) >= 4 ? 56 : 0);
      int m = roi_trait ^ masque, w = roi_attente ^ masque;
      bool dans_les_dix = colonne_(m) >= rangee_(m);
      bool diagonale = colonne_(m) == rangee_(m);
      reflet = !(dans_les_dix && (!diagonale || colonne_(w) >= rangee_(w)));
    } else {
      masque = (colonne_(roi_trait) >= 4 ? 7 : 0) ^ (couleurs_echangees ? 56 : 0);
      retourne = r.trait == 1 ? 56 : 0;
    }
  }
  // Square of the free part.
  int libre(int c) const {
    c ^= masque;
    return reflet ? colonne_(c) * 8 + rangee_(c) : c;
  }
  // Square of the king pair and the enumerated men.
  int enumere(int c) const { return libre(c) ^ retourne; }
};

// Index of the king pair and the enumerated men; TB_INDEX_INVALIDE for a
// placement outside the tables.
uint64_t index_enumere(const RECETTE& r, const int* const listes[2], const CADRE& cadre,
                       int roi_trait, int roi_attente) {
  int km = cadre.enumere(roi_trait), kw = cadre.enumere(roi_attente);
  int k = paire_rois[r.pions][km][kw];
  if (k == TB_PAIRE_INVALIDE) return TB_INDEX_INVALIDE;
  uint32_t p[2] = {0, 0};
  for (int i = 0; i < r.nb_enumeres; i++) {
    const HOMME& h = r.enumeres[i];
    int x = listes[h.liste][h.position];
    if (x < 0) return TB_INDEX_INVALIDE;
    x = cadre.enumere(x);
    int n = placement[h.genre][kw][x];
    if (n == 255) return TB_INDEX_INVALIDE;
    if (placement[h.genre][kw][km] != 255 && x > km) n--;
    p[i] = uint32_t(n);
  }
  if (r.nb_enumeres == 0) return uint32_t(k);
  if (r.nb_enumeres == 1) return base1[r.pions][r.enumeres[0].genre][k] + p[0];
  int i = r.enumeres[0].genre, j = r.enumeres[1].genre;
  if (i != j) return base2[r.pions][i][j][k] + uint64_t(p[0]) * permises(j, km, kw) + p[1];
  return base2[r.pions][i][i][k] + uint64_t(numero_paire(p[0], p[1]));
}

// Index of a position by a recipe, from both sides' probe lists.
uint32_t calcule_index(const RECETTE& r, const int* premier, const int* second,
                       int couleurs_echangees) {
  const int* const listes[2] = {premier, second};
  auto case_de = [&](const HOMME& h) { return listes[h.liste][h.position]; };
  int roi_trait = listes[r.trait][0], roi_attente = listes[1 - r.trait][0];
  if (roi_trait < 0 || roi_attente < 0) return TB_INDEX_INVALIDE;

  // Step 1: frame.
  const CADRE cadre(r, roi_trait, roi_attente, couleurs_echangees);

  // Step 2: king pair and enumerated part.
  uint64_t index = index_enumere(r, listes, cadre, roi_trait, roi_attente);
  if (index == TB_INDEX_INVALIDE) return TB_INDEX_INVALIDE;

  // Step 3: free part. Reference men: kings, enumerated men, all pawns;
  // a free man is numbered among the squares they leave.
  int reference[7];
  int nb_ref = 0;
  reference[nb_ref++] = cadre.libre(roi_trait);
  reference[nb_ref++] = cadre.libre(roi_attente);
  for (int i = 0; i < r.nb_enumeres; i++)
    if (!r.enumeres[i].pion) reference[nb_ref++] = cadre.libre(case_de(r.enumeres[i]));
  for (int i = 0; i < r.nb_pions; i++) {
    int x = case_de(r.tous_pions[i]);
    if (x < 0) return TB_INDEX_INVALIDE;
    reference[nb_ref++] = cadre.libre(x);
  }
  auto numero = [&](int c) {
    int n = c;
    for (int i = 0; i < nb_ref; i++) n -= reference[i] < c;
    return uint32_t(n);
  };
  int libres[3];
  for (int i = 0; i < r.nb_libres; i++) {
    libres[i] = case_de(r.libres[i]);
    if (libres[i] < 0) return TB_INDEX_INVALIDE;
    libres[i] = cadre.libre(libres[i]);
  }
  if (r.paire_libre) {
    uint32_t place = uint32_t(64 - nb_ref);
    index = index * (place * (place - 1) / 2) + numero_paire(numero(libres[0]), numero(libres[1]));
  } else {
    for (int i = 0; i < r.nb_libres; i++) {
      uint32_t place = uint32_t(64 - nb_ref);
      index = index * place + numero(libres[i]);
      reference[nb_ref++] = libres[i];
    }
  }

  // Step 4: free pawns, numbered among the 48 pawn squares the enumerated
  // pawns leave.
  if (r.nb_pions_libres) {
    int enumeres[2], nb_enum_pions = 0;
    for (int i = 0; i < r.nb_enumeres; i++)
      if (r.enumeres[i].pion) enumeres[nb_enum_pions++] = cadre.libre(case_de(r.enumeres[i]));
    auto numero_pion = [&](int c) {
      int n = c - 8;
      for (int i = 0; i < nb_enum_pions; i++) n -= enumeres[i] < c;
      return uint32_t(n);
    };
    uint32_t place = uint32_t(48 - nb_enum_pions);
    int a = cadre.libre(case_de(r.pions_libres[0]));
    if (r.nb_pions_libres == 1) {
      index = index * place + numero_pion(a);
    } else {
      int b = cadre.libre(case_de(r.pions_libres[1]));
      index = index * (place * (place - 1) / 2) + numero_paire(numero_pion(a), numero_pion(b));
    }
  }
  return index >= TB_INDEX_INVALIDE ? TB_INDEX_INVALIDE : uint32_t(index);
}

// One index function per class and side to move.
template <int C, int S>
uint32_t index_classe(const int* premier, const int* second, int, int couleurs_echangees) {
  static constexpr RECETTE recette = fait_recette(TB_DEFINITIONS[C].nom, S);
  return calcule_index(recette, premier, second, couleurs_echangees);
}

template <size_t... I>
constexpr auto fait_fonctions(std::index_sequence<I...>) {
  struct Tableau { FONCTION_INDEX f[TB_NB_CLASSES + 1][2]; };
  return Tableau{{{index_classe<int(I), 0>, index_classe<int(I), 1>}...}};
}

constexpr auto fonctions_index = fait_fonctions(std::make_index_sequence<TB_NB_CLASSES + 1>());

}  // namespace

FONCTION_INDEX TbIndexFunction(int classe, int camp) {
  if (classe < 1 || classe > TB_NB_CLASSES || camp < 0 || camp > 1) return nullptr;
  return fonctions_index.f[classe][camp];
}

void TbBuildIndexTables() {
  if (index_construits) return;
  // Placement numbers and counts.
  for (int g = 0; g < 6; g++)
    for (int w = 0; w < 64; w++) {
      int n = 0;
      for (int c = 0; c < 64; c++) placement[g][w][c] = case_permise(g, w, c) ? uint8_t(n++) : 255;
      nb_places[g][w] = uint8_t(n);
    }
  // King pairs, and base tables summed over the pairs in their order.
  for (int pions = 0; pions < 2; pions++) {
    for (int m = 0; m < 64; m++)
      for (int w = 0; w < 64; w++) paire_rois[pions][m][w] = TB_PAIRE_INVALIDE;
    int k = 0;
    uint64_t s1[6] = {0}, s2[6][6] = {{0}};
    for (int m = 0; m < 64; m++) {
      bool premier_roi = false;
      for (int c : DIX_CASES) premier_roi |= !pions && c == m;
      if (pions) premier_roi = colonne_(m) < 4;
      if (!premier_roi) continue;
      for (int w = 0; w < 64; w++) {
        if (w == m || voisines(m, w)) continue;
        if (!pions && colonne_(m) == rangee_(m) && colonne_(w) < rangee_(w)) continue;
        paire_rois[pions][m][w] = int16_t(k);
        for (int i = 0; i < 6; i++) {
          base1[pions][i][k] = uint32_t(s1[i]);
          s1[i] += permises(i, m, w);
          for (int j = 0; j <= i; j++) {
            base2[pions][i][j][k] = uint32_t(s2[i][j]);
            uint64_t a = permises(i, m, w), b = permises(j, m, w);
            s2[i][j] += i == j ? a * (a - 1) / 2 : a * b;
          }
        }
        k++;
      }
    }
    for (int i = 0; i < 6; i++) {
      base1[pions][i][k] = uint32_t(s1[i]);
      for (int j = 0; j <= i; j++) base2[pions][i][j][k] = uint32_t(s2[i][j]);
    }
  }
  index_construits = true;
}

int TbPlacement(int genre, int roi_attente, int case_) {
  return placement[genre][roi_attente][case_];
}

int TbKingPair(bool pions, int roi_trait, int roi_attente) {
  return paire_rois[pions][roi_trait][roi_attente];
}

uint32_t TbEnumerationCount(bool pions, int genre) {
  return base1[pions][genre][pions ? TB_PAIRES_AVEC_PIONS : TB_PAIRES_SANS_PIONS];
}
