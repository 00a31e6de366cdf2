#include "collections/pgn_index.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <numeric>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "collections/encoding.h"
#include "collections/game_list.h"
#include "collections/pgn_file.h"
#include "collections/position_search.h"
#include "game/move_text.h"

namespace brevaro {

namespace {

// The scan reads this much at a time and counts its progress in ScanBlocks.
constexpr int64_t LeseBlock = 64 * ScanBlock;
// Bytes of a game first read for its header; doubled while the tag section
// goes on.
constexpr int64_t KopfBlock = 1024;

// The starts of game texts a scan keeps for its sort key thread, at most, in
// bytes the thread has not read yet; beyond, the thread reads from the file.
constexpr size_t AnfaengeGrenze = 4 << 20;

// A game's text is read in pieces of this size, so that the reading stops
// soon after its first zero byte.
constexpr int64_t TextBlock = 1024 * 1024;

// A stretch of the file that ends with it, for the scan.
constexpr int64_t Unbegrenzt = std::numeric_limits<int64_t>::max();

// The bytes before the end of the games listed that FileChanged compares.
constexpr int64_t FingerabdruckLaenge = 4096;

int64_t Nanosekunden(const timespec& t) {
  return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The window GameTextView reads games through; a longer game is read alone.
constexpr int64_t TextFenster = 4 * 1024 * 1024;

// A tag line longer than this is handed to the tag reader with its value
// shortened; the list cuts the value to ListenWertGrenze bytes anyway.
constexpr size_t LangeTagZeile = 2 * ListenWertGrenze + 256;

constexpr std::string_view Bom = "\xEF\xBB\xBF";

inline bool IstLeer(char c) {
  return static_cast<unsigned char>(c) <= ' ' && c != '\n' && c != '\r';
}

inline bool Zeilenende(char c) {
  return c == '\n' || c == '\r';
}

constexpr auto NamensTabelle = [] {
  std::array<bool, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = IstTagNamenZeichen(static_cast<char>(c));
  return t;
}();

inline bool NamensZeichen(char c) {
  return NamensTabelle[static_cast<unsigned char>(c)];
}

// The end of the line that b[ab] belongs to: the index of its CR or LF, or
// `n`. Looks in stretches that grow, so that short lines cost little and long
// ones are searched at the speed of memchr.
size_t ZeilenendeAb(const char* b, size_t ab, size_t n) {
  size_t stueck = 256;
  for (size_t von = ab; von < n; von += stueck, stueck *= 4) {
    const size_t bis = std::min(n, von + stueck);
    const void* lf = std::memchr(b + von, '\n', bis - von);
    const size_t ende = lf ? static_cast<size_t>(static_cast<const char*>(lf) - b) : bis;
    if (const void* cr = std::memchr(b + von, '\r', ende - von))
      return static_cast<size_t>(static_cast<const char*>(cr) - b);
    if (lf) return ende;
  }
  return n;
}

// The tag names of one tag section, found again quickly: in short lists
// while the section is short, in hash sets once it is long.
class TagNamen {
 public:
  void Neu() {
    anzahl_ = 0;
    kurz_.clear();
    lang_.clear();
    kurzMenge_.clear();
    langMenge_.clear();
  }
  // False when the section already holds `name`; otherwise it is added.
  bool Hinzu(std::string_view name) {
    const bool kurz = name.size() < 8;
    uint64_t k = name.size();
    if (kurz)
      for (char c : name) k = k << 8 | static_cast<unsigned char>(c);
    if (anzahl_ >= 64) return kurz ? kurzMenge_.insert(k).second : langMenge_.emplace(name).second;
    if (kurz) {
      if (std::find(kurz_.begin(), kurz_.end(), k) != kurz_.end()) return false;
      kurz_.push_back(k);
    } else {
      if (std::find(lang_.begin(), lang_.end(), name) != lang_.end()) return false;
      lang_.emplace_back(name);
    }
    if (++anzahl_ == 64) {
      kurzMenge_.insert(kurz_.begin(), kurz_.end());
      langMenge_.insert(lang_.begin(), lang_.end());
    }
    return true;
  }

 private:
  size_t anzahl_ = 0;
  std::vector<uint64_t> kurz_;  // names of up to 7 bytes, packed with their length
  std::vector<std::string> lang_;
  std::unordered_set<uint64_t> kurzMenge_;
  std::unordered_set<std::string> langMenge_;
};

bool EndetMitPgn(const std::string& pfad) {
  if (pfad.size() < 4) return false;
  std::string ende = pfad.substr(pfad.size() - 4);
  for (char& c : ende) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ende == ".pgn";
}

bool Existiert(const std::string& pfad) {
  struct stat st {};
  return ::stat(pfad.c_str(), &st) == 0;
}

// Whether the line whose first byte is b[z] and whose first byte other than
// a blank is the "[" at b[k] is a tag line: 1 yes (with its tag name), 0 no,
// -1 when the `n` bytes of `b` end before that is decided and more may follow.
int TagZeilePruefen(const char* b, size_t n, size_t z, size_t k, bool dateiende,
                    std::string_view& name) {
  const size_t grenze = z + TagZeilenKopf;  // the quote must stand before it
  size_t i = k + 1;
  while (i < n && i < grenze && NamensZeichen(b[i])) ++i;
  if (i == n && i < grenze) return dateiende ? 0 : -1;
  if (i == k + 1) return 0;
  name = std::string_view(b + k + 1, i - k - 1);
  while (i < n && i < grenze && IstLeer(b[i])) ++i;
  if (i == n && i < grenze) return dateiende ? 0 : -1;
  if (i >= grenze) return 0;
  if (b[i] == '"') return 1;
  // A typographic quote: its three bytes may go on after the next read.
  if (b[i] != '\xE2') return 0;
  if (n - i < 3) return dateiende ? 0 : -1;
  return TypoAnfuehrung(std::string_view(b + i, 3), 0) != 0 ? 1 : 0;
}

// The first LF, CR or zero byte of `text` from `s` on, or its size; eight
// bytes at a time, since every byte of a tag section is looked at.
size_t TagZeilenEnde(std::string_view text, size_t s) {
  constexpr uint64_t Eins = 0x0101010101010101, Hoch = 0x8080808080808080;
  // The lowest high bit set marks the first zero byte (little-endian).
  const auto null = [](uint64_t x) { return (x - Eins) & ~x & Hoch; };
  if constexpr (std::endian::native == std::endian::little) {
    for (; s + 8 <= text.size(); s += 8) {
      uint64_t w;
      std::memcpy(&w, text.data() + s, 8);
      const uint64_t m = null(w ^ (Eins * '\n')) | null(w ^ (Eins * '\r')) | null(w);
      if (m != 0) return s + static_cast<size_t>(std::countr_zero(m) / 8);
    }
  }
  while (s < text.size() && text[s] != '\n' && text[s] != '\r' && text[s] != '\0') ++s;
  return s;
}

// How far TagAbschnitt got: the prefix ended before the tag section did
// (Offen), the text holds nothing but blanks (Leer), or the section was read.
enum class TAbschnitt { Offen, Leer, Gelesen };

// Hands every tag line of the tag section at the start of `text` (see
// ReadGameHeader), trimmed, to `f`. The text ends at its first zero byte.
// `vollstaendig`: `text` is all there is to read; otherwise it is a prefix.
template <class F>
TAbschnitt TagAbschnitt(std::string_view text, bool vollstaendig, F&& f) {
  size_t s = 0;
  while (s < text.size() && text[s] != '\0' && static_cast<unsigned char>(text[s]) <= ' ') ++s;
  if (s == text.size() && !vollstaendig) return TAbschnitt::Offen;
  if (s == text.size() || text[s] == '\0') return TAbschnitt::Leer;
  for (;;) {
    const size_t e = TagZeilenEnde(text, s);
    const bool letzte = e == text.size() || text[e] == '\0';
    if (e == text.size() && !vollstaendig) return TAbschnitt::Offen;
    if (!vollstaendig && text[e] == '\r' && e + 1 == text.size()) {
      return TAbschnitt::Offen;  // CR LF or CR alone: the next byte decides
    }
    const std::string_view roh = text.substr(s, e - s);
    const std::string_view zeile = Getrimmt(roh);
    if (!zeile.empty() && zeile[0] != '%') {
      if (TagZeilenName(roh).empty()) return TAbschnitt::Gelesen;
      // Movetext after the line's tag pairs ends the section.
      if (!TagpaareLesen(zeile, f).empty()) return TAbschnitt::Gelesen;
    }
    if (letzte) return TAbschnitt::Gelesen;
    s = e + 1;
    if (text[e] == '\r' && s < text.size() && text[s] == '\n') ++s;
    if (s >= text.size()) return vollstaendig ? TAbschnitt::Gelesen : TAbschnitt::Offen;
  }
}

// A tag line as the tag reader gets it: a long one with only the start of its
// value, closed early (the list cuts the value anyway), in `kurz`.
std::string_view TagZeileFuerListe(std::string_view zeile, std::string& kurz) {
  if (zeile.size() <= LangeTagZeile) return zeile;
  const size_t wert = zeile.find('"') + 1;
  kurz.assign(zeile.substr(0, wert + LangeTagZeile - TagZeilenKopf));
  kurz += "\"]";
  return kurz;
}

// Reads the tag section from the start of `text` (see ReadGameHeader). The
// text ends at its first zero byte. `vollstaendig`: `text` is all there is to
// read. Otherwise it is a prefix, and false means the prefix ended before the
// tag section did.
bool KopfLesen(std::string_view text, bool vollstaendig, TEventData& kopf) {
  KopfdatenLoeschen(kopf);
  std::string kurz;
  const TAbschnitt a = TagAbschnitt(text, vollstaendig, [&](std::string_view zeile) {
    TagZeileLesen(kopf, TagZeileFuerListe(zeile, kurz));
  });
  if (a == TAbschnitt::Leer) {
    kopf.White = "Error";
    kopf.Black = "...";
  }
  return a != TAbschnitt::Offen;
}

// The value of a tag line as TagWert reads it, without a copy unless it holds
// a backslash.
std::string_view WertAnsicht(std::string_view zeile, std::string& puffer) {
  const std::string_view roh = TagWertRoh(zeile);
  if (roh.find('\\') == std::string_view::npos) return roh;
  puffer = TagWert(zeile);
  return puffer;
}

// Reads the fields a list row shows (White, Black, Event, Site, Year and
// Result) as KopfLesen does; the record's other fields are left as they are.
bool ListenKopfLesen(std::string_view text, bool vollstaendig, TEventData& kopf) {
  static const TEventData vorgabe;
  kopf.White = vorgabe.White;
  kopf.Black = vorgabe.Black;
  kopf.Event.clear();
  kopf.Site.clear();
  kopf.Result = vorgabe.Result;
  kopf.Year = 0;
  std::string kurz, puffer;
  const auto ohneFragezeichen = [](std::string_view w) {
    return w == "?" ? std::string_view() : w;
  };
  const TAbschnitt a = TagAbschnitt(text, vollstaendig, [&](std::string_view zeile) {
    if (zeile.size() < 6) return;
    std::string* feld = nullptr;
    bool fragezeichen = true;
    switch (zeile[1] & ~0x20) {  // the tag name's first letter in upper case
      case 'W':
        if (BeginntMit(zeile, "[WHITE ")) feld = &kopf.White;
        break;
      case 'B':
        if (BeginntMit(zeile, "[BLACK ")) feld = &kopf.Black;
        break;
      case 'E':
        if (BeginntMit(zeile, "[EVENT ")) feld = &kopf.Event;
        break;
      case 'S':
        if (BeginntMit(zeile, "[SITE ")) feld = &kopf.Site;
        break;
      case 'R':
        if (BeginntMit(zeile, "[RESULT ")) feld = &kopf.Result;
        fragezeichen = false;
        break;
      case 'D':
        if (BeginntMit(zeile, "[DATE "))
          kopf.Year = JahrAusDatum(WertAnsicht(TagZeileFuerListe(zeile, kurz), puffer));
        return;
      default:
        return;
    }
    if (!feld) return;
    const std::string_view wert = WertAnsicht(TagZeileFuerListe(zeile, kurz), puffer);
    feld->assign(fragezeichen ? ohneFragezeichen(wert) : wert);
  });
  if (a == TAbschnitt::Leer) {
    kopf.White = "Error";
    kopf.Black = "...";
  }
  return a != TAbschnitt::Offen;
}

// The length of `text` without the blanks, line ends and comments at its end
// ("1-0 {on time}\n"); npos when a "}" there has no "{" in `text`.
size_t OhneKommentareAmEnde(std::string_view text) {
  size_t e = text.size();
  for (;;) {
    while (e > 0 && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    if (e == 0 || text[e - 1] != '}') return e;
    e = text.rfind('{', e - 1);
    if (e == std::string_view::npos) return e;
  }
}

// The result a game's text ends with ("1-0", "0-1", "1/2-1/2"; typeset ones
// as these), after blanks, line ends and comments ("1-0 {on time}"); empty
// for none or "*". `ende` is the end of the text, at most ErgebnisFenster bytes.
std::string_view ErgebnisAmEnde(std::string_view ende) {
  const size_t e = OhneKommentareAmEnde(ende);
  if (e == std::string_view::npos) return {};
  static constexpr std::pair<std::string_view, std::string_view> Ergebnisse[] = {
      {"1-0", "1-0"}, {"0-1", "0-1"},     {"1/2-1/2", "1/2-1/2"}, {"1–0", "1-0"},
      {"0–1", "0-1"}, {"½-½", "1/2-1/2"}, {"½–½", "1/2-1/2"}};
  const std::string_view text = ende.substr(0, e);
  for (const auto& [geschrieben, ergebnis] : Ergebnisse)
    if (text.ends_with(geschrieben) &&
        (text.size() == geschrieben.size() ||
         static_cast<unsigned char>(text[text.size() - geschrieben.size() - 1]) <= ' '))
      return ergebnis;
  return {};
}

// The same for a game's whole text, which ends at its first zero byte.
std::string_view ErgebnisAmTextende(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  return ErgebnisAmEnde(text.substr(text.size() - std::min(text.size(), ErgebnisFenster)));
}

// The sort keys of one thread's rows, each distinct text once: the rows hold
// numbers of texts, the texts live in blocks that never move.
class TSchluesselMenge {
 public:
  // The number of `text` (at most Block bytes) in this set.
  uint32_t Nummer(std::string_view text) {
    const auto da = nummern_.find(text);
    if (da != nummern_.end()) return da->second;
    if (rest_ < text.size()) {
      bloecke_.push_back(std::make_unique<char[]>(Block));
      frei_ = bloecke_.back().get();
      rest_ = Block;
    }
    if (!text.empty()) std::memcpy(frei_, text.data(), text.size());
    const auto nummer = static_cast<uint32_t>(texte_.size());
    texte_.emplace_back(frei_, text.size());
    frei_ += text.size();
    rest_ -= text.size();
    nummern_.emplace(texte_.back(), nummer);
    return nummer;
  }
  const std::vector<std::string_view>& Texte() const { return texte_; }

 private:
  static constexpr size_t Block = 1 << 20;
  std::vector<std::unique_ptr<char[]>> bloecke_;
  char* frei_ = nullptr;
  size_t rest_ = 0;
  std::vector<std::string_view> texte_;
  std::unordered_map<std::string_view, uint32_t> nummern_;
};

// Replaces each row's number of its key text in `keys` by the rank of that
// text among all the texts of `mengen`: equal texts get equal ranks and the
// ranks order as the texts do. The rows of menge t are the t-th of as many
// contiguous ranges of the same size (within one).
void RaengeSetzen(const std::vector<const TSchluesselMenge*>& mengen, std::vector<uint32_t>& keys) {
  const size_t threads = mengen.size();
  const size_t n = keys.size();
  std::vector<std::pair<std::string_view, uint32_t>> alle;  // text, menge
  std::vector<std::vector<uint32_t>> rang(threads);
  size_t gesamt = 0;
  for (const TSchluesselMenge* m : mengen) gesamt += m->Texte().size();
  alle.reserve(gesamt);
  for (size_t t = 0; t < threads; ++t) {
    for (const std::string_view text : mengen[t]->Texte()) alle.emplace_back(text, t);
    rang[t].resize(mengen[t]->Texte().size());
  }
  // Within a menge each text is there once, so its number is its place
  // among that menge's texts; recorded before the sort moves them.
  std::vector<uint32_t> nummer(alle.size());
  for (size_t i = 0, t = 0, basis = 0; i < alle.size(); ++i) {
    while (i - basis >= mengen[t]->Texte().size()) basis += mengen[t++]->Texte().size();
    nummer[i] = static_cast<uint32_t>(i - basis);
  }
  std::vector<uint32_t> folge(alle.size());
  std::iota(folge.begin(), folge.end(), 0u);
  std::sort(folge.begin(), folge.end(),
            [&](uint32_t a, uint32_t b) { return alle[a].first < alle[b].first; });
  uint32_t r = 0;
  for (size_t i = 0; i < folge.size(); ++i) {
    if (i > 0 && alle[folge[i]].first != alle[folge[i - 1]].first) ++r;
    rang[alle[folge[i]].second][nummer[folge[i]]] = r;
  }
  for (size_t t = 0; t < threads; ++t) {
    const std::vector<uint32_t>& rt = rang[t];
    for (size_t i = n * t / threads; i < n * (t + 1) / threads; ++i) keys[i] = rt[keys[i]];
  }
}

// The text a sort key compares for a game, read from the start of its text
// (as much as ReadGameHeader reads) without filling a whole header: the same
// text as TPGNIndex::SortKeyText of the header ReadGameHeader gives.
class TSchluesselLeser {
 public:
  explicit TSchluesselLeser(uint8_t key) : key_(key) {
    static constexpr std::array<std::string_view, skMoveCount + 1> Praefixe = {
        "",         "[WHITE ", "[BLACK ", "[EVENT ",    "[ANNOTATOR ", "[SITE ",
        "[RESULT ", "[ECO ",   "[DATE ",  "[WHITEELO ", "[BLACKELO ",  "[PLYCOUNT "};
    praefix_ = Praefixe[key];
  }

  // The key of the game whose text is `text`; with `vollstaendig` false, of
  // the game whose text begins with `text`, or nullopt when its tag section
  // goes on beyond `text`.
  std::optional<std::string_view> Schluessel(std::string_view text, bool vollstaendig = true) {
    std::string_view wert;
    int32_t zahl = 0;
    const TAbschnitt a = TagAbschnitt(text, vollstaendig, [&](std::string_view zeile) {
      if (!BeginntMit(zeile, praefix_)) return;
      wert = WertAnsicht(TagZeileFuerListe(zeile, kurz_), puffer_);
      if (key_ == skYear) {
        zahl = JahrAusDatum(wert);
      } else if (key_ == skWhiteElo || key_ == skBlackElo) {
        zahl = TagZahl(wert);
      } else if (key_ == skMoveCount) {
        const int32_t p = TagZahl(wert);
        zahl = p <= 0 ? 0 : p / 2 + 1;
      } else {
        // Copied: the next line may reuse the buffers the view points into.
        letzter_.assign(wert);
        gefunden_ = true;
      }
    });
    if (a == TAbschnitt::Offen) {
      gefunden_ = false;
      return std::nullopt;
    }
    if (key_ >= skYear) {
      const auto [ende, fehler] =
          std::to_chars(zahlText_.data(), zahlText_.data() + zahlText_.size(), zahl);
      return std::string_view(zahlText_.data(), static_cast<size_t>(ende - zahlText_.data()));
    }
    std::string_view ergebnis;
    if (a == TAbschnitt::Leer) {
      ergebnis = key_ == skWhite ? "Error" : key_ == skBlack ? "..." : key_ == skResult ? "*" : "";
    } else if (!gefunden_) {
      ergebnis = key_ == skWhite || key_ == skBlack ? "N.N." : key_ == skResult ? "*" : "";
    } else {
      ergebnis = letzter_;
      if (ergebnis == "?" &&
          (key_ == skWhite || key_ == skBlack || key_ == skEvent || key_ == skSite))
        ergebnis = {};
    }
    gefunden_ = false;
    return ListenWert(ergebnis);
  }

 private:
  uint8_t key_;
  std::string_view praefix_;
  std::string kurz_, puffer_, letzter_;
  bool gefunden_ = false;
  std::array<char, 16> zahlText_{};
};

}  // namespace

int Prozent(int64_t a, int64_t b) {
  return b == 0 ? 0 : static_cast<int>(a * 100 / b);
}

std::string_view TagZeilenName(std::string_view zeile) {
  size_t k = 0;
  while (k < zeile.size() && k < TagZeilenKopf && IstLeer(zeile[k])) ++k;
  if (k >= zeile.size() || zeile[k] != '[') return {};
  std::string_view name;
  return TagZeilePruefen(zeile.data(), zeile.size(), 0, k, true, name) == 1 ? name
                                                                            : std::string_view();
}

namespace {

// Whether `zeile` begins with the move number 1 and a move (see
// TaglosePartieAmAnfang).
bool BeginntMitErstemZug(std::string_view zeile) {
  if (!zeile.starts_with("1.")) return false;
  size_t z = 2;
  // Blanks, and no-break spaces as text copied from web pages has them (the
  // byte 0xA0 in Windows-1252, "\xC2\xA0" in UTF-8).
  while (z < zeile.size()) {
    if (IstLeer(zeile[z]) || zeile[z] == '\xA0')
      ++z;
    else if (zeile.substr(z, 2) == "\xC2\xA0")
      z += 2;
    else
      break;
  }
  // A chess figurine (U+2654 to U+265F) stands for a piece letter: "1. ♘f3".
  const bool figurine = FigurinenBuchstabe(zeile, z) != 0;
  if (figurine) z += 2;
  if (z + 1 >= zeile.size()) return false;
  const char a = figurine ? 'N' : zeile[z], b = zeile[z + 1];
  const bool linie = b >= 'a' && b <= 'h', reihe = b >= '1' && b <= '8';
  return (a >= 'a' && a <= 'h' && (reihe || b == 'x')) ||
         (std::string_view("KQRBNDTLS").find(a) != std::string_view::npos &&
          (linie || reihe || b == 'x')) ||
         ((a == 'O' || a == '0') && b == '-');
}

// Whether text[i] stands inside a comment as far as `text` shows: a "{"
// comes before it with no "}" between, or a ";" on its line.
bool ImKommentar(std::string_view text, size_t i) {
  bool zeile = true;
  while (i > 0) {
    const char c = text[--i];
    if (c == '}') return false;
    if (c == '{' || (c == ';' && zeile)) return true;
    if (Zeilenende(c)) zeile = false;
  }
  return false;
}

// Whether the bytes before b[k], a line start, end a game: after blanks, line
// ends and comments, a result with a blank or line end before it and not
// inside a comment itself ("{... 1-0\n1. e4 ...}"). Only the bytes from
// `anfang` on are looked at.
bool ErgebnisDavor(const char* b, size_t anfang, size_t k) {
  const std::string_view text(b + anfang, k - anfang);
  const size_t e = OhneKommentareAmEnde(text);  // the result ends before text[e]
  if (e == std::string_view::npos) return false;
  for (const std::string_view ergebnis : {"1-0", "0-1", "1/2-1/2", "*"}) {
    if (e > ergebnis.size() && text.substr(e - ergebnis.size(), ergebnis.size()) == ergebnis &&
        static_cast<unsigned char>(text[e - ergebnis.size() - 1]) <= ' ')
      return !ImKommentar(text, e - ergebnis.size());
  }
  return false;
}

#if defined(__x86_64__) && defined(__GNUC__)
// Thirty-two bytes at a time where the processor has AVX2, as below: true
// with `i` at the first find, false with `i` where the rest begins.
__attribute__((target("avx2"))) bool AnfangSuchenAvx2(const char* b, size_t& i, size_t grenze) {
  const __m256i klammer = _mm256_set1_epi8('[');
  const __m256i eins = _mm256_set1_epi8('1');
  const __m256i punkt = _mm256_set1_epi8('.');
  const __m256i lf = _mm256_set1_epi8('\n');
  const __m256i cr = _mm256_set1_epi8('\r');
  for (; i + 33 <= grenze; i += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
    const __m256i vor = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i - 1));
    const __m256i nach = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i + 1));
    const __m256i ende = _mm256_or_si256(_mm256_cmpeq_epi8(vor, lf), _mm256_cmpeq_epi8(vor, cr));
    const __m256i zahl =
        _mm256_and_si256(_mm256_cmpeq_epi8(v, eins), _mm256_cmpeq_epi8(nach, punkt));
    const __m256i treffer =
        _mm256_or_si256(_mm256_cmpeq_epi8(v, klammer), _mm256_and_si256(zahl, ende));
    if (const auto maske = static_cast<uint32_t>(_mm256_movemask_epi8(treffer)); maske != 0) {
      i += static_cast<size_t>(std::countr_zero(maske));
      return true;
    }
  }
  return false;
}
#endif

