#include "frontend/uci_options.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <strings.h>

#include "board/echiquier.h"
#include "frontend/configuration.h"
#include "frontend/livre.h"
#include "frontend/niveau.h"
#include "frontend/protocole.h"
#include "search/etendue.h"
#include "search/hash.h"
#include "tablebase/registry.h"

OPTIONS_UCI options_uci;

namespace {

constexpr int HASH_MIN = 1, HASH_MAX = 128;
constexpr int CONTEMPT_MAX = 100;
// What a table entry costs: 11 bytes, and an eighth of a 9-byte pawn-cache entry.
constexpr double OCTETS_PAR_ENTREE = 11.0 + 9.0 / 8.0;

// The empty string in option lines: UCI has no other way to write it.
constexpr const char* VIDE_UCI = "<empty>";

std::string valeur_texte(const std::string& v) { return v.empty() ? VIDE_UCI : v; }
std::string texte_valeur(const std::string& v) { return v == VIDE_UCI ? "" : v; }

// The book beside the engine's program, when the working directory has none.
std::string livre_par_defaut() {
  namespace fs = std::filesystem;
  std::error_code err;
  if (fs::exists(FICHIER_LIVRE, err)) return FICHIER_LIVRE;
  const fs::path programme = fs::read_symlink("/proc/self/exe", err);
  if (!err) {
    const fs::path voisin = programme.parent_path() / FICHIER_LIVRE;
    if (fs::exists(voisin, err)) return voisin.string();
  }
  return FICHIER_LIVRE;
}

// A whole decimal number within [min, max]; false for anything else.
bool lit_entier(const std::string& v, int min, int max, int& n) {
  const char* debut = v.c_str();
  char* fin = nullptr;
  errno = 0;
  const long long x = std::strtoll(debut, &fin, 10);
  if (fin == debut || *fin != 0 || errno == ERANGE || x < min || x > max) return false;
  n = int(x);
  return true;
}

bool lit_booleen(const std::string& v, bool& b) {
  if (strcasecmp(v.c_str(), "true") == 0) b = true;
  else if (strcasecmp(v.c_str(), "false") == 0) b = false;
  else return false;
  return true;
}

void applique_hash(CEchiquier& e, int mo) { e.AlloueHashTable(exposant_memoire(mo)); }

void applique_contempt(CEchiquier& e, int c) { e.SetNulle(-c / 100.0); }

}  // namespace

void initialise_options_uci(CEchiquier& e) {
  // The table size chosen at start-up stands, unless none was chosen: the
  // engine's small default then gives way to the usual 16 MB.
  if (taille_hash <= (uint32_t(1) << 16)) {
    options_uci.hash_mo = 16;
    applique_hash(e, options_uci.hash_mo);
  } else {
    const double mo = double(taille_hash) * OCTETS_PAR_ENTREE / 1048576.0;
    options_uci.hash_mo = std::min(HASH_MAX, std::max(HASH_MIN, int(mo + 0.999)));
  }
  options_uci.book_file = livre_par_defaut();
  chemin_livre = options_uci.book_file;
  livre_consulte = options_uci.own_book ? 1 : 0;
  options_uci.tablebases = repertoire_tables;
  applique_contempt(e, options_uci.contempt);
}

std::vector<std::string> lignes_options_uci() {
  const OPTIONS_UCI& o = options_uci;
  return {
      "option name Hash type spin default " + std::to_string(o.hash_mo) + " min " +
          std::to_string(HASH_MIN) + " max " + std::to_string(HASH_MAX),
      "option name Clear Hash type button",
      std::string("option name Ponder type check default ") + (o.ponder ? "true" : "false"),
      std::string("option name OwnBook type check default ") + (o.own_book ? "true" : "false"),
      "option name BookFile type string default " + valeur_texte(o.book_file),
      "option name TablebasePath type string default " + valeur_texte(o.tablebases),
      "option name MoveOverhead type spin default " + std::to_string(marge_coup_ms) +
          " min 0 max " + std::to_string(MARGE_COUP_MAX_MS),
      "option name Contempt type spin default " + std::to_string(o.contempt) + " min " +
          std::to_string(-CONTEMPT_MAX) + " max " + std::to_string(CONTEMPT_MAX),
      std::string("option name SEARCH type combo default ") +
          nom_genre_recherche(option_recherche_etendue.load(std::memory_order_relaxed)) +
          " var classic var extended",
  };
}

