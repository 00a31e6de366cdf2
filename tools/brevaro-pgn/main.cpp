// brevaro-pgn: the command-line companion of Brevaro. It counts, lists,
// filters and sorts the games of PGN files with the same index the game list
// uses, checks FEN texts and appends games to PGN files.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <barrier>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "collections/encoding.h"
#include "collections/game_list.h"
#include "collections/pgn_file.h"
#include "collections/pgn_index.h"
#include "collections/position_search.h"
#include "core/moves.h"
#include "core/position.h"
#include "game/move_text.h"
#include "game/notation_model.h"

using namespace brevaro;

namespace {

constexpr const char* kUsage =
    "usage: brevaro-pgn COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  count FILE                 number of games in FILE\n"
    "  list FILE [OPTIONS]        the games of FILE, one line each, as the game list shows them\n"
    "  show FILE N                game N (from 0) laid out as the notation shows it\n"
    "  pgn FILE N                 game N (from 0) as the PGN writer writes it\n"
    "  replay FILE                every game read: plies, final position, main-line moves\n"
    "  fen TEXT                   read TEXT as FEN and write it back\n"
    "  append TARGET FILE N...    append games N... (from 0) of FILE to the PGN file TARGET\n"
    "\n"
    "Run 'brevaro-pgn COMMAND --help' for the options of a command.\n";

constexpr const char* kCountHelp =
    "usage: brevaro-pgn count FILE\n"
    "Prints the number of games in FILE. A game starts at the first tag line of the file, at\n"
    "the first tag line after movetext, and at a tag line whose tag its tag section already has.\n";

constexpr const char* kListHelp =
    "usage: brevaro-pgn list FILE [OPTIONS]\n"
    "Prints the rows of the game list, tab-separated: number (from 1), \"White - Black\",\n"
    "event and site, year, result. Text is written as UTF-8.\n"
    "\n"
    "filter (a game must pass every option given):\n"
    "  --player TEXT              TEXT in a player's name, any case\n"
    "  --as white|black|both      where --player looks (default both)\n"
    "  --event TEXT               TEXT in the event, any case\n"
    "  --eco TEXT                 TEXT in the ECO code, any case\n"
    "  --years A-B                year from A to B (inclusive)\n"
    "  --result 1-0|1/2-1/2|0-1   exact result; may be given more than once\n"
    "  --position FEN             every piece of FEN stands on its square in the start position\n"
    "  --reaches FEN              the main line reaches FEN's placement with its side to move;\n"
    "                             a last column gives the ply of the first hit (0: the start)\n"
    "  --variations               with --reaches: a variation's position counts as well\n"
    "  --threads N                file scanned, games searched and rows read by N threads\n"
    "                             (default: one per core)\n"
    "sort (each --sort acts like one click on a header; the same key twice reverses):\n"
    "  --sort KEY                 number, white, black, event, annotator, site, result, eco,\n"
    "                             year, whiteelo, blackelo or movecount\n";

constexpr const char* kShowHelp =
    "usage: brevaro-pgn show FILE N [--english] [--heading]\n"
    "Prints game N (numbered from 0 in file order) as the notation lays it out, one line per\n"
    "display line, without wrapping. --english uses English piece letters (default German),\n"
    "--heading adds the heading lines with players, event, site and year.\n";

constexpr const char* kPgnHelp =
    "usage: brevaro-pgn pgn FILE N\n"
    "Prints game N (numbered from 0 in file order) as the PGN writer writes it.\n";

constexpr const char* kReplayHelp =
    "usage: brevaro-pgn replay [--fen4] [--uci960] [--threads N] FILE\n"
    "Reads every game and prints one line per game, tab-separated: its number (from 0), the\n"
    "main-line moves read, the first two FEN fields after the last of them, and the moves as\n"
    "from- and to-square with a promotion letter (castling as the king's squares); \"ERR\"\n"
    "is appended when a game could not be read completely.\n"
    "  --fen4    the first four FEN fields (a Chess960 game's castling field in X-FEN)\n"
    "  --uci960  castling as the king's square and its rook's square\n"
    "  --threads N  file scanned and games read by N threads (default: one per core); the\n"
    "               output is the same\n";

constexpr const char* kFenHelp =
    "usage: brevaro-pgn fen TEXT\n"
    "Reads TEXT with the FEN reader and writes the position back as FEN;\n"
    "prints \"invalid\" and exits with 1 when TEXT cannot be read.\n";

constexpr const char* kAppendHelp =
    "usage: brevaro-pgn append TARGET FILE N...\n"
    "Appends games N... (numbered from 0 in file order) of FILE to the end of the PGN file\n"
    "TARGET, each after an empty line, as the database window does. TARGET must exist and be\n"
    "a PGN file; its existing bytes are never changed.\n";

int Fehler(const std::string& text) {
  std::cerr << "brevaro-pgn: " << text << "\n";
  return 2;
}

bool Hilfe(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") return true;
  return false;
}

// Progress on standard error while it is a terminal.
void Fortschritt(int prozent, TCancelMode&) {
  if (prozent <= 0) {
    std::fprintf(stderr, "\r%40s\r", "");
    return;
  }
  if (prozent > 100) prozent = 100;
  const int voll = prozent * 30 / 100;
  std::fprintf(stderr, "\r[%.*s%*s] %3d%%", voll, "##############################", 30 - voll, "",
               prozent);
  std::fflush(stderr);
}

// Opens FILE in `index`; a message and false when it is missing or no PGN file.
bool Oeffnen(TPGNIndex& index, const std::string& pfad, std::string& meldung) {
  std::string grund;
  if (!IstPGNDatei(pfad, &grund)) {
    meldung = pfad + ": " + (grund.empty() ? "not a PGN file" : grund);
    return false;
  }
  if (::isatty(2)) index.OnPGNTrace = Fortschritt;
  index.BeforeCreatePGNFile = [](const std::string&, bool& anlegen) { anlegen = false; };
  index.SetFileName(pfad);
  if (!index.IsOpen()) {
    meldung = pfad + ": " + (index.LastError().empty() ? "cannot open" : index.LastError());
    return false;
  }
  return true;
}

bool Zahl(const std::string& text, int64_t& wert) {
  if (text.empty() || text.size() > 18) return false;
  wert = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    wert = wert * 10 + (c - '0');
  }
  return true;
}

