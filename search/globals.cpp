#include "search/globals.h"

int camp_moteur = 0;
EMPILAGE* emp_jeu = nullptr;
uint32_t* liste_jeu = nullptr;
int* trait_jeu = nullptr;
section_critique verrou_rapport;
int credit_livre = 10;
int tables_pretes = 0;
