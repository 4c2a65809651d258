// The game record: the moves of the game in the order they were played,
// with what each needs to be taken back.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "board/types.h"

class CListePartie {
 public:
  explicit CListePartie(int capacite = CAPACITE_INITIALE);
  ~CListePartie();
  // Copies share the entry array, as assignment does.
  CListePartie(const CListePartie& autre);
  CListePartie& operator=(const CListePartie& autre);

  int Ajout(uint32_t coup, int prise, int roque);
  S_LISTE_COUPS Retrait();
  S_LISTE_COUPS LitA(int i) const;
  void MetA(int i, S_LISTE_COUPS e);
  void MetIndex(int i);
  int LitIndex() const;
  void Raz();
  int Taille() const;

  static constexpr int CAPACITE_INITIALE = 80;
  static constexpr int CROISSANCE = 40;

 private:
  // The entry array, shared between assigned records and freed with the
  // last of them. Its real length may differ from this record's capacity
  // when another owner grew or shrank it; every access checks the length.
  std::shared_ptr<std::vector<S_LISTE_COUPS>> entrees;
  int capacite;  // entries the array holds for this record
  int index;     // last valid entry, -1 when empty
};
