#include "board/movegen.h"

#include <cstdlib>

#include "board/camp.h"
#include "board/tables.h"

namespace {

// Does side A attack square k? Scans A's slots as the legality test does.
template <int A>
bool attaque(const EMPILAGE& w, int k) {
  constexpr int premier = A == BLANCS ? 0 : 16;
  for (int s = premier; s < premier + 16; ++s) {
    const int a = w.pos_piece[s];
    if (a < 0) continue;
    const int d = Tdirection[a][k];
    if (d == 0) continue;
    const int t = w.type_piece[s];
    switch (Tgenre[std::abs(d)]) {
      case 1:
      case 2: {
        if (a + d == k) {
          if (s == premier) return true;  // the king
          if (Tgenre[std::abs(d)] == 2) {
            if (A == BLANCS ? (t == PION_BLANC && d > 0) : (t == PION_NOIR && d < 0)) return true;
          }
        }
        bool glisseur = Tgenre[std::abs(d)] == 1 ? (t == DAME || t == TOUR) : (t == DAME || t == FOU);
        if (!glisseur) break;
        int x = a + d;
        while (x != k && w.echiquier[x] == VIDE) x += d;
        if (x == k) return true;
        break;
      }
      case 3:
        if (t == CAVALIER) return true;
        break;
      default:
        break;
    }
  }
  return false;
}

// Legality of move m of side M on state w without writing the state: the
// occupancy the move leaves is made in place, the king's squares tested,
// and everything put back.
template <int M>
bool coup_legal(EMPILAGE& w, uint32_t m) {
  using T = Camp<M>;
  constexpr int A = 1 - M;
  const int de = case_depart(m), vers = case_arrivee(m);
  const uint32_t genre = m & GENRE_COUP;
  const int p = w.echiquier[de];
  const int c = w.echiquier[vers];
  const int pos_c = c != VIDE ? w.pos_piece[c] : -1;

  w.echiquier[de] = VIDE;
  w.echiquier[vers] = p;
  w.pos_piece[p] = vers;
  if (c != VIDE) w.pos_piece[c] = -1;

  bool attaque_roi;
  if (genre == PETIT_ROQUE || genre == GRAND_ROQUE) {
    const int coin = genre == PETIT_ROQUE ? T::coin_roi : T::coin_dame;
    const int dest_tour = genre == PETIT_ROQUE ? T::arrivee_tour_roi : T::arrivee_tour_dame;
    const int tour = genre == PETIT_ROQUE ? T::tour_roi : T::tour_dame;
    const int occ_coin = w.echiquier[coin], occ_dest = w.echiquier[dest_tour];
    const int pos_tour = w.pos_piece[tour];
    w.echiquier[coin] = VIDE;
    w.echiquier[dest_tour] = tour;
    w.pos_piece[tour] = dest_tour;
    const int passage = genre == PETIT_ROQUE ? vers - 1 : vers + 1;
    attaque_roi = attaque<A>(w, vers) || attaque<A>(w, passage) || attaque<A>(w, de);
    w.pos_piece[tour] = pos_tour;
    w.echiquier[dest_tour] = occ_dest;
    w.echiquier[coin] = occ_coin;
  } else if (genre == PRISE_EN_PASSANT) {
    const int sq = vers - T::avant;
    const int cp = w.echiquier[sq];
    const int pos_cp = cp != VIDE ? w.pos_piece[cp] : -1;
    w.echiquier[sq] = VIDE;
    if (cp != VIDE) w.pos_piece[cp] = -1;
    attaque_roi = attaque<A>(w, w.pos_piece[T::roi]);
    if (cp != VIDE) w.pos_piece[cp] = pos_cp;
    w.echiquier[sq] = cp;
  } else {
    attaque_roi = attaque<A>(w, w.pos_piece[T::roi]);
  }

  if (c != VIDE) w.pos_piece[c] = pos_c;
  w.pos_piece[p] = de;
  w.echiquier[vers] = c;
  w.echiquier[de] = p;
  return !attaque_roi;
}

// Squares of side C's pieces pinned to its king on square roi: each stands
// alone between the king and an enemy queen, rook or bishop on their line.
template <int C>
uint64_t clouees(const EMPILAGE& w, int roi) {
  constexpr int premier_adverse = C == BLANCS ? 16 : 0;
  uint64_t masque = 0;
  for (int s = premier_adverse + 1; s < premier_adverse + 16; ++s) {
    const int a = w.pos_piece[s];
    if (a < 0) continue;
    const int d = Tdirection[a][roi];
    if (d == 0) continue;
    const int t = w.type_piece[s];
    const int g = Tgenre[std::abs(d)];
    if (!(g == 1 ? (t == DAME || t == TOUR) : g == 2 && (t == DAME || t == FOU))) continue;
    int x = a + d;
    while (x != roi && w.echiquier[x] == VIDE) x += d;
    if (x == roi || Camp<C>::est_adverse(w.echiquier[x])) continue;
    int y = x + d;
    while (y != roi && w.echiquier[y] == VIDE) y += d;
    if (y == roi) masque |= uint64_t(1) << x;
  }
  return masque;
}

// Could move m leave its own king on square roi attacked, when that king
// is not in check now? Only a king move (castling included), en passant,
// or a move of a pinned piece (squares in `cloues`).
inline bool peut_exposer(uint32_t m, int roi, uint64_t cloues) {
  const int de = case_depart(m);
  return de == roi || (m & GENRE_COUP) == PRISE_EN_PASSANT || (cloues >> de & 1);
}

// Takes slot c off the board as a capture by side M: material and counts.
template <int M>
void retire_prise(EMPILAGE& w, int c) {
  constexpr int victime = 1 - M;
  w.pos_piece[c] = -1;
  w.materiel += Camp<victime>::signe * -w.valeur_piece[c];
  const bool pion = w.type_piece[c] == Camp<victime>::pion;
  if (victime == BLANCS) (pion ? w.nb_pions_blancs : w.nb_pieces_blanches) -= 1;
  else (pion ? w.nb_pions_noirs : w.nb_pieces_noires) -= 1;
}

// The rook's part of side M's castling: from its corner to the square the
// king passed.
template <int M>
void deplace_tour_roque(EMPILAGE& w, bool petit) {
  using T = Camp<M>;
  const int tour = petit ? T::tour_roi : T::tour_dame;
  const int arrivee = petit ? T::arrivee_tour_roi : T::arrivee_tour_dame;
  w.echiquier[petit ? T::coin_roi : T::coin_dame] = VIDE;
  w.echiquier[arrivee] = tour;
  w.pos_piece[tour] = arrivee;
}

// Applies move m of side M to w; returns the captured slot or VIDE.
template <int M>
int applique(EMPILAGE& w, uint32_t m) {
  using T = Camp<M>;
  using V = Camp<1 - M>;
  const int de = case_depart(m), vers = case_arrivee(m);
  const uint32_t genre = m & GENRE_COUP;
  const int p = w.echiquier[de];
  int prise = w.echiquier[vers];

  w.echiquier[de] = VIDE;
  w.echiquier[vers] = p;
  w.pos_piece[p] = vers;
  if (prise != VIDE) {
    retire_prise<M>(w, prise);
    // Capturing a rook in its corner slot loses that castling.
    if (w.roque[V::roque_roi] == ROQUE_POSSIBLE && prise == V::tour_roi)
      w.roque[V::roque_roi] = ROQUE_PERDU;
    else if (w.roque[V::roque_dame] == ROQUE_POSSIBLE && prise == V::tour_dame)
      w.roque[V::roque_dame] = ROQUE_PERDU;
  }

  switch (genre) {
    case PETIT_ROQUE:
      deplace_tour_roque<M>(w, true);
      w.roque[T::roque_roi] = ROQUE_FAIT;
      w.roque[T::roque_dame] = ROQUE_PERDU;
      break;
    case GRAND_ROQUE:
      deplace_tour_roque<M>(w, false);
      w.roque[T::roque_dame] = ROQUE_FAIT;
      w.roque[T::roque_roi] = ROQUE_PERDU;
      break;
    case PRISE_EN_PASSANT: {
      const int sq = vers - T::avant;
      prise = w.echiquier[sq];
      w.echiquier[sq] = VIDE;
      if (prise != VIDE) retire_prise<M>(w, prise);
      break;
    }
    case 0:
      if (w.roque[T::roque_roi] == ROQUE_POSSIBLE || w.roque[T::roque_dame] == ROQUE_POSSIBLE) {
        if (p == T::roi) {
          w.roque[T::roque_roi] = w.roque[T::roque_dame] = ROQUE_PERDU;
        } else if (p == T::tour_roi) {
          if (w.roque[T::roque_roi] == ROQUE_POSSIBLE) w.roque[T::roque_roi] = ROQUE_PERDU;
        } else if (p == T::tour_dame) {
          if (w.roque[T::roque_dame] == ROQUE_POSSIBLE) w.roque[T::roque_dame] = ROQUE_PERDU;
        }
      }
      break;
    default: {  // promotions: queen, rook, bishop, knight hold the values of slots 1, 2, 4, 6
      static constexpr int types[4] = {DAME, TOUR, FOU, CAVALIER};
      static constexpr int modeles[4] = {1, 2, 4, 6};
      const int i = int((genre - PROMOTION) >> 12);
      const int ancienne = w.valeur_piece[p];
      w.type_piece[p] = types[i];
      w.valeur_piece[p] = w.valeur_piece[modeles[i]];
      w.materiel += T::signe * (w.valeur_piece[p] - ancienne);
      if (M == BLANCS) { --w.nb_pions_blancs; ++w.nb_pieces_blanches; }
      else { --w.nb_pions_noirs; ++w.nb_pieces_noires; }
      break;
    }
  }
  return prise;
}

// Adds a move, or its four promotions in the order queen, rook, bishop, knight.
inline uint32_t* ajoute(uint32_t* l, uint32_t m, bool promotion) {
  if (!promotion) {
    *l++ = m;
  } else {
    *l++ = m | PROMOTION_DAME;
    *l++ = m | PROMOTION_TOUR;
    *l++ = m | PROMOTION_FOU;
    *l++ = m | PROMOTION_CAVALIER;
  }
  return l;
}

// Writes C's pseudo-legal moves of w into l in the fixed order; returns the end.
template <int C>
uint32_t* pseudo_legaux(const EMPILAGE& w, uint32_t* l, uint32_t coup, int prises) {
  using T = Camp<C>;
  for (int s = T::premier; s < T::premier + 16; ++s) {
    const int de = w.pos_piece[s];
    if (de < 0) continue;
    const int t = w.type_piece[s];
    if (t == T::pion) {
      const PAS_PION* pas = TdepPion[C][de];
      while (pas->cible >= 0) {
        const int occ = w.echiquier[pas->cible];
        const bool promo = pas->drapeaux & PAS_PROMOTION;
        if (pas->drapeaux & PAS_POUSSEE) {
          if (occ != VIDE) { pas += pas->saut; continue; }
          if (!prises || promo) l = ajoute(l, cree_coup(de, pas->cible), promo);
          // In captures-only mode the double push is never produced.
          if (prises && pas->saut == 2) { pas += 2; continue; }
        } else if (T::est_adverse(occ)) {
          l = ajoute(l, cree_coup(de, pas->cible), promo);
        }
        ++pas;
      }
    } else if (t >= ROI && t <= CAVALIER) {
      const PAS* pas = Tdep[t][de];
      while (pas->cible >= 0) {
        const int occ = w.echiquier[pas->cible];
        if (occ == VIDE) {
          if (!prises) *l++ = cree_coup(de, pas->cible);
          ++pas;
        } else {
          if (T::est_adverse(occ)) *l++ = cree_coup(de, pas->cible);
          pas += pas->saut;
        }
      }
    }
  }

  // En passant after the opponent's double step.
  if (coup != 0) {
    const int de = case_depart(coup), vers = case_arrivee(coup);
    const int p = w.echiquier[vers];
    const int pion_adverse = C == BLANCS ? PION_NOIR : PION_BLANC;
    const int rang_de = C == BLANCS ? 6 : 1, rang_vers = C == BLANCS ? 4 : 3;
    if (p != VIDE && T::est_adverse(p) && w.type_piece[p] == pion_adverse &&
        rangee(de) == rang_de && rangee(vers) == rang_vers) {
      const int cible = vers + T::avant;
      if (colonne(vers) != 0) {
        const int q = w.echiquier[vers - 1];
        if (q != VIDE && !T::est_adverse(q) && w.type_piece[q] == T::pion)
          *l++ = cree_coup(vers - 1, cible, PRISE_EN_PASSANT);
      }
      if (colonne(vers) != 7) {
        const int q = w.echiquier[vers + 1];
        if (q != VIDE && !T::est_adverse(q) && w.type_piece[q] == T::pion)
          *l++ = cree_coup(vers + 1, cible, PRISE_EN_PASSANT);
      }
    }
  }

  // Castling; check and the pieces' presence are left to the legality test.
  if (!prises) {
    const int b = T::rangee_base;
    if (w.roque[T::roque_roi] == ROQUE_POSSIBLE && w.echiquier[b + 5] == VIDE &&
        w.echiquier[b + 6] == VIDE)
      *l++ = T::petit_roque;
    if (w.roque[T::roque_dame] == ROQUE_POSSIBLE && w.echiquier[b + 3] == VIDE &&
        w.echiquier[b + 2] == VIDE && w.echiquier[b + 1] == VIDE)
      *l++ = T::grand_roque;
  }
  return l;
}

// Tests a move of the other side (or none), applies it to the state when
// it is legal, and lists C's moves with the illegal ones marked. An illegal
// move leaves the state as it was.
template <int C>
uint32_t genere(uint32_t* liste, uint32_t coup, int prises, EMPILAGE* etat) {
  constexpr int M = 1 - C;  // side of the applied move
  EMPILAGE& w = *etat;
  int prise = VIDE;

  // Legality test alone: the state is edited in place and put back as it was.
  if (liste == nullptr) {
    if (coup == 0) return attaque<C>(w, w.pos_piece[Camp<M>::roi]) ? COUP_ILLEGAL : 0;
    return coup_legal<M>(w, coup) ? coup : coup | COUP_ILLEGAL;
  }

  // Test the move, then apply it
  if (coup != 0) {
    if (!coup_legal<M>(w, coup)) return coup | COUP_ILLEGAL;
    prise = applique<M>(w, coup);
  } else if (attaque<C>(w, w.pos_piece[Camp<M>::roi])) {
    return COUP_ILLEGAL;
  }
  w.coup_precedent = (uint32_t(prise) << 16) | (coup & 0xffff);

  // Generate, then mark the entries that leave the own king attacked
  uint32_t* fin = pseudo_legaux<C>(w, liste, coup, prises);
  const int roi = w.pos_piece[Camp<C>::roi];
  const bool echec = attaque<M>(w, roi);
  const uint64_t cloues = echec ? 0 : clouees<C>(w, roi);
  int legaux = 0;
  for (uint32_t* m = liste; m != fin; ++m) {
    if ((!echec && !peut_exposer(*m, roi, cloues)) || coup_legal<C>(w, *m)) ++legaux;
    else *m |= COUP_ILLEGAL;
  }
  *fin = 0;

  if (legaux > 0) return coup;
  return attaque<M>(w, w.pos_piece[Camp<C>::roi]) ? RESULTAT_MAT : RESULTAT_PAT;
}

}  // namespace

uint32_t genere_blancs(uint32_t* liste, uint32_t coup, int prises, EMPILAGE* etat) {
  return genere<BLANCS>(liste, coup, prises, etat);
}

uint32_t genere_noirs(uint32_t* liste, uint32_t coup, int prises, EMPILAGE* etat) {
  return genere<NOIRS>(liste, coup, prises, etat);
}

bool case_attaquee(const EMPILAGE& e, int attaquant, int k) {
  return attaquant == BLANCS ? attaque<BLANCS>(e, k) : attaque<NOIRS>(e, k);
}
