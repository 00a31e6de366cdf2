#include "collections/game_list.h"

#include "collections/encoding.h"

namespace brevaro {

namespace {

bool Bekannt(const std::string& text) {
  return !text.empty() && text != "?";
}

// The start position a game is searched in: its FEN, or an empty board.
TSchachbrett Startstellung(const TEventData& kopf) {
  TSchachbrett brett = LeeresBrett;
  if (!kopf.FEN.empty()) {
    TZug zug;
    uint16_t zugnummer = 1;
    FENToStellung(kopf.FEN, brett, zug, zugnummer);
  }
  return brett;
}

}  // namespace

bool FilterRequest(const TFilterSettings& f, const TEventData& kopf) {
  if (!f.Enabled) return true;
  if (!f.Player.empty()) {
    const std::u32string p = GrossDekodiert(f.Player);
    const bool weiss = f.As != TPlayerColour::Black && EnthaeltOhneFall(kopf.White, p);
    const bool schwarz = f.As != TPlayerColour::White && EnthaeltOhneFall(kopf.Black, p);
    if (!weiss && !schwarz) return false;
  }
  if (const std::string_view e = Getrimmt(f.Event); !e.empty()) {
    if (!EnthaeltOhneFall(kopf.Event, GrossDekodiert(e))) return false;
  }
  if (const std::string_view eco = Getrimmt(f.Eco); !eco.empty()) {
    if (!EnthaeltOhneFall(kopf.ECO, GrossDekodiert(eco))) return false;
  }
  if (f.YearRange && (kopf.Year < f.FromYear || kopf.Year > f.ToYear)) return false;
  if (f.Win || f.Draw || f.Loss) {
    const bool passt = (f.Win && kopf.Result == "1-0") || (f.Draw && kopf.Result == "1/2-1/2") ||
                       (f.Loss && kopf.Result == "0-1");
    if (!passt) return false;
  }
  if (f.Position) {
    bool gesucht = false;
    for (int i = 21; i <= 98; ++i) {
      const int32_t code = f.SearchBoard[i];
      if (code != Leer && code != Rand) gesucht = true;
    }
    if (gesucht) {
      const TSchachbrett start = Startstellung(kopf);
      for (int i = 21; i <= 98; ++i) {
        const int32_t code = f.SearchBoard[i];
        if (code != Leer && code != Rand && start[i] != code) return false;
      }
    }
  }
  return true;
}

TRowTexts RowTexts(const TEventData& kopf, int64_t gameId) {
  TRowTexts t;
  t.Number = std::to_string(gameId + 1);
  t.Players = kopf.White + " - " + kopf.Black;
  if (Bekannt(kopf.Event)) t.Source = kopf.Event;
  if (Bekannt(kopf.Site)) {
    if (!t.Source.empty()) t.Source += ", ";
    t.Source += kopf.Site;
  }
  if (kopf.Year != 0) t.Year = std::to_string(kopf.Year);
  t.Result = kopf.Result;
  return t;
}

}  // namespace brevaro
