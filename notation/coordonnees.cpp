#include "notation/coordonnees.h"

#include <cstring>

#include "board/types.h"

const char* lettres_pieces = LETTRES_FRANCAISES;

namespace {
void ecrit_cases(uint32_t coup, char* texte) {
  texte[0] = char('a' + (coup & 7));
  texte[1] = char('1' + ((coup >> 3) & 7));
  texte[2] = char('a' + ((coup >> 6) & 7));
  texte[3] = char('1' + ((coup >> 9) & 7));
  texte[4] = 0;
}
}  // namespace

void texte_coordonnees(uint32_t coup, char* texte) {
  ecrit_cases(coup, texte);
  const uint32_t genre = coup & GENRE_COUP;
  if (genre == PETIT_ROQUE) {
    std::strcpy(texte, "O-O");
  } else if (genre == GRAND_ROQUE) {
    std::strcpy(texte, "O-O-O");
  } else if (coup & PROMOTION) {
    texte[4] = lettres_pieces[1 + ((genre - PROMOTION) >> 12)];
    texte[5] = 0;
  }
}

void texte_protocole(uint32_t coup, char* texte) {
  ecrit_cases(coup, texte);
  if (coup & PROMOTION) {
    texte[4] = "qrbn"[(coup & GENRE_COUP) >> 12 & 3];
    texte[5] = 0;
  }
}
