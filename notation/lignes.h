// Reading text files line by line, whatever the length of their lines.
#pragma once

#include <cstdio>
#include <string>

// Reads the next line of `f` into `ligne`, whole: the line feed is dropped,
// and so is a carriage return before it. A NUL byte ends the text of its
// line. Returns false at the end of the file.
bool lit_ligne(std::FILE* f, std::string& ligne);

// Why a file could not be opened, from the error number fopen left.
std::string motif_ouverture(int erreur);

// A file opened for one reader or writer, closed on every way out.
class CFichier {
 public:
  CFichier(const char* nom, const char* mode) : f(nom ? std::fopen(nom, mode) : nullptr) {}
  CFichier() : f(nullptr) {}
  // Opens the file now (the object holds none yet); false when it cannot be.
  bool ouvre(const char* nom, const char* mode) {
    f = nom ? std::fopen(nom, mode) : nullptr;
    return f != nullptr;
  }
  ~CFichier() {
    if (f) std::fclose(f);
  }
  CFichier(const CFichier&) = delete;
  CFichier& operator=(const CFichier&) = delete;
  std::FILE* get() const { return f; }

 private:
  std::FILE* f;
};