// The first byte from b[ab] on, before b[grenze], that may start a game: a
// "[", or "1." at the start of a line (b[ab - 1] is read when ab > 0; a "1"
// just before b[grenze] counts as well); `grenze` when there is none.
size_t NaechsterAnfang(const char* b, size_t ab, size_t grenze) {
  size_t i = ab;
  if (i == 0) {
    if (grenze == 0 || b[0] == '[') return 0;
    i = 1;
  }
#if defined(__x86_64__) && defined(__GNUC__)
  static const bool avx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  if (avx2 && AnfangSuchenAvx2(b, i, grenze)) return i;
#endif
#if defined(__SSE2__)
  // Sixteen at a time: a "[", or a "1" after a line end and before a ".".
  const __m128i klammer = _mm_set1_epi8('[');
  const __m128i eins = _mm_set1_epi8('1');
  const __m128i punkt = _mm_set1_epi8('.');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; i + 17 <= grenze; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    const __m128i vor = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i - 1));
    const __m128i nach = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i + 1));
    const __m128i ende = _mm_or_si128(_mm_cmpeq_epi8(vor, lf), _mm_cmpeq_epi8(vor, cr));
    const __m128i zahl = _mm_and_si128(_mm_cmpeq_epi8(v, eins), _mm_cmpeq_epi8(nach, punkt));
    const __m128i treffer = _mm_or_si128(_mm_cmpeq_epi8(v, klammer), _mm_and_si128(zahl, ende));
    if (const auto maske = static_cast<unsigned>(_mm_movemask_epi8(treffer)); maske != 0)
      return i + static_cast<size_t>(std::countr_zero(maske));
  }
