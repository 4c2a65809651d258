#include "frontend/boucle.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "board/echiquier.h"
#include "board/perft.h"
#include "frontend/edition.h"
#include "frontend/niveau.h"
#include "frontend/protocole.h"
#include "frontend/bench.h"
#include "frontend/reflexion.h"
#include "frontend/signalement.h"
#include "frontend/uci.h"
#include "notation/lecture.h"
#include "eval/evaluation.h"
#include "search/etendue.h"
#include "search/hash.h"
#include "notation/texte.h"

drapeau_atomique anticipation_active{0};
drapeau_atomique post_actif{0};
drapeau_atomique mode_analyse{0};
int mode_force = 0;

namespace {

// What a command does; returns false when the line must go on down the table.
// `ligne` is the upper-cased line, `brute` the line as it was typed.
using action_commande = bool (*)(CEchiquier& e, std::string& ligne, const std::string& brute,
                                 bool& fin);
// Whether a line that matches the keyword is this command and will act;
// a line it refuses must leave the board and the thinking thread alone.
using verifie_commande = bool (*)(const CEchiquier& e, const std::string& ligne);

// How a command treats a running thinking thread.
enum ARRET {
  CONTINUE,   // leaves it running
  ARRETE,     // stops it first; a search of the engine's own move ends with that move
  ABANDONNE,  // stops it first; in version-2 mode a move being searched is dropped
};

struct COMMANDE {
  const char* mot;  // keyword
  int prefixe;      // 0: the whole line equals it; n: its first n characters do
  ARRET arret;      // what happens to a running thinking thread first
  action_commande action;
  verifie_commande agit = nullptr;  // for commands that stop: null when every match acts
};

uint32_t debut_analyse = 0;  // tick count when the analysis search last started; written by the loop

// In analysis mode, a new position is analysed at once.
void relance_analyse(CEchiquier& e) {
  if (!lit_drapeau(mode_analyse) || lit_drapeau(reflexion_en_cours)) return;
  debut_analyse = compte_ticks();
  demarrer_reflexion(e);
}

// The keyword of `n` letters is the whole line or followed by a space.
bool mot_entier(const std::string& ligne, size_t n) { return ligne.size() == n || ligne[n] == ' '; }

bool ignore(CEchiquier&, std::string&, const std::string&, bool&) { return true; }

// "GO": think about a move for the side to move. While the engine searches
// its own move or analyses, nothing happens. A thread that has played its
// move (pondering, or about to ponder, or ending) is stopped first and the
// search starts once it has settled.
bool go(CEchiquier& e, std::string&, const std::string&, bool&) {
  if (coup_en_attente()) return true;
  if (lit_drapeau(mode_analyse) && lit_drapeau(reflexion_en_cours)) return true;
  arreter_reflexion();
  if (lit_drapeau(mode_analyse)) debut_analyse = compte_ticks();
  demarrer_reflexion(e);
  return true;
}

// "LEVEL mps base inc".
bool level(CEchiquier&, std::string& ligne, const std::string&, bool&) {
  if (!commande_level(ligne.c_str())) std::printf("Error (command not legal)\n");
  ms_par_coup = 0;
  return true;
}

// The clock after "TIME"/"OTIM" in milliseconds (centiseconds as sent; a
// clock at or below zero is out); false when no number follows.
bool lit_horloge_ms(const std::string& ligne, int* ms) {
  const char* debut = ligne.c_str() + 4;
  char* fin = nullptr;
  const long cs = std::strtol(debut, &fin, 10);
  if (fin == debut) return false;
  *ms = int(std::clamp(cs, 0L, 100000000L)) * 10;
  return true;
}

// "TIME n": the engine's clock in centiseconds.
bool commande_time(CEchiquier&, std::string& ligne, const std::string&, bool&) {
  if (lit_horloge_ms(ligne, &temps_restant_ms)) temps_recu = 1;
  return true;
}

// "OTIM n": the opponent's clock in centiseconds.
bool commande_otim(CEchiquier&, std::string& ligne, const std::string&, bool&) {
  lit_horloge_ms(ligne, &temps_adverse_ms);
  return true;
}

bool exit_analyse(CEchiquier&, std::string&, const std::string&, bool&) {
  echange_atomique(mode_analyse, 0);
  return true;
}

// "EDIT": piece lines until "."; the end of input ends the program.
bool edit(CEchiquier& e, std::string&, const std::string&, bool& fin) {
  bool fin_entree = false;
  std::string motif;
  const int r = mode_edition(e, e.trait, &fin_entree, &motif);
  fin = fin_entree;
  if (r != 0) signale_echec("Illegal position: " + motif, stdout);
  else if (!fin) relance_analyse(e);
  return true;
}

// "XBOARD": a GUI drives the engine from now on.
bool xboard(CEchiquier&, std::string&, const std::string&, bool&) {
  interface_xboard = 1;
  return true;
}

// "PROTOVER n": version 2 and later get the feature line and "move" lines.
bool protover(CEchiquier&, std::string& ligne, const std::string&, bool&) {
  interface_xboard = 1;
  if (std::atoi(ligne.c_str() + 8) >= 2) {
    std::fputs(ligne_features().c_str(), stdout);
    echange_atomique(protocole_v2, 1);
  }
  return true;
}

// "PING n": "pong n" once everything before it has taken effect.
bool ping(CEchiquier&, std::string&, const std::string& brute, bool&) {
  size_t i = 4;
  while (i < brute.size() && brute[i] == ' ') ++i;
  commande_ping(brute.substr(i));
  return true;
}

// The positive number after a keyword of `longueur` letters, into `cible`;
// anything else is not legal.
void lit_limite(const std::string& ligne, size_t longueur, int& cible) {
  const int n = std::atoi(ligne.c_str() + longueur);
  if (n <= 0) std::printf("Error (command not legal): %s\n", ligne.c_str());
  else cible = n;
}

// "ST n": n seconds (possibly fractional) for every search, until a LEVEL.
bool st(CEchiquier&, std::string& ligne, const std::string&, bool&) {
  const int ms = lit_secondes_ms(ligne.c_str() + 3);
  if (ms <= 0) std::printf("Error (command not legal): %s\n", ligne.c_str());
  else ms_par_coup = ms;
  return true;
}

// "OPTION NAME=VALUE": the options of the feature line.
bool option(CEchiquier&, std::string& ligne, const std::string&, bool&) {
  if (ligne.size() > 6 && ligne[6] != ' ') return false;
  const std::string reglage = ligne.size() > 7 ? ligne.substr(7) : "";
  const size_t egal = reglage.find('=');
  bool etendue = false;
  if (egal != std::string::npos && reglage.compare(0, egal, "SEARCH") == 0 &&
      lit_genre_recherche(reglage.c_str() + egal + 1, etendue)) {
    option_recherche_etendue = etendue;
    return true;
  }
  if (egal != std::string::npos && reglage.compare(0, egal, "MOVE OVERHEAD") == 0) {
    char* fin = nullptr;
    const long ms = std::strtol(reglage.c_str() + egal + 1, &fin, 10);
    if (fin != reglage.c_str() + egal + 1 && ms >= 0 && ms <= MARGE_COUP_MAX_MS) {
      marge_coup_ms = int(ms);
      return true;
    }
  }
  std::printf("Error (command not legal): %s\n", ligne.c_str());
  return true;
}

// "SD n": thinking lines stop at depth n, until NEW or another SD.
bool sd(CEchiquier&, std::string& ligne, const std::string&, bool&) {
  lit_limite(ligne, 3, profondeur_max_sd);
  return true;
}

// "ANALYZE": search the position without playing, thinking lines on.
bool analyze(CEchiquier& e, std::string&, const std::string&, bool&) {
  echange_atomique(mode_analyse, 1);
  echange_atomique(post_actif, 1);
  relance_analyse(e);
  return true;
}

bool hint(CEchiquier& e, std::string&, const std::string&, bool&) {
  std::fputs(ligne_hint(copie_plateau(e)).c_str(), stdout);
  return true;
}

bool bk(CEchiquier& e, std::string&, const std::string&, bool&) {
  std::fputs(lignes_bk(copie_plateau(e)).c_str(), stdout);
  return true;
}

// "MEMORY n": the tables resized to fit n megabytes; n of 0 or less is ignored.
bool memory_agit(const CEchiquier&, const std::string& ligne) {
  return mot_entier(ligne, 6) && std::atol(ligne.c_str() + 6) > 0;
}
bool memory(CEchiquier& e, std::string& ligne, const std::string&, bool&) {
  if (!mot_entier(ligne, 6)) return false;
  if (memory_agit(e, ligne)) e.AlloueHashTable(exposant_memoire(std::atol(ligne.c_str() + 6)));
  return true;
}

// "BENCH [depth]": the fixed searches of the built-in positions.
bool bench_agit(const CEchiquier&, const std::string& ligne) {
  int profondeur = 0;
  return mot_entier(ligne, 5) && lit_profondeur_bench(ligne.c_str() + 5, profondeur);
}
bool bench(CEchiquier& e, std::string& ligne, const std::string&, bool&) {
  if (!mot_entier(ligne, 5)) return false;
  int profondeur = 0;
  if (!lit_profondeur_bench(ligne.c_str() + 5, profondeur)) {
    std::printf("Error (command not legal): %s\n", ligne.c_str());
    return true;
  }
  lance_bench(e, profondeur, stdout);
  return true;
}

bool force(CEchiquier&, std::string&, const std::string&, bool&) {
  mode_force = 1;
  return true;
}

// ".": the analysis report in analysis mode; otherwise ignored when POST is on.
bool point(CEchiquier& e, std::string&, const std::string&, bool&) {
  if (lit_drapeau(mode_analyse)) {
    std::fputs(ligne_stat01(e, debut_analyse).c_str(), stdout);
    return true;
  }
  return lit_drapeau(post_actif) != 0;
}

// POST, NOPOST, HARD, EASY: a flag on or off.
template <drapeau_atomique& drapeau, int valeur>
bool fixe_drapeau(CEchiquier&, std::string&, const std::string&, bool&) {
  echange_atomique(drapeau, valeur);
  return true;
}

bool quit(CEchiquier&, std::string&, const std::string&, bool& fin) {
  fin = true;
  return true;
}

bool nouvelle_partie(CEchiquier& e, std::string&, const std::string&, bool&) {
  mode_force = 0;
  profondeur_max_sd = 0;
  e.Raz();
  e.Coup1();
  relance_analyse(e);
  return true;
}

bool print(CEchiquier& e, std::string&, const std::string&, bool&) {
  const COPIE_PLATEAU c = copie_plateau(e);
  affiche_echiquier(c.position.echiquier, c.position.type_piece);
  return true;
}

// "EVAL": the static evaluation of the position for the side to move.
bool commande_eval(CEchiquier& e, std::string&, const std::string&, bool&) {
  const COPIE_PLATEAU c = copie_plateau(e);
  std::printf("Eval: %d\n", evalue_noeud(c.position, c.trait));
  return true;
}

bool fritz(CEchiquier& e, std::string&, const std::string&, bool&) {
  e.mode_fritz = 1;
  return true;
}

// "RESET": clears the transposition table in Fritz mode, after the search
// that uses it has stopped.
bool reset_agit(const CEchiquier& e, const std::string&) { return e.mode_fritz != 0; }
bool reset(CEchiquier& e, std::string&, const std::string&, bool&) {
  if (e.mode_fritz) clear_table_hash();
  return true;
}

// "RESULT ...": the game is over; the line carries the result.
bool result_agit(const CEchiquier&, const std::string& ligne) { return mot_entier(ligne, 6); }
bool result(CEchiquier& e, std::string& ligne, const std::string&, bool&) {
  return result_agit(e, ligne);
}

// "UNDO": takes back the last move; in analysis mode the search goes on.
bool undo(CEchiquier& e, std::string&, const std::string&, bool& fin) {
  if (e.Retour(-1) != 0) {
    std::fputs("beginning\n", stderr);
  } else if (lit_drapeau(mode_analyse)) {
    std::string go = "GO";
    fin = !traite_ligne(e, go);
  }
  return true;
}

// "REMOVE": takes back the last two moves.
bool remove(CEchiquier& e, std::string&, const std::string&, bool&) {
  e.Retour(-1);
  if (e.Retour(-1) != 0) std::fputs("beginning\n", stderr);
  return true;
}

// "POSITION name": a position file; the name is used as typed. A file that
// cannot be loaded leaves the game as it was.
bool position(CEchiquier& e, std::string&, const std::string& brute, bool&) {
  const char* nom = brute.c_str() + 9;
  const int r = e.ChargePosition(nom);
  if (r == 0) {
    relance_analyse(e);
    return true;
  }
  std::fputs(r == -1 ? "Quel Fichier?!\n" : "Erreur\n", stderr);
  signale_echec(std::string(nom) + ": " + e.MotifEchec(), stderr);
  return true;
}

// "PARTIE name": a game file; the name is used as typed. A game that cannot
// be read whole leaves the game as it was.
bool partie(CEchiquier& e, std::string&, const std::string& brute, bool&) {
  const char* nom = brute.c_str() + 7;
  const int r = e.Load(nom);
  if (r < 0 || r == 1) signale_echec(std::string(nom) + ": " + e.MotifEchec(), stderr);
  else relance_analyse(e);
  return true;
}

// "SETBOARD fen": the position of a FEN text, read as typed (its letters
// carry the colours). An illegal one leaves the game as it was.
bool setboard_agit(const CEchiquier&, const std::string& ligne) { return mot_entier(ligne, 8); }
bool setboard(CEchiquier& e, std::string& ligne, const std::string& brute, bool&) {
  if (!setboard_agit(e, ligne)) return false;
  if (e.LitForsythe(brute.c_str() + 8) != 0)
    signale_echec(std::string("Illegal position: ") + e.MotifEchec(), stdout);
  else
    relance_analyse(e);
  return true;
}

// What Joue would answer for the move before playing it: -1 when it is
// not in the list, 1 for a promotion without its piece, else 0.
int code_avant_jeu(const uint32_t* liste, uint32_t coup) {
  const uint32_t* entree = nullptr;
  for (const uint32_t* l = liste; *l && !entree; ++l)
    if (!(*l & COUP_ILLEGAL) && (*l & 0xfff) == (coup & 0xfff)) entree = l;
  if (!entree) return -1;
  if (!(*entree & PROMOTION)) return 0;
  if (!(coup & PROMOTION)) return 1;
  for (const uint32_t* l = liste; *l; ++l)
    if (!(*l & COUP_ILLEGAL) && (*l & 0xffff) == (coup & 0xffff)) return 0;
  return -1;
}

// A line that is no keyword: a move of the side to move, or an error.
void coup_tape(CEchiquier& e, std::string& ligne) {
  // Read against a copy: a thread may be playing on the board meanwhile.
  // While the engine searches its own move, the typed one is its opponent's,
  // played after the engine's move.
  const COPIE_PLATEAU c = copie_plateau(e);
  const int camp = c.coup_a_venir ? c.trait ^ 1 : c.trait;
  uint32_t coup = lit_coup_coordonnees(ligne.data(), camp);
  if (coup == 0) {
    std::printf("Error (unknown command): %s\n", ligne.c_str());
    return;
  }
  if (c.coup_a_venir) {
    // A move that starts from no piece of its side can never be played: refused at once
    const int piece = c.position.echiquier[case_depart(coup)];
    if (piece == VIDE || (piece >= 16 ? NOIRS : BLANCS) != camp) {
      annonce_resultat(e, -1, ligne.c_str());
      return;
    }
    // The engine's move comes first; the typed one is then read on the board it leaves
    arreter_reflexion();
    coup = lit_coup_coordonnees(ligne.data(), e.trait);
  } else {
    // On a board that stays as it is, a refused move stops nothing
    const int refus = code_avant_jeu(c.liste, coup);
    if (refus != 0) {
      annonce_resultat(e, refus, ligne.c_str());
      return;
    }
    arreter_reflexion();
  }
  const int code = e.Joue(coup);
  if (code != 0) annonce_resultat(e, code, ligne.c_str());
  if (lit_drapeau(mode_analyse)) relance_analyse(e);
  else if ((code == 0 || code >= 4) && !mode_force) demarrer_reflexion(e);
}

// The depth of a "PERFT n" line, or 0 when it has no depth from 1 to 64
// and nothing else.
int profondeur_perft(const std::string& ligne) {
  const char* p = ligne.c_str() + 5;
  char* fin_nombre = nullptr;
  const long n = std::strtol(p, &fin_nombre, 10);
  while (fin_nombre && *fin_nombre == ' ') ++fin_nombre;
  if (fin_nombre == p || n < 1 || n > 64 || (fin_nombre && *fin_nombre)) return 0;
  return int(n);
}

// "PERFT n": leaf counts of every root move, then the total.
bool perft_agit(const CEchiquier&, const std::string& ligne) {
  return mot_entier(ligne, 5) && profondeur_perft(ligne) > 0;
}
bool commande_perft(CEchiquier& e, std::string& ligne, const std::string&, bool&) {
  if (!mot_entier(ligne, 5)) return false;
  const int n = profondeur_perft(ligne);
  if (n == 0) {
    std::printf("Error (command not legal)\n");
    return true;
  }
  perft_divise(e, n, stdout);
  return true;
}

// The keyword table, tested in order.
const COMMANDE commandes[] = {
    {"GO", 0, CONTINUE, go},
    {"FORCE", 0, ABANDONNE, force},
    {"?", 0, ARRETE, ignore},
    {"UNDO", 0, ABANDONNE, undo},
    {"REMOVE", 0, ABANDONNE, remove},
    {"LEVEL", 5, CONTINUE, level},
    {"TIME", 4, CONTINUE, commande_time},
    {"OTIM", 4, CONTINUE, commande_otim},
    {"EXIT", 0, ARRETE, exit_analyse},
    {"WHITE", 0, CONTINUE, ignore},
    {"BLACK", 0, CONTINUE, ignore},
    {".", 0, CONTINUE, point},
    {"POST", 0, CONTINUE, fixe_drapeau<post_actif, 1>},
    {"NOPOST", 0, CONTINUE, fixe_drapeau<post_actif, 0>},
    {"HARD", 0, CONTINUE, fixe_drapeau<anticipation_active, 1>},
    {"EASY", 0, CONTINUE, fixe_drapeau<anticipation_active, 0>},
    {"QUIT", 0, ABANDONNE, quit},
    {"NEW", 0, ABANDONNE, nouvelle_partie},
    {"RESULT", 6, ABANDONNE, result, result_agit},
    {"EDIT", 0, ABANDONNE, edit},
    {"POSITION ", 9, ABANDONNE, position},
    {"PRINT", 0, CONTINUE, print},
    {"PARTIE ", 7, ABANDONNE, partie},
    {"EVAL", 0, CONTINUE, commande_eval},
    {"XBOARD", 6, CONTINUE, xboard},
    {"FRITZ", 5, CONTINUE, fritz},
    {"RESET", 5, ARRETE, reset, reset_agit},
    {"PERFT", 5, ABANDONNE, commande_perft, perft_agit},
    {"SETBOARD", 8, ABANDONNE, setboard, setboard_agit},
    {"PROTOVER", 8, CONTINUE, protover},
    {"ACCEPTED", 8, CONTINUE, ignore},
    {"REJECTED", 8, CONTINUE, ignore},
    {"PING", 4, CONTINUE, ping},
    {"ST ", 3, CONTINUE, st},
    {"OPTION", 6, CONTINUE, option},
    {"SD ", 3, CONTINUE, sd},
    {"ANALYZE", 0, ABANDONNE, analyze},
    {"HINT", 0, CONTINUE, hint},
    {"BK", 0, CONTINUE, bk},
    {"RANDOM", 0, CONTINUE, ignore},
    {"COMPUTER", 0, CONTINUE, ignore},
    {"NAME", 4, CONTINUE, ignore},
    {"RATING", 6, CONTINUE, ignore},
    {"ICS", 3, CONTINUE, ignore},
    {"VARIANT NORMAL", 0, CONTINUE, ignore},
    {"DRAW", 0, CONTINUE, ignore},
    {"MEMORY", 6, ABANDONNE, memory, memory_agit},
    {"BENCH", 5, ABANDONNE, bench, bench_agit},
};

bool correspond(const COMMANDE& c, const std::string& ligne) {
  if (c.prefixe == 0) return ligne == c.mot;
  return ligne.compare(0, size_t(c.prefixe), c.mot, size_t(c.prefixe)) == 0;
}

}  // namespace

