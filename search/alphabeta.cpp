#include "search/alphabeta.h"

#include <cstdlib>
#include <utility>

#include "eval/evaluation.h"
#include "search/arret.h"
#include "board/camp.h"
#include "search/echange.h"
#include "search/etendue.h"
#include "search/globals.h"
#include "search/hash.h"
#include "search/ordering.h"
#include "search/position.h"
#include "search/pv.h"
#include "tablebase/probe.h"

std::atomic<uint32_t> nb_noeuds{0};
int ply_max_extension = 0;
bool arret_differe = false;

namespace {

// Depth changes in 1/256 ply.
constexpr int EXTENSION = UN_PLY;
constexpr int EXTENSION_PARTIELLE = 192;
constexpr int REDUCTION_NULLE = 3 * UN_PLY;
// Flags a child inherits from its parent.
constexpr int FLAGS_HERITES = 0xf80;
constexpr int FLAGS_NULLE = 0xf00;
// Margins, in search units.
constexpr int MARGE_MATERIEL = 1200;  // three pawns: a node this far above beta stops at once
constexpr int MARGE_REDUCTION = 4400; // a deficit beyond this reduces the depth
constexpr int MARGE_MENACE = 1600;    // a null move losing this much reveals a threat

// Longest capture list: eight captures per man at most, one queen promotion per pawn.
constexpr int TAILLE_LISTE_PRISES = 16 * 8 + 1;

// Extended search: pruning near the leaves, in plies and search units;
// nodes of two plies or less keep the frontier's own selection.
constexpr int PLIES_ELAGAGE = 5;     // nodes of 3 to this many plies may skip quiet moves
constexpr int MARGE_FUTILITE = 500;  // per ply: how far below alpha the evaluation makes quiet moves futile
constexpr int MARGE_STATIQUE = 400;  // per ply: how far above beta the evaluation ends the node at once
// Quiet moves a node of p plies searches before it skips the rest.
constexpr int coups_avant_elagage(int plies) { return 3 + plies * plies; }

template <int C>
int recherche(uint32_t coup, int flags, int profondeur, int alpha, int beta, const EMPILAGE* parent);

inline void compte_noeud() {
  nb_noeuds.store(nb_noeuds.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

// Starts loading the table slot of node e (side C to move) into the
// cache, so that it is there when the node probes it.
template <int C>
inline void precharge_hash(const EMPILAGE& e) {
  if (table_hash) __builtin_prefetch(&table_hash[case_table(e.cle_hash, C, masque_hash)]);
}

// The draw score for side C to move.
template <int C>
inline int score_nulle() {
  return camp_moteur == C ? valeur_nulle : -valeur_nulle;
}

// The line of the child that just raised alpha becomes this node's line:
// the tail of the cell holding the node's entering move (chain ply - 1) is
// exchanged with chain ply, which the child filled.
inline void raccorde_pv(int ply) {
  CELLULE_PV* c = pv_chaine[ply - 1];
  if (c) std::swap(c->suivant, pv_chaine[ply]);
}

// Picks the first entry with the largest ordering score from position i on
// and swaps it into position i.
inline uint32_t prochain_coup(uint32_t* liste, int i) {
  int meilleur = i;
  uint32_t score = liste[i] >> 16;
  for (int j = i + 1; liste[j] != 0; ++j) {
    if ((liste[j] >> 16) > score) {
      score = liste[j] >> 16;
      meilleur = j;
    }
  }
  std::swap(liste[i], liste[meilleur]);
  return liste[i];
}

// Is the ordered entry m of side C a quiet move with only its history for
// a score (no table move, refutation or killer)?
template <int C>
inline bool est_calme(const EMPILAGE& e, uint32_t m) {
  return est_coup_calme(m) && (m & PROMOTION) == 0 && (m & GENRE_COUP) != PRISE_EN_PASSANT &&
         e.echiquier[case_arrivee(m)] == VIDE;
}

// Does capture m of side C lose material once the exchange on its square
// is played out? Taking a man worth at least the taker never does.
template <int C>
inline bool perd_a_l_echange(const EMPILAGE& e, uint32_t m) {
  if (m & GENRE_COUP) return false;  // promotions and en passant
  const int victime = e.type_piece[e.echiquier[case_arrivee(m)]];
  const int preneur = e.type_piece[e.echiquier[case_depart(m)]];
  return VALEUR_ECHANGE[preneur] > VALEUR_ECHANGE[victime] && echange_statique<C>(e, m) < 0;
}

// Could side C capture en passant after the entering move? The tables hold
// no such positions.
template <int C>
bool en_passant_possible(const EMPILAGE& e, uint32_t coup) {
  if (coup == 0 || (coup & GENRE_COUP) != 0) return false;
  const int de = case_depart(coup), vers = case_arrivee(coup);
  if (std::abs(de - vers) != 16 || e.type_piece[e.echiquier[vers]] != Camp<1 - C>::pion) return false;
  auto pion_propre = [&](int q) {
    const int s = e.echiquier[q];
    return s != VIDE && !Camp<C>::est_adverse(s) && e.type_piece[s] == Camp<C>::pion;
  };
  return (colonne(vers) != 0 && pion_propre(vers - 1)) || (colonne(vers) != 7 && pion_propre(vers + 1));
}

// Captures-only search of node e (side C to move) below one ply.
template <int C>
int quiescence(EMPILAGE& e, int profondeur, int alpha, int beta) {
  constexpr int M = 1 - C;

  // 1. Far ahead in material, 2. stand pat on the static evaluation
  if (Camp<C>::signe * e.materiel - MARGE_MATERIEL >= beta) return beta;
  const int eval = evaluation(C, &e);
  if (eval > alpha) {
    if (eval >= beta) return eval;
    alpha = eval;
  }
  if (e.ply >= PLY_MAX) return eval;

  // 4. Captures and queen promotions, best first
  uint32_t liste[TAILLE_LISTE_PRISES];
  if (generate_captures<C>(e, liste) == 0) return eval;
  // Out of check, only a capture that can expose the king needs its child's legality test
  const bool echec = check_test<C>(e);
  const uint64_t clouees = echec ? 0 : pieces_clouees<C>(e);
  const bool elague_echanges = recherche_etendue && !echec;
  for (int i = 0; liste[i] != 0; ++i) {
    const uint32_t m = prochain_coup(liste, i);
    // 4a. Extended search: a capture that loses the exchange is not tried
    if (elague_echanges && perd_a_l_echange<C>(e, m)) continue;
    const int legal = echec || peut_exposer_roi<C>(e, m, clouees) ? TEST_LEGAL : 0;
    const int s = -recherche<M>(m, legal, profondeur - UN_PLY, -beta, -alpha, &e);
    if (s == -SCORE_ILLEGAL) continue;
    if (s > alpha) {
      raccorde_pv(e.ply);
      if (s >= beta) return s;
      alpha = s;
    }
  }
  return alpha;
}

// The node procedure for side C to move; the entering move is the other side's.
template <int C>
int recherche(uint32_t coup, int flags, int profondeur, int alpha, int beta, const EMPILAGE* parent) {
  constexpr int M = 1 - C;
  using T = Camp<C>;
  using TM = Camp<M>;

  // 1. Abort test
  if (lit_drapeau(arret_recherche) && !arret_differe) throw RECHERCHE_ABANDONNEE{};

  // 2. Copy the parent's node and apply the entering move. Below the root,
  // whose phase the preparation wrote, promoted pawns take that phase's values.
  if (parent->ply == 0) fixe_promotions(parent->phase);
  EMPILAGE e;
  copie_noeud(e, *parent);
  coup &= 0xffff;
  int prise = VIDE, de = 0, vers = 0;
  if (coup != 0) {
    compte_noeud();
    prise = applique_coup_noeud<M>(e, coup);
    if (profondeur >= UN_PLY) precharge_hash<C>(e);  // quiescence nodes do not probe
    de = case_depart(coup);
    vers = case_arrivee(coup);
  }

  // 3. Legality of the entering move; a castling king must not cross or leave an attacked square
  if ((flags & TEST_LEGAL) && coup != 0) {
    if (king_capture_test<C>(e, e.pos_piece[TM::roi])) return SCORE_ILLEGAL;
    const uint32_t genre = coup & GENRE_COUP;
    if (genre == PETIT_ROQUE || genre == GRAND_ROQUE) {
      const int passage = genre == PETIT_ROQUE ? vers - 1 : vers + 1;
      if (king_capture_test<C>(e, passage) || king_capture_test<C>(e, de)) return SCORE_ILLEGAL;
    }
  }
  // 4. Legality only
  if (flags & LEGAL_SEUL) return 0;

  // 5. Principal-variation cells, the node's ply and its entering move
  if (CELLULE_PV* tete = pv_chaine[e.ply]) {
    tete->coup = coup;
    if (tete->suivant) tete->suivant->coup = 0;
  }
  const int ply = ++e.ply;
  e.coup_precedent = (uint32_t(prise) << 16) | coup;

  // 6. Check test
  const bool etendue = recherche_etendue;
  const int profondeur_entree = profondeur;
  const bool echec = profondeur_entree >= UN_PLY && coup != 0 && check_test<C>(e);

  // 7. Extensions, then the reduction for a hopeless material deficit
  if (profondeur_entree >= 2 * UN_PLY && ply <= ply_max_extension) {
    const int arrive = coup != 0 ? e.type_piece[e.echiquier[vers]] : -1;
    const int prise_parent = int(parent->coup_precedent >> 16);
    if (echec) {
      profondeur += EXTENSION;
    } else if (arrive == TM::pion && vers >= TM::debut_septieme && vers < TM::debut_septieme + 8) {
      profondeur += EXTENSION;
    } else if (prise != VIDE && prise_parent < VIDE && e.valeur_piece[prise] > 1000 &&
               e.valeur_piece[prise] / 400 == e.valeur_piece[prise_parent] / 400) {
      profondeur += EXTENSION_PARTIELLE;
    } else if (e.phase < 3 && arrive == TM::pion) {
      // A pawn forks the knight and bishop developed in front of it (squares of White's side, mirrored for Black)
      constexpr int miroir = C == BLANCS ? 0 : 56;
      const int* pos = e.pos_piece;
      if ((vers == (27 ^ miroir) && pos[T::premier + 6] == (18 ^ miroir) && pos[T::premier + 4] == (20 ^ miroir)) ||
          (vers == (28 ^ miroir) && pos[T::premier + 7] == (21 ^ miroir) && pos[T::premier + 5] == (19 ^ miroir)))
        profondeur += EXTENSION;
    }
    if (T::signe * e.materiel + MARGE_REDUCTION < alpha && prise == VIDE && !(flags & REDUIT)) {
      flags |= REDUIT;
      profondeur -= UN_PLY;
    }
  } else if (etendue && echec && ply <= ply_max_extension) {
    // 7a. Extended search: a check one ply from the leaves is extended too
    profondeur += EXTENSION;
  }

  // 8. Below one ply: quiescence
  if (profondeur < UN_PLY) return quiescence<C>(e, profondeur, alpha, beta);

  // 9. Repetitions and the fifty-move rule, then the position enters the search path
  const int nulle = score_nulle<C>();
  ENTREE_REPETITION* rep = table_repetition_recherche
                               ? &table_repetition_recherche[case_table(e.cle_hash, C, MASQUE_REPETITION)]
                               : nullptr;
  const bool reversible = coup == 0 || (prise == VIDE && (coup & GENRE_COUP) == 0 &&
                                        e.type_piece[e.echiquier[vers]] != TM::pion);
  if (reversible) {
    e.coups_reversibles += 1;
    if (e.coups_reversibles >= 4) {
      if (rep && rep->compte != 0 && rep->verrou == e.verrou_hash) return nulle - rep->compte;
      if (e.coups_reversibles >= 100) return nulle;
    }
  } else {
    e.coups_reversibles = 0;
  }
  // The node's entry on the search path, made and freed only for nodes of
  // more than two plies. entre_chemin, quitte_chemin and sortie read
  // `profondeur` and `ply` by reference: freeing tests the depth as the node
  // leaves, which the null-move and single-reply extensions may have raised;
  // `rep->ply >= ply` keeps an entry of a shallower node on the path intact.
  auto entre_chemin = [&]() {
    if (rep && profondeur / UN_PLY > 2 && rep->ply >= ply) {
      rep->verrou = e.verrou_hash;
      rep->compte = 1;
      rep->ply = uint8_t(ply);
    }
  };
  entre_chemin();
  auto quitte_chemin = [&]() {
    if (rep && profondeur / UN_PLY > 2 && rep->ply >= ply) {
      rep->compte = 0;
      rep->ply = PLY_LIBRE;
    }
  };
  // Every later return goes through sortie, which frees the path entry first.
  auto sortie = [&](int score) {
    quitte_chemin();
    return score;
  };

  // 10. Transposition table
  uint32_t coup_hash = 0;
  bool nulle_interdite = false;
  if (const ENTREE_HASH* h = sonde_hash(&e, C)) {
    const int info = h->info;
    const uint8_t generation = h->generation;
    const uint8_t precedente = generation_hash > 1 ? uint8_t(generation_hash - 1) : uint8_t(255);
    if (((info >> 3) & 63) >= profondeur / UN_PLY && (generation == generation_hash || generation == precedente)) {
      int score = h->score;
      switch (info & 7) {
        case HASH_EXACT: {
          const int ply_stocke = (info >> 9) & 63;
          if (score < -SEUIL_MAT) score += ply - ply_stocke;
          else if (score > SEUIL_MAT) score += ply_stocke - ply;
          return sortie(score);
        }
        case HASH_MINORANT:
          if (score >= beta) return sortie(score);
          break;
        case HASH_MAJORANT:
          if (score <= alpha) return sortie(score);
          if (score < beta) nulle_interdite = true;
          break;
        default:
          break;
      }
    }
    coup_hash = h->coup;
  }

  // 11. Endgame tables near the root
  if (ply < 5 && !(flags & (SOUS_NULLE | RECHERCHE_IID)) &&
      e.nb_pieces_blanches + e.nb_pieces_noires + e.nb_pions_blancs + e.nb_pions_noirs < 4) {
    if (TbCountMaterial(e.pos_piece, e.type_piece) == 0) return sortie(nulle);
    if (!en_passant_possible<C>(e, coup)) {
      TbLoadPieces(e.pos_piece, e.type_piece);
      const int r = TbProbe(C, -1);
      if (r != TB_PAS_DE_RESULTAT) {
        if (r == TB_NULLE) return sortie(nulle);
        return sortie(r > 0 ? 2 * r - ply - 32833 : 2 * r + ply + 32832);
      }
    }
  }

  // 11a. Extended search: near the leaves, a node whose evaluation stands
  // far above beta ends on it; one far below alpha will skip quiet moves.
  const bool elagage = etendue && !echec && !(flags & NOEUD_PV) && profondeur / UN_PLY >= 3 &&
                       profondeur / UN_PLY <= PLIES_ELAGAGE && alpha > -SEUIL_MAT && beta < SEUIL_MAT;
  bool futile = false;
  if (elagage) {
    const int eval = evaluation(C, &e);
    if (eval - MARGE_STATIQUE * (profondeur / UN_PLY) >= beta) return sortie(eval);
    futile = eval + MARGE_FUTILITE * (profondeur / UN_PLY) <= alpha;
  }

  // 12. Null move; a null move that runs into a mate deepens the node or turns threat mode on
  const int pieces_propres = C == BLANCS ? e.nb_pieces_blanches : e.nb_pieces_noires;
  bool menace = false;
  if (!nulle_interdite && profondeur / UN_PLY > 2 && !echec && pieces_propres > 1 && coup != 0 &&
      ply < PLY_MAX && beta < SEUIL_MAT) {
    const int s = -recherche<M>(0, (flags & FLAGS_NULLE) + SOUS_NULLE, profondeur - REDUCTION_NULLE, -beta,
                                1 - beta, &e);
    if (s >= beta) return sortie(s);
    if (!(flags & SOUS_NULLE) && s < -SEUIL_MAT && ply <= ply_max_extension) {
      if (ply < 4 && alpha > -SEUIL_MAT && !(flags & MENACE)) menace = true;
      else profondeur += EXTENSION_PARTIELLE;
    }
  }

  // 13. Threat test near the root: does passing lose more than four pawns?
  if (ply < 4 && (prise == VIDE || e.valeur_piece[prise] / 400 < 4) && alpha > -SEUIL_MAT && alpha < SEUIL_MAT &&
      !echec && pieces_propres > 1 && !(flags & (MENACE | SOUS_NULLE)) && !menace) {
    const int t = alpha - MARGE_MENACE;
    const int s = -recherche<M>(0, (flags & FLAGS_NULLE) + SOUS_NULLE, profondeur - REDUCTION_NULLE, -t - 1, -t, &e);
    menace = s <= t;
  }

  // 14. The deepest ply is not expanded
  if (ply >= PLY_MAX) return sortie(evaluation(C, &e));

  // 15. All pseudo-legal moves
  uint32_t liste[TAILLE_LISTE_COUPS];
  generate_all<C>(e, liste);

  // 16. In check: the legal moves only, mate, single reply. Otherwise
  // internal iterative deepening finds a move to try first.
  if (echec) {
    int n = 0;
    for (int i = 0; liste[i] != 0; ++i)
      if (recherche<M>(liste[i], LEGAL_SEUL + TEST_LEGAL, 0, 0, 0, &e) != SCORE_ILLEGAL) liste[n++] = liste[i];
    liste[n] = 0;
    if (n == 0) {
      stocke_hash(&e, C, HASH_EXACT, ply - MAT, 0, profondeur / UN_PLY, ply);
      return sortie(ply - MAT);
    }
    if (n == 1 && ply <= ply_max_extension) profondeur += EXTENSION_PARTIELLE;
  } else if (coup_hash == 0 && profondeur_entree >= 5 * UN_PLY && !(flags & RECHERCHE_IID) &&
             (flags & NOEUD_PV)) {
    // The inner search of this same node must not take the node's own
    // path entry for a repetition: it enters and frees the entry itself.
    quitte_chemin();
    recherche<C>(coup, flags + RECHERCHE_IID, profondeur_entree - 2 * UN_PLY, alpha, beta, parent);
    entre_chemin();
    const ENTREE_HASH* h = sonde_hash(&e, C);
    coup_hash = h ? h->coup : 0;
  }

  // 17. Frontier nodes stand on the static evaluation and look at few moves
  if (profondeur / UN_PLY <= 2 && !echec) {
    if (T::signe * e.materiel - MARGE_MATERIEL >= beta) return sortie(beta);
    const int eval = evaluation(C, &e);
    if (eval > alpha) {
      if (eval >= beta) return sortie(eval);
      alpha = eval;
    }
    if (frontier_ordering<C>(liste, coup_hash, coup, profondeur / UN_PLY == 2, e) == 0) return sortie(eval);
  } else {
    full_ordering<C>(liste, coup_hash, coup, e);
  }

  // 18. Move loop: principal-variation search with re-searches. In check
  // the list holds legal moves only; otherwise only a move that can expose
  // the king needs its child's legality test.
  const uint64_t clouees = echec ? 0 : pieces_clouees<C>(e);
  auto test_legal = [&](uint32_t m) { return !echec && peut_exposer_roi<C>(e, m, clouees) ? TEST_LEGAL : 0; };
  const int alpha_depart = alpha;
  const int plies = profondeur / UN_PLY;
  const int herites = flags & FLAGS_HERITES;
  uint32_t meilleur = 0;
  int cherches = 0;
  uint32_t calmes[64];  // extended search: the quiet moves searched, for the history
  int nb_calmes = 0;
  for (int i = 0; liste[i] != 0; ++i) {
    const uint32_t m = prochain_coup(liste, i);
    // 18a. Extended search: late quiet moves are skipped near the leaves
    // and searched shallower elsewhere, again at full depth if they rise above alpha.
    const bool calme = etendue && est_calme<C>(e, m);
    int reduction = 0;
    if (calme && cherches > 0 && !echec) {
      if (elagage && (futile || cherches >= coups_avant_elagage(plies))) continue;
      if (plies >= 3 && cherches >= 3)
        reduction = std::min(reduction_tardive(plies, cherches, flags & NOEUD_PV), profondeur - 2 * UN_PLY);
    }
    int drapeaux = herites + test_legal(m);
    int s;
    if (cherches == 0) {
      drapeaux += flags & NOEUD_PV;
      s = -recherche<M>(m, drapeaux, profondeur - UN_PLY, -beta, -alpha, &e);
    } else {
      s = -recherche<M>(m, drapeaux, profondeur - UN_PLY - reduction, -alpha - 1, -alpha, &e);
    }
    if (s == -SCORE_ILLEGAL) continue;
    if (reduction > 0 && s > alpha) s = -recherche<M>(m, herites, profondeur - UN_PLY, -alpha - 1, -alpha, &e);
    if (cherches > 0 && alpha < s && s < beta)
      s = -recherche<M>(m, herites, profondeur - UN_PLY, -beta, -alpha, &e);
    ++cherches;
    if (calme && nb_calmes < 64) calmes[nb_calmes++] = m;
    if (s <= alpha) continue;
    if (menace) s = -recherche<M>(m, (drapeaux & ~TEST_LEGAL) | MENACE, profondeur, -beta, -alpha, &e);
    if (s >= beta) {
      if (!etendue) {
        record_cutoff<C>(m, coup, ply, plies);
      } else {
        retiens_refutation<C>(m, coup, ply);
        if (calme) historique_gravite<C>(m, calmes, nb_calmes, plies);
      }
      stocke_hash(&e, C, HASH_MINORANT, beta, m, plies, ply);
      return sortie(s);
    }
    if (s > alpha) {
      raccorde_pv(ply);
      meilleur = m;
      alpha = s;
    }
  }

  // 19. Store the result; no legal move and not in check is stalemate
  if (cherches > 0 || plies <= 2) {
    if (alpha == alpha_depart) {
      stocke_hash(&e, C, HASH_MAJORANT, alpha, 0, plies, ply);
    } else {
      stocke_hash(&e, C, HASH_EXACT, alpha, meilleur, plies, ply);
      if (!etendue) record_best<C>(meilleur, plies);
      else if (est_calme<C>(e, meilleur)) historique_gravite<C>(meilleur, nullptr, 0, plies);
    }
    return sortie(alpha);
  }
  stocke_hash(&e, C, HASH_EXACT, nulle, 0, plies, ply);
  return sortie(nulle);
}

}  // namespace

int recherche_blancs(uint32_t coup, int flags, int profondeur, int alpha, int beta, const EMPILAGE* parent) {
  return recherche<BLANCS>(coup, flags, profondeur, alpha, beta, parent);
}

int recherche_noirs(uint32_t coup, int flags, int profondeur, int alpha, int beta, const EMPILAGE* parent) {
  return recherche<NOIRS>(coup, flags, profondeur, alpha, beta, parent);
}
