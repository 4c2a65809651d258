#include "search/pilote.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frontend/boucle.h"
#include "frontend/livre.h"
#include "eval/preparation.h"
#include "notation/san.h"
#include "search/alphabeta.h"
#include "search/arret.h"
#include "search/globals.h"
#include "search/etendue.h"
#include "search/hash.h"
#include "search/ordering.h"
#include "search/publication.h"
#include "search/rapport.h"
#include "search/temps.h"

void (*rapporteur_reflexion)(const LIGNE_REFLEXION& ligne) = nullptr;

namespace {

std::atomic<bool> pilote_actif{false};  // the driver is running; written by the driver

int score_de(uint32_t entree) { return int16_t(entree >> 16); }

// The root list and node are read by the reports of other threads (under
// the report lock): every change the driver makes to them takes the lock.
void fixe_score(uint32_t& entree, int s) {
  verrou_section v(verrou_rapport);
  entree = (entree & 0xffff) | (uint32_t(uint16_t(int16_t(s))) << 16);
}

void echange_entrees(uint32_t& a, uint32_t& b) {
  verrou_section v(verrou_rapport);
  std::swap(a, b);
}

bool est_mat(int s) { return std::abs(s) > SEUIL_MAT && std::abs(s) <= 32700; }

// Sorts the list by score, highest first; equal scores keep their order.
void trie_liste(uint32_t* liste) {
  verrou_section v(verrou_rapport);
  uint32_t* fin = liste;
  while (*fin) ++fin;
  std::stable_sort(liste, fin, [](uint32_t a, uint32_t b) { return score_de(a) > score_de(b); });
}

// The root move m searched by the opponent's twin, from the root side's view.
int cherche_racine(int camp, uint32_t m, int drapeaux, int d, int alpha, int beta,
                   EMPILAGE* noeud) {
  return camp == BLANCS ? -recherche_noirs(m, drapeaux, (d - 1) * 256, -beta, -alpha, noeud)
                        : -recherche_blancs(m, drapeaux, (d - 1) * 256, -beta, -alpha, noeud);
}

// One thinking line, printed in one piece: depth, score, centiseconds, nodes, moves.
void ligne_reflexion(int d, uint32_t debut_ticks) {
  if (rapporteur_reflexion) {
    uint32_t pv[LONGUEUR_PV];
    copie_pv(pv, pv_rapportee);
    rapporteur_reflexion(LIGNE_REFLEXION{d - 2, lit_drapeau(meilleur_score),
                                         compte_ticks() - debut_ticks,
                                         uint32_t(nb_noeuds), pv});
    return;
  }
  if (!lit_drapeau(post_actif)) return;
  const uint32_t centisecondes = (compte_ticks() - debut_ticks) / 10;
  char tete[64];
  std::snprintf(tete, sizeof tete, "%d %3d %5u %7u ", d - 2,
                score_ligne_reflexion(lit_drapeau(meilleur_score)), centisecondes,
                uint32_t(nb_noeuds));
  uint32_t pv[LONGUEUR_PV];
  copie_pv(pv, pv_rapportee);
  char coups[LONGUEUR_PV * 8];
  ecrit_coordonnees_variante(coups, sizeof coups, pv);
  const std::string ligne = std::string(tete) + coups + "\n";
  std::fputs(ligne.c_str(), stdout);
  std::fflush(stdout);
}

// Scores every legal root move once with a quiescence search, sorts the
// list and tells whether the first move stands out.
int note_racine(int camp, uint32_t* liste, EMPILAGE* noeud) {
  for (uint32_t* l = liste; *l; ++l) fixe_score(*l, -INFINI);
  {
    verrou_section v(verrou_rapport);
    noeud->ply = 0;
  }
  ply_max_extension = 0;
  echange_atomique(profondeur_courante, 0);
  // A stop waits for the end of the scoring: the quiescence searches are short.
  struct Differe {
    Differe() { arret_differe = true; }
    ~Differe() { arret_differe = false; }
  } differe;
  try {
    for (uint32_t* l = liste; *l; ++l) {
      if (*l & COUP_ILLEGAL) continue;
      const uint32_t m = *l & 0xffff;
      const int s = camp == BLANCS ? -recherche_noirs(m, 0, 0, -INFINI, INFINI, noeud)
                                   : -recherche_blancs(m, 0, 0, -INFINI, INFINI, noeud);
      fixe_score(*l, s);
    }
  } catch (const RECHERCHE_ABANDONNEE&) {
  }
  trie_liste(liste);
  int premier = -INFINI;
  bool vu = false;
  for (uint32_t* l = liste; *l; ++l) {
    if (*l & COUP_ILLEGAL) continue;
    if (!vu) {
      premier = score_de(*l);
      vu = true;
    } else if (score_de(*l) >= premier - 2000) {
      return 0;
    }
  }
  return 1;
}

// What the steps of one root search share.
struct RACINE {
  int camp;
  uint32_t* liste;
  EMPILAGE* noeud;
  int fenetre;
  uint32_t t0;              // tick count at the start, for the thinking lines
  STATS_ITERATION stats;
  int B;                    // best score of the last iteration that got one

