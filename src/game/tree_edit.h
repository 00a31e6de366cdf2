// Entering moves into a game and editing its tree: a move played on the board
// steps along the line, enters a variation, opens a new one or extends the
// line; the rest of a line or a variation can be deleted, a variation promoted,
// annotations, evaluations and comments set. Every change of the tree can be
// undone. Also the rule checks of the core put together: legal moves, the
// moves' check and disambiguation marks, and the repetition and fifty-move
// counts along the path to a move.
// Invariant: a move record built here is byte for byte the one the reader
// stores for the written move, so a game written and read again is the same tree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/position.h"
#include "game/notation_model.h"

namespace brevaro {

// The complete record of the move von -> nach (mailbox) in the position
// `brett` whose state `stand` names (AmZug the side to move, its castling
// rights and en-passant square), as the reader would store it: castling
// (a king move as KoenigszugAlsRochade sees it; `fischerRochade` makes a king
// move onto c or g, or onto its own rook, Fischer Random castling), en
// passant, `umwandlung` (piece
// kind, sign ignored) on the last rank, rights and en-passant square after it.
// False when the move breaks the rules; then `zug` is unspecified. The check,
// mate and disambiguation marks are left empty (see ZugZeichenSetzen).
bool ZugBilden(const TSchachbrett& brett, const TZug& stand, int von, int nach, int umwandlung,
               bool fischerRochade, const TFischerInfo* fischer, TZug& zug);

// Sets Zeichen of a record from ZugBilden: "+" or "#", and the origin's file,
// rank or square where the reader needs it to find the piece.
void ZugZeichenSetzen(const TSchachbrett& brett, const TZug& stand, TZug& zug,
                      const TFischerInfo* fischer);

// Every legal move of the side to move (promotions once, to a queen).
// `hoechstens` stops the search early (0: all).
std::vector<TZug> LegaleZuege(const TSchachbrett& brett, const TZug& stand,
                              const TFischerInfo* fischer, size_t hoechstens = 0);

// The move played just before `knoten` (nullptr at the start of the game).
TBaum* Vorgaenger(const TBaum* knoten);

// The other square of a move starting or ending on `feld` (mailbox) in the
// current position: the next move of the current line if it starts or ends
// there, else the only legal move from or to it; 0 when there is none.
uint8_t Zugvorschlag(const TNotationModell& m, uint8_t feld);

// How often the position after `knoten` has stood on the board on the path
// from the start position (itself included), and the plies since the last
// capture or pawn move, counted from the start position.
struct TRegelstand {
  int32_t Wiederholungen = 1;
  int32_t Halbzuege = 0;
};
TRegelstand RegelstandNach(const TNotationModell& m, const TBaum* knoten);

// Where an entered move went.
enum class TEingabe : uint8_t {
  Abgelehnt,     // not a legal move, or a line ended by a reading error: nothing changed
  Naechster,     // the next move of the line: one step forward
  Variante,      // the first move of an existing variation: entered
  NeueVariante,  // a new variation after the existing ones
  Verlaengert,   // the line ended here and goes on with the move
};

// The editing operations on a model's current move. Each operation that
// changes the game keeps an undo step (a copy of the tree only for deleting
// and promoting), marks the game changed and lays the notation out again; the
// model's Arbeitsbrett then shows the position after the (new) current move.
class TBaumbearbeitung {
 public:
  explicit TBaumbearbeitung(TNotationModell& modell);
  ~TBaumbearbeitung();
  TBaumbearbeitung(const TBaumbearbeitung&) = delete;
  TBaumbearbeitung& operator=(const TBaumbearbeitung&) = delete;

  // Plays von -> nach in the current position (see ZugBilden for the other
  // arguments). The first entered move of the game that reaches three
  // repetitions, and the first that reaches 100 plies, raise the model's
  // On3Repetition / On50MovesRule; each notice comes once per game.
  TEingabe ZugEingeben(int von, int nach, int umwandlung, bool fischerRochade);

  bool RestLoeschen();                         // the current move and the rest of its line
  bool VarianteLoeschen();                     // the variation holding the current move
  bool VarianteHeraufstufen();                 // it swaps places with the line it branches from
  bool ZugbewertungSetzen(uint8_t bewertung);  // 0 clears; 1..6
  bool StellungsbewertungSetzen(uint16_t bewertung);  // 0 clears; a NAG number
  // The comment after the current move (before the first move without one);
  // empty removes it. False for a text holding "}".
  bool KommentarSetzen(std::string_view text);
  // The comment's text without braces, as KommentarSetzen takes it.
  std::string Kommentar() const;

  bool Rueckgaengig();  // the last change undone; false when there is none
  size_t Schritte() const { return Stapel_.size(); }
  void Vergessen();  // drops the kept changes and notices (a new game was loaded)

  // The rule counts of the last entered move.
  TRegelstand Regelstand;

 private:
  // One undo step. Nodes are named by their path from the first move (see
  // Pfad), so a step stays valid when an earlier step restores a copied tree.
  enum class TArt : uint8_t { Baum, Zug, Bewertung, Kommentar };
  struct TStand {
    TArt Art = TArt::Baum;
    TVariante* Baum = nullptr;     // Baum: the tree before the change
    std::vector<int32_t> Aktuell;  // the current move before the change
    bool OhneAktuell = true;       // ... was none (the start position)
    std::vector<int32_t> Knoten;   // Zug: the added move; Bewertung, Kommentar: the edited one
    TZug Zug;                      // Bewertung: the move's record before
    std::string Text;              // Kommentar: the comment before
    bool Geaendert = false;
  };
  // Pushes a step of `art` for the current move (the tree copied for Baum).
  TStand& Sichern(TArt art);
  void Geaendert(TBaum* aktuell);
  TNotationModell& M;
  std::vector<TStand> Stapel_;
  bool DreifachGemeldet_ = false;
  bool FuenfzigGemeldet_ = false;
};

}  // namespace brevaro
