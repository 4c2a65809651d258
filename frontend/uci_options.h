// The options of the UCI mode: their declaration lines for "uci" and
// "setoption name N [value V]".
#pragma once

#include <string>
#include <vector>

class CEchiquier;

// Option values of the UCI mode, written by the command loop while no
// search runs. "MoveOverhead" is the engine's marge_coup_ms.
struct OPTIONS_UCI {
  int hash_mo = 16;          // "Hash": megabytes of the tables
  bool ponder = false;       // "Ponder": the GUI may send "go ponder"
  bool own_book = true;      // "OwnBook": the engine plays from its book
  std::string book_file;     // "BookFile": the book's path
  std::string tablebases;    // "TablebasePath": table directories, ';'-separated
  int contempt = 0;          // "Contempt": centipawns a draw costs the engine
};
extern OPTIONS_UCI options_uci;

// Sets the defaults from the engine's start-up state (book file, table
// directories, the allocated table size) and applies them.
void initialise_options_uci(CEchiquier& e);

// The "option name ..." lines of the "uci" answer.
std::vector<std::string> lignes_options_uci();

// "setoption" with the rest of the line after the keyword. Returns "" or
// a message for an "info string" line (unknown option, bad value).
std::string commande_setoption(CEchiquier& e, const std::string& reste);
