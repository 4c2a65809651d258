#include "outils.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "board/movegen.h"
#include "notation/coordonnees.h"
#include "search/arret.h"
#include "tablebase/registry.h"

namespace {
// Status, output and errors of a finished run whose streams went to base.out and base.err.
RESULTAT_PROGRAMME lit_resultat(int statut, const std::string& base) {
  RESULTAT_PROGRAMME res;
  res.statut = WIFEXITED(statut) ? WEXITSTATUS(statut) : -1;
  std::ifstream o(base + ".out", std::ios::binary), er(base + ".err", std::ios::binary);
  std::stringstream so, se;
  so << o.rdbuf();
  se << er.rdbuf();
  res.sortie = so.str();
  res.erreurs = se.str();
  return res;
}
}  // namespace

int case_nommee(const char* nom) { return (nom[1] - '1') * 8 + (nom[0] - 'a'); }

uint32_t coup_texte(const std::string& t) {
  uint32_t m = cree_coup(case_nommee(t.c_str()), case_nommee(t.c_str() + 2));
  if (t.size() > 4) {
    switch (t[4]) {
      case 'q': m |= PROMOTION_DAME; break;
      case 'r': m |= PROMOTION_TOUR; break;
      case 'b': m |= PROMOTION_FOU; break;
      case 'n': m |= PROMOTION_CAVALIER; break;
      default: break;
    }
  }
  return m;
}

int joue_suite(CEchiquier& e, const std::string& coups) {
  std::istringstream in(coups);
  std::string t;
  while (in >> t) {
    const int r = e.Joue(coup_texte(t));
    if (r != 0) return r;
  }
  return 0;
}

std::vector<std::string> textes_liste(const uint32_t* liste) {
  std::vector<std::string> v;
  for (; *liste; ++liste) {
    char t[8];
    texte_protocole(*liste, t);
    v.push_back(std::string(t) + ((*liste & COUP_ILLEGAL) ? "?" : ""));
  }
  return v;
}

uint32_t place_pieces(CEchiquier& e, const std::vector<PIECE_PLACEE>& pieces, int trait) {
  for (int& q : e.echiquier) q = VIDE;
  for (int s = 0; s < 32; ++s) {
    e.pos_piece[s] = -1;
    e.type_piece[s] = 0;
  }
  for (const PIECE_PLACEE& p : pieces) {
    e.pos_piece[p.slot] = p.case_;
    e.echiquier[p.case_] = p.slot;
    e.type_piece[p.slot] = p.type;
  }
  for (int& r : e.roque) r = ROQUE_PERDU;
  e.trait = trait;
  e.CopieEmp(e.emp);
  return trait == BLANCS ? genere_blancs(e.liste_coups, 0, 0, e.emp)
                         : genere_noirs(e.liste_coups, 0, 0, e.emp);
}

RESULTAT_PROGRAMME lance_programme(const std::string& entree, const std::string& arguments,
                                   const std::string& repertoire) {
  static int compteur = 0;
  const std::string base = ::testing::TempDir() + "pellarq_" + std::to_string(getpid()) + "_" + std::to_string(++compteur);
  {
    std::ofstream f(base + ".in", std::ios::binary);
    f << entree;
  }
  std::string commande;
  if (!repertoire.empty()) commande = "cd '" + repertoire + "' && ";
  commande += std::string("'") + PELLARQ_BINARY + "' " + arguments + " < '" + base + ".in' > '" +
              base + ".out' 2> '" + base + ".err'";
  const int r = std::system(commande.c_str());
  return lit_resultat(r, base);
}

