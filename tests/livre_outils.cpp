#include "livre_outils.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "frontend/livre.h"
#include "notation/coordonnees.h"
#include "outils.h"
#include "search/hash.h"

namespace {

// The build puts the default book "Mirask.bo1" beside the engine, in the
// directory where ctest starts the tests. Tests that run the engine without
// a directory of their own expect no book, so the test process works in a
// fresh empty directory, removed at the end.
class DossierDeTravailVide : public ::testing::Environment {
 public:
  void SetUp() override {
    std::error_code ec;
    ancien_ = std::filesystem::current_path(ec);
    dossier_ = std::filesystem::path(::testing::TempDir()) /
               ("pellarq_travail_" + std::to_string(getpid()));
    std::filesystem::remove_all(dossier_, ec);
    std::filesystem::create_directories(dossier_, ec);
    std::filesystem::current_path(dossier_, ec);
  }
  void TearDown() override {
    std::error_code ec;
    if (!ancien_.empty()) std::filesystem::current_path(ancien_, ec);
    std::filesystem::remove_all(dossier_, ec);
  }

 private:
  std::filesystem::path ancien_, dossier_;
};

[[maybe_unused]] ::testing::Environment* const dossier_de_travail =
    ::testing::AddGlobalTestEnvironment(new DossierDeTravailVide);

}  // namespace

void DossierLivre::SetUp() {
  dossier = std::filesystem::path(::testing::TempDir()) /
            ("livre_ecriture_" + std::to_string(getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(dossier);
  std::filesystem::create_directories(dossier);
}

void DossierLivre::TearDown() { std::filesystem::remove_all(dossier); }

std::string DossierLivre::ecrit(const std::string& nom, const std::string& texte) const {
  std::ofstream f(dossier / nom, std::ios::binary);
  f << texte;
  return chemin(nom);
}

int DossierLivre::construit(const std::string& pgn, OPTIONS_LIVRE options, BILAN_LIVRE& bilan,
                            std::string* messages) {
  const std::string entree = ecrit("parties.pgn", pgn);
  options.sortie = chemin("livre.bo1");
  std::FILE* m = std::tmpfile();
  const int r = construit_livre(options, {entree}, m, bilan);
  if (messages) {
    std::rewind(m);
    messages->clear();
    int c;
    while ((c = std::fgetc(m)) != EOF) *messages += char(c);
  }
  std::fclose(m);
  return r;
}

std::vector<std::string> coups_livre(const std::string& fichier, CEchiquier& e) {
  EMPILAGE racine = *e.emp;
  e.CopieEmp(&racine);
  compute_keys(&racine);
  // As the engine's probe: offset 0, then offset 2
  uint16_t coups[5] = {};
  for (uint32_t d : {0u, 2u})
    if (lit_enregistrement_livre(fichier.c_str(), &racine, d, coups) && coups[0]) break;
  std::vector<std::string> r;
  for (int i = 0; i < 4 && coups[i]; ++i) {
    char texte[8];
    texte_protocole(coups[i], texte);
    r.push_back(texte);
  }
  return r;
}

std::vector<std::string> coups_livre(const std::string& fichier, const std::string& suite) {
  CEchiquier e;
  e.Coup1();
  if (joue_suite(e, suite) != 0) ADD_FAILURE() << "cannot play " << suite;
  return coups_livre(fichier, e);
}

std::string contenu(const std::string& fichier) {
  std::ifstream f(fichier, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string programme_voisin(const char* nom) {
  return (std::filesystem::path(PELLARQ_BINARY).parent_path() / nom).string();
}

LIVRE_TEST::LIVRE_TEST(const EMPILAGE& position, uint32_t coup) : ancien(std::filesystem::current_path()) {
  dossier = std::filesystem::path(::testing::TempDir()) / ("defauts_livre_" + std::to_string(getpid()));
  std::filesystem::create_directories(dossier);
  std::filesystem::current_path(dossier);
  EMPILAGE racine = position;
  compute_keys(&racine);
  std::ofstream f(FICHIER_LIVRE, std::ios::binary);
  const uint32_t n = enregistrement_primaire(&racine, 0);
  std::vector<char> tout((n + 1) * 10, 0);
  tout[n * 10] = char(racine.verrou_hash & 0xff);
  tout[n * 10 + 1] = char((racine.verrou_hash >> 8) & 0xff);
  tout[n * 10 + 2] = char(coup & 0xff);
  tout[n * 10 + 3] = char((coup >> 8) & 0xff);
  f.write(tout.data(), std::streamsize(tout.size()));
}

LIVRE_TEST::~LIVRE_TEST() {
  std::filesystem::current_path(ancien);
  std::filesystem::remove_all(dossier);
}
