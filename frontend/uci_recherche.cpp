#include "frontend/uci_recherche.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "board/echiquier.h"
#include "board/movegen.h"
#include "frontend/livre.h"
#include "frontend/niveau.h"
#include "frontend/reflexion.h"
#include "frontend/uci.h"
#include "frontend/uci_options.h"
#include "frontend/uci_temps.h"
#include "notation/coordonnees.h"
#include "platform/fil.h"
#include "search/alphabeta.h"
#include "search/arret.h"
#include "search/globals.h"
#include "search/hash.h"
#include "search/pilote.h"
#include "search/rapport.h"
#include "search/temps.h"

namespace {

// Limits of the numbers a "go" may give.
constexpr long long TEMPS_MAX_MS = 1000000000;  // eleven days and a half
constexpr int PROFONDEUR_MAX = 1000;
// After this long a search reports its current root move, at most this often.
constexpr uint32_t DELAI_CURRMOVE_MS = 1000, PERIODE_CURRMOVE_MS = 500;

// What the search thread works on: the board and the limits of its "go".
struct TACHE_UCI {
  CEchiquier* e;
  PARAMETRES_GO go;
  std::vector<uint32_t> restreints;  // searchmoves: the root moves set aside (move bits)
};
TACHE_UCI tache;               // written by the loop before the thread starts
FIL* fil_recherche = nullptr;  // the search thread of the last "go"; written by the loop

drapeau_atomique stop_recu{0};       // "stop" (or a command needing the board) came; set by the loop
drapeau_atomique ponderhit_recu{0};  // "ponderhit" came; set by the loop
drapeau_atomique fin_veille{0};      // the watcher must end; set by the search thread

// A number word, cut to [min, max]; false when it is no number.
bool lit_nombre(const std::string& mot, long long min, long long max, long long& n) {
  const char* debut = mot.c_str();
  char* fin = nullptr;
  errno = 0;
  long long x = std::strtoll(debut, &fin, 10);
  if (fin == debut || *fin != 0) return false;
  if (errno == ERANGE) x = debut[0] == '-' ? min : max;
  n = std::clamp(x, min, max);
  return true;
}

// Analysis and pondering: thirty days.
void sans_limite_de_temps(CEchiquier& e) {
  e.SetTempsLimite(int(TRENTE_JOURS_MS / 1000), int(TRENTE_JOURS_MS / 1000));
}

// Sets the board's depth and time limits for one run of the driver.
void fixe_limites(CEchiquier& e, const PARAMETRES_GO& g, bool sans_pendule) {
  int limite = 999;
  if (g.depth > 0) limite = g.depth + 2;
  if (g.mate > 0) limite = std::min(limite, 2 * g.mate + 1);
  e.SetProfondeur(limite);

  const long long restant = e.trait == BLANCS ? g.wtime : g.btime;
  const long long increment = e.trait == BLANCS ? g.winc : g.binc;
  if (sans_pendule || g.infinite) {
    sans_limite_de_temps(e);
  } else if (g.movetime >= 0) {
    const int ms = int(std::max<long long>(1, g.movetime - marge_coup_ms));
    fixe_temps_ms(e, ms, ms);
  } else if (restant >= 0) {
    fixe_temps_pendule(e, int(restant), int(increment), g.movestogo, marge_coup_ms);
  } else {
    sans_limite_de_temps(e);
  }
}

// Position of the root move among the legal entries of the board's list
// (1 for the first), or 0.
int numero_coup_racine(CEchiquier& e, uint32_t coup) {
  verrou_section v(verrou_rapport);
  int n = 0;
  for (const uint32_t* l = e.liste_coups; *l; ++l) {
    if (*l & COUP_ILLEGAL) continue;
    ++n;
    if ((*l & 0xffff) == (coup & 0xffff)) return n;
  }
  return 0;
}

// The watcher of a running search: the node limit, and the current root
// move now and then during long searches.
void veille(void*) {
  CEchiquier& e = *tache.e;
  const long long noeuds_max = tache.go.nodes;
  const uint32_t debut = compte_ticks();
  uint32_t dernier_rapport = debut;
  int32_t dernier_coup = 0;
  while (!lit_drapeau(fin_veille)) {
    if (noeuds_max > 0 && recherche_active() && (long long)nb_noeuds.load() >= noeuds_max)
      echange_atomique(arret_recherche, 1);
    const uint32_t t = compte_ticks();
    const int32_t coup = lit_drapeau(coup_courant);
    if (t - debut >= DELAI_CURRMOVE_MS && t - dernier_rapport >= PERIODE_CURRMOVE_MS &&
        recherche_active() && coup != 0 && coup != dernier_coup) {
      const int numero = numero_coup_racine(e, uint32_t(coup));
      if (numero > 0) {
        char texte[8];
        texte_protocole(uint32_t(coup), texte);
        ecrit_uci("info currmove " + std::string(texte) + " currmovenumber " +
                  std::to_string(numero));
      }
      dernier_coup = coup;
      dernier_rapport = t;
    }
    dort_ms(5);
  }
}

// One run of the driver on the board, with the watcher beside it.
uint32_t analyse_surveillee(CEchiquier& e) {
  nb_noeuds = 0;
  echange_atomique(fin_veille, 0);
  FIL* veilleur = cree_fil(size_t(256) << 10, veille, nullptr);
  const uint32_t coup = e.Analyse();
  echange_atomique(fin_veille, 1);
  ferme_fil(veilleur);
  return coup;
}

// The side to move is in check.
bool en_echec(CEchiquier& e) {
  EMPILAGE w = *e.emp;
  e.CopieEmp(&w);
  const uint32_t r = e.trait == BLANCS ? genere_noirs(nullptr, 0, 0, &w)
                                       : genere_blancs(nullptr, 0, 0, &w);
  return (r & COUP_ILLEGAL) != 0;
}

// The predicted reply to `coup` when it is legal after it, else 0.
uint32_t reponse_legale(CEchiquier& e, uint32_t coup, uint32_t prevu) {
  if (prevu == 0) return 0;
  EMPILAGE w = *e.emp;
  e.CopieEmp(&w);
  uint32_t liste[TAILLE_LISTE_COUPS];
  const uint32_t r = e.trait == BLANCS ? genere_noirs(liste, coup, 0, &w)
                                       : genere_blancs(liste, coup, 0, &w);
  if ((r & COUP_ILLEGAL) || r == RESULTAT_MAT || r == RESULTAT_PAT) return 0;
  for (const uint32_t* l = liste; *l; ++l)
    if (!(*l & COUP_ILLEGAL) && (*l & 0xffff) == (prevu & 0xffff)) return *l & 0xffff;
  return 0;
}

// Gives the set-aside root moves back to the board's list.
void rend_coups_restreints(CEchiquier& e, const std::vector<uint32_t>& restreints) {
  if (restreints.empty()) return;
  verrou_section v(verrou_rapport);
  for (uint32_t* l = e.liste_coups; *l; ++l)
    if (std::find(restreints.begin(), restreints.end(), *l & 0x7fff) != restreints.end())
      *l &= ~COUP_ILLEGAL;
}

// The search thread of one "go": search, wait while "go infinite" or
// "go ponder" asks for it, then exactly one "bestmove".
void recherche(void*) {
  CEchiquier& e = *tache.e;
  const PARAMETRES_GO& g = tache.go;
  std::srand(compte_ticks());
  graine_livre(compte_ticks());

  // Search; a ponder search cut by "ponderhit" starts again on the clock
  bool ponder = g.ponder;
  uint32_t coup;
  for (;;) {
    if (ponder && lit_drapeau(ponderhit_recu)) ponder = false;
    fixe_limites(e, g, ponder);
    // A "stop" or "ponderhit" sent meanwhile still stops this run
    echange_atomique(arret_recherche, 0);
    if (lit_drapeau(stop_recu) || (ponder && lit_drapeau(ponderhit_recu)))
      echange_atomique(arret_recherche, 1);
    coup = analyse_surveillee(e);
    if (ponder && lit_drapeau(ponderhit_recu) && !lit_drapeau(stop_recu) && coup != 0xFFFFFFFF) {
      ponder = false;
      continue;
    }
    break;
  }
  rend_coups_restreints(e, tache.restreints);

  // "go infinite" and "go ponder" answer only after "stop" or "ponderhit"
  for (;;) {
    if (lit_drapeau(stop_recu)) break;
    if (ponder && lit_drapeau(ponderhit_recu)) ponder = false;
    if (!ponder && !g.infinite) break;
    dort_ms(5);
  }

  // The answer
  if (coup == 0xFFFFFFFF) {
    ecrit_uci(en_echec(e) ? "info depth 0 score mate 0" : "info depth 0 score cp 0");
    ecrit_uci("bestmove 0000");
    return;
  }
  coup &= 0xffff;
  char texte[8];
  texte_protocole(coup, texte);
  if (lit_drapeau(meilleur_score) == SCORE_LIVRE && uint32_t(lit_drapeau(coup_courant)) == coup)
    ecrit_uci(std::string("info string book move ") + texte);
  std::string ligne = std::string("bestmove ") + texte;
  if (const uint32_t reponse = reponse_legale(e, coup, uint32_t(e.coup_prevu))) {
    char texte_reponse[8];
    texte_protocole(reponse, texte_reponse);
    ligne += std::string(" ponder ") + texte_reponse;
  }
  ecrit_uci(ligne);
}

// Share of the transposition table filled by the running search, per mille
// (a sample of its first entries). Read on the search thread.
int hashfull() {
  if (!table_hash || taille_hash == 0) return 0;
  const uint32_t n = std::min<uint32_t>(1000, taille_hash);
  uint32_t pleins = 0;
  for (uint32_t i = 0; i < n; ++i)
    if ((table_hash[i].info & 7) != HASH_VIDE && table_hash[i].generation == generation_hash) ++pleins;
  return int(pleins * 1000 / n);
}

}  // namespace

