// The plain decisions of a game list: which games its filter lets through and
// the texts of a row. Shared by the game-list window and the command line.
// Invariant: text comparisons ignore case on the decoded text (valid UTF-8 as
// UTF-8, anything else as Windows-1252); the header's bytes are not changed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/position.h"
#include "game/header.h"

namespace brevaro {

enum class TPlayerColour { White, Black, Both };

// A tag value is shown, filtered and sorted by at most its first
// ListenWertGrenze bytes; the file and the game keep it whole.
inline constexpr size_t ListenWertGrenze = 4096;

// The first ListenWertGrenze bytes of `wert`, fewer when the cut would split a
// UTF-8 sequence; `wert` itself when it is not longer.
std::string_view ListenWert(std::string_view wert);

// The header fields a list cut, as bits.
enum TGekuerzt : uint32_t {
  gkWhite = 1,
  gkBlack = 2,
  gkEvent = 4,
  gkSite = 8,
  gkAnnotator = 16,
  gkResult = 32,
  gkECO = 64,
  gkFEN = 128,
  gkMeta = 256,
};

// Cuts every text field of `kopf` with ListenWert; returns the fields cut.
uint32_t KopfKuerzen(TEventData& kopf);

// What the position of a filter asks: the start position holds its pieces, or
// the game reaches it (see TStellungssuche) in its main line, or in its main
// line or variations.
enum class TStellungsart : uint8_t { Anfang, Hauptlinie, Varianten };

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
  TStellungsart Stellungsart = TStellungsart::Anfang;
  int8_t SearchSide = 1;  // side to move of a position to reach: +1 white, -1 black
};

// True when a game with this header passes the filter; text fields are
// compared by their ListenWert. A position to reach is not tested here (it
// needs the game's moves).
bool FilterRequest(const TFilterSettings& filter, const TEventData& kopf);

// The texts of a row of the game list, as bytes of the file.
struct TRowTexts {
  std::string Number;   // game number from 1
  std::string Players;  // "White - Black"
  std::string Source;   // Event and Site joined by ", " when both are known
  std::string Year;     // empty when unknown
  std::string Result;
};

// `gekuerzt` (TGekuerzt bits, see TPGNIndex::HeaderCut) marks the fields that
// were cut: "…" follows them, in their own encoding.
TRowTexts RowTexts(const TEventData& kopf, int64_t gameId, uint32_t gekuerzt = 0);

}  // namespace brevaro
