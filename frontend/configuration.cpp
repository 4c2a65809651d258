#include "frontend/configuration.h"

#include <cstdlib>
#include <fstream>
#include <strings.h>

std::string repertoire_tables;

namespace {
bool est_blanc(char c) { return c == ' ' || c == '\t'; }
}  // namespace

void lire_configuration(int* taille_hash, std::string& repertoire) {
  std::ifstream f(FICHIER_CONFIGURATION);
  if (!f) return;
  std::string ligne;
  while (std::getline(f, ligne)) {
    if (!ligne.empty() && ligne.back() == '\r') ligne.pop_back();
    size_t i = 0;
    while (i < ligne.size() && est_blanc(ligne[i])) ++i;
    if (i >= ligne.size() || ligne[i] == ';') continue;
    const std::string reste = ligne.substr(i);
    const size_t egal = reste.find('=');
    if (egal == std::string::npos || reste.size() < 9) continue;
    if (strncasecmp(reste.c_str(), "HASHTABLE", 9) == 0) {
      *taille_hash = std::atoi(reste.c_str() + egal + 1);
    } else if (strncasecmp(reste.c_str(), "TABLEBASE", 9) == 0) {
      size_t j = egal + 1;
      while (j < reste.size() && est_blanc(reste[j])) ++j;
      repertoire = reste.substr(j);
    }
  }
}