std::string score_uci(int s) {
  const int a = std::abs(s);
  if (a > SEUIL_MAT && a <= MAT) {
    const int plies = MAT - a;
    const int coups = (plies + 1) / 2;
    return "mate " + std::to_string(s > 0 ? coups : -coups);
  }
  return "cp " + std::to_string(s / 4);
}

void rapporte_ligne_uci(const LIGNE_REFLEXION& l) {
  int longueur = 0;
  std::string pv;
  for (const uint32_t* m = l.pv; *m && longueur < LONGUEUR_PV; ++m, ++longueur) {
    char texte[8];
    texte_protocole(*m & 0xffff, texte);
    pv += std::string(" ") + texte;
  }
  const int profondeur = std::max(1, l.profondeur);
  const uint64_t nps = uint64_t(l.noeuds) * 1000 / std::max<uint32_t>(1, l.millisecondes);
  std::string ligne = "info depth " + std::to_string(profondeur) + " seldepth " +
                      std::to_string(std::max(profondeur, longueur)) + " score " +
                      score_uci(l.score) + " nodes " + std::to_string(l.noeuds) + " nps " +
                      std::to_string(nps) + " hashfull " + std::to_string(hashfull()) +
                      " time " + std::to_string(l.millisecondes);
  if (!pv.empty()) ligne += " pv" + pv;
  ecrit_uci(ligne);
}