#endif
  for (; i < grenze; ++i)
    if (b[i] == '[' ||
        (b[i] == '1' && Zeilenende(b[i - 1]) && (i + 1 == grenze || b[i + 1] == '.')))
      return i;
  return grenze;
}

}  // namespace

size_t TaglosePartieAmAnfang(std::string_view anfang) {
  anfang = anfang.substr(0, TaglosGrenze);
  size_t k = anfang.starts_with(Bom) ? Bom.size() : 0;
  size_t kommentar = std::string_view::npos;  // the first comment before the move
  bool zeilenAnfang = true;                   // only blanks since the line start
  while (k < anfang.size()) {
    const char c = anfang[k];
    if (IstLeer(c) || Zeilenende(c)) {
      zeilenAnfang = zeilenAnfang || Zeilenende(c);
      ++k;
    } else if (c == '{' || c == ';' || (c == '%' && zeilenAnfang)) {
      if (c != '%') kommentar = std::min(kommentar, k);
      k = c == '{' ? anfang.find('}', k) : anfang.find_first_of("\r\n", k);
      if (k == std::string_view::npos) return k;
      if (c == '{') ++k;
      zeilenAnfang = false;
    } else {
      return BeginntMitErstemZug(anfang.substr(k)) ? std::min(kommentar, k)
                                                   : std::string_view::npos;
    }
  }
  return std::string_view::npos;
}

uint32_t KopfAusText(std::string_view text, TEventData& kopf) {
  KopfLesen(text, true, kopf);
  if (kopf.Result == "*")
    if (const std::string_view r = ErgebnisAmTextende(text); !r.empty()) kopf.Result = r;
  return KopfKuerzen(kopf);
}

TPGNIndex::TPGNIndex() {
  header_.OtherTags = &otherTags_;
}

TPGNIndex::~TPGNIndex() {
  CloseFile();
}

void TPGNIndex::CloseFile() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  textFenster_ = {};
  scanSchluessel_.reset();
}

int64_t TPGNIndex::GameCount() const {
  return starts_.empty() ? 0 : static_cast<int64_t>(starts_.size()) - 1;
}

TGameIndexEntry TPGNIndex::Entry(int64_t gameId) const {
  if (gameId < 0 || gameId >= GameCount()) return {};
  return {gameId, starts_[gameId], starts_[gameId + 1]};
}

int64_t TPGNIndex::GameOfRow(int64_t row) const {
  if (row < 0 || row >= RowCount()) return -1;
  return rows_[order_[row]];
}

void TPGNIndex::Trace(int percent, TCancelMode& mode) {
  if (OnPGNTrace) OnPGNTrace(percent, mode);
}

// ---------------------------------------------------------------------------
// Opening and scanning

