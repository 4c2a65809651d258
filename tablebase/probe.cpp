// The probe: material to class, colours to table, position to index,
// byte to result.
#include "tablebase/probe.h"

#include "board/types.h"
#include "tablebase/cache.h"
#include "tablebase/classes.h"
#include "tablebase/index.h"
#include "tablebase/registry.h"

namespace {

// Piece types of the board: king, queen, rook, bishop, knight, pawns.
static_assert(ROI == 0 && DAME == 1 && TOUR == 2 && FOU == 3 && CAVALIER == 4 &&
              PION_BLANC == 5 && PION_NOIR == 6);
const int PREMIERE_POSITION[7] = {TB_ROI, TB_DAMES, TB_TOURS, TB_FOUS,
                                  TB_CAVALIERS, TB_PIONS, TB_PIONS};
const int COMPTE_SIGNATURE[7] = {-1, 4, 3, 2, 1, 0, 0};

// Probe state, written by TbCountMaterial and TbLoadPieces.
int signature[TB_SIGNATURE_TAILLE];   // White's counts, then Black's
int listes[2][TB_LISTE];              // White's and Black's men

const int KPPKP = TbClassNumber("kppkp");
const uint32_t KPPKP_PERDUES[7] = {56802428, 56811076, 56849992, 56858640,
                                   59592489, 67775659, 71071628};

int resultat(int v) {
  if (v == 0) return TB_NULLE;
  if (v == 127) return TB_PAS_DE_RESULTAT;
  if (v == -127) return -32640;
  if (v == -128) return 32640;
  return v > 0 ? 32640 + v : v - 32640;
}

}  // namespace

int TbCountMaterial(const int* pos_piece, const int* type_piece) {
  for (int& n : signature) n = 0;
  int total = 0;
  for (int s = 0; s < 32; s++) {
    if (s == 0 || s == 16 || pos_piece[s] < 0) continue;
    int t = type_piece[s];
    if (t < 1 || t > 6) continue;
    signature[(s < 16 ? 0 : 5) + COMPTE_SIGNATURE[t]]++;
    total++;
  }
  return total;
}

void TbLoadPieces(const int* pos_piece, const int* type_piece) {
  for (auto& l : listes)
    for (int& c : l) c = -1;
  for (int s = 0; s < 32; s++) {
    int t = type_piece[s];
    if (pos_piece[s] < 0 || t < 0 || t > 6) continue;
    int* l = listes[s < 16 ? 0 : 1];
    for (int p = PREMIERE_POSITION[t]; p < PREMIERE_POSITION[t] + 4 && p < TB_LISTE; p++)
      if (l[p] < 0) {
        l[p] = pos_piece[s];
        break;
      }
  }
}

int TbProbe(int side, int en_passant) {
  // Positions with an en-passant capture are not in the tables.
  if (en_passant != -1) return TB_PAS_DE_RESULTAT;

  // 1. Class of the material.
  int c = TbLookupMaterial(signature);
  if (c == 0) return TB_PAS_DE_RESULTAT;

  // 2. Colours: which side is named first, which table serves `side`.
  int table = side, echange = 0;
  const int* premier = listes[0];
  const int* second = listes[1];
  if (c < 0) {
    c = -c;
    table = 1 - side;
    premier = listes[1];
    second = listes[0];
    echange = 1;
  }

  // 3. Registered?
  CLASSE_TB& classe = classes_tb[c];
  if (!classe.enregistree(table)) return TB_PAS_DE_RESULTAT;

  // 4-5. Index; seven kppkp positions are answered without the table.
  uint32_t index = classe.index[table](premier, second, en_passant, echange);
  if (c == KPPKP && table == 1)
    for (uint32_t i : KPPKP_PERDUES)
      if (index == i) return -32639;

  // 6. The byte.
  return resultat(TbFetchByte(c, table, index));
}
