#include "notation/lignes.h"
#include "notation/texte.h"

#include <cerrno>
#include <cstring>

bool lit_ligne(std::FILE* f, std::string& ligne) {
  ligne.clear();
  int c = std::getc(f);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::getc(f)) ligne.push_back(char(c));
  ote_retour_chariot(ligne);
  // A NUL byte ends the text of its line
  const size_t nul = ligne.find('\0');
  if (nul != std::string::npos) ligne.resize(nul);
  return true;
}

std::string motif_ouverture(int erreur) {
  if (erreur == ENOENT) return "not found";
  return std::string("cannot be opened (") + std::strerror(erreur) + ")";
}
