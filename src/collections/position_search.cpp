#include "collections/position_search.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include "core/moves.h"
#include "game/header.h"
#include "game/tree.h"

namespace brevaro {

namespace {

constexpr int Index(int32_t figur) {
  return figur + 6;
}

void Zaehlen(const TSchachbrett& brett, std::array<int32_t, 13>& anzahl) {
  // Without a branch per square, into two tables by turns, so that the many
  // empty squares do not wait for each other; what is no piece code counts
  // as empty.
  std::array<std::array<int32_t, 13>, 2> teil{};
  for (int reihe = 2; reihe <= 9; ++reihe)
    for (int linie = 1; linie <= 8; ++linie) {
      const int32_t f = brett[static_cast<size_t>(reihe * 10 + linie)];
      const size_t k =
          static_cast<uint32_t>(f + 6) < 13 ? static_cast<size_t>(f + 6) : size_t{Index(Leer)};
      ++teil[static_cast<size_t>(linie & 1)][k];
    }
  for (size_t k = 0; k < 13; ++k) anzahl[k] = teil[0][k] + teil[1][k];
}

// Pawns on the first or last rank, where they could still step onto a start
// rank; the pawn rule does not hold for such a game.
bool BauernRegelGilt(const TSchachbrett& brett) {
  for (int linie = 1; linie <= 8; ++linie) {
    const int32_t unten = brett[20 + linie], oben = brett[90 + linie];
    if (unten == Bauer || unten == -Bauer || oben == Bauer || oben == -Bauer) return false;
  }
  return true;
}

// A tag line as the reader takes it: "[", a tag name, blanks, a quote.
bool IstTagZeile(std::string_view z) {
  size_t i = 1;
  if (z.size() < 4 || z[0] != '[') return false;
  while (i < z.size() && IstTagNamenZeichen(z[i])) ++i;
  if (i == 1) return false;
  while (i < z.size() && (z[i] == ' ' || z[i] == '\t')) ++i;
  return i < z.size() && z[i] == '"';
}

// The first line end ("\r" or "\n") from `pos`, or the text's end.
size_t ZeilenEnde(std::string_view text, size_t pos) {
  const char* const a = text.data() + pos;
  const void* lf = std::memchr(a, '\n', text.size() - pos);
  const size_t bisLf =
      lf ? static_cast<size_t>(static_cast<const char*>(lf) - a) : text.size() - pos;
  const void* cr = std::memchr(a, '\r', bisLf);
  return pos + (cr ? static_cast<size_t>(static_cast<const char*>(cr) - a) : bisLf);
}

struct TRahmen {
  const TBaum* Knoten;
  TSchachbrett Brett;              // the position before Knoten's move
  std::array<int32_t, 13> Anzahl;  // its pieces by code + 6
  int32_t Ply;                     // of that position
};

}  // namespace

TStellungssuche::TStellungssuche(const TSchachbrett& brett, int8_t amZug, bool varianten)
    : brett_(brett), amZug_(amZug < 0 ? -1 : 1), varianten_(varianten) {
  Zaehlen(brett_, anzahl_);
  for (int k = 0; k < 13; ++k) figuren_ += k == Index(Leer) ? 0 : anzahl_[k];
  for (int linie = 1; linie <= 8; ++linie) {
    if (brett_[30 + linie] == Bauer) bauernFelder_.push_back(30 + linie);
    if (brett_[80 + linie] == -Bauer) bauernFelder_.push_back(80 + linie);
  }
  // Each pawn of the target comes from a pawn of its side that stands on a
  // square behind it, no more files aside than ranks behind: its cone.
  for (int reihe = 1; reihe <= 8; ++reihe) {
    for (int linie = 1; linie <= 8; ++linie) {
      const int32_t bauer = brett_[10 * (reihe + 1) + linie];
      if (bauer != Bauer && bauer != -Bauer) continue;
      // Nearest first: most often the pawn is still on its square.
      for (int hinter = 0; hinter < 8; ++hinter) {
        const int r = bauer == Bauer ? reihe - hinter : reihe + hinter;
        if (r < 1 || r > 8) break;
        for (int l = std::max(1, linie - hinter); l <= std::min(8, linie + hinter); ++l)
          kegelFelder_.push_back(static_cast<uint8_t>(10 * (r + 1) + l));
      }
      kegel_.emplace_back(bauer, kegelFelder_.size());
    }
  }
}

bool TStellungssuche::Gleich(const TSchachbrett& brett, int8_t amZug) const {
  return amZug == amZug_ &&
         std::memcmp(brett.data() + 21, brett_.data() + 21, (99 - 21) * sizeof(int32_t)) == 0;
}

bool TStellungssuche::Erreichbar(const TSchachbrett& brett, bool bauernRegel) const {
  std::array<int32_t, 13> da;
  Zaehlen(brett, da);
  return Erreichbar(brett, da, bauernRegel);
}

bool TStellungssuche::Erreichbar(const TSchachbrett& brett, const std::array<int32_t, 13>& da,
                                 bool bauernRegel) const {
  if (bauernRegel)
    for (const int feld : bauernFelder_)
      if (brett[feld] != brett_[feld]) return false;
  for (const int seite : {1, -1}) {
    // Pieces can only be lost, except that a pawn may become a knight,
    // bishop, rook or queen.
    const int32_t bauern = da[Index(seite * Bauer)] - anzahl_[Index(seite * Bauer)];
    if (bauern < 0 || da[Index(seite * Koenig)] < anzahl_[Index(seite * Koenig)]) return false;
    int32_t fehlen = 0;
    for (const int32_t art : {Turm, Laeufer, Springer, Dame})
      fehlen += std::max(0, anzahl_[Index(seite * art)] - da[Index(seite * art)]);
    if (fehlen > bauern) return false;
  }
  size_t feld = 0;
  for (const auto& [bauer, ende] : kegel_) {
    while (feld < ende && brett[kegelFelder_[feld]] != bauer) ++feld;
    if (feld == ende) return false;
    feld = ende;
  }
  return true;
}

std::string_view TStellungssuche::Lesetext(std::string_view text) const {
  if (varianten_) return text;
  // The movetext starts at the first line after the tag section that is
  // neither empty nor a "%" line, as the reader finds it.
  size_t pos = 0, letzteTagzeile = 0;
  bool mitTags = false;
  while (pos < text.size()) {
    const size_t ende = ZeilenEnde(text, pos);
    std::string_view z = text.substr(pos, ende - pos);
    while (!z.empty() && static_cast<unsigned char>(z.front()) <= ' ') z.remove_prefix(1);
    while (!z.empty() && static_cast<unsigned char>(z.back()) <= ' ') z.remove_suffix(1);
    if (IstTagZeile(z)) {
      // A FEN tag sets another start, a Variant tag may make the game a
      // Fischer Random one: such games keep their tag section, as do those
      // with a line of several tag pairs, where only the first is looked at.
      std::string name;
      for (size_t k = 1; k < z.size() && k < 9 && z[k] != ' ' && z[k] != '\t'; ++k)
        name += z[k] >= 'A' && z[k] <= 'Z' ? static_cast<char>(z[k] - 'A' + 'a') : z[k];
      if (name == "fen" || name == "variant" || ErstesTagpaar(z) < z.size()) return text;
      mitTags = true;
      letzteTagzeile = pos;
    } else if (mitTags && !z.empty() && z[0] != '%') {
      // From the last tag line on: the reader then knows where the movetext
      // starts without looking for tag lines in it.
      return text.substr(letzteTagzeile);
    }
    pos = ende + 1;
  }
  return text;
}

TTreffer TStellungssuche::ErsterTreffer(const TNotationModell& modell) const {
  TTreffer t = Suchen(modell, false);
  if (t.Ply < 0 && varianten_) t = Suchen(modell, true);
  return t;
}

TTreffer TStellungssuche::Suchen(const TNotationModell& modell, bool varianten) const {
  const TSchachbrett& start = modell.Partiedaten.StartBrett;
  if (!varianten && Gleich(start, modell.Partiedaten.StartZug.AmZug)) return {0, nullptr};
  const bool regel = BauernRegelGilt(start);
  if (!Erreichbar(start, regel) || !modell.Wurzel || !modell.Wurzel->Erster) return {};
  std::array<bool, 120> bauernFeld{};
  if (regel)
    for (const int feld : bauernFelder_) bauernFeld[feld] = true;
  // Only a capture, a promotion or a pawn leaving a start square the target
  // needs can make the target unreachable.
  const auto pruefen = [&](const TZug& zug) {
    return zug.Geschlagen != 0 || zug.Umwandlung != 0 || zug.EPSchlagfeld != 0 ||
           (zug.Von > 0 && zug.Von < 120 && bauernFeld[zug.Von]);
  };
  const TFischerInfo* fischer = modell.FischerInfo();
  std::array<int32_t, 13> anzahl;
  Zaehlen(start, anzahl);

  thread_local std::vector<TRahmen> stapel;
  stapel.clear();
  stapel.push_back({modell.Wurzel->Erster, start, anzahl, 0});
  while (!stapel.empty()) {
    const TBaum* n = stapel.back().Knoten;
    TSchachbrett brett = stapel.back().Brett;
    std::array<int32_t, 13> da = stapel.back().Anzahl;
    int32_t ply = stapel.back().Ply;
    stapel.pop_back();
    while (n) {
      const bool mitVarianten = varianten && n->Varianten;
      TSchachbrett vorher;
      std::array<int32_t, 13> davor;
      if (mitVarianten) {
        vorher = brett;
        davor = da;
      }
      const TZug& zug = n->Zug;
      ZugAusfuehren(brett, zug, fischer);
      ++ply;
      // The move's destination decides for almost every position at once.
      const auto nach = static_cast<uint8_t>(zug.Nach);
      if (nach < 120 && brett[nach] == brett_[nach] && Gleich(brett, zug.AmZug)) return {ply, n};
      // Along the main line alone the walk goes to the end of what was read:
      // a search of a file ended the reading where the target could no longer
      // arise (Weiterlesen), and one game costs little. With variations a
      // line is left here, those branching off before it still walked.
      bool weiter = true;
      if (varianten && pruefen(zug)) {
        if (zug.Geschlagen != 0 && zug.Geschlagen >= -Koenig && zug.Geschlagen <= Koenig)
          --da[Index(zug.Geschlagen)];
        if (zug.Umwandlung >= -Dame && zug.Umwandlung <= Dame && zug.Umwandlung != 0) {
          --da[Index(-zug.AmZug * Bauer)];  // the mover's pawn
          ++da[Index(zug.Umwandlung)];
        }
        weiter = Erreichbar(brett, da, regel);
      }
      if (mitVarianten) {
        // The line goes on after the variations of this move, which start
        // from the position before it: they are taken from the stack first,
        // in the order they were written.
        if (weiter && n->Naechster) stapel.push_back({n->Naechster, brett, da, ply});
        const TVariante* v = n->Varianten;
        while (v->Naechste) v = v->Naechste;
        for (; v; v = v->Vorige)
          if (v->Erster) stapel.push_back({v->Erster, vorher, davor, ply - 1});
        break;
      }
      if (!weiter) break;
      n = n->Naechster;
    }
  }
  return {};
}

// ---------------------------------------------------------------------------
// Searching a file

namespace {

// A thread's view of the file: games read through a window of its own, as
// TPGNIndex::GameTextView does.
class TLesefenster {
 public:
  explicit TLesefenster(int fd) : fd_(fd) {}

