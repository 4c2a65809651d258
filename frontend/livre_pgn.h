// Splitting a PGN collection into games for the book builder: each game's
// tags of interest, its result and its moves, with everything that is not
// a move of the game taken out (annotation glyphs, variations, comments,
// escape lines, move numbers, annotation marks), so that the engine's PGN
// reader is given the moves alone.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Result of a game in half points for White.
inline constexpr int RESULTAT_NOIRS = 0;   // "0-1"
inline constexpr int RESULTAT_NULLE = 1;   // "1/2-1/2"
inline constexpr int RESULTAT_BLANCS = 2;  // "1-0"
inline constexpr int RESULTAT_INCONNU = -1;  // "*" or none given

struct PARTIE_PGN {
  int numero = 0;                  // rank of the game in its file, from 1
  std::string fen;                 // value of the "FEN" tag, empty for the initial position
  std::vector<std::string> coups;  // move tokens as written ("Nf3", "exd5", "O-O", "e7e8=Q+")
  int resultat = RESULTAT_INCONNU;
  std::string erreur;              // why the game text cannot be used, empty when it can
};

// The result written as a tag value or a game termination, or -2 when the
// text is none of "1-0", "0-1", "1/2-1/2", "*".
int resultat_texte(const std::string& texte);

// Reads the games of an open PGN file one after the other. A game is its
// tag section and its move text; it ends at a game termination ("1-0",
// "0-1", "1/2-1/2", "*"), at the next tag section or at the end of the
// file. The termination decides the result; without one the "Result" tag
// does. A comment or variation still open at the end of the file, or a
// ")" or "}" that closes nothing, makes the game unusable (erreur).
class CLecteurPgn {
 public:
  explicit CLecteurPgn(std::FILE* f) : f_(f) {}
  // The next game; false at the end of the file.
  bool suivante(PARTIE_PGN& partie);

 private:
  // Reads the next line into ligne_; false at the end of the file.
  bool lit_ligne();
  // Reads the tag pairs of the line from position i.
  void traite_etiquette(PARTIE_PGN& partie, size_t i);
  // Reads the move text of the line from position i; true when a game
  // termination ended the game (debut_ is then the position after it).
  bool traite_coups(PARTIE_PGN& partie, size_t i);
  // Files one token of the move text; true when it is a game termination.
  bool ajoute_jeton(PARTIE_PGN& partie, std::string jeton);
  // Keeps the first reason why the game cannot be used.
  static void erreur(PARTIE_PGN& partie, const char* texte);

  std::FILE* f_;
  std::string ligne_;              // the current line, without its line feed
  size_t debut_ = 0;               // where the reading of ligne_ starts
  bool ligne_en_attente_ = false;  // ligne_ from debut_ belongs to the next game
  int numero_ = 0;                 // games returned so far
  bool premiere_ligne_ = true;     // no line read yet
  bool dans_commentaire_ = false;  // inside { }
  int variantes_ = 0;              // open parentheses
  bool a_des_coups_ = false;       // the game's move text has begun
  int resultat_fin_ = -2;          // result of the game termination, -2 before one
  int resultat_etiquette_ = RESULTAT_INCONNU;  // result of the "Result" tag
};