int Count(const std::vector<std::string>& args) {
  if (Hilfe(args)) {
    std::cout << kCountHelp;
    return 0;
  }
  if (args.size() != 1) return Fehler(std::string("count needs one FILE\n") + kCountHelp);
  TPGNIndex index;
  std::string meldung;
  if (!Oeffnen(index, args[0], meldung)) return Fehler(meldung);
  std::cout << index.GameCount() << "\n";
  return 0;
}

// Rows are written through this buffer, a block at a time.
class TAusgabe {
 public:
  ~TAusgabe() { Leeren(); }
  std::string& Puffer() { return aus_; }
  void Zeile() {
    if (aus_.size() > (1 << 16)) Leeren();
  }
  bool Leeren() {
    const bool ok = std::fwrite(aus_.data(), 1, aus_.size(), stdout) == aus_.size();
    aus_.clear();
    return ok;
  }

 private:
  std::string aus_;
};

// `text` as UTF-8 (see AlsUtf8), appended without a copy when it is UTF-8.
void Utf8Anhaengen(std::string& aus, std::string_view text) {
  // Only the part from the first byte beyond ASCII needs the UTF-8 check.
  size_t ascii = 0;
  while (ascii < text.size() && static_cast<unsigned char>(text[ascii]) < 0x80) ++ascii;
  if (ascii == text.size() || IstUtf8(text.substr(ascii)))
    aus += text;
  else
    aus += Windows1252ZuUtf8(text);
}

// `zahl` in decimal.
void ZahlAnhaengen(std::string& aus, int64_t zahl) {
  std::array<char, 24> z{};
  const auto [ende, fehler] = std::to_chars(z.data(), z.data() + z.size(), zahl);
  aus.append(z.data(), ende);
}

bool Bekannt(const std::string& text) {
  return !text.empty() && text != "?";
}

// A row of the list, with the ply of the position search when there is one:
// the texts RowTexts(kopf, g) gives, made in `teil` (kept from row to row)
// rather than in new strings.
void ZeileAnhaengen(std::string& aus, int64_t g, const TEventData& kopf, int32_t ply,
                    std::string& teil) {
  ZahlAnhaengen(aus, g + 1);
  aus += '\t';
  teil.assign(kopf.White);
  teil += " - ";
  teil += kopf.Black;
  Utf8Anhaengen(aus, teil);
  aus += '\t';
  teil.clear();
  if (Bekannt(kopf.Event)) teil += kopf.Event;
  if (Bekannt(kopf.Site)) {
    if (!teil.empty()) teil += ", ";
    teil += kopf.Site;
  }
  Utf8Anhaengen(aus, teil);
  aus += '\t';
  if (kopf.Year != 0) ZahlAnhaengen(aus, kopf.Year);
  aus += '\t';
  Utf8Anhaengen(aus, kopf.Result);
  if (ply >= 0) {
    aus += '\t';
    ZahlAnhaengen(aus, ply);
  }
  aus += '\n';
}

// The sorted rows' headers are read through windows of the file where the
// games asked for lie close: where at least FensterSpiele of them start within
// a window's bytes. A window costs as much as reading a few headers alone.
constexpr int64_t FensterSpiele = 16;

