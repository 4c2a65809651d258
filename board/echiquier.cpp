#include "board/echiquier.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/movegen.h"
#include "board/tables.h"
#include "notation/coordonnees.h"
#include "search/globals.h"
#include "search/hash.h"
#include "search/pv.h"
#include "tablebase/registry.h"

namespace {

// Initial square, type and value of each slot.
const int case_initiale[32] = {4,  3,  0,  7,  2,  5,  1,  6,  8,  9,  10, 11, 12, 13, 14, 15,
                               60, 59, 56, 63, 58, 61, 57, 62, 48, 49, 50, 51, 52, 53, 54, 55};
const int type_initial[32] = {ROI, DAME, TOUR, TOUR, FOU, FOU, CAVALIER, CAVALIER,
                              PION_BLANC, PION_BLANC, PION_BLANC, PION_BLANC,
                              PION_BLANC, PION_BLANC, PION_BLANC, PION_BLANC,
                              ROI, DAME, TOUR, TOUR, FOU, FOU, CAVALIER, CAVALIER,
                              PION_NOIR, PION_NOIR, PION_NOIR, PION_NOIR,
                              PION_NOIR, PION_NOIR, PION_NOIR, PION_NOIR};
// Initial value by type.
const int valeur_initiale[7] = {4400, 4000, 2200, 1300, 1200, 400, 400};

// Engine objects alive: the global tables go with the last one.
int nb_echiquiers = 0;

}  // namespace

// The lists and the work state; copies of an engine share one of these.
struct CEchiquier::Stockage {
  uint32_t liste_coups[TAILLE_LISTE_COUPS] = {};
  uint32_t liste_prises[TAILLE_LISTE_COUPS] = {};
  EMPILAGE emp = {};
};

CEchiquier::CEchiquier() : partie(CListePartie::CAPACITE_INITIALE) {
  // Lists and work state
  stockage = std::make_shared<Stockage>();
  liste_coups = stockage->liste_coups;
  liste_prises = stockage->liste_prises;
  emp = &stockage->emp;
  fen_depart = nullptr;

  // Tables shared by every engine object
  InitTdep();
  if (nb_echiquiers++ == 0) construit_cellules_pv();
  init_cles_hash();

  mode_fritz = 0;
  Raz();
  temps_limite_ms[0] = temps_limite_ms[1] = 60000;
  tables_pretes = 0;
}

CEchiquier::~CEchiquier() {
  if (--nb_echiquiers == 0) {
    libere_cellules_pv();
    libere_tables();
    if (tables_pretes) {
      TbRelease();
      tables_pretes = 0;
    }
  }
  // The search globals must not point into storage that is going away.
  if (stockage.use_count() == 1 && emp_jeu == emp) {
    emp_jeu = nullptr;
    liste_jeu = nullptr;
  }
  if (trait_jeu == &trait) trait_jeu = nullptr;
}

CEchiquier::CEchiquier(const CEchiquier& autre) : partie(autre.partie) {
  ++nb_echiquiers;
  *this = autre;
}

CEchiquier& CEchiquier::operator=(const CEchiquier& autre) {
  if (this == &autre) return *this;
  partie = autre.partie;
  index_courant = autre.index_courant;
  profondeur = autre.profondeur;
  depart_standard = autre.depart_standard;
  stockage_fen = autre.stockage_fen;
  fen_depart = autre.fen_depart;
  dernier_coup = autre.dernier_coup;
  coup_prevu = autre.coup_prevu;
  reponse_prevue = autre.reponse_prevue;
  temps_anticipation = autre.temps_anticipation;
  profondeur_anticipation = autre.profondeur_anticipation;
  score_anticipation = autre.score_anticipation;
  std::memcpy(pos_piece, autre.pos_piece, sizeof pos_piece);
  std::memcpy(echiquier, autre.echiquier, sizeof echiquier);
  std::memcpy(type_piece, autre.type_piece, sizeof type_piece);
  std::memcpy(valeur_piece, autre.valeur_piece, sizeof valeur_piece);
  trait = autre.trait;
  std::memcpy(roque, autre.roque, sizeof roque);
  stockage = autre.stockage;
  liste_coups = autre.liste_coups;
  liste_prises = autre.liste_prises;
  emp = autre.emp;
  fin_partie = autre.fin_partie;
  temps_limite_ms[0] = autre.temps_limite_ms[0];
  temps_limite_ms[1] = autre.temps_limite_ms[1];
  compte_abandon = autre.compte_abandon;
  mode_fritz = autre.mode_fritz;
  double_pas_depart = autre.double_pas_depart;
  return *this;
}

char* CEchiquier::alloue_fen_depart() {
  if (!fen_depart) {
    stockage_fen = std::shared_ptr<char[]>(new char[81]());
    fen_depart = stockage_fen.get();
  }
  return fen_depart;
}