uint32_t coup_uci(CEchiquier& e, const std::string& texte) {
  if (texte.size() < 4 || texte.size() > 5) return 0;
  for (const uint32_t* l = e.liste_coups; *l; ++l) {
    if (*l & COUP_ILLEGAL) continue;
    char t[8];
    texte_protocole(*l & 0xffff, t);
    if (texte == t) return *l & 0xffff;
  }
  return 0;
}

PARAMETRES_GO lit_parametres_go(const std::string& reste, std::string& remarque) {
  PARAMETRES_GO g;
  std::istringstream flux(reste);
  std::vector<std::string> mots;
  for (std::string m; flux >> m;) mots.push_back(m);
  std::vector<std::string> incompris;
  for (size_t i = 0; i < mots.size(); ++i) {
    const std::string& m = mots[i];
    // The number after a keyword, cut to [min, max]
    auto nombre = [&](long long min, long long max, long long& cible) {
      long long n;
      if (i + 1 < mots.size() && lit_nombre(mots[i + 1], min, max, n)) {
        cible = n;
        ++i;
      } else {
        incompris.push_back(m);
      }
    };
    long long n = 0;
    // A clock that has run out (or gone below zero) still gets a move
    if (m == "wtime") nombre(0, TEMPS_MAX_MS, g.wtime);
    else if (m == "btime") nombre(0, TEMPS_MAX_MS, g.btime);
    else if (m == "winc") nombre(0, TEMPS_MAX_MS, g.winc);
    else if (m == "binc") nombre(0, TEMPS_MAX_MS, g.binc);
    else if (m == "movetime") nombre(0, TEMPS_MAX_MS, g.movetime);
    else if (m == "nodes") nombre(1, (long long)1 << 40, g.nodes);
    else if (m == "movestogo") {
      nombre(0, 1000, n);
      g.movestogo = int(n);
    } else if (m == "depth") {
      nombre(1, PROFONDEUR_MAX, n);
      g.depth = int(n);
    } else if (m == "mate") {
      nombre(1, PROFONDEUR_MAX, n);
      g.mate = int(n);
    } else if (m == "infinite") g.infinite = true;
    else if (m == "ponder") g.ponder = true;
    else if (m == "searchmoves") {
      while (i + 1 < mots.size() && mots[i + 1].size() >= 4 && mots[i + 1].size() <= 5 &&
             mots[i + 1][0] >= 'a' && mots[i + 1][0] <= 'h')
        g.searchmoves.push_back(mots[++i]);
    } else incompris.push_back(m);
  }
  if (!incompris.empty()) {
    remarque = "go: ignored";
    for (const auto& m : incompris) remarque += " " + m;
  }
  return g;
}

