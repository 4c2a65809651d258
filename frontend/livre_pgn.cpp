#include "frontend/livre_pgn.h"

#include <cctype>
#include <cstring>

#include "notation/texte.h"

namespace {

// Any white space of a PGN text between tokens (wider than a field blank).
bool est_espace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// Characters that end a move token besides blanks.
bool fin_de_jeton(char c) { return est_espace(c) || std::strchr("{}();$[", c) != nullptr; }

}  // namespace

int resultat_texte(const std::string& texte) {
  if (texte == "1-0") return RESULTAT_BLANCS;
  if (texte == "0-1") return RESULTAT_NOIRS;
  if (texte == "1/2-1/2") return RESULTAT_NULLE;
  if (texte == "*") return RESULTAT_INCONNU;
  return -2;
}

bool CLecteurPgn::lit_ligne() {
  ligne_.clear();
  int c;
  bool lu = false;
  while ((c = std::fgetc(f_)) != EOF) {
    lu = true;
    if (c == '\n') break;
    // A NUL byte is no text: it reads as a blank
    ligne_ += c == 0 ? ' ' : char(c);
  }
  debut_ = 0;
  // A byte-order mark before the first line is no text
  if (premiere_ligne_ && ligne_.compare(0, 3, "\xEF\xBB\xBF") == 0) ligne_.erase(0, 3);
  premiere_ligne_ = false;
  return lu;
}

void CLecteurPgn::traite_etiquette(PARTIE_PGN& partie, size_t i) {
  // Every tag pair of the line: [Name "value"]
  while (i < ligne_.size() && ligne_[i] == '[') {
    size_t j = i + 1;
    while (j < ligne_.size() && est_espace(ligne_[j])) ++j;
    std::string nom;
    while (j < ligne_.size() && !est_espace(ligne_[j]) && ligne_[j] != '"' && ligne_[j] != ']')
      nom += ligne_[j++];
    while (j < ligne_.size() && est_espace(ligne_[j])) ++j;
    std::string valeur;
    if (j < ligne_.size() && ligne_[j] == '"') {
      for (++j; j < ligne_.size() && ligne_[j] != '"'; ++j) {
        if (ligne_[j] == '\\' && j + 1 < ligne_.size()) ++j;
        valeur += ligne_[j];
      }
      if (j < ligne_.size()) ++j;
    }
    while (j < ligne_.size() && ligne_[j] != ']') ++j;
    if (nom == "FEN") partie.fen = valeur;
    if (nom == "Result") {
      const int r = resultat_texte(valeur);
      resultat_etiquette_ = r >= RESULTAT_INCONNU ? r : RESULTAT_INCONNU;
    }
    i = j + 1;
    while (i < ligne_.size() && est_espace(ligne_[i])) ++i;
  }
}

void CLecteurPgn::erreur(PARTIE_PGN& partie, const char* texte) {
  if (partie.erreur.empty()) partie.erreur = texte;
}

bool CLecteurPgn::ajoute_jeton(PARTIE_PGN& partie, std::string jeton) {
  const int r = resultat_texte(jeton);
  if (r >= RESULTAT_INCONNU) {
    resultat_fin_ = r;
    return true;
  }
  // Move number in front ("12.", "12...", "1.e4"); a bare number is one too
  size_t n = 0;
  while (n < jeton.size() && est_chiffre(jeton[n])) ++n;
  if (n == jeton.size()) return false;
  if (n > 0 && jeton[n] == '.') {
    while (n < jeton.size() && jeton[n] == '.') ++n;
    jeton.erase(0, n);
  }
  // Annotation marks behind the move ("e4!?", "Nf3?")
  while (!jeton.empty() && (jeton.back() == '!' || jeton.back() == '?')) jeton.pop_back();
  if (jeton.empty() || jeton == "e.p.") return false;
  partie.coups.push_back(jeton);
  return false;
}

bool CLecteurPgn::traite_coups(PARTIE_PGN& partie, size_t i) {
  const size_t n = ligne_.size();
  while (i < n) {
    const char c = ligne_[i];
    if (dans_commentaire_) {
      if (c == '}') dans_commentaire_ = false;
      ++i;
    } else if (c == '{') {
      dans_commentaire_ = true;
      ++i;
    } else if (c == ';') {
      return false;  // comment to the end of the line
    } else if (c == '(') {
      ++variantes_;
      ++i;
    } else if (c == ')') {
      if (variantes_ == 0) erreur(partie, "a \")\" closes no variation");
      else --variantes_;
      ++i;
    } else if (c == '}') {
      erreur(partie, "a \"}\" closes no comment");
      ++i;
    } else if (variantes_ > 0 || est_espace(c)) {
      ++i;
    } else if (c == '$') {
      for (++i; i < n && est_chiffre(ligne_[i]); ++i) {
      }
    } else {
      size_t j = i;
      while (j < n && !fin_de_jeton(ligne_[j])) ++j;
      if (j == i) {
        // A "[" inside the move text is no move
        erreur(partie, "a tag inside the move text");
        ++i;
        continue;
      }
      a_des_coups_ = true;
      if (ajoute_jeton(partie, ligne_.substr(i, j - i))) {
        debut_ = j;
        return true;
      }
      i = j;
    }
  }
  return false;
}

bool CLecteurPgn::suivante(PARTIE_PGN& partie) {
  partie = PARTIE_PGN{};
  dans_commentaire_ = false;
  variantes_ = 0;
  a_des_coups_ = false;
  resultat_fin_ = -2;
  resultat_etiquette_ = RESULTAT_INCONNU;
  bool etiquettes = false;  // the game has tags

  // The rest of a line whose game ended before its end comes first
  bool ligne_lue = ligne_en_attente_ || lit_ligne();
  bool termine = false;
  while (ligne_lue && !termine) {
    ligne_en_attente_ = false;
    size_t i = debut_;
    if (!dans_commentaire_ && variantes_ == 0) {
      // Escape lines, blank lines and tag pairs are seen outside comments only
      if (i == 0 && !ligne_.empty() && ligne_[0] == '%') {
        ligne_lue = lit_ligne();
        continue;
      }
      while (i < ligne_.size() && est_espace(ligne_[i])) ++i;
      if (i < ligne_.size() && ligne_[i] == '[') {
        if (a_des_coups_) {
          // The next game's tags
          debut_ = i;
          ligne_en_attente_ = true;
          break;
        }
        etiquettes = true;
        traite_etiquette(partie, i);
        ligne_lue = lit_ligne();
        continue;
      }
    }
    termine = traite_coups(partie, i);
    if (termine) {
      // Anything after the termination belongs to the next game
      size_t k = debut_;
      while (k < ligne_.size() && est_espace(ligne_[k])) ++k;
      if (k < ligne_.size()) ligne_en_attente_ = true;
      break;
    }
    ligne_lue = lit_ligne();
  }

  if (!etiquettes && !a_des_coups_ && !dans_commentaire_ && variantes_ == 0) return false;
  partie.numero = ++numero_;
  partie.resultat = resultat_fin_ >= RESULTAT_INCONNU ? resultat_fin_ : resultat_etiquette_;
  if (dans_commentaire_) erreur(partie, "a comment is still open at the end of the file");
  else if (variantes_ > 0) erreur(partie, "a variation is still open at the end of the file");
  return true;
}
