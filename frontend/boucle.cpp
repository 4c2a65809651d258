#include "frontend/boucle.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "board/echiquier.h"
#include "board/perft.h"
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

struct COMMANDE {
  const char* mot;  // keyword
  int prefixe;      // 0: the whole line equals it; n: its first n characters do
  action_commande action;
};

bool ignore(CEchiquier&, std::string&, const std::string&, bool&) { return true; }

bool force(CEchiquier&, std::string&, const std::string&, bool&) {
  mode_force = 1;
  return true;
}

bool point(CEchiquier&, std::string&, const std::string&, bool&) { return lit_drapeau(post_actif) != 0; }

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
  e.Raz();
  e.Coup1();
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
  return true;
}

// A line that is no keyword: a move of the side to move, or an error.
void coup_tape(CEchiquier& e, std::string& ligne) {
  const uint32_t coup = lit_coup_coordonnees(ligne.data(), e.trait);
  if (coup == 0) {
    std::printf("Error (unknown command): %s\n", ligne.c_str());
    return;
  }
  const int code = e.Joue(coup);
  if (code != 0) annonce_resultat(e, code, ligne.c_str());
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
    {"FORCE", 0, force},
    {"UNDO", 0, undo},
    {"REMOVE", 0, remove},
    {"WHITE", 0, ignore},
    {"BLACK", 0, ignore},
    {".", 0, point},
    {"POST", 0, post},
    {"NOPOST", 0, nopost},
    {"HARD", 0, hard},
    {"EASY", 0, easy},
    {"QUIT", 0, quit},
    {"NEW", 0, nouvelle_partie},
    {"RESULT", 6, ignore},
    {"POSITION ", 9, position},
    {"PRINT", 0, print},
    {"PARTIE ", 7, partie},
    {"EVAL", 0, commande_eval},
    {"XBOARD", 6, ignore},
    {"FRITZ", 5, fritz},
    {"RESET", 5, reset},
    {"PERFT", 5, commande_perft},
    {"SETBOARD", 8, setboard},
};

bool correspond(const COMMANDE& c, const std::string& ligne) {
  if (c.prefixe == 0) return ligne == c.mot;
  return ligne.compare(0, size_t(c.prefixe), c.mot, size_t(c.prefixe)) == 0;
}

}  // namespace

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
    if (correspond(c, ligne) && c.action(e, ligne, brute, fin)) return !fin;
  }
  coup_tape(e, ligne);
  return true;
}

int boucle_commandes(CEchiquier& e) {
  std::string ligne;
  for (;;) {
    std::fflush(stdout);
    std::fputs("?", stderr);
    if (!std::getline(std::cin, ligne)) break;  // end of input ends the program as QUIT does
    if (!ligne.empty() && ligne.back() == '\r') ligne.pop_back();
    if (!traite_ligne(e, ligne)) break;
  }
  std::fflush(stdout);
  return 0;
}
