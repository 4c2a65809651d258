#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "board/echiquier.h"
#include "frontend/livre_construction.h"
#include "frontend/livre_parties.h"
#include "frontend/livre_pgn.h"
#include "livre_outils.h"
#include "notation/coordonnees.h"
#include "outils.h"
#include "search/analyse.h"
#include "search/rapport.h"

namespace {

const std::string LIGNES = std::string(PELLARQ_SOURCE_DIR) + "/book/ouvertures.pgn";

// The default book built as the build step builds it, in the test's directory.
class LivreDefaut : public DossierLivre {
 protected:
  void SetUp() override {
    DossierLivre::SetUp();
    OPTIONS_LIVRE o;
    o.sortie = chemin(FICHIER_LIVRE);
    o.filtres.min_parties = 1;
    std::FILE* m = std::tmpfile();
    ASSERT_EQ(construit_livre(o, {LIGNES}, m, bilan), 0);
    std::fclose(m);
    livre = o.sortie;
  }
  bool contient(const std::string& suite, const std::string& coup) const {
    const std::vector<std::string> c = coups_livre(livre, suite);
    return std::find(c.begin(), c.end(), coup) != c.end();
  }
  std::string livre;
  BILAN_LIVRE bilan;
};

// The moves the engine printed as "N. ... move" lines, and whether any other line came.
std::vector<std::string> coups_du_moteur(const std::string& sortie, std::vector<std::string>& autres) {
  std::vector<std::string> coups;
  std::istringstream in(sortie);
  std::string l;
  while (std::getline(in, l)) {
    const size_t p = l.find(". ... ");
    if (p != std::string::npos && p > 0 && std::isdigit(static_cast<unsigned char>(l[0])))
      coups.push_back(l.substr(p + 6));
    else
      autres.push_back(l);
  }
  return coups;
}

}  // namespace

TEST(LivreDefautLignes, EveryLineIsLegalAndOfItsLength) {
  std::FILE* f = std::fopen(LIGNES.c_str(), "r");
  ASSERT_NE(f, nullptr);
  CLecteurPgn lecteur(f);
  CJoueurParties joueur;
  PARTIE_PGN p;
  std::vector<COUP_PARTIE> plies;
  std::string erreur;
  int n = 0, nulles = 0;
  std::set<std::string> premiers;
  while (lecteur.suivante(p)) {
    ++n;
    EXPECT_GE(p.coups.size(), 8u) << "game " << p.numero;
    EXPECT_LE(p.coups.size(), 16u) << "game " << p.numero;
    EXPECT_NE(p.resultat, RESULTAT_INCONNU) << "game " << p.numero;
    EXPECT_TRUE(joueur.joue(p, 24, plies, erreur)) << "game " << p.numero << ": " << erreur;
    EXPECT_EQ(plies.size(), p.coups.size());
    if (p.resultat == RESULTAT_NULLE) ++nulles;
    if (!p.coups.empty()) premiers.insert(p.coups[0]);
  }
  std::fclose(f);
  EXPECT_GE(n, 150);
  EXPECT_GT(nulles * 10, n * 9);  // mostly drawn
  EXPECT_EQ(premiers, (std::set<std::string>{"e4", "d4", "c4", "Nf3"}));
}

TEST_F(LivreDefaut, CoversTheMainOpeningsAndTheirReplies) {
  EXPECT_EQ(bilan.parties_rejetees, 0u);
  EXPECT_GE(bilan.parties_lues, 150u);
  EXPECT_EQ(bilan.placement.sans_place + bilan.placement.masquees, 0u);

  std::vector<std::string> debut = coups_livre(livre, "");
  std::sort(debut.begin(), debut.end());
  EXPECT_EQ(debut, (std::vector<std::string>{"c2c4", "d2d4", "e2e4", "g1f3"}));
  for (const char* c : {"e7e5", "c7c5", "e7e6", "c7c6"}) EXPECT_TRUE(contient("e2e4", c)) << c;
  for (const char* c : {"g8f6", "d7d5"}) EXPECT_TRUE(contient("d2d4", c)) << c;
  for (const char* c : {"e7e5", "c7c5", "g8f6"}) EXPECT_TRUE(contient("c2c4", c)) << c;
  for (const char* c : {"d7d5", "g8f6"}) EXPECT_TRUE(contient("g1f3", c)) << c;
  // White's answers to the other defences
  EXPECT_TRUE(contient("e2e4 d7d5", "e4d5"));                // Scandinavian
  EXPECT_TRUE(contient("e2e4 g8f6", "e4e5"));                // Alekhine
  EXPECT_TRUE(contient("e2e4 d7d6", "d2d4"));                // Pirc
  EXPECT_TRUE(contient("d2d4 f7f5", "g2g3"));                // Dutch
  EXPECT_TRUE(contient("d2d4 g8f6 c2c4 c7c5", "d4d5"));      // Benoni
  EXPECT_TRUE(contient("d2d4 g8f6 c2c4 g7g6 b1c3", "f8g7"));  // King's Indian
  EXPECT_TRUE(contient("d2d4 g8f6 c2c4 g7g6 b1c3", "d7d5"));  // Grünfeld
  EXPECT_TRUE(contient("d2d4 g8f6 c2c4 e7e6 b1c3", "f8b4"));  // Nimzo-Indian
  // A line given as lost for Black keeps White's moves only
  EXPECT_TRUE(contient("d2d4 g8f6 c2c4 e7e5", "d4e5"));
  EXPECT_FALSE(contient("d2d4 g8f6 c2c4", "e7e5"));
}

