#include "eval_outils.h"

#include <cstring>
#include <sstream>

#include "eval/pions.h"
#include "eval/preparation.h"
#include "notation/lecture.h"
#include "outils.h"

namespace {

// Slot of a piece that stands on its initial-set slot, before the others.
int slot_prefere(int base, char lettre, int q) {
  const bool dame = colonne(q) < 4;
  switch (lettre) {
    case 'K': return base;
    case 'Q': return base + 1;
    case 'R': return base + (dame ? 2 : 3);
    case 'B': {
      const bool sombre = (colonne(q) + rangee(q)) % 2 == 0;
      return base == 0 ? (sombre ? 4 : 5) : (sombre ? 21 : 20);
    }
    case 'N': return base + (dame ? 6 : 7);
    default: return base + 8 + colonne(q);
  }
}

// The piece type of a placement letter: the engine's reader for pieces, else a pawn.
int type_placement(char lettre, bool noir) {
  const int t = type_lettre(lettre);
  return t >= 0 ? t : (noir ? PION_NOIR : PION_BLANC);
}

}  // namespace

void place_slots(CEchiquier& e, const std::string& fen) {
  std::istringstream in(fen);
  std::string placement, cote, roques;
  in >> placement >> cote >> roques;
  struct LUE {
    int base;
    char lettre;
    int q;
  };
  std::vector<LUE> lues;
  int r = 7, f = 0;
  for (char c : placement) {
    if (c == '/') {
      --r;
      f = 0;
    } else if (c >= '1' && c <= '8') {
      f += c - '0';
    } else {
      const bool noir = c >= 'a';
      lues.push_back({noir ? 16 : 0, char(noir ? c - 32 : c), r * 8 + f++});
    }
  }
  bool pris[32] = {};
  std::vector<int> slots(lues.size(), -1);
  // First every piece that can take its own slot, then the others
  for (size_t i = 0; i < lues.size(); ++i) {
    const int s = slot_prefere(lues[i].base, lues[i].lettre, lues[i].q);
    if (!pris[s]) pris[s] = true, slots[i] = s;
  }
  for (size_t i = 0; i < lues.size(); ++i) {
    if (slots[i] >= 0) continue;
    const int b = lues[i].base;
    std::vector<int> essais;
    if (lues[i].lettre == 'R') essais = {b + 2, b + 3};
    if (lues[i].lettre == 'B') essais = {b + 4, b + 5};
    if (lues[i].lettre == 'N') essais = {b + 6, b + 7};
    for (int s = b + 8; s < b + 16; ++s) essais.push_back(s);
    for (int s : essais)
      if (!pris[s]) {
        pris[s] = true, slots[i] = s;
        break;
      }
  }
  std::vector<PIECE_PLACEE> pieces;
  for (size_t i = 0; i < lues.size(); ++i)
    pieces.push_back({slots[i], type_placement(lues[i].lettre, lues[i].base == 16), lues[i].q});
  place_pieces(e, pieces, cote == "b" ? NOIRS : BLANCS);
  e.roque[0] = roques.find('K') != std::string::npos ? 0 : -1;
  e.roque[2] = roques.find('Q') != std::string::npos ? 0 : -1;
  e.roque[1] = roques.find('k') != std::string::npos ? 0 : -1;
  e.roque[3] = roques.find('q') != std::string::npos ? 0 : -1;
  e.CopieEmp(e.emp);
}

EMPILAGE noeud_prepare(CEchiquier& e) {
  EMPILAGE n;
  std::memset(&n, 0, sizeof n);
  e.CopieEmp(&n);
  compute_keys(&n);
  prepare_recherche(&n);
  return n;
}

EMPILAGE noeud_fen(CEchiquier& e, const std::string& fen) {
  place_slots(e, fen);
  return noeud_prepare(e);
}

void place_miroir(CEchiquier& miroir, const CEchiquier& e) {
  std::vector<PIECE_PLACEE> pieces;
  for (int s = 0; s < 32; ++s) {
    const int q = e.pos_piece[s];
    if (q < 0) continue;
    int t = e.type_piece[s];
    if (t == PION_BLANC) t = PION_NOIR;
    else if (t == PION_NOIR) t = PION_BLANC;
    pieces.push_back({s ^ 16, t, q ^ 56});
  }
  place_pieces(miroir, pieces, 1 - e.trait);
  miroir.roque[0] = e.roque[1];
  miroir.roque[1] = e.roque[0];
  miroir.roque[2] = e.roque[3];
  miroir.roque[3] = e.roque[2];
  miroir.CopieEmp(miroir.emp);
}

CACHE_PIONS_TEST::CACHE_PIONS_TEST(int entrees)
    : table(size_t(entrees)), ancienne_table(table_pions), ancien_masque(masque_pions) {
  table_pions = entrees > 0 ? table.data() : nullptr;
  masque_pions = entrees > 0 ? uint32_t(entrees - 1) : 0;
}

CACHE_PIONS_TEST::~CACHE_PIONS_TEST() {
  table_pions = ancienne_table;
  masque_pions = ancien_masque;
}

ENTREE_PIONS& CACHE_PIONS_TEST::entree(const EMPILAGE& n, int trait) {
  return table[index_cache_pions(&n, trait)];
}