std::string commande_setoption(CEchiquier& e, const std::string& reste) {
  // "name N [value V]": both may hold blanks; the word "value" ends the name.
  std::string nom, valeur;
  bool a_valeur = false;
  {
    std::vector<std::pair<size_t, size_t>> mots;  // start and length of each word
    for (size_t i = 0; i < reste.size();) {
      if (reste[i] == ' ' || reste[i] == '\t') {
        ++i;
        continue;
      }
      size_t j = i;
      while (j < reste.size() && reste[j] != ' ' && reste[j] != '\t') ++j;
      mots.push_back({i, j - i});
      i = j;
    }
    auto mot = [&](size_t k) { return reste.substr(mots[k].first, mots[k].second); };
    if (mots.empty() || mot(0) != "name") return "setoption without a name";
    size_t k = 1;
    for (; k < mots.size() && mot(k) != "value"; ++k) {
      if (!nom.empty()) nom += ' ';
      nom += mot(k);
    }
    if (k < mots.size()) {
      a_valeur = true;
      if (k + 1 < mots.size()) {
        valeur = reste.substr(mots[k + 1].first);
        const size_t b = valeur.find_last_not_of(" \t");
        valeur.erase(b + 1);
      }
    }
  }
  auto est = [&](const char* n) { return strcasecmp(nom.c_str(), n) == 0; };
  const std::string refus = "invalid value for " + nom + ": " + valeur;
  OPTIONS_UCI& o = options_uci;

  if (est("Clear Hash")) {
    clear_table_hash();
    return "";
  }
  if (!a_valeur && !est("BookFile") && !est("TablebasePath")) {
    if (est("Hash") || est("Ponder") || est("OwnBook") || est("MoveOverhead") || est("Contempt") || est("SEARCH"))
      return "option " + nom + " needs a value";
    return "unknown option: " + nom;
  }
  if (est("Hash")) {
    int n;
    if (!lit_entier(valeur, HASH_MIN, HASH_MAX, n)) return refus;
    o.hash_mo = n;
    applique_hash(e, n);
  } else if (est("Ponder")) {
    if (!lit_booleen(valeur, o.ponder)) return refus;
  } else if (est("OwnBook")) {
    if (!lit_booleen(valeur, o.own_book)) return refus;
    livre_consulte = o.own_book ? 1 : 0;
  } else if (est("BookFile")) {
    o.book_file = texte_valeur(valeur);
    chemin_livre = o.book_file.empty() ? FICHIER_LIVRE : o.book_file;
  } else if (est("TablebasePath")) {
    o.tablebases = texte_valeur(valeur);
    repertoire_tables = o.tablebases;
    TbInit(repertoire_tables.c_str());
  } else if (est("MoveOverhead")) {
    int n;
    if (!lit_entier(valeur, 0, MARGE_COUP_MAX_MS, n)) return refus;
    marge_coup_ms = n;
  } else if (est("Contempt")) {
    int n;
    if (!lit_entier(valeur, -CONTEMPT_MAX, CONTEMPT_MAX, n)) return refus;
    o.contempt = n;
    applique_contempt(e, n);
  } else if (est("SEARCH")) {
    bool etendue = false;
    if (!lit_genre_recherche(valeur.c_str(), etendue)) return refus;
    option_recherche_etendue = etendue;
  } else {
    return "unknown option: " + nom;
  }
  return "";
}
