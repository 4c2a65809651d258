// The tablebase registry: finding table files, checking them, and the
// material lookup from a position's men to its class.
#pragma once

#include <string>

#include <cstddef>

// Material signature: first side's pawns, knights, bishops, rooks, queens,
// then the second side's.
inline constexpr int TB_SIGNATURE_TAILLE = 10;

// Registers every table file found in the directories (separated by ','
// or ';'; an empty string is the current directory) and sets up the block
// cache. May be called again: it forgets everything and starts afresh.
void TbInit(const char* repertoires);

// Registers one table (camp 0 ".nbw", 1 ".nbb") from a directory: 1 when
// registered (now or before), 0 when no file exists. Broken files end the
// process with exit code 1 after a "*** " message on standard output.
int TbRegister(const char* repertoire, int classe, int camp);

// Closes the table files, frees the cache and forgets every registration.
void TbRelease();

// Allocation that must not fail: ends the process when it does.
void* TbAlloc(size_t n);

// The signature of a class name ("kqkr": queen against rook).
void TbNameSignature(const char* nom, int signature[TB_SIGNATURE_TAILLE]);

// Path of the uncompressed table of class `nom` ("kqk") for side to move
// `camp` in a directory: "dir/kqk.nbw" (White) or "dir/kqk.nbb"; an empty
// directory names the file alone. The compressed file adds ".emd".
std::string chemin_table(const std::string& repertoire, const char* nom, int camp);

// Signed class number of a signature: +c when it reads as class c's name,
// -c with the sides exchanged, 0 when no table of it is registered.
int TbLookupMaterial(const int signature[TB_SIGNATURE_TAILLE]);

// Number of compressed files opened since start.
int TbCompressedOpened();
