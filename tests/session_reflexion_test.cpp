// Scripted sessions with the engine program: commands sent at chosen
// moments while it thinks, ponders or analyses, and what a GUI sees of it:
// one move line per search or none, never a move after the command that
// drops it, and a board that holds exactly the moves the GUI was shown.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "frontend/livre.h"
#include "frontend/livre_construction.h"
#include "outils.h"
#include "session.h"

namespace {

const std::regex ligne_move(R"(move ([a-h][1-8][a-h][1-8][qrbn]?))");
const std::regex ligne_plateau(R"([.rdtfcpRDTFCP]{8})");
const std::regex ligne_reflexion(R"((-?\d+) +-?\d+ +\d+ +\d+ +(.*))");
const std::regex ligne_eval(R"(Eval: -?\d+)");

// The moves of the "move" lines among lines [de, a).
std::vector<std::string> coups_montres(const Session& s, size_t de, size_t a) {
  std::vector<std::string> v;
  std::smatch m;
  for (size_t i = de; i < a && i < s.lignes().size(); ++i)
    if (std::regex_match(s.lignes()[i], m, ligne_move)) v.push_back(m[1]);
  return v;
}

// The depth of a thinking line, or -1 for another line.
int profondeur(const std::string& l) {
  std::smatch m;
  return std::regex_match(l, m, ligne_reflexion) ? std::stoi(m[1]) : -1;
}

// The first move of a thinking line's variation.
std::string premier_coup(const std::string& l) {
  std::smatch m;
  if (!std::regex_match(l, m, ligne_reflexion)) return "";
  const std::string pv = m[2];
  return pv.substr(0, pv.find(' '));
}

// What PRINT shows after the moves, played from the initial position in
// force mode by an engine of its own.
std::vector<std::string> plateau_apres(const std::vector<std::string>& coups) {
  std::string entree = "force\n";
  for (const std::string& c : coups) entree += c + "\n";
  const auto r = lance_programme(entree + "print\nquit\n");
  std::vector<std::string> v;
  for (const std::string& l : lignes_de(r.sortie))
    if (std::regex_match(l, ligne_plateau)) v.push_back(l);
  return v;
}

class SessionReflexion : public TestDansDossier {
 protected:
  // Starts the engine in the test's directory; `v2`: as a version-2 GUI does.
  std::unique_ptr<Session> lance(bool v2 = true) {
    auto s = std::make_unique<Session>(PELLARQ_BINARY, std::vector<std::string>{}, dossier_.string());
    if (v2) {
      s->envoie("xboard");
      s->envoie("protover 2");
      EXPECT_TRUE(s->attend(std::regex("feature .*done=1"))) << s->journal();
    }
    return s;
  }

  // The default opening book in the directory.
  void installe_livre() {
    OPTIONS_LIVRE o;
    o.sortie = (dossier_ / FICHIER_LIVRE).string();
    o.filtres.min_parties = 1;
    BILAN_LIVRE bilan;
    std::FILE* messages = std::tmpfile();
    ASSERT_EQ(construit_livre(o, {std::string(PELLARQ_SOURCE_DIR) + "/book/ouvertures.pgn"}, messages,
                              bilan),
              0);
    std::fclose(messages);
  }

  // "ping n" and its "pong n": everything sent before has taken effect.
  bool synchronise(Session& s) {
    const std::string n = std::to_string(++ping_);
    s.envoie("ping " + n);
    return s.attend(std::regex("pong " + n)).has_value();
  }

  // The board PRINT shows now.
  std::vector<std::string> plateau(Session& s) {
    const size_t de = s.curseur();
    s.envoie("print");
    EXPECT_TRUE(synchronise(s)) << s.journal();
    std::vector<std::string> v;
    for (size_t i = de; i < s.curseur(); ++i)
      if (std::regex_match(s.lignes()[i], ligne_plateau)) v.push_back(s.lignes()[i]);
    return v;
  }

  // The end of the session: "quit", status 0, no sanitizer report.
  void quitte(Session& s) {
    s.envoie("quit");
    EXPECT_EQ(s.termine(), 0) << s.journal();
    EXPECT_FALSE(s.rapport_sanitizer()) << s.erreurs();
  }

