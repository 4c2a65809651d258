// The engine's position files and game files.
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string>

#include "board/echiquier.h"
#include "board/sauvegarde.h"
#include "board/setup.h"
#include "notation/coordonnees.h"
#include "notation/lecture.h"
#include "notation/lignes.h"
#include "notation/texte.h"

namespace {

// Square of a position-file line ("te1": characters 2 and 3), or -1.
int case_ligne(const std::string& ligne) {
  if (ligne.size() < 3) return -1;
  if (ligne[1] < 'a' || ligne[1] > 'h' || ligne[2] < '1' || ligne[2] > '8') return -1;
  return (ligne[2] - '1') * 8 + (ligne[1] - 'a');
}

// The token at p, up to the next blank.
std::string jeton(const char* p) {
  std::string t;
  while (*p && !est_blanc(*p)) t.push_back(*p++);
  return t;
}

}  // namespace

int CEchiquier::ChargePosition(const char* nom) {
  CSauvegardeJeu sauvegarde(*this);
  const int r = charge_position(nom);
  if (r != 0) sauvegarde.restaure();
  else motif_echec.clear();
  return r;
}

int CEchiquier::charge_position(const char* nom) {
  motif_echec.clear();
  errno = 0;
  CFichier fichier(nom, "r");
  if (!fichier.get()) {
    motif_echec = motif_ouverture(errno);
    return -1;
  }
  vide_echiquier(*this);

  // One piece a line
  int couleur = BLANCS;
  int numero = 0, pieces = 0;
  std::string ligne;
  while (lit_ligne(fichier.get(), ligne)) {
    ++numero;
    for (char& c : ligne) c = char(std::tolower(static_cast<unsigned char>(c)));
    int type = -1;
    switch (ligne.empty() ? 0 : ligne[0]) {
      case 'b': couleur = BLANCS; continue;
      case 'n': couleur = NOIRS; continue;
      case 'r': type = ROI; break;
      case 'd': type = DAME; break;
      case 't': type = TOUR; break;
      case 'f': type = FOU; break;
      case 'c': type = CAVALIER; break;
      case 'p': type = PION_BLANC; break;
      default: continue;
    }
    const int q = case_ligne(ligne);
    if (q < 0) {
      motif_echec = "not a position file (line " + std::to_string(numero) + ")";
      refuse_position(*this);
      return -2;
    }
    const int slot = type == PION_BLANC ? AjoutePion(couleur, q) : AjoutePiece(couleur, type, q);
    if (slot < 0) {
      motif_echec = "illegal position at line " + std::to_string(numero);
      refuse_position(*this);
      return -2;
    }
    ++pieces;
  }

  if (pos_piece[0] < 0 || pos_piece[16] < 0) {
    motif_echec = pieces == 0 ? "not a position file" : "illegal position (" + motif_placement(*this) + ")";
    refuse_position(*this);
    return -2;
  }
  // The side that was listed last is not the one to move
  DroitsRoque();
  if (RecalculePosition(couleur == BLANCS ? NOIRS : BLANCS) != 0) {
    motif_echec = "illegal position (the side not to move is in check)";
    return -2;
  }
  return 0;
}

bool CEchiquier::ouvre_partie(CFichier& fichier, const char* nom) {
  motif_echec.clear();
  errno = 0;
  if (!fichier.ouvre(nom, "r")) {
    motif_echec = motif_ouverture(errno);
    return false;
  }
  Raz();
  Coup1();
  return true;
}

int CEchiquier::garde_partie(int r, CSauvegardeJeu& sauvegarde) {
  if (r < 0 || r == 1) sauvegarde.restaure();
  else motif_echec.clear();
  return r;
}

int CEchiquier::Load(const char* nom, char*) {
  CSauvegardeJeu sauvegarde(*this);
  return garde_partie(charge_partie(nom), sauvegarde);
}

int CEchiquier::charge_partie(const char* nom) {
  CFichier fichier;
  if (!ouvre_partie(fichier, nom)) return -10;

  std::string texte;
  int numero = 0;
  bool compris = false;  // a starting position or a move was read
  int incompris = 0;     // first line whose text is no move, 0 if none
  while (lit_ligne(fichier.get(), texte)) {
    ++numero;
    char* p = saute_blancs(texte.data());

    // A starting position
    if (std::strncmp(p, "[FEN", 4) == 0) {
      p += 4;
      if (*p == ':') ++p;
      std::string fen(p);
      if (!fen.empty() && fen.back() == ']') fen.pop_back();
      if (lit_forsythe(fen.c_str()) != 0) {
        motif_echec = "illegal position at line " + std::to_string(numero) + " (" + motif_echec + ")";
        return -10;
      }
      compris = true;
      continue;
    }
    if (!std::isalnum(static_cast<unsigned char>(*p))) continue;

    // Move numbers and moves
    for (;;) {
      p = saute_blancs(p);
      if (std::isdigit(static_cast<unsigned char>(*p))) {
        while (*p && !est_blanc(*p)) ++p;
        p = saute_blancs(p);
      }
      if (*p == 0 || *p == '.') break;
      const std::string texte_coup = jeton(p);
      const uint32_t coup = lit_coup_coordonnees(p, trait);
      if (coup == 0) {
        if (incompris == 0) incompris = numero;
        break;
      }
      compris = true;
      const int r = Joue(coup);
      // A draw by repetition or fifty moves lets the game go on
      if (r != 0 && r != 4) {
        if (r < 0 || r == 1)
          motif_echec = "illegal move " + texte_coup + " at line " + std::to_string(numero);
        return r;
      }
      while (*p && !est_blanc(*p)) ++p;
    }
  }
  // Text in which nothing is a move (an empty file is an empty game)
  if (!compris && incompris) {
    motif_echec = "not a game file (line " + std::to_string(incompris) + ")";
    return -10;
  }
  return 0;
}

namespace {

// Writes the game of `e` in coordinate text, one full move a line, or
// appended to the file's text as one paragraph closed by " *".
int ecrit_partie(CEchiquier& e, const char* nom, bool ajout) {
  CFichier fichier(nom, ajout ? "a+" : "w");
  std::FILE* f = fichier.get();
  if (!f) return -10;
  if (e.depart_standard == 0 && e.fen_depart && e.fen_depart[0]) std::fprintf(f, "[FEN %s]\n", e.fen_depart);

  const int dernier = e.partie.LitIndex();
  std::string texte;
  size_t colonne_texte = 0;
  for (int i = 0; i <= dernier; ++i) {
    char t[8];
    texte_coordonnees(e.partie.LitA(i).coup, t);
    if (i % 2 == 0) {
      texte.clear();
      texte.push_back(' ');
      texte += std::to_string(i / 2 + 1);
      texte += ". ";
      texte += t;
      texte += " ";
    } else {
      texte += t;
    }
    if (i % 2 == 1 || i == dernier) {
      if (ajout && i == dernier) texte += " *\n";
      std::fputs(texte.c_str(), f);
      colonne_texte += texte.size();
      if (!ajout || colonne_texte > 60) {
        std::fputc('\n', f);
        colonne_texte = 0;
      }
    }
  }
  return 0;
}

}  // namespace

int CEchiquier::Save(const char* nom, const char*) { return ecrit_partie(*this, nom, false); }

int CEchiquier::Save(const char* nom, const char*, int) { return ecrit_partie(*this, nom, true); }
