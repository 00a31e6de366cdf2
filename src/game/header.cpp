#include "game/header.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace brevaro {

void KopfdatenLoeschen(TEventData& kopf) {
  // Copied from an empty record, so that the fields keep their room: headers
  // are read one after another into the same record.
  static const TEventData leer;
  TTagListe* andere = kopf.OtherTags;
  kopf = leer;
  if (andere) andere->clear();
  kopf.OtherTags = andere;
}

namespace {

constexpr std::string_view TypoKopf = "\xE2\x80";  // the first two bytes of each

// The first typographic quote from `ab` on; npos when none.
size_t TypoAnfuehrungAb(std::string_view zeile, size_t ab) {
  size_t i = zeile.find(TypoKopf, ab);
  while (i != std::string_view::npos && TypoAnfuehrung(zeile, i) == 0)
    i = zeile.find(TypoKopf, i + 1);
  return i;
}

// TagWertRoh between typographic quotes.
std::string_view TypoWertRoh(std::string_view zeile) {
  const size_t auf = TypoAnfuehrungAb(zeile, 0);
  if (auf == std::string_view::npos) return {};
  const size_t anfang = auf + 3;
  // To the last one before the closing "]", else to the end.
  const size_t klammer = zeile.rfind(']');
  size_t zu = zeile.size();
  for (size_t i = TypoAnfuehrungAb(zeile, anfang); i < klammer; i = TypoAnfuehrungAb(zeile, i + 3))
    zu = i;
  return zeile.substr(anfang, zu - anfang);
}

}  // namespace

std::string_view TagWertRoh(std::string_view zeile) {
  const size_t auf = zeile.find('"');
  if (auf == std::string_view::npos) return TypoWertRoh(zeile);
  // To the last quote before the closing "]", so that a value ending in a
  // backslash ("C:\\") still reads; without a closing quote to the end.
  const size_t klammer = zeile.rfind(']');
  size_t zu = zeile.rfind('"', klammer == std::string_view::npos ? zeile.size() : klammer);
  if (zu == auf) zu = zeile.size();
  return zeile.substr(auf + 1, zu - auf - 1);
}

std::string TagWert(std::string_view zeile) {
  const std::string_view roh = TagWertRoh(zeile);
  if (roh.find('\\') == std::string_view::npos) return std::string(roh);
  std::string wert;
  wert.reserve(roh.size());
  for (size_t i = 0; i < roh.size(); ++i) {
    if (roh[i] == '\\' && i + 1 < roh.size() && (roh[i + 1] == '"' || roh[i + 1] == '\\')) ++i;
    wert += roh[i];
  }
  return wert;
}

size_t ErstesTagpaarSuchen(std::string_view zeile) {
  const auto blanks = [&](size_t i) {
    while (i < zeile.size() && (zeile[i] == ' ' || zeile[i] == '\t')) ++i;
    return i;
  };
  // What follows must be a tag line of its own once written on one ("[A\"" is none).
  const auto tagpaarAnfang = [&](size_t i) {
    if (zeile[i] != '[' || zeile.size() - i < 4) return false;
    size_t k = i + 1;
    while (k < zeile.size() && IstTagNamenZeichen(zeile[k])) ++k;
    if (k == i + 1) return false;
    k = blanks(k);
    return k < zeile.size() && (zeile[k] == '"' || TypoAnfuehrung(zeile, k) != 0);
  };
  // The quotes are double quotes, or typographic ones in a line without those.
  const bool typo = zeile.find('"') == std::string_view::npos;
  const size_t laenge = typo ? 3 : 1;
  const auto anfuehrung = [&](size_t ab) {
    return typo ? TypoAnfuehrungAb(zeile, ab) : zeile.find('"', ab);
  };
  const size_t auf = anfuehrung(0);
  if (auf == std::string_view::npos) return zeile.size();
  for (size_t zu = anfuehrung(auf + laenge); zu != std::string_view::npos;
       zu = anfuehrung(zu + laenge)) {
    if (!typo && zeile[zu - 1] == '\\') continue;  // an escaped quote
    const size_t klammer = blanks(zu + laenge);
    if (klammer == zeile.size() || zeile[klammer] != ']') continue;
    const size_t weiter = blanks(klammer + 1);
    if (weiter == zeile.size()) break;
    if ((zeile[weiter] >= '0' && zeile[weiter] <= '9') || tagpaarAnfang(weiter)) return klammer + 1;
  }
  return zeile.size();
}