// Reads the headers of the games spiel(von) .. spiel(bis - 1), ascending in
// the file, one by one into `kopf` (only a row's fields with `nurListe`) and
// hands each position to f(i). A window pays when it would hold the headers
// of many of the games asked for; a game with few others near it is read
// alone.
template <class Spiel, class F>
void KoepfeLesen(const TPGNIndex& index, int64_t von, int64_t bis, Spiel spiel, bool nurListe,
                 TTextFenster& fenster, TEventData& kopf, F f) {
  int64_t nah = 0;  // the first game beyond the window a game would start
  for (int64_t i = von; i < bis; ++i) {
    const int64_t start = index.Entry(spiel(i)).StartPos;
    nah = std::max(nah, i + 1);
    while (nah < bis && index.Entry(spiel(nah)).StartPos < start + KopfFenster) ++nah;
    index.ReadGameHeader(spiel(i), kopf, fenster, nah - i < FensterSpiele, nurListe);
    f(i);
  }
}

// Reads the headers of games given one by one in ascending order, a batch at a
// time split over the threads, each part through a window as the sorted rows
// are read (only the row's fields unless the filter needs the others). The
// games that pass the filter are written as rows to `ausgabe`, in the order
// given, or else kept with the number given with them in `gefunden`.
class TKopfStapel {
 public:
  TKopfStapel(const TPGNIndex& index, const TFilterSettings& filter, int64_t threads,
              TAusgabe* ausgabe, std::vector<std::pair<int64_t, int32_t>>* gefunden)
      : index_(index),
        filter_(filter),
        threads_(threads > 0 ? threads : StandardThreads()),
        ausgabe_(ausgabe),
        gefunden_(gefunden) {}
  void Hinzu(int64_t g, int32_t wert) {
    spiele_.emplace_back(g, wert);
    if (spiele_.size() >= 16384) Leeren();
  }
  void Leeren() {
    const auto n = static_cast<int64_t>(spiele_.size());
    const int64_t teile = std::clamp<int64_t>(n / 1024, 1, threads_);
    teile_.resize(static_cast<size_t>(std::max<int64_t>(teile, teile_.size())));
    Gleichzeitig(teile, [&](int64_t t) {
      TTeil& d = teile_[static_cast<size_t>(t)];
      d.Aus.clear();
      d.Treffer.clear();
      const auto spiel = [&](int64_t i) { return spiele_[static_cast<size_t>(i)].first; };
      KoepfeLesen(index_, n * t / teile, n * (t + 1) / teile, spiel, !filter_.Enabled, d.Fenster,
                  d.Kopf, [&](int64_t i) {
                    const auto [g, wert] = spiele_[static_cast<size_t>(i)];
                    if (filter_.Enabled && !FilterRequest(filter_, d.Kopf)) return;
                    if (ausgabe_)
                      ZeileAnhaengen(d.Aus, g, d.Kopf, wert, d.Spalte);
                    else
                      d.Treffer.emplace_back(g, wert);
                  });
    });
    for (int64_t t = 0; t < teile; ++t) {
      const TTeil& d = teile_[static_cast<size_t>(t)];
      if (ausgabe_) {
        ausgabe_->Puffer() += d.Aus;
        ausgabe_->Zeile();
      } else {
        gefunden_->insert(gefunden_->end(), d.Treffer.begin(), d.Treffer.end());
      }
    }
    spiele_.clear();
  }

 private:
  struct TTeil {
    TTextFenster Fenster;
    TEventData Kopf;
    std::string Aus, Spalte;
    std::vector<std::pair<int64_t, int32_t>> Treffer;
  };
  const TPGNIndex& index_;
  const TFilterSettings& filter_;
  const int64_t threads_;
  TAusgabe* const ausgabe_;
  std::vector<std::pair<int64_t, int32_t>>* const gefunden_;
  std::vector<std::pair<int64_t, int32_t>> spiele_;
  std::vector<TTeil> teile_;
};

