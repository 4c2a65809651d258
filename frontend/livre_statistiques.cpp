#include "frontend/livre_statistiques.h"

#include <algorithm>
#include <map>

#include "frontend/livre_pgn.h"

void CStatistiquesLivre::ajoute_partie(const std::vector<COUP_PARTIE>& plies, int resultat) {
  std::vector<const COUP_PARTIE*> vus;  // plies already counted in this game
  for (const COUP_PARTIE& p : plies) {
    const CLE cle{p.cle_hash, p.verrou_hash, p.trait};
    bool position_vue = false, coup_vu = false;
    for (const COUP_PARTIE* v : vus) {
      if (v->cle_hash != p.cle_hash || v->verrou_hash != p.verrou_hash || v->trait != p.trait) continue;
      position_vue = true;
      if (v->coup == p.coup) coup_vu = true;
    }
    vus.push_back(&p);
    if (coup_vu) continue;

    STAT_POSITION& pos = positions_[cle];
    if (!position_vue) ++pos.parties;
    auto it = std::find_if(pos.coups.begin(), pos.coups.end(),
                           [&](const STAT_COUP& s) { return s.coup == p.coup; });
    if (it == pos.coups.end()) {
      pos.coups.push_back(STAT_COUP{p.coup, 0, 0, 0});
      it = pos.coups.end() - 1;
    }
    ++it->parties;
    if (resultat != RESULTAT_INCONNU) {
      ++it->connues;
      it->demi_points += uint32_t(p.trait == 0 ? resultat : RESULTAT_BLANCS - resultat);
    }
  }
}

std::vector<POSITION_LIVRE> CStatistiquesLivre::selection(const FILTRES_LIVRE& filtres,
                                                          BILAN_SELECTION& bilan) const {
  bilan = BILAN_SELECTION{};
  std::vector<POSITION_LIVRE> choisies;
  // Index in `choisies` of the position kept for each pair of keys
  std::map<std::pair<uint32_t, uint32_t>, size_t> par_cles;

  for (const auto& [cle, pos] : positions_) {
    // Moves that pass the filters; a move without known results passes the score
    std::vector<STAT_COUP> retenus;
    for (const STAT_COUP& s : pos.coups) {
      if (s.parties < uint32_t(std::max(filtres.min_parties, 1))) continue;
      if (s.connues > 0 && 100ull * s.demi_points < uint64_t(filtres.min_score) * 2 * s.connues)
        continue;
      retenus.push_back(s);
    }
    if (retenus.empty()) {
      ++bilan.sans_coup;
      continue;
    }
    std::sort(retenus.begin(), retenus.end(), [](const STAT_COUP& a, const STAT_COUP& b) {
      if (a.parties != b.parties) return a.parties > b.parties;
      // Scores compared as fractions; unknown results rank as even
      const uint64_t na = a.connues ? a.demi_points : 1, da = a.connues ? 2ull * a.connues : 2;
      const uint64_t nb = b.connues ? b.demi_points : 1, db = b.connues ? 2ull * b.connues : 2;
      if (na * db != nb * da) return na * db > nb * da;
      return a.coup < b.coup;
    });
    POSITION_LIVRE p{cle.cle_hash, cle.verrou_hash, cle.trait, pos.parties, {0, 0, 0, 0}};
    for (size_t i = 0; i < retenus.size() && i < 4; ++i) p.coups[i] = retenus[i].coup;

    // The same keys with the other side to move: the more frequent stays
    const auto [it, nouveau] = par_cles.try_emplace({cle.cle_hash, cle.verrou_hash}, choisies.size());
    if (nouveau) {
      choisies.push_back(p);
      continue;
    }
    ++bilan.collisions_trait;
    POSITION_LIVRE& autre = choisies[it->second];
    if (p.frequence > autre.frequence || (p.frequence == autre.frequence && p.trait < autre.trait))
      autre = p;
  }

  std::sort(choisies.begin(), choisies.end(), [](const POSITION_LIVRE& a, const POSITION_LIVRE& b) {
    if (a.frequence != b.frequence) return a.frequence > b.frequence;
    if (a.cle_hash != b.cle_hash) return a.cle_hash < b.cle_hash;
    if (a.verrou_hash != b.verrou_hash) return a.verrou_hash < b.verrou_hash;
    return a.trait < b.trait;
  });
  return choisies;
}
