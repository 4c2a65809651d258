// Start-up settings: the configuration file "pellarq.cfg" and the
// command-line options.
#pragma once

#include <string>

class CEchiquier;

inline constexpr const char* FICHIER_CONFIGURATION = "pellarq.cfg";

// Directories of the endgame table files (";"-separated list), from the
// configuration file or "-d". Written at start-up only.
extern std::string repertoire_tables;

// Reads "pellarq.cfg" from the working directory, if there is one:
// "HASHTABLE = n" sets *taille_hash, "TABLEBASE = dirs" sets repertoire.
void lire_configuration(int* taille_hash, std::string& repertoire);