void TPGNIndex::SetFileName(const std::string& pfad) {
  if (busy_) return;
  lastError_.clear();
  refusedNotPGN_ = false;
  // An existing file that is no PGN file stays unlisted.
  const auto pgnDatei = [this](const std::string& datei) {
    const bool pgn = IstPGNDatei(datei, &lastError_);
    refusedNotPGN_ = !pgn && lastError_.empty();
    return pgn;
  };
  if (IsOpen() && pfad == fileName_) {
    if (!indexComplete_ || FileState() != TDateiStand::Unveraendert) Scan(pfad);
    return;
  }
  if (!Existiert(pfad)) {
    if (pfad.empty()) {
      CloseFile();
      starts_.clear();
      rows_.clear();
      order_.clear();
      sortKey_ = 0;
      indexComplete_ = false;
      fileName_.clear();
      return;
    }
    std::string neu = pfad;
    if (!EndetMitPgn(neu)) neu += ".pgn";
    if (Existiert(neu)) {
      // The name with its extension is an existing file: list it, never
      // create it anew over its games.
      if (!pgnDatei(neu)) return;
    } else {
      bool anlegen = true;
      if (BeforeCreatePGNFile) BeforeCreatePGNFile(neu, anlegen);
      if (!anlegen) return;
      const int fd = ::open(neu.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0) {
        lastError_ = std::strerror(errno);
        return;
      }
      ::close(fd);
    }
    Scan(neu);
    return;
  }
  if (!pgnDatei(pfad)) return;
  Scan(pfad);
}

// The sort keys a scan reads on a thread of its own: the scan hands over the
// game starts it finds, and of most games the start of its text as read
// (KopfAnfang); the thread reads the keys of the games whose end is known, in
// file order, from that start when it holds the tag section, otherwise from
// the file.
struct TPGNIndex::TScanSchluessel {
  explicit TScanSchluessel(uint8_t key) : Key(key) {}
  ~TScanSchluessel() { Beenden(); }
  TScanSchluessel(const TScanSchluessel&) = delete;
  TScanSchluessel& operator=(const TScanSchluessel&) = delete;
  const uint8_t Key;
  TSchluesselMenge Menge;
  std::vector<uint32_t> Nummern;  // of each game's key text in Menge, in file order
  bool Fehler = false;
  std::thread Leser;
  // Handed over: starts not yet read, the last one's game not yet read; the
  // length of each game's start (0: none) and the starts one after another.
  std::mutex Mutex;
  std::condition_variable Signal;
  std::vector<int64_t> Grenzen;
  std::vector<uint32_t> Laengen;
  std::string Anfaenge;
  std::atomic<size_t> Ausstehend{0};  // bytes of Anfaenge handed over, not yet read
  bool Fertig = false;                // every start handed over, the end of the last game too
  bool Stopp = false;

  void Lesen(const TPGNIndex& index) {
    try {
      TSchluesselLeser leser(Key);
      TTextFenster fenster;
      std::vector<int64_t> teil;
      std::vector<uint32_t> laengen;
      std::string anfaenge;
      for (;;) {
        bool ende;
        {
          std::unique_lock<std::mutex> sperre(Mutex);
          Signal.wait(sperre, [&] { return Grenzen.size() >= 2 || Fertig || Stopp; });
          if (Stopp) return;
          teil.swap(Grenzen);
          Grenzen.clear();
          if (!teil.empty()) Grenzen.push_back(teil.back());
          laengen.swap(Laengen);
          Laengen.clear();
          anfaenge.swap(Anfaenge);
          Anfaenge.clear();
          ende = Fertig;
        }
        size_t an = 0;  // of the next game's start in `anfaenge`
        for (size_t i = 0; i + 1 < teil.size(); ++i) {
          const TGameIndexEntry e{static_cast<int64_t>(Nummern.size()), teil[i], teil[i + 1]};
          const size_t laenge = i < laengen.size() ? laengen[i] : 0;
          std::optional<std::string_view> text;
          if (laenge > 0) {
            // As much of it as KopfText would give, all of that or a prefix.
            const auto grenze = static_cast<size_t>(std::min(e.EndPos - e.StartPos, KopfGrenze));
            const std::string_view anfang(anfaenge.data() + an, std::min(laenge, grenze));
            text = leser.Schluessel(anfang, anfang.size() == grenze);
            an += laenge;
          }
          if (!text) text = leser.Schluessel(index.KopfText(e, fenster));
          if (Key == skResult && *text == "*")
            if (const std::string_view am = index.EndErgebnis(e, index.KopfText(e, fenster));
                !am.empty())
              text = am;
          Nummern.push_back(Menge.Nummer(*text));
        }
        Ausstehend -= anfaenge.size();
        if (ende) return;
      }
    } catch (const std::exception&) {
      Fehler = true;
    }
  }
  // Hands over starts[von..] (Fertig: the last is the end of the last game)
  // and the starts of the games ended by them: those of `laengen` (one per
  // game from the game of starts[von - 1] on) but the last unless `fertig`,
  // their texts at the start of `anfaenge`. What is handed over is removed.
  void Uebergeben(const std::vector<int64_t>& starts, size_t von, bool fertig,
                  std::vector<uint32_t>& laengen, std::string& anfaenge) {
    const size_t spiele = fertig ? laengen.size() : laengen.size() - 1;
    size_t bytes = 0;
    for (size_t i = 0; i < spiele; ++i) bytes += laengen[i];
    {
      std::lock_guard<std::mutex> sperre(Mutex);
      Grenzen.insert(Grenzen.end(), starts.begin() + static_cast<std::ptrdiff_t>(von),
                     starts.end());
      Laengen.insert(Laengen.end(), laengen.begin(),
                     laengen.begin() + static_cast<std::ptrdiff_t>(spiele));
      Anfaenge.append(anfaenge, 0, bytes);
      Ausstehend += bytes;
      Fertig = fertig;
    }
    Signal.notify_one();
    laengen.erase(laengen.begin(), laengen.begin() + static_cast<std::ptrdiff_t>(spiele));
    anfaenge.erase(0, bytes);
  }
  void Beenden() {
    {
      std::lock_guard<std::mutex> sperre(Mutex);
      if (!Fertig) Stopp = true;
    }
    Signal.notify_one();
    if (Leser.joinable()) Leser.join();
  }
};

// A stretch of the file scanned on its own: the game starts from a line start
// `von` up to the line start `bis` (or the end of the file), and the state
// the scan is in there. Several are scanned at once (see Scan).
struct TPGNIndex::TScanTeil {
  std::vector<int64_t> Starts;
  // The length of the start of each game's text kept for the sort key thread
  // (0: none), one per start, and those starts one after another.
  std::vector<uint32_t> KopfLaengen;
  std::string KopfAnfaenge;
  // Where the scan stopped, and whether it is in a tag section there (with
  // its names).
  int64_t Ende = 0;
  bool Kopf = false;
  TagNamen Namen;
  bool Dateiende = false;  // the file ended there
  int Fehler = 0;          // errno of a read that failed
  std::vector<char> Puffer;

  // Scans from `von` on in a tag section with the names `namen`, or else in
  // movetext. `bisText`: stops at the first line of movetext (Ende is its
  // first byte other than a blank). `ausstehend`: the bytes the sort key
  // thread has yet to read, when starts are kept for it.
  void Lesen(const TPGNIndex& index, int64_t von, int64_t bis, const TagNamen* namen, bool bisText,
             const std::atomic<size_t>* ausstehend);
  // Keeps only the starts from `ab` on.
  void Ab(int64_t ab) {
    const auto erster =
        static_cast<size_t>(std::lower_bound(Starts.begin(), Starts.end(), ab) - Starts.begin());
    size_t bytes = 0;
    for (size_t i = 0; i < erster; ++i) bytes += KopfLaengen[i];
    Starts.erase(Starts.begin(), Starts.begin() + static_cast<std::ptrdiff_t>(erster));
    KopfLaengen.erase(KopfLaengen.begin(),
                      KopfLaengen.begin() + static_cast<std::ptrdiff_t>(erster));
    KopfAnfaenge.erase(0, bytes);
  }
};