int List(const std::vector<std::string>& args) {
  if (Hilfe(args)) {
    std::cout << kListHelp;
    return 0;
  }
  static const std::map<std::string, uint8_t> schluessel = {
      {"number", skNumber},       {"white", skWhite},
      {"black", skBlack},         {"event", skEvent},
      {"annotator", skAnnotator}, {"site", skSite},
      {"result", skResult},       {"eco", skEco},
      {"year", skYear},           {"whiteelo", skWhiteElo},
      {"blackelo", skBlackElo},   {"movecount", skMoveCount}};
  std::string datei;
  TFilterSettings filter;
  std::vector<uint8_t> sortierungen;
  bool stellungSuchen = false, varianten = false;
  TSchachbrett ziel = LeeresBrett;
  TZug zielZug;
  int64_t threads = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--variations") {
      varianten = true;
      continue;
    }
    const bool mitWert = a.size() > 2 && a.compare(0, 2, "--") == 0;
    if (!mitWert) {
      if (!datei.empty()) return Fehler("list takes one FILE; unexpected " + a);
      datei = a;
      continue;
    }
    if (i + 1 >= args.size()) return Fehler(a + " needs a value");
    const std::string& w = args[++i];
    if (a == "--player") {
      filter.Player = w;
    } else if (a == "--as") {
      if (w == "white")
        filter.As = TPlayerColour::White;
      else if (w == "black")
        filter.As = TPlayerColour::Black;
      else if (w == "both")
        filter.As = TPlayerColour::Both;
      else
        return Fehler("--as takes white, black or both, not " + w);
      continue;
    } else if (a == "--event") {
      filter.Event = w;
    } else if (a == "--eco") {
      filter.Eco = w;
    } else if (a == "--years") {
      const size_t strich = w.find('-', 1);
      int64_t von = 0, bis = 0;
      if (strich == std::string::npos || !Zahl(w.substr(0, strich), von) ||
          !Zahl(w.substr(strich + 1), bis) || von > 3000 || bis > 3000)
        return Fehler("--years takes A-B with years 0..3000, not " + w);
      filter.YearRange = true;
      filter.FromYear = static_cast<int32_t>(von);
      filter.ToYear = static_cast<int32_t>(bis);
    } else if (a == "--result") {
      if (w == "1-0")
        filter.Win = true;
      else if (w == "1/2-1/2")
        filter.Draw = true;
      else if (w == "0-1")
        filter.Loss = true;
      else
        return Fehler("--result takes 1-0, 1/2-1/2 or 0-1, not " + w);
    } else if (a == "--position") {
      TZug zug;
      uint16_t zugnummer = 1;
      filter.SearchBoard = LeeresBrett;
      if (!FENToStellung(w, filter.SearchBoard, zug, zugnummer))
        return Fehler("--position: not a FEN position: " + w);
      filter.Position = true;
    } else if (a == "--reaches") {
      uint16_t zugnummer = 1;
      ziel = LeeresBrett;
      if (!FENToStellung(w, ziel, zielZug, zugnummer))
        return Fehler("--reaches: not a FEN position: " + w);
      stellungSuchen = true;
      continue;
    } else if (a == "--threads") {
      if (!Zahl(w, threads) || threads < 1 || threads > 64)
        return Fehler("--threads takes a number from 1 to 64, not " + w);
      // The index's filter and sort take theirs from the environment.
      ::setenv("BREVARO_THREADS", w.c_str(), 1);
      continue;
    } else if (a == "--sort") {
      const auto k = schluessel.find(w);
      if (k == schluessel.end()) return Fehler("--sort: unknown key " + w);
      sortierungen.push_back(k->second);
      continue;
    } else {
      return Fehler("list: unknown option " + a);
    }
    filter.Enabled = true;
  }
  if (datei.empty()) return Fehler(std::string("list needs a FILE\n") + kListHelp);
  if (varianten && !stellungSuchen) return Fehler("--variations needs --reaches");

  TPGNIndex index;
  // The keys of the first sort are read while the file is scanned on one
  // thread.
  for (const uint8_t k : sortierungen) {
    if (k == skNumber) continue;
    index.SetScanSortKey(k);
    break;
  }
  std::string meldung;
  if (!Oeffnen(index, datei, meldung)) return Fehler(meldung);
  TAusgabe ausgabe;
  const bool sortiert = !sortierungen.empty();
  // Games found by the position search with their ply, in file order, when
  // the rows are sorted.
  std::vector<std::pair<int64_t, int32_t>> gefunden;
  TKopfStapel stapel(index, filter, threads, sortiert ? nullptr : &ausgabe, &gefunden);

  if (stellungSuchen) {
    const TStellungssuche suche(ziel, zielZug.AmZug, varianten);
    TSuchlauf lauf;
    lauf.Threads = static_cast<int>(threads);
    if (::isatty(2)) lauf.OnTrace = Fortschritt;
    lauf.OnTreffer = [&](int64_t g, int32_t ply) { stapel.Hinzu(g, ply); };
    StellungSuchen(index, suche, nullptr, lauf);
    stapel.Leeren();
    if (!sortiert) return ausgabe.Leeren() && std::fflush(stdout) == 0 ? 0 : 1;
    std::vector<int64_t> spiele;
    spiele.reserve(gefunden.size());
    for (const auto& [g, ply] : gefunden) spiele.push_back(g);
    index.SetRows(spiele);
  } else if (!sortiert) {
    // Streamed in file order: the headers are read a batch at a time.
    for (int64_t g = 0; g < index.GameCount(); ++g) stapel.Hinzu(g, -1);
    stapel.Leeren();
    return ausgabe.Leeren() && std::fflush(stdout) == 0 ? 0 : 1;
  } else if (filter.Enabled) {
    index.OnFilterRequest = [&filter](const TEventData& kopf, bool& zeigen) {
      zeigen = FilterRequest(filter, kopf);
    };
    index.ApplyFilter();
  }
  for (uint8_t k : sortierungen) index.SortBy(k);
  const auto plyVon = [&](int64_t g) {
    const auto p = std::lower_bound(gefunden.begin(), gefunden.end(), std::make_pair(g, -1));
    return p != gefunden.end() && p->first == g ? p->second : -1;
  };

  // Only the rows' game numbers are kept: the lines are made a large block of
  // rows at a time and written in display order. The block's games are read
  // in file order, split over the threads in contiguous parts, each part
  // through a window of its own (see FensterSpiele).
  const int64_t zeilen = index.RowCount();
  constexpr int64_t Block = 1 << 19;
  const int64_t teile = std::clamp<int64_t>(threads > 0 ? threads : StandardThreads(), 1,
                                            std::max<int64_t>(1, std::min(zeilen, Block) / 4096));
  struct TTeil {
    TTextFenster Fenster;
    TEventData Kopf;
    std::string Text, Teil;
    std::string Aus;             // lines gathered in display order
    std::vector<size_t> Anfang;  // of each line in Text, and its end
  };
  std::vector<TTeil> teil(static_cast<size_t>(teile));
  std::vector<std::pair<int64_t, int64_t>> block;  // game, position in the block
  std::vector<int32_t> linie;                      // the line of each position in the block
  const auto parallel = [teile](const std::function<void(int64_t)>& f) { Gleichzeitig(teile, f); };
  // For blocks of many of the games: the position in the block of each game
  // (-1: none), which orders the block's games without a sort.
  std::vector<int32_t> stelle;
  for (int64_t von = 0; von < zeilen; von += Block) {
    const int64_t bis = std::min(zeilen, von + Block), anzahl = bis - von;
    block.clear();
    if (anzahl * 8 >= index.GameCount()) {
      stelle.resize(static_cast<size_t>(index.GameCount()), -1);
      for (int64_t r = von; r < bis; ++r)
        stelle[static_cast<size_t>(index.GameOfRow(r))] = static_cast<int32_t>(r - von);
      for (size_t g = 0; g < stelle.size(); ++g) {
        if (stelle[g] < 0) continue;
        block.emplace_back(static_cast<int64_t>(g), stelle[g]);
        stelle[g] = -1;
      }
    } else {
      for (int64_t r = von; r < bis; ++r) block.emplace_back(index.GameOfRow(r), r - von);
      std::sort(block.begin(), block.end());
    }
    linie.assign(block.size(), 0);
    for (int64_t i = 0; i < anzahl; ++i)
      linie[static_cast<size_t>(block[i].second)] = static_cast<int32_t>(i);
    const auto lesen = [&](int64_t t) {
      TTeil& d = teil[static_cast<size_t>(t)];
      d.Text.clear();
      d.Anfang.clear();
      const auto spiel = [&](int64_t i) { return block[static_cast<size_t>(i)].first; };
      KoepfeLesen(index, anzahl * t / teile, anzahl * (t + 1) / teile, spiel, true, d.Fenster,
                  d.Kopf, [&](int64_t i) {
                    const int64_t g = spiel(i);
                    d.Anfang.push_back(d.Text.size());
                    ZeileAnhaengen(d.Text, g, d.Kopf, stellungSuchen ? plyVon(g) : -1, d.Teil);
                  });
      d.Anfang.push_back(d.Text.size());
    };
    parallel(lesen);
    // The lines in display order, a piece at a time: the threads each gather
    // a part of it, then the parts are written in order.
    constexpr size_t Stueck = 1 << 16;
    for (size_t erste = 0; erste < linie.size(); erste += Stueck) {
      const size_t letzte = std::min(linie.size(), erste + Stueck);
      parallel([&](int64_t t) {
        std::string& aus = teil[static_cast<size_t>(t)].Aus;
        aus.clear();
        const auto ut = static_cast<size_t>(t), ut1 = ut + 1, n = static_cast<size_t>(teile);
        for (size_t p = erste + (letzte - erste) * ut / n; p < erste + (letzte - erste) * ut1 / n;
             ++p) {
          // Line i of the block in file order: in the part whose range holds it.
          const int32_t i = linie[p];
          int64_t k = 0;
          while (i >= anzahl * (k + 1) / teile) ++k;
          const TTeil& d = teil[static_cast<size_t>(k)];
          const size_t z = static_cast<size_t>(i - anzahl * k / teile);
          aus.append(d.Text, d.Anfang[z], d.Anfang[z + 1] - d.Anfang[z]);
        }
      });
      for (const TTeil& d : teil) {
        ausgabe.Puffer() += d.Aus;
        ausgabe.Zeile();
      }
    }
  }
  return ausgabe.Leeren() && std::fflush(stdout) == 0 ? 0 : 1;
}

