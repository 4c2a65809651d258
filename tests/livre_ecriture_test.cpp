#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "frontend/livre.h"
#include "frontend/livre_ecriture.h"
#include "livre_outils.h"
#include "outils.h"

extern char** environ;

namespace {

POSITION_LIVRE pos(uint32_t cle, uint32_t verrou, uint16_t coup) {
  return POSITION_LIVRE{cle, verrou, 0, 1, {coup, 0, 0, 0}};
}

// The moves the engine's reader finds for the keys in the file.
std::vector<uint16_t> lus(const std::string& fichier, uint32_t cle, uint32_t verrou) {
  EMPILAGE e{};
  e.cle_hash = cle;
  e.verrou_hash = verrou;
  uint16_t coups[5] = {};
  for (uint32_t d : {0u, 2u})
    if (lit_enregistrement_livre(fichier.c_str(), &e, d, coups) && coups[0]) break;
  std::vector<uint16_t> r;
  for (int i = 0; i < 4 && coups[i]; ++i) r.push_back(coups[i]);
  return r;
}

class EcritureLivre : public DossierLivre {};

// Starts pellarq-book with the arguments, its output to `sortie` and
// its messages to `sortie`.err; returns its process id.
pid_t lance_livre(const std::vector<std::string>& arguments, const std::string& sortie) {
  const std::string programme = programme_voisin("pellarq-book");
  std::vector<char*> argv{const_cast<char*>(programme.c_str())};
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, sortie.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, (sortie + ".err").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  if (posix_spawn(&pid, programme.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int attend(pid_t pid) {
  int statut = 0;
  waitpid(pid, &statut, 0);
  return statut;
}

}  // namespace

TEST_F(EcritureLivre, EachPositionTakesTheFirstFreeRecordOfTheReader) {
  // A, B, C take primary records; D and F find theirs taken and take
  // secondary records; P finds all four of its records taken by positions
  // with other check values; Q would be read as A (same record, same check).
  const std::vector<POSITION_LIVRE> positions = {
      pos(0x10, 0x1, 1),      // A: primary 0x10
      pos(0x12, 0x2, 2),      // B: primary 0x12
      pos(0x20, 0x3, 3),      // C: primary 0x20
      pos(0x20, 0x30, 4),     // D: secondary 0x30
      pos(0x20, 0x32, 5),     // F: secondary 0x32
      pos(0x10, 0x30, 6),     // P: primary 0x10, secondary 0x30, primary 0x12, secondary 0x32
      pos(0x50010, 0x70001, 7),  // Q
  };
  BILAN_PLACEMENT b;
  const std::vector<unsigned char> image = image_livre(positions, b);
  EXPECT_EQ(image.size(), size_t(983040));
  EXPECT_EQ(b.placees, 5u);
  EXPECT_EQ(b.coups, 5u);
  EXPECT_EQ(b.sans_place, 1u);
  EXPECT_EQ(b.masquees, 1u);

  std::string erreur;
  ASSERT_TRUE(ecrit_fichier_livre(chemin("l.bo1"), image, erreur)) << erreur;
  const std::string f = chemin("l.bo1");
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(lus(f, positions[size_t(i)].cle_hash, positions[size_t(i)].verrou_hash),
              std::vector<uint16_t>{uint16_t(i + 1)});
  EXPECT_TRUE(lus(f, 0x10, 0x30).empty());
  // D sits in the secondary area with its check value taken from cle_hash
  const std::string octets = contenu(f);
  const size_t n = size_t(NB_ENREGISTREMENTS_PRIMAIRES + 0x30) * 10;
  EXPECT_EQ(uint8_t(octets[n]), 0x20);
  EXPECT_EQ(uint8_t(octets[n + 2]), 4);
}

TEST_F(EcritureLivre, OffsetTwoWhenBothRecordsOfOffsetZeroAreTaken) {
  // T finds its primary record taken by X1 and its secondary record by X3
  const std::vector<POSITION_LIVRE> positions = {
      pos(0x100, 0x1, 1),   // X1: primary 0x100
      pos(0x500, 0x2, 2),   // X2: primary 0x500
      pos(0x500, 0x40, 3),  // X3: secondary 0x40
      pos(0x100, 0x40, 4),  // T: primary 0x102
  };
  BILAN_PLACEMENT b;
  const std::vector<unsigned char> image = image_livre(positions, b);
  EXPECT_EQ(b.placees, 4u);
  std::string erreur;
  ASSERT_TRUE(ecrit_fichier_livre(chemin("l.bo1"), image, erreur)) << erreur;
  for (const POSITION_LIVRE& p : positions)
    EXPECT_EQ(lus(chemin("l.bo1"), p.cle_hash, p.verrou_hash), std::vector<uint16_t>{p.coups[0]});
  EXPECT_EQ(image[0x102 * 10], 0x40);
  EXPECT_EQ(image[0x102 * 10 + 2], 4);
  EXPECT_EQ(image[size_t(NB_ENREGISTREMENTS_PRIMAIRES + 0x40) * 10 + 1], 0x05);
}

TEST_F(EcritureLivre, AFailedWriteLeavesTheEarlierBookAndNoTemporaryFile) {
  const std::string livre = ecrit("Mirask.bo1", "the earlier book");
  BILAN_PLACEMENT b;
  const std::vector<unsigned char> image = image_livre({pos(1, 2, 3)}, b);
  std::string erreur;

  // The target is a directory: the rename fails
  std::filesystem::create_directory(chemin("dossier.bo1"));
  EXPECT_FALSE(ecrit_fichier_livre(chemin("dossier.bo1"), image, erreur));
  EXPECT_NE(erreur.find("cannot rename"), std::string::npos) << erreur;
  // No directory for the temporary file
  EXPECT_FALSE(ecrit_fichier_livre(chemin("absent/Mirask.bo1"), image, erreur));
  EXPECT_NE(erreur.find("temporary"), std::string::npos) << erreur;

  std::vector<std::string> noms;
  for (const auto& f : std::filesystem::directory_iterator(dossier)) noms.push_back(f.path().filename());
  std::sort(noms.begin(), noms.end());
  EXPECT_EQ(noms, (std::vector<std::string>{"Mirask.bo1", "dossier.bo1"}));
  EXPECT_EQ(contenu(livre), "the earlier book");

  // A build whose input cannot be opened writes nothing either
  OPTIONS_LIVRE o;
  o.sortie = livre;
  BILAN_LIVRE bilan;
  std::FILE* m = std::tmpfile();
  EXPECT_EQ(construit_livre(o, {chemin("absent.pgn")}, m, bilan), 1);
  std::fclose(m);
  EXPECT_EQ(contenu(livre), "the earlier book");

  // A good write replaces it whole
  ASSERT_TRUE(ecrit_fichier_livre(livre, image, erreur)) << erreur;
  EXPECT_EQ(std::filesystem::file_size(livre), 983040u);
}

TEST_F(EcritureLivre, TheProgramWritesAWholeBookAndSaysWhatItDid) {
  std::string pgn;
  for (int i = 0; i < 3; ++i) pgn += "[Event \"a\"]\n\n1. e4 e5 2. Nf3 1/2-1/2\n\n";
  pgn += "[Event \"b\"]\n\n1. e4 e5 2. Qe3 1-0\n";
  const std::string entree = ecrit("parties.pgn", pgn);
  const std::string livre = chemin("sortie.bo1");
  const std::string sortie = chemin("sortie.txt");
  const int s = attend(lance_livre({"--output", livre, "--max-ply", "2", entree}, sortie));
  ASSERT_TRUE(WIFEXITED(s));
  EXPECT_EQ(WEXITSTATUS(s), 0);
  EXPECT_EQ(std::filesystem::file_size(livre), 983040u);
  const std::string texte = contenu(sortie);
  EXPECT_NE(texte.find("games read: 3, games left out: 1"), std::string::npos) << texte;
  EXPECT_NE(texte.find("positions stored: 2, moves stored: 2"), std::string::npos) << texte;
  EXPECT_NE(texte.find("book written: " + livre), std::string::npos) << texte;
  EXPECT_NE(contenu(sortie + ".err").find(entree + ": game 4: move 2. \"Qe3\""), std::string::npos);
  EXPECT_EQ(coups_livre(livre, "e2e4"), (std::vector<std::string>{"e7e5"}));

  // Usage errors change nothing
  const std::string avant = contenu(livre);
  for (const std::vector<std::string>& a :
       {std::vector<std::string>{"--output", livre}, {"--min-score", "101", entree},
        {"--max-ply", "x", entree}, {"--frobnicate", entree}}) {
    const int r = attend(lance_livre(a, sortie));
    EXPECT_TRUE(WIFEXITED(r) && WEXITSTATUS(r) == 2);
  }
  const int r = attend(lance_livre({"--output", livre, chemin("absent.pgn")}, sortie));
  EXPECT_TRUE(WIFEXITED(r) && WEXITSTATUS(r) == 1);
  EXPECT_NE(contenu(sortie + ".err").find("absent.pgn: cannot be opened"), std::string::npos);
  EXPECT_EQ(contenu(livre), avant);
}

TEST_F(EcritureLivre, AnInterruptedBuildLeavesTheEarlierBook) {
  // A long input, killed while it is read
  std::string jeu;
  for (int i = 0; i < 20000; ++i) jeu += "[Event \"a\"]\n\n1. d4 Nf6 2. c4 e6 3. Nc3 Bb4 4. e3 O-O 1/2-1/2\n\n";
  const std::string entree = ecrit("parties.pgn", jeu);
  const std::string livre = ecrit("Mirask.bo1", "the earlier book");
  const pid_t pid = lance_livre({"--output", livre, entree}, chemin("sortie.txt"));
  ASSERT_GT(pid, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  kill(pid, SIGKILL);
  attend(pid);
  EXPECT_EQ(contenu(livre), "the earlier book");
}
