// FEN text of the engine's position: writing it, and setting the position
// up from it.
#include <cstring>
#include <string>

#include "board/camp.h"
#include "board/echiquier.h"
#include "board/movegen.h"
#include "board/sauvegarde.h"
#include "board/setup.h"
#include "notation/texte.h"

namespace {

constexpr char LETTRES_FEN[] = "KQRBNPP";

// Piece type of a FEN letter (upper-cased), or -1.
int type_fen(char c) { return c == 'P' ? PION_BLANC : type_lettre(c); }

// Puts a colour's rooks in their castling slots when they stand in the
// corners in each other's slot (two rooks on one wing are placed in the
// order they are read, not by corner).
template <int C>
void range_tours(CEchiquier& e) {
  using T = Camp<C>;
  constexpr int t = T::tour_dame;
  static_assert(T::tour_roi == t + 1);
  if (e.echiquier[T::coin_roi] != t && e.echiquier[T::coin_dame] != t + 1) return;
  const int a = e.pos_piece[t], b = e.pos_piece[t + 1];
  if (a < 0 || b < 0) return;
  e.pos_piece[t] = b;
  e.pos_piece[t + 1] = a;
  e.echiquier[b] = t;
  e.echiquier[a] = t + 1;
}

// Castling state i keeps the 0 that the placement allows only when its
// letter was given; a state the placement marks as done stays.
void applique_roques(CEchiquier& e, const bool lettres[4]) {
  for (int i = 0; i < 4; ++i)
    if (e.roque[i] == ROQUE_POSSIBLE && !lettres[i]) e.roque[i] = ROQUE_PERDU;
}

// Square of an en passant field ("e3", "d6") for the side to move, or -1.
int case_en_passant(const char* p, int trait) {
  if (p[0] < 'a' || p[0] > 'h') return -1;
  if (p[1] != (trait == BLANCS ? '6' : '3')) return -1;
  return (p[1] - '1') * 8 + (p[0] - 'a');
}

// Name of a square ("e3").
std::string nom_case(int q) { return {char('a' + q % 8), char('1' + q / 8)}; }

// Reads the placement, eight files a rank, rank 8 first, into the emptied
// board e and moves p past it; returns why it cannot stand, or "".
std::string lit_placement(CEchiquier& e, const char*& p) {
  for (int r = 7; r >= 0; --r) {
    int f = 0;
    while (f < 8) {
      const char c = *p;
      if (c == 0) {
        // The text ends inside the placement
        return "the placement ends at rank " + std::to_string(r + 1);
      }
      ++p;
      if (est_chiffre(c)) {
        f += c - '0';
        continue;
      }
      const bool minuscule = c >= 'a' && c <= 'z';
      const int type = type_fen(minuscule ? char(c - 32) : c);
      if (type < 0) {
        ++f;  // anything else stands for one empty square
        continue;
      }
      const int couleur = minuscule ? NOIRS : BLANCS;
      const int q = r * 8 + f;
      const int slot = type == PION_BLANC ? e.AjoutePion(couleur, q) : e.AjoutePiece(couleur, type, q);
      if (slot < 0) {
        return "no room for " + std::string(1, c) + " on " + nom_case(q);
      }
      ++f;
    }
    // The character after a rank: "/" between ranks, the space after rank 1
    if (*p) ++p;
  }
  if (e.pos_piece[0] < 0 || e.pos_piece[16] < 0) return motif_placement(e);
  return "";

}

}  // namespace