  std::string_view Text(const TGameIndexEntry& e) {
    if (e.GameID < 0 || e.EndPos <= e.StartPos) return {};
    std::string_view text;
    if (e.EndPos - e.StartPos > Groesse / 4) {
      kopie_.resize(static_cast<size_t>(e.EndPos - e.StartPos));
      kopie_.resize(static_cast<size_t>(Lesen(e.StartPos, kopie_.data(), e.EndPos - e.StartPos)));
      text = kopie_;
    } else {
      const int64_t ende = anfang_ + static_cast<int64_t>(puffer_.size());
      if (puffer_.empty() || e.StartPos < anfang_ || e.EndPos > ende) {
        puffer_.resize(Groesse);
        puffer_.resize(static_cast<size_t>(Lesen(e.StartPos, puffer_.data(), Groesse)));
        anfang_ = e.StartPos;
      }
      const int64_t bis = std::min(e.EndPos, anfang_ + static_cast<int64_t>(puffer_.size()));
      if (bis <= e.StartPos) return {};
      text = std::string_view(puffer_.data() + (e.StartPos - anfang_),
                              static_cast<size_t>(bis - e.StartPos));
    }
    text = text.substr(0, text.find('\0'));
    size_t a = 0, z = text.size();
    while (a < z && static_cast<unsigned char>(text[a]) <= ' ') ++a;
    while (z > a && static_cast<unsigned char>(text[z - 1]) <= ' ') --z;
    return text.substr(a, z - a);
  }