void ecrit_invite(char c) {
  static const bool terminal = isatty(STDERR_FILENO) != 0;
  if (terminal) std::fputc(c, stderr);
}

void annonce_resultat(CEchiquier& e, int code, const char* texte) {
  switch (code) {
    case -2: std::printf("Illegal move (error): %s\n", texte); break;
    case -1: std::printf("Illegal move: %s\n", texte); break;
    case 1: std::printf("Illegal move (promote?): %s\n", texte); break;
    case 2: std::printf("%s\n", e.trait == NOIRS ? "1-0 {White mates}" : "0-1 {Black mates}"); break;
    case 3: std::printf("1/2-1/2 {Stalemate}\n"); break;
    case 4: std::printf("1/2-1/2 {Draw by repetition}\n"); break;
    case 10: std::printf("resign\n"); break;
    default: break;
  }
}

bool traite_ligne(CEchiquier& e, std::string& ligne) {
  const std::string brute = ligne;
  majuscules(ligne);
  bool fin = false;
  for (const COMMANDE& c : commandes) {
    if (!correspond(c, ligne)) continue;
    // Only a command that will act stops the thread; a refused one leaves it be
    const bool arrete = c.arret != CONTINUE && (!c.agit || c.agit(e, ligne));
    if (arrete) arreter_reflexion(c.arret == ABANDONNE && lit_drapeau(protocole_v2));
    if (c.action(e, ligne, brute, fin)) {
      // Analysis goes on, on the board as the command left it
      if (arrete && !fin) relance_analyse(e);
      return !fin;
    }
  }
  coup_tape(e, ligne);
  return true;
}

int boucle_commandes(CEchiquier& e) {
  std::string ligne;
  bool premiere = true;
  for (;;) {
    std::fflush(stdout);
    ecrit_invite('?');
    if (!std::getline(std::cin, ligne)) break;  // end of input ends the program as QUIT does
    ote_retour_chariot(ligne);
    // A first command "uci" chooses the other protocol for the whole session.
    if (premiere && est_commande_uci(ligne)) return boucle_uci(e);
    if (ligne.find_first_not_of(" \t") != std::string::npos) premiere = false;
    if (!traite_ligne(e, ligne)) break;
  }
  // The end of input ends the program as QUIT does.
  arreter_reflexion(lit_drapeau(protocole_v2) != 0);
  std::fflush(stdout);
  return 0;
}
