// Reading a game's PGN text into the model. Priorities, in order: safe on any
// bytes (no crash, no unbounded recursion, time linear in the input), then
// forgiving (unknown text between moves is skipped), then fast.
#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <exception>
#include <functional>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "game/move_text.h"
#include "game/notation_model.h"
#include "game/tree_edit.h"

namespace brevaro {

namespace {

bool IstBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Getrimmt(std::string_view s) {
  size_t a = 0, e = s.size();
  while (a < e && IstBlank(s[a])) ++a;
  while (e > a && IstBlank(s[e - 1])) --e;
  return s.substr(a, e - a);
}

// The next line of `text` from `pos`; lines are separated by CR LF, LF or a
// lone CR. False at the end of the text (a final line end starts no line).
bool NaechsteZeile(std::string_view text, size_t& pos, std::string_view& zeile) {
  if (pos >= text.size()) return false;
  // The next LF, or an earlier CR.
  const char* const anfang = text.data() + pos;
  const size_t rest = text.size() - pos;
  const void* lf = std::memchr(anfang, '\n', rest);
  const size_t bisLf = lf ? static_cast<size_t>(static_cast<const char*>(lf) - anfang) : rest;
  const void* cr = std::memchr(anfang, '\r', bisLf);
  const size_t ende =
      pos + (cr ? static_cast<size_t>(static_cast<const char*>(cr) - anfang) : bisLf);
  if (ende == text.size()) {
    zeile = text.substr(pos);
    pos = text.size();
    return true;
  }
  zeile = text.substr(pos, ende - pos);
  pos = ende + 1;
  if (text[ende] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
  return true;
}

// In the joined lines from `anfang` on, where `zeilenende(j)` is the blank
// that ended the line of position j: outside brace comments a ";" comment (to
// the end of its line) becomes a brace comment, and with `prozent` a line that
// begins with "%" is blanked out, in place.
template <typename TZeilenende>
void SonderzeilenLesen(std::string& ziel, size_t anfang, TZeilenende zeilenende, bool prozent) {
  auto semikolon = [&](size_t j, size_t e) {
    ziel[j] = '{';
    for (size_t k = j + 1; k < e; ++k)
      if (ziel[k] == '}') ziel[k] = ' ';  // it would end the comment early
    ziel[e] = '}';
  };
  if (!prozent) {
    // Only ";": from brace comment to brace comment, by memchr.
    const char* const d = ziel.data();
    const size_t n = ziel.size();
    auto suche = [&](char c, size_t ab) {
      const void* f = std::memchr(d + ab, c, n - ab);
      return f ? static_cast<size_t>(static_cast<const char*>(f) - d) : n;
    };
    size_t auf = suche('{', anfang);
    size_t semi = suche(';', anfang);
    size_t j = anfang;
    while (semi < n) {
      if (auf < semi) {
        const size_t zu = suche('}', auf);
        if (zu == n) return;
        j = zu + 1;
        auf = suche('{', j);
        if (semi < j) semi = suche(';', j);
        continue;
      }
      const size_t e = zeilenende(semi);
      semikolon(semi, e);
      j = e + 1;
      if (auf < j) auf = suche('{', j);
      semi = suche(';', j);
    }
    return;
  }
  bool imKommentar = false;  // a brace comment runs on from an earlier line
  for (size_t a = anfang; a < ziel.size();) {
    const size_t e = zeilenende(a);
    if (!imKommentar && a < e && ziel[a] == '%') {
      std::fill(ziel.begin() + static_cast<std::ptrdiff_t>(a),
                ziel.begin() + static_cast<std::ptrdiff_t>(e), ' ');
    } else {
      for (size_t j = a; j < e; ++j) {
        const char c = ziel[j];
        if (imKommentar) {
          imKommentar = c != '}';
        } else if (c == '{') {
          imKommentar = true;
        } else if (c == ';') {
          semikolon(j, e);
          break;
        }
      }
    }
    a = e + 1;
  }
}

// Appends every line of `text` followed by one blank: each line end (CR LF,
// LF or CR) becomes a blank, and a last line without one gets one. Then ";"
// comments and "%" lines are read (SonderzeilenLesen).
void ZeilenVerbinden(std::string_view text, std::string& ziel) {
  if (text.empty()) return;
  const size_t anfang = ziel.size();
  // A "%" at the start of a line; "%" inside comments ("[%clk 0:03:00]") is common.
  bool prozent = text[0] == '%';
  if (!std::memchr(text.data(), '\r', text.size())) {
    // LF only, the usual case: each LF becomes the blank, in one copy.
    ziel += text;
    char* const ende = ziel.data() + ziel.size();
    for (char* lf = ziel.data() + anfang;
         (lf = static_cast<char*>(std::memchr(lf, '\n', static_cast<size_t>(ende - lf))));) {
      *lf++ = ' ';
      prozent = prozent || (lf != ende && *lf == '%');
    }
    if (text.back() != '\n') ziel += ' ';
    if (!prozent && !std::memchr(text.data(), ';', text.size())) return;
    // Each character of the text kept its place.
    const size_t letztes = ziel.size() - 1;
    SonderzeilenLesen(
        ziel, anfang,
        [&](size_t j) {
          const size_t lf = text.find('\n', j - anfang);
          return lf == std::string_view::npos ? letztes : anfang + lf;
        },
        prozent);
    return;
  }
  std::vector<size_t> enden;
  size_t pos = 0;
  std::string_view zeile;
  while (NaechsteZeile(text, pos, zeile)) {
    prozent = prozent || zeile.starts_with('%');
    ziel += zeile;
    enden.push_back(ziel.size());
    ziel += ' ';
  }
  if (!prozent && !std::memchr(text.data(), ';', text.size())) return;
  SonderzeilenLesen(
      ziel, anfang, [&](size_t j) { return *std::lower_bound(enden.begin(), enden.end(), j); },
      prozent);
}

// Whether a trimmed line is a tag line: "[", a tag name of letters, digits
// and "_", blanks and a quoted value ("[%clk 0:03:00]" is none).
constexpr auto TagNamenZeichen = [] {
  std::array<bool, 256> t{};
  for (int c = 0; c < 256; ++c)
    t[static_cast<size_t>(c)] = IstTagNamenZeichen(static_cast<char>(c));
  return t;
}();

bool IstTagZeile(std::string_view z) {
  if (z.size() < 4 || z[0] != '[') return false;
  size_t i = 1;
  while (i < z.size() && TagNamenZeichen[static_cast<unsigned char>(z[i])]) ++i;
  if (i == 1) return false;
  while (i < z.size() && (z[i] == ' ' || z[i] == '\t')) ++i;
  return i < z.size() && (z[i] == '"' || TypoAnfuehrung(z, i) != 0);
}

constexpr bool IstLinie(char c) {
  return c >= 'a' && c <= 'h';
}
constexpr bool IstReihe(char c) {
  return c >= '1' && c <= '8';
}
constexpr bool IstGross(char c) {
  return c >= 'A' && c <= 'Z';
}
constexpr bool IstKlein(char c) {
  return c >= 'a' && c <= 'z';
}
constexpr bool IstBuchstabe(char c) {
  return IstGross(c) || IstKlein(c);
}

// Characters at which no check of the main loop applies: move numbers, dots
// and blanks, but not "0", which may start the null move "0000". "0-0" and the
// results "1-0", "0-1", "1/2-1/2" are recognised at their "-" or "/".
constexpr auto Neutral = [] {
  std::array<bool, 256> neutral{};
  for (int c = 0; c < 256; ++c) {
    const char z = static_cast<char>(c);
    neutral[static_cast<size_t>(c)] =
        !IstBuchstabe(z) && std::string_view("{}$()*-+/=!?0").find(z) == std::string_view::npos &&
        c != 0xC2 && c != 0xE2 && c != 0xB1;
  }
  return neutral;
}();

// Characters that end a move token: blanks, brackets, braces, "*", and the
// annotation and NAG that may be glued to a move ("e4!", "e4$1", "e4(").
// Text copied from web pages has no-break spaces between its moves: the byte
// 0xA0 in Windows-1252, "\xC2\xA0" in UTF-8 (see TokenEndeBei).
constexpr auto TokenEnde = [] {
  std::array<bool, 256> ende{};
  for (int c = 0; c <= ' '; ++c) ende[static_cast<size_t>(c)] = true;
  for (const char c : std::string_view("(){}*!?$\xA0")) ende[static_cast<unsigned char>(c)] = true;
  return ende;
}();

// Whether a move token ends before position `i` of `t`: at its end, or at a
// character of TokenEnde or the UTF-8 no-break space.
bool TokenEndeBei(std::string_view t, size_t i) {
  return i >= t.size() || TokenEnde[static_cast<unsigned char>(t[i])] ||
         (t[i] == '\xC2' && i + 1 < t.size() && t[i + 1] == '\xA0');
}

// Characters that end a NAG: blanks, brackets, braces and the next NAG's "$".
constexpr auto NagEnde = [] {
  std::array<bool, 256> ende{};
  for (int c = 0; c <= ' '; ++c) ende[static_cast<size_t>(c)] = true;
  for (const char c : std::string_view("(){}$")) ende[static_cast<unsigned char>(c)] = true;
  return ende;
}();

// Length of the result token at `p` ("1-0", "0-1", "1/2-1/2", "½-½", "*"),
// 0 when there is none.
size_t ErgebnisLaenge(std::string_view t, size_t p) {
  auto ist = [&](std::string_view e) {
    return t.size() - p >= e.size() && std::memcmp(t.data() + p, e.data(), e.size()) == 0 &&
           TokenEndeBei(t, p + e.size());
  };
  switch (t[p]) {
    case '*':
      return 1;
    case '1':
      if (p + 1 < t.size() && t[p + 1] == '-') return ist("1-0") ? 3 : 0;
      if (p + 1 < t.size() && t[p + 1] == '/') return ist("1/2-1/2") ? 7 : 0;
      return ist("1–0") ? 5 : 0;  // typeset with an en dash
    case '0':
      if (p + 1 < t.size() && t[p + 1] == '-') return ist("0-1") ? 3 : 0;
      return ist("0–1") ? 5 : 0;
    case '\xC2':
      return ist("\xC2\xBD-\xC2\xBD") ? 5 : ist("½–½") ? 7 : 0;
    default:
      return 0;
  }
}

// Whether the "0" at `p` begins "0000", the null move as engines write it,
// and not a move number or a result.
bool NullenZug(std::string_view t, size_t p) {
  return t.size() - p >= 4 && t.compare(p, 4, "0000") == 0 &&
         (p == 0 || t[p - 1] < '0' || t[p - 1] > '9') && TokenEndeBei(t, p + 4);
}

// The text without a result token at its end (and the blanks before it).
std::string_view OhneErgebnis(std::string_view rest) {
  for (const std::string_view e :
       {std::string_view("1-0"), std::string_view("0-1"), std::string_view("1/2-1/2"),
        std::string_view("\xC2\xBD-\xC2\xBD"), std::string_view("1–0"), std::string_view("0–1"),
        std::string_view("½–½"), std::string_view("*")}) {
    if (rest.ends_with(e) &&
        (rest.size() == e.size() || IstBlank(rest[rest.size() - e.size() - 1])))
      return Getrimmt(rest.substr(0, rest.size() - e.size()));
  }
  return rest;
}

// Whether the bytes before position p > 0 end with an ASCII character or a
// whole UTF-8 sequence: a lead byte and as many continuation bytes as it asks.
bool FolgeEndetVor(std::string_view t, size_t p) {
  const auto b = [&](size_t i) { return static_cast<unsigned char>(t[i]); };
  if (b(p - 1) < 0x80) return true;
  size_t fortsetzungen = 0;  // continuation bytes (10xxxxxx) right before p
  while (fortsetzungen < 3 && fortsetzungen < p && (b(p - 1 - fortsetzungen) & 0xC0) == 0x80)
    ++fortsetzungen;
  if (fortsetzungen == p) return false;
  const unsigned char kopf = b(p - 1 - fortsetzungen);
  const size_t verlangt = (kopf & 0xE0) == 0xC0   ? 1
                          : (kopf & 0xF0) == 0xE0 ? 2
                          : (kopf & 0xF8) == 0xF0 ? 3
                                                  : 9;
  return fortsetzungen == verlangt;
}

// Length of the evaluation glyph in UTF-8 at `p` ("±", "∓", "⩲", "⩱", "∞"),
// or of "±" as the single Windows-1252 byte; 0 for none.
size_t Utf8Glyph(std::string_view t, size_t p) {
  for (const std::string_view g :
       {std::string_view("\xC2\xB1"), std::string_view("\xE2\x88\x93"),
        std::string_view("\xE2\xA9\xB2"), std::string_view("\xE2\xA9\xB1"),
        std::string_view("\xE2\x88\x9E")}) {
    if (t.size() - p >= g.size() && std::memcmp(t.data() + p, g.data(), g.size()) == 0)
      return g.size();
  }
  // A byte 0xB1 ("±" in Windows-1252) standing alone: it cannot continue a
  // UTF-8 sequence (the byte before it is ASCII, or ends a whole one, such as
  // another glyph), and no other such byte follows it. So it reads the same
  // after a blank, as the writer may put it.
  if (static_cast<unsigned char>(t[p]) == 0xB1 && (p == 0 || FolgeEndetVor(t, p)) &&
      (p + 1 == t.size() || static_cast<unsigned char>(t[p + 1]) < 0x80))
    return 1;
  return 0;
}

// A UTF-8 character of typeset moves inside a move token at `p`, and its
// length: a figurine for its letter, "×" for "x", an en dash for "-"
// ("B×c6", "O–O", "e2–e4"). {0, 0} for any other.
std::pair<char, size_t> TypoZeichen(std::string_view t, size_t p) {
  if (const char figur = FigurinenBuchstabe(t, p); figur != 0) return {figur, 3};
  if (t.substr(p, 2) == "\xC3\x97") return {'x', 2};
  if (t.substr(p, 3) == "\xE2\x80\x93") return {'-', 3};
  return {'\0', 0};
}

// The position NAG of an evaluation glyph written as text; 0 for none.
int GlyphNag(std::string_view g) {
  static constexpr std::pair<std::string_view, int> glyphen[] = {
      {"+-", 18},           {"-+", 19},           {"+/-", 16}, {"\xC2\xB1", 16},     {"\xB1", 16},
      {"-/+", 17},          {"\xE2\x88\x93", 17}, {"+/=", 14}, {"\xE2\xA9\xB2", 14}, {"=/+", 15},
      {"\xE2\xA9\xB1", 15}, {"\xE2\x88\x9E", 13}, {"=", 11},   {"+=", 14},           {"=+", 15}};
  for (const auto& [text, nag] : glyphen)
    if (g == text) return nag;
  return 0;
}

// Length of a token without the annotation characters at its end.
size_t OhneAnmerkung(const std::string& token) {
  size_t n = token.size();
  while (n > 0 && (token[n - 1] == '!' || token[n - 1] == '?')) --n;
  return n;
}

// Long algebraic forms to short ones: "e2-e4" -> "e4", "e4xd5" -> "exd5",
// "Ng1-f3" -> "Ng1f3"; castling stays. ":" takes as "x" does ("e4:d5").
// One pass in place: the first `n` characters are the text already kept.
void Normalisieren(std::string& t) {
  size_t n = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    const char c = t[i] == ':' ? 'x' : t[i];
    if (c != 'x' && c != '-') {
      t[n++] = c;
      continue;
    }
    bool geloescht = false;
    if (n >= 2 && IstLinie(t[n - 2]) && IstReihe(t[n - 1]) && (n == 2 || !IstGross(t[n - 3]))) {
      --n;
      geloescht = true;
    }
    if (c == '-' && n > 0 && t[n - 1] != 'O' && t[n - 1] != 'o' && t[n - 1] != '0') {
      if (geloescht) --n;
      continue;
    }
    t[n++] = c;
  }
  t.resize(n);
}

// The square part of a token, lower-cased: "Nbd7" -> "bd7", "R1a3" -> "1a3",
// "exd5" -> "ed5", "e8Q" -> "e8", "e4!" -> "e4".
void Feldteil(const std::string& t, std::string& teil) {
  teil.resize(t.size());  // never longer than the token
  size_t n = 0;
  size_t i = (!t.empty() && IstGross(t[0])) ? 1 : 0;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (c != 'x' && c != ':') teil[n++] = IstGross(c) ? static_cast<char>(c - 'A' + 'a') : c;
    if (c >= '1' && c <= '9' && !(i > 0 && IstGross(t[i - 1])) &&
        !(i + 1 < t.size() && IstKlein(t[i + 1]))) {
      break;
    }
  }
  teil.resize(n);
}

// The common short forms of a move: "e4", "exd5", "Nf3" and "Nxd5" (any piece
// letter but "P"), each with at most one "+" or "#" after it, read without
// the general steps. They give what those steps give: the piece kind, the
// square part ("e4", "ed5", or "d5" for a piece) and the marks.
struct TKurzform {
  int Art = 0;
  char Feldteil[3] = {};
  size_t FeldteilLaenge = 0;
  uint8_t Zeichen = 0;
  size_t Ende = 0;  // position of the token's last character
};

bool KurzformLesen(std::string_view t, size_t p, TKurzform& k) {
  const size_t n = t.size();
  auto zeichen = [&](size_t i) { return i < n ? t[i] : '\0'; };
  size_t i = p;
  const char erstes = t[i];
  if (IstLinie(erstes)) {
    k.Art = Bauer;
  } else {
    k.Art = FigurAusBuchstabe(erstes);
    if (k.Art == 0 || k.Art == Bauer) return false;
  }
  ++i;
  if (k.Art == Bauer && IstReihe(zeichen(i))) {
    k.Feldteil[0] = erstes;  // "e4"
    k.Feldteil[1] = t[i];
    k.FeldteilLaenge = 2;
  } else {
    if (zeichen(i) == 'x')
      ++i;
    else if (k.Art == Bauer)
      return false;
    if (!IstLinie(zeichen(i)) || !IstReihe(zeichen(i + 1))) return false;
    size_t f = 0;
    if (k.Art == Bauer) k.Feldteil[f++] = erstes;  // "exd5" -> "ed5"
    k.Feldteil[f++] = t[i];
    k.Feldteil[f++] = t[i + 1];
    k.FeldteilLaenge = f;
    ++i;
  }
  ++i;  // past the rank
  if (zeichen(i) == '+' || zeichen(i) == '#') {
    k.Zeichen = zeichen(i) == '+' ? Schach : Matt;
    ++i;
  }
  // The token must end here, as the general steps see it.
  if (!TokenEndeBei(t, i)) return false;
  k.Ende = i - 1;
  return true;
}

uint8_t FeldAusName(char linie, char reihe) {
  return static_cast<uint8_t>(21 + (linie - 'a') + 10 * (reihe - '1'));
}

// What a NAG sets. `nag` is the number as read; the caller passes 0 for digit
// strings that no table entry reads alike ("$01", more than three digits).
// A NAG goes into the move's field for its kind while that is empty; the
// others are kept in the node's further NAGs, once each, so that none is lost.
void NagAnwenden(TBaum* knoten, int nag) {
  if (!knoten || nag <= 0 || nag > 255) return;
  TZug& zug = knoten->Zug;
  auto weitere = [&] {
    if (knoten->WeitereNags.str().find(static_cast<char>(nag)) == std::string::npos)
      knoten->WeitereNags.push_back(static_cast<char>(nag));
  };
  // "!" 1, "!!" 2, "?" 3, "??" 4, "!?" 5, "?!" 6.
  static constexpr uint8_t zugbewertungen[] = {0, 1, 3, 2, 4, 5, 6};
  if (nag <= 6) {
    const uint8_t wert = zugbewertungen[nag];
    if (zug.Zugbewertung == 0) {
      zug.Zugbewertung = wert;
    } else if (zug.Zugbewertung != wert) {
      weitere();
    }
    return;
  }
  // "Drawish", the number other programs write for "=", shows as "=".
  const uint16_t wert = nag == 10 ? 11 : static_cast<uint16_t>(nag);
  if (BewertungsZeichen(wert) == 0) {
    weitere();
  } else if (zug.Stellungsbewertung == 0) {
    zug.Stellungsbewertung = wert;
  } else if (zug.Stellungsbewertung != wert) {
    weitere();
  }
}

// Whether the game's Variant tag names Fischer Random Chess.
// The end of the variation whose "(" is at `p`: the position after its ")",
// found as a reading error finds it (comments passed over). 0 when it has no
// end or holds an unclosed comment.
size_t VarianteEnde(std::string_view t, size_t p) {
  int tiefe = 0;
  for (size_t i = p; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '{') {
      i = t.find('}', i);
      if (i == std::string_view::npos) return 0;
    } else if (c == '(') {
      ++tiefe;
    } else if (c == ')') {
      if (--tiefe == 0) return i + 1;
    }
  }
  return 0;
}

