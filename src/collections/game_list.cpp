#include "collections/game_list.h"

#include <array>
#include <string>

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
    FENToStellung(ListenWert(kopf.FEN), brett, zug, zugnummer);
  }
  return brett;
}

// "…" in the encoding of `text`.
const char* Auslassung(std::string_view text) {
  return IstUtf8(text) ? "\xE2\x80\xA6" : "\x85";
}

std::string MitMarke(const std::string& text, bool gekuerzt) {
  return gekuerzt ? text + Auslassung(text) : text;
}

}  // namespace

std::string_view ListenWert(std::string_view wert) {
  return wert.substr(0, Utf8Schnitt(wert, ListenWertGrenze));
}

uint32_t KopfKuerzen(TEventData& kopf) {
  uint32_t gekuerzt = 0;
  const auto kuerzen = [&](std::string& feld, uint32_t bit) {
    if (feld.size() <= ListenWertGrenze) return;
    feld.resize(ListenWert(feld).size());
    gekuerzt |= bit;
  };
  kuerzen(kopf.White, gkWhite);
  kuerzen(kopf.Black, gkBlack);
  kuerzen(kopf.Event, gkEvent);
  kuerzen(kopf.Site, gkSite);
  kuerzen(kopf.Annotator, gkAnnotator);
  kuerzen(kopf.Result, gkResult);
  kuerzen(kopf.ECO, gkECO);
  kuerzen(kopf.FEN, gkFEN);
  kuerzen(kopf.MetaDescription, gkMeta);
  kuerzen(kopf.MetaKeywords, gkMeta);
  return gekuerzt;
}

namespace {

// GrossDekodiert of the filter's text number `welche`, kept by the thread
// while that text stays the same: a filter tests every game with the same texts.
const std::u32string& Nadel(std::string_view text, size_t welche) {
  struct TNadel {
    std::string Text;
    std::u32string Gross;
  };
  thread_local std::array<TNadel, 3> nadeln;
  TNadel& n = nadeln[welche];
  if (n.Text != text || n.Text.empty()) {
    n.Text = text;
    n.Gross = GrossDekodiert(text);
  }
  return n.Gross;
}

}  // namespace

bool FilterRequest(const TFilterSettings& f, const TEventData& kopf) {
  if (!f.Enabled) return true;
  if (!f.Player.empty()) {
    const std::u32string& p = Nadel(f.Player, 0);
    const bool weiss = f.As != TPlayerColour::Black && EnthaeltOhneFall(ListenWert(kopf.White), p);
    const bool schwarz =
        f.As != TPlayerColour::White && EnthaeltOhneFall(ListenWert(kopf.Black), p);
    if (!weiss && !schwarz) return false;
  }
  if (const std::string_view e = Getrimmt(f.Event); !e.empty()) {
    if (!EnthaeltOhneFall(ListenWert(kopf.Event), Nadel(e, 1))) return false;
  }
  if (const std::string_view eco = Getrimmt(f.Eco); !eco.empty()) {
    if (!EnthaeltOhneFall(ListenWert(kopf.ECO), Nadel(eco, 2))) return false;
  }
  if (f.YearRange && (kopf.Year < f.FromYear || kopf.Year > f.ToYear)) return false;
  if (f.Win || f.Draw || f.Loss) {
    const bool passt = (f.Win && kopf.Result == "1-0") || (f.Draw && kopf.Result == "1/2-1/2") ||
                       (f.Loss && kopf.Result == "0-1");
    if (!passt) return false;
  }
  if (f.Position && f.Stellungsart == TStellungsart::Anfang) {
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

TRowTexts RowTexts(const TEventData& kopf, int64_t gameId, uint32_t gekuerzt) {
  TRowTexts t;
  t.Number = std::to_string(gameId + 1);
  t.Players =
      MitMarke(kopf.White, gekuerzt & gkWhite) + " - " + MitMarke(kopf.Black, gekuerzt & gkBlack);
  if (Bekannt(kopf.Event)) t.Source = MitMarke(kopf.Event, gekuerzt & gkEvent);
  if (Bekannt(kopf.Site)) {
    if (!t.Source.empty()) t.Source += ", ";
    t.Source += MitMarke(kopf.Site, gekuerzt & gkSite);
  }
  if (kopf.Year != 0) t.Year = std::to_string(kopf.Year);
  t.Result = MitMarke(kopf.Result, gekuerzt & gkResult);
  return t;
}

}  // namespace brevaro