void TPGNIndex::TScanTeil::Lesen(const TPGNIndex& index, int64_t von, int64_t bis,
                                 const TagNamen* namen, bool bisText,
                                 const std::atomic<size_t>* ausstehend) {
  Starts.clear();
  KopfLaengen.clear();
  KopfAnfaenge.clear();
  Dateiende = false;
  Fehler = 0;
  enum class Modus { Suche, Kopf } modus = namen ? Modus::Kopf : Modus::Suche;
  if (namen) {
    Namen = *namen;
  } else {
    Namen.Neu();
  }
  // Inside a line of the tag section: its kind is known (Ende: skip to its
  // end), or it held only blanks for more than TagZeilenKopf bytes (Leer).
  enum class Rest { Keiner, Ende, Leer } rest = Rest::Keiner;
  // The buffer keeps TagZeilenKopf bytes before the next byte to look at, so
  // that the start of its line and the end of the game before can be seen,
  // and a line start whose test needs more bytes is looked at again after the
  // next read.
  constexpr size_t rand = 2 * TagZeilenKopf;
  Puffer.resize(rand + LeseBlock);
  // The stretch is read with the TagZeilenKopf bytes before it.
  const auto davor = static_cast<size_t>(std::min<int64_t>(von, TagZeilenKopf));
  int64_t pos = von - static_cast<int64_t>(davor);  // file offset of the next read
  size_t carry = 0;                                 // bytes kept from the previous read
  size_t ab = davor;                                // next byte of the buffer to look at
  std::string_view name;
  const auto spielBeginnt = [&](int64_t start) {
    Starts.push_back(start);
    KopfLaengen.push_back(0);
    Namen.Neu();
    Namen.Hinzu(name);
    modus = Modus::Kopf;
    rest = Rest::Ende;
  };
  for (;;) {
    // Beyond `bis` only the bytes a kept start may reach into are read.
    const int64_t wunsch = bis == Unbegrenzt
                               ? LeseBlock
                               : std::clamp<int64_t>(bis + TagZeilenKopf - pos, 1, LeseBlock);
    const int64_t n = index.ReadAt(pos, Puffer.data() + carry, wunsch);
    if (n < 0) {
      Fehler = errno;
      return;
    }
    const bool letzter = n < wunsch;
    const char* b = Puffer.data();
    const size_t laenge = carry + static_cast<size_t>(n);
    const int64_t basis = pos - static_cast<int64_t>(carry);
    // The bytes up to `bis` are looked at.
    const size_t grenze =
        bis - basis < static_cast<int64_t>(laenge) ? static_cast<size_t>(bis - basis) : laenge;
    // The movetext of the current game begins at b[i]: the start of its text
    // up to a little beyond, when the buffer holds it, is kept for the sort
    // key thread, while it keeps up. True when the scan stops there.
    const auto textBeginnt = [&](size_t i) {
      modus = Modus::Suche;
      if (ausstehend && !Starts.empty() && KopfLaengen.back() == 0 && Starts.back() >= basis &&
          *ausstehend <= AnfaengeGrenze) {
        const auto anfang = static_cast<size_t>(Starts.back() - basis);
        const size_t ende = std::min({laenge, i + TagZeilenKopf, anfang + KopfGrenze});
        KopfAnfaenge.append(b + anfang, ende - anfang);
        KopfLaengen.back() = static_cast<uint32_t>(ende - anfang);
      }
      if (!bisText) return false;
      Ende = basis + static_cast<int64_t>(i);
      Kopf = false;
      return true;
    };
    while (ab < grenze) {
      if (modus == Modus::Suche) {
        // The next tag line: a "[" that only blanks separate from the line
        // start; or the next game without tags.
        const size_t k = NaechsterAnfang(b, ab, grenze);
        if (k == grenze) {
          ab = grenze;
          break;
        }
        if (b[k] == '1') {
          const size_t sicht = std::min(laenge, k + TagZeilenKopf);
          if (sicht < k + TagZeilenKopf && !letzter) {
            ab = k;  // decided after the next read
            break;
          }
          if (BeginntMitErstemZug(std::string_view(b + k, sicht - k)) &&
              ErgebnisDavor(b, k > TagZeilenKopf ? k - TagZeilenKopf : 0, k)) {
            Starts.push_back(basis + static_cast<int64_t>(k));
            KopfLaengen.push_back(0);
          }
          ab = k + 1;
          continue;
        }
        size_t z = k;
        while (z > 0 && k - z < TagZeilenKopf && IstLeer(b[z - 1])) --z;
        bool anfang = false;
        if (z > 0) {
          anfang = Zeilenende(b[z - 1]) ||
                   (basis == 0 && z == Bom.size() && std::string_view(b, z) == Bom);
        } else {
          anfang = basis == 0;
        }
        if (anfang) {
          const int r = TagZeilePruefen(b, laenge, z, k, letzter, name);
          if (r < 0) {
            ab = k;  // decided after the next read
            break;
          }
          if (r > 0) spielBeginnt(basis + static_cast<int64_t>(k));
        }
        ab = k + 1;
        continue;
      }
      // In a tag section every line is looked at.
      if (rest == Rest::Ende) {
        const size_t e = ZeilenendeAb(b, ab, grenze);
        if (e == grenze) {
          ab = grenze;
          break;
        }
        ab = e + 1;  // the LF of a CR LF reads as an empty line
        rest = Rest::Keiner;
        continue;
      }
      size_t i = ab;
      if (rest == Rest::Leer) {
        while (i < grenze && IstLeer(b[i])) ++i;
        if (i == grenze) {
          ab = grenze;
          break;
        }
        rest = Rest::Keiner;
        if (Zeilenende(b[i])) {
          ab = i + 1;
        } else if (b[i] == '%') {
          rest = Rest::Ende;
          ab = i;
        } else {
          ab = i + 1;  // the text's first line is no game's start
          if (textBeginnt(i)) return;
        }
        continue;
      }
      while (i < grenze && i - ab < TagZeilenKopf && IstLeer(b[i])) ++i;
      if (i == grenze) {
        if (!letzter && grenze == laenge) break;  // looked at again after the next read
        ab = grenze;
        break;
      }
      if (i - ab >= TagZeilenKopf) {
        rest = Rest::Leer;
        ab = i;
        continue;
      }
      const char c = b[i];
      if (Zeilenende(c)) {
        ab = i + 1;
        continue;
      }
      if (c == '%') {
        rest = Rest::Ende;
        ab = i;
        continue;
      }
      if (c == '[') {
        const int r = TagZeilePruefen(b, laenge, ab, i, letzter, name);
        if (r < 0) break;  // looked at again after the next read
        if (r > 0) {
          if (Namen.Hinzu(name)) {
            rest = Rest::Ende;
          } else {
            spielBeginnt(basis + static_cast<int64_t>(i));
          }
          ab = i + 1;
          continue;
        }
      }
      ab = i + 1;  // the text's first line is no game's start
      if (textBeginnt(i)) return;
    }
    pos += n;
    if (ab >= grenze && basis + static_cast<int64_t>(grenze) == bis) {
      Ende = bis;
      Kopf = modus == Modus::Kopf;
      return;
    }
    if (letzter) {
      Ende = pos;
      Kopf = modus == Modus::Kopf;
      Dateiende = true;
      return;
    }
    const size_t behalten = ab > TagZeilenKopf ? ab - TagZeilenKopf : 0;
    carry = laenge - behalten;
    std::memmove(Puffer.data(), b + behalten, carry);
    ab -= behalten;
  }
}

// The threads that scan the stretches of a file (see Scan), a few ahead of
// the thread that takes their results, one after another.
class TPGNIndex::TScanTeile {
 public:
  TScanTeile(const TPGNIndex& index, int64_t groesse, const std::atomic<size_t>* ausstehend)
      : index_(index), groesse_(groesse), ausstehend_(ausstehend) {
    // More threads than a few only wait for the memory.
    const auto threads = static_cast<size_t>(std::clamp(StandardThreads(), 1, 8));
    teile_.resize(threads + 2);
    nummern_.assign(teile_.size(), -1);
    grenzen_.push_back(0);
    Vorgeben(0);
    // A file of one stretch is scanned by the calling thread.
    for (size_t t = 0; t < threads && grenzen_[1] != Unbegrenzt; ++t) {
      try {
        arbeiter_.emplace_back([this] { Arbeiten(); });
      } catch (const std::system_error&) {
        break;  // the calling thread scans what no thread does
      }
    }
  }
  ~TScanTeile() {
    {
      std::lock_guard<std::mutex> sperre(mutex_);
      stopp_ = true;
    }
    arbeit_.notify_all();
    for (std::thread& t : arbeiter_) t.join();
  }
  TScanTeile(const TScanTeile&) = delete;
  TScanTeile& operator=(const TScanTeile&) = delete;

  // Stretch `nummer` scanned, once the one before was given back.
  TScanTeil& Holen(int64_t nummer) {
    const size_t platz = Platz(nummer);
    if (arbeiter_.empty()) {
      Scannen(nummer);
      return teile_[platz];
    }
    std::unique_lock<std::mutex> sperre(mutex_);
    fertig_.wait(sperre, [&] { return nummern_[platz] == nummer; });
    return teile_[platz];
  }
  // Where stretch `nummer` ends (Unbegrenzt: at the end of the file).
  int64_t Bis(int64_t nummer) const { return grenzen_[static_cast<size_t>(nummer) + 1]; }
  // Stretch `nummer` is no longer needed: its room takes a later one.
  void Freigeben(int64_t nummer) {
    Vorgeben(nummer + 1);
    arbeit_.notify_all();
  }

 private:
  size_t Platz(int64_t nummer) const { return static_cast<size_t>(nummer) % teile_.size(); }
  // Lets the threads scan the stretches from `erster` on, as many as there is
  // room for, once their ends are known.
  void Vorgeben(int64_t erster) {
    const auto bis = static_cast<size_t>(erster) + teile_.size() + 1;
    while (grenzen_.size() < bis && grenzen_.back() != Unbegrenzt) {
      const int64_t g = index_.ZeilenanfangAb(grenzen_.back() + index_.scanTeil_, groesse_);
      std::lock_guard<std::mutex> sperre(mutex_);
      grenzen_.push_back(g);
    }
    std::lock_guard<std::mutex> sperre(mutex_);
    frei_ = std::min<int64_t>(erster + static_cast<int64_t>(teile_.size()),
                              static_cast<int64_t>(grenzen_.size()) - 1);
  }
  void Scannen(int64_t nummer) {
    int64_t von, bis;
    {
      std::lock_guard<std::mutex> sperre(mutex_);
      von = grenzen_[static_cast<size_t>(nummer)];
      bis = grenzen_[static_cast<size_t>(nummer) + 1];
    }
    TScanTeil& teil = teile_[Platz(nummer)];
    try {
      teil.Lesen(index_, von, bis, nullptr, false, ausstehend_);
    } catch (const std::bad_alloc&) {
      teil.Fehler = ENOMEM;
    }
  }
  void Arbeiten() {
    for (;;) {
      int64_t nummer;
      {
        std::unique_lock<std::mutex> sperre(mutex_);
        arbeit_.wait(sperre, [&] { return stopp_ || naechster_ < frei_; });
        if (stopp_) return;
        nummer = naechster_++;
      }
      Scannen(nummer);
      {
        std::lock_guard<std::mutex> sperre(mutex_);
        nummern_[Platz(nummer)] = nummer;
      }
      fertig_.notify_all();
    }
  }

  const TPGNIndex& index_;
  const int64_t groesse_;
  const std::atomic<size_t>* const ausstehend_;
  std::vector<TScanTeil> teile_;  // stretch n in teile_[n % size]
  std::vector<int64_t> nummern_;  // of the stretch scanned into each, -1: none yet
  std::vector<int64_t> grenzen_;  // stretch n spans grenzen_[n] .. grenzen_[n + 1]
  int64_t naechster_ = 0;         // the next stretch to scan
  int64_t frei_ = 0;              // the stretches below it may be scanned
  bool stopp_ = false;
  std::mutex mutex_;
  std::condition_variable arbeit_, fertig_;
  std::vector<std::thread> arbeiter_;
};

