// Move text of the engine object: a move in coordinate or algebraic text,
// the first move of the search's line and the root move being searched.
#include <cstring>

#include "board/echiquier.h"
#include "notation/coordonnees.h"
#include "notation/san.h"
#include "search/globals.h"
#include "search/rapport.h"

namespace {
// The buffers of the engine's move-text calls hold at least this much.
constexpr size_t TAILLE_TEXTE_COUP = 16;
}  // namespace

void CEchiquier::CoupAscii(char* texte, uint32_t coup) {
  texte[0] = 0;
  texte_coordonnees(coup, texte);
}

void CEchiquier::CoupExt(char* texte, uint32_t coup) {
  texte[0] = 0;
  ecrit_san(texte, TAILLE_TEXTE_COUP, coup, liste_coups, *emp);
}

void CEchiquier::CoupAnalyse(char* texte) {
  texte[0] = 0;
  verrou_section v(verrou_rapport);
  const uint32_t coup = pv_courante[0] & 0xffff;
  if (coup == 0) return;
  const EMPILAGE* position = contexte_rapport.position ? contexte_rapport.position : emp;
  const uint32_t* liste = contexte_rapport.liste ? contexte_rapport.liste : liste_coups;
  ecrit_san(texte, TAILLE_TEXTE_COUP, coup, liste, *position);
}

uint32_t CEchiquier::GetCurrentMove(char* texte) {
  const uint32_t coup = uint32_t(lit_drapeau(coup_courant));
  texte[0] = 0;
  if (coup != 0) texte_coordonnees(coup, texte);
  return coup;
}