TEST_F(LivreDefaut, TheBuildPutsTheSameBookBesideTheEngine) {
  const std::string construit = programme_voisin(FICHIER_LIVRE);
  ASSERT_TRUE(std::filesystem::exists(construit)) << construit;
  EXPECT_EQ(std::filesystem::file_size(construit), 983040u);
  EXPECT_TRUE(contenu(construit) == contenu(livre));
}

TEST_F(LivreDefaut, TheEngineAnswersFromTheBookWithoutThinking) {
  // Black's reply after 1.e4 e5, White's first move, and the book listing after 1.e4
  const RESULTAT_PROGRAMME r = lance_avec_pauses(
      {"@1000", "post\nforce\ne2e4\ne7e5\ngo\n", "@1200", "new\npost\ngo\n", "@1200", "new\nforce\ne2e4\nbk\nquit\n"},
      "", dossier.string());
  std::vector<std::string> autres;
  const std::vector<std::string> coups = coups_du_moteur(r.sortie, autres);
  ASSERT_EQ(coups.size(), 2u) << r.sortie;
  const std::vector<std::string> attendus = coups_livre(livre, "e2e4 e7e5");
  EXPECT_NE(std::find(attendus.begin(), attendus.end(), coups[0]), attendus.end()) << coups[0];
  EXPECT_TRUE(coups[1] == "e2e4" || coups[1] == "d2d4" || coups[1] == "c2c4" || coups[1] == "g1f3")
      << coups[1];
  // No thinking line: only the book listing besides the moves
  std::vector<std::string> liste;
  for (const std::string& l : autres)
    if (!l.empty()) liste.push_back(l);
  std::sort(liste.begin(), liste.end());
  EXPECT_EQ(liste, (std::vector<std::string>{"\tc5", "\tc6", "\te5", "\te6"})) << r.sortie;
}

TEST_F(LivreDefaut, TheBookScoreAndMoveInTheEngine) {
  const std::filesystem::path ancien = std::filesystem::current_path();
  std::filesystem::current_path(dossier);
  CEchiquier e;
  e.Coup1();
  e.Langage();
  ASSERT_EQ(joue_suite(e, "d2d4 g8f6"), 0);
  const uint32_t r = e.Analyse();
  std::filesystem::current_path(ancien);
  EXPECT_EQ(r >> 16, 1u);  // a book move
  char coup[8];
  texte_protocole(r & 0xffff, coup);
  EXPECT_TRUE(contient("d2d4 g8f6", coup)) << coup;
  char score[TAILLE_TEXTE_SCORE];
  texte_score(lit_drapeau(meilleur_score), score);
  EXPECT_STREQ(score, " ");
}

TEST_F(LivreDefaut, ChoicesVaryBetweenGames) {
  // The engine is up before the first game; each game has time for its book move
  std::vector<std::string> entree{"@1000"};
  for (int i = 0; i < 10; ++i) {
    entree.push_back("new\ngo\n");
    entree.push_back("@600");
  }
  entree.push_back("quit\n");
  const RESULTAT_PROGRAMME r = lance_avec_pauses(entree, "", dossier.string());
  std::vector<std::string> autres;
  const std::vector<std::string> coups = coups_du_moteur(r.sortie, autres);
  ASSERT_GE(coups.size(), 8u) << r.sortie;
  const std::set<std::string> differents(coups.begin(), coups.end());
  EXPECT_GE(differents.size(), 2u);
  for (const std::string& c : differents) EXPECT_TRUE(contient("", c)) << c;
}