 private:
  static constexpr int64_t Groesse = 4 * 1024 * 1024;

  int64_t Lesen(int64_t pos, char* ziel, int64_t laenge) const {
    int64_t gelesen = 0;
    while (gelesen < laenge) {
      const ssize_t n = ::pread(fd_, ziel + gelesen, static_cast<size_t>(laenge - gelesen),
                                static_cast<off_t>(pos + gelesen));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      gelesen += n;
    }
    return gelesen;
  }

  int fd_;
  std::vector<char> puffer_;
  int64_t anfang_ = 0;
  std::string kopie_;
};

// A model that keeps the Fischer Random information it is given, as the game
// window does.
struct TSuchLeser {
  TNotationModell Modell;
  TFischerInfo Fischer;
  TSuchLeser() {
    Modell.OnFischerInfo = [this](const TFischerInfo& info) {
      Fischer = info;
      Modell.SetFischerInfo(info.Fischer ? &Fischer : nullptr);
    };
  }
};

// Games are handed out in blocks of this many.
constexpr int64_t BlockGroesse = 256;

}  // namespace

int StandardThreads() {
  if (const char* wert = std::getenv("BREVARO_THREADS")) {
    char* ende = nullptr;
    const long n = std::strtol(wert, &ende, 10);
    if (ende != wert && *ende == '\0' && n >= 1 && n <= 64) return static_cast<int>(n);
  }
  const unsigned kerne = std::thread::hardware_concurrency();
  return kerne == 0 ? 1 : static_cast<int>(std::min(kerne, 64u));
}

void Gleichzeitig(int64_t teile, const std::function<void(int64_t)>& f) {
  std::vector<std::exception_ptr> fehler(static_cast<size_t>(std::max<int64_t>(teile, 1)));
  const auto teil = [&](int64_t t) {
    try {
      f(t);
    } catch (...) {
      fehler[static_cast<size_t>(t)] = std::current_exception();
    }
  };
  std::vector<std::thread> arbeiter;
  for (int64_t t = 1; t < teile; ++t) {
    try {
      arbeiter.emplace_back(teil, t);
    } catch (const std::system_error&) {
      teil(t);  // no thread to be had: here
    }
  }
  teil(0);
  for (std::thread& t : arbeiter) t.join();
  for (const std::exception_ptr& e : fehler)
    if (e) std::rethrow_exception(e);
}

int64_t StellungSuchen(const TPGNIndex& index, const TStellungssuche& suche,
                       const std::vector<int64_t>* spiele, const TSuchlauf& lauf) {
  TCancelMode modus = cmContinue;
  const auto ende = [&](int64_t geprueft) {
    if (lauf.OnTrace) lauf.OnTrace(0, modus);
    return geprueft;
  };
  const int64_t anzahl = spiele ? static_cast<int64_t>(spiele->size()) : index.GameCount();
  if (anzahl <= 0 || !index.IsOpen()) return ende(0);
  const int fd = ::open(index.FileName().c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ende(0);
  const int64_t bloecke = (anzahl + BlockGroesse - 1) / BlockGroesse;
  const int64_t threads =
      std::clamp<int64_t>(lauf.Threads > 0 ? lauf.Threads : StandardThreads(), 1, bloecke);

  struct TBlock {
    std::vector<std::pair<int64_t, int32_t>> Treffer;
    std::atomic<bool> Fertig{false};
  };
  std::unique_ptr<TBlock[]> block;
  try {
    block = std::make_unique<TBlock[]>(static_cast<size_t>(bloecke));
  } catch (const std::bad_alloc&) {
    ::close(fd);
    return ende(0);
  }
  std::atomic<int64_t> naechster{0}, geprueft{0};
  std::atomic<bool> stopp{false};
  std::atomic<int> laufend{static_cast<int>(threads)};
  std::mutex mutex;
  std::condition_variable signal;

  const auto arbeiten = [&] {
    try {
      TSuchLeser leser;
      leser.Modell.MindestFiguren = suche.Varianten() ? 0 : suche.Figuren();
      leser.Modell.OhneVarianten = !suche.Varianten();
      if (!suche.Varianten()) {
        const TNotationModell& modell = leser.Modell;
        leser.Modell.Weiterlesen = [&suche, &modell](const TSchachbrett& brett) {
          return suche.Erreichbar(brett, BauernRegelGilt(modell.Partiedaten.StartBrett));
        };
      }
      TLesefenster fenster(fd);
      for (int64_t b; !stopp.load(std::memory_order_relaxed) && (b = naechster++) < bloecke;) {
        const int64_t von = b * BlockGroesse, bis = std::min(anzahl, von + BlockGroesse);
        int64_t i = von;
        for (; i < bis && !stopp.load(std::memory_order_relaxed); ++i) {
          const int64_t g = spiele ? (*spiele)[static_cast<size_t>(i)] : i;
          leser.Modell.SetFischerInfo(nullptr);
          leser.Modell.LadePartie(suche.Lesetext(fenster.Text(index.Entry(g))),
                                  TLadeart::OhneNotationstext);
          const TTreffer t = suche.ErsterTreffer(leser.Modell);
          if (t.Ply >= 0) block[b].Treffer.emplace_back(g, t.Ply);
        }
        geprueft += i - von;
        if (i < bis) break;
        block[b].Fertig.store(true, std::memory_order_release);
        signal.notify_one();
      }
    } catch (const std::exception&) {
      stopp = true;  // out of memory: the blocks done so far count
    }
    FreilistenLeeren();  // the thread's recycled tree nodes go with it
    --laufend;
    signal.notify_one();
  };
  std::vector<std::thread> arbeiter;
  try {
    for (int64_t t = 0; t < threads; ++t) arbeiter.emplace_back(arbeiten);
  } catch (const std::system_error&) {
    laufend -= static_cast<int>(threads - static_cast<int64_t>(arbeiter.size()));
    if (arbeiter.empty()) {
      ::close(fd);
      return ende(0);
    }
  }

  // Hits are handed on block by block in file order.
  int64_t erledigt = 0;  // blocks whose hits were handed on
  const auto weitergeben = [&] {
    while (erledigt < bloecke && block[erledigt].Fertig.load(std::memory_order_acquire)) {
      if (lauf.OnTreffer)
        for (const auto& [g, ply] : block[erledigt].Treffer) lauf.OnTreffer(g, ply);
      block[erledigt].Treffer = {};
      ++erledigt;
    }
  };
  int letzterProzent = -1;
  while (laufend.load() > 0) {
    {
      std::unique_lock<std::mutex> sperre(mutex);
      signal.wait_for(sperre, std::chrono::milliseconds(50));
    }
    weitergeben();
    const int prozent = Prozent(geprueft.load(), anzahl);
    if (lauf.OnTrace && prozent != letzterProzent && !stopp) {
      letzterProzent = prozent;
      lauf.OnTrace(std::max(prozent, 1), modus);
      if (modus == cmCancel) stopp = true;
    }
  }
  for (std::thread& t : arbeiter) t.join();
  ::close(fd);
  weitergeben();
  return ende(std::min(anzahl, erledigt * BlockGroesse));
}

}  // namespace brevaro
