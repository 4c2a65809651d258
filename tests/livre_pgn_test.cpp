#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "frontend/livre_pgn.h"

namespace {

// The games of a PGN text, read through a file in memory.
std::vector<PARTIE_PGN> parties(const std::string& texte) {
  std::FILE* f = std::tmpfile();
  std::fwrite(texte.data(), 1, texte.size(), f);
  std::rewind(f);
  CLecteurPgn lecteur(f);
  std::vector<PARTIE_PGN> r;
  PARTIE_PGN p;
  while (lecteur.suivante(p)) r.push_back(p);
  std::fclose(f);
  return r;
}

std::vector<std::string> coups(const std::string& texte) {
  std::vector<std::string> r;
  size_t i = 0;
  while (i < texte.size()) {
    const size_t j = texte.find(' ', i);
    r.push_back(texte.substr(i, j == std::string::npos ? std::string::npos : j - i));
    if (j == std::string::npos) break;
    i = j + 1;
  }
  return r;
}

}  // namespace

TEST(LivrePgn, AnnotationsVariationsAndCommentsAreTakenOut) {
  const auto p = parties(
      "[Event \"x\"]\n"
      "[Result \"1-0\"]\n"
      "\n"
      "1. e4 $1 e5!? 2.Nf3 {a comment\n"
      "over two lines (with a parenthesis} Nc6 (2... d6 3. d4 (3. Bc4\n"
      "Be7) exd4) 3. Bb5 ; the Spanish\n"
      "%escaped line Nf6 Nf6\n"
      "3... a6?! 4.Ba4 Nf6 5. O-O Be7 6. exd5 e.p. 1-0\n");
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].coups, coups("e4 e5 Nf3 Nc6 Bb5 a6 Ba4 Nf6 O-O Be7 exd5"));
  EXPECT_EQ(p[0].resultat, RESULTAT_BLANCS);
  EXPECT_EQ(p[0].numero, 1);
  EXPECT_TRUE(p[0].erreur.empty());
}

TEST(LivrePgn, GamesAreSplitByTagsAndTerminations) {
  const auto p = parties(
      "% a collection\n"
      "{ a comment before the first game }\n"
      "[Event \"a\"]\n[Result \"0-1\"]\n\n1. d4 d5 0-1\n\n"
      "[Event \"b\"][Result \"1/2-1/2\"]\n1. c4 e5 1/2-1/2\n"
      "1. Nf3 d5 * 1. g3 1-0\n"
      "[Event \"no termination\"]\n[Result \"1-0\"]\n1. b3 e5\n"
      "[Event \"tags only\"]\n[Result \"*\"]\n");
  ASSERT_EQ(p.size(), 6u);
  const struct {
    const char* coups;
    int resultat;
  } attendues[5] = {
      {"d4 d5", RESULTAT_NOIRS},
      {"c4 e5", RESULTAT_NULLE},
      // Games without tags, ended by their terminations on one line
      {"Nf3 d5", RESULTAT_INCONNU},
      {"g3", RESULTAT_BLANCS},
      // Without a termination the tag gives the result
      {"b3 e5", RESULTAT_BLANCS},
  };
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(p[i].coups, coups(attendues[i].coups)) << i;
    EXPECT_EQ(p[i].resultat, attendues[i].resultat) << i;
  }
  EXPECT_TRUE(p[5].coups.empty());
  for (size_t i = 0; i < p.size(); ++i) EXPECT_EQ(p[i].numero, int(i) + 1);
}

TEST(LivrePgn, TermsOfTheTagsAndTheirEscapes) {
  const auto p = parties(
      "[Event \"a \\\"quoted\\\" ] name\"]\n"
      "[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\"]\n"
      "[Result \"something else\"]\n"
      "\n1... Kd7 2. e4\n");
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].fen, "4k3/8/8/8/8/8/4P3/4K3 b - - 0 1");
  EXPECT_EQ(p[0].coups, coups("Kd7 e4"));
  EXPECT_EQ(p[0].resultat, RESULTAT_INCONNU);
  EXPECT_EQ(resultat_texte("1-0"), RESULTAT_BLANCS);
  EXPECT_EQ(resultat_texte("1-1"), -2);
}

TEST(LivrePgn, MalformedGamesAreMarkedAndTheOthersRead) {
  const auto p = parties(
      "[Event \"a\"]\n1. e4 e5 ) 2. Nf3 1-0\n"
      "[Event \"b\"]\n1. d4 } d5 0-1\n"
      "[Event \"c\"]\n1. c4 c5 1/2-1/2\n"
      "[Event \"d\"]\n1. c4 (1. d4 d5\n");
  ASSERT_EQ(p.size(), 4u);
  EXPECT_NE(p[0].erreur.find("closes no variation"), std::string::npos);
  EXPECT_NE(p[1].erreur.find("closes no comment"), std::string::npos);
  EXPECT_TRUE(p[2].erreur.empty());
  EXPECT_EQ(p[2].coups, coups("c4 c5"));
  EXPECT_NE(p[3].erreur.find("variation is still open"), std::string::npos);

  // A comment left open swallows the rest of the file, which makes one game
  const auto q = parties("[Event \"a\"]\n1. e4 e5 1-0\n[Event \"b\"]\n1. d4 {open\n[Event \"c\"]\n1. c4 *\n");
  ASSERT_EQ(q.size(), 2u);
  EXPECT_TRUE(q[0].erreur.empty());
  EXPECT_NE(q[1].erreur.find("comment is still open"), std::string::npos);
}

TEST(LivrePgn, EmptyInputByteOrderMarkAndBinaryBytes) {
  EXPECT_TRUE(parties("").empty());
  EXPECT_TRUE(parties("\n\n% only escapes\n").empty());
  const auto p = parties(std::string("\xEF\xBB\xBF[Event \"a\"]\n1. e4\0e5 2. Nf3\r\n", 32));
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].coups, coups("e4 e5 Nf3"));
  EXPECT_TRUE(p[0].erreur.empty()) << p[0].erreur;
}
