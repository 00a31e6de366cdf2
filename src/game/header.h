// The header of one game: the PGN tag pairs of its tag section reduced to a
// fixed record, its defaults, and reading one tag line into it.
// Invariant: a record is either all defaults or filled from tag lines in order.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/position.h"

namespace brevaro {

// Lines of tags not recognised by TagZeileLesen. Not owned by the record.
using TTagListe = std::vector<std::string>;

struct TEventData {
  std::string White = "N.N.";
  std::string Black = "N.N.";
  std::string Event;
  std::string Annotator;
  std::string Site;
  std::string Result = "*";
  std::string ECO;
  int32_t Year = 0;  // 0 = unknown, as in every number field
  int32_t Month = 0;
  int32_t Day = 0;
  int32_t Round = 0;
  std::string RoundText;  // the Round value as written ("1.2"); empty when none
  int32_t WhiteElo = 0;
  int32_t BlackElo = 0;
  int32_t MoveCount = 0;  // from PlyCount: 0, or plies div 2 + 1
  int32_t EventYear = 0;
  int32_t EventMonth = 0;
  int32_t EventDay = 0;
  std::string FEN;  // empty: standard initial position
  std::string MetaDescription;
  std::string MetaKeywords;
  // Attached by the record's owner, who frees it; without it unrecognised
  // tag lines are dropped. KopfdatenLoeschen empties it but keeps it attached.
  TTagListe* OtherTags = nullptr;
};

// The game data of the notation: the header plus the start of the game.
struct TPartiedaten {
  TEventData Kopf;
  TSchachbrett StartBrett = GrundstellungBrett;
  TZug StartZug = GrundstellungZug();
  uint16_t StartZugNummer = 1;
  std::string Vorkommentar;  // comment standing before the first move
};

// Sets every field to its default; an attached OtherTags list is emptied.
void KopfdatenLoeschen(TEventData& kopf);

// The value of a tag line as written: from its first double quote to the last
// one before the closing "]" (or to the end of the line), escapes kept; in a
// line without a double quote the same between typographic ones.
std::string_view TagWertRoh(std::string_view zeile);
// The same value with \" and \\ read as " and \.
std::string TagWert(std::string_view zeile);

// Whether `zeile` begins with `praefix` (upper case, as "[WHITE "), letters
// compared without case. A blank in `praefix` stands for any blank or a
// double quote (also a typographic one), so that "[White\t\"A\"]" and
// "[White\"A\"]" are White tags as they are tag lines to the file index.
bool BeginntMit(std::string_view zeile, std::string_view praefix);

// A value as a tag line holds it: " and \ escaped with a backslash.
std::string TagWertSchreiben(std::string_view wert);

// The length of the start of `text` of at most `hoechstens` bytes that does
// not end inside a UTF-8 character: a cut before continuation bytes (10xxxxxx)
// moves back to their lead byte, at most three bytes back. Without such a lead
// byte (Windows-1252 text) the cut stays. A piece of a UTF-8 text cut inside a
// character would no longer be UTF-8.
constexpr size_t Utf8Schnitt(std::string_view text, size_t hoechstens) {
  if (hoechstens >= text.size()) return text.size();
  const auto folge = [&](size_t i) { return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80; };
  size_t i = hoechstens;
  while (i + 3 > hoechstens && i > 0 && folge(i)) --i;
  return static_cast<unsigned char>(text[i]) >= 0xC0 ? i : hoechstens;
}

// Whether `c` may stand in a tag name: ASCII letters, digits and "_".
constexpr bool IstTagNamenZeichen(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The length of a typographic double quote at `i` ("\u201C", "\u201D" or
// "\u201E" in UTF-8, as word processors and web pages turn the quotes of a
// tag value), 0 for none. Such a quote stands for a double quote around a tag
// value where the line holds no double quote.
constexpr size_t TypoAnfuehrung(std::string_view s, size_t i) {
  return i < s.size() && s.size() - i >= 3 && s[i] == '\xE2' && s[i + 1] == '\x80' &&
                 (s[i + 2] == '\x9C' || s[i + 2] == '\x9D' || s[i + 2] == '\x9E')
             ? 3
             : 0;
}

// Reads one trimmed tag line into `kopf`; never fails.
void TagZeileLesen(TEventData& kopf, std::string_view zeile);

// A tag line may hold further tag pairs after its first one
// ("[Event "a"] [Site "b"]"), and movetext may follow its last one
// ("[Result "*"] 1. e4 *"). The length of the first tag pair of the trimmed
// tag line `zeile`, to its closing quote and "]", when what follows it (after
// blanks) begins with "[", a tag name, blanks and a quote, or with a digit;
// the whole line otherwise.
size_t ErstesTagpaarSuchen(std::string_view zeile);
inline size_t ErstesTagpaar(std::string_view zeile) {
  // Mostly a line of one tag pair: no "]" before its last byte.
  if (zeile.size() < 2 || !std::memchr(zeile.data(), ']', zeile.size() - 1)) return zeile.size();
  return ErstesTagpaarSuchen(zeile);
}

// Hands each tag pair of the trimmed tag line `zeile` to `f` (see
// ErstesTagpaar) and returns the movetext after the last one, empty when
// there is none.
template <class F>
[[gnu::noinline]] std::string_view WeitereTagpaare(std::string_view zeile, size_t n, F& f) {
  for (;;) {
    f(zeile.substr(0, n));
    if (n == zeile.size()) return {};
    zeile.remove_prefix(n);
    while (zeile.front() == ' ' || zeile.front() == '\t') zeile.remove_prefix(1);
    if (zeile.front() >= '0' && zeile.front() <= '9') return zeile;
    n = ErstesTagpaar(zeile);
  }
}
template <class F>
std::string_view TagpaareLesen(std::string_view zeile, F&& f) {
  const size_t n = ErstesTagpaar(zeile);
  if (n == zeile.size()) {
    f(zeile);  // the usual line of one pair
    return {};
  }
  return WeitereTagpaare(zeile, n, f);
}

// Whether a Variant tag value names Fischer Random Chess ("Chess960",
// "Fischer Random", "960", ...), compared without regard to case, blanks and
// dashes.
bool IstFischerVariante(std::string_view wert);

// Whether a Variant tag value names atomic chess ("Atomic"), compared the same way.
// Its captures remove more than the piece taken, which these rules cannot show.
bool IstAtomVariante(std::string_view wert);

// The year of a Date value ("2023.05.12", " 2023"), 0 when unknown.
int32_t JahrAusDatum(std::string_view wert);

// A decimal integer (leading blanks, optional sign, "$" for hexadecimal) that
// makes up the whole text and fits 32 bits; otherwise 0.
int32_t TagZahl(std::string_view text);

}  // namespace brevaro
