#include "notation/lignes.h"

bool lit_ligne(std::FILE* f, char* ligne, size_t taille) {
  size_t n = 0;
  int c = std::getc(f);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::getc(f))
    if (n + 1 < taille) ligne[n++] = char(c);
  if (n > 0 && ligne[n - 1] == '\r') --n;
  ligne[n] = 0;
  return true;
}
