// Writing the game as PGN: the tag section from the header, the movetext
// converted from the notation text built with the language's piece letters.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "game/notation_model.h"

namespace brevaro {

namespace {

// "yyyy.mm.dd" with "?" for unknown parts; a value below 1 is unknown.
std::string Datum(int32_t jahr, int32_t monat, int32_t tag) {
  auto teil = [](int32_t wert, const char* unbekannt) {
    if (wert < 1) return std::string(unbekannt);
    std::string s = std::to_string(wert);
    if (wert < 10) s = "0" + s;
    return s;
  };
  // Four digits, as the date is read back by position ("YYYY.MM.DD").
  std::string datum = jahr < 1 ? std::string("????") : std::to_string(jahr);
  if (jahr >= 1 && datum.size() < 4) datum.insert(0, 4 - datum.size(), '0');
  return datum + "." + teil(monat, "??") + "." + teil(tag, "??");
}

void Tag(std::vector<std::string>& zeilen, const char* name, std::string_view wert) {
  zeilen.push_back(std::string("[") + name + " \"" + TagWertSchreiben(wert) + "\"]");
}

std::string OderFrage(const std::string& s) {
  return s.empty() ? std::string("?") : s;
}

// Converts the notation text to PGN movetext and cuts it into lines. The
// ranges `roh` (0-based, in order) are text kept as read and written as it is.
std::vector<std::string> Zugtext(const std::string& t, const std::vector<TKommentarbereich>& roh) {
  auto naechsterRoh = roh.begin();
  std::vector<std::string> zeilen;
  std::string zeile;
  int64_t spalte = 0;
  bool kommentar = false;
  const size_t n = t.size();
  auto umbruch = [&] {
    zeilen.push_back(std::move(zeile));
    zeile.clear();
    spalte = 0;
  };
  // A line must not begin where a reader would take it for a tag line or
  // skip it: at a "%", or at a "[" of a comment or of text kept as read.
  auto keinZeilenanfang = [&](size_t j, bool imKommentar) {
    if (j >= n) return false;
    if (t[j] == '%') return true;
    if (t[j] != '[') return false;
    if (imKommentar) return true;
    auto r = naechsterRoh;
    while (r != roh.end() && r->Pos < static_cast<int64_t>(j)) ++r;
    return r != roh.end() && r->Pos == static_cast<int64_t>(j);
  };
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(t[i]);
    const bool letztes = i + 1 == n;
    bool umgebrochen = false;
    while (naechsterRoh != roh.end() && naechsterRoh->Pos < static_cast<int64_t>(i)) ++naechsterRoh;
    if (!kommentar && naechsterRoh != roh.end() && naechsterRoh->Pos == static_cast<int64_t>(i)) {
      const size_t laenge = std::min<size_t>(static_cast<size_t>(naechsterRoh->Laenge), n - i);
      zeile.append(t, i, laenge);
      spalte += static_cast<int64_t>(laenge);
      // A comment the text leaves open (the game's text ended inside it) is
      // closed, or other readers would take the result and the games
      // appended after this one for its text.
      bool offen = false;
      for (size_t j = i; j < i + laenge; ++j) offen = offen ? t[j] != '}' : t[j] == '{';
      if (offen) zeile += '}';
      i += laenge - 1;
      continue;
    }
    if (c == '\n') {
      // Goes with the blanks and line feeds after it, leaving one blank so
      // that the words on both sides stay apart.
      while (i + 1 < n && (t[i + 1] == ' ' || t[i + 1] == '\n')) ++i;
      if (!zeile.empty() && zeile.back() != ' ') zeile += ' ';
    } else if (c == '\r') {
      zeile += ' ';
    } else if (kommentar) {
      if (c == '}') kommentar = false;
      if (c == ' ') {
        while (i + 1 < n && t[i + 1] == ' ') ++i;
        if (spalte > 80 && !keinZeilenanfang(i + 1, true)) {
          umbruch();
          umgebrochen = true;
        } else {
          zeile += ' ';
        }
      } else {
        zeile += static_cast<char>(c);
      }
    } else if (c == '{') {
      kommentar = true;
      zeile += '{';
    } else if (c == ' ' && spalte > 80 && !keinZeilenanfang(i + 1, false)) {
      umbruch();
      umgebrochen = true;
    } else if (c == 'L' || c == 'D' || c == 'S' || c == 'T') {
      zeile += c == 'L' ? 'B' : c == 'D' ? 'Q' : c == 'S' ? 'N' : 'R';
    } else if (c == '[') {
      zeile += '(';
    } else if (c == ']') {
      zeile += ')';
    } else if ((c == '!' || c == '?') && !letztes) {
      const char d = t[i + 1];
      int nag;
      if (c == '!') {
        nag = d == '!' ? 3 : d == '?' ? 5 : 1;
      } else {
        nag = d == '?' ? 4 : d == '!' ? 6 : 2;
      }
      if (nag != 1 && nag != 2) ++i;  // the pair is one annotation
      zeile += " $" + std::to_string(nag);
    } else if (c >= 128 && c <= 144 && !letztes) {
      // After a move, or on its own after the blank before a further NAG.
      if (zeile.empty() || zeile.back() != ' ') zeile += ' ';
      zeile += '$' + std::to_string(BewertungAusZeichen(c));
    } else {
      zeile += static_cast<char>(c);
    }
    if (!umgebrochen) ++spalte;
  }
  if (!zeile.empty()) zeilen.push_back(std::move(zeile));
  return zeilen;
}

}  // namespace