std::string TagWertSchreiben(std::string_view wert) {
  std::string s;
  s.reserve(wert.size());
  for (const char c : wert) {
    if (c == '"' || c == '\\') s += '\\';
    s += c;
  }
  return s;
}

int32_t TagZahl(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negativ = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negativ = text[i] == '-';
    ++i;
  }
  int basis = 10;
  if (i < text.size() && text[i] == '$') {
    basis = 16;
    ++i;
  }
  if (i >= text.size()) return 0;
  int64_t wert = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int ziffer;
    if (c >= '0' && c <= '9') {
      ziffer = c - '0';
    } else if (basis == 16 && c >= 'a' && c <= 'f') {
      ziffer = c - 'a' + 10;
    } else if (basis == 16 && c >= 'A' && c <= 'F') {
      ziffer = c - 'A' + 10;
    } else {
      return 0;
    }
    wert = wert * basis + ziffer;
    if (wert > int64_t{INT32_MAX} + 1) return 0;
  }
  if (negativ) wert = -wert;
  if (wert > INT32_MAX || wert < INT32_MIN) return 0;
  return static_cast<int32_t>(wert);
}

namespace {

// Whether a tag name ends at `i`: at a blank or a quote, also a typographic one.
bool NamenEnde(std::string_view zeile, size_t i) {
  const char c = zeile[i];
  return static_cast<unsigned char>(c) <= ' ' || c == '"' || TypoAnfuehrung(zeile, i) != 0;
}

}  // namespace

bool BeginntMit(std::string_view zeile, std::string_view praefix) {
  if (zeile.size() < praefix.size()) return false;
  for (size_t i = 0; i < praefix.size(); ++i) {
    char c = zeile[i];
    if (praefix[i] == ' ') {
      if (!NamenEnde(zeile, i)) return false;
      continue;
    }
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != praefix[i]) return false;
  }
  return true;
}

namespace {

std::string OhneFragezeichen(std::string wert) {
  return wert == "?" ? std::string() : wert;
}

int32_t Teilzahl(const std::string& wert, size_t von, size_t laenge) {
  if (von >= wert.size()) return 0;
  return TagZahl(std::string_view(wert).substr(von, laenge));
}

// Where a date begins: blanks before it are passed over.
size_t DatumAnfang(std::string_view wert) {
  return std::min(wert.find_first_not_of(' '), wert.size());
}

void DatumLesen(const std::string& wert, int32_t& jahr, int32_t& monat, int32_t& tag) {
  // A part with a sign ("-1") is as unknown as "??".
  const size_t a = DatumAnfang(wert);
  jahr = JahrAusDatum(wert);
  monat = std::max(0, Teilzahl(wert, a + 5, 2));
  tag = std::max(0, Teilzahl(wert, a + 8, 2));
}

}  // namespace

int32_t JahrAusDatum(std::string_view wert) {
  return std::max(0, TagZahl(wert.substr(DatumAnfang(wert), 4)));
}