// A notation model that keeps the Fischer Random information it is given, as
// the game window does.
struct Leser {
  TNotationModell modell;
  TFischerInfo fischer;
  bool fehler = false;
  Leser() {
    modell.OnFischerInfo = [this](const TFischerInfo& info) {
      fischer = info;
      modell.SetFischerInfo(info.Fischer ? &fischer : nullptr);
    };
    modell.OnError = [this](const std::string&) { fehler = true; };
  }
  bool Laden(std::string_view text, TLadeart art = TLadeart::MitNotationstext) {
    fehler = false;
    modell.SetFischerInfo(nullptr);
    return modell.LadePartie(text, art) == 0 && !fehler;
  }
};

// FILE and game number N of a command; a message and false when either is wrong.
bool SpielLesen(const std::vector<std::string>& args, std::string& text, std::string& meldung) {
  TPGNIndex index;
  if (!Oeffnen(index, args[0], meldung)) return false;
  int64_t n = 0;
  if (!Zahl(args[1], n) || n >= index.GameCount()) {
    meldung = "no game " + args[1] + " in " + args[0] + " (it has " +
              std::to_string(index.GameCount()) + ", numbered from 0)";
    return false;
  }
  int64_t id = -1;
  index.GetGame(n, id, text);
  if (id < 0) {
    meldung = "game " + args[1] + " of " + args[0] + " has no text";
    return false;
  }
  return true;
}

