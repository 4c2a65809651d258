#include "board/partie.h"

namespace {
// An entry that reads as "no move": returned for indices outside the record.
constexpr S_LISTE_COUPS ENTREE_VIDE = {0, VIDE, 0};
}  // namespace

CListePartie::CListePartie(int capacite_)
    : entrees(std::make_shared<std::vector<S_LISTE_COUPS>>(capacite_ > 0 ? capacite_ : 1)),
      capacite(capacite_ > 0 ? capacite_ : 1),
      index(-1) {}

CListePartie::~CListePartie() = default;

CListePartie::CListePartie(const CListePartie& autre) = default;

CListePartie& CListePartie::operator=(const CListePartie& autre) {
  entrees = autre.entrees;
  capacite = autre.capacite;
  index = autre.index;
  return *this;
}

int CListePartie::Ajout(uint32_t coup, int prise, int roque) {
  if (index >= capacite - 1) capacite += CROISSANCE;
  ++index;
  if (capacite <= index) capacite = index + 1;  // only after MetIndex beyond the array
  if (entrees->size() < size_t(capacite)) entrees->resize(capacite);
  (*entrees)[index] = S_LISTE_COUPS{uint16_t(coup & 0xffff), uint16_t(prise & 0xffff),
                                    uint16_t(roque & 0xffff)};
  return index;
}

S_LISTE_COUPS CListePartie::Retrait() {
  S_LISTE_COUPS e = LitA(index);
  if (index >= 0) --index;
  return e;
}

S_LISTE_COUPS CListePartie::LitA(int i) const {
  if (i < 0 || size_t(i) >= entrees->size()) return ENTREE_VIDE;
  return (*entrees)[i];
}

void CListePartie::MetA(int i, S_LISTE_COUPS e) {
  if (i < 0 || size_t(i) >= entrees->size()) return;
  (*entrees)[i] = e;
}

void CListePartie::MetIndex(int i) { index = i < -1 ? -1 : i; }

int CListePartie::LitIndex() const { return index; }

void CListePartie::Raz() {
  index = -1;
  if (capacite > CAPACITE_INITIALE) {
    capacite = CAPACITE_INITIALE;
    entrees->resize(CAPACITE_INITIALE);
    entrees->shrink_to_fit();
  }
}

int CListePartie::Taille() const { return capacite; }