bool TPGNIndex::Scan(const std::string& pfad) {
  // Open the new file before letting go of the old one, so that a file that
  // cannot be opened leaves the list as it was.
  const int fd = ::open(pfad.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    lastError_ = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    lastError_ = "not a regular file";
    ::close(fd);
    return false;
  }
  CloseFile();
  fd_ = fd;
  fileName_ = pfad;
  lastError_.clear();
  busy_ = true;
  indexComplete_ = false;
  starts_.clear();
  rows_.clear();
  order_.clear();
  sortKey_ = 0;
  scanCancel_ = cmContinue;
  scanSchluessel_.reset();
  std::unique_ptr<TScanSchluessel> schluessel;
  // A scan on several threads ends well before one thread could read the
  // keys; SortBy reads them on all threads faster.
  if (scanSortKey_ != skNumber && scanSortKey_ <= skMoveCount && StandardThreads() == 1) {
    try {
      schluessel = std::make_unique<TScanSchluessel>(scanSortKey_);
      schluessel->Leser = std::thread([this, s = schluessel.get()] { s->Lesen(*this); });
    } catch (const std::exception&) {
      schluessel.reset();  // SortBy reads the keys itself
    }
  }
  size_t uebergeben = 0;  // starts handed over to `schluessel`
  // The length of the start of each game's text kept for `schluessel` (0:
  // none), from the game of starts_[uebergeben - 1] on, and those starts.
  std::vector<uint32_t> kopfLaengen;
  std::string kopfAnfaenge;

  const int64_t bloecke = st.st_size / ScanBlock;
  bool abgebrochen = false;
  try {
    // A game without tags at the start of the file; the stretches find the
    // games after it. (A read error here is met again by the scan.)
    std::string anfang(static_cast<size_t>(std::min<int64_t>(st.st_size, TaglosGrenze)), '\0');
    const int64_t gelesen = ReadAt(0, anfang.data(), static_cast<int64_t>(anfang.size()));
    anfang.resize(static_cast<size_t>(std::max<int64_t>(gelesen, 0)));
    if (const size_t taglos = TaglosePartieAmAnfang(anfang); taglos != std::string_view::npos) {
      starts_.push_back(static_cast<int64_t>(taglos));
      if (schluessel) kopfLaengen.push_back(0);
    }
    // The file is scanned in stretches of scanTeil_ bytes, each ending at a
    // line start, by threads of their own, a few stretches ahead of this
    // thread, which takes their results in file order. Each stretch but the
    // first is scanned as if it began in movetext, which its results are only
    // when the stretch before ended there; else it is scanned again here from
    // its start up to its first line of movetext (from there on a scan's
    // results do not depend on what came before).
    TScanTeile teile(*this, st.st_size, schluessel ? &schluessel->Ausstehend : nullptr);
    TScanTeil nochmal;
    int64_t von = 0;  // where the next stretch begins
    // Whether the scan is in a tag section there, and its names.
    bool kopf = false;
    TagNamen namen;
    int letzterProzent = -1;
    // The games a stretch found become rows.
    // (The game without tags at the start is found again when a "%" line
    // before it ends with a result.)
    const auto uebernehmen = [&](const TScanTeil& t) {
      const bool doppelt = !starts_.empty() && !t.Starts.empty() && t.Starts[0] == starts_[0];
      for (size_t i = doppelt ? 1 : 0; i < t.Starts.size(); ++i) {
        starts_.push_back(t.Starts[i]);
        if (starts_.size() > 1) AddRow(GameCount() - 1);
      }
      if (schluessel) {
        kopfLaengen.insert(kopfLaengen.end(), t.KopfLaengen.begin() + (doppelt ? 1 : 0),
                           t.KopfLaengen.end());
        kopfAnfaenge += t.KopfAnfaenge;
      }
    };
    for (int64_t nummer = 0;; ++nummer) {
      TScanTeil* e = &teile.Holen(nummer);
      if (kopf && e->Fehler == 0) {
        // (The sort key thread reads the starts of the games found again
        // from the file.)
        nochmal.Lesen(*this, von, teile.Bis(nummer), &namen, true, nullptr);
        if (nochmal.Fehler != 0 || nochmal.Dateiende || nochmal.Ende == teile.Bis(nummer)) {
          e = &nochmal;  // the whole stretch was scanned again
        } else {
          // The stretch's own results after the start of its first line of
          // movetext, which the stretch may have taken for a game's start.
          uebernehmen(nochmal);
          e->Ab(nochmal.Ende + 1);
        }
      }
      if (e->Fehler != 0) {
        // A read error is no end of file: the index stays incomplete.
        lastError_ = std::strerror(e->Fehler);
        abgebrochen = true;
        break;
      }
      uebernehmen(*e);
      von = e->Ende;
      kopf = e->Kopf;
      if (kopf) std::swap(namen, e->Namen);
      const bool fertig = e->Dateiende;
      teile.Freigeben(nummer);
      const int prozent = Prozent((von + ScanBlock - 1) / ScanBlock, bloecke);
      if (GameCount() > 50 && prozent != letzterProzent) {
        letzterProzent = prozent;
        Trace(prozent, scanCancel_);
        if (scanCancel_ == cmCancel) {
          abgebrochen = true;
          break;
        }
      }
      if (fertig) break;
      if (schluessel && starts_.size() - uebergeben >= 1024) {
        schluessel->Uebergeben(starts_, uebergeben, false, kopfLaengen, kopfAnfaenge);
        uebergeben = starts_.size();
      }
    }
    if (!abgebrochen) {
      // The last game ends at the end of the bytes read.
      if (!starts_.empty()) {
        starts_.push_back(von);
        AddRow(GameCount() - 1);
      }
      indexComplete_ = true;
      if (schluessel) schluessel->Uebergeben(starts_, uebergeben, true, kopfLaengen, kopfAnfaenge);
    }
  } catch (const std::bad_alloc&) {
    lastError_ = std::strerror(ENOMEM);
    indexComplete_ = false;
  }
  if (schluessel) {
    schluessel->Beenden();
    if (indexComplete_ && !schluessel->Fehler &&
        static_cast<int64_t>(schluessel->Nummern.size()) == GameCount())
      scanSchluessel_ = std::move(schluessel);
  }
  scanGroesse_ = st.st_size;
  scanZeit_ = Nanosekunden(st.st_mtim);
  scanGeraet_ = st.st_dev;
  scanKnoten_ = st.st_ino;
  DateiEndeMerken();
  busy_ = false;
  TCancelMode ende = scanCancel_;
  Trace(0, ende);
  return true;
}

void TPGNIndex::DateiEndeMerken() {
  scanBis_ = starts_.empty() ? 0 : starts_.back();
  scanEnde_.assign(static_cast<size_t>(std::min(scanBis_, FingerabdruckLaenge)), '\0');
  const int64_t laenge = static_cast<int64_t>(scanEnde_.size());
  ReadAt(scanBis_ - laenge, scanEnde_.data(), laenge);  // unread bytes stay zeros
}

bool TPGNIndex::FileChanged() const {
  if (fd_ < 0) return false;
  struct stat st {};
  return ::fstat(fd_, &st) != 0 || Geaendert(st.st_size, Nanosekunden(st.st_mtim));
}

bool TPGNIndex::Geaendert(int64_t groesse, int64_t zeit) const {
  if (groesse < scanBis_) return true;
  // Written without growing: nothing was appended, so something was rewritten.
  if (groesse == scanGroesse_) return zeit != scanZeit_;
  std::string ende(scanEnde_.size(), '\0');
  const int64_t laenge = static_cast<int64_t>(ende.size());
  return ReadAt(scanBis_ - laenge, ende.data(), laenge) != laenge || ende != scanEnde_;
}

TPGNIndex::TDateiStand TPGNIndex::FileState() const {
  struct stat st {};
  if (fd_ < 0 || ::stat(fileName_.c_str(), &st) != 0) return TDateiStand::Unveraendert;
  if (st.st_dev != scanGeraet_ || st.st_ino != scanKnoten_) return TDateiStand::Erneuert;
  const int64_t zeit = Nanosekunden(st.st_mtim);
  if (st.st_size == scanGroesse_ && zeit == scanZeit_) return TDateiStand::Unveraendert;
  return Geaendert(st.st_size, zeit) ? TDateiStand::Erneuert : TDateiStand::Gewachsen;
}

int64_t TPGNIndex::ZeilenanfangAb(int64_t pos, int64_t groesse) const {
  if (pos >= groesse) return Unbegrenzt;
  std::array<char, 4096> puffer;
  for (int64_t von = pos - 1;; von += static_cast<int64_t>(puffer.size())) {
    const int64_t n = ReadAt(von, puffer.data(), static_cast<int64_t>(puffer.size()));
    for (int64_t i = 0; i < n; ++i)
      if (Zeilenende(puffer[static_cast<size_t>(i)])) return von + i + 1;
    if (n < static_cast<int64_t>(puffer.size())) return Unbegrenzt;
  }
}

int64_t TPGNIndex::ReadAt(int64_t pos, char* ziel, int64_t laenge) const {
  int64_t gelesen = 0;
  while (gelesen < laenge) {
    const ssize_t n = ::pread(fd_, ziel + gelesen, static_cast<size_t>(laenge - gelesen),
                              static_cast<off_t>(pos + gelesen));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && gelesen == 0) return -1;
    if (n <= 0) break;
    gelesen += n;
  }
  return gelesen;
}

// ---------------------------------------------------------------------------
// Rows, filter and sort

void TPGNIndex::AddRow(int64_t gameId) {
  rows_.push_back(gameId);
  order_.push_back(static_cast<int64_t>(rows_.size()) - 1);
}