  int cherche(uint32_t m, int drapeaux, int d, int alpha, int beta) {
    return cherche_racine(camp, m, drapeaux, d, alpha, beta, noeud);
  }
  // A new best root score: the score and its line are published, and the
  // table is seeded with the line.
  void publie(int s) {
    echange_atomique(meilleur_score, s);
    publie_pv();
    seed_table(camp, noeud);
  }
};

// Fresh results and the opening book (for playing, not for analysing);
// true when the book gave the move, which then stands first in the list.
bool prend_livre(uint32_t* liste, int nouvelle, EMPILAGE* noeud) {
  echange_atomique(meilleur_score, 0);
  nb_noeuds = 0;
  if (nouvelle) efface_pv();
  {
    verrou_section v(verrou_rapport);
    compute_keys(noeud);
  }
  int livre = 0;
  if (!lit_drapeau(mode_analyse)) {
    verrou_section v(verrou_rapport);
    livre = sonde_livre(liste, noeud);
  }
  if (!livre) return false;
  echange_atomique(coup_courant, int32_t(liste[0] & 0xffff));
  echange_atomique(meilleur_score, SCORE_LIVRE);
  return true;
}

// Orders the root moves: a single legal one goes first and the deepening
// stops early; otherwise all are scored by a quiescence search and the
// previous line's move, when the search continues, goes first. Returns the
// depth the deepening stops before.
int range_racine(RACINE& r, int nouvelle) {
  uint32_t* const liste = r.liste;
  sauve_pv();
  int nb_legaux = 0;
  uint32_t* dernier_legal = nullptr;
  for (uint32_t* l = liste; *l; ++l)
    if (!(*l & COUP_ILLEGAL)) {
      ++nb_legaux;
      dernier_legal = l;
    }
  if (nb_legaux == 1) {
    echange_entrees(*dernier_legal, liste[0]);
    return 5;
  }
  if (liste[0] && (liste[0] & COUP_ILLEGAL) && dernier_legal) echange_entrees(liste[0], *dernier_legal);
  r.stats.coup_evident = note_racine(r.camp, liste, r.noeud);
  uint32_t pv[LONGUEUR_PV];
  copie_pv(pv, pv_courante);
  if (!nouvelle && pv[0]) {
    for (uint32_t* l = liste; *l; ++l)
      if ((*l & 0xffff) == (pv[0] & 0xffff)) {
        echange_entrees(*l, liste[0]);
        break;
      }
  }
  restaure_pv();
  return 32;
}

// Ends the iteration when the time rule or a stop says so; a stop after a
// move counts the iteration as finished.
void verifie_arret(RACINE& r, int gain, int d) {
  if (time_rule(gain, d, r.stats)) throw RECHERCHE_ABANDONNEE{};
  if (lit_drapeau(arret_recherche)) {
    r.stats.iteration_finie = 1;
    throw RECHERCHE_ABANDONNEE{};
  }
}

// One iteration at depth d from the first legal move `premier`: that move
// with the aspiration window around the previous score, the others with a
// null window first. alpha ends as the iteration's best score; returns
// whether the first move got a score.
bool itere(RACINE& r, uint32_t* premier, int d, int score_precedent, int& alpha) {
  bool resultat = false;
  int beta = score_precedent == -INFINI ? INFINI : score_precedent + r.fenetre;
  try {
    // First move, with the aspiration window
    {
      const uint32_t m = *premier & 0xffff;
      const uint32_t t = compte_ticks();
      int s = r.cherche(m, NOEUD_PV, d, alpha, beta);
      r.stats.ms_premier_coup = int(compte_ticks() - t);
      if (s <= alpha || s >= beta) seed_table(r.camp, r.noeud);
      if (s <= alpha) s = r.cherche(m, NOEUD_PV, d, -INFINI, alpha);
      else if (s >= beta) s = r.cherche(m, NOEUD_PV, d, beta - 1, INFINI);
      r.B = s;
      alpha = s;
      fixe_score(*premier, s);
      r.publie(s);
      resultat = true;
      ligne_reflexion(d, r.t0);
      verifie_arret(r, s - score_precedent, d);
    }

    // The other moves, each with a null window first
    for (uint32_t* l = premier + 1; *l; ++l) {
      if (*l & COUP_ILLEGAL) continue;
      const uint32_t m = *l & 0xffff;
      echange_atomique(coup_courant, int32_t(m));
      int s = r.cherche(m, 0, d, alpha, alpha + 1);
      if (s > alpha) {
        // Better than the best so far: shown at once, then searched again
        // with a window
        fixe_score(*l, s);
        r.publie(s);
        ++r.stats.changements_iteration;
        ++r.stats.changements_total;
        ligne_reflexion(d, r.t0);
        const int beta2 = std::abs(alpha) > SEUIL_MAT ? INFINI : alpha + r.fenetre;
        s = r.cherche(m, NOEUD_PV, d, alpha, beta2);
        if (s >= beta2) {
          seed_table(r.camp, r.noeud);
          s = r.cherche(m, NOEUD_PV, d, beta2 - 1, INFINI);
        }
        if (s > alpha) {
          alpha = s;
          r.B = s;
          r.publie(s);
        } else {
          echange_atomique(meilleur_score, alpha);
          restaure_pv();
        }
        fixe_score(*l, s);
        ligne_reflexion(d, r.t0);
      }
      verifie_arret(r, alpha - score_precedent, d);
    }
    r.stats.iteration_finie = 1;
  } catch (const RECHERCHE_ABANDONNEE&) {
  }
  return resultat;
}

}  // namespace

