// The tablebase classes: one record per material class with its two
// tables (first-named side to move ".nbw", second-named side ".nbb").
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

struct DESCRIPTEUR_COMPRESSE;

inline constexpr int TB_NB_CLASSES = 110;
inline constexpr int TB_SEAUX = 32;  // block-cache chains per table

// Computes a position's index from the piece lists of the first-named and
// second-named sides (17 squares each, -1 empty).
using FONCTION_INDEX = uint32_t (*)(const int* premier, const int* second,
                                    int en_passant, int couleurs_echangees);

struct DEFINITION_CLASSE {
  const char* nom;
  int taille_nbw;
  int taille_nbb;
};

// Names and table lengths in class-number order; 0 is the unused kk.
inline constexpr DEFINITION_CLASSE TB_DEFINITIONS[TB_NB_CLASSES + 1] = {
    {"kk", 0, 0},
    {"kpk", 81664, 84012},  // 1
    {"knk", 26282, 28644},  // 2
    {"kbk", 27243, 28644},  // 3
    {"krk", 27030, 28644},  // 4
    {"kqk", 25629, 28644},  // 5
    {"kpkp", 3863492, 3863492},  // 6
    {"knkp", 4931904, 4981504},  // 7
    {"knkn", 1603202, 1603202},  // 8
    {"kbkp", 5112000, 4981504},  // 9
    {"kbkn", 1661823, 1603202},  // 10
    {"kbkb", 1661823, 1661823},  // 11
    {"krkp", 5072736, 4981504},  // 12
    {"krkn", 1649196, 1603202},  // 13
    {"krkb", 1649196, 1661823},  // 14
    {"krkr", 1649196, 1649196},  // 15
    {"kqkp", 4810080, 4981504},  // 16
    {"kqkn", 1563735, 1603202},  // 17
    {"kqkb", 1563735, 1661823},  // 18
    {"kqkr", 1563735, 1649196},  // 19
    {"kqkq", 1563735, 1563735},  // 20
    {"kppk", 1806671, 1912372},  // 21
    {"knpk", 4648581, 5124732},  // 22
    {"knnk", 735304, 873642},  // 23
    {"kbpk", 4817128, 5124732},  // 24
    {"kbnk", 1550620, 1747284},  // 25
    {"kbbk", 789885, 873642},  // 26
    {"krpk", 4779530, 5124732},  // 27
    {"krnk", 1538479, 1747284},  // 28
    {"krbk", 1594560, 1747284},  // 29
    {"krrk", 777300, 873642},  // 30
    {"kqpk", 4533490, 5124732},  // 31
    {"kqnk", 1459616, 1747284},  // 32
    {"kqbk", 1512507, 1747284},  // 33
    {"kqrk", 1500276, 1747284},  // 34
    {"kqqk", 698739, 873642},  // 35
    {"kppkp", 84219361, 89391280},  // 36
    {"kppkn", 108400260, 115899744},  // 37
    {"kppkb", 108400260, 120132000},  // 38
    {"kppkr", 108400260, 119209296},  // 39
    {"kppkq", 108400260, 113036880},  // 40
    {"knpkp", 219921779, 231758952},  // 41
    {"knpkn", 278914860, 295914240},  // 42
    {"knpkb", 278914860, 306720000},  // 43
    {"knpkr", 278914860, 304369920},  // 44
    {"knpkq", 278914860, 288610560},  // 45
    {"knnkp", 137991648, 149445120},  // 46
    {"knnkn", 44118240, 48096060},  // 47
    {"knnkb", 44118240, 49854690},  // 48
    {"knnkr", 44118240, 49475880},  // 49
    {"knnkq", 44118240, 46912050},  // 50
    {"kbpkp", 227896016, 231758952},  // 51
    {"kbpkn", 289027680, 295914240},  // 52
    {"kbpkb", 289027680, 306720000},  // 53
    {"kbpkr", 289027680, 304369920},  // 54
    {"kbpkq", 289027680, 288610560},  // 55
    {"kbnkp", 290989584, 298890240},  // 56
    {"kbnkn", 93037200, 96192120},  // 57
    {"kbnkb", 93037200, 99709380},  // 58
    {"kbnkr", 93037200, 98951760},  // 59
    {"kbnkq", 93037200, 93824100},  // 60
    {"kbbkp", 148223520, 149445120},  // 61
    {"kbbkn", 47393100, 48096060},  // 62
    {"kbbkb", 47393100, 49854690},  // 63
    {"kbbkr", 47393100, 49475880},  // 64
    {"kbbkq", 47393100, 46912050},  // 65
    {"krpkp", 226121876, 231758952},  // 66
    {"krpkn", 286777440, 295914240},  // 67
    {"krpkb", 286777440, 306720000},  // 68
    {"krpkr", 286777440, 304369920},  // 69
    {"krpkq", 286777440, 288610560},  // 70
    {"krnkp", 288692928, 298890240},  // 71
    {"krnkn", 92308740, 96192120},  // 72
    {"krnkb", 92308740, 99709380},  // 73
    {"krnkr", 92308740, 98951760},  // 74
    {"krnkq", 92308740, 93824100},  // 75
    {"krbkp", 299203200, 298890240},  // 76
    {"krbkn", 95673600, 96192120},  // 77
    {"krbkb", 95673600, 99709380},  // 78
    {"krbkr", 95673600, 98951760},  // 79
    {"krbkq", 95673600, 93824100},  // 80
    {"krrkp", 145901232, 149445120},  // 81
    {"krrkn", 46658340, 48096060},  // 82
    {"krrkb", 46658340, 49854690},  // 83
    {"krrkr", 46658340, 49475880},  // 84
    {"krrkq", 46658340, 46912050},  // 85
    {"kqpkp", 214481388, 231758952},  // 86
    {"kqpkn", 272015040, 295914240},  // 87
    {"kqpkb", 272015040, 306720000},  // 88
    {"kqpkr", 272015040, 304369920},  // 89
    {"kqpkq", 272015040, 288610560},  // 90
    {"kqnkp", 273904512, 298890240},  // 91
    {"kqnkn", 87576960, 96192120},  // 92
    {"kqnkb", 87576960, 99709380},  // 93
    {"kqnkr", 87576960, 98951760},  // 94
    {"kqnkq", 87576960, 93824100},  // 95
    {"kqbkp", 283818240, 298890240},  // 96
    {"kqbkn", 90750420, 96192120},  // 97
    {"kqbkb", 90750420, 99709380},  // 98
    {"kqbkr", 90750420, 98951760},  // 99
    {"kqbkq", 90750420, 93824100},  // 100
    {"kqrkp", 281568240, 298890240},  // 101
    {"kqrkn", 90038460, 96192120},  // 102
    {"kqrkb", 90038460, 99709380},  // 103
    {"kqrkr", 90038460, 98951760},  // 104
    {"kqrkq", 90038460, 93824100},  // 105
    {"kqqkp", 131170128, 149445120},  // 106
    {"kqqkn", 41944320, 48096060},  // 107
    {"kqqkb", 41944320, 49854690},  // 108
    {"kqqkr", 41944320, 49475880},  // 109
    {"kqqkq", 41944320, 46912050},  // 110
};

struct CLASSE_TB {
  int numero;
  FONCTION_INDEX index[2];
  char nom[8];
  int taille[2];                          // table lengths in bytes
  std::string fichier[2];                 // registered path; empty = not registered
  FILE* ouvert[2];                        // opened lazily by the block cache
  DESCRIPTEUR_COMPRESSE* compresse[2];    // owned; null for a plain file
  int16_t* seaux[2];                      // owned: TB_SEAUX chain heads, -1 = none

  bool enregistree(int camp) const { return !fichier[camp].empty(); }
};

// The class table, indexed by class number. Built at start-up; the
// registry (TbInit, TbRegister) fills the file fields, the block cache
// opens files and drops tables whose reading fails.
extern CLASSE_TB* const classes_tb;  // TB_NB_CLASSES + 1 entries

// Class number of a name, 0 when unknown.
int TbClassNumber(const char* nom);