int Show(const std::vector<std::string>& args) {
  if (Hilfe(args)) {
    std::cout << kShowHelp;
    return 0;
  }
  std::vector<std::string> feste;
  bool englisch = false, ueberschrift = false;
  for (const std::string& a : args) {
    if (a == "--english")
      englisch = true;
    else if (a == "--heading")
      ueberschrift = true;
    else if (a.compare(0, 2, "--") == 0)
      return Fehler("show: unknown option " + a);
    else
      feste.push_back(a);
  }
  if (feste.size() != 2) return Fehler(std::string("show needs FILE N\n") + kShowHelp);
  std::string text, meldung;
  if (!SpielLesen(feste, text, meldung)) return Fehler(meldung);
  Leser l;
  l.modell.SetEnglish(englisch);
  l.modell.Ueberschrift = ueberschrift;
  const bool ganz = l.Laden(text);
  const std::string& n = l.modell.Notationstext;
  const auto& zeilen = l.modell.Zeilenanfaenge();
  // The characters as the notation shows them: outside comments and the
  // heading, the bytes 128..144 are evaluation symbols; the rest is UTF-8
  // when the game is, else Windows-1252.
  const bool utf8 = IstUtf8(text);
  const auto& kommentare = l.modell.Kommentarbereiche();
  size_t k = 0;  // the first comment that does not end before the byte looked at
  for (size_t i = 0; i < zeilen.size(); ++i) {
    const size_t von = static_cast<size_t>(zeilen[i].Pos - 1);
    const size_t bis = std::min(
        i + 1 < zeilen.size() ? static_cast<size_t>(zeilen[i + 1].Pos - 1) : n.size(), n.size());
    if (von > n.size() || bis < von) continue;
    std::string zeile;
    for (size_t j = von; j < bis; ++j) {
      const auto pos = static_cast<int32_t>(j + 1);
      while (k < kommentare.size() && kommentare[k].Pos + kommentare[k].Laenge <= pos) ++k;
      const bool klartext = zeilen[i].Schrift == TSchrift::Kopf ||
                            (k < kommentare.size() && kommentare[k].Pos <= pos);
      const auto c = static_cast<uint8_t>(n[j]);
      if (const std::string_view symbol = klartext ? std::string_view() : SymbolAnzeige(c);
          !symbol.empty()) {
        zeile += symbol;
      } else if (c < 0x80 || utf8) {
        zeile += n[j];
      } else {
        zeile += Windows1252ZuUtf8(std::string_view(n).substr(j, 1));
      }
    }
    while (!zeile.empty() && zeile.back() == ' ') zeile.pop_back();
    std::cout << zeile << "\n";
  }
  if (!ganz) std::cerr << "brevaro-pgn: game " << feste[1] << " could not be read completely\n";
  return ganz ? 0 : 1;
}

int Pgn(const std::vector<std::string>& args) {
  if (Hilfe(args)) {
    std::cout << kPgnHelp;
    return 0;
  }
  if (args.size() != 2) return Fehler(std::string("pgn needs FILE N\n") + kPgnHelp);
  std::string text, meldung;
  if (!SpielLesen(args, text, meldung)) return Fehler(meldung);
  Leser l;
  l.modell.SetEnglish(true);
  const bool ganz = l.Laden(text);
  const std::string pgn = l.modell.PGNSchreiben();
  std::fwrite(pgn.data(), 1, pgn.size(), stdout);
  if (!ganz) std::cerr << "brevaro-pgn: game " << args[1] << " could not be read completely\n";
  return ganz ? 0 : 1;
}

