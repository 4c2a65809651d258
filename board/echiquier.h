// The engine class: the position, the game record, the legal-move list of
// the position on the board and the work state of the generators and the
// search. This header is the class interface that host programs include.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "board/partie.h"
#include "board/types.h"

class CFichier;
class CSauvegardeJeu;

class CEchiquier {
 public:
  CEchiquier();
  ~CEchiquier();
  // Copies share the move lists, the work state, fen_depart and the game
  // record's entries with the original; the shared storage lives as long
  // as its last owner.
  CEchiquier(const CEchiquier& autre);
  CEchiquier& operator=(const CEchiquier& autre);

  // Board and game (board/echiquier.cpp, board/joue.cpp).
  void Raz();
  void Coup1();
  void CopieEmp(EMPILAGE* e);
  void RecupEmp(EMPILAGE* e);
  void Langage();
  void AfficheEchiquier();
  void AfficheDroitsRoque();
  int LitIndexCourant();
  uint32_t LitCoupA(int i);
  int ListeCoups(uint32_t* liste);
  // Text listings: one allocated 9-byte string per entry (free with
  // delete[]), "?" appended to illegal entries, then a null pointer. The
  // array must hold TAILLE_LISTE_COUPS pointers.
  int ListeCoups(char** textes);
  int ListeCoupsPrise(char** textes, int inutilise);
  int AlloueHashTable(int n);
  int Joue(uint32_t coup);
  int Retour(int n);

  // Position set-up and checking.
  int RecalculePosition(int trait_);
  int DroitsRoque();
  void PositionDebut();
  void PositionVide();
  int AjoutePiece(int couleur, int type, int case_);
  int AjoutePion(int couleur, int case_);

  // Move text. Buffers hold at least 16 bytes.
  void CoupAscii(char* texte, uint32_t coup);
  void CoupExt(char* texte, uint32_t coup);
  void CoupAnalyse(char* texte);
  uint32_t GetCurrentMove(char* texte);

  // FEN (texte of at least 81 bytes for CreeForsythe).
  void CreeForsythe(char* texte);
  int LitForsythe(const char* texte);

  // Game and position files. A load or set-up that fails (ChargePosition,
  // Load, LoadPgn, LitForsythe) leaves the game as it was before it, and
  // MotifEchec then says why it failed.
  int ChargePosition(const char* nom);
  int Load(const char* nom, char* inutilise = nullptr);
  int Save(const char* nom, const char* inutilise = nullptr);
  int Save(const char* nom, const char* inutilise, int ajout);
  int LoadPgn(const char* nom, int numero, char* inutilise1 = nullptr, char* inutilise2 = nullptr);
  // Why the last load or set-up failed ("not found", "illegal position at
  // line 3", ...); empty after one that succeeded.
  const char* MotifEchec() const { return motif_echec.c_str(); }

  // Time control: the normal and the maximum thinking time, in seconds or
  // in milliseconds.
  void SetTempsLimite(int normal, int maximum);
  void SetTempsLimiteMs(int normal_ms, int maximum_ms);
  void SetProfondeur(int p);
  void SetNulle(double pions);

  // Analysis, pondering and reporting.
  uint32_t Analyse();
  uint32_t Anticipation();
  int CoupPrevu();
  void PvAfterMove(int p);
  int Pvar(char* texte);
  void NoteAnalyse(char* texte);
  int GetDepth();
  uint32_t GetNodeCount();
  int AnalyseAttaques();
  // Stops a running Analyse or Anticipation from another thread: the search
  // ends at once with the best move found so far. Does nothing when no
  // search runs, so the next search is never cut short by it.
  void ArreteRecherche();

  // Fields, in declaration order.
  CListePartie partie;            // the game record
  int index_courant;              // record index of the last move played, -1 before the first
  int profondeur;                 // depth limit of the search, 999 = none
  int depart_standard;            // 1 when the game began from the initial position
  char* fen_depart;               // FEN of the set-up starting position (81 bytes), or null
  uint32_t dernier_coup;          // last move played, 0 after a take-back
  int coup_prevu;                 // analysis and pondering state
  int reponse_prevue;
  int temps_anticipation;         // milliseconds (a tick count while pondering)
  int profondeur_anticipation;
  int score_anticipation;
  int pos_piece[32];              // square of each slot, -1 off the board
  int echiquier[64];              // slot on each square, VIDE when empty
  int type_piece[33];             // type of each slot; entry 32 is -1
  int valeur_piece[32];           // value of each slot
  int trait;                      // side to move
  int roque[4];                   // castling states
  uint32_t* liste_coups;          // legal-move list of the position (illegal entries marked)
  uint32_t* liste_prises;         // a second list, kept empty
  EMPILAGE* emp;                  // work state of the generators and the search
  int fin_partie;                 // 1 once the game is over or the set-up is illegal
  int64_t temps_limite_ms[2];     // normal and maximum thinking time, milliseconds
  int compte_abandon;             // consecutive hopeless search results
  int mode_fritz;                 // 1: new games keep the transposition table

 private:
  int piece_prise(uint32_t coup);
  int flag_roque();
  void restaure_roque(int r);
  void MajArriere(S_LISTE_COUPS e);
  void MajAvant(S_LISTE_COUPS e);
  void InitTdep();
  uint32_t LitCoupFichier(char*& p);
  // The readers proper; the public operations put the game back when these fail.
  int lit_forsythe(const char* texte);
  int charge_position(const char* nom);
  int charge_partie(const char* nom);
  int charge_pgn(const char* nom, int numero);
  // Opens a game file for charge_partie or charge_pgn and starts a fresh
  // game; false, with the reason kept, when it cannot be opened.
  bool ouvre_partie(CFichier& fichier, const char* nom);
  // Ends a public game reader: a failure, or a game that ends in mate or
  // stalemate (read whole), puts back the game the copy holds.
  int garde_partie(int r, CSauvegardeJeu& sauvegarde);
  // Starts a fresh repetition history from the position on the board: it is
  // its first occurrence, unless `unique` (an en passant capture it allows
  // makes it a position no later one can repeat).
  void note_premiere_occurrence(bool unique = false);
  // Whether the legal-move list holds an en passant capture.
  bool prise_en_passant_listee() const;
  // Generates the moves of the side to move into liste_coups, no move applied.
  uint32_t genere_liste();
  // Takes the double pawn step `pas` of the side not to move back and lets
  // the generator replay it, which lists the en passant replies as after
  // Joue. An illegal replay leaves the pawn where it stood, lists the moves
  // with none applied, and returns false.
  bool rejoue_double_pas(uint32_t pas);
  // Allocates fen_depart on first need and returns it.
  char* alloue_fen_depart();

  // The double pawn step that led to a set-up position (a FEN's en passant
  // field), replayed when the game is taken back to its start; 0 if none.
  uint32_t double_pas_depart = 0;

  std::string motif_echec;  // why the last load or set-up failed

  friend class CSauvegardeJeu;
  struct Stockage;
  std::shared_ptr<Stockage> stockage;      // lists and work state, shared by copies
  std::shared_ptr<char[]> stockage_fen;    // owner of fen_depart
};

// Prints the board of the arrays, eight ranks from the eighth, in one
// write: lower case for white pieces, upper case for black, "." for an
// empty square (what AfficheEchiquier prints).
void affiche_echiquier(const int* echiquier, const int* type_piece);

// 1 when the move is irreversible: a pawn moves, a piece is captured, or
// it castles, captures en passant or promotes.
int coup_irreversible(uint32_t coup, const EMPILAGE* e);
