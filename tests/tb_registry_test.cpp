// Registry: file names and directories, size checks, the material lookup,
// re-initialisation, and the fatal messages of broken files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "tablebase/cache.h"
#include "tablebase/classes.h"
#include "tablebase/compress.h"
#include "tablebase/registry.h"
#include "tests/tb_outils.h"

namespace {

using tb_test::Repertoire;

int classe(const char* nom) { return TbClassNumber(nom); }

std::vector<uint8_t> motif(const char* nom, int camp) { return tb_test::table_motif(classe(nom), camp); }

int cherche(const char* nom) {
  int s[TB_SIGNATURE_TAILLE];
  TbNameSignature(nom, s);
  return TbLookupMaterial(s);
}

class TbRegistry : public ::testing::Test {
 protected:
  void TearDown() override { TbRelease(); }
};

TEST_F(TbRegistry, ClassTable) {
  EXPECT_EQ(classe("kpk"), 1);
  EXPECT_EQ(classe("kqk"), 5);
  EXPECT_EQ(classe("kqkr"), 19);
  EXPECT_EQ(classe("kppkp"), 36);
  EXPECT_EQ(classe("kqqkq"), 110);
  EXPECT_EQ(classe("kqkqq"), 0);
  EXPECT_EQ(classes_tb[4].taille[0], 27030);
  EXPECT_STREQ(classes_tb[0].nom, "kk");
  int s[TB_SIGNATURE_TAILLE];
  TbNameSignature("krpkn", s);
  const int attendu[TB_SIGNATURE_TAILLE] = {1, 0, 0, 1, 0, 0, 1, 0, 0, 0};
  for (int i = 0; i < TB_SIGNATURE_TAILLE; i++) EXPECT_EQ(s[i], attendu[i]) << i;
}

TEST_F(TbRegistry, NameFormsAndLookupSigns) {
  Repertoire r;
  tb_test::ecrit(r / "kqkr.nbw", motif("kqkr", 0));
  std::vector<uint8_t> nbb = motif("kqkr", 1);
  tb_test::ecrit(r / "kqkrnbb.emd", TbCompressTable(nbb.data(), nbb.size()));
  std::vector<uint8_t> kpk = motif("kpk", 1);
  tb_test::ecrit(r / "kpk.nbb.emd", TbCompressTable(kpk.data(), kpk.size()));
  tb_test::ecrit(r / "kpkp.nbw", motif("kpkp", 0));
  TbInit(r.chemin.c_str());
  const CLASSE_TB& c = classes_tb[classe("kqkr")];
  EXPECT_EQ(c.fichier[0], r / "kqkr.nbw");
  EXPECT_EQ(c.compresse[0], nullptr);
  EXPECT_EQ(c.fichier[1], r / "kqkrnbb.emd");
  EXPECT_NE(c.compresse[1], nullptr);
  EXPECT_EQ(classes_tb[1].fichier[1], r / "kpk.nbb.emd");
  EXPECT_FALSE(classes_tb[1].enregistree(0));
  EXPECT_EQ(cherche("kqkr"), 19);
  EXPECT_EQ(cherche("krkq"), -19);
  EXPECT_EQ(cherche("kpkp"), -6);  // equal sides: the exchanged reading wins
  EXPECT_EQ(cherche("kqk"), 0);    // not registered
  EXPECT_EQ(cherche("kqqqkq"), 0); // beyond the tree
  EXPECT_EQ(TbRegister(r.chemin.c_str(), classe("kqkr"), 0), 1);
  EXPECT_EQ(TbRegister(r.chemin.c_str(), classe("kqk"), 0), 0);
  EXPECT_GT(TbCompressedOpened(), 0);
}

TEST_F(TbRegistry, DirectoryListOrder) {
  Repertoire a, b, c;
  tb_test::ecrit(a / "kqk.nbw", motif("kqk", 0));
  tb_test::ecrit(b / "kqk.nbw", motif("kqk", 0));
  tb_test::ecrit(b / "kqk.nbb", motif("kqk", 1));
  tb_test::ecrit(c / "krk.nbb", motif("krk", 1));
  std::string liste = a.chemin + ";" + b.chemin + "," + c.chemin;
  TbInit(liste.c_str());
  EXPECT_EQ(classes_tb[5].fichier[0], a / "kqk.nbw");
  EXPECT_EQ(classes_tb[5].fichier[1], b / "kqk.nbb");
  EXPECT_EQ(classes_tb[4].fichier[1], c / "krk.nbb");
  // Initialising again forgets what is gone.
  TbInit(a.chemin.c_str());
  EXPECT_FALSE(classes_tb[5].enregistree(1));
  EXPECT_FALSE(classes_tb[4].enregistree(1));
  EXPECT_EQ(cherche("krk"), 0);
  EXPECT_EQ(TbFetchByte(5, 0, 100), int8_t(motif("kqk", 0)[100]));
}

TEST_F(TbRegistry, EmptyDirectoryIsCurrentOne) {
  Repertoire r;
  tb_test::ecrit(r / "knk.nbb", motif("knk", 1));
  char ici[4096];
  ASSERT_NE(getcwd(ici, sizeof ici), nullptr);
  ASSERT_EQ(chdir(r.chemin.c_str()), 0);
  TbInit("");
  EXPECT_EQ(classes_tb[2].fichier[1], "knk.nbb");
  EXPECT_EQ(TbFetchByte(2, 1, 5000), int8_t(motif("knk", 1)[5000]));
  ASSERT_EQ(chdir(ici), 0);
}

TEST_F(TbRegistry, WhatCannotBeReadIsMissing) {
  Repertoire r;
  ASSERT_EQ(mkdir((r / "kqk.nbw").c_str(), 0700), 0);  // a directory, not a table
  std::vector<uint8_t> t = motif("kqk", 0);
  tb_test::ecrit(r / "kqknbw.emd", TbCompressTable(t.data(), t.size()));
  TbInit(r.chemin.c_str());
  EXPECT_EQ(classes_tb[5].fichier[0], r / "kqknbw.emd");
  TbInit((r.chemin + "/nowhere").c_str());
  EXPECT_FALSE(classes_tb[5].enregistree(0));
}

TEST_F(TbRegistry, LongPathsHaveNoLimit) {
  Repertoire r;
  std::string profond = r.chemin;
  for (int i = 0; i < 6; i++) {
    profond += "/" + std::string(60, char('a' + i));
    ASSERT_EQ(mkdir(profond.c_str(), 0700), 0);
  }
  ASSERT_GT(profond.size(), 300u);
  std::vector<uint8_t> t = motif("kbk", 0);
  tb_test::ecrit(profond + "/kbk.nbw.emd", TbCompressTable(t.data(), t.size()));
  TbInit(profond.c_str());
  EXPECT_EQ(classes_tb[3].fichier[0], profond + "/kbk.nbw.emd");
  EXPECT_EQ(TbFetchByte(3, 0, 27242), int8_t(t[27242]));
}

// Runs TbInit on a directory in a child process that must die with code 1
// after printing `message` (standard output is sent to standard error).
void meurt(const std::string& repertoire, const std::string& message) {
  EXPECT_EXIT(
      {
        dup2(2, 1);
        TbInit(repertoire.c_str());
      },
      ::testing::ExitedWithCode(1), message);
}

TEST_F(TbRegistry, FatalMessages) {
  {
    Repertoire r;
    std::vector<uint8_t> t = motif("kqk", 0);
    t.pop_back();  // 25,628 bytes
    tb_test::ecrit(r / "kqk.nbw", t);
    meurt(r.chemin, "\\*\\*\\* " + r / "kqk.nbw" + " corrupted");
  }
  {
    Repertoire r;
    std::vector<uint8_t> t = motif("kqk", 0);
    t.push_back(0);
    tb_test::ecrit(r / "kqk.nbw.emd", TbCompressTable(t.data(), t.size()));
    meurt(r.chemin, "\\*\\*\\* " + r / "kqk.nbw.emd" + " corrupted");
  }
  {
    Repertoire r;
    std::vector<uint8_t> t = motif("krk", 1);
    std::vector<uint8_t> f = TbCompressTable(t.data(), t.size());
    f[100] ^= 0x55;  // inside the header: its checksum fails
    tb_test::ecrit(r / "krkrnbb.emd", f);  // wrong class name: never looked for
    tb_test::ecrit(r / "krknbb.emd", f);
    meurt(r.chemin, "\\*\\*\\* Unable to read " + r / "krknbb.emd" + " - file broken");
  }
  {
    Repertoire r;
    std::vector<uint8_t> t = motif("krk", 1);
    std::vector<uint8_t> f = TbCompressTable(t.data(), t.size());
    f[10] = '!';
    tb_test::ecrit(r / "krk.nbb.emd", f);
    meurt(r.chemin, "\\*\\*\\* Unable to read " + r / "krk.nbb.emd" + " - read error");
  }
  {
    // A file with blocks of 16,384 bytes: one full block and the rest.
    Repertoire r;
    std::vector<uint8_t> t = motif("kbk", 0);
    std::vector<uint8_t> f(80, 0);
    memcpy(f.data(), TB_SIGNATURE, TB_LONGUEUR_SIGNATURE);
    f[70] = 14; f[71] = 24; f[75] = 2;
    f[77] = 0x40; f[78] = 0x01; f[79] = 0xF5;
    f.resize(80 + 16, 0);
    EcrivainBits w;
    w.ecrit(0, 14);            // block 0 stored raw at 16,384
    w.ecrit(27243 - 16384, 14);  // block 1 raw
    w.ecrit(27243 - 16384, 14);  // last block's length
    for (int i = 0; i < 24; i++) w.ecrit(1, 14);
    std::vector<uint8_t> champs = w.termine();
    f.insert(f.end(), champs.begin(), champs.end());
    f.push_back(0x80);  // code description: all lengths 0
    size_t h = f.size() + 4;
    f[64] = uint8_t(h >> 24); f[65] = uint8_t(h >> 16); f[66] = uint8_t(h >> 8); f[67] = uint8_t(h);
    uint32_t s = TbChecksum(f.data(), f.size());
    for (int i = 0; i < 4; i++) f.push_back(uint8_t(s >> (24 - 8 * i)));
    f.insert(f.end(), t.begin(), t.end());
    tb_test::ecrit(r / "kbk.nbw.emd", f);
    meurt(r.chemin, "\\*\\*\\* " + r / "kbk.nbw.emd" + ": Unsupported block size 16384");
  }
}

}  // namespace