// The value of the game's first Variant tag, empty when it has none.
std::string VariantenWert(const TEventData& kopf) {
  if (!kopf.OtherTags) return {};
  for (const std::string& zeile : *kopf.OtherTags) {
    if (BeginntMit(zeile, "[VARIANT ")) return TagWert(zeile);
  }
  return {};
}

}  // namespace

// ---------------------------------------------------------------------------
// Loading a game

int32_t TNotationModell::LadePartie(std::string_view text, TLadeart art) {
  // A game's text ends at its first zero byte, as a file's game does.
  text = text.substr(0, text.find('\0'));
  const bool mitText = art == TLadeart::MitNotationstext;
  auto handler = std::move(OnMoveChange);
  OnMoveChange = nullptr;
  // The empty game's layout is replaced below; it is kept in the normal load
  // for an owner that paints while an event of the load is raised.
  if (mitText) {
    Zuruecksetzen();
  } else {
    BaumZuruecksetzen();
  }
  OnMoveChange = std::move(handler);
  OhneNotation_ = !mitText;
  Lesefehler = false;

  int32_t ergebnis = 0;
  try {
    // The tag section starts at the first tag line; empty lines and "%"
    // lines may stand between its tag lines. The movetext starts at the
    // first other line; a text without any tag line is all movetext.
    size_t pos = 0;
    size_t anfang = 0;  // of the line being looked at
    std::string_view zeile;
    bool mitTags = false;
    while (true) {
      anfang = pos;
      if (!NaechsteZeile(text, pos, zeile)) break;
      const std::string_view z = Getrimmt(zeile);
      if (IstTagZeile(z)) {
        mitTags = true;
        // Movetext after the line's tag pairs starts the movetext.
        const std::string_view zugtext =
            TagpaareLesen(z, [&](std::string_view paar) { TagZeileLesen(Partiedaten.Kopf, paar); });
        if (!zugtext.empty()) {
          anfang = static_cast<size_t>(zugtext.data() - text.data());
          break;
        }
      } else if (mitTags && !z.empty() && z[0] != '%') {
        break;
      }
    }
    if (!mitTags) anfang = 0;
    Notationstext.clear();
    if (anfang < text.size()) ZeilenVerbinden(text.substr(anfang), Notationstext);
    TFischerInfo fischer;
    fischer.Fischer = 0;
    if (!Partiedaten.Kopf.FEN.empty()) {
      if (!FENToStellung(Partiedaten.Kopf.FEN, Partiedaten.StartBrett, Partiedaten.StartZug,
                         Partiedaten.StartZugNummer, &fischer)) {
        // An unreadable FEN leaves the standard start whole, not half overwritten.
        Partiedaten.StartZug = GrundstellungZug();
        Partiedaten.StartZugNummer = 1;
        fischer = TFischerInfo{};
      }
      if (Partiedaten.StartZugNummer == 0) Partiedaten.StartZugNummer = 1;
    }
    const std::string variante = VariantenWert(Partiedaten.Kopf);
    if (fischer.Fischer == KeinFischer && IstFischerVariante(variante))
      FischerInfoSetzen(Partiedaten.StartBrett, Partiedaten.StartZug, fischer, FischerXFEN);
    AtomVariante_ = IstAtomVariante(variante);
    if (OnFischerInfo) OnFischerInfo(fischer);
    const std::string_view getrimmt = Getrimmt(Notationstext);
    Notationstext.erase(0, static_cast<size_t>(getrimmt.data() - Notationstext.data()));
    Notationstext.resize(getrimmt.size());
    if (!Notationstext.empty() && !ZuegeLesen()) {
      ergebnis = -1;
      if (OnError) OnError(std::string(English_ ? LesefehlerEnglisch : LesefehlerDeutsch));
      Lesefehler = true;
    }
  } catch (const std::exception&) {
    ergebnis = -1;  // out of memory: what was read stays, without a message
  }
  Aktuell = nullptr;
  AktuelleLinie = nullptr;
  OhneNotation_ = false;
  AtomVariante_ = false;
  if (mitText) {
    NotationAufbauen();
  } else {
    OhneNotationAbschliessen();
  }
  if (OnMoveChange) OnMoveChange(Partiedaten.StartZug, Partiedaten.StartBrett, false);
  return ergebnis;
}

