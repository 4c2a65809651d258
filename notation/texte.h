// Small text helpers shared by the readers of commands, files and moves.
#pragma once

#include <string>

#include "board/types.h"

// A blank between the fields of a line: space or tab.
inline bool est_blanc(char c) { return c == ' ' || c == '\t'; }

inline bool est_chiffre(char c) { return c >= '0' && c <= '9'; }

// The first character at or after p that is not a blank.
inline const char* saute_blancs(const char* p) {
  while (est_blanc(*p)) ++p;
  return p;
}
inline char* saute_blancs(char* p) {
  while (est_blanc(*p)) ++p;
  return p;
}

// Upper-cases the ASCII letters of a text in place.
inline void majuscules(char* texte) {
  for (char* c = texte; *c; ++c)
    if (*c >= 'a' && *c <= 'z') *c = char(*c - 32);
}
inline void majuscules(std::string& texte) {
  for (char& c : texte)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
}

// Removes the blanks at both ends of the text.
inline void ote_blancs(std::string& texte) {
  const size_t debut = texte.find_first_not_of(" \t");
  if (debut == std::string::npos) {
    texte.clear();
    return;
  }
  texte = texte.substr(debut, texte.find_last_not_of(" \t") - debut + 1);
}

// Drops the carriage return a line read from a CR LF text ends with.
inline void ote_retour_chariot(std::string& ligne) {
  if (!ligne.empty() && ligne.back() == '\r') ligne.pop_back();
}

// Piece type of an upper-case English piece letter (K, Q, R, B, N), or -1.
inline int type_lettre(char lettre) {
  switch (lettre) {
    case 'K': return ROI;
    case 'Q': return DAME;
    case 'R': return TOUR;
    case 'B': return FOU;
    case 'N': return CAVALIER;
    default: return -1;
  }
}
