#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "frontend/banniere.h"
#include "frontend/configuration.h"
#include "outils.h"

TEST(Banniere, StoredBytesDescrambleToTheBannerText) {
  const std::string texte = dechiffre_banniere(banniere_stockee);
  EXPECT_EQ(texte.rfind("pellarq ", 0), 0u);
  EXPECT_NE(texte.find("xboard"), std::string::npos);
  EXPECT_EQ(texte.back(), '\n');
  // What is stored is not the text itself.
  EXPECT_NE(std::string(reinterpret_cast<const char*>(banniere_stockee)), texte);
}

TEST(Banniere, ScramblingRoundTripsAnyText) {
  constexpr auto b = brouille_banniere("Hello, engine! 1234 \t~");
  EXPECT_EQ(dechiffre_banniere(b.data()), "Hello, engine! 1234 \t~");
  // The first byte: ((1 + c) ^ 1) = 'H'.
  EXPECT_EQ(((1 + b[0]) ^ 1) & 0xFF, 'H');
}

class Configuration : public TestDansDossier {
 protected:
  Configuration() : TestDansDossier(true) {}
  void ecrit(const std::string& texte) { ecrit_fichier(FICHIER_CONFIGURATION, texte); }
};

TEST_F(Configuration, CommentsIndentationCaseAndBlanksAfterTheEqualSign) {
  ecrit("; a comment HASHTABLE=3\n  HashTable=18\nTABLEBASE= c:\\tb\n");
  int taille = 0;
  std::string rep;
  lire_configuration(&taille, rep);
  EXPECT_EQ(taille, 18);
  EXPECT_EQ(rep, "c:\\tb");
}

TEST_F(Configuration, KeysOnlyHaveToBeginTheLine) {
  ecrit("HASHTABLE = 20\r\ntablebases\t=\t/opt/tb;/srv/tb\r\nHASH=4\nTABLEBASE /x\n");
  int taille = 0;
  std::string rep;
  lire_configuration(&taille, rep);
  EXPECT_EQ(taille, 20);
  EXPECT_EQ(rep, "/opt/tb;/srv/tb");  // the carriage return goes with the line end
}

TEST_F(Configuration, MissingFileChangesNothingAndUnreadableLinesAreReported) {
  int taille = 7;
  std::string rep = "keep";
  ::testing::internal::CaptureStderr();
  lire_configuration(&taille, rep);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(taille, 7);
  EXPECT_EQ(rep, "keep");
  // A number that cannot be read and unknown keys: reported, the value stays
  ecrit("hashtable=lots\ntablebase=" + std::string(2000, 'd') + "\nHASHTABLE = 12x\nmemory = 20\nverbose\nHASHTABLE 20\n");
  ::testing::internal::CaptureStderr();
  lire_configuration(&taille, rep);
  const std::string erreurs = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(taille, 7);
  EXPECT_EQ(rep.size(), 2000u);  // kept whole
  EXPECT_EQ(erreurs,
            "pellarq.cfg:1: HASHTABLE \"lots\" is not a number; ignored\n"
            "pellarq.cfg:3: HASHTABLE \" 12x\" is not a number; ignored\n"
            "pellarq.cfg:4: unknown setting \"memory = 20\" ignored\n"
            "pellarq.cfg:5: unknown setting \"verbose\" ignored\n"
            "pellarq.cfg:6: \"HASHTABLE 20\" has no \"=\"; ignored\n");
}
