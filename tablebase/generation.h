// Retrograde analysis: computes both tables of a class with three or four
// men. Positions that capture or promote into smaller classes are answered
// by the registered tables of those classes (TbProbe).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Table bytes: 0 draw, 1..126 the side to move mates in 127 - v moves,
// -126..-1 it is mated in v + 126 moves, 127 no legal position.
inline constexpr int8_t TB_OCTET_ILLEGAL = 127;

// Receives progress lines.
using SUIVI_GENERATION = void (*)(const std::string& ligne);

// Fills tables[0] (first-named side to move) and tables[1] with the class's
// table bytes. False with a message in *erreur when the class cannot be
// generated here (more than four men, pawns on both sides) or a table it
// leads into is not registered.
bool TbGenerate(int classe, std::vector<int8_t> tables[2], std::string* erreur,
                SUIVI_GENERATION suivi = nullptr);

// The classes a class leads into by one capture or promotion (kk excluded).
std::vector<int> TbSuccessorClasses(int classe);

// Sets up a generator position of a class from square lists: the
// first-named side is White. Exposed for checks of generated tables.
struct POSITION_GEN;
void TbClassPosition(int classe, POSITION_GEN& p);
