// Navigation over a laid-out notation: the move at a position of the text,
// the path of passed and entered variations read back from the text, and
// stepping through the game (forward with a variation choice, back, to the
// branch points, to the start and the end, one display line up or down).
// Invariant: after every operation the model's Arbeitsbrett shows the position
// after Aktuell and AktuellerZug is Aktuell's move (StartZug for nullptr).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/notation_model.h"

namespace brevaro {

// The choice among a move and its variations, made by the user.
class TVariantenwahlFrage {
 public:
  virtual ~TVariantenwahlFrage() = default;
  // `zeilen` are "A) 12.Nf3", "B) 12.d4", ...; returns the chosen row index,
  // or -1 when the choice was cancelled.
  virtual int Waehlen(const std::vector<std::string>& zeilen, bool english) = 0;
};

// Letter of row k (from 0) of the variation choice: "A".."Z", then "AA",
// "AB", ... so that any number of variations keeps readable letters.
std::string Zeilenbuchstabe(size_t k);

// Position (1-based) of the bracket opening the one that `z` (")", "]" or
// "}") closes at position q; brackets inside comments do not count. Returns
// 1 when there is no opener.
int32_t Klammerpartner(const std::string& text, char z, int32_t q);

// Line index (from 0) showing the move's text, and that line's start
// position through `start`; -1 for nullptr or a model without lines.
int64_t ZeileVonZug(const TNotationModell& m, const TBaum* knoten, int32_t* start = nullptr);

// Scroll position that brings line `zeile` into view, or -1 when it is in
// view; `erste`/`letzte` are the 1-based first and last lines in view.
int64_t Scrollziel(int64_t zeile, int64_t erste, int64_t letzte);

// Result of ZeileWechseln.
enum class TZeilenwechsel {
  Nichts,       // no line in that direction or no current move: nothing to do
  ZugGefunden,  // a move of the neighbour line is current now
  KeinZug,      // no move there: the view should scroll by one line instead
};

class TNavigation {
 public:
  explicit TNavigation(TNotationModell& modell);

  // The user's choice at a branch. Without one the main move is taken.
  TVariantenwahlFrage* Variantenwahl = nullptr;
  // Hooks of the view; each may be empty.
  std::function<void()> Beep;      // message beep
  std::function<void()> Zeigen;    // bring the current move into view and mark it
  std::function<void()> Aufbauen;  // lay out again (default: the model's layout)

  // Result of the last choice: -2 none needed, -1 cancelled, 0 the main
  // move, k >= 1 the k-th row's variation.
  int32_t Wahl = -2;

  // Makes the move whose text stands at position p (1-based) current; false
  // without change for headings, comments, braces and gaps past the moves.
  bool ZugAnPosition(int32_t p);
  // From the start position: `plies` moves, where at every move with
  // variations the next characters of `pfad` say "0" pass a variation, "1"
  // enter it.
  void PfadFolgen(const std::string& pfad, int64_t plies);

  void ZugVor();
  void ZugZurueck();
  void VorigeVariante();
  void NaechsteVariante();
  void ZumAnfang();
  void ZumEnde();
  // d = -1 up, +1 down; erste/letzte: 1-based lines in view. Raises no event.
  TZeilenwechsel ZeileWechseln(int d, int64_t erste, int64_t letzte);

  // Raises the model's OnMoveChange with the current move and board.
  void Melden(bool nextMove);

 private:
  void Neu();
  void Ausfuehren(const TZug& zug);

  TNotationModell& M;
};

}  // namespace brevaro
