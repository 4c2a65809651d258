#include "frontend/uci.h"

#include <cstdio>
#include <iostream>
#include <mutex>
#include <sstream>
#include <vector>

#include "board/echiquier.h"
#include "frontend/uci_options.h"
#include "frontend/uci_recherche.h"
#include "search/hash.h"
#include "search/pilote.h"
#include "notation/texte.h"

namespace {

std::mutex verrou_sortie;  // one line at a time on standard output

// The words of a line.
std::vector<std::string> mots_de(const std::string& ligne) {
  std::istringstream flux(ligne);
  std::vector<std::string> mots;
  for (std::string m; flux >> m;) mots.push_back(m);
  return mots;
}

// The rest of the line after its first word, without leading blanks.
std::string reste_apres_mot(const std::string& ligne) {
  size_t i = ligne.find_first_not_of(" \t");
  if (i == std::string::npos) return "";
  i = ligne.find_first_of(" \t", i);
  if (i == std::string::npos) return "";
  i = ligne.find_first_not_of(" \t", i);
  return i == std::string::npos ? "" : ligne.substr(i);
}

void ecrit_info(const std::string& texte) { ecrit_uci("info string " + texte); }

void reponse_uci() {
  ecrit_uci("id name pellarq " PELLARQ_VERSION);
  ecrit_uci("id author the pellarq developers");
  for (const std::string& o : lignes_options_uci()) ecrit_uci(o);
  ecrit_uci("uciok");
}

// The UCI session's state, kept by the command loop.
struct SESSION_UCI {
  CEchiquier& e;
  std::string position = "startpos";  // the last position set up without fault
  bool debug = false;                 // "debug on": each position set up is shown as FEN
};

// "position ...": a fault leaves the previous position on the board.
void commande_position(SESSION_UCI& s, const std::string& reste) {
  arrete_recherche_uci();
  const std::string faute = installe_position(s.e, reste);
  if (faute.empty()) {
    s.position = reste;
    if (s.debug) {
      char fen[96];
      s.e.CreeForsythe(fen);
      ecrit_info(std::string("position ") + fen);
    }
    return;
  }
  ecrit_info(faute + "; the position stays as it was");
  installe_position(s.e, s.position);
}

// One command line; false when the session ends.
bool traite_commande_uci(SESSION_UCI& s, const std::string& ligne) {
  const std::vector<std::string> mots = mots_de(ligne);
  if (mots.empty()) return true;
  const std::string& c = mots[0];
  const std::string reste = reste_apres_mot(ligne);
  if (c == "isready") {
    ecrit_uci("readyok");
  } else if (c == "uci") {
    reponse_uci();
  } else if (c == "quit") {
    return false;
  } else if (c == "stop") {
    arrete_recherche_uci();
  } else if (c == "ponderhit") {
    ponderhit_uci();
  } else if (c == "go") {
    arrete_recherche_uci();
    std::string remarque;
    const PARAMETRES_GO g = lit_parametres_go(reste, remarque);
    if (!remarque.empty()) ecrit_info(remarque);
    const std::string r = lance_recherche_uci(s.e, g);
    if (!r.empty()) ecrit_info(r);
  } else if (c == "position") {
    commande_position(s, reste);
  } else if (c == "ucinewgame") {
    arrete_recherche_uci();
    clear_table_hash();
    s.position = "startpos";
    installe_position(s.e, s.position);
  } else if (c == "setoption") {
    arrete_recherche_uci();
    const std::string r = commande_setoption(s.e, reste);
    if (!r.empty()) ecrit_info(r);
    // A new table size also empties the game's repetition table: set up again.
    installe_position(s.e, s.position);
  } else if (c == "debug") {
    s.debug = reste == "on";
  } else if (c == "register") {
    // Nothing to register.
  } else {
    ecrit_info("unknown command: " + ligne.substr(0, 200));
  }
  return true;
}

}  // namespace

bool est_commande_uci(const std::string& ligne) {
  const std::vector<std::string> mots = mots_de(ligne);
  return mots.size() == 1 && mots[0] == "uci";
}

void ecrit_uci(const std::string& ligne) {
  std::lock_guard<std::mutex> v(verrou_sortie);
  std::fputs((ligne + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::string installe_position(CEchiquier& e, const std::string& description) {
  const std::vector<std::string> mots = mots_de(description);
  size_t i = 0;
  e.Raz();
  if (i < mots.size() && mots[i] == "startpos") {
    e.Coup1();
    ++i;
  } else if (i < mots.size() && mots[i] == "fen") {
    std::string fen;
    for (++i; i < mots.size() && mots[i] != "moves"; ++i) fen += (fen.empty() ? "" : " ") + mots[i];
    if (fen.empty() || e.LitForsythe(fen.c_str()) != 0) return "bad FEN: " + fen.substr(0, 100);
  } else {
    return "position needs startpos or fen";
  }
  if (i < mots.size() && mots[i] != "moves") return "unexpected word: " + mots[i].substr(0, 20);
  for (++i; i < mots.size(); ++i) {
    const uint32_t coup = coup_uci(e, mots[i]);
    const int code = coup ? e.Joue(coup) : -1;
    if (code < 0 || code == 1) return "illegal move: " + mots[i].substr(0, 20);
  }
  return "";
}

int boucle_uci(CEchiquier& e) {
  // The engine keeps its table between the positions of a game: each
  // "position" sets the board up afresh.
  e.mode_fritz = 1;
  rapporteur_reflexion = rapporte_ligne_uci;
  initialise_options_uci(e);
  SESSION_UCI s{e};
  installe_position(e, s.position);
  reponse_uci();

  std::string ligne;
  while (std::getline(std::cin, ligne)) {
    ote_retour_chariot(ligne);
    if (!traite_commande_uci(s, ligne)) break;
  }
  // "quit" or the end of input: a running search still answers its "go".
  arrete_recherche_uci();
  std::fflush(stdout);
  return 0;
}
