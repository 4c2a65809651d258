#include "notation/lecture.h"

#include <cstdio>
#include <cstring>

namespace {

bool est_lettre(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Promotion kind of a letter, English or French; 0 for any other letter.
uint32_t genre_promotion(char lettre) {
  switch (lettre) {
    case 'Q': case 'D': return PROMOTION_DAME;
    case 'R': case 'T': return PROMOTION_TOUR;
    case 'B': case 'F': return PROMOTION_FOU;
    case 'N': case 'C': return PROMOTION_CAVALIER;
    default: return 0;
  }
}

uint32_t lit_roque(const char* texte, int trait) {
  // The fourth character exists only when the first three do.
  const bool quatrieme_tiret = std::strlen(texte) > 3 && texte[3] == '-';
  if (!quatrieme_tiret && (std::strncmp(texte, "O-O", 3) == 0 || std::strncmp(texte, "0-0", 3) == 0))
    return trait == BLANCS ? ROQUE_BLANC_PETIT : ROQUE_NOIR_PETIT;
  if (std::strncmp(texte, "O-O-O", 5) == 0 || std::strncmp(texte, "0-0-0", 5) == 0)
    return trait == BLANCS ? ROQUE_BLANC_GRAND : ROQUE_NOIR_GRAND;
  return 0;
}

}  // namespace

uint32_t lit_coup_coordonnees(char* texte, int trait) {
  majuscules(texte);
  if (texte[0] == 'O' || texte[0] == '0') return lit_roque(texte, trait);

  // From and to squares
  if (std::strlen(texte) < 4) return 0;
  for (int i = 0; i < 4; i += 2) {
    if (texte[i] < 'A' || texte[i] > 'H' || texte[i + 1] < '1' || texte[i + 1] > '8') return 0;
  }
  const uint32_t coup = cree_coup((texte[1] - '1') * 8 + (texte[0] - 'A'),
                                  (texte[3] - '1') * 8 + (texte[2] - 'A'));

  // What follows: en passant, a promotion letter, or nothing of interest
  const char suite = texte[4];
  if (suite == 0) return coup;
  if (suite == 'E' && texte[5] == 'P') return coup | PRISE_EN_PASSANT;
  if (suite == '=') return coup | genre_promotion(texte[5]);
  if (est_lettre(suite)) return coup | genre_promotion(suite);
  return coup;
}

uint32_t lit_coup_san(char* texte, int trait, const uint32_t* liste, const EMPILAGE& e) {
  const char premier = texte[0];
  if (premier == 0) return 0;
  if (premier == 'O' || premier == 'o' || premier == '0') return lit_coup_coordonnees(texte, trait);

  // Piece letter or pawn move, told apart before upper-casing ("b" is a file)
  const bool piece = premier <= 'Z' || premier == 'k' || premier == 'q' || premier == 'r' ||
                     premier == 'n';
  majuscules(texte);

  // Provisional from-hint
  int i = 0;
  if (piece) {
    i = 1;
    if (texte[i] == 'X') ++i;
    if (texte[i] == 0) return 0;
  }
  char indice = texte[i];

  // Destination file, and rank when the hint was in fact the file
  int j = i + 1;
  if (texte[j] == 'X') ++j;
  if (texte[j] == 0) return 0;
  char colonne_dest, rangee_dest = 0;
  if (est_lettre(texte[j])) {
    colonne_dest = texte[j];
  } else {
    colonne_dest = indice;
    indice = 0;
    rangee_dest = texte[j];
  }

  // Destination rank and promotion letter
  char promotion = 0;
  const int k = j + 1;
  if (texte[k] == '=') {
    promotion = texte[k + 1];
  } else if (rangee_dest == 0 && est_chiffre(texte[k])) {
    rangee_dest = texte[k];
    if (texte[k + 1] == '=') promotion = texte[k + 2];
  }

  if (!est_lettre(colonne_dest)) return 0;
  if (piece && rangee_dest == 0) return 0;
  // A square off the board matches nothing
  if (colonne_dest > 'H' || (rangee_dest != 0 && (rangee_dest < '1' || rangee_dest > '8'))) return 0;
  if (indice != 0 && !est_lettre(indice) && !est_chiffre(indice)) return 0;

  // Find the moves that fit
  const int type = piece ? type_lettre(texte[0]) : (trait == BLANCS ? PION_BLANC : PION_NOIR);
  if (type < 0) return 0;
  const int dest = rangee_dest ? (rangee_dest - '1') * 8 + (colonne_dest - 'A') : -1;
  int nb = 0, dernier = -1;
  bool departs_divers = false;
  for (int n = 0; liste[n]; ++n) {
    const uint32_t m = liste[n];
    if (m & COUP_ILLEGAL) continue;
    const int de = case_depart(m), vers = case_arrivee(m);
    const int slot = e.echiquier[de];
    if (slot < 0 || slot > VIDE || e.type_piece[slot] != type) continue;
    if (dest >= 0 ? vers != dest : colonne(vers) != colonne_dest - 'A') continue;
    if (est_chiffre(indice) && rangee(de) != indice - '1') continue;
    if (est_lettre(indice) && colonne(de) != indice - 'A') continue;
    if (dernier >= 0 && case_depart(liste[dernier]) != de) departs_divers = true;
    ++nb;
    dernier = n;
  }
  // Several pieces fit, or one pawn with several promotions and no letter
  if (nb == 0 || departs_divers || (nb > 1 && promotion == 0)) return 0;

  // Hand the squares found to the coordinate reader
  const uint32_t m = liste[dernier];
  char coord[16];
  std::snprintf(coord, sizeof coord, "%c%c%c%c", 'a' + colonne(case_depart(m)),
                '1' + rangee(case_depart(m)), 'a' + colonne(case_arrivee(m)),
                '1' + rangee(case_arrivee(m)));
  if (promotion != 0) {
    coord[4] = '=';
    coord[5] = promotion;
    coord[6] = 0;
  }
  return lit_coup_coordonnees(coord, trait);
}
