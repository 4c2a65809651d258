#include "notation/san.h"

#include <cstring>

#include "board/movegen.h"
#include "notation/coordonnees.h"

namespace {

// Appends `texte` when it fits whole.
void ajoute(char* sortie, size_t taille, const char* texte) {
  const size_t n = std::strlen(sortie), m = std::strlen(texte);
  if (n + m + 1 > taille) return;
  std::memcpy(sortie + n, texte, m + 1);
}

int type_sur(const EMPILAGE& e, int case_) { return e.type_piece[e.echiquier[case_]]; }

// Disambiguation of `coup` by a piece of type `type` against the other
// legal entries that reach the same square with a piece of the same type.
// `meme` tells which entries are the move itself.
template <class Meme>
char desambiguation(uint32_t coup, int type, const uint32_t* liste, const EMPILAGE& e, Meme meme) {
  if (type < 0 || type >= PION_BLANC) return 0;
  char c = 0;
  for (; *liste; ++liste) {
    const uint32_t m = *liste;
    if ((m & COUP_ILLEGAL) || meme(m) || case_arrivee(m) != case_arrivee(coup)) continue;
    if (case_depart(m) == case_depart(coup) || type_sur(e, case_depart(m)) != type) continue;
    c = colonne(case_depart(m)) != colonne(case_depart(coup)) ? char('a' + colonne(case_depart(coup)))
                                                                : char('1' + rangee(case_depart(coup)));
  }
  return c;
}

}  // namespace

void ecrit_jeton_san(char* sortie, size_t taille, uint32_t coup, int type, int prise,
                     char desambiguation) {
  const uint32_t genre = coup & GENRE_COUP;
  if (genre == PETIT_ROQUE) return ajoute(sortie, taille, "O-O ");
  if (genre == GRAND_ROQUE) return ajoute(sortie, taille, "O-O-O ");
  if (genre == PRISE_EN_PASSANT) prise = 1;

  char jeton[16];
  int n = 0;
  if (type >= 0 && type < PION_BLANC) jeton[n++] = lettres_pieces[type];
  else if (prise) jeton[n++] = char('a' + colonne(case_depart(coup)));
  if (desambiguation) jeton[n++] = desambiguation;
  if (prise) jeton[n++] = 'x';
  jeton[n++] = char('a' + colonne(case_arrivee(coup)));
  jeton[n++] = char('1' + rangee(case_arrivee(coup)));
  if (coup & PROMOTION) {
    jeton[n++] = '=';
    jeton[n++] = lettres_pieces[1 + ((genre - PROMOTION) >> 12)];
  }
  jeton[n++] = ' ';
  jeton[n] = 0;
  ajoute(sortie, taille, jeton);
}

void ecrit_san(char* sortie, size_t taille, uint32_t coup, const uint32_t* liste, const EMPILAGE& e) {
  // The moving piece
  const int de = case_depart(coup);
  if (e.echiquier[de] == VIDE) return;
  const int type = type_sur(e, de);

  // The legal entry of the move
  const uint32_t* trouve = nullptr;
  for (const uint32_t* l = liste; *l; ++l)
    if (!(*l & COUP_ILLEGAL) && (*l & 0xfff) == (coup & 0xfff)) trouve = l;
  if (!trouve) return;
  if ((*trouve & PROMOTION) && !(coup & PROMOTION)) return;
  if (coup & PROMOTION) {
    trouve = nullptr;
    for (const uint32_t* l = liste; *l && !trouve; ++l)
      if (!(*l & COUP_ILLEGAL) && (*l & 0xffff) == (coup & 0xffff)) trouve = l;
    if (!trouve) return;
  }

  const uint32_t m = *trouve & 0xffff;
  const char d = desambiguation(m, type, liste, e, [m](uint32_t x) { return (x & 0xfff) == (m & 0xfff); });
  ecrit_jeton_san(sortie, taille, m, type, e.echiquier[case_arrivee(m)] != VIDE, d);
}

void ecrit_san_variante(char* sortie, size_t taille, const uint32_t* pv, int index, int trait,
                        const uint32_t* liste, const EMPILAGE& e) {
  EMPILAGE local = e;
  uint32_t listes[2][TAILLE_LISTE_COUPS];
  for (; index < LONGUEUR_PV - 1 && pv[index] != 0; ++index, trait ^= 1) {
    const uint32_t coup = pv[index] & 0xffff;

    // Only a legal entry of the position reached is written and played
    bool legal = false;
    for (const uint32_t* l = liste; *l && !legal; ++l)
      legal = !(*l & COUP_ILLEGAL) && (*l & 0xffff) == coup;
    if (!legal) return;

    const int type = type_sur(local, case_depart(coup));
    const char d = desambiguation(coup, type, liste, local, [coup](uint32_t x) { return (x & 0xffff) == coup; });
    ecrit_jeton_san(sortie, taille, coup, type, local.echiquier[case_arrivee(coup)] != VIDE, d);

    // Play it on the local copy and list the replies
    uint32_t* reponses = listes[index & 1];
    const uint32_t r = trait == BLANCS ? genere_noirs(reponses, coup, 0, &local)
                                       : genere_blancs(reponses, coup, 0, &local);
    if (r & COUP_ILLEGAL) return;
    liste = reponses;
  }
}

void ecrit_coordonnees_variante(char* sortie, size_t taille, const uint32_t* pv) {
  if (taille == 0) return;
  sortie[0] = 0;
  for (int i = 0; i < LONGUEUR_PV - 1 && pv[i] != 0; ++i) {
    char t[8];
    texte_coordonnees(pv[i], t);
    std::strcat(t, " ");
    ajoute(sortie, taille, t);
  }
}
