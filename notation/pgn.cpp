// Reading one game of a PGN file: its "[FEN" tag and its moves, in
// algebraic or coordinate text.
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string>

#include "board/echiquier.h"
#include "board/sauvegarde.h"
#include "notation/lecture.h"
#include "notation/lignes.h"
#include "notation/texte.h"

namespace {

constexpr size_t TAILLE_JETON = 16;  // a move token: at most 15 characters

bool fin_de_ligne(char c) { return c == 0 || c == '\n' || c == '\r'; }

// A move token ends at a blank, the end of the line, or where a comment
// or a variation begins or ends.
bool fin_de_jeton(char c) {
  return fin_de_ligne(c) || est_blanc(c) || c == '{' || c == '}' || c == '(' || c == ')' || c == ';';
}

bool est_colonne(char c) { return (c >= 'a' && c <= 'h') || (c >= 'A' && c <= 'H'); }

// The file's lines with the comments and variations that span them.
struct LECTEUR_PGN {
  std::FILE* f;
  std::string ligne;
  bool dans_commentaire;  // inside { }
  int variantes;          // open ( )
  int numero;             // of the line read last
  bool suivante() {
    ++numero;
    return lit_ligne(f, ligne);
  }
};

enum class Suite { JETON, FIN_LIGNE, FIN_FICHIER };

// Passes over separators: move numbers, dots, results, blanks, comments
// in braces or after ";", variations in parentheses and annotation glyphs
// ("$12"). Comments and variations go on over further lines; one still
// open at the end of the file ends the reading.
Suite saute_separateurs(LECTEUR_PGN& l, char*& p) {
  for (;;) {
    const char c = *p;
    if (fin_de_ligne(c)) {
      if (!l.dans_commentaire && l.variantes == 0) return Suite::FIN_LIGNE;
      if (!l.suivante()) return Suite::FIN_FICHIER;
      p = l.ligne.data();
      continue;
    }
    if (l.dans_commentaire) {
      if (c == '}') l.dans_commentaire = false;
      ++p;
    } else if (c == '{') {
      l.dans_commentaire = true;
      ++p;
    } else if (c == ';') {
      p += std::strlen(p);
    } else if (c == '(') {
      ++l.variantes;
      ++p;
    } else if (c == ')') {
      if (l.variantes > 0) --l.variantes;
      ++p;
    } else if (l.variantes > 0) {
      ++p;
    } else if (c == '$') {
      for (++p; est_chiffre(*p); ++p) {
      }
    } else if (c == '0' && p[1] == '-' && p[2] == '0') {
      return Suite::JETON;  // castling written with zeros
    } else if (est_chiffre(c) || est_blanc(c) || std::strchr(".-/*", c)) {
      ++p;
    } else {
      return Suite::JETON;
    }
  }
}

// Copies the value of a "[FEN" tag line: the text between quotes, or
// what follows the tag name when there are none.
std::string valeur_fen(const char* p) {
  p += 4;
  while (est_blanc(*p)) ++p;
  if (*p == ':') ++p;
  const bool guillemets = *p == '"';
  if (guillemets) ++p;
  std::string fen;
  for (; *p; ++p) {
    if (guillemets ? *p == '"' : *p == ']') break;
    fen.push_back(*p);
  }
  return fen;
}

}  // namespace

uint32_t CEchiquier::LitCoupFichier(char*& p) {
  p = saute_blancs(p);
  if (fin_de_ligne(*p) || *p == '#') return 0;

  // The token, cut to what a move can be
  char jeton[TAILLE_JETON];
  size_t n = 0;
  for (; !fin_de_jeton(*p); ++p)
    if (n + 1 < sizeof jeton) jeton[n++] = *p;
  jeton[n] = 0;

  if (n >= 4 && est_colonne(jeton[0]) && est_chiffre(jeton[1]) && est_colonne(jeton[2]) &&
      est_chiffre(jeton[3]))
    return lit_coup_coordonnees(jeton, trait);
  return lit_coup_san(jeton, trait, liste_coups, *emp);
}

int CEchiquier::LoadPgn(const char* nom, int numero, char*, char*) {
  CSauvegardeJeu sauvegarde(*this);
  return garde_partie(charge_pgn(nom, numero), sauvegarde);
}

int CEchiquier::charge_pgn(const char* nom, int numero) {
  CFichier fichier;
  if (!ouvre_partie(fichier, nom)) return -10;

  LECTEUR_PGN l{fichier.get(), {}, false, 0, 0};
  int blocs = 0;              // tag blocks seen
  bool dans_bloc = false;     // inside a tag block
  bool coups_commences = false;  // the wanted game's moves have begun
  bool saute = true;          // still before the wanted game
  while (l.suivante()) {
    char* p = saute_blancs(l.ligne.data());
    if (fin_de_ligne(*p) || *p == '#' || *p == '%') continue;

    // Tag pairs
    if (*p == '[') {
      if (coups_commences) break;
      if (!dans_bloc) {
        dans_bloc = true;
        if (++blocs == numero) saute = false;
      }
      if (!saute && std::strncmp(p, "[FEN", 4) == 0) {
        if (lit_forsythe(valeur_fen(p).c_str()) != 0) {
          motif_echec = "illegal position at line " + std::to_string(l.numero) + " (" + motif_echec + ")";
          return -10;
        }
      }
      continue;
    }

    // Move text: the wanted game's moves are played, the others passed over
    dans_bloc = false;
    if (!saute) coups_commences = true;
    for (;;) {
      const Suite s = saute_separateurs(l, p);
      if (s == Suite::FIN_FICHIER) return 0;
      if (s == Suite::FIN_LIGNE) break;
      if (saute) {
        do ++p;
        while (!fin_de_jeton(*p));
        continue;
      }
      const char* debut = p;
      const uint32_t coup = LitCoupFichier(p);
      if (coup == 0) return 0;
      const int r = Joue(coup);
      // A draw by repetition or fifty moves lets the game go on
      if (r != 0 && r != 4) {
        if (r < 0 || r == 1) {
          std::string texte;
          for (const char* c = saute_blancs(const_cast<char*>(debut)); c < p; ++c) texte.push_back(*c);
          motif_echec = "illegal move " + texte + " at line " + std::to_string(l.numero);
        }
        return r;
      }
    }
  }
  return 0;
}
