// The class table: fixed names, lengths and index functions; the file
// fields start empty and belong to the registry.
#include "tablebase/classes.h"

#include <cstring>

#include "tablebase/index.h"

// Never destroyed, so that an engine object released at program exit can
// still close the tables' files.
CLASSE_TB* const classes_tb = new CLASSE_TB[TB_NB_CLASSES + 1]();

namespace {
// Fills the fixed fields before main; the file fields stay null.
struct Remplissage {
  Remplissage() {
    for (int i = 0; i <= TB_NB_CLASSES; i++) {
      CLASSE_TB& c = classes_tb[i];
      c.numero = i;
      c.index[0] = TbIndexFunction(i, 0);
      c.index[1] = TbIndexFunction(i, 1);
      strncpy(c.nom, TB_DEFINITIONS[i].nom, sizeof c.nom - 1);
      c.taille[0] = TB_DEFINITIONS[i].taille_nbw;
      c.taille[1] = TB_DEFINITIONS[i].taille_nbb;
    }
  }
} remplissage;
}  // namespace

int TbClassNumber(const char* nom) {
  for (int i = 1; i <= TB_NB_CLASSES; i++)
    if (strcmp(TB_DEFINITIONS[i].nom, nom) == 0) return i;
  return 0;
}
