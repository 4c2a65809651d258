#include <gtest/gtest.h>

#include "board/echiquier.h"
#include "outils.h"
#include "search/hash.h"

TEST(Cles, FirstDrawsFollowTheAdditiveGenerator) {
  // Y[54] + Y[23] and Y[53] + Y[22] of the seed, modulo 2^32.
  EXPECT_EQ(tirage_cle(true), uint32_t(0x8EAF6D15u + 0x74EBA4AAu));
  EXPECT_EQ(tirage_cle(), uint32_t(0x16ECA191u + 0x31A43513u));
  CEchiquier e;
  EXPECT_EQ(zobrist_cle[0], uint32_t(0x8EAF6D15u + 0x74EBA4AAu));
  EXPECT_EQ(zobrist_cle[1], uint32_t(0x16ECA191u + 0x31A43513u));
}

TEST(Cles, SideToMoveSharesTheKeyButNotTheSlot) {
  CEchiquier e;
  place_fen(e, "4k3/8/8/8/8/8/4P3/4K3 w - -");
  EMPILAGE a = *e.emp;
  compute_keys(&a);
  place_fen(e, "4k3/8/8/8/8/8/4P3/4K3 b - -");
  EMPILAGE b = *e.emp;
  compute_keys(&b);
  EXPECT_EQ(a.cle_hash, b.cle_hash);
  EXPECT_EQ(a.verrou_hash, b.verrou_hash);
  EXPECT_EQ(case_table(a.cle_hash, BLANCS, 0xffff) ^ case_table(a.cle_hash, NOIRS, 0xffff), 1u);
}

TEST(Cles, PawnKeysCountPawnsByType) {
  CEchiquier e;
  e.Coup1();
  EMPILAGE a = *e.emp;
  compute_keys(&a);
  a.type_piece[12] = DAME;  // a promoted pawn is no pawn any more
  EMPILAGE b = a;
  compute_keys(&b);
  EXPECT_NE(a.cle_pions, b.cle_pions);
  EXPECT_NE(a.cle_hash, b.cle_hash);
  // The pawn keys lose exactly that pawn
  EMPILAGE sans = a;
  sans.pos_piece[12] = -1;
  sans.echiquier[a.pos_piece[12]] = VIDE;
  compute_keys(&sans);
  EXPECT_EQ(sans.cle_pions, b.cle_pions);
  EXPECT_EQ(sans.verrou_pions, b.verrou_pions);
  // Castling states change the position key only.
  b.roque[0] = ROQUE_PERDU;
  EMPILAGE c = b;
  compute_keys(&c);
  EXPECT_NE(b.cle_hash, c.cle_hash);
  EXPECT_EQ(b.cle_pions, c.cle_pions);
}

TEST(TableHash, SizeRules) {
  CEchiquier e;
  EXPECT_EQ(e.AlloueHashTable(0), 16);
  EXPECT_EQ(taille_hash, 1u << 16);
  EXPECT_EQ(masque_pions, (1u << 13) - 1);
  EXPECT_EQ(e.AlloueHashTable(30), 23);
  EXPECT_EQ(masque_hash, (1u << 23) - 1);
  EXPECT_EQ(e.AlloueHashTable(13), 13);
  // Sizes below the smallest are brought up to it, and the table stays usable
  EXPECT_EQ(e.AlloueHashTable(-4), 13);
  EXPECT_EQ(e.AlloueHashTable(5), 13);
  EXPECT_EQ(e.AlloueHashTable(12), 13);
  EXPECT_EQ(taille_hash, 1u << 13);
  ASSERT_NE(table_hash, nullptr);
  EXPECT_EQ(e.AlloueHashTable(99), 23);
}

TEST(TableHash, NewTablesKeepTheGameRepetitions) {
  CEchiquier e;
  e.AlloueHashTable(13);
  e.Raz();
  e.Coup1();
  for (const char* c : {"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1"})
    ASSERT_EQ(e.Joue(coup_texte(c)), 0);
  EXPECT_EQ(e.AlloueHashTable(14), 14);
  EXPECT_EQ(e.Joue(coup_texte("f6g8")), 4);
}

TEST(TableHash, GenerationSkipsZero) {
  CEchiquier e;
  e.AlloueHashTable(13);
  EXPECT_EQ(generation_hash, 0);
  for (int i = 0; i < 255; ++i) next_generation();
  EXPECT_EQ(generation_hash, 255);
  next_generation();
  EXPECT_EQ(generation_hash, 1);
}

TEST(TableHash, StoreRuleAndProbe) {
  CEchiquier e;
  e.AlloueHashTable(13);
  e.Coup1();
  EMPILAGE n = *e.emp;
  compute_keys(&n);
  next_generation();
  EXPECT_EQ(sonde_hash(&n, BLANCS), nullptr);
  stocke_hash(&n, BLANCS, HASH_EXACT, 123, 0xffff070C, 5, 2);
  ENTREE_HASH* h = sonde_hash(&n, BLANCS);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->score, 123);
  EXPECT_EQ(h->coup, 0x070C);
  EXPECT_EQ(h->info, 3 + 8 * 5 + 512 * 2);
  EXPECT_EQ(sonde_hash(&n, NOIRS), nullptr);  // the other side's slot
  // A shallower store of the same generation is refused ...
  stocke_hash(&n, BLANCS, HASH_MINORANT, 7, 0, 4, 2);
  EXPECT_EQ(sonde_hash(&n, BLANCS)->score, 123);
  // ... an equal depth replaces, and so does any store in a later generation.
  stocke_hash(&n, BLANCS, HASH_MINORANT, 8, 0, 5, 2);
  EXPECT_EQ(sonde_hash(&n, BLANCS)->score, 8);
  next_generation();
  stocke_hash(&n, BLANCS, HASH_MAJORANT, 9, 0, 1, 2);
  EXPECT_EQ(sonde_hash(&n, BLANCS)->score, 9);
  clear_table_hash();
  EXPECT_EQ(sonde_hash(&n, BLANCS), nullptr);
}

TEST(Repetition, GameCopyCountsAndFiftyMoves) {
  CEchiquier e;
  e.AlloueHashTable(13);
  e.Coup1();
  EMPILAGE n = *e.emp;
  n.coups_reversibles = 0;
  // The game's starting position is already there once
  EXPECT_EQ(record_game_position(table_repetition, BLANCS, 0, &n), 2);
  EXPECT_EQ(record_game_position(table_repetition, BLANCS, 0, &n), 3);
  EXPECT_EQ(record_game_position(table_repetition, BLANCS, 1, &n), 1);  // irreversible: cleared
  EXPECT_EQ(record_game_position(table_repetition, BLANCS, 0, &n), 2);
  EXPECT_EQ(record_game_position(table_repetition, BLANCS, 1, &n), 1);  // irreversible: cleared
  EXPECT_EQ(n.coups_reversibles, 0);
  n.coups_reversibles = 99;
  EXPECT_EQ(record_game_position(table_repetition, NOIRS, 0, &n), 100);
  // The search copy takes the game copy.
  ASSERT_TRUE(restore_search_repetition());
  const uint32_t i = case_table(n.cle_hash, BLANCS, MASQUE_REPETITION);
  EXPECT_EQ(table_repetition_recherche[i].compte, 1);
  EXPECT_EQ(table_repetition_recherche[i].ply, 0);
}
