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

// The parts of an algebraic move's upper-cased text; 0 where absent.
struct SAN_LU {
  char indice = 0;        // from-file or from-rank that tells moves apart
  char colonne_dest = 0;  // destination file
  char rangee_dest = 0;   // destination rank; 0 when only the file is given
  char promotion = 0;     // promotion letter
};

// Splits the text after its piece letter (when `piece`) into its parts;
// false when it cannot be a move on the board.
bool decoupe_san(const char* texte, bool piece, SAN_LU& lu) {
  // The first character after the piece letter and capture sign
  int i = 0;
  if (piece) {
    i = 1;
    if (texte[i] == 'X') ++i;
    if (texte[i] == 0) return false;
  }
  const char premier = texte[i];

  // Followed by a letter, it is a from-hint and the letter the destination
  // file; otherwise it is the destination file and a rank follows
  int j = i + 1;
  if (texte[j] == 'X') ++j;
  if (texte[j] == 0) return false;
  if (est_lettre(texte[j])) {
    lu.indice = premier;
    lu.colonne_dest = texte[j];
  } else {
    lu.colonne_dest = premier;
    lu.rangee_dest = texte[j];
  }

  // Destination rank and promotion letter
  const int k = j + 1;
  if (texte[k] == '=') {
    lu.promotion = texte[k + 1];
  } else if (lu.rangee_dest == 0 && est_chiffre(texte[k])) {
    lu.rangee_dest = texte[k];
    if (texte[k + 1] == '=') lu.promotion = texte[k + 2];
  }

  if (!est_lettre(lu.colonne_dest)) return false;
  if (piece && lu.rangee_dest == 0) return false;
  // A square off the board matches nothing
  if (lu.colonne_dest > 'H' || (lu.rangee_dest != 0 && (lu.rangee_dest < '1' || lu.rangee_dest > '8')))
    return false;
  return lu.indice == 0 || est_lettre(lu.indice) || est_chiffre(lu.indice);
}

// Index in the list of the legal move of a `type` piece that fits the
// parts, or -1 when none does, several pieces do, or one pawn does with
// several promotions and no letter.
int coup_qui_convient(const SAN_LU& lu, int type, const uint32_t* liste, const EMPILAGE& e) {
  const int dest = lu.rangee_dest ? (lu.rangee_dest - '1') * 8 + (lu.colonne_dest - 'A') : -1;
  int nb = 0, dernier = -1;
  bool departs_divers = false;
  for (int n = 0; liste[n]; ++n) {
    const uint32_t m = liste[n];
    if (m & COUP_ILLEGAL) continue;
    const int de = case_depart(m), vers = case_arrivee(m);
    const int slot = e.echiquier[de];
    if (slot < 0 || slot > VIDE || e.type_piece[slot] != type) continue;
    if (dest >= 0 ? vers != dest : colonne(vers) != lu.colonne_dest - 'A') continue;
    if (est_chiffre(lu.indice) && rangee(de) != lu.indice - '1') continue;
    if (est_lettre(lu.indice) && colonne(de) != lu.indice - 'A') continue;
    if (dernier >= 0 && case_depart(liste[dernier]) != de) departs_divers = true;
    ++nb;
    dernier = n;
  }
  if (nb == 0 || departs_divers || (nb > 1 && lu.promotion == 0)) return -1;
  return dernier;
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

  // The parts of the text, then the one legal move that fits them
  SAN_LU lu;
  if (!decoupe_san(texte, piece, lu)) return 0;
  const int type = piece ? type_lettre(texte[0]) : (trait == BLANCS ? PION_BLANC : PION_NOIR);
  if (type < 0) return 0;
  const int dernier = coup_qui_convient(lu, type, liste, e);
  if (dernier < 0) return 0;
  const char promotion = lu.promotion;

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
