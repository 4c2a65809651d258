#include "search/arret.h"

drapeau_atomique arret_recherche{0};
drapeau_atomique temps_depasse{0};
int valeur_nulle = 0;