// Appends replay's line for game `g` of text `text` to `aus`; `zuege` is room
// for the moves' text, kept from game to game.
void ReplayZeile(Leser& l, std::string_view text, int64_t g, bool vierFelder, bool turmfeld,
                 std::string& zuege, std::string& aus) {
  const bool ganz = l.Laden(text, TLadeart::OhneNotationstext);  // only the tree is used
  TSchachbrett brett = l.modell.Partiedaten.StartBrett;
  TZug zug = l.modell.Partiedaten.StartZug;
  size_t laenge = 0;  // of the moves' text in `zuege`
  int64_t plies = 0;
  for (const TBaum* n = l.modell.Wurzel ? l.modell.Wurzel->Erster : nullptr; n; n = n->Naechster) {
    ZugAusfuehren(brett, n->Zug, l.modell.FischerInfo());
    zug = n->Zug;
    int nach = n->Zug.Nach;
    if (turmfeld && n->Zug.Rochade != KeineRochade) {
      const bool weiss = n->Zug.AmZug == -1;
      const bool kurz = n->Zug.Rochade == KurzeRochade || n->Zug.Rochade == FischerKurz;
      const TFischerInfo* fi = l.modell.FischerInfo();
      if (n->Zug.Rochade >= FischerKurz && fi) {
        nach = weiss ? (kurz ? fi->WeissTurm2 : fi->WeissTurm1)
                     : (kurz ? fi->SchwarzTurm2 : fi->SchwarzTurm1);
      } else {
        nach = (weiss ? 20 : 90) + (kurz ? 8 : 1);
      }
    }
    // The move's text is written straight into the line's room for it.
    if (zuege.size() < laenge + 6) zuege.resize(2 * zuege.size() + 64);
    char* z = zuege.data() + laenge;
    if (plies++ > 0) *z++ = ' ';
    for (const int feld : {static_cast<int>(n->Zug.Von), nach}) {
      const std::string_view name = FeldnameVonIndex(feld);
      if (name.size() == 2) {  // a null move names no square
        z[0] = name[0];
        z[1] = name[1];
        z += 2;
      }
    }
    const int art = n->Zug.Umwandlung < 0 ? -n->Zug.Umwandlung : n->Zug.Umwandlung;
    if (art > 1 && art < 6) *z++ = " prbnq"[art];
    laenge = static_cast<size_t>(z - zuege.data());
  }
  std::string fen;
  if (vierFelder) {
    // A Fischer Random game's castling field in X-FEN, with the real en-passant square.
    TFischerInfo xfen = l.fischer;
    if (xfen.Fischer != KeinFischer) xfen.Fischer = FischerXFEN;
    fen = StellungToFEN(brett, zug, 1, l.modell.FischerInfo() ? &xfen : nullptr);
    fen.resize(fen.rfind(' ', fen.rfind(' ') - 1));
  } else {
    fen = StellungToFEN(brett, zug, 1, false);
    fen.resize(fen.find(' ', fen.find(' ') + 1));
  }
  aus += std::to_string(g);
  aus += '\t';
  aus += std::to_string(plies);
  aus += '\t';
  aus += fen;
  aus += '\t';
  aus.append(zuege, 0, laenge);
  if (!ganz) aus += "\tERR";
  aus += '\n';
}

// Games per thread and round when several threads replay.
constexpr int64_t ReplayStapel = 1024;

