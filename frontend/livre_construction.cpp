#include "frontend/livre_construction.h"

#include <memory>

#include "frontend/livre_parties.h"
#include "frontend/livre_pgn.h"

namespace {

struct FERME_FICHIER {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FICHIER = std::unique_ptr<std::FILE, FERME_FICHIER>;

}  // namespace

int construit_livre(const OPTIONS_LIVRE& options, const std::vector<std::string>& fichiers,
                    std::FILE* messages, BILAN_LIVRE& bilan) {
  bilan = BILAN_LIVRE{};

  // Every input must open before any work is done
  std::vector<FICHIER> entrees;
  for (const std::string& nom : fichiers) {
    entrees.emplace_back(std::fopen(nom.c_str(), "r"));
    if (!entrees.back()) {
      std::fprintf(messages, "%s: cannot be opened\n", nom.c_str());
      return 1;
    }
  }
  CJoueurParties joueur;
  if (!joueur.pret()) {
    std::fprintf(messages, "cannot create the game file for the reader\n");
    return 1;
  }

  // Count the games' moves
  CStatistiquesLivre statistiques;
  PARTIE_PGN partie;
  std::vector<COUP_PARTIE> plies;
  std::string erreur;
  for (size_t i = 0; i < fichiers.size(); ++i) {
    CLecteurPgn lecteur(entrees[i].get());
    while (lecteur.suivante(partie)) {
      if (!joueur.joue(partie, options.max_ply, plies, erreur)) {
        std::fprintf(messages, "%s: game %d: %s\n", fichiers[i].c_str(), partie.numero, erreur.c_str());
        ++bilan.parties_rejetees;
        continue;
      }
      statistiques.ajoute_partie(plies, partie.resultat);
      if (++bilan.parties_lues % PAS_PROGRESSION == 0) {
        std::fprintf(messages, "%zu games read\n", bilan.parties_lues);
        std::fflush(messages);
      }
    }
    if (std::ferror(entrees[i].get())) {
      std::fprintf(messages, "%s: read error\n", fichiers[i].c_str());
      return 1;
    }
    entrees[i].reset();
  }
  bilan.positions_vues = statistiques.nb_positions();

  // Choose, place and write
  const std::vector<POSITION_LIVRE> positions = statistiques.selection(options.filtres, bilan.selection);
  const std::vector<unsigned char> image = image_livre(positions, bilan.placement);
  if (!ecrit_fichier_livre(options.sortie, image, erreur)) {
    std::fprintf(messages, "%s\n", erreur.c_str());
    return 1;
  }
  return 0;
}