void TPGNIndex::ApplyFilter() {
  if (busy_ || !IsOpen()) return;
  busy_ = true;
  rows_.clear();
  order_.clear();
  sortKey_ = 0;
  TCancelMode modus = cmContinue;
  const int64_t anzahl = GameCount();
  int letzterProzent = -1;
  // The headers are read a batch at a time, each batch split over the threads
  // in contiguous parts, each part through a window of its own; the handler
  // sees them on this thread, in file order.
  constexpr int64_t Stapel = 8192;
  const int64_t threads = std::max(1, StandardThreads());
  std::vector<TEventData> koepfe;
  std::vector<TTextFenster> fenster(static_cast<size_t>(threads));
  try {
    for (int64_t von = 0; von < anzahl && modus != cmCancel; von += Stapel) {
      const int64_t bis = std::min(anzahl, von + Stapel);
      if (OnFilterRequest) {
        koepfe.resize(static_cast<size_t>(bis - von));
        const int64_t teile = std::clamp<int64_t>((bis - von) / 1024, 1, threads);
        Gleichzeitig(teile, [&](int64_t t) {
          for (int64_t g = von + (bis - von) * t / teile; g < von + (bis - von) * (t + 1) / teile;
               ++g)
            ReadGameHeader(g, koepfe[static_cast<size_t>(g - von)],
                           fenster[static_cast<size_t>(t)]);
        });
      }
      for (int64_t g = von; g < bis; ++g) {
        bool zeigen = true;
        if (OnFilterRequest) OnFilterRequest(koepfe[static_cast<size_t>(g - von)], zeigen);
        if (zeigen) {
          rows_.push_back(g);
          order_.push_back(static_cast<int64_t>(rows_.size()) - 1);
        }
        const int prozent = Prozent(g + 1, anzahl);
        if (prozent != letzterProzent) {
          letzterProzent = prozent;
          Trace(prozent, modus);
          if (modus == cmCancel) break;
        }
      }
    }
  } catch (const std::bad_alloc&) {
    lastError_ = std::strerror(ENOMEM);
  }
  Trace(0, modus);
  busy_ = false;
}

void TPGNIndex::SetRows(const std::vector<int64_t>& gameIds) {
  if (busy_) return;
  rows_.clear();
  order_.clear();
  sortKey_ = 0;
  try {
    for (const int64_t g : gameIds) {
      if (g < 0 || g >= GameCount() || (!rows_.empty() && g <= rows_.back())) continue;
      rows_.push_back(g);
      order_.push_back(static_cast<int64_t>(rows_.size()) - 1);
    }
  } catch (const std::bad_alloc&) {
    lastError_ = std::strerror(ENOMEM);
  }
}

std::string TPGNIndex::SortKeyText(const TEventData& kopf, uint8_t key) {
  switch (key) {
    case skWhite:
      return std::string(ListenWert(kopf.White));
    case skBlack:
      return std::string(ListenWert(kopf.Black));
    case skEvent:
      return std::string(ListenWert(kopf.Event));
    case skAnnotator:
      return std::string(ListenWert(kopf.Annotator));
    case skSite:
      return std::string(ListenWert(kopf.Site));
    case skResult:
      return std::string(ListenWert(kopf.Result));
    case skEco:
      return std::string(ListenWert(kopf.ECO));
    case skYear:
      return std::to_string(kopf.Year);
    case skWhiteElo:
      return std::to_string(kopf.WhiteElo);
    case skBlackElo:
      return std::to_string(kopf.BlackElo);
    case skMoveCount:
      return std::to_string(kopf.MoveCount);
    default:
      return {};
  }
}

void TPGNIndex::SortBy(uint8_t key) {
  if (busy_ || !IsOpen() || order_.empty() || key > skMoveCount) return;
  busy_ = true;
  noPaint_ = true;
  TCancelMode modus = cmContinue;
  const int64_t n = RowCount();
  if (key == sortKey_) {
    if (key != skNumber) std::reverse(order_.begin(), order_.end());
  } else {
    sortKey_ = key;
    std::iota(order_.begin(), order_.end(), int64_t{0});
    if (key != skNumber) {
      const int64_t gesamt = 2 * n;
      int64_t schritte = 0;
      int letzterProzent = -1;
      auto melden = [&] {
        const int prozent = Prozent(schritte, gesamt);
        if (prozent != letzterProzent) {
          letzterProzent = prozent;
          Trace(prozent, modus);
        }
        return modus != cmCancel;
      };
      try {
        // The key of every row, as the rank of its text among all the keys'
        // texts: equal texts get equal ranks and the ranks order as the texts
        // do, so the sort below orders the rows as it would by the texts.
        std::vector<uint32_t> keys;
        bool weiterGelesen = true;
        if (scanSchluessel_ && scanSchluessel_->Key == key) {
          // Read during the scan: each row's game's number of its text.
          keys.resize(static_cast<size_t>(n));
          for (size_t r = 0; r < keys.size(); ++r)
            keys[r] = scanSchluessel_->Nummern[static_cast<size_t>(rows_[r])];
          RaengeSetzen({&scanSchluessel_->Menge}, keys);
          scanSchluessel_.reset();
        } else {
          weiterGelesen = SortKeysLesen(key, keys, [&](int64_t gelesen) {
            schritte = gelesen;
            return melden();
          });
        }
        bool weiter = weiterGelesen;
        schritte = n;
        if (!weiter) {
          sortKey_ = skNumber;  // the rows are still in file order
        } else {
          // Quicksort with the middle element as pivot; an explicit stack
          // (smaller range first) keeps its depth logarithmic.
          std::vector<std::pair<int64_t, int64_t>> stapel;
          if (n > 1) stapel.emplace_back(0, n - 1);
          while (weiter && !stapel.empty()) {
            const auto [lo, hi] = stapel.back();
            stapel.pop_back();
            const uint32_t pivot = keys[(lo + hi) / 2];
            int64_t i = lo, j = hi;
            do {
              while (keys[i] < pivot) ++i;
              while (keys[j] > pivot) --j;
              if (i <= j) {
                std::swap(keys[i], keys[j]);
                std::swap(order_[i], order_[j]);
                ++i;
                --j;
              }
            } while (i <= j);
            ++schritte;
            weiter = melden();
            const bool links = lo < j, rechts = i < hi;
            if (links && rechts) {
              if (j - lo > hi - i) {
                stapel.emplace_back(lo, j);
                stapel.emplace_back(i, hi);
              } else {
                stapel.emplace_back(i, hi);
                stapel.emplace_back(lo, j);
              }
            } else if (links) {
              stapel.emplace_back(lo, j);
            } else if (rechts) {
              stapel.emplace_back(i, hi);
            }
          }
        }
      } catch (const std::bad_alloc&) {
        lastError_ = std::strerror(ENOMEM);
        sortKey_ = skNumber;
        std::iota(order_.begin(), order_.end(), int64_t{0});
      }
    }
  }
  Trace(0, modus);
  noPaint_ = false;
  busy_ = false;
}

bool TPGNIndex::SortKeysLesen(uint8_t key, std::vector<uint32_t>& keys,
                              const std::function<bool(int64_t gelesen)>& fortschritt) {
  const int64_t n = RowCount();
  keys.assign(static_cast<size_t>(n), 0);
  // Rows in contiguous ranges, one per thread; the rows ascend in file order
  // here, so each thread reads its part of the file through its own window.
  constexpr int64_t MindestZeilen = 4096;
  const int64_t threads =
      std::clamp<int64_t>(StandardThreads(), 1, std::max<int64_t>(1, n / MindestZeilen));
  std::vector<TSchluesselMenge> mengen(static_cast<size_t>(threads));
  std::atomic<int64_t> gelesen{0};
  std::atomic<bool> stopp{false}, fehler{false};
  std::atomic<int64_t> laufend{threads};
  std::mutex mutex;
  std::condition_variable signal;
  const auto arbeiten = [&](int64_t t) {
    const int64_t von = n * t / threads, bis = n * (t + 1) / threads;
    try {
      TSchluesselLeser leser(key);
      TTextFenster fenster;
      TSchluesselMenge& menge = mengen[static_cast<size_t>(t)];
      int64_t gemeldet = von;
      for (int64_t r = von; r < bis; ++r) {
        const int64_t g = rows_[static_cast<size_t>(order_[static_cast<size_t>(r)])];
        const TGameIndexEntry e = Entry(g);
        const std::string_view text = KopfText(e, fenster);
        std::string_view schluessel = *leser.Schluessel(text);
        if (key == skResult && schluessel == "*")
          if (const std::string_view am = EndErgebnis(e, text); !am.empty()) schluessel = am;
        keys[static_cast<size_t>(r)] = menge.Nummer(schluessel);
        if (r - gemeldet >= 1024) {
          gelesen += r - gemeldet;
          gemeldet = r;
          if (stopp.load(std::memory_order_relaxed)) break;
        }
      }
      gelesen += bis - gemeldet;
    } catch (const std::exception&) {
      fehler = true;
      stopp = true;
    }
    {
      std::lock_guard<std::mutex> sperre(mutex);
      --laufend;
    }
    signal.notify_one();
  };
  // The ranges are read by threads of their own while this one reports the
  // progress; a range no thread could be started for is read here.
  std::vector<std::thread> arbeiter;
  std::vector<int64_t> selbst;
  for (int64_t t = 0; t < threads; ++t) {
    try {
      arbeiter.emplace_back(arbeiten, t);
    } catch (const std::system_error&) {
      selbst.push_back(t);
    }
  }
  for (const int64_t t : selbst) arbeiten(t);
  for (;;) {
    bool fertig;
    {
      std::unique_lock<std::mutex> sperre(mutex);
      signal.wait_for(sperre, std::chrono::milliseconds(20), [&] { return laufend == 0; });
      fertig = laufend == 0;
    }
    if (!stopp && !fortschritt(gelesen.load())) stopp = true;
    if (fertig) break;
  }
  for (std::thread& t : arbeiter) t.join();
  if (fehler) throw std::bad_alloc();
  if (stopp) return false;

  std::vector<const TSchluesselMenge*> alle;
  for (const TSchluesselMenge& m : mengen) alle.push_back(&m);
  RaengeSetzen(alle, keys);
  return true;
}