  // The engine moves first; `commande` comes `ms` milliseconds after "go".
  // The GUI sees at most one move, never one after the command, and
  // (after FORCE) a board with exactly the move it saw. `livre`: the move
  // comes from the book and goes out 300 ms after it was found, so a
  // command sent within 100 ms of "go" always finds it undecided and no
  // move may come at all.
  void commande_apres_go(const std::string& commande, int ms, bool livre) {
    SCOPED_TRACE(commande + " " + std::to_string(ms) + " ms after go");
    auto s = lance();
    s->envoie("new");
    s->envoie("st 1");
    s->envoie("sd 4");
    s->envoie("go");
    if (ms > 0) s->patiente(ms);
    s->envoie(commande);
    const size_t coups_permis = livre && ms <= 100 ? 0 : 1;
    if (commande == "quit") {
      EXPECT_EQ(s->termine(), 0) << s->journal();
      EXPECT_LE(coups_montres(*s, 0, s->lignes().size()).size(), coups_permis) << s->journal();
      EXPECT_FALSE(s->rapport_sanitizer()) << s->erreurs();
      return;
    }
    ASSERT_TRUE(synchronise(*s)) << s->journal();
    const std::vector<std::string> vus = coups_montres(*s, 0, s->curseur());
    EXPECT_LE(vus.size(), coups_permis) << s->journal();
    // Longer than any pause before a move: nothing more comes.
    s->patiente(700);
    const std::vector<std::string> apres = plateau(*s);
    EXPECT_TRUE(coups_montres(*s, 0, s->lignes().size()) == vus) << s->journal();
    EXPECT_EQ(apres, plateau_apres(commande == "new" ? std::vector<std::string>{} : vus))
        << s->journal();
    quitte(*s);
  }

  int ping_ = 0;  // the number of the last ping sent
};

const int DELAIS[] = {0, 100, 250, 400};

}  // namespace

// FORCE, NEW and QUIT within 0 to 400 ms of GO, when the engine's first
// move comes from the book (found at once, shown after a short pause)
// and when it is searched.
TEST_F(SessionReflexion, ForceAfterGoWithBook) {
  installe_livre();
  for (int ms : DELAIS) commande_apres_go("force", ms, true);
}

TEST_F(SessionReflexion, ForceAfterGoWithoutBook) {
  for (int ms : DELAIS) commande_apres_go("force", ms, false);
}

TEST_F(SessionReflexion, NewAfterGoWithBook) {
  installe_livre();
  for (int ms : DELAIS) commande_apres_go("new", ms, true);
}

TEST_F(SessionReflexion, NewAfterGoWithoutBook) {
  for (int ms : DELAIS) commande_apres_go("new", ms, false);
}

TEST_F(SessionReflexion, QuitAfterGoWithBook) {
  installe_livre();
  for (int ms : DELAIS) commande_apres_go("quit", ms, true);
}

TEST_F(SessionReflexion, QuitAfterGoWithoutBook) {
  for (int ms : DELAIS) commande_apres_go("quit", ms, false);
}

// With pondering on, GO sent the moment the engine's move arrives (the
// thread between its move and its pondering) is a new search, every time.
TEST_F(SessionReflexion, GoRightAfterTheEnginesMoveWhilePondering) {
  auto s = lance();
  s->envoie("new");
  s->envoie("hard");
  s->envoie("st 1");
  s->envoie("sd 3");
  s->envoie("go");
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(s->attend(ligne_move)) << "move " << i << "\n" << s->journal();
    s->envoie("go");
  }
  ASSERT_TRUE(s->attend(ligne_move)) << s->journal();
  s->envoie("force");
  ASSERT_TRUE(synchronise(*s)) << s->journal();
  const std::vector<std::string> vus = coups_montres(*s, 0, s->curseur());
  EXPECT_EQ(vus.size(), 6u) << s->journal();
  EXPECT_EQ(plateau(*s), plateau_apres(vus)) << s->journal();
  quitte(*s);
}

// Lines that only look like commands that stop the thread are refused
// while the engine searches in version-2 mode, and the search goes on to
// its move.
TEST_F(SessionReflexion, RefusedCommandsDuringASearchDropNothing) {
  auto s = lance();
  s->envoie("new");
  s->envoie("st 2");
  s->envoie("go");
  for (const std::string l : {"PERFTS", "NEWX", "UNDOO", "MEMORYX", "BENCHX", "RESULTX", "SETBOARDX"}) {
    s->envoie(l);
    EXPECT_TRUE(s->attend(std::regex("Error \\(unknown command\\): " + l))) << s->journal();
  }
  s->envoie("perft 0");
  EXPECT_TRUE(s->attend(std::regex(R"(Error \(command not legal\))"))) << s->journal();
  s->envoie("e2e5");  // not legal: the engine's own search is not cut short for it
  EXPECT_TRUE(s->attend(std::regex("Illegal move: E2E5"))) << s->journal();
  const auto coup = s->attend(ligne_move);
  ASSERT_TRUE(coup) << s->journal();
  s->envoie("force");
  ASSERT_TRUE(synchronise(*s)) << s->journal();
  const std::vector<std::string> vus = coups_montres(*s, 0, s->curseur());
  EXPECT_EQ(vus.size(), 1u) << s->journal();
  EXPECT_EQ(plateau(*s), plateau_apres(vus)) << s->journal();
  quitte(*s);
}

