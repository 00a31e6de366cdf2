// The link between a game window and the game list its game came from. The
// game-list window implements TPartienquelle; a game window (a
// TQuellenNutzer) reads rows and games through it and hears when the list
// goes away. Plain C++: no Qt in the contract.
// Invariant: a user is linked to at most one source, and a source knows
// exactly the users linked to it; a source that closes or is destroyed
// detaches every user first, so no user keeps a dangling source.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/position.h"

namespace brevaro {

class TPartienquelle;
class TStellungssuche;

// Something that shows a game of a source (the game window).
class TQuellenNutzer {
 public:
  // The source is going away: forget it (no call back into it from here).
  virtual void QuelleAbgekoppelt() = 0;

 protected:
  ~TQuellenNutzer() = default;
};

// A list of games (the rows of a game-list window, after its filter and sort).
class TPartienquelle {
 public:
  TPartienquelle() = default;
  TPartienquelle(const TPartienquelle&) = delete;
  TPartienquelle& operator=(const TPartienquelle&) = delete;

  // Rows shown in the list.
  virtual int64_t RowCount() const = 0;
  // The current row, -1 when there is none.
  virtual int64_t CurrentRow() const = 0;
  // Unmarks the old current row, marks `row` and makes it current.
  virtual void SetCurrentRow(int64_t row) = 0;
  // Number of the game (in its file) shown in `row`; -1 out of range.
  virtual int64_t GameOfRow(int64_t row) const = 0;
  // The PGN text (bytes as stored) of game number `game`; empty when the
  // game cannot be read.
  virtual std::string GetGame(int64_t game) = 0;
  // The position search the rows were found by, nullptr when none: a game
  // opened from the source shows the position it found.
  virtual const TStellungssuche* Stellungssuche() const { return nullptr; }
  // Lists the games of the source that reach this position (with the side
  // to move of `zug`).
  virtual void PositionSuchen(const TSchachbrett& /*brett*/, const TZug& /*zug*/) {}

  // Linking, done by the game window when it takes or drops the source.
  void Verbinden(TQuellenNutzer* nutzer);
  void Trennen(TQuellenNutzer* nutzer);
  // The detach notification: every linked user hears QuelleAbgekoppelt and is
  // unlinked. The game-list window calls it when it closes.
  void AlleAbkoppeln();
  const std::vector<TQuellenNutzer*>& Nutzer() const { return Nutzer_; }

 protected:
  // Detaches the users still linked (a list destroyed without closing).
  virtual ~TPartienquelle();
  // Told after a user was linked or unlinked (by Trennen, not by detaching).
  virtual void NutzerVerbunden(TQuellenNutzer*) {}
  virtual void NutzerGetrennt(TQuellenNutzer*) {}
  // Detaches one user: unlinked, then told QuelleAbgekoppelt.
  void Abkoppeln(TQuellenNutzer* nutzer);

 private:
  std::vector<TQuellenNutzer*> Nutzer_;
};

}  // namespace brevaro
