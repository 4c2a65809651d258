// A scripted session with a program that talks in lines: the test writes a
// line to its standard input, waits for a given output line or for a time,
// and checks the exchange. Works for any line protocol (xboard, UCI).
//
// Waits are generous and only bound how long a test may hang: a session
// never asserts on timing, only on which lines came and in which order.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <regex>
#include <string>
#include <vector>

// Longest wait for an expected line, in milliseconds: far above what a
// loaded machine or a sanitizer build needs.
inline constexpr int ATTENTE_SESSION = 60000;

class Session {
 public:
  // Starts the program with the arguments (one element each, no shell) in
  // the directory, or in the current one when it is empty.
  explicit Session(const std::string& programme, const std::vector<std::string>& arguments = {},
                   const std::string& repertoire = "");
  // Closes the input; a program that has not ended a few seconds later is killed.
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Writes one line (the newline is added). False when the program no
  // longer reads its input.
  bool envoie(const std::string& ligne);

  // Waits for an output line matching r whole, among the lines after the
  // cursor; the cursor moves past it and the line is returned. Nothing
  // after `delai_ms` (or the program's end): no line, the cursor stays.
  std::optional<std::string> attend(const std::regex& r, int delai_ms = ATTENTE_SESSION);
  // Lets `ms` milliseconds pass, reading the output meanwhile.
  void patiente(int ms);

  // Closes the input and waits for the program's end. Returns its exit
  // status, 128 + the signal number when a signal ended it, or -1 when it
  // had to be killed after `delai_ms`.
  int termine(int delai_ms = ATTENTE_SESSION);

  // Every output line so far (without line ends), and the cursor: the
  // number of lines `attend` has passed.
  const std::vector<std::string>& lignes() const { return lignes_; }
  size_t curseur() const { return curseur_; }
  // Moves the cursor to the end of the lines read so far.
  void saute();
  // Standard error so far.
  const std::string& erreurs() const { return erreurs_; }
  // The exchange in order, for failure messages: "> " for lines written,
  // "< " for lines read, "! " for standard error, with milliseconds since
  // the start.
  const std::string& journal() const { return journal_; }
  // True when standard error shows a sanitizer's report.
  bool rapport_sanitizer() const;

 private:
  // Reads what is there, waiting at most `ms` for something to come.
  // False once both outputs are closed.
  bool lit(int ms);
  void note(const char* marque, const std::string& texte);
  int ms_ecoulees() const;

  pid_t pid_ = -1;
  int entree_ = -1, sortie_ = -1, erreur_ = -1;
  std::string tampon_sortie_, tampon_erreur_;
  std::vector<std::string> lignes_;
  size_t curseur_ = 0;
  std::string erreurs_;
  std::string journal_;
  int statut_ = -1;
  bool fini_ = false;
  std::chrono::steady_clock::time_point debut_;
};
