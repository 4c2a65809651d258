// The tbgen tool's command line: usage, and the directory it writes into.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tb_outils.h"

namespace {

struct SORTIE_TBGEN {
  std::string sortie;
  int statut;
};

// Runs tbgen with the arguments; standard error goes with standard output.
SORTIE_TBGEN tbgen(const std::string& arguments) {
  SORTIE_TBGEN r{"", -1};
  std::FILE* p = popen((std::string("'") + TBGEN_BINARY + "' " + arguments + " 2>&1").c_str(), "r");
  if (!p) return r;
  char tampon[256];
  while (std::fgets(tampon, sizeof tampon, p)) r.sortie += tampon;
  const int s = pclose(p);
  r.statut = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  return r;
}

}  // namespace

TEST(Tbgen, HelpPrintsTheUsage) {
  for (const char* a : {"--help", "-h", "kqk --help"}) {
    const auto r = tbgen(a);
    EXPECT_EQ(r.statut, 0) << a;
    EXPECT_EQ(r.sortie.rfind("usage: tbgen", 0), 0u) << r.sortie;
  }
  const auto r = tbgen("--bogus");
  EXPECT_EQ(r.statut, 2);
  EXPECT_NE(r.sortie.find("unknown class or option \"--bogus\""), std::string::npos) << r.sortie;
  EXPECT_EQ(tbgen("kqk --dir").statut, 2);
}

TEST(Tbgen, TheDirectoryIsCreatedOrRefusedBeforeAnyWork) {
  tb_test::Repertoire r;
  // A folder that does not exist yet, two levels deep
  const std::string dossier = r / "neuf/tables";
  auto s = tbgen("kqk --dir '" + dossier + "'");
  EXPECT_EQ(s.statut, 0) << s.sortie;
  EXPECT_TRUE(std::filesystem::exists(dossier + "/kqk.nbw")) << s.sortie;
  EXPECT_TRUE(std::filesystem::exists(dossier + "/kqk.nbb")) << s.sortie;
  // A file in the way: refused at once, nothing generated
  tb_test::ecrit(r / "fichier", {1, 2, 3});
  s = tbgen("kqk --dir '" + r / "fichier" + "'");
  EXPECT_EQ(s.statut, 1);
  EXPECT_NE(s.sortie.find("is not a directory"), std::string::npos) << s.sortie;
  EXPECT_EQ(s.sortie.find("kqk:"), std::string::npos) << s.sortie;
  s = tbgen("kqk --dir '" + r / "fichier/sous" + "'");
  EXPECT_EQ(s.statut, 1);
  EXPECT_NE(s.sortie.find("cannot create"), std::string::npos) << s.sortie;
  EXPECT_EQ(s.sortie.find("kqk:"), std::string::npos) << s.sortie;
}