// EVAL, PRINT, HINT and BK while the engine thinks and while it ponders
// read the board as it is; a typed move while it thinks comes after the
// engine's move, one while it ponders is answered with one move.
TEST_F(SessionReflexion, ReadersAndTypedMovesWhileThinkingAndPondering) {
  auto s = lance();
  s->envoie("new");
  s->envoie("hard");
  s->envoie("st 1");
  s->envoie("go");
  // Thinking: the board is the initial position, or the one after the move.
  for (const char* l : {"eval", "hint", "bk"}) s->envoie(l);
  EXPECT_TRUE(s->attend(ligne_eval)) << s->journal();
  EXPECT_TRUE(s->attend(std::regex("\tno book moves"))) << s->journal();
  const size_t de = s->curseur();
  s->envoie("print");
  const auto premier = s->attend(ligne_move);
  ASSERT_TRUE(premier) << s->journal();
  ASSERT_TRUE(synchronise(*s)) << s->journal();
  std::vector<std::string> vu_en_reflexion;
  for (size_t i = de; i < s->curseur(); ++i)
    if (std::regex_match(s->lignes()[i], ligne_plateau)) vu_en_reflexion.push_back(s->lignes()[i]);
  std::vector<std::string> coups = coups_montres(*s, 0, s->curseur());
  ASSERT_EQ(coups.size(), 1u) << s->journal();
  EXPECT_TRUE(vu_en_reflexion == plateau_apres({}) || vu_en_reflexion == plateau_apres(coups))
      << s->journal();

  // Pondering: the board after the engine's move, and its predicted reply.
  s->envoie("eval");
  EXPECT_TRUE(s->attend(ligne_eval)) << s->journal();
  EXPECT_EQ(plateau(*s), plateau_apres(coups)) << s->journal();
  s->envoie("e7e4");  // refused on the board as it stands
  EXPECT_TRUE(s->attend(std::regex("Illegal move: E7E4"))) << s->journal();
  s->envoie("hint");
  // e7e5 is legal after every first move of White.
  s->envoie("e7e5");
  coups.push_back("e7e5");
  const auto deuxieme = s->attend(ligne_move);
  ASSERT_TRUE(deuxieme) << s->journal();
  coups.push_back(deuxieme->substr(5));
  s->envoie("force");
  ASSERT_TRUE(synchronise(*s)) << s->journal();
  EXPECT_EQ(coups_montres(*s, 0, s->curseur()).size(), 2u) << s->journal();
  EXPECT_EQ(plateau(*s), plateau_apres(coups)) << s->journal();

  // A typed move while the engine thinks: its move first, then the typed one, then its answer.
  s->envoie("new");
  s->envoie("st 1");
  s->envoie("go");
  s->envoie("g8f6");  // legal after any first move of White
  const size_t debut = s->curseur();
  ASSERT_TRUE(s->attend(ligne_move)) << s->journal();
  ASSERT_TRUE(s->attend(ligne_move)) << s->journal();
  s->envoie("force");
  ASSERT_TRUE(synchronise(*s)) << s->journal();
  const std::vector<std::string> partie = coups_montres(*s, debut, s->curseur());
  ASSERT_EQ(partie.size(), 2u) << s->journal();
  EXPECT_EQ(plateau(*s), plateau_apres({partie[0], "g8f6", partie[1]})) << s->journal();
  quitte(*s);
}

// Analysis searches a position of the book (the book is for playing), and
// test mode searches a game that ends in the book.
TEST_F(SessionReflexion, AnalysisAndTestModeSearchBookPositions) {
  installe_livre();
  auto s = lance();
  s->envoie("new");
  s->envoie("analyze");
  const auto l = s->attend(ligne_reflexion);
  ASSERT_TRUE(l) << s->journal();
  EXPECT_TRUE(std::regex_match(premier_coup(*l), std::regex("[a-h][12][a-h][34]"))) << *l;
  s->envoie(".");
  const std::regex stat01(R"(stat01: \d+ (\d+) \d+ \d+ 20 \S*)");
  const auto stat = s->attend(stat01);
  ASSERT_TRUE(stat) << s->journal();
  std::smatch m;
  ASSERT_TRUE(std::regex_match(*stat, m, stat01));
  EXPECT_GT(std::stoul(m[1]), 0u) << *stat;
  s->envoie("exit");
  quitte(*s);
  EXPECT_EQ(coups_montres(*s, 0, s->lignes().size()).size(), 0u);

  ecrit_fichier("partie.txt", "1. e2e4 e7e5\n");
  const auto r = lance_programme("", "-fpartie.txt -t1", dossier_.string());
  EXPECT_EQ(r.statut, 0);
  EXPECT_GT(compte_lignes(r.sortie, ligne_reflexion), 0) << r.sortie;
}