// ---------------------------------------------------------------------------
// Reading games

std::string TPGNIndex::ReadGameText(int64_t gameIndex) const {
  const TGameIndexEntry e = Entry(gameIndex);
  if (e.GameID < 0 || !IsOpen() || e.EndPos <= e.StartPos) return {};
  try {
    std::string text;
    for (int64_t pos = e.StartPos; pos < e.EndPos;) {
      const int64_t menge = std::min(TextBlock, e.EndPos - pos);
      const size_t alt = text.size();
      text.resize(alt + static_cast<size_t>(menge));
      const int64_t n = ReadAt(pos, text.data() + alt, menge);
      text.resize(alt + static_cast<size_t>(std::max<int64_t>(0, n)));
      if (const void* null = std::memchr(text.data() + alt, '\0', text.size() - alt)) {
        text.resize(static_cast<size_t>(static_cast<const char*>(null) - text.data()));
        break;
      }
      if (n < menge) break;
      pos += n;
    }
    const std::string_view rein = Getrimmt(text);
    if (rein.size() == text.size()) return text;
    return std::string(rein);
  } catch (const std::bad_alloc&) {
    return {};
  }
}

std::string_view TPGNIndex::GameTextView(int64_t gameIndex) {
  return GameTextView(gameIndex, textFenster_);
}

std::string_view TPGNIndex::GameTextView(int64_t gameIndex, TTextFenster& fenster) const {
  const TGameIndexEntry e = Entry(gameIndex);
  if (e.GameID < 0 || !IsOpen() || e.EndPos <= e.StartPos) return {};
  try {
    if (e.EndPos - e.StartPos > TextFenster / 4) {
      fenster.Kopie = ReadGameText(gameIndex);
      return fenster.Kopie;
    }
    const int64_t fensterEnde = fenster.Start + static_cast<int64_t>(fenster.Daten.size());
    if (fenster.Daten.empty() || e.StartPos < fenster.Start || e.EndPos > fensterEnde) {
      fenster.Daten.resize(TextFenster);
      const int64_t n = ReadAt(e.StartPos, fenster.Daten.data(), TextFenster);
      fenster.Daten.resize(static_cast<size_t>(std::max<int64_t>(0, n)));
      fenster.Start = e.StartPos;
    }
  } catch (const std::bad_alloc&) {
    fenster.Daten = {};
    return {};
  }
  // A window that ends before the game (a file cut back since its scan)
  // gives what is left of it.
  const int64_t ende =
      std::min(e.EndPos, fenster.Start + static_cast<int64_t>(fenster.Daten.size()));
  if (ende <= e.StartPos) return {};
  std::string_view text(fenster.Daten.data() + (e.StartPos - fenster.Start),
                        static_cast<size_t>(ende - e.StartPos));
  if (const void* null = std::memchr(text.data(), '\0', text.size()))
    text = text.substr(0, static_cast<size_t>(static_cast<const char*>(null) - text.data()));
  return Getrimmt(text);
}

void TPGNIndex::GetGame(int64_t gameIndex, int64_t& gameId, std::string& pgnGame) const {
  gameId = -1;
  pgnGame.clear();
  if (!IsOpen() || gameIndex < 0 || gameIndex >= GameCount()) return;
  pgnGame = ReadGameText(gameIndex);
  if (!pgnGame.empty()) gameId = Entry(gameIndex).GameID;
}

const TEventData& TPGNIndex::ReadGameHeader(int64_t gameIndex) {
  const TGameIndexEntry e = Entry(gameIndex);
  const int64_t laenge = e.GameID < 0 ? 0 : std::min(e.EndPos - e.StartPos, KopfGrenze);
  // Read as much of the game as its tag section needs, not the whole game.
  std::string puffer;
  for (int64_t menge = std::min(laenge, KopfBlock);; menge = std::min(laenge, 2 * menge)) {
    puffer.resize(static_cast<size_t>(std::max<int64_t>(menge, 0)));
    const int64_t n = IsOpen() ? std::max<int64_t>(0, ReadAt(e.StartPos, puffer.data(), menge)) : 0;
    puffer.resize(static_cast<size_t>(std::max<int64_t>(n, 0)));
    const bool alles = n < menge || menge >= laenge;
    if (KopfLesen(puffer, alles, header_) || alles) break;
  }
  ErgebnisErgaenzen(e, puffer, header_);
  headerCut_ = KopfKuerzen(header_);
  return header_;
}

bool TPGNIndex::ImFenster(const TGameIndexEntry& e, int64_t laenge, const TTextFenster& fenster) {
  const int64_t fensterEnde = fenster.Start + static_cast<int64_t>(fenster.Daten.size());
  // A window shorter than a header window ends at the end of the file.
  const bool dateiende = static_cast<int64_t>(fenster.Daten.size()) < KopfFenster;
  return !fenster.Daten.empty() && e.StartPos >= fenster.Start &&
         (e.StartPos + laenge <= fensterEnde || (dateiende && e.StartPos <= fensterEnde));
}

std::string_view TPGNIndex::KopfText(int64_t gameIndex, TTextFenster& fenster) const {
  return KopfText(Entry(gameIndex), fenster);
}

std::string_view TPGNIndex::KopfText(const TGameIndexEntry& e, TTextFenster& fenster) const {
  if (e.GameID < 0 || !IsOpen()) return {};
  const int64_t laenge = std::min(e.EndPos - e.StartPos, KopfGrenze);
  if (laenge <= 0) return {};
  if (!ImFenster(e, laenge, fenster)) {
    fenster.Daten.resize(KopfFenster);
    const int64_t n = ReadAt(e.StartPos, fenster.Daten.data(), KopfFenster);
    fenster.Daten.resize(static_cast<size_t>(std::max<int64_t>(0, n)));
    fenster.Start = e.StartPos;
  }
  const int64_t bis =
      std::min(e.StartPos + laenge, fenster.Start + static_cast<int64_t>(fenster.Daten.size()));
  if (bis <= e.StartPos) return {};
  return std::string_view(fenster.Daten.data() + (e.StartPos - fenster.Start),
                          static_cast<size_t>(bis - e.StartPos));
}

uint32_t TPGNIndex::ReadGameHeader(int64_t gameIndex, TEventData& kopf, TTextFenster& fenster,
                                   bool einzeln, bool nurListe) const {
  const auto lesen = nurListe ? ListenKopfLesen : KopfLesen;
  const TGameIndexEntry e = Entry(gameIndex);
  const int64_t laenge =
      e.GameID < 0 || !IsOpen() ? 0 : std::min(e.EndPos - e.StartPos, KopfGrenze);
  if (!einzeln || laenge <= 0 || ImFenster(e, laenge, fenster)) {
    const std::string_view text = KopfText(gameIndex, fenster);
    lesen(text, true, kopf);
    ErgebnisErgaenzen(e, text, kopf);
    return KopfKuerzen(kopf);
  }
  // As much of the game as its tag section needs, read directly.
  for (int64_t menge = std::min(laenge, KopfBlock);; menge = std::min(laenge, 2 * menge)) {
    fenster.Kopie.resize(static_cast<size_t>(std::max<int64_t>(menge, 0)));
    const int64_t n = menge > 0 ? ReadAt(e.StartPos, fenster.Kopie.data(), menge) : 0;
    fenster.Kopie.resize(static_cast<size_t>(std::max<int64_t>(n, 0)));
    const bool alles = n < menge || menge >= laenge;
    if (lesen(fenster.Kopie, alles, kopf) || alles) break;
  }
  ErgebnisErgaenzen(e, fenster.Kopie, kopf);
  return KopfKuerzen(kopf);
}

std::string_view TPGNIndex::EndErgebnis(const TGameIndexEntry& e, std::string_view anfang) const {
  const int64_t laenge = e.GameID < 0 ? 0 : e.EndPos - e.StartPos;
  if (laenge <= 0) return {};
  if (static_cast<int64_t>(anfang.size()) >= laenge || anfang.find('\0') != anfang.npos)
    return ErgebnisAmTextende(anfang.substr(0, static_cast<size_t>(laenge)));
  const int64_t n = std::min<int64_t>(laenge, ErgebnisFenster);
  std::array<char, ErgebnisFenster> puffer;
  if (!IsOpen() || ReadAt(e.EndPos - n, puffer.data(), n) != n) return {};
  const std::string_view ende(puffer.data(), static_cast<size_t>(n));
  return ErgebnisAmEnde(ende.substr(0, ende.find('\0')));
}

void TPGNIndex::ErgebnisErgaenzen(const TGameIndexEntry& e, std::string_view anfang,
                                  TEventData& kopf) const {
  if (kopf.Result != "*") return;
  if (const std::string_view r = EndErgebnis(e, anfang); !r.empty()) kopf.Result = r;
}

std::string AppendText(const TPGNIndex& index, const std::vector<int64_t>& gameIds,
                       std::string_view zeilenende) {
  std::string text;
  for (int64_t g : gameIds) {
    int64_t id = -1;
    std::string spiel;
    index.GetGame(g, id, spiel);
    if (!spiel.empty()) AnhangHinzu(text, spiel, zeilenende);
  }
  return text;
}

void AnhangHinzu(std::string& text, std::string_view spiel, std::string_view zeilenende) {
  text.append(zeilenende).append(zeilenende);
  const size_t erste = std::min(spiel.find_first_of("\r\n"), spiel.size());
  if (TagZeilenName(spiel.substr(0, erste)).empty())
    text.append("[Event \"?\"]").append(zeilenende).append(zeilenende);
  text += spiel;
}

}  // namespace brevaro
