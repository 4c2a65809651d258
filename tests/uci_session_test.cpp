// UCI sessions through the program: the handshake and options, positions,
// every form of "go", stop, ponderhit, isready and quit during a search,
// hostile input. Every "bestmove" is checked against the move generator in
// the position of its "go".
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "board/echiquier.h"
#include "frontend/uci.h"
#include "frontend/uci_recherche.h"
#include "notation/coordonnees.h"
#include "outils.h"
#include "tablebase/classes.h"
#include "tablebase/generation.h"
#include "tests/tb_outils.h"

namespace {

// Runs the program on the pieces of input ("@N": a pause of N ms), cut
// off after a minute: a session that hangs shows as status 124.
RESULTAT_PROGRAMME session(const std::vector<std::string>& morceaux, const std::string& dossier = "") {
  return lance_avec_pauses(morceaux, "", dossier, 60);
}

// Every line a UCI engine may write.
const std::regex ligne_uci(
    R"((id (name|author) .+)|(option name .+ type (spin|check|string|button|combo).*)|uciok|readyok|)"
    R"((bestmove \S+( ponder \S+)?)|(info .*))");
const std::regex ligne_info(
    R"(info depth (\d+) seldepth \d+ score (cp -?\d+|mate -?\d+) nodes \d+ nps \d+ hashfull \d+ time \d+ pv( [a-h][1-8][a-h][1-8][qrbn]?)+)");

// The text of the legal moves of the board.
std::vector<std::string> coups_legaux(CEchiquier& e) {
  std::vector<std::string> v;
  for (const uint32_t* l = e.liste_coups; *l; ++l) {
    if (*l & COUP_ILLEGAL) continue;
    char t[8];
    texte_protocole(*l & 0xffff, t);
    v.push_back(t);
  }
  return v;
}

bool contient(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

// Checks a session: only UCI lines on standard output, exactly one
// "bestmove" per "go", each legal in the position its "go" searched (as
// the last accepted "position" left it), and its ponder move legal after it.
void verifie_session(const std::vector<std::string>& morceaux, const RESULTAT_PROGRAMME& r) {
  std::vector<std::string> entree;
  for (const auto& m : morceaux)
    if (m.empty() || m[0] != '@')
      for (const auto& l : lignes_de(m)) entree.push_back(l);
  std::vector<std::string> sortie = lignes_de(r.sortie);
  for (const auto& l : sortie) EXPECT_TRUE(std::regex_match(l, ligne_uci)) << "not UCI: " << l;

  std::vector<std::string> reponses;
  for (const auto& l : sortie)
    if (l.rfind("bestmove ", 0) == 0) reponses.push_back(l);

  CEchiquier e;
  std::string position = "startpos";
  installe_position(e, position);
  size_t n = 0;
  for (const auto& l : entree) {
    if (l.rfind("position ", 0) == 0) {
      const std::string description = l.substr(9);
      if (installe_position(e, description).empty()) position = description;
      else installe_position(e, position);
    } else if (l == "ucinewgame") {
      position = "startpos";
      installe_position(e, position);
    } else if (l.rfind("go", 0) == 0 && (l.size() == 2 || l[2] == ' ')) {
      ASSERT_LT(n, reponses.size()) << "no bestmove for: " << l << "\n" << r.sortie;
      std::istringstream mots(reponses[n++]);
      std::string mot, coup, ponder;
      mots >> mot >> coup >> mot >> ponder;
      const auto legaux = coups_legaux(e);
      if (legaux.empty()) {
        EXPECT_EQ(coup, "0000") << position;
        continue;
      }
      EXPECT_TRUE(contient(legaux, coup)) << coup << " in " << position;
      if (!ponder.empty() && contient(legaux, coup)) {
        CEchiquier apres;
        installe_position(apres, position.find("moves") == std::string::npos
                                     ? position + " moves " + coup
                                     : position + " " + coup);
        EXPECT_TRUE(contient(coups_legaux(apres), ponder)) << ponder << " after " << coup;
      }
    }
  }
  EXPECT_EQ(n, reponses.size()) << r.sortie;
}

// Runs and checks a session; returns its output lines.
std::vector<std::string> joue_session(const std::vector<std::string>& morceaux, RESULTAT_PROGRAMME* res = nullptr) {
  const RESULTAT_PROGRAMME r = session(morceaux);
  EXPECT_EQ(r.statut, 0) << r.sortie << r.erreurs;
  verifie_session(morceaux, r);
  if (res) *res = r;
  return lignes_de(r.sortie);
}

int indice(const std::vector<std::string>& v, const std::string& debut) {
  for (size_t i = 0; i < v.size(); ++i)
    if (v[i].rfind(debut, 0) == 0) return int(i);
  return -1;
}

int compte(const std::vector<std::string>& v, const std::string& debut) {
  int n = 0;
  for (const auto& l : v) n += l.rfind(debut, 0) == 0;
  return n;
}

// A middle-game position outside the book.
const std::string FEN_MILIEU = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8";
const std::string MILIEU = "position fen " + FEN_MILIEU + "\n";

}  // namespace

TEST(UciSession, HandshakeDeclaresTheOptionsAndNothingElseGoesOut) {
  RESULTAT_PROGRAMME r;
  const auto v = joue_session({"uci\nisready\nquit\n"}, &r);
  ASSERT_GE(v.size(), 4u) << r.sortie;
  EXPECT_EQ(v[0], "id name pellarq " PELLARQ_VERSION);
  EXPECT_EQ(v[1].rfind("id author ", 0), 0u);
  const int uciok = indice(v, "uciok");
  EXPECT_EQ(indice(v, "readyok"), uciok + 1);
  for (const char* o : {"option name Hash type spin default 16 min 1 max 128",
                        "option name Clear Hash type button",
                        "option name Ponder type check default false",
                        "option name OwnBook type check default true",
                        "option name BookFile type string default ",
                        "option name TablebasePath type string default ",
                        "option name MoveOverhead type spin default ",
                        "option name Contempt type spin default 0 min -100 max 100"}) {
    const int i = indice(v, o);
    EXPECT_GT(i, 1) << o;
    EXPECT_LT(i, uciok) << o;
  }
}

TEST(UciSession, OptionsAreSetAndFaultsAnsweredWithInfoStrings) {
  RESULTAT_PROGRAMME r;
  const auto v = joue_session(
      {"uci\nsetoption name Hash value 32\nsetoption name clear hash\n"
       "setoption name Ponder value true\nsetoption name OwnBook value false\n"
       "setoption name MoveOverhead value 100\nsetoption name Contempt value -20\n"
       "setoption name Hash value lots\nsetoption name Hash value 100000\n"
       "setoption name NoSuchOption value 3\nsetoption\nuci\nisready\nquit\n"},
      &r);
  EXPECT_EQ(compte(v, "info string"), 4) << r.sortie;
  EXPECT_NE(indice(v, "info string unknown option: NoSuchOption"), -1);
  // The second "uci" shows the values now in force.
  EXPECT_NE(indice(v, "option name Hash type spin default 32 "), -1) << r.sortie;
  EXPECT_NE(indice(v, "option name OwnBook type check default false"), -1);
  EXPECT_NE(indice(v, "option name Contempt type spin default -20 "), -1);
  EXPECT_EQ(v.back(), "readyok");
}

TEST(UciSession, XboardSessionsAreUnchanged) {
  const auto r = session({"xboard\nuci\nquit\n"});
  EXPECT_EQ(r.sortie, "Error (unknown command): UCI\n");
}

TEST(UciSession, PositionsWithCastlingEnPassantAndPromotion) {
  // White castles king-side, takes en passant, and both sides promote.
  joue_session(
      {"uci\nsetoption name OwnBook value false\n"
       "position startpos moves e2e4 g8f6 g1f3 f6e4 f1c4 e7e6 e1g1 d7d5 c4b5 c7c6\ngo depth 2\n"
       "position fen 4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1 moves e5d6\ngo depth 2\n"
       "position fen 8/1P6/8/k7/8/8/6p1/4K3 w - - 0 1 moves b7b8q g2g1n\ngo depth 2\n"
       "position fen r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1 moves e8c8 e1g1\ngo depth 2\n"
       "quit\n"});
  // The same positions set up in the process: the moves did what they say.
  CEchiquier e;
  ASSERT_EQ(installe_position(e, "startpos moves e2e4 g8f6 g1f3 f6e4 f1c4 e7e6 e1g1"), "");
  EXPECT_EQ(e.type_piece[e.echiquier[case_nommee("g1")]], ROI);
  EXPECT_EQ(e.type_piece[e.echiquier[case_nommee("f1")]], TOUR);
  ASSERT_EQ(installe_position(e, "fen 4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1 moves e5d6"), "");
  EXPECT_EQ(e.echiquier[case_nommee("d5")], VIDE);
  ASSERT_EQ(installe_position(e, "fen 8/1P6/8/k7/8/8/6p1/4K3 w - - 0 1 moves b7b8q g2g1n"), "");
  EXPECT_EQ(e.type_piece[e.echiquier[case_nommee("b8")]], DAME);
  EXPECT_EQ(e.type_piece[e.echiquier[case_nommee("g1")]], CAVALIER);
  ASSERT_EQ(installe_position(e, "fen r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1 moves e8c8 e1g1"), "");
  EXPECT_EQ(e.type_piece[e.echiquier[case_nommee("c8")]], ROI);
  EXPECT_EQ(e.type_piece[e.echiquier[case_nommee("d8")]], TOUR);
  EXPECT_EQ(e.type_piece[e.echiquier[case_nommee("g1")]], ROI);
  EXPECT_EQ(e.type_piece[e.echiquier[case_nommee("f1")]], TOUR);
}

TEST(UciSession, GoDepthReportsInfoLinesUpToThatDepth) {
  RESULTAT_PROGRAMME r;
  const auto v = joue_session({"uci\n" + MILIEU + "go depth 4\n", "@3000", "quit\n"}, &r);
  int max = 0;
  const std::regex profondeur(R"(info depth (\d+) .*)");
  for (const auto& l : v) {
    std::smatch m;
    if (!std::regex_match(l, m, profondeur)) continue;
    EXPECT_TRUE(std::regex_match(l, ligne_info)) << l;
    max = std::max(max, std::stoi(m[1]));
  }
  EXPECT_EQ(max, 4) << r.sortie;
  EXPECT_EQ(compte(v, "bestmove"), 1);
}

TEST(UciSession, GoWithClocksAndMovetimeAnswers) {
  joue_session({"uci\nucinewgame\nisready\n" + MILIEU + "go movetime 300\n", "@1500",
                MILIEU + "go wtime 3000 btime 3000 winc 100 binc 100\n", "@3000",
                "position fen " + FEN_MILIEU + " moves a2a3\ngo wtime 2000 btime 2000 movestogo 5\n", "@3000",
                "position startpos moves e2e4\ngo wtime 60000 btime 60000 winc 1000 binc 1000\n",
                "@2500", "quit\n"});
}

TEST(UciSession, InfiniteWaitsForStopAndAnswersIsreadyMeanwhile) {
  // Analysis searches book positions too: the start position gets info lines.
  RESULTAT_PROGRAMME r;
  const auto v = joue_session({"uci\nposition startpos\ngo infinite\n", "@2000", "isready\n", "@300",
                               "stop\n", "@100", "quit\n"},
                              &r);
  const int pret = indice(v, "readyok"), coup = indice(v, "bestmove");
  ASSERT_NE(coup, -1) << r.sortie;
  EXPECT_LT(pret, coup) << r.sortie;
  EXPECT_LT(indice(v, "info depth"), coup) << r.sortie;
  EXPECT_EQ(indice(v, "info string book"), -1);
  // A search of a second or more names its current root move now and then.
  EXPECT_GE(compte_lignes(r.sortie, std::regex(R"(info currmove [a-h][1-8][a-h][1-8] currmovenumber ([1-9]|1\d|20))")), 1)
      << r.sortie;
}

TEST(UciSession, InfiniteWaitsEvenWhenTheSearchEnds) {
  // Mate in one: the search ends at once, the answer waits for "stop".
  RESULTAT_PROGRAMME r;
  const auto v = joue_session({"uci\nposition fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\ngo infinite\n",
                               "@1000", "isready\n", "@200", "stop\nquit\n"},
                              &r);
  EXPECT_LT(indice(v, "readyok"), indice(v, "bestmove a1a8")) << r.sortie;
  EXPECT_NE(r.sortie.find(" score mate 1 "), std::string::npos) << r.sortie;
}

TEST(UciSession, PonderhitAndStopEndPondering) {
  RESULTAT_PROGRAMME r;
  const auto v = joue_session(
      {"uci\nsetoption name Ponder value true\n" + MILIEU + "go ponder wtime 3000 btime 3000\n",
       "@800", "isready\n", "@200", "ponderhit\n", "@3000",
       MILIEU + "go ponder wtime 3000 btime 3000\n", "@800", "stop\n", "@200", "isready\nquit\n"},
      &r);
  // Nothing answered the first "go" before "ponderhit", nor the second before "stop".
  const int pret = indice(v, "readyok");
  const int premier = indice(v, "bestmove");
  EXPECT_LT(pret, premier) << r.sortie;
  EXPECT_EQ(compte(v, "bestmove"), 2);
  EXPECT_EQ(v.back(), "readyok");
}

TEST(UciSession, QuitEndsASearchAndPonderingPromptly) {
  // The session is cut off after a minute; the searches have no limit of their own.
  for (const char* go : {"go infinite\n", "go ponder wtime 600000 btime 600000\n",
                         "go depth 1000\n"}) {
    const auto r = session({"uci\n" + MILIEU + go, "@500", "quit\n"});
    EXPECT_EQ(r.statut, 0) << go << r.sortie;
    EXPECT_EQ(compte(lignes_de(r.sortie), "bestmove"), 1) << go;
  }
  // The end of input too.
  const auto r = session({"uci\n" + MILIEU + "go infinite\n", "@300"});
  EXPECT_EQ(r.statut, 0);
}

TEST(UciSession, PositionsWithoutMovesAnswerNullMove) {
  RESULTAT_PROGRAMME r;
  const auto v = joue_session(
      {"uci\nposition startpos moves f2f3 e7e5 g2g4 d8h4\ngo depth 3\n",
       "position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1\ngo infinite\n", "@200", "stop\nquit\n"},
      &r);
  EXPECT_EQ(compte(v, "bestmove 0000"), 2) << r.sortie;
  EXPECT_NE(indice(v, "info depth 0 score mate 0"), -1);
  EXPECT_NE(indice(v, "info depth 0 score cp 0"), -1);
}

TEST(UciSession, HostileInputLeavesTheEngineAnswering) {
  RESULTAT_PROGRAMME r;
  const std::string longue(5000, 'x');
  const auto v = joue_session(
      {"uci\nsetoption name OwnBook value false\nposition startpos moves e2e4 e7e5\n"
       "position startpos moves e2e4 e7e5 e1e3\n"  // illegal: the previous position stays
       "go depth 2\n",
       "@100",
       "position fen rnbqkbnr/pppppppp/8/8 w KQkq - 0 1\n"          // bad FEN
       "position fen 8/8/8/8/8/8/8/8 w - - 0 1\n"                   // no kings
       "position fen 4k3/8/8/8/8/8/8/R3K2Q w - - 0 1 moves e7e8\n"  // a move of the wrong side
       "position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1 f6e4 e2e1\n"
       "position\nposition fen\nposition startpos moves\nposition banana\n"
       "go depth 99999999999999999999999 nodes 20000\n",
       "@1500",
       "go wtime 99999999999999999999 btime -5 winc -7 movestogo 0\n", "@200", "stop\n",
       "go wtime abc movetime\n", "@200", "stop\n",
       "go searchmoves a2a3 h2h4 zzzz depth 3\n", "@1500",
       "frobnicate\n" + longue + "\n\n   \ngo depth 2\n", "@500",
       "position startpos moves e2e4 e7e5 e7e8q\ngo depth 2\n", "@500", "isready\nquit\n"},
      &r);
  EXPECT_EQ(v.back(), "readyok") << r.sortie;
  EXPECT_GE(compte(v, "info string"), 10) << r.sortie;
  // searchmoves kept the search to its moves
  const auto coups = [&] {
    std::vector<std::string> c;
    for (const auto& l : v)
      if (l.rfind("bestmove ", 0) == 0) c.push_back(l.substr(9, 4));
    return c;
  }();
  ASSERT_GE(coups.size(), 5u);
  EXPECT_TRUE(coups[4] == "a2a3" || coups[4] == "h2h4") << coups[4];
}

TEST(UciSession, GoNodesStopsNearTheNodeCount) {
  RESULTAT_PROGRAMME r;
  // The search has no other limit: it answers before the "isready" only if it stops by itself.
  const auto v = joue_session({"uci\n" + MILIEU + "go nodes 50000\n", "@3000", "isready\nquit\n"}, &r);
  EXPECT_LT(indice(v, "bestmove"), indice(v, "readyok")) << r.sortie;
}

TEST(UciSession, TheBookAnswersOrdinaryGames) {
  RESULTAT_PROGRAMME r;
  const auto v = joue_session({"uci\nposition startpos\ngo movetime 1000\n", "@300", "quit\n"}, &r);
  EXPECT_NE(indice(v, "info string book move"), -1) << r.sortie;
  // Without the book, or with another file, the engine searches.
  for (const char* option : {"OwnBook value false", "BookFile value /nonexistent/book.bo1"}) {
    const auto w = joue_session({"uci\nsetoption name " + std::string(option) +
                                     "\nposition startpos\ngo depth 3\n",
                                 "@1000", "quit\n"},
                                &r);
    EXPECT_EQ(indice(w, "info string book move"), -1) << option;
    EXPECT_NE(indice(w, "info depth 3 "), -1) << option << r.sortie;
  }
}

TEST(UciSession, TablebasePathGivesTheTablesToTheSearch) {
  tb_test::Repertoire dossier;
  std::vector<int8_t> t[2];
  std::string erreur;
  ASSERT_TRUE(TbGenerate(TbClassNumber("krk"), t, &erreur)) << erreur;
  std::vector<uint8_t> octets[2] = {{t[0].begin(), t[0].end()}, {t[1].begin(), t[1].end()}};
  tb_test::ecrit_classe(dossier, "krk", false, octets);
  // A rook ending whose mate lies far beyond a depth-2 search.
  const std::string essai = "position fen 8/8/8/4k3/8/8/8/R3K3 w - - 0 1\ngo depth 2\n";
  const std::regex mat_lointain(R"(info depth \d+ .* score mate ([89]|\d\d) .*)");
  RESULTAT_PROGRAMME r;
  joue_session({"uci\n" + essai, "@1000", "quit\n"}, &r);
  EXPECT_EQ(compte_lignes(r.sortie, mat_lointain), 0) << r.sortie;
  joue_session({"uci\nsetoption name TablebasePath value " + dossier.chemin + "\n" + essai, "@1000",
                "quit\n"},
               &r);
  EXPECT_GE(compte_lignes(r.sortie, mat_lointain), 1) << r.sortie;
}

TEST(UciOutils, ScoresInCentipawnsOrMoves) {
  EXPECT_EQ(score_uci(400), "cp 100");
  EXPECT_EQ(score_uci(-130), "cp -32");
  EXPECT_EQ(score_uci(32700 - 1), "mate 1");
  EXPECT_EQ(score_uci(32700 - 5), "mate 3");
  EXPECT_EQ(score_uci(-(32700 - 4)), "mate -2");
}

TEST(UciOutils, GoParametersAreReadAndCut) {
  std::string remarque;
  PARAMETRES_GO g = lit_parametres_go(
      "wtime 1000 btime 2000 winc 10 binc 20 movestogo 7 ponder searchmoves e2e4 d2d4", remarque);
  EXPECT_EQ(remarque, "");
  EXPECT_EQ(g.wtime, 1000);
  EXPECT_EQ(g.btime, 2000);
  EXPECT_EQ(g.winc, 10);
  EXPECT_EQ(g.binc, 20);
  EXPECT_EQ(g.movestogo, 7);
  EXPECT_TRUE(g.ponder);
  EXPECT_EQ(g.searchmoves, (std::vector<std::string>{"e2e4", "d2d4"}));
  g = lit_parametres_go("depth 99999999999999999999 movetime x nodes -4 wtime -50", remarque);
  EXPECT_EQ(g.depth, 1000);
  EXPECT_EQ(g.movetime, -1);
  EXPECT_EQ(g.nodes, 1);
  EXPECT_EQ(g.wtime, 0);
  EXPECT_NE(remarque.find("movetime"), std::string::npos);
  EXPECT_NE(remarque.find("x"), std::string::npos);
}

TEST(UciSession, DebugShowsEachPositionAsFen) {
  RESULTAT_PROGRAMME r;
  const auto v = joue_session({"uci\ndebug on\nposition startpos moves e2e4\ndebug off\n"
                               "position startpos\nquit\n"},
                              &r);
  EXPECT_EQ(compte(v, "info string position "), 1) << r.sortie;
  EXPECT_NE(indice(v, "info string position rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq"), -1)
      << r.sortie;
}
