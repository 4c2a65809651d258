// Block cache: hits and misses in recency order, plain and compressed reads,
// and tables dropped when their file fails.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tablebase/cache.h"
#include "tablebase/classes.h"
#include "tablebase/registry.h"
#include "tests/tb_outils.h"

namespace {

using tb_test::Repertoire;

class TbCache : public ::testing::Test {
 protected:
  void TearDown() override { TbRelease(); }
  // Reads of block b of kqkq (White to move) and the number of file reads it took.
  static uint64_t lectures_pour(int bloc) {
    uint64_t avant = TbBlockReads();
    TbFetchByte(20, 0, uint32_t(bloc) * 8192 + 17);
    return TbBlockReads() - avant;
  }
};

TEST_F(TbCache, EvictsLeastRecentlyUsed) {
  Repertoire r;
  tb_test::ecrit(r / "kqkq.nbw", tb_test::table_motif(20, 0));
  TbInit(r.chemin.c_str());
  for (int b = 0; b < 15; b++) EXPECT_EQ(lectures_pour(b), 1u) << b;
  EXPECT_EQ(lectures_pour(0), 0u);   // hit: block 0 becomes the newest
  EXPECT_EQ(lectures_pour(15), 1u);  // evicts block 1, the oldest
  EXPECT_EQ(lectures_pour(0), 0u);
  EXPECT_EQ(lectures_pour(1), 1u);   // evicts block 2
  EXPECT_EQ(lectures_pour(3), 0u);
  EXPECT_EQ(lectures_pour(2), 1u);
  // Sixteen new blocks in a row: the first is gone when it comes back.
  for (int b = 100; b < 116; b++) EXPECT_EQ(lectures_pour(b), 1u);
  EXPECT_EQ(lectures_pour(100), 1u);
  // Blocks whose numbers share a chain (32 apart) are told apart.
  EXPECT_EQ(lectures_pour(132), 1u);
  EXPECT_EQ(lectures_pour(100), 0u);
  EXPECT_EQ(lectures_pour(132), 0u);
}

TEST_F(TbCache, PlainAndCompressedReadTheSameBytes) {
  Repertoire plain, comp;
  std::vector<uint8_t> t[2] = {tb_test::table_motif(5, 0), tb_test::table_motif(5, 1)};
  t[0][25628] = 0x81;
  tb_test::ecrit_classe(plain, "kqk", false, t);
  tb_test::ecrit_classe(comp, "kqk", true, t);
  for (const Repertoire* r : {&plain, &comp}) {
    TbInit(r->chemin.c_str());
    for (int camp = 0; camp < 2; camp++)
      for (uint32_t i = 0; i < t[camp].size(); i++)
        ASSERT_EQ(TbFetchByte(5, camp, i), int8_t(t[camp][i])) << r->chemin << " " << camp << " " << i;
    EXPECT_EQ(TbFetchByte(5, 0, 25628), -127);  // last byte of the 1,053-byte last block
    EXPECT_EQ(TbFetchByte(5, 0, 25629), 127);   // beyond the table: no result
    EXPECT_TRUE(classes_tb[5].enregistree(0));
  }
}

TEST_F(TbCache, UnreadableTablesAreDropped) {
  Repertoire r;
  std::vector<uint8_t> t[2] = {tb_test::table_motif(4, 0), tb_test::table_motif(4, 1)};
  tb_test::ecrit_classe(r, "krk", false, t);
  std::vector<uint8_t> kbk = tb_test::table_motif(3, 0);
  std::vector<uint8_t> f = TbCompressTable(kbk.data(), kbk.size());
  tb_test::ecrit(r / "kbk.nbw.emd", f);
  TbInit(r.chemin.c_str());
  // A file deleted after registration.
  ASSERT_EQ(unlink((r / "krk.nbw").c_str()), 0);
  EXPECT_EQ(TbFetchByte(4, 0, 10), 127);
  EXPECT_FALSE(classes_tb[4].enregistree(0));
  EXPECT_EQ(TbFetchByte(4, 1, 10), int8_t(t[1][10]));
  // A compressed file cut short: its first block still reads, the last fails.
  ASSERT_EQ(truncate((r / "kbk.nbw.emd").c_str(), off_t(f.size() - 5)), 0);
  EXPECT_EQ(TbFetchByte(3, 0, 0), int8_t(kbk[0]));
  EXPECT_EQ(TbFetchByte(3, 0, 27000), 127);
  EXPECT_FALSE(classes_tb[3].enregistree(0));
  // A cache without slots answers nothing.
  TbSetupCache(nullptr, 0);
  EXPECT_EQ(TbFetchByte(4, 1, 10), 127);
}

}  // namespace