// Analysis starts again after every command that changes the board.
TEST_F(SessionReflexion, AnalysisRestartsAfterPositionPartieAndRemove) {
  // White: king g1, rook a1, pawns f2 g2 h2; Black: king g8, pawns f7 g7 h7.
  ecrit_fichier("mat.pos", "rg1\nta1\npf2\npg2\nph2\nn\nrg8\npf7\npg7\nph7\n");
  ecrit_fichier("partie.txt", "1. e2e4 e7e5\n2. g1f3\n");
  auto s = lance();
  s->envoie("analyze");
  ASSERT_TRUE(s->attend(ligne_reflexion)) << s->journal();

  // After each command, the thinking lines that follow the pong are the new search's.
  auto ligne_apres = [&](const std::string& commande) -> std::string {
    s->envoie(commande);
    EXPECT_TRUE(synchronise(*s)) << s->journal();
    const auto l = s->attend(ligne_reflexion);
    EXPECT_TRUE(l) << commande << "\n" << s->journal();
    return l.value_or("");
  };
  // The mate a1a8 is found, and legal only in the new position.
  s->envoie("position mat.pos");
  EXPECT_TRUE(synchronise(*s)) << s->journal();
  EXPECT_TRUE(s->attend(std::regex(R"(\d+ +-?\d+ +\d+ +\d+ +a1a8 .*)"))) << s->journal();
  // Black to move after 1. e4 e5 2. Nf3.
  EXPECT_TRUE(std::regex_match(premier_coup(ligne_apres("partie partie.txt")),
                               std::regex("[a-h][5-8][a-h][1-8]")))
      << s->journal();
  EXPECT_TRUE(std::regex_match(premier_coup(ligne_apres("b8c6")), std::regex("[a-h][1-4][a-h][1-8]")))
      << s->journal();
  // Back to 1. e4 e5.
  EXPECT_NE(ligne_apres("remove"), "");
  s->envoie("exit");
  EXPECT_EQ(plateau(*s), plateau_apres({"e2e4", "e7e5"})) << s->journal();
  quitte(*s);
}

// A depth limit given while the engine ponders holds for the search that
// follows a ponder hit, although pondering went deeper.
TEST_F(SessionReflexion, DepthLimitHoldsAfterAPonderHit) {
  auto s = lance(false);
  s->envoie("new");
  s->envoie("hard");
  s->envoie("post");
  // A search that ends on its depth, with a whole line: a reply to predict.
  s->envoie("st 30");
  s->envoie("sd 4");
  s->envoie("go");
  const auto coup = s->attend(std::regex(R"(1\. \.\.\. [a-h][1-8][a-h][1-8])"));
  ASSERT_TRUE(coup) << s->journal();
  s->envoie("hint");
  const auto hint = s->attend(std::regex(R"(Hint: [a-h][1-8][a-h][1-8])"));
  ASSERT_TRUE(hint) << s->journal();
  // Pondering (within the same limit) reaches depth 3, four completed
  // plies, past the limit set next.
  bool profond = false;
  while (!profond) {
    const auto l = s->attend(ligne_reflexion);
    ASSERT_TRUE(l) << s->journal();
    profond = profondeur(*l) >= 3;
  }
  s->envoie("?");  // pondering ends; what it found stays for the ponder hit
  ASSERT_TRUE(synchronise(*s)) << s->journal();
  const size_t de = s->curseur();
  s->envoie("sd 1");
  s->envoie("st 30");
  s->envoie(hint->substr(6));
  ASSERT_TRUE(s->attend(std::regex(R"(2\. \.\.\. [a-h][1-8][a-h][1-8])"))) << s->journal();
  int plus_profond = -1;
  for (size_t i = de; i < s->curseur(); ++i) plus_profond = std::max(plus_profond, profondeur(s->lignes()[i]));
  EXPECT_EQ(plus_profond, 1) << s->journal();
  quitte(*s);
}