int Replay(const std::vector<std::string>& args) {
  if (Hilfe(args)) {
    std::cout << kReplayHelp;
    return 0;
  }
  bool vierFelder = false, turmfeld = false;
  int64_t threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::string> dateien;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--fen4") {
      vierFelder = true;
    } else if (a == "--uci960") {
      turmfeld = true;
    } else if (a == "--threads") {
      if (i + 1 == args.size() || !Zahl(args[i + 1], threads) || threads < 1 || threads > 256)
        return Fehler(std::string("replay: --threads needs a number from 1 to 256\n") +
                      kReplayHelp);
      // The index's scan takes its threads from the environment.
      ::setenv("BREVARO_THREADS", args[i + 1].c_str(), 1);
      ++i;
    } else if (a.compare(0, 2, "--") == 0) {
      return Fehler("replay: unknown option " + a);
    } else {
      dateien.push_back(a);
    }
  }
  if (dateien.size() != 1) return Fehler(std::string("replay needs one FILE\n") + kReplayHelp);
  TPGNIndex index;
  std::string meldung;
  if (!Oeffnen(index, dateien[0], meldung)) return Fehler(meldung);
  const int64_t anzahl = index.GameCount();
  const bool fortschritt = ::isatty(2);
  int letzterProzent = 0;
  TCancelMode modus = cmContinue;
  auto melden = [&](int64_t g) {
    if (fortschritt && Prozent(g, anzahl) != letzterProzent) {
      letzterProzent = Prozent(g, anzahl);
      Fortschritt(letzterProzent, modus);
    }
  };
  // Each thread reads its own games with its own reader and window; the lines
  // are written in file order, whatever the number of threads.
  struct TArbeiter {
    Leser l;
    TTextFenster fenster;
    std::string aus, zuege;  // kept from game to game with their memory
  };
  std::vector<std::unique_ptr<TArbeiter>> arbeiter;
  for (int64_t t = 0; t < threads; ++t) {
    arbeiter.push_back(std::make_unique<TArbeiter>());
    arbeiter.back()->l.modell.SetEnglish(true);
  }
  auto lesen = [&](TArbeiter& w, int64_t von, int64_t bis) {
    for (int64_t g = von; g < bis; ++g)
      ReplayZeile(w.l, index.GameTextView(g, w.fenster), g, vierFelder, turmfeld, w.zuege, w.aus);
  };
  auto schreiben = [](std::string& aus) {
    std::fwrite(aus.data(), 1, aus.size(), stdout);
    aus.clear();
  };
  if (threads == 1) {
    TArbeiter& w = *arbeiter[0];
    for (int64_t g = 0; g < anzahl; ++g) {
      melden(g);
      lesen(w, g, g + 1);
      if (w.aus.size() > (1 << 16)) schreiben(w.aus);
    }
    schreiben(w.aus);
  } else {
    // The threads live for the whole run (a thread's recycled tree nodes
    // stay with it); each round every thread reads its share, then the first
    // writes them all while the others wait.
    std::barrier runde(threads);
    auto arbeiten = [&](size_t t) {
      for (int64_t erstes = 0; erstes < anzahl; erstes += threads * ReplayStapel) {
        if (t == 0) melden(erstes);
        const int64_t von = std::min(anzahl, erstes + static_cast<int64_t>(t) * ReplayStapel);
        lesen(*arbeiter[t], von, std::min(anzahl, von + ReplayStapel));
        runde.arrive_and_wait();
        if (t == 0)
          for (auto& w : arbeiter) schreiben(w->aus);
        runde.arrive_and_wait();
      }
      if (t > 0) FreilistenLeeren();
    };
    std::vector<std::thread> laeufe;
    for (size_t t = 1; t < arbeiter.size(); ++t) laeufe.emplace_back(arbeiten, t);
    arbeiten(0);
    for (std::thread& lauf : laeufe) lauf.join();
  }
  if (fortschritt) Fortschritt(0, modus);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int Fen(const std::vector<std::string>& args) {
  if (Hilfe(args)) {
    std::cout << kFenHelp;
    return 0;
  }
  if (args.size() != 1) return Fehler(std::string("fen needs one TEXT\n") + kFenHelp);
  TSchachbrett brett = LeeresBrett;
  TZug zug;
  uint16_t zugnummer = 1;
  TFischerInfo fischer;
  if (!FENToStellung(args[0], brett, zug, zugnummer, &fischer)) {
    std::cout << "invalid\n";
    return 1;
  }
  std::cout << StellungToFEN(brett, zug, zugnummer, &fischer) << "\n";
  return 0;
}

int Append(const std::vector<std::string>& args) {
  if (Hilfe(args)) {
    std::cout << kAppendHelp;
    return 0;
  }
  if (args.size() < 3) return Fehler(std::string("append needs TARGET FILE N...\n") + kAppendHelp);
  const std::string& ziel = args[0];
  std::string grund;
  if (!IstPGNDatei(ziel, &grund))
    return Fehler(ziel + ": " + (grund.empty() ? "not a PGN file" : grund));
  TPGNIndex index;
  std::string meldung;
  if (!Oeffnen(index, args[1], meldung)) return Fehler(meldung);
  std::vector<int64_t> spiele;
  for (size_t i = 2; i < args.size(); ++i) {
    int64_t n = 0;
    if (!Zahl(args[i], n) || n >= index.GameCount())
      return Fehler("no game " + args[i] + " in " + args[1] + " (it has " +
                    std::to_string(index.GameCount()) + ")");
    spiele.push_back(n);
  }
  const std::string text = AppendText(index, spiele, Zeilenende(ziel));
  if (text.empty()) return Fehler("the games chosen have no text");
  if (!AnPGNDateiAnhaengen(ziel, text, &grund)) return Fehler(ziel + ": " + grund);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // A write beyond a file-size limit then fails with EFBIG, and an append is
  // cut back, instead of the process being killed half-way.
  std::signal(SIGXFSZ, SIG_IGN);
  const std::vector<std::string> alle(argv + 1, argv + argc);
  if (alle.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string befehl = alle[0];
  const std::vector<std::string> args(alle.begin() + 1, alle.end());
  if (befehl == "--help" || befehl == "-h" || befehl == "help") {
    std::cout << kUsage;
    return 0;
  }
  if (befehl == "count") return Count(args);
  if (befehl == "list") return List(args);
  if (befehl == "show") return Show(args);
  if (befehl == "pgn") return Pgn(args);
  if (befehl == "replay") return Replay(args);
  if (befehl == "fen") return Fen(args);
  if (befehl == "append") return Append(args);
  std::cerr << "brevaro-pgn: unknown command " << befehl << "\n" << kUsage;
  return 2;
}
