// The search's face towards its users: choosing a move, pondering on the
// predicted reply, and the reports a host can read while a search runs.
#include "search/analyse.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/echiquier.h"
#include "board/movegen.h"
#include "notation/san.h"
#include "search/alphabeta.h"
#include "search/arret.h"
#include "search/globals.h"
#include "search/hash.h"
#include "search/pilote.h"
#include "search/rapport.h"
#include "search/temps.h"

namespace {

// The legal entry of the list whose low 16 bits are `coup`, or null.
uint32_t* cherche_entree(uint32_t* liste, uint32_t coup) {
  for (uint32_t* l = liste; *l; ++l)
    if (!(*l & COUP_ILLEGAL) && (*l & 0xffff) == (coup & 0xffff)) return l;
  return nullptr;
}

bool a_un_coup_legal(const uint32_t* liste) {
  for (; *liste; ++liste)
    if (!(*liste & COUP_ILLEGAL)) return true;
  return false;
}

}  // namespace

void texte_score(int s, char* texte) {
  const char signe = s < 1 ? '-' : '+';
  const int a = std::abs(s);
  if (s == SCORE_LIVRE) std::snprintf(texte, TAILLE_TEXTE_SCORE, " ");
  else if (a == INFINI) std::snprintf(texte, TAILLE_TEXTE_SCORE, "%cINF ", signe);
  else if (a <= 32000) {
    // "%+4.2f " of the score in pawns; at most "+80.00 " here.
    char* p = texte;
    if (s >= 0) *p++ = '+';
    p = std::to_chars(p, texte + TAILLE_TEXTE_SCORE - 2, s / 400.0, std::chars_format::fixed, 2).ptr;
    *p++ = ' ';
    *p = 0;
  }
  else {
    const int n = 32700 - a;
    std::snprintf(texte, TAILLE_TEXTE_SCORE, "%cMAT%d ", signe, n / 2 + n % 2);
  }
}

uint32_t CEchiquier::Analyse() {
  if (fin_partie || !a_un_coup_legal(liste_coups)) return 0xFFFFFFFF;
  int nouvelle = 1, depart = 3, limite = profondeur, precedent = -INFINI;

  // Ponder hit: the opponent played the predicted move
  if (dernier_coup != 0 && (dernier_coup & 0xffff) == uint32_t(coup_prevu)) {
    coup_prevu = 0;
    if (reponse_prevue != 0) {
      uint32_t* entree = cherche_entree(liste_coups, uint32_t(reponse_prevue));
      if (temps_limite_ms[0] > temps_anticipation) {
        temps_limite_ms[0] -= temps_anticipation;
        temps_limite_ms[1] -= temps_anticipation;
        nouvelle = 0;
        if (profondeur_anticipation > 3) depart = profondeur_anticipation;
        if (std::abs(score_anticipation) < 32000) precedent = score_anticipation;
        if (entree) std::swap(*entree, liste_coups[0]);
      } else if (entree) {
        const uint32_t reponse = uint32_t(reponse_prevue);
        PvAfterMove(profondeur_anticipation);
        return reponse & 0xffff;
      }
    }
  }

  CopieEmp(emp);
  restore_search_repetition();
  const int r = pilote_recherche(trait, liste_coups, precedent, 200, depart, temps_limite_ms[0],
                                 temps_limite_ms[1], &limite, nouvelle, emp);
  PvAfterMove(limite);
  return (liste_coups[0] & 0xffff) | (uint32_t(r) << 16);
}