bool TNotationModell::PGNEinfuegen(TTextAblage& ablage) {
  const std::optional<std::string> text = ablage.TextLesen();
  if (!text) return false;
  // Clipboard text is UTF-8: the cut does not split a character.
  LadePartie(std::string_view(*text).substr(0, Utf8Schnitt(*text, MaxEinfuegeLaenge)));
  return true;
}

// ---------------------------------------------------------------------------
// The movetext reader

bool TNotationModell::ZuegeLesen() {
  std::vector<TGesichert>& stapel = LeseStapel_;
  if (stapel.capacity() > 256) std::vector<TGesichert>().swap(stapel);
  stapel.clear();
  // Saved boards; "((" with no move between shares one, so a run of brackets
  // costs a few bytes each.
  std::vector<TSchachbrett>& bretter = LeseBretter_;
  Arbeitsspeicher(bretter);
  std::vector<TBelegung>& belegungen = LeseBelegungen_;
  Arbeitsspeicher(belegungen);
  bool neuesBrett = true;  // the board before the last move differs from bretter.back()
  // The last variation opened and its move: a further variation on the same
  // move is appended without walking the list again.
  TVariante* letzteZelle = nullptr;
  TBaum* letzteZelleAn = nullptr;
  LinieFreigeben(Wurzel);
  Wurzel = new TVariante;
  AktuelleLinie = Wurzel;
  Aktuell = nullptr;
  Arbeitsbrett() = Partiedaten.StartBrett;
  // The squares of Arbeitsbrett as sets, kept up to date for the rules.
  TBelegung belegt = Belegung(Arbeitsbrett());

  // A view: the text does not change while it is read, and the view keeps
  // its address in a register across the writes into the tree.
  const std::string_view t = Notationstext;
  const size_t n = t.size();

  // Leading part: the comments before the first thing that is not one.
  std::string gesammelt;
  size_t start = 0;
  while (start < n) {
    if (IstBlank(t[start])) {
      ++start;
    } else if (t[start] == '{') {
      const size_t zu = t.find('}', start);
      if (zu == std::string_view::npos) break;  // read (and failed) by the loop
      gesammelt += t.substr(start, zu - start + 1);
      start = zu + 1;
    } else {
      break;
    }
  }
  if (gesammelt.size() > 1) {
    if (gesammelt[1] == ' ') gesammelt.erase(1, 1);
    if (gesammelt.size() >= 2 && gesammelt[gesammelt.size() - 2] == ' ')
      gesammelt.erase(gesammelt.size() - 2, 1);
  }
  if (!gesammelt.empty()) Partiedaten.Vorkommentar = gesammelt + " ";

  AktuellerZug() = Partiedaten.StartZug;
  // The last move read is executed only when the next move needs the board.
  // Until then Arbeitsbrett shows the position before it, where a "(" that
  // replaces it branches off; so no board is copied per move.
  bool ausstehend = false;
  // The castling rights before the last move read. With them the last move's
  // record as it was before completion is rebuilt from its node, when a "("
  // needs it, instead of being copied for every move.
  uint8_t rechteVorher = AktuellerZug().Rochaderechte;
  // Likewise the en-passant square of the position before the last move read.
  uint8_t epVorher = AktuellerZug().EnPassant;
  auto zugVorher = [&] {
    TZug vorher = Aktuell->Zug;
    vorher.AmZug = static_cast<int8_t>(-vorher.AmZug);
    vorher.Rochaderechte = rechteVorher;
    vorher.Zugbewertung = 0;  // a NAG after the move marks the node only
    vorher.Stellungsbewertung = 0;
    return vorher;
  };
  bool gelesen = false;
  bool fehler = false;
  TZug& zug = AktuellerZug();
  std::string token;  // the move being read, and its square part
  std::string teil;

  // The en-passant square of the position before the move being read. Whether
  // its mover is in check is not kept: the rules test the king's square after
  // each move by the sets, which costs less than following the check state.
  uint8_t ep = 0;
  // The pieces on the board in the main line, while it is read for a search
  // with a minimum (see MindestFiguren); then `genug` ends the reading, as
  // Weiterlesen does.
  const int32_t mindestFiguren = MindestFiguren;
  const bool ohneVarianten = OhneVarianten;
  const bool atomschach = AtomVariante_;
  const std::function<bool(const TSchachbrett&)>* const weiterlesen =
      Weiterlesen ? &Weiterlesen : nullptr;
  int32_t figuren = 0;
  if (mindestFiguren > 0)
    for (const int32_t f : Partiedaten.StartBrett)
      figuren += f != Leer && f >= -Koenig && f <= Koenig;
  bool genug = false;
  // A new move: the last one is executed, the record's move fields emptied.
  auto zugBeginnen = [&](uint8_t zeichen) __attribute__((always_inline)) {
    if (ausstehend) {
      Zustand.Ausfuehren(belegt);
      if (weiterlesen && (zug.Geschlagen != 0 || zug.Umwandlung != 0) && stapel.empty() &&
          !(*weiterlesen)(Arbeitsbrett()))
        genug = true;
    }
    ausstehend = false;
    ep = zug.EnPassant;
    zug.EnPassant = 0;
    zug.EPSchlagfeld = 0;
    zug.Rochade = KeineRochade;
    zug.Umwandlung = 0;
    zug.Geschlagen = 0;
    zug.Zeichen = zeichen;
    zug.Zugbewertung = 0;
    zug.Stellungsbewertung = 0;
  };
  auto festschreiben = [&]() __attribute__((always_inline)) {
    if (mindestFiguren > 0 && zug.Geschlagen != 0 && stapel.empty())
      genug = --figuren < mindestFiguren;
    neuesBrett = true;
    rechteVorher = zug.Rochaderechte;
    epVorher = ep;
    Zustand.RechteAnpassen();
    zug.AmZug = static_cast<int8_t>(-zug.AmZug);
    NeuerKnoten(zug);
    Anhaengen();
    ausstehend = true;
    gelesen = true;
  };

  // A move written as its two squares, as engines write them ("g1f3",
  // "e7e8q"): whatever piece of the mover stands on the first square.
  auto zweiFelder = [&](std::string_view tok) {
    const uint8_t von = FeldAusName(tok[0], tok[1]);
    const uint8_t nach = FeldAusName(tok[2], tok[3]);
    const TSchachbrett& brett = Arbeitsbrett();
    const int seite = zug.AmZug;
    const int32_t figur = brett[von];
    if (figur == Leer || figur == Rand || (figur > 0) != (seite > 0)) return false;
    const int art = figur < 0 ? -figur : figur;
    zug.Von = static_cast<int8_t>(von);
    zug.Nach = static_cast<int8_t>(nach);
    zug.Geschlagen = static_cast<int8_t>(brett[nach]);
    if (tok.size() == 5) {
      if (art != Bauer) return false;
      const char b = IstKlein(tok[4]) ? static_cast<char>(tok[4] - 'a' + 'A') : tok[4];
      const int umwandlung = FigurAusBuchstabe(b);
      if (umwandlung == 0 || umwandlung == Bauer || umwandlung == Koenig) return false;
      zug.Umwandlung = static_cast<int8_t>(umwandlung * seite);
    }
    if (art == Bauer) {
      const int schritt = nach - von;
      const bool grundreihe = seite == 1 ? von / 10 == 3 : von / 10 == 8;
      if (schritt == 20 * seite && grundreihe) {
        zug.EnPassant = static_cast<uint8_t>(von + 10 * seite);
      } else if (schritt != 10 * seite && brett[nach] == Leer) {
        zug.EPSchlagfeld = static_cast<int8_t>(nach - 10 * seite);
        zug.Geschlagen = static_cast<int8_t>(-seite);
      }
    } else if (art == Koenig) {
      // e1g1, e1c1, e8g8, e8c8; in a Chess960 game the king onto its own rook.
      KoenigszugAlsRochade(brett, zug, Zustand.FischerInfo);
    }
    if (!Zustand.Erlaubt(ep, false, &belegt)) return false;
    if (art != Bauer && art != Koenig) {
      // The origin's file, rank or square, where the piece letter alone would
      // be read as another piece: the move is written so that it reads back.
      TZug stand = zug;
      stand.EnPassant = ep;
      TZug gezeichnet = zug;
      ZugZeichenSetzen(brett, stand, gezeichnet, Zustand.FischerInfo);
      zug.Zeichen |= gezeichnet.Zeichen & ZeigtFeld;
    }
    return true;
  };

  // Reads the token [p, q]: 1 a move to commit, 0 no move (a glyph or an
  // "e.p." mark), -1 a reading error.
  auto tokenLesen = [&](size_t p, size_t & q) __attribute__((always_inline))->int {
    TKurzform form;
    const bool kurzform = KurzformLesen(t, p, form);
    uint8_t zeichen = 0;
    q = p;  // the token's last character
    if (kurzform) {
      q = form.Ende;
      zeichen = form.Zeichen;
    } else {
      // The token runs to a blank, a bracket, a brace, "*", an annotation or
      // a NAG; "+" and "#" mark the move, "=" is dropped and makes the letter
      // after it a promotion letter.
      while (!TokenEndeBei(t, q + 1)) ++q;
      token.assign(t, p, q - p + 1);
      size_t laenge = 0;
      for (size_t i = 0; i < token.size(); ++i) {
        const char c = token[i];
        if (c == '+') {
          zeichen |= Schach;
        } else if (c == '#') {
          zeichen |= Matt;
        } else if (c == '=') {
          if (i + 1 < token.size() && IstKlein(token[i + 1])) {
            token[laenge++] = static_cast<char>(token[i + 1] - 'a' + 'A');
            ++i;
          }
        } else if ((c == 'q' || c == 'r' || c == 'b' || c == 'n') && laenge > 1 &&
                   (token[laenge - 1] == '8' || token[laenge - 1] == '1') &&
                   IstLinie(token[laenge - 2]) &&
                   token.find_first_not_of("+#!?", i + 1) == std::string::npos) {
          token[laenge++] = static_cast<char>(c - 'a' + 'A');  // "b8q", "exd8n+"
        } else if (const auto [ersatz, bytes] = static_cast<unsigned char>(c) >= 0x80
                                                    ? TypoZeichen(token, i)
                                                    : std::pair<char, size_t>{};
                   bytes != 0) {
          token[laenge++] = ersatz;
          i += bytes - 1;
        } else {
          token[laenge++] = c;
        }
      }
      token.resize(laenge);
      // "N" is the novelty glyph; "e.p." and "ep" mark an en-passant capture.
      if (token == "N") {
        NagAnwenden(Aktuell, 146);
        return 0;
      }
      if (token == "e.p." || token == "ep") return 0;
      for (const std::string_view mark : {std::string_view("e.p."), std::string_view("ep")}) {
        if (token.size() > mark.size() + 1 && token.ends_with(mark) &&
            IstReihe(token[token.size() - mark.size() - 1])) {
          token.resize(token.size() - mark.size());
        }
      }
    }
    zugBeginnen(zeichen);
    const int seite = zug.AmZug;
    bool gefunden = false;  // a piece's origin found by the search
    if (kurzform) {
      // fall through to the resolution below
    } else if (token == "Z0") {
      // A null move gives no check: a "+" or "#" on it is not kept, as "--"
      // cannot carry one.
      NullzugSetzen(zug);
      zug.Zeichen &= static_cast<uint8_t>(~(Schach | Matt));
      return 1;
    } else if (const size_t trenner =
                   token.size() > 2 && (token[2] == '-' || token[2] == 'x' || token[2] == ':');
               (token.size() == 4 + trenner || token.size() == 5 + trenner) && IstLinie(token[0]) &&
               IstReihe(token[1]) && IstLinie(token[2 + trenner]) && IstReihe(token[3 + trenner])) {
      // Two squares, as engines write them ("g1f3", "e7e8q"), or as long
      // algebraic without a piece letter ("g1-f3", "e4xd5", "e8-g8" for
      // castling): the piece on the first square, not a pawn to the second.
      token.erase(2, trenner);
      return zweiFelder(token) ? 1 : -1;
    }
    if (!kurzform && (token[0] == 'O' || token[0] == '0' || token[0] == 'o')) {
      // Two letters castle short, three long, also without dashes ("OOO").
      const size_t ende = OhneAnmerkung(token);
      const auto buchstaben = std::count_if(token.begin(), token.begin() + ende, [](char b) {
        return b == 'O' || b == '0' || b == 'o';
      });
      const bool kurz = buchstaben != 3 && (buchstaben == 2 || ende < 4);
      const bool weiss = seite == 1;
      const TFischerInfo* fi = Zustand.FischerInfo;
      // In a Fischer Random game "O-O" is Fischer Random castling as well.
      if (token[0] == 'o' || (fi && fi->Fischer)) {
        if (!fi) return -1;  // Fischer Random castling in a standard game
        const uint8_t koenig = weiss ? fi->WeissKoenig : fi->SchwarzKoenig;
        if (koenig < 21 || koenig > 98 || koenig % 10 == 0 || koenig % 10 == 9) return -1;
        zug.Von = static_cast<int8_t>(koenig);
        zug.Rochade = kurz ? FischerKurz : FischerLang;
      } else {
        zug.Von = weiss ? 25 : 95;
        zug.Rochade = kurz ? KurzeRochade : LangeRochade;
      }
      zug.Nach = static_cast<int8_t>((weiss ? 20 : 90) + (kurz ? 7 : 3));
    } else {
      int art = form.Art;
      std::string_view feld(form.Feldteil, form.FeldteilLaenge);
      if (!kurzform) {
        Normalisieren(token);
        if (token.size() < 2) return -1;
        art = token.size() == 2 ? Bauer : FigurAusBuchstabe(token[0]);
        if (art == 0) return -1;
        const size_t ende = OhneAnmerkung(token);
        if (ende > 0 && IstGross(token[ende - 1])) {
          const int umwandlung = FigurAusBuchstabe(token[ende - 1]);
          if (umwandlung == 0) return -1;
          zug.Umwandlung = static_cast<int8_t>(umwandlung * seite);
        }
        Feldteil(token, teil);
        if (teil.size() < 2 || !IstLinie(teil[teil.size() - 2]) || !IstReihe(teil.back()))
          return -1;
        if (art == Bauer && teil.size() == 2 && token.find('x') != std::string::npos) {
          // "Pxd5": the file of the one pawn that can take there.
          const int nach = FeldAusName(teil[0], teil[1]);
          int linie = 0;
          for (const int von : {nach - 10 * seite - 1, nach - 10 * seite + 1})
            if (Arbeitsbrett()[static_cast<size_t>(von)] == seite * Bauer)
              linie = linie == 0 ? 'a' + von % 10 - 1 : -1;
          if (linie <= 0) return -1;
          teil.insert(teil.begin(), static_cast<char>(linie));
        }
        feld = teil;
      }
      zug.Nach = static_cast<int8_t>(FeldAusName(feld[feld.size() - 2], feld.back()));
      zug.Geschlagen = static_cast<int8_t>(Arbeitsbrett()[zug.Nach]);
      const bool aufgeloest =
          art == Bauer
              ? Zustand.Bauer(feld)
              : Zustand.Figur(art, std::string_view(feld.data(), feld.size() - 2), &belegt);
      if (!aufgeloest) return -1;
      // A pawn's move is made by a pawn (its origin is found without a look).
      if (art == Bauer && Arbeitsbrett()[zug.Von] != seite * Bauer) return -1;
      gefunden = art != Bauer;
    }
    return Zustand.Erlaubt(ep, gefunden, &belegt) ? 1 : -1;
  };

  size_t p = mindestFiguren > 0 && figuren < mindestFiguren ? n : start;
  // Where the text not yet read begins: after the last thing read, so that a
  // move number before a move that cannot be read stays with it.
  size_t restAnfang = start;
  // Text that is not read at restAnfang (after a reading error, or a result
  // in a variation) runs to the end of its line: of a variation to its ")",
  // of the main line (or an unclosed variation) to the end, n.
  auto linienEnde = [&] {
    if (stapel.empty()) return n;
    int tiefe = 0;
    size_t ende = restAnfang;
    for (; ende < n; ++ende) {
      const char c = t[ende];
      if (c == '{') {
        // A comment's brackets do not count; an unclosed "{" is text, so
        // that the ")" the writer puts after this kept text ends it again.
        const size_t zu = t.find('}', ende);
        if (zu != std::string_view::npos) ende = zu;
      } else if (c == '(') {
        ++tiefe;
      } else if (c == ')') {
        if (tiefe == 0) break;
        --tiefe;
      }
    }
    return ende;
  };
  // That text is kept as written after the last move read, and reading goes
  // on at the ")" at `ende`. False when the text is done.
  // A game without a Result tag (or with "*") takes the main line's result,
  // the token at `r`.
  auto ergebnisUebernehmen = [&](size_t r) {
    if (!stapel.empty() || Partiedaten.Kopf.Result != "*") return;
    const size_t laenge = ErgebnisLaenge(t, r);
    Partiedaten.Kopf.Result = t[r] == '\xC2' ? "1/2-1/2"
                              : laenge == 5  ? (t[r] == '1' ? "1-0" : "0-1")
                                             : t.substr(r, laenge);
  };
  auto restBehalten = [&](size_t ende) {
    std::string_view rest = Getrimmt(t.substr(restAnfang, ende - restAnfang));
    if (ende == n) {
      const std::string_view ohne = OhneErgebnis(rest);
      if (ohne.size() < rest.size()) {  // also after a reading error
        size_t r = static_cast<size_t>(rest.data() - t.data()) + rest.size();
        while (r > 0 && !IstBlank(t[r - 1])) --r;  // the result has no blank
        ergebnisUebernehmen(r);
      }
      rest = ohne;
    }
    if (!rest.empty()) {
      TRest& ziel = AktuelleLinie->Erster ? Aktuell->Rest : AktuelleLinie->Rest;
      ziel.assign(rest);
    }
    if (ende >= n) return false;
    p = ende;
    return true;
  };
  auto lesefehler = [&] {
    fehler = true;
    return restBehalten(linienEnde());
  };

  // The comment from "{" at `auf` to "}" at `zu`: it belongs to the current move.
  auto kommentarLesen = [&](size_t auf, size_t zu) {
    // One blank after "{" and one before "}" are dropped.
    std::string_view innen = t.substr(auf + 1, zu - auf - 1);
    if (!innen.empty() && innen.front() == ' ') innen.remove_prefix(1);
    if (!innen.empty() && innen.back() == ' ') innen.remove_suffix(1);
    if (Aktuell) {
      if (OhneNotation_) {  // and one more each, as the layout drops them
        if (!innen.empty() && innen.front() == ' ') innen.remove_prefix(1);
        if (!innen.empty() && innen.back() == ' ') innen.remove_suffix(1);
      }
      // A further comment on the same move joins the first; one at the start
      // of a variation, before its first move, is the variation's.
      std::string& kommentar =
          AktuelleLinie->Erster ? Aktuell->Kommentar : AktuelleLinie->Kommentar;
      if (kommentar.size() <= 2) {
        kommentar.assign(1, '{');
      } else if (!innen.empty()) {
        kommentar.back() = ' ';
      }
      kommentar += innen;
      if (kommentar.back() != '}') kommentar += '}';
    } else {
      // Before the first move, after a move number: the leading comment.
      std::string& vor = Partiedaten.Vorkommentar;
      while (!vor.empty() && vor.back() == ' ') vor.pop_back();
      vor += '{';
      vor += innen;
      vor += "} ";
    }
  };

  while (p < n) {
    const char c = t[p];
    size_t weiter = p + 1;
    // restAnfang moves past it; an annotation before the first move marks
    // nothing and does not count.
    bool gelesenesElement = true;
    if (c == '{') {
      // A comment belongs to the current move.
      const size_t zu = t.find('}', p);
      if (zu == std::string::npos) {
        if (!lesefehler()) break;
        continue;
      }
      kommentarLesen(p, zu);
      weiter = zu + 1;
    } else if (c == '$') {
      // A NAG runs to the next blank, bracket or brace. The digits read; a
      // leading zero or more than three digits match no entry of the table,
      // which compares digit strings.
      int ziffern = 0;
      int nag = 0;
      bool nullVorn = false;
      size_t i = p + 1;
      for (; i < n && !NagEnde[static_cast<unsigned char>(t[i])]; ++i) {
        if (t[i] < '0' || t[i] > '9') continue;
        if (ziffern == 0) nullVorn = t[i] == '0';
        if (++ziffern <= 3) nag = nag * 10 + (t[i] - '0');
        ziffern = std::min(ziffern, 4);
      }
      NagAnwenden(Aktuell, ziffern > 3 || nullVorn ? 0 : nag);
      weiter = i;
    } else if (const size_t variantenEnde =
                   c == '(' && ohneVarianten && Aktuell && stapel.empty() ? VarianteEnde(t, p) : 0;
               variantenEnde != 0) {
      weiter = variantenEnde;  // passed over unread
    } else if (c == '(') {
      // A variation replaces the last move read.
      if (!Aktuell) {  // nothing to replace yet
        if (!lesefehler()) break;
        continue;
      }
      // Arbeitsbrett shows the position before the last move: it is still
      // pending, or a "(" on the same move has just been read.
      ausstehend = false;
      if (stapel.empty() || neuesBrett) {
        bretter.push_back(Arbeitsbrett());
        belegungen.push_back(belegt);
      }
      neuesBrett = false;
      zug = zugVorher();
      stapel.push_back({bretter.size() - 1, zug, AktuelleLinie, Aktuell, epVorher});
      zug.EnPassant = epVorher;  // the variation starts in the position before the move
      if (letzteZelleAn == Aktuell && letzteZelle && !letzteZelle->Naechste) {
        AktuelleLinie = letzteZelle;  // already the last cell of the list
      } else {
        AktuelleLinie = Aktuell->Varianten;
      }
      NeueVariante();
      letzteZelle = AktuelleLinie;
      letzteZelleAn = Aktuell;
    } else if (c == ')') {
      // The end of a variation: back to the position after the replaced move.
      if (!stapel.empty()) {
        const TGesichert s = stapel.back();
        stapel.pop_back();
        Arbeitsbrett() = bretter[s.Brett];
        belegt = belegungen[s.Brett];
        if (stapel.empty() || stapel.back().Brett != s.Brett) {
          bretter.pop_back();
          belegungen.pop_back();
        }
        neuesBrett = true;
        zug = s.Zug;
        AktuelleLinie = s.Linie;
        Aktuell = s.Knoten;
        rechteVorher = s.Zug.Rochaderechte;
        epVorher = s.EPVorher;
        if (AktuelleLinie->Erster) {
          Zustand.RechteAnpassen();
          zug.AmZug = static_cast<int8_t>(-zug.AmZug);
          ausstehend = true;
        } else {
          // Back in a variation that has no move yet: at its start, where
          // the replaced move is not played.
          zug.EnPassant = epVorher;
          ausstehend = false;
        }
      }
    } else if (IstBuchstabe(c) || (c == '-' && p > 0 && t.compare(p - 1, 3, "0-0") == 0) ||
               (c == '\xE2' &&
                (FigurinenBuchstabe(t, p) != 0 || (p > 0 && t.compare(p - 1, 5, "0–0") == 0)))) {
      // A move; castling written with zeros starts at the zero before the dash.
      size_t q = p;
      const bool nullen = c == '-' || (c == '\xE2' && t[p + 1] == '\x80');
      int art = tokenLesen(nullen ? p - 1 : p, q);
      // A capture in atomic chess removes more than the piece taken, which
      // these rules would not show: each line is read up to its first one.
      if (art > 0 && atomschach && zug.Geschlagen != 0) art = -1;
      if (art < 0) {
        if (!lesefehler()) break;
        continue;
      }
      if (art > 0) festschreiben();
      if (genug) break;
      weiter = q + 1;
    } else if (c == '!' || c == '?') {
      // A move annotation after the move: "!", "?", "!!", "??", "!?", "?!".
      size_t i = p;
      while (i < n && (t[i] == '!' || t[i] == '?')) ++i;
      static constexpr std::string_view annotationen[] = {"!", "?", "!!", "??", "!?", "?!"};
      for (size_t k = 0; k < std::size(annotationen); ++k)
        if (t.substr(p, i - p) == annotationen[k]) NagAnwenden(Aktuell, static_cast<int>(k) + 1);
      weiter = i;
      gelesenesElement = Aktuell != nullptr;
    } else if (((c == '*' || c == '\xC2') && ErgebnisLaenge(t, p) > 0) ||
               ((c == '-' || c == '/' || c == '\xE2') && p > 0 &&
                (t[p - 1] == '0' || t[p - 1] == '1') && ErgebnisLaenge(t, p - 1) > 0)) {
      // A result ends the movetext. In a variation that is closed, where
      // annotators write the outcome of the line, it is kept as written after
      // the line's last move, and reading goes on at the variation's ")".
      const size_t ende = linienEnde();
      if (ende >= n) {
        const size_t r = c == '*' || c == '\xC2' ? p : p - 1;
        ergebnisUebernehmen(r);
        if (!stapel.empty()) break;
        // Comments after the main line's result ("1-0 {White won on time}")
        // belong to its last move. Anything else after them but a last result
        // (the moves of a game whose tags are missing, a footer) is not read:
        // it is kept as written from the result on, which the writer puts
        // before its own result, so that it reads the same again. The walk
        // past the comments reads each of them with `lesen`.
        const auto nachKommentaren = [&](bool lesen) {
          size_t k = r + ErgebnisLaenge(t, r);
          for (; k < n; ++k) {
            if (IstBlank(t[k])) continue;
            const size_t zu = t[k] == '{' ? t.find('}', k) : std::string_view::npos;
            if (zu == std::string_view::npos) break;
            if (lesen) kommentarLesen(k, zu);
            k = zu;
          }
          return std::min(k, n);
        };
        if (!OhneErgebnis(Getrimmt(t.substr(nachKommentaren(false)))).empty()) {
          restAnfang = r;
          restBehalten(n);
          break;
        }
        nachKommentaren(true);
        break;
      }
      restBehalten(ende);
      continue;
    } else if (c == '-' || c == '+' || c == '/' || c == '=' || (c == '0' && NullenZug(t, p))) {
      // A null move ("--", or "0000" as engines write it), an evaluation
      // glyph, or nothing that is read.
      size_t i = p;
      if (c == '0') i += 4;
      while (i < n && (t[i] == '-' || t[i] == '+' || t[i] == '/' || t[i] == '=')) ++i;
      const std::string_view lauf = t.substr(p, i - p);
      if (lauf == "--" || c == '0') {
        zugBeginnen(0);
        NullzugSetzen(zug);
        festschreiben();
        if (genug) break;
      } else {
        NagAnwenden(Aktuell, GlyphNag(lauf));
        gelesenesElement = Aktuell != nullptr;
      }
      weiter = i;
    } else if (const size_t g = static_cast<unsigned char>(c) >= 0xB1 ? Utf8Glyph(t, p) : 0;
               g > 0) {
      NagAnwenden(Aktuell, GlyphNag(t.substr(p, g)));
      weiter = p + g;
      gelesenesElement = Aktuell != nullptr;
    } else {
      gelesenesElement = false;
    }
    p = weiter;
    if (gelesenesElement) restAnfang = p;
#if defined(__SSE2__)
    // Pass over what no check applies to: a blank, or a move number between
    // blanks, seldom more than a few characters. Sixteen at a time where the
    // processor and the text have them (blanks, the digits 1 to 9 and dots,
    // the usual ones; a "0", which may begin "0000", and any other character
    // are left to the loop), so that their number costs no mispredicted branch.
    if (p + 16 <= n) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t.data() + p));
      const __m128i blank = _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(' ')), v);
      const __m128i ziffer1 = _mm_sub_epi8(v, _mm_set1_epi8('1'));  // "1" to "9"
      const __m128i ziffer = _mm_cmpeq_epi8(_mm_min_epu8(ziffer1, _mm_set1_epi8(8)), ziffer1);
      const __m128i punkt = _mm_cmpeq_epi8(v, _mm_set1_epi8('.'));
      const auto neutral = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(blank, ziffer), punkt)));
      p += static_cast<size_t>(std::countr_zero(~neutral));  // at most 16
      continue;
    }
#endif
    // Elsewhere, eight at a time by the table of such characters.
    while (p + 8 <= n) {
      unsigned anders = 0;  // bit k: character p + k is not neutral
#pragma GCC unroll 8
      for (unsigned k = 0; k < 8; ++k)
        anders |= static_cast<unsigned>(!Neutral[static_cast<unsigned char>(t[p + k])]) << k;
      if (anders != 0) {
        p += static_cast<size_t>(std::countr_zero(anders));
        break;
      }
      p += 8;
    }
    if (p + 8 > n)
      while (p < n && Neutral[static_cast<unsigned char>(t[p])]) ++p;
  }
  if (ausstehend) Zustand.Ausfuehren();
  if (!gelesen && Wurzel->Rest.empty()) LinieFreigeben(Wurzel);
  return !fehler;
}

}  // namespace brevaro