void CEchiquier::InitTdep() { init_tables_deplacement(); }

void CEchiquier::Raz() {
  // Pieces on their initial squares
  for (int q = 0; q < 64; ++q) echiquier[q] = VIDE;
  for (int s = 0; s < 32; ++s) {
    pos_piece[s] = case_initiale[s];
    echiquier[case_initiale[s]] = s;
    type_piece[s] = type_initial[s];
    valeur_piece[s] = valeur_initiale[type_initial[s]];
  }
  type_piece[VIDE] = -1;

  trait = BLANCS;
  camp_moteur = BLANCS;
  fin_partie = 0;
  for (int& r : roque) r = ROQUE_POSSIBLE;

  emp->materiel = 0;
  emp->nb_pieces_blanches = emp->nb_pieces_noires = 0;
  emp->nb_pions_blancs = emp->nb_pions_noirs = 0;
  emp->phase = 0;
  emp->coups_reversibles = 0;

  index_courant = -1;
  credit_livre = 10;
  profondeur = 999;
  dernier_coup = 0;
  coup_prevu = 0;
  temps_anticipation = 0;

  partie.Raz();
  depart_standard = 1;
  double_pas_depart = 0;

  emp_jeu = emp;
  liste_jeu = liste_coups;
  trait_jeu = &trait;

  if (table_hash && mode_fritz == 0) clear_table_hash();
  if (table_repetition) clear_repetition(table_repetition);

  compte_abandon = 0;
  std::srand(compte_ticks());
}

uint32_t CEchiquier::genere_liste() {
  CopieEmp(emp);
  return trait == BLANCS ? genere_blancs(liste_coups, 0, 0, emp) : genere_noirs(liste_coups, 0, 0, emp);
}

void CEchiquier::Coup1() {
  CopieEmp(emp);
  genere_blancs(liste_coups, 0, 0, emp);
}

void CEchiquier::CopieEmp(EMPILAGE* e) {
  std::memcpy(e->pos_piece, pos_piece, sizeof pos_piece);
  std::memcpy(e->echiquier, echiquier, sizeof echiquier);
  std::memcpy(e->type_piece, type_piece, sizeof type_piece);
  std::memcpy(e->roque, roque, sizeof roque);
  std::memcpy(e->valeur_piece, valeur_piece, sizeof valeur_piece);
}

void CEchiquier::RecupEmp(EMPILAGE* e) {
  std::memcpy(pos_piece, e->pos_piece, sizeof pos_piece);
  std::memcpy(echiquier, e->echiquier, sizeof echiquier);
  std::memcpy(type_piece, e->type_piece, sizeof type_piece);
  std::memcpy(roque, e->roque, sizeof roque);
  std::memcpy(valeur_piece, e->valeur_piece, sizeof valeur_piece);
}

void CEchiquier::Langage() { lettres_pieces = LETTRES_ANGLAISES; }

void CEchiquier::AfficheEchiquier() {
  static const char lettres[] = "rdtfcpp";
  for (int r = 7; r >= 0; --r) {
    char ligne[10];
    for (int f = 0; f < 8; ++f) {
      const int s = echiquier[r * 8 + f];
      const int t = s != VIDE ? type_piece[s] : -1;
      if (s == VIDE || t < 0 || t > PION_NOIR) ligne[f] = '.';
      else ligne[f] = s >= 16 ? char(lettres[t] - 32) : lettres[t];
    }
    ligne[8] = '\n';
    ligne[9] = 0;
    std::fputs(ligne, stdout);
  }
}

void CEchiquier::AfficheDroitsRoque() {}

int CEchiquier::LitIndexCourant() { return index_courant; }

uint32_t CEchiquier::LitCoupA(int i) {
  const S_LISTE_COUPS e = partie.LitA(i);
  return uint32_t(e.coup) | (uint32_t(e.prise) << 16);
}

int CEchiquier::ListeCoups(uint32_t*) { return 0; }

namespace {
int liste_en_textes(const uint32_t* liste, char** textes) {
  int n = 0;
  for (; liste[n] != 0 && n < TAILLE_LISTE_COUPS - 1; ++n) {
    char* t = new char[9];
    texte_coordonnees(liste[n], t);
    if (liste[n] & COUP_ILLEGAL) std::strcat(t, "?");
    textes[n] = t;
  }
  textes[n] = nullptr;
  return 0;
}
}  // namespace

int CEchiquier::ListeCoups(char** textes) { return liste_en_textes(liste_coups, textes); }

int CEchiquier::ListeCoupsPrise(char** textes, int) { return liste_en_textes(liste_prises, textes); }

int CEchiquier::AlloueHashTable(int n) { return alloue_tables(n); }
