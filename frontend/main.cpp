// The console program: the engine driven over standard input and output.
#include <csignal>
#include <cstdio>

#include "board/echiquier.h"
#include "frontend/boucle.h"

// The one engine object of the program, constructed before main.
CEchiquier moteur;

int main() {
  // GUIs send SIGINT to engines that did not say otherwise; it must not end a game.
  std::signal(SIGINT, SIG_IGN);
  moteur.Coup1();
  moteur.Langage();
  std::setvbuf(stdin, nullptr, _IONBF, 0);
  moteur.AlloueHashTable(0);
  return boucle_commandes(moteur);
}