std::string lance_recherche_uci(CEchiquier& e, const PARAMETRES_GO& g) {
  std::string remarque;
  tache = TACHE_UCI{&e, g, {}};

  // searchmoves: the other root moves are set aside for this search
  if (!g.searchmoves.empty()) {
    std::vector<uint32_t> gardes;
    for (const auto& m : g.searchmoves) {
      const uint32_t c = coup_uci(e, m);
      if (c) gardes.push_back(c);
      else remarque += (remarque.empty() ? "searchmoves: not legal:" : "") + (" " + m);
    }
    if (!gardes.empty()) {
      for (uint32_t* l = e.liste_coups; *l; ++l) {
        if (*l & COUP_ILLEGAL) continue;
        if (std::find(gardes.begin(), gardes.end(), *l & 0xffff) == gardes.end()) {
          tache.restreints.push_back(*l & 0x7fff);
          *l |= COUP_ILLEGAL;
        }
      }
    }
  }

  // Analysis searches book positions too
  livre_consulte = options_uci.own_book && !g.infinite ? 1 : 0;
  echange_atomique(stop_recu, 0);
  echange_atomique(ponderhit_recu, 0);
  fil_recherche = cree_fil(PILE_REFLEXION, recherche, nullptr);
  if (!fil_recherche) {
    rend_coups_restreints(e, tache.restreints);
    ecrit_uci("bestmove 0000");
    return "the search thread cannot be created";
  }
  return remarque;
}

void arrete_recherche_uci() {
  if (!fil_recherche) return;
  echange_atomique(stop_recu, 1);
  echange_atomique(arret_recherche, 1);
  ferme_fil(fil_recherche);
  fil_recherche = nullptr;
}

void ponderhit_uci() {
  if (!fil_recherche || echange_atomique(ponderhit_recu, 1)) return;
  // A ponder search still running stops, and starts again on the clock.
  if (tache.go.ponder) echange_atomique(arret_recherche, 1);
}