uint32_t CEchiquier::Anticipation() {
  if (fin_partie) return 0;
  if (coup_prevu == 0) return uint32_t(reponse_prevue);

  EMPILAGE local = *emp;
  CopieEmp(&local);
  int camp = trait;
  int nouvelle = 1, depart = 3, limite = profondeur, precedent = -INFINI;

  // Play the predicted move on a copy
  const uint32_t* entree = cherche_entree(liste_coups, uint32_t(coup_prevu));
  if (!entree) return 0;
  const uint32_t prevu = *entree & 0xffff;
  const int irreversible = coup_irreversible(prevu, &local);
  uint32_t liste[TAILLE_LISTE_COUPS];
  const uint32_t r = camp == BLANCS ? genere_noirs(liste, prevu, 0, &local)
                                    : genere_blancs(liste, prevu, 0, &local);
  if ((r & COUP_ILLEGAL) || r == RESULTAT_MAT || r == RESULTAT_PAT) return 0;
  camp ^= 1;
  restore_search_repetition();
  const int n = record_game_position(table_repetition_recherche, camp, irreversible, &local);
  if (n == 3 || n == 100) return 0;

  fixe_contexte_rapport(&local, liste, &camp);
  if (reponse_prevue != 0) {
    nouvelle = 0;
    depart = profondeur_anticipation > 3 ? profondeur_anticipation : 3;
    if (std::abs(score_anticipation) < 32000) precedent = score_anticipation;
    if (uint32_t* e = cherche_entree(liste, uint32_t(reponse_prevue))) std::swap(*e, liste[0]);
  }

  // Search the answer on the opponent's time
  const uint32_t debut = compte_ticks();
  temps_anticipation = int32_t(debut);
  pilote_recherche(camp, liste, precedent, 200, depart, TRENTE_JOURS_MS, TRENTE_JOURS_MS, &limite,
                   nouvelle, &local);
  reponse_prevue = int(liste[0] & 0xffff);
  temps_anticipation = int32_t(compte_ticks() - debut);
  profondeur_anticipation = limite;
  score_anticipation = int16_t(liste[0] >> 16);
  fixe_contexte_rapport(nullptr, nullptr, nullptr);
  return uint32_t(reponse_prevue);
}

int CEchiquier::CoupPrevu() {
  return dernier_coup != 0 && (dernier_coup & 0xffff) == uint32_t(coup_prevu) ? 1 : 0;
}

void CEchiquier::PvAfterMove(int p) {
  temps_anticipation = 0;
  score_anticipation = -INFINI;
  profondeur_anticipation = p - 1;
  reponse_prevue = 0;
  coup_prevu = 0;
  verrou_section v(verrou_rapport);
  if (pv_courante[0]) {
    if (pv_courante[1]) {
      coup_prevu = int(pv_courante[1] & 0xffff);
      if (pv_courante[2]) reponse_prevue = int(pv_courante[2] & 0xffff);
    }
  }
  // The line now starts with the engine's expected next move.
  for (int fois = 0; fois < 2 && pv_courante[0]; ++fois)
    std::memmove(pv_courante, pv_courante + 1, sizeof(uint32_t) * (LONGUEUR_PV - 1));
  pv_courante[LONGUEUR_PV - 1] = 0;
}

int CEchiquier::Pvar(char* texte) {
  verrou_section v(verrou_rapport);
  if (std::memcmp(pv_rapportee, pv_rendue, sizeof pv_rendue) == 0) return 1;
  // A consistent copy of the line's root: the search does not move it meanwhile.
  const EMPILAGE position = contexte_rapport.position ? *contexte_rapport.position : *emp;
  const uint32_t* liste = contexte_rapport.liste ? contexte_rapport.liste : liste_coups;
  const int camp = contexte_rapport.trait ? *contexte_rapport.trait : trait;
  uint32_t copie_liste[TAILLE_LISTE_COUPS];
  int n = 0;
  for (; liste[n] && n < TAILLE_LISTE_COUPS - 1; ++n) copie_liste[n] = liste[n];
  copie_liste[n] = 0;

  char score[TAILLE_TEXTE_SCORE];
  texte_score(lit_drapeau(meilleur_score), score);
  std::snprintf(texte, TAILLE_TEXTE_PVAR, "%s%d ", score, lit_drapeau(profondeur_courante) - 2);
  ecrit_san_variante(texte, TAILLE_TEXTE_PVAR, pv_rapportee, 0, camp, copie_liste, position);
  std::memcpy(pv_rendue, pv_rapportee, sizeof pv_rendue);
  return 1;
}

void CEchiquier::NoteAnalyse(char* texte) { texte_score(lit_drapeau(meilleur_score), texte); }

int CEchiquier::GetDepth() { return lit_drapeau(profondeur_courante) - 2; }

uint32_t CEchiquier::GetNodeCount() { return nb_noeuds; }

int CEchiquier::AnalyseAttaques() { return 0; }

void CEchiquier::ArreteRecherche() {
  if (recherche_active()) echange_atomique(arret_recherche, 1);
}
