// The SEARCH setting through the front ends: pellarq.cfg, the xboard
// option, the UCI option and the bench's argument.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "outils.h"

namespace {

class OptionRecherche : public TestDansDossier {
 protected:
  RESULTAT_PROGRAMME lance(const std::string& entree, const std::string& arguments = "") {
    return lance_programme(entree, arguments, dossier_.string());
  }
};

std::string total(const std::string& sortie) {
  std::smatch m;
  static const std::regex r(R"(Nodes searched: (\d+))");
  return std::regex_search(sortie, m, r) ? m[1].str() : "";
}

const std::string CLASSIQUE = "option=\"SEARCH -combo *classic /// extended\"";
const std::string ETENDUE = "option=\"SEARCH -combo classic /// *extended\"";

}  // namespace

TEST_F(OptionRecherche, XboardOffersTheOptionAndTheBenchFollowsIt) {
  const auto r = lance("xboard\nprotover 2\noption SEARCH=fast\nbench 3\noption SEARCH=extended\nbench 3\nquit\n");
  EXPECT_NE(r.sortie.find(CLASSIQUE), std::string::npos) << r.sortie;
  EXPECT_NE(r.sortie.find("Error (command not legal): OPTION SEARCH=FAST"), std::string::npos) << r.sortie;
  const size_t deuxieme = r.sortie.find("Nodes searched", r.sortie.find("Nodes searched") + 1);
  ASSERT_NE(deuxieme, std::string::npos) << r.sortie;
  const std::string classique = total(r.sortie), etendue = total(r.sortie.substr(deuxieme));
  // The command-line bench gives the same totals for each search
  EXPECT_EQ(total(lance("", "bench 3").sortie), classique);
  EXPECT_EQ(total(lance("", "bench 3 classic").sortie), classique);
  EXPECT_EQ(total(lance("", "bench 3 extended").sortie), etendue);
  EXPECT_NE(classique, etendue);
  EXPECT_EQ(lance("", "bench 3 turbo").statut, 2);
}

TEST_F(OptionRecherche, TheConfigurationFileSetsTheDefault) {
  ecrit_fichier("pellarq.cfg", "SEARCH = Extended\n");
  auto r = lance("xboard\nprotover 2\nquit\n");
  EXPECT_NE(r.sortie.find(ETENDUE), std::string::npos) << r.sortie;
  r = lance("uci\nquit\n");
  EXPECT_NE(r.sortie.find("option name SEARCH type combo default extended var classic var extended"),
            std::string::npos)
      << r.sortie;
  // A value that is neither is reported and the classic search stays
  ecrit_fichier("pellarq.cfg", "SEARCH = turbo\nSEARCH\n");
  r = lance("xboard\nprotover 2\nquit\n");
  EXPECT_NE(r.sortie.find(CLASSIQUE), std::string::npos) << r.sortie;
  EXPECT_NE(r.erreurs.find("pellarq.cfg:1: SEARCH \"turbo\" is neither classic nor extended; ignored"),
            std::string::npos)
      << r.erreurs;
  EXPECT_NE(r.erreurs.find("pellarq.cfg:2: \"SEARCH\" has no \"=\"; ignored"), std::string::npos) << r.erreurs;
}

TEST_F(OptionRecherche, UciSetsTheOptionAndRefusesOtherValues) {
  const std::string position = "position fen r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8\n";
  const std::regex noeuds(R"(info depth 5 .*nodes (\d+))");
  auto noeuds_profondeur_5 = [&](const std::string& sortie) {
    std::smatch m;
    return std::regex_search(sortie, m, noeuds) ? std::stol(m[1].str()) : -1L;
  };
  // Each search gets time to reach its depth before the session ends
  const auto classique = lance_avec_pauses({"uci\n" + position + "go depth 5\n", "@2500", "quit\n"}, "",
                                           dossier_.string(), 30);
  const auto etendue = lance_avec_pauses(
      {"uci\nsetoption name SEARCH value turbo\nsetoption name SEARCH value extended\n" + position + "go depth 5\n",
       "@2500", "quit\n"},
      "", dossier_.string(), 30);
  EXPECT_NE(etendue.sortie.find("info string invalid value for SEARCH: turbo"), std::string::npos)
      << etendue.sortie;
  EXPECT_NE(classique.sortie.find("option name SEARCH type combo default classic var classic var extended"),
            std::string::npos);
  const long c = noeuds_profondeur_5(classique.sortie), x = noeuds_profondeur_5(etendue.sortie);
  ASSERT_GT(c, 0) << classique.sortie;
  ASSERT_GT(x, 0) << etendue.sortie;
  EXPECT_LT(x, c);
}
