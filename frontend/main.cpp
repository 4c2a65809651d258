// The console program: the engine driven over standard input and output.
#include <cstdio>

#include "board/echiquier.h"
#include "frontend/boucle.h"

// The one engine object of the program, constructed before main.
CEchiquier moteur;

int main() {
  moteur.Coup1();
  moteur.Langage();
  std::setvbuf(stdin, nullptr, _IONBF, 0);
  moteur.AlloueHashTable(0);
  return boucle_commandes(moteur);
}
