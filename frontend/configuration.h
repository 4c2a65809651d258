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

// Reads the configuration file, then the options in order: "-dDIRS",
// "-hN", "-fGAME", "-pPOSITION", "-tSECONDS". Allocates the tables; after a
// loaded game or position, searches it once with thinking lines and ends
// the process. Ends it with status 1 when a file cannot be loaded or the
// tables cannot be allocated. Returns 0 otherwise.
int lire_arguments(CEchiquier& e, int argc, char** argv);

// The usage text of "--help".
const char* texte_usage();
