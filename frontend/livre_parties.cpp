#include "frontend/livre_parties.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "notation/coordonnees.h"
#include "search/hash.h"

namespace {

// Move text lines stay well below the 255 characters the engine reads.
constexpr size_t LONGUEUR_LIGNE = 72;

// The name of ply k as a reader counts it: "12." or "12...".
std::string nom_coup(const PARTIE_PGN& partie, int k) {
  // Black moves first when the FEN's second field says so
  std::istringstream champs(partie.fen);
  std::string placement, cote;
  champs >> placement >> cote;
  const int demi = k + (cote == "b" ? 1 : 0);
  return std::to_string(demi / 2 + 1) + (demi % 2 ? "..." : ".") + " \"" +
         partie.coups[size_t(k)] + "\"";
}

}  // namespace

CJoueurParties::CJoueurParties() {
  // Games are read with the engine's reader; a kept transposition table
  // spares clearing it at every game.
  e_.mode_fritz = 1;

  // The game file lives in memory when the system allows it: rewriting a
  // disk file for every game of a large collection is slow
  descripteur_ = memfd_create("pellarq-book", 0);
  if (descripteur_ >= 0) {
    fichier_ = "/proc/self/fd/" + std::to_string(descripteur_);
    if (access(fichier_.c_str(), R_OK) == 0) return;
    close(descripteur_);
    descripteur_ = -1;
  }
  std::error_code ec;
  const std::filesystem::path dossier = std::filesystem::temp_directory_path(ec);
  std::string modele = (ec ? std::filesystem::path("/tmp") : dossier) / "pellarq-book-XXXXXX";
  descripteur_ = mkstemp(modele.data());
  if (descripteur_ >= 0) {
    fichier_ = modele;
    temporaire_ = true;
  } else {
    fichier_.clear();
  }
}

CJoueurParties::~CJoueurParties() {
  if (temporaire_) unlink(fichier_.c_str());
  if (descripteur_ >= 0) close(descripteur_);
}

bool CJoueurParties::ecrit_partie(const PARTIE_PGN& partie) {
  std::string texte = "[Event \"?\"]\n";
  if (!partie.fen.empty()) texte += "[FEN \"" + partie.fen + "\"]\n";
  texte += '\n';
  size_t colonne = 0;
  for (const std::string& c : partie.coups) {
    if (colonne > 0 && colonne + c.size() >= LONGUEUR_LIGNE) {
      texte += '\n';
      colonne = 0;
    }
    if (colonne > 0) texte += ' ';
    texte += c;
    colonne += c.size() + 1;
  }
  texte += '\n';
  // Rewritten in place, then cut to its length
  size_t fait = 0;
  while (fait < texte.size()) {
    const ssize_t n = pwrite(descripteur_, texte.data() + fait, texte.size() - fait, off_t(fait));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    fait += size_t(n);
  }
  return ftruncate(descripteur_, off_t(texte.size())) == 0;
}

bool CJoueurParties::joue(const PARTIE_PGN& partie, int max_ply, std::vector<COUP_PARTIE>& plies,
                          std::string& erreur) {
  plies.clear();
  erreur.clear();
  if (!partie.erreur.empty()) {
    erreur = partie.erreur;
    return false;
  }
  if (fichier_.empty() || !ecrit_partie(partie)) {
    erreur = "the game file for the reader cannot be written";
    return false;
  }
  // The engine reads the game in English algebraic text
  const char* lettres = lettres_pieces;
  e_.Langage();
  const int r = e_.LoadPgn(fichier_.c_str(), 1);
  lettres_pieces = lettres;

  // Read whole: every move played, the game ending on its last move only
  const int n = int(partie.coups.size());
  const int lus = e_.index_courant + 1;
  if (r == -10) {
    erreur = "the FEN tag cannot be set up";
    return false;
  }
  if (lus != n || (r != 0 && r != 2 && r != 3)) {
    if (n == 0) {
      erreur = "the game cannot be read";
      return false;
    }
    const int k = std::clamp(r == -2 ? lus - 1 : lus, 0, n - 1);
    erreur = "move " + nom_coup(partie, k) + " cannot be read or played";
    return false;
  }

  // The moves as the engine recorded them
  std::vector<uint16_t> coups;
  for (int i = 0; i < n && i < max_ply; ++i) coups.push_back(e_.partie.LitA(i).coup);

  // Play them again from the start, noting each position's keys
  e_.Raz();
  e_.Coup1();
  if (!partie.fen.empty()) e_.LitForsythe(partie.fen.c_str());
  for (size_t i = 0; i < coups.size(); ++i) {
    EMPILAGE pos = *e_.emp;
    e_.CopieEmp(&pos);
    compute_keys(&pos);
    plies.push_back(COUP_PARTIE{pos.cle_hash, pos.verrou_hash, e_.trait, coups[i]});
    if (i + 1 < coups.size()) e_.Joue(coups[i]);
  }
  return true;
}
