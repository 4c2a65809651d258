#include "frontend/bench.h"

#include <cstdlib>

#include "board/echiquier.h"
#include "board/sauvegarde.h"
#include "frontend/boucle.h"
#include "frontend/configuration.h"
#include "notation/coordonnees.h"
#include "search/arret.h"
#include "search/globals.h"
#include "search/hash.h"
#include "tablebase/registry.h"

const char* const positions_bench[] = {
    // Openings
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2",
    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
    "rnbqkb1r/pppppppp/5n2/8/3P4/8/PPP1PPPP/RNBQKBNR w KQkq - 1 2",
    "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/2N2N2/PPPP1PPP/R1BQK2R w KQkq - 6 5",
    "rnbqkb1r/pp1p1ppp/2p2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 0 4",
    "rnbqkbnr/ppp1pppp/8/3p4/2PP4/8/PP2PPPP/RNBQKBNR b KQkq - 0 2",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq - 1 5",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R1BQKB1R w KQ - 0 8",
    "rnbq1rk1/ppp1ppbp/3p1np1/8/2PPP3/2N2N2/PP3PPP/R1BQKB1R w KQ - 0 6",
    // Middlegames, many with a tactic
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - 0 1",
    "8/7p/5k2/5p2/p1p2P2/Pr1pPK2/1P1R3P/8 b - - 0 1",
    "5rk1/1ppb3p/p1pb4/6q1/3P1p1r/2P1R2P/PP1BQ1P1/5RKN w - - 0 1",
    "r1bq2rk/pp3pbp/2p1p1pQ/7P/3P4/2PB1N2/PP3PPR/2KR4 w - - 0 1",
    "5k2/6pp/p1qN4/1p1p4/3P4/2PKP2Q/PP3r2/3R4 b - - 0 1",
    "r2q1rk1/ppp2ppp/2np1n2/2b1p1B1/2B1P1b1/2NP1N2/PPP2PPP/R2Q1RK1 w - - 0 8",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "r1b2rk1/2q1bppp/p2ppn2/1p6/3BP3/2N2N2/PPPQ1PPP/2KR1B1R w - - 0 11",
    // Endgames
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/5k2/8/3P4/8/8/8/3K4 w - - 0 1",
    "8/8/8/3k4/8/8/2Q5/K7 w - - 0 1",
    "8/8/1p1k4/p1p5/P1P5/1P2K3/8/8 w - - 0 1",
    "8/p7/1p6/2p5/3k4/8/4K3/8 w - - 0 1",
    "2k5/8/8/8/8/8/8/R3K3 w Q - 0 1",
    "8/8/3k4/3p4/3P4/3K4/8/8 w - - 0 1",
    "r5k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1",
    "8/8/4k3/8/2p5/8/B2K4/8 w - - 0 1",
    "8/6k1/6p1/8/5PK1/8/8/8 w - - 0 1",
};
const int nb_positions_bench = int(sizeof positions_bench / sizeof positions_bench[0]);

bool lit_profondeur_bench(const char* texte, int& profondeur) {
  while (*texte == ' ' || *texte == '\t') ++texte;
  profondeur = 0;
  if (*texte == 0) return true;
  char* fin = nullptr;
  const long n = std::strtol(texte, &fin, 10);
  while (*fin == ' ' || *fin == '\t') ++fin;
  if (fin == texte || *fin != 0 || n < 1 || n > 64) return false;
  profondeur = int(n);
  return true;
}

uint64_t lance_bench(CEchiquier& e, int profondeur, FILE* sortie) {
  if (profondeur < 1) profondeur = PROFONDEUR_BENCH;
  // What the user had: the game, the table size, limits and settings
  CSauvegardeJeu jeu(e);
  const int taille = taille_hash ? __builtin_ctz(taille_hash) : 16;
  const int post = echange_atomique(post_actif, 0);
  const int64_t limites[2] = {e.temps_limite_ms[0], e.temps_limite_ms[1]};
  const int fritz = e.mode_fritz, nulle = valeur_nulle;
  e.mode_fritz = 0;
  valeur_nulle = 0;
  // No endgame tables: the signature must not depend on the files at hand
  if (tables_pretes) TbRelease();
  uint64_t total = 0;
  const uint32_t debut = compte_ticks();

  for (int i = 0; i < nb_positions_bench; ++i) {
    // Every position from cleared tables of one fixed size, without the book.
    e.AlloueHashTable(16);
    e.Raz();
    e.Coup1();
    const bool pose = e.LitForsythe(positions_bench[i]) == 0;
    credit_livre = 0;
    e.SetProfondeur(profondeur + 2);
    e.SetTempsLimite(86400, 86400);
    const uint32_t coup = pose ? e.Analyse() : 0xFFFFFFFF;
    const uint32_t noeuds = pose ? e.GetNodeCount() : 0;
    total += noeuds;
    char texte[8] = "-";
    if (coup != 0xFFFFFFFF) texte_protocole(coup & 0xffff, texte);
    std::fprintf(sortie, "Position %2d: depth %d, nodes %u, best move %s\n", i + 1, profondeur,
                 noeuds, texte);
    std::fflush(sortie);
  }

  const uint32_t ms = compte_ticks() - debut;
  std::fprintf(sortie, "Nodes searched: %llu\n", static_cast<unsigned long long>(total));
  std::fprintf(sortie, "Nodes/second: %llu\n",
               static_cast<unsigned long long>(total * 1000 / (ms ? ms : 1)));
  std::fflush(sortie);

  echange_atomique(post_actif, post);
  e.AlloueHashTable(taille);
  e.Raz();
  e.Coup1();
  jeu.restaure();
  e.temps_limite_ms[0] = limites[0];
  e.temps_limite_ms[1] = limites[1];
  e.mode_fritz = fritz;
  valeur_nulle = nulle;
  if (tables_pretes) TbInit(repertoire_tables.c_str());
  return total;
}
