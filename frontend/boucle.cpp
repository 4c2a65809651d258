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
#include "frontend/uci.h"
#include "notation/lecture.h"
#include "eval/evaluation.h"
#include "search/hash.h"

drapeau_atomique anticipation_active{0};
drapeau_atomique post_actif{0};
drapeau_atomique mode_analyse{0};
int mode_force = 0;

namespace {

// What a command does; returns false when the line must go on down the table.
// `ligne` is the upper-cased line, `brute` the line as it was typed.
using action_commande = bool (*)(CEchiquier& e, std::string& ligne, const std::string& brute,
                                 bool& fin);

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
};

uint32_t debut_analyse = 0;  // tick count when the analysis search last started; written by the loop

// In analysis mode, a new position is analysed at once.
void relance_analyse(CEchiquier& e) {
  if (!lit_drapeau(mode_analyse)) return;
  debut_analyse = compte_ticks();
  demarrer_reflexion(e);
}

bool ignore(CEchiquier&, std::string&, const std::string&, bool&) { return true; }

// "GO": think about a move for the side to move. While pondering, the
// pondering is stopped first; while searching, nothing happens.
bool go(CEchiquier& e, std::string&, const std::string&, bool&) {
  if (lit_drapeau(reflexion_en_cours) && lit_drapeau(anticipation_en_cours)) arreter_reflexion();
  if (lit_drapeau(mode_analyse) && !lit_drapeau(reflexion_en_cours)) debut_analyse = compte_ticks();
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
  mode_edition(e, e.trait, &fin_entree);
  fin = fin_entree;
  if (!fin) relance_analyse(e);
  return true;
}

// "PROTOVER n": version 2 and later get the feature line and "move" lines.
bool protover(CEchiquier&, std::string& ligne, const std::string&, bool&) {
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
  std::fputs(ligne_hint(e).c_str(), stdout);
  return true;
}

bool bk(CEchiquier& e, std::string&, const std::string&, bool&) {
  std::fputs(lignes_bk(e).c_str(), stdout);
  return true;
}

// "MEMORY n": the tables resized to fit n megabytes.
bool memory(CEchiquier& e, std::string& ligne, const std::string&, bool&) {
  const long n = std::atol(ligne.c_str() + 6);
  if (n > 0) e.AlloueHashTable(exposant_memoire(n));
  return true;
}

// "BENCH [depth]": the fixed searches of the built-in positions.
bool bench(CEchiquier& e, std::string& ligne, const std::string&, bool&) {
  if (ligne.size() > 5 && ligne[5] != ' ') return false;
  lance_bench(e, std::atoi(ligne.c_str() + 5), stdout);
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

bool post(CEchiquier&, std::string&, const std::string&, bool&) {
  echange_atomique(post_actif, 1);
  return true;
}

bool nopost(CEchiquier&, std::string&, const std::string&, bool&) {
  echange_atomique(post_actif, 0);
  return true;
}

bool hard(CEchiquier&, std::string&, const std::string&, bool&) {
  echange_atomique(anticipation_active, 1);
  return true;
}

bool easy(CEchiquier&, std::string&, const std::string&, bool&) {
  echange_atomique(anticipation_active, 0);
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
  e.AfficheEchiquier();
  return true;
}

// "EVAL": the static evaluation of the position for the side to move.
bool commande_eval(CEchiquier& e, std::string&, const std::string&, bool&) {
  std::printf("Eval: %d\n", evalue_position(e));
  return true;
}

bool fritz(CEchiquier& e, std::string&, const std::string&, bool&) {
  e.mode_fritz = 1;
  return true;
}

bool reset(CEchiquier& e, std::string&, const std::string&, bool&) {
  if (e.mode_fritz) clear_table_hash();
  return true;
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

// "POSITION name": a position file; the name is used as typed.
bool position(CEchiquier& e, std::string&, const std::string& brute, bool&) {
  const int r = e.ChargePosition(brute.c_str() + 9);
  if (r == -1) std::fputs("Quel Fichier?!\n", stderr);
  else if (r == -2) std::fputs("Erreur\n", stderr);
  return true;
}

// "PARTIE name": a game file; the name is used as typed.
bool partie(CEchiquier& e, std::string&, const std::string& brute, bool&) {
  e.Load(brute.c_str() + 7);
  return true;
}

// "SETBOARD fen": the position of a FEN text, read as typed (its letters
// carry the colours).
bool setboard(CEchiquier& e, std::string& ligne, const std::string& brute, bool&) {
  if (ligne.size() > 8 && ligne[8] != ' ') return false;
  if (e.LitForsythe(brute.c_str() + 8) != 0) std::printf("tellusererror Illegal position\n");
  else relance_analyse(e);
  return true;
}

// A line that is no keyword: a move of the side to move, or an error.
void coup_tape(CEchiquier& e, std::string& ligne) {
  const uint32_t coup = lit_coup_coordonnees(ligne.data(), e.trait);
  if (coup == 0) {
    std::printf("Error (unknown command): %s\n", ligne.c_str());
    return;
  }
  arreter_reflexion();
  const int code = e.Joue(coup);
  if (code != 0) annonce_resultat(e, code, ligne.c_str());
  if (lit_drapeau(mode_analyse)) relance_analyse(e);
  else if ((code == 0 || code >= 4) && !mode_force) demarrer_reflexion(e);
}

// "PERFT n": leaf counts of every root move, then the total.
bool commande_perft(CEchiquier& e, std::string& ligne, const std::string&, bool&) {
  const char* p = ligne.c_str() + 5;
  if (*p != 0 && *p != ' ') return false;
  char* fin_nombre = nullptr;
  const long n = std::strtol(p, &fin_nombre, 10);
  while (fin_nombre && *fin_nombre == ' ') ++fin_nombre;
  if (fin_nombre == p || n < 1 || n > 64 || (fin_nombre && *fin_nombre)) {
    std::printf("Error (command not legal)\n");
    return true;
  }
  perft_divise(e, int(n), stdout);
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
    {"POST", 0, CONTINUE, post},
    {"NOPOST", 0, CONTINUE, nopost},
    {"HARD", 0, CONTINUE, hard},
    {"EASY", 0, CONTINUE, easy},
    {"QUIT", 0, ABANDONNE, quit},
    {"NEW", 0, ABANDONNE, nouvelle_partie},
    {"RESULT", 6, ABANDONNE, ignore},
    {"EDIT", 0, ABANDONNE, edit},
    {"POSITION ", 9, ABANDONNE, position},
    {"PRINT", 0, CONTINUE, print},
    {"PARTIE ", 7, ABANDONNE, partie},
    {"EVAL", 0, CONTINUE, commande_eval},
    {"XBOARD", 6, CONTINUE, ignore},
    {"FRITZ", 5, CONTINUE, fritz},
    {"RESET", 5, CONTINUE, reset},
    {"PERFT", 5, ABANDONNE, commande_perft},
    {"SETBOARD", 8, ABANDONNE, setboard},
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
    {"MEMORY", 6, ABANDONNE, memory},
    {"BENCH", 5, ABANDONNE, bench},
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
  for (char& c : ligne) c = char(std::toupper(static_cast<unsigned char>(c)));
  bool fin = false;
  for (const COMMANDE& c : commandes) {
    if (!correspond(c, ligne)) continue;
    if (c.arret != CONTINUE) arreter_reflexion(c.arret == ABANDONNE && lit_drapeau(protocole_v2));
    if (c.action(e, ligne, brute, fin)) return !fin;
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
    if (!ligne.empty() && ligne.back() == '\r') ligne.pop_back();
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