uint32_t place_fen(CEchiquier& e, const std::string& fen) {
  std::istringstream in(fen);
  std::string placement, cote, roques;
  in >> placement >> cote >> roques;
  std::vector<PIECE_PLACEE> pieces;
  bool pris[32] = {};
  auto libre = [&](int de, int a) {
    for (int s = de; s <= a; ++s)
      if (!pris[s]) return s;
    return -1;
  };
  int r = 7, f = 0;
  for (char c : placement) {
    if (c == '/') {
      --r;
      f = 0;
      continue;
    }
    if (c >= '1' && c <= '8') {
      f += c - '0';
      continue;
    }
    const bool noir = c >= 'a';
    const int base = noir ? 16 : 0;
    const int q = r * 8 + f++;
    int type = -1, slot = -1;
    switch (noir ? c - 32 : c) {
      case 'K': type = ROI; slot = base; break;
      case 'Q': type = DAME; break;
      case 'R': type = TOUR; break;
      case 'B': type = FOU; break;
      case 'N': type = CAVALIER; break;
      case 'P': type = noir ? PION_NOIR : PION_BLANC; break;
    }
    if (type == TOUR && q == (noir ? 56 : 0) && !pris[base + 2]) slot = base + 2;
    if (type == TOUR && q == (noir ? 63 : 7) && !pris[base + 3]) slot = base + 3;
    if (slot < 0 && type >= PION_BLANC) slot = libre(base + 8, base + 15);
    if (slot < 0 && type == DAME) slot = libre(base + 1, base + 1);
    if (slot < 0) slot = libre(base + 4, base + 7);
    if (slot < 0) slot = libre(base + 1, base + 3);
    if (slot < 0) slot = libre(base + 8, base + 15);
    pris[slot] = true;
    pieces.push_back({slot, type, q});
  }
  const int trait = cote == "b" ? NOIRS : BLANCS;
  place_pieces(e, pieces, trait);
  e.roque[0] = roques.find('K') != std::string::npos ? 0 : -1;
  e.roque[2] = roques.find('Q') != std::string::npos ? 0 : -1;
  e.roque[1] = roques.find('k') != std::string::npos ? 0 : -1;
  e.roque[3] = roques.find('q') != std::string::npos ? 0 : -1;
  e.CopieEmp(e.emp);
  return trait == BLANCS ? genere_blancs(e.liste_coups, 0, 0, e.emp)
                         : genere_noirs(e.liste_coups, 0, 0, e.emp);
}

RESULTAT_PROGRAMME lance_avec_pauses(const std::vector<std::string>& morceaux,
                                     const std::string& arguments, const std::string& repertoire,
                                     int limite_secondes) {
  static int compteur = 0;
  const std::string base = ::testing::TempDir() + "pellarq_p" + std::to_string(getpid()) + "_" +
                           std::to_string(++compteur);
  // Each piece goes to a file of its own, catted in turn with the pauses between.
  std::string script = "(";
  for (size_t i = 0; i < morceaux.size(); ++i) {
    const std::string& m = morceaux[i];
    if (!m.empty() && m[0] == '@') {
      script += "sleep " + std::to_string(std::atoi(m.c_str() + 1) / 1000.0) + "; ";
      continue;
    }
    const std::string f = base + "_" + std::to_string(i) + ".in";
    std::ofstream(f, std::ios::binary) << m;
    script += "cat '" + f + "'; ";
  }
  script += "true) | ";
  if (!repertoire.empty()) script += "(cd '" + repertoire + "' && ";
  if (limite_secondes > 0) script += "timeout -k 5 " + std::to_string(limite_secondes) + " ";
  script += std::string("'") + PELLARQ_BINARY + "' " + arguments;
  if (!repertoire.empty()) script += ")";
  script += " > '" + base + ".out' 2> '" + base + ".err'";
  const int r = std::system(script.c_str());
  return lit_resultat(r, base);
}

std::vector<std::string> lignes_de(const std::string& texte) {
  std::vector<std::string> v;
  std::istringstream in(texte);
  std::string l;
  while (std::getline(in, l)) v.push_back(l);
  return v;
}

int compte_lignes(const std::string& texte, const std::regex& r) {
  int n = 0;
  for (const auto& l : lignes_de(texte)) n += std::regex_match(l, r);
  return n;
}

void TestDansDossier::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  dossier_ = std::filesystem::path(::testing::TempDir()) /
             ("pellarq_" + std::to_string(getpid()) + "_" + info->test_suite_name() + "_" +
              info->name());
  std::filesystem::remove_all(dossier_);
  std::filesystem::create_directories(dossier_);
  if (y_aller_) {
    ancien_ = std::filesystem::current_path();
    std::filesystem::current_path(dossier_);
  }
}

void TestDansDossier::TearDown() {
  if (y_aller_) std::filesystem::current_path(ancien_);
  std::filesystem::remove_all(dossier_);
}

void TestDansDossier::ecrit_fichier(const std::string& nom, const std::string& texte) {
  std::ofstream(dossier_ / nom, std::ios::binary) << texte;
}

void recherche_neuve(CEchiquier& b) {
  TbRelease();
  ASSERT_GT(b.AlloueHashTable(16), 0);
  echange_atomique(arret_recherche, 0);
  valeur_nulle = 0;
}
