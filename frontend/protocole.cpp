#include "frontend/protocole.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

#include "board/echiquier.h"
#include "frontend/livre.h"
#include "frontend/niveau.h"
#include "frontend/reflexion.h"
#include "notation/coordonnees.h"
#include "notation/san.h"
#include "search/alphabeta.h"
#include "search/globals.h"
#include "search/etendue.h"
#include "search/hash.h"
#include "search/rapport.h"

drapeau_atomique protocole_v2{0};
int ms_par_coup = 0;
int profondeur_max_sd = 0;

namespace {
std::mutex verrou_pongs;                  // guards the two below
std::vector<std::string> pongs_attente;   // pings waiting for the engine's move line
bool pongs_retenus = false;               // a thread is searching its own move
}  // namespace

std::string ligne_features() {
  const bool etendue = option_recherche_etendue.load(std::memory_order_relaxed);
  return "feature myname=\"pellarq " PELLARQ_VERSION "\" ping=1 setboard=1 playother=0 san=0 "
         "usermove=0 time=1 draw=0 sigint=0 sigterm=0 reuse=1 analyze=1 colors=0 ics=0 name=0 "
         "pause=0 memory=1 smp=0 variants=\"normal\" option=\"Move Overhead -spin " +
         std::to_string(marge_coup_ms) + " 0 " + std::to_string(MARGE_COUP_MAX_MS) +
         "\" option=\"SEARCH -combo " + (etendue ? "classic /// *extended" : "*classic /// extended") +
         "\" done=1\n";
}

std::string ligne_coup(int numero, uint32_t coup) {
  char texte[8];
  if (lit_drapeau(protocole_v2)) {
    texte_protocole(coup & 0xffff, texte);
    return std::string("move ") + texte + "\n";
  }
  texte_coordonnees(coup & 0xffff, texte);
  return std::to_string(numero) + ". ... " + texte + "\n";
}

void commande_ping(const std::string& n) {
  std::lock_guard<std::mutex> g(verrou_pongs);
  if (pongs_retenus) {
    pongs_attente.push_back(n);
  } else {
    std::printf("pong %s\n", n.c_str());
    std::fflush(stdout);
  }
}

void libere_pongs() {
  std::lock_guard<std::mutex> g(verrou_pongs);
  pongs_retenus = false;
  for (const std::string& n : pongs_attente) std::printf("pong %s\n", n.c_str());
  pongs_attente.clear();
  std::fflush(stdout);
}

void retient_pongs() {
  std::lock_guard<std::mutex> g(verrou_pongs);
  pongs_retenus = true;
}

void applique_limites_fixes(CEchiquier& e) {
  if (ms_par_coup > 0) {
    LIMITES_TEMPS l{ms_par_coup, ms_par_coup};
    if (temps_recu) l = borne_horloge(l, temps_restant_ms, marge_coup_ms);
    e.SetTempsLimiteMs(l.normal_ms, l.maximum_ms);
  }
  if (profondeur_max_sd > 0) e.SetProfondeur(profondeur_max_sd + 2);
}

int exposant_memoire(long megaoctets) {
  // Each table entry costs 11 bytes, and its eighth of a pawn-cache entry 9/8.
  const double par_entree = 11.0 + 9.0 / 8.0;
  int n = 13;
  while (n < 23 && double(uint64_t(1) << (n + 1)) * par_entree <= double(megaoctets) * 1048576.0)
    ++n;
  return n;
}

std::string ligne_hint(const COPIE_PLATEAU& c) {
  if (c.coup_prevu == 0) return "";
  for (const uint32_t* l = c.liste; *l; ++l) {
    if (!(*l & COUP_ILLEGAL) && (*l & 0xffff) == uint32_t(c.coup_prevu)) {
      char t[8];
      texte_protocole(*l, t);
      return std::string("Hint: ") + t + "\n";
    }
  }
  return "";
}

std::string lignes_bk(const COPIE_PLATEAU& c) {
  EMPILAGE racine = c.position;
  compute_keys(&racine);
  uint16_t coups[5] = {};
  bool trouve = false;
  for (uint32_t d : {0u, 2u}) {
    if (lit_enregistrement_livre(FICHIER_LIVRE, &racine, d, coups) && coups[0]) {
      trouve = true;
      break;
    }
  }
  std::string r;
  for (int i = 0; trouve && i < 4 && coups[i]; ++i) {
    char san[32] = "";
    ecrit_san(san, sizeof san, coups[i], c.liste, racine);
    std::string s = san;
    while (!s.empty() && s.back() == ' ') s.pop_back();
    if (!s.empty()) r += "\t" + s + "\n";
  }
  if (r.empty()) r = "\tno book moves\n";
  return r + "\n";
}

std::string ligne_stat01(CEchiquier& e, uint32_t debut_ticks) {
  const uint32_t courant = uint32_t(lit_drapeau(coup_courant)) & 0xffff;
  int total = 0, rang = 0;
  {
    verrou_section v(verrou_rapport);
    for (const uint32_t* l = e.liste_coups; *l; ++l) {
      if (*l & COUP_ILLEGAL) continue;
      ++total;
      if ((*l & 0xffff) == courant) rang = total;
    }
  }
  char texte[8] = "";
  if (courant) texte_protocole(courant, texte);
  char ligne[128];
  std::snprintf(ligne, sizeof ligne, "stat01: %u %u %d %d %d %s\n",
                (compte_ticks() - debut_ticks) / 10, uint32_t(nb_noeuds), std::max(0, e.GetDepth()),
                rang ? total - rang : total, total, texte);
  return ligne;
}