void CEchiquier::CreeForsythe(char* texte) {
  char* t = texte;
  // Placement, rank 8 first
  for (int r = 7; r >= 0; --r) {
    int vides = 0;
    for (int f = 0; f < 8; ++f) {
      const int s = echiquier[r * 8 + f];
      const int type = s < VIDE ? type_piece[s] : -1;
      if (type < ROI || type > PION_NOIR) {
        ++vides;
        continue;
      }
      if (vides) *t++ = char('0' + vides);
      vides = 0;
      *t++ = s >= 16 ? char(LETTRES_FEN[type] + 32) : LETTRES_FEN[type];
    }
    if (vides) *t++ = char('0' + vides);
    if (r > 0) *t++ = '/';
  }
  // Side to move, castling, en passant
  *t++ = ' ';
  *t++ = trait == BLANCS ? 'w' : 'b';
  *t++ = ' ';
  const char* debut_roques = t;
  if (roque[0] == ROQUE_POSSIBLE) *t++ = 'K';
  if (roque[2] == ROQUE_POSSIBLE) *t++ = 'Q';
  if (roque[1] == ROQUE_POSSIBLE) *t++ = 'k';
  if (roque[3] == ROQUE_POSSIBLE) *t++ = 'q';
  if (t == debut_roques) *t++ = '-';

  // The square behind a pawn that has just made a double step, when the
  // list holds an en passant capture to it
  const uint32_t dernier = index_courant >= 0 ? partie.LitA(index_courant).coup : double_pas_depart;
  const int cible = (case_depart(dernier) + case_arrivee(dernier)) / 2;
  bool en_passant = false;
  for (const uint32_t* l = liste_coups; dernier != 0 && *l && !en_passant; ++l)
    en_passant = !(*l & COUP_ILLEGAL) && (*l & GENRE_COUP) == PRISE_EN_PASSANT && case_arrivee(*l) == cible;
  *t++ = ' ';
  if (en_passant) {
    *t++ = char('a' + cible % 8);
    *t++ = char('1' + cible / 8);
  } else {
    *t++ = '-';
  }
  *t = 0;
}

int CEchiquier::LitForsythe(const char* texte) {
  CSauvegardeJeu sauvegarde(*this);
  const int r = lit_forsythe(texte);
  if (r != 0) sauvegarde.restaure();
  else motif_echec.clear();
  return r;
}

int CEchiquier::lit_forsythe(const char* texte) {
  motif_echec.clear();
  const char* p = saute_blancs(texte);
  vide_echiquier(*this);

  // Placement
  const std::string motif = lit_placement(*this, p);
  if (!motif.empty()) {
    motif_echec = motif;
    refuse_position(*this);
    return -2;
  }

  // Side to move
  p = saute_blancs(p);
  const int cote = *p == 0 || *p == 'w' || *p == 'W' ? BLANCS : NOIRS;
  if (*p) ++p;
  p = saute_blancs(p);

  // Castling: the letters, in the order K Q k q, grant what the placement allows
  range_tours<BLANCS>(*this);
  range_tours<NOIRS>(*this);
  DroitsRoque();
  bool lettres[4] = {false, false, false, false};
  static constexpr struct { char lettre; int etat; } ORDRE[4] = {{'K', 0}, {'Q', 2}, {'k', 1}, {'q', 3}};
  for (const auto& o : ORDRE) {
    if (*p == o.lettre) {
      lettres[o.etat] = true;
      ++p;
    }
  }
  applique_roques(*this, lettres);

  // En passant field: the rest of the castling field is passed over
  while (*p && !est_blanc(*p)) ++p;
  p = saute_blancs(p);
  const int cible = case_en_passant(p, cote);

  const int r = RecalculePosition(cote);
  if (r != 0) motif_echec = "the side not to move is in check";
  if (r != 0 || cible < 0) return r;

  // A pawn that has just passed the square: take it back and let the
  // generator replay the double step, which lists the en passant replies.
  const int avant = cote == BLANCS ? -8 : 8;  // the passing pawn's direction
  const int arrivee = cible + avant, depart = cible - avant;
  const int pion = echiquier[arrivee];
  if (pion == VIDE || type_piece[pion] != (cote == BLANCS ? PION_NOIR : PION_BLANC) ||
      echiquier[cible] != VIDE || echiquier[depart] != VIDE)
    return 0;
  // An illegal replay cannot happen once the side not to move is known not
  // to be in check; the pawn then stays where the text put it.
  const uint32_t pas = cree_coup(depart, arrivee);
  if (!rejoue_double_pas(pas)) return 0;
  double_pas_depart = pas;
  CreeForsythe(fen_depart);  // now with its en passant square
  note_premiere_occurrence(prise_en_passant_listee());
  return 0;
}