bool recherche_active() { return pilote_actif.load(); }

int score_ligne_reflexion(int s) {
  if (!est_mat(s)) return s / 4;
  const int n = 32700 - std::abs(s);  // plies to the mate
  const int coups = n / 2 + n % 2;
  return s > 0 ? 100000 + coups : -100000 - coups;
}

int pilote_recherche(int camp, uint32_t* liste, int score_precedent, int fenetre,
                     int profondeur_depart, int64_t temps_normal_ms, int64_t temps_max_ms,
                     int* limite_profondeur, int nouvelle, EMPILAGE* noeud) {
  struct Actif {
    Actif() { pilote_actif = true; }
    ~Actif() { pilote_actif = false; }
  } actif;

  // 1. Fresh results; the opening book may answer at once
  if (prend_livre(liste, nouvelle, noeud)) return 1;

  // 2. Tables and clock
  {
    verrou_section v(verrou_rapport);
    prepare_recherche(noeud);
  }
  if (start_timer(temps_normal_ms, temps_max_ms) != 0) return -INFINI;
  next_generation();
  // The search the front end asks for holds for this whole search; its
  // histories differ in kind from the other search's, so a change clears them.
  const bool etendue = option_recherche_etendue.load(std::memory_order_relaxed);
  if (nouvelle || etendue != recherche_etendue) clear_tables();
  recherche_etendue = etendue;
  RACINE r{camp, liste, noeud, fenetre, compte_ticks(), STATS_ITERATION{0, 0, 0, 0, 0}, 0};
  echange_atomique(coup_courant, 0);
  camp_moteur = camp;

  // 3. Root moves: a single one, or all scored by a quiescence search
  const int iteration_max = range_racine(r, nouvelle);
  if (!nouvelle) seed_table(camp, noeud);

  // 4. Iterative deepening
  int d = profondeur_depart;
  bool fin = false;  // the driver's own decision to stop
  auto arret = [&] { return fin || lit_drapeau(arret_recherche) != 0; };
  while (!arret() && d < iteration_max && !est_mat(r.B)) {
    r.stats.changements_iteration = 0;
    r.stats.iteration_finie = 0;
    int alpha = score_precedent == -INFINI ? -INFINI : score_precedent - fenetre;

    for (uint32_t* l = liste; *l; ++l) fixe_score(*l, -INFINI);
    uint32_t* premier = liste;
    while (*premier && (*premier & COUP_ILLEGAL)) ++premier;
    if (!*premier) break;

    {
      verrou_section v(verrou_rapport);
      noeud->ply = 0;
    }
    echange_atomique(profondeur_courante, d);
    ply_max_extension = std::min(2 * d - 1, 30);
    echange_atomique(coup_courant, int32_t(*premier & 0xffff));

    if (!itere(r, premier, d, score_precedent, alpha)) continue;

    // End of the iteration
    trie_liste(liste);
    if (time_rule(alpha - score_precedent, d, r.stats)) fin = true;
    if (d >= *limite_profondeur) fin = true;
    score_precedent = alpha;
    ++d;
    if (arret()) break;
    age_history();
    if (arret()) break;
    seed_table(camp, noeud);
  }

  // 5. The stop flag served this search; the next one starts unhindered.
  stop_timer();
  echange_atomique(arret_recherche, 0);
  *limite_profondeur = d - 1;
  return lit_drapeau(meilleur_score);
}
