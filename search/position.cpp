#include "search/position.h"

#include <array>
#include <bit>
#include <cstdlib>

#include "board/tables.h"
#include "eval/attaques.h"
#include "eval/preparation.h"
#include "board/camp.h"
#include "search/hash.h"

int valeur_promotion[5] = {4400, 4400, 2200, 1440, 1400};

void fixe_promotions(int phase) {
  for (int type = ROI; type <= CAVALIER; ++type) valeur_promotion[type] = valeur_piece_phase(type, phase);
}

namespace {

inline void bascule(EMPILAGE& e, int i) {
  e.cle_hash ^= zobrist_cle[i];
  e.verrou_hash ^= zobrist_verrou[i];
}

inline void bascule_pions(EMPILAGE& e, int i) {
  e.cle_pions ^= zobrist_cle[i];
  e.verrou_pions ^= zobrist_verrou[i];
}

// Key index of side C's castling states.
template <int C>
inline int indice_roque(const EMPILAGE& e) {
  using T = Camp<C>;
  return T::base_roque + (e.roque[T::roque_roi] == ROQUE_POSSIBLE ? 2 : 0) +
         (e.roque[T::roque_dame] == ROQUE_POSSIBLE ? 1 : 0);
}

// Replaces side C's castling index in the keys after its states changed.
inline void change_indice(EMPILAGE& e, int avant, int apres) {
  if (avant == apres) return;
  bascule(e, avant);
  bascule(e, apres);
}

// Takes slot c of side V off square q as a capture.
template <int V>
inline void retire(EMPILAGE& e, int c, int q) {
  using T = Camp<V>;
  const int (*psq)[64] = V == BLANCS ? psq_blanc : psq_noir;
  const int t = e.type_piece[c];
  e.pos_piece[c] = -1;
  e.materiel -= T::signe * e.valeur_piece[c];
  e.positionnel -= T::signe * psq[t][q];
  bascule(e, index_cle(c, t, q));
  if (t == T::pion) {
    bascule_pions(e, T::base_pion + q);
    (V == BLANCS ? e.nb_pions_blancs : e.nb_pions_noirs) -= 1;
  } else {
    (V == BLANCS ? e.nb_pieces_blanches : e.nb_pieces_noires) -= 1;
  }
}

// Moves slot p of side M from one square to another: board, piece-square
// sum and position key (a man on the arrival square is left to the caller).
template <int M>
inline void deplace_piece(EMPILAGE& e, int p, int de, int vers) {
  using T = Camp<M>;
  const int (*psq)[64] = M == BLANCS ? psq_blanc : psq_noir;
  const int t = e.type_piece[p];
  e.echiquier[de] = VIDE;
  e.echiquier[vers] = p;
  e.pos_piece[p] = vers;
  e.positionnel += T::signe * (psq[t][vers] - psq[t][de]);
  bascule(e, index_cle(p, t, de));
  bascule(e, index_cle(p, t, vers));
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

// The squares on a line with each square, and those plus the knight's
// jumps: the only squares from which a slider, or any man, reaches it.
constexpr auto lignes = [] {
  std::array<uint64_t, 64> m{};
  for (int q = 0; q < 64; ++q)
    for (const auto& rayon : attaques::rayons) m[q] |= rayon[q];
  return m;
}();
constexpr auto lignes_et_sauts = [] {
  std::array<uint64_t, 64> m{};
  for (int q = 0; q < 64; ++q) m[q] = lignes[q] | attaques::sauts_cavalier[q];
  return m;
}();

// The squares one king step from each square.
constexpr auto pas_roi = [] {
  std::array<uint64_t, 64> m{};
  for (int q = 0; q < 64; ++q)
    for (int x = 0; x < 64; ++x)
      if (x != q && std::abs(colonne(q) - colonne(x)) <= 1 && std::abs(rangee(q) - rangee(x)) <= 1)
        m[q] |= uint64_t(1) << x;
  return m;
}();

// The squares a piece of type t (king to knight) on q reaches, up to and
// including the first man of each line.
inline uint64_t atteintes(int t, int q, uint64_t occupees) {
  switch (t) {
    case ROI: return pas_roi[q];
    case DAME: return attaques::dame(q, occupees);
    case TOUR: return attaques::tour(q, occupees);
    case FOU: return attaques::fou(q, occupees);
    default: return attaques::cavalier(q);
  }
}

// The lines of the sliders in the order of their walks: the queen's eight,
// of which the rook takes the first four and the bishop the last four.
constexpr int LIGNES_DAME[8] = {attaques::NORD,       attaques::SUD,     attaques::EST,      attaques::OUEST,
                                attaques::NORD_OUEST, attaques::SUD_EST, attaques::NORD_EST, attaques::SUD_OUEST};

// The squares of side A's sixteen slots.
template <int A>
inline uint64_t cases_du_camp(const EMPILAGE& e) {
  return attaques::cases_des_slots(&e, Camp<A>::premier) | attaques::cases_des_slots(&e, Camp<A>::premier + 8);
}

// Does a piece of side A among slots debut..end of A's slots attack square k?
// Only A's men on a line or a knight's jump from k are looked at. The king
// is recognised by its slot, the other pieces by their type.
template <int A>
inline bool attaque(const EMPILAGE& e, int k, int debut) {
  using T = Camp<A>;
  for (uint64_t candidats = cases_du_camp<A>(e) & lignes_et_sauts[k]; candidats != 0; candidats &= candidats - 1) {
    const int q = std::countr_zero(candidats);
    const int s = e.echiquier[q];
    if (s < debut) continue;
    const int d = Tdirection[q][k];
    const int t = e.type_piece[s];
    const int g = Tgenre[std::abs(d)];
    if (g == 3) {
      if (t == CAVALIER) return true;
      continue;
    }
    if (q + d == k) {
      if (s == T::roi) return true;
      if (g == 2 && t == T::pion && (A == BLANCS ? d > 0 : d < 0)) return true;
    }
    const bool glisse = g == 1 ? (t == DAME || t == TOUR) : (t == DAME || t == FOU);
    if (!glisse || s == T::roi) continue;
    int x = q + d;
    while (x != k && e.echiquier[x] == VIDE) x += d;
    if (x == k) return true;
  }
  return false;
}

}  // namespace

template <int M>
int applique_coup_noeud(EMPILAGE& e, uint32_t coup) {
  using T = Camp<M>;
  constexpr int V = 1 - M;
  using TV = Camp<V>;
  const int (*psq)[64] = M == BLANCS ? psq_blanc : psq_noir;
  const int de = case_depart(coup), vers = case_arrivee(coup);
  const uint32_t genre = coup & GENRE_COUP;
  const int s = e.echiquier[de];
  int prise = e.echiquier[vers];
  const int type = e.type_piece[s];

  // 1. The piece moves, 2. piece-square sum, 3. keys
  deplace_piece<M>(e, s, de, vers);
  if (type == T::pion) {
    bascule_pions(e, T::base_pion + de);
    bascule_pions(e, T::base_pion + vers);
  }

  // 4. Capture; the victim's castling rights follow its rook slots
  if (prise != VIDE) {
    retire<V>(e, prise, vers);
    const bool roi = prise == TV::tour_roi && e.roque[TV::roque_roi] == ROQUE_POSSIBLE;
    const bool dame = prise == TV::tour_dame && e.roque[TV::roque_dame] == ROQUE_POSSIBLE;
    if (roi || dame) {
      const int avant = indice_roque<V>(e);
      e.roque[roi ? TV::roque_roi : TV::roque_dame] = ROQUE_PERDU;
      change_indice(e, avant, indice_roque<V>(e));
    }
  }

  // 5. By move kind
  switch (genre) {
    case 0:
      if (e.roque[T::roque_roi] == ROQUE_POSSIBLE || e.roque[T::roque_dame] == ROQUE_POSSIBLE) {
        const int avant = indice_roque<M>(e);
        if (s == T::roi) {
          e.roque[T::roque_roi] = e.roque[T::roque_dame] = ROQUE_PERDU;
        } else if (s == T::tour_roi) {
          if (e.roque[T::roque_roi] == ROQUE_POSSIBLE) e.roque[T::roque_roi] = ROQUE_PERDU;
        } else if (s == T::tour_dame) {
          if (e.roque[T::roque_dame] == ROQUE_POSSIBLE) e.roque[T::roque_dame] = ROQUE_PERDU;
        }
        change_indice(e, avant, indice_roque<M>(e));
      }
      break;
    case PETIT_ROQUE:
    case GRAND_ROQUE: {
      const int avant = indice_roque<M>(e);
      const bool petit = genre == PETIT_ROQUE;
      if (petit) deplace_piece<M>(e, T::tour_roi, T::coin_roi, T::arrivee_tour_roi);
      else deplace_piece<M>(e, T::tour_dame, T::coin_dame, T::arrivee_tour_dame);
      e.roque[T::roque_roi] = petit ? ROQUE_FAIT : ROQUE_PERDU;
      e.roque[T::roque_dame] = petit ? ROQUE_PERDU : ROQUE_FAIT;
      change_indice(e, avant, T::base_roque);
      break;
    }
    case PRISE_EN_PASSANT: {
      const int q = vers - T::avant;  // the pawn behind the target
      prise = e.echiquier[q];
      e.echiquier[q] = VIDE;
      if (prise != VIDE) retire<V>(e, prise, q);
      break;
    }
    default: {  // promotion to queen, rook, bishop or knight
      const int n = int(genre >> 12) - 3;
      const int valeur = valeur_promotion[n];
      e.type_piece[s] = n;
      e.materiel += T::signe * (valeur - e.valeur_piece[s]);
      e.valeur_piece[s] = valeur;
      if (M == BLANCS) {
        ++e.nb_pieces_blanches;
        --e.nb_pions_blancs;
      } else {
        ++e.nb_pieces_noires;
        --e.nb_pions_noirs;
      }
      e.positionnel += T::signe * (psq[n][vers] - psq[type][vers]);
      bascule(e, index_cle(s, type, vers));
      bascule(e, index_cle(s, n, vers));
      bascule_pions(e, T::base_pion + vers);
      break;
    }
  }
  return prise;
}

// Walks the steps of side C's pawn on `de`: `poussee(cible, promotion)`
// for a push to an empty square (a blocked push also blocks the double
// step behind it), `prise(cible, occupant, promotion)` for a capture of an
// enemy man.
template <int C, typename Poussee, typename Prise>
inline void parcourt_pion(const EMPILAGE& e, int de, Poussee poussee, Prise prise) {
  const PAS_PION* pas = TdepPion[C][de];
  while (pas->cible >= 0) {
    const int occ = e.echiquier[pas->cible];
    const bool promo = pas->drapeaux & PAS_PROMOTION;
    if (pas->drapeaux & PAS_POUSSEE) {
      if (occ != VIDE) {
        pas += pas->saut;
        continue;
      }
      poussee(pas->cible, promo);
    } else if (Camp<C>::est_adverse(occ)) {
      prise(pas->cible, occ, promo);
    }
    ++pas;
  }
}

// Walks the steps of side C's piece of type t on `de`: `vide(cible)` for an
// empty square, `prise(cible, occupant)` for an enemy man; any man ends its line.
template <int C, typename Vide, typename Prise>
inline void parcourt_piece(const EMPILAGE& e, int t, int de, Vide vide, Prise prise) {
  const PAS* pas = Tdep[t][de];
  while (pas->cible >= 0) {
    const int occ = e.echiquier[pas->cible];
    if (occ == VIDE) {
      vide(pas->cible);
      ++pas;
    } else {
      if (Camp<C>::est_adverse(occ)) prise(pas->cible, occ);
      pas += pas->saut;
    }
  }
}

template <int C>
int generate_all(const EMPILAGE& e, uint32_t* liste) {
  using T = Camp<C>;
  uint32_t* l = liste;

  // 1. Every piece, slot by slot
  for (int s = T::premier; s < T::premier + 16; ++s) {
    const int de = e.pos_piece[s];
    if (de < 0) continue;
    const int t = e.type_piece[s];
    if (t == T::pion) {
      auto ajoute_pas = [&](int cible, bool promo) { l = ajoute(l, cree_coup(de, cible), promo); };
      parcourt_pion<C>(e, de, ajoute_pas, [&](int cible, int, bool promo) { ajoute_pas(cible, promo); });
    } else {
      auto ajoute_pas = [&](int cible) { *l++ = cree_coup(de, cible); };
      parcourt_piece<C>(e, t, de, ajoute_pas, [&](int cible, int) { ajoute_pas(cible); });
    }
  }

  // 2. En passant after the opponent's double step
  const uint32_t entree = e.coup_precedent & 0xffff;
  if (entree != 0 && (entree & GENRE_COUP) == 0) {
    const int de = case_depart(entree), vers = case_arrivee(entree);
    const int p = e.echiquier[vers];
    if (de - vers == 2 * T::avant && rangee(de) == T::rangee_double_adverse && p != VIDE &&
        e.type_piece[p] == Camp<1 - C>::pion) {
      const int cible = vers + T::avant;
      if (colonne(vers) != 0) {
        const int q = e.echiquier[vers - 1];
        if (q != VIDE && e.type_piece[q] == T::pion && !T::est_adverse(q))
          *l++ = cree_coup(vers - 1, cible, PRISE_EN_PASSANT);
      }
      if (colonne(vers) != 7) {
        const int q = e.echiquier[vers + 1];
        if (q != VIDE && e.type_piece[q] == T::pion && !T::est_adverse(q))
          *l++ = cree_coup(vers + 1, cible, PRISE_EN_PASSANT);
      }
    }
  }

  // 3. Castling; check and attacked squares are left to the child's legality test
  const int b = T::rangee_base;
  if (e.roque[T::roque_roi] == ROQUE_POSSIBLE && e.echiquier[b + 5] == VIDE &&
      e.echiquier[b + 6] == VIDE)
    *l++ = T::petit_roque;
  if (e.roque[T::roque_dame] == ROQUE_POSSIBLE && e.echiquier[b + 3] == VIDE &&
      e.echiquier[b + 2] == VIDE && e.echiquier[b + 1] == VIDE)
    *l++ = T::grand_roque;

  *l = 0;
  return int(l - liste);
}

template <int C>
int generate_captures(const EMPILAGE& e, uint32_t* liste) {
  using T = Camp<C>;
  constexpr uint32_t SCORE_PROMOTION = 103u << 16;
  // The enemy men, and every man: a piece that reaches no enemy is not walked
  const uint64_t adverses = cases_du_camp<1 - C>(e);
  const uint64_t occupees = adverses | cases_du_camp<C>(e);
  uint32_t* l = liste;
  for (int s = T::premier; s < T::premier + 16; ++s) {
    const int de = e.pos_piece[s];
    if (de < 0) continue;
    const int t = e.type_piece[s];
    const int valeur = e.valeur_piece[s];
    // A capture's score: victim's value less the capturer's, in 400ths, plus 10
    auto prise = [&](int cible, int occ) {
      *l++ = cree_coup(de, cible) | uint32_t((e.valeur_piece[occ] - valeur) / 400 + 10) << 16;
    };
    if (t == T::pion) {
      // The push onto the last rank, then the captures towards file a and file h
      const int avant = de + T::avant;
      const bool promo = de >= T::debut_septieme && de < T::debut_septieme + 8;
      auto pas = [&](int cible, int occ) {
        if (promo) *l++ = cree_coup(de, cible, PROMOTION_DAME) | SCORE_PROMOTION;
        else prise(cible, occ);
      };
      if (promo && e.echiquier[avant] == VIDE) pas(avant, VIDE);
      if (colonne(de) != 0 && T::est_adverse(e.echiquier[avant - 1])) pas(avant - 1, e.echiquier[avant - 1]);
      if (colonne(de) != 7 && T::est_adverse(e.echiquier[avant + 1])) pas(avant + 1, e.echiquier[avant + 1]);
    } else if (const uint64_t cibles = atteintes(t, de, occupees) & adverses) {
      if (t == ROI || t == CAVALIER) {
        parcourt_piece<C>(e, t, de, [](int) {}, prise);
      } else {
        // A slider takes at most one man per line: line by line, in its walk's order
        const int fin = t == TOUR ? 4 : 8;
        for (int i = t == FOU ? 4 : 0; i < fin; ++i) {
          if (const uint64_t c = cibles & attaques::rayons[LIGNES_DAME[i]][de]) {
            const int cible = std::countr_zero(c);
            prise(cible, e.echiquier[cible]);
          }
        }
      }
    }
  }
  *l = 0;
  return int(l - liste);
}

template <int C>
bool king_capture_test(const EMPILAGE& e, int k) {
  return attaque<C>(e, k, Camp<C>::premier);
}

template <int C>
bool check_test(const EMPILAGE& e) {
  constexpr int A = 1 - C;
  return attaque<A>(e, e.pos_piece[Camp<C>::roi], Camp<A>::premier + 1);
}

template <int C>
uint64_t pieces_clouees(const EMPILAGE& e) {
  constexpr int A = 1 - C;
  const int roi = e.pos_piece[Camp<C>::roi];
  uint64_t masque = 0;
  // The enemy men on a line with the king, its king left out
  for (uint64_t candidats = cases_du_camp<A>(e) & lignes[roi]; candidats != 0; candidats &= candidats - 1) {
    const int a = std::countr_zero(candidats);
    const int s = e.echiquier[a];
    if (s == Camp<A>::roi) continue;
    const int d = Tdirection[a][roi];
    const int t = e.type_piece[s];
    const int g = Tgenre[std::abs(d)];
    if (!(g == 1 ? (t == DAME || t == TOUR) : g == 2 && (t == DAME || t == FOU))) continue;
    // The first man from the slider towards the king is ours and the next is the king
    int x = a + d;
    while (x != roi && e.echiquier[x] == VIDE) x += d;
    if (x == roi || Camp<C>::est_adverse(e.echiquier[x])) continue;
    int y = x + d;
    while (y != roi && e.echiquier[y] == VIDE) y += d;
    if (y == roi) masque |= uint64_t(1) << x;
  }
  return masque;
}

template int applique_coup_noeud<BLANCS>(EMPILAGE&, uint32_t);
template int applique_coup_noeud<NOIRS>(EMPILAGE&, uint32_t);
template int generate_all<BLANCS>(const EMPILAGE&, uint32_t*);
template int generate_all<NOIRS>(const EMPILAGE&, uint32_t*);
template int generate_captures<BLANCS>(const EMPILAGE&, uint32_t*);
template int generate_captures<NOIRS>(const EMPILAGE&, uint32_t*);
template bool king_capture_test<BLANCS>(const EMPILAGE&, int);
template bool king_capture_test<NOIRS>(const EMPILAGE&, int);
template bool check_test<BLANCS>(const EMPILAGE&);
template bool check_test<NOIRS>(const EMPILAGE&);
template uint64_t pieces_clouees<BLANCS>(const EMPILAGE&);
template uint64_t pieces_clouees<NOIRS>(const EMPILAGE&);
