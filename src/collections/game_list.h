// The plain decisions of a game list: which games its filter lets through and
// the texts of a row. Shared by the game-list window and the command line.
// Invariant: text comparisons ignore case on the decoded text (valid UTF-8 as
// UTF-8, anything else as Windows-1252); the header's bytes are not changed.
#pragma once

#include <string>

#include "core/position.h"
#include "game/header.h"

namespace brevaro {

enum class TPlayerColour { White, Black, Both };

// The filter settings of a game list, as its filter panel holds them.
struct TFilterSettings {
  bool Enabled = false;  // the filter button is down; otherwise every game passes
  std::string Player;    // UTF-8 or Windows-1252; not trimmed
  TPlayerColour As = TPlayerColour::Both;
  std::string Event;  // trimmed before use
  std::string Eco;    // trimmed before use
  bool YearRange = false;
  int32_t FromYear = 1999;
  int32_t ToYear = 1999;
  bool Win = false;   // "1-0"
  bool Draw = false;  // "1/2-1/2"
  bool Loss = false;  // "0-1"
  bool Position = false;
  // Squares that hold a piece must hold the same piece in the game's start
  // position; empty squares match anything.
  TSchachbrett SearchBoard = GrundstellungBrett;
};

// True when a game with this header passes the filter.
bool FilterRequest(const TFilterSettings& filter, const TEventData& kopf);

// The texts of a row of the game list, as bytes of the file.
struct TRowTexts {
  std::string Number;   // game number from 1
  std::string Players;  // "White - Black"
  std::string Source;   // Event and Site joined by ", " when both are known
  std::string Year;     // empty when unknown
  std::string Result;
};

TRowTexts RowTexts(const TEventData& kopf, int64_t gameId);

}  // namespace brevaro