std::string TNotationModell::PGNSchreiben() {
  // The text is built unwrapped with the language's letters. The writer
  // reports nothing: the display layout has already reported a bad move.
  auto fehler = std::move(OnError);
  OnError = nullptr;
  PGNModus = true;
  NotationAufbauen();
  const TEventData& k = Partiedaten.Kopf;
  std::vector<std::string> zeilen;
  Tag(zeilen, "Event", OderFrage(k.Event));
  Tag(zeilen, "Site", OderFrage(k.Site));
  const std::string datum = Datum(k.Year, k.Month, k.Day);
  if (datum != "????.??.??") Tag(zeilen, "Date", datum);
  if (!k.RoundText.empty()) {
    Tag(zeilen, "Round", k.RoundText);
  } else if (k.Round != 0) {
    Tag(zeilen, "Round", std::to_string(k.Round));
  }
  Tag(zeilen, "White", OderFrage(k.White));
  Tag(zeilen, "Black", OderFrage(k.Black));
  Tag(zeilen, "Result", k.Result);
  if (k.WhiteElo != 0) Tag(zeilen, "WhiteElo", std::to_string(k.WhiteElo));
  if (k.BlackElo != 0) Tag(zeilen, "BlackElo", std::to_string(k.BlackElo));
  if (!k.ECO.empty()) Tag(zeilen, "ECO", k.ECO);
  if (!k.Annotator.empty()) Tag(zeilen, "Annotator", k.Annotator);
  // A game read in Chess960 notation keeps its FEN tag as it was read, until a
  // new start position replaces it.
  const TFischerInfo* fischer = Zustand.FischerInfo;
  if (fischer && fischer->Fischer >= FischerXFEN && !k.FEN.empty()) {
    Tag(zeilen, "SetUp", "1");
    Tag(zeilen, "FEN", k.FEN);
  } else if (Partiedaten.StartBrett != GrundstellungBrett || Partiedaten.StartZug.AmZug != 1) {
    Tag(zeilen, "SetUp", "1");
    Tag(zeilen, "FEN",
        StellungToFEN(Partiedaten.StartBrett, Partiedaten.StartZug, Partiedaten.StartZugNummer,
                      fischer));
  }
  const std::string eventDatum = Datum(k.EventYear, k.EventMonth, k.EventDay);
  if (eventDatum != "????.??.??") Tag(zeilen, "EventDate", eventDatum);
  // Long values go in pieces of 150 bytes, cut between UTF-8 characters;
  // reading joins them again.
  for (const auto& [name, wert] : {std::pair{"MetaKeywords", &k.MetaKeywords},
                                   std::pair{"MetaDescription", &k.MetaDescription}}) {
    for (std::string_view rest = *wert; !rest.empty();) {
      const size_t n = Utf8Schnitt(rest, 150);
      Tag(zeilen, name, rest.substr(0, n));
      rest.remove_prefix(n);
    }
  }
  if (k.OtherTags) {
    for (const auto& z : *k.OtherTags) zeilen.push_back(z);
  }
  zeilen.emplace_back();

  std::string text = Notationstext;
  const int32_t weg = Ueberschrift ? Kopflaenge : 0;
  text.erase(0, static_cast<size_t>(weg));
  std::vector<TKommentarbereich> roh;
  for (const TKommentarbereich& r : Rohtexte_) roh.push_back({r.Pos - 1 - weg, r.Laenge});
  std::vector<std::string> zugzeilen = Zugtext(text, roh);
  // Text kept as read that opens the movetext and looks like a tag line (or a
  // "%" line) would be read back as one: a "$0", which reads as nothing, goes
  // before it.
  if (!zugzeilen.empty()) {
    const size_t erstes = zugzeilen.front().find_first_not_of(" \t");
    if (erstes != std::string::npos &&
        (zugzeilen.front()[erstes] == '[' || zugzeilen.front()[erstes] == '%'))
      zugzeilen.front().insert(0, "$0 ");
  }
  for (auto& z : zugzeilen) zeilen.push_back(std::move(z));

  PGNModus = false;
  NotationAufbauen();
  OnError = std::move(fehler);

  std::string pgn;
  for (const auto& z : zeilen) {
    pgn += z;
    pgn += "\r\n";
  }
  return pgn;
}

void TNotationModell::PGNKopieren(TTextAblage& ablage) {
  ablage.TextSchreiben(PGNSchreiben());
}

void TNotationModell::NeueStellung(const TSchachbrett& stellung, const TZug& zug,
                                   int32_t zugnummer) {
  SetGameChanged(true);
  Partiedaten.Kopf.FEN.clear();  // no longer the start position
  // The start move number is 16 bits wide; out-of-range numbers are clamped.
  Partiedaten.StartZugNummer = static_cast<uint16_t>(zugnummer < 1       ? 1
                                                     : zugnummer > 65535 ? 65535
                                                                         : zugnummer);
  Partiedaten.StartBrett = stellung;
  Partiedaten.StartZug = zug;
  Arbeitsbrett() = stellung;
  LinieFreigeben(Wurzel);
  Aktuell = nullptr;
  NotationAufbauen();
}

}  // namespace brevaro
