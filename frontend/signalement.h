// Reporting what went wrong to whoever drives the engine: an xboard GUI
// gets "tellusererror" lines, a person at a terminal plain lines.
#pragma once

#include <cstdio>
#include <string>

// 1 once "XBOARD" or "PROTOVER" was received; written by the command loop.
extern int interface_xboard;

// Reports a failure: "tellusererror TEXTE" on standard output when an
// xboard GUI drives the engine, else TEXTE as a line on `terminal`.
void signale_echec(const std::string& texte, std::FILE* terminal);
