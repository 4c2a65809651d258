// Reading text files line by line into fixed buffers.
#pragma once

#include <cstddef>
#include <cstdio>

// Reads the next line of `f` into `ligne` (`taille` bytes, at least 2):
// the line feed is dropped, and so is a carriage return before it; a line
// longer than the buffer keeps its first taille - 1 characters and the rest
// of it is passed over (it never reads as a line of its own). A NUL byte
// ends the text of its line. Returns false at the end of the file.
bool lit_ligne(std::FILE* f, char* ligne, size_t taille);

// A file opened for one reader or writer, closed on every way out.
class CFichier {
 public:
  CFichier(const char* nom, const char* mode) : f(nom ? std::fopen(nom, mode) : nullptr) {}
  ~CFichier() {
    if (f) std::fclose(f);
  }
  CFichier(const CFichier&) = delete;
  CFichier& operator=(const CFichier&) = delete;
  std::FILE* get() const { return f; }

 private:
  std::FILE* f;
};
