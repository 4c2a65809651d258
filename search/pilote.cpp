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
void ligne_reflexion(int d, uint32_t debut_ticks, uint32_t noeuds_debut) {
  if (rapporteur_reflexion) {
    uint32_t pv[LONGUEUR_PV];
    copie_pv(pv, pv_rapportee);
    rapporteur_reflexion(LIGNE_REFLEXION{d - 2, lit_drapeau(meilleur_score),
                                         compte_ticks() - debut_ticks,
                                         uint32_t(nb_noeuds - noeuds_debut), pv});
    return;
  }
  if (!lit_drapeau(post_actif)) return;
  const uint32_t centisecondes = (compte_ticks() - debut_ticks) / 10;
  char tete[64];
  std::snprintf(tete, sizeof tete, "%d %3d %5u %7u ", d - 2,
                score_ligne_reflexion(lit_drapeau(meilleur_score)), centisecondes,
                uint32_t(nb_noeuds - noeuds_debut));
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

  // Fresh results
  echange_atomique(meilleur_score, 0);
  nb_noeuds = 0;
  if (nouvelle) efface_pv();
  {
    verrou_section v(verrou_rapport);
    compute_keys(noeud);
  }

  // Opening book: for playing, not for analysing
  int livre = 0;
  if (!lit_drapeau(mode_analyse)) {
    verrou_section v(verrou_rapport);
    livre = sonde_livre(liste, noeud);
  }
  if (livre) {
    echange_atomique(coup_courant, int32_t(liste[0] & 0xffff));
    echange_atomique(meilleur_score, SCORE_LIVRE);
    return 1;
  }

  {
    verrou_section v(verrou_rapport);
    prepare_recherche(noeud);
  }
  if (start_timer(temps_normal_ms, temps_max_ms) != 0) return -INFINI;

  next_generation();
  int d = profondeur_depart;
  int B = 0;
  if (nouvelle) clear_tables();
  const uint32_t noeuds_debut = 0;
  const uint32_t t0 = compte_ticks();
  echange_atomique(coup_courant, 0);
  STATS_ITERATION stats{0, 0, 0, 0, 0};
  camp_moteur = camp;

  // Root moves: a single one, or all scored by a quiescence search
  sauve_pv();
  int nb_legaux = 0;
  uint32_t* dernier_legal = nullptr;
  for (uint32_t* l = liste; *l; ++l)
    if (!(*l & COUP_ILLEGAL)) {
      ++nb_legaux;
      dernier_legal = l;
    }
  int iteration_max;
  if (nb_legaux == 1) {
    echange_entrees(*dernier_legal, liste[0]);
    iteration_max = 5;
  } else {
    if (liste[0] && (liste[0] & COUP_ILLEGAL) && dernier_legal) echange_entrees(liste[0], *dernier_legal);
    iteration_max = 32;
    stats.coup_evident = note_racine(camp, liste, noeud);
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
  }
  if (!nouvelle) seed_table(camp, noeud);

  // Iterative deepening
  bool fin = false;  // the driver's own decision to stop
  auto arret = [&] { return fin || lit_drapeau(arret_recherche) != 0; };
  while (!arret() && d < iteration_max && !est_mat(B)) {
    stats.changements_iteration = 0;
    stats.iteration_finie = 0;
    bool resultat = false;
    int alpha = score_precedent == -INFINI ? -INFINI : score_precedent - fenetre;
    int beta = score_precedent == -INFINI ? INFINI : score_precedent + fenetre;

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

    try {
      // First move, with the aspiration window
      {
        const uint32_t m = *premier & 0xffff;
        const uint32_t t = compte_ticks();
        int s = cherche_racine(camp, m, NOEUD_PV, d, alpha, beta, noeud);
        stats.ms_premier_coup = int(compte_ticks() - t);
        if (s <= alpha || s >= beta) seed_table(camp, noeud);
        if (s <= alpha) s = cherche_racine(camp, m, NOEUD_PV, d, -INFINI, alpha, noeud);
        else if (s >= beta) s = cherche_racine(camp, m, NOEUD_PV, d, beta - 1, INFINI, noeud);
        B = s;
        echange_atomique(meilleur_score, s);
        alpha = s;
        fixe_score(*premier, s);
        publie_pv();
        seed_table(camp, noeud);
        resultat = true;
        ligne_reflexion(d, t0, noeuds_debut);
        if (time_rule(s - score_precedent, d, stats)) throw RECHERCHE_ABANDONNEE{};
        if (lit_drapeau(arret_recherche)) {
          stats.iteration_finie = 1;
          throw RECHERCHE_ABANDONNEE{};
        }
      }

      // The other moves, each with a null window first
      for (uint32_t* l = premier + 1; *l; ++l) {
        if (*l & COUP_ILLEGAL) continue;
        const uint32_t m = *l & 0xffff;
        echange_atomique(coup_courant, int32_t(m));
        int s = cherche_racine(camp, m, 0, d, alpha, alpha + 1, noeud);
        if (s > alpha) {
          echange_atomique(meilleur_score, s);
          fixe_score(*l, s);
          publie_pv();
          seed_table(camp, noeud);
          ++stats.changements_iteration;
          ++stats.changements_total;
          ligne_reflexion(d, t0, noeuds_debut);
          const int beta2 = std::abs(alpha) > SEUIL_MAT ? INFINI : alpha + fenetre;
          s = cherche_racine(camp, m, NOEUD_PV, d, alpha, beta2, noeud);
          if (s >= beta2) {
            seed_table(camp, noeud);
            s = cherche_racine(camp, m, NOEUD_PV, d, beta2 - 1, INFINI, noeud);
          }
          if (s > alpha) {
            alpha = s;
            B = s;
            echange_atomique(meilleur_score, s);
            publie_pv();
            seed_table(camp, noeud);
          } else {
            echange_atomique(meilleur_score, alpha);
            restaure_pv();
          }
          fixe_score(*l, s);
          ligne_reflexion(d, t0, noeuds_debut);
        }
        if (time_rule(alpha - score_precedent, d, stats)) throw RECHERCHE_ABANDONNEE{};
        if (lit_drapeau(arret_recherche)) {
          stats.iteration_finie = 1;
          throw RECHERCHE_ABANDONNEE{};
        }
      }
      stats.iteration_finie = 1;
    } catch (const RECHERCHE_ABANDONNEE&) {
    }

    // End of the iteration
    if (!resultat) continue;
    trie_liste(liste);
    if (time_rule(alpha - score_precedent, d, stats)) fin = true;
    if (d >= *limite_profondeur) fin = true;
    score_precedent = alpha;
    ++d;
    if (arret()) break;
    age_history();
    if (arret()) break;
    seed_table(camp, noeud);
  }

  stop_timer();
  // The stop flag served this search; the next one starts unhindered.
  echange_atomique(arret_recherche, 0);
  *limite_profondeur = d - 1;
  return lit_drapeau(meilleur_score);
}