namespace {

// The tags read into fields of their own; the others are kept as lines.
enum class TBekannt {
  Andere,
  Event,
  Site,
  White,
  Black,
  Annotator,
  Result,
  WhiteElo,
  BlackElo,
  PlyCount,
  Date,
  Round,
  ECO,
  FEN,
  MetaKeywords,
  MetaDescription,
  SetUp,
  EventDate
};

// The known tag of `zeile`: its name, in any case, up to the first blank or
// quote, as BeginntMit(zeile, "[NAME ") takes it, found in one pass over the
// name instead of one comparison per tag.
TBekannt BekannterTag(std::string_view zeile) {
  if (zeile.empty() || zeile[0] != '[') return TBekannt::Andere;
  char name[16];
  size_t laenge = 0;
  for (size_t i = 1;; ++i) {
    if (i >= zeile.size()) return TBekannt::Andere;
    if (NamenEnde(zeile, i)) break;
    char c = zeile[i];
    if (laenge == sizeof name) return TBekannt::Andere;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    name[laenge++] = c;
  }
  static constexpr std::pair<std::string_view, TBekannt> namen[] = {
      {"EVENT", TBekannt::Event},
      {"SITE", TBekannt::Site},
      {"WHITE", TBekannt::White},
      {"BLACK", TBekannt::Black},
      {"ANNOTATOR", TBekannt::Annotator},
      {"RESULT", TBekannt::Result},
      {"WHITEELO", TBekannt::WhiteElo},
      {"BLACKELO", TBekannt::BlackElo},
      {"PLYCOUNT", TBekannt::PlyCount},
      {"DATE", TBekannt::Date},
      {"ROUND", TBekannt::Round},
      {"ECO", TBekannt::ECO},
      {"FEN", TBekannt::FEN},
      {"METAKEYWORDS", TBekannt::MetaKeywords},
      {"METADESCRIPTION", TBekannt::MetaDescription},
      {"SETUP", TBekannt::SetUp},
      {"EVENTDATE", TBekannt::EventDate}};
  for (const auto& [n, tag] : namen)
    if (n == std::string_view(name, laenge)) return tag;
  return TBekannt::Andere;
}

}  // namespace

void TagZeileLesen(TEventData& kopf, std::string_view zeile) {
  const TBekannt tag = BekannterTag(zeile);
  if (tag == TBekannt::Andere) {
    if (kopf.OtherTags) kopf.OtherTags->emplace_back(zeile);
    return;
  }
  const std::string wert = TagWert(zeile);
  using enum TBekannt;
  if (tag == Event) {
    kopf.Event = OhneFragezeichen(wert);
  } else if (tag == Site) {
    kopf.Site = OhneFragezeichen(wert);
  } else if (tag == White) {
    kopf.White = OhneFragezeichen(wert);
  } else if (tag == Black) {
    kopf.Black = OhneFragezeichen(wert);
  } else if (tag == Annotator) {
    kopf.Annotator = wert;
  } else if (tag == Result) {
    kopf.Result = wert;
  } else if (tag == WhiteElo) {
    kopf.WhiteElo = TagZahl(wert);
  } else if (tag == BlackElo) {
    kopf.BlackElo = TagZahl(wert);
  } else if (tag == PlyCount) {
    // A negative count is as unknown as a missing one.
    const int32_t p = TagZahl(wert);
    kopf.MoveCount = p <= 0 ? 0 : p / 2 + 1;
    if (kopf.OtherTags) kopf.OtherTags->emplace_back(zeile);  // written back as read
  } else if (tag == Date) {
    DatumLesen(wert, kopf.Year, kopf.Month, kopf.Day);
  } else if (tag == Round) {
    kopf.Round = TagZahl(wert);
    kopf.RoundText = wert;
  } else if (tag == ECO) {
    kopf.ECO = wert;
  } else if (tag == FEN) {
    kopf.FEN = wert;
  } else if (tag == MetaKeywords) {
    kopf.MetaKeywords += wert;
  } else if (tag == MetaDescription) {
    kopf.MetaDescription += wert;
  } else if (tag == EventDate) {
    DatumLesen(wert, kopf.EventYear, kopf.EventMonth, kopf.EventDay);
  }  // SetUp is written back from the start position.
}

namespace {

// A Variant value as it is compared: lower case, without blanks and dashes.
std::string VariantenName(std::string_view wert) {
  std::string klein;
  for (const char c : wert) {
    if (c != ' ' && c != '-')
      klein += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return klein;
}

}  // namespace

bool IstFischerVariante(std::string_view wert) {
  const std::string klein = VariantenName(wert);
  return klein == "chess960" || klein == "fischerandom" || klein == "fischerrandom" ||
         klein == "960" || klein == "fischerrandomchess";
}

bool IstAtomVariante(std::string_view wert) {
  const std::string klein = VariantenName(wert);
  return klein == "atomic" || klein == "atomicchess";
}

}  // namespace brevaro
