// brevaro-bench: figures for the PGN file index on a large file. It generates
// a file of synthetic games when asked, then times the scan (beside
// grep -F -c '[Event '), the memory an open index holds per game, sorting by
// White, the player filter, and the companion's list --sort white.
//
//   brevaro-bench generate OUT.pgn GAMES [SEED]
//   brevaro-bench run FILE.pgn [PATH/TO/brevaro-pgn]
//   brevaro-bench run-all FILE.pgn PATH/TO/brevaro-pgn   (also loads every game: replay)
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "collections/game_list.h"
#include "collections/pgn_index.h"

using namespace brevaro;

namespace {

using Uhr = std::chrono::steady_clock;

double Sekunden(Uhr::time_point a) {
  return std::chrono::duration<double>(Uhr::now() - a).count();
}

// Resident memory of this process in bytes.
int64_t Resident() {
  std::ifstream in("/proc/self/statm");
  int64_t gesamt = 0, resident = 0;
  in >> gesamt >> resident;
  return resident * ::sysconf(_SC_PAGESIZE);
}

// CPU time (user + system) of this process so far, in seconds.
double Cpu() {
  rusage r{};
  ::getrusage(RUSAGE_SELF, &r);
  return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
         static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// Runs a shell command, returns its wall time and its first output line.
double Befehl(const std::string& befehl, std::string& ausgabe) {
  const auto t = Uhr::now();
  FILE* p = ::popen(befehl.c_str(), "r");
  ausgabe.clear();
  if (!p) return -1;
  char puffer[4096];
  size_t n;
  while ((n = std::fread(puffer, 1, sizeof puffer, p)) > 0)
    if (ausgabe.size() < 200) ausgabe.append(puffer, n);
  ::pclose(p);
  if (const size_t nl = ausgabe.find('\n'); nl != std::string::npos) ausgabe.resize(nl);
  return Sekunden(t);
}

// ---------------------------------------------------------------------------
// A generator of synthetic games: tags, move-like text with comments,
// variations and NAGs, names in UTF-8 and in Windows-1252. The moves are not
// legal chess; the index never looks at them.

const char* const kNamenUtf8[] = {"M\xC3\xBCller, Hans",
                                  "Nu\xC3\xB1"
                                  "ez, Judit",
                                  "\xC3\x87"
                                  "elik, G.",
                                  "Nguy\xE1\xBB\x85n, Ng\xE1\xBB\x8D"
                                  "c",
                                  "Kasparov, Garry",
                                  "Carlsen, Magnus",
                                  "Polgar, Judit",
                                  "Anand, Viswanathan",
                                  "\xD0\x9A\xD0\xB0\xD1\x80\xD0\xBF\xD0\xBE\xD0\xB2, A.",
                                  "Lef\xC3\xA8vre, \xC5\x81."};
const char* const kNamenLatin1[] = {"M\xFCller, J.",
                                    "H\xFC"
                                    "bner, Robert",
                                    "Sch\xF6nfeld, K.",
                                    "Garc\xED"
                                    "a, L.",
                                    "\xC5"
                                    "kesson, Ralf"};
const char* const kEvents[] = {"Linares",     "Wijk aan Zee",       "Dortmund Sparkassen",
                               "Tata Steel",  "Bundesliga 2019/20", "Reykjav\xC3\xADk Open",
                               "Online Blitz"};
const char* const kZuege[] = {"e4",    "d4",  "Nf3", "c4",  "e5",    "c5",   "Nc6",
                              "Bb5",   "a6",  "Ba4", "Nf6", "O-O",   "Be7",  "Re1",
                              "b5",    "Bb3", "d6",  "c3",  "O-O-O", "Qxd4", "exd5",
                              "Rxe8+", "h3",  "g6",  "Bg7", "Kh1",   "f5",   "e8=Q"};
const char* const kResults[] = {"1-0", "0-1", "1/2-1/2", "*"};

int Generieren(const std::string& pfad, int64_t spiele, uint32_t seed) {
  std::ofstream aus(pfad, std::ios::binary);
  if (!aus) {
    std::fprintf(stderr, "brevaro-bench: cannot write %s\n", pfad.c_str());
    return 2;
  }
  std::mt19937 rng(seed);
  auto wahl = [&](auto& feld) { return feld[rng() % (sizeof(feld) / sizeof(feld[0]))]; };
  auto name = [&]() -> std::string {
    return rng() % 5 == 0 ? wahl(kNamenLatin1) : wahl(kNamenUtf8);
  };
  std::string text;
  for (int64_t g = 0; g < spiele; ++g) {
    const int plies = 20 + static_cast<int>(rng() % 100);
    const char* result = wahl(kResults);
    text += "[Event \"";
    text += wahl(kEvents);
    text += "\"]\n[Site \"?\"]\n[Date \"" + std::to_string(1850 + rng() % 175) + ".0" +
            std::to_string(1 + rng() % 9) + ".1" + std::to_string(rng() % 10) + "\"]\n";
    text += "[Round \"" + std::to_string(1 + rng() % 13) + "\"]\n";
    text += "[White \"" + name() + "\"]\n[Black \"" + name() + "\"]\n";
    text += std::string("[Result \"") + result + "\"]\n";
    text += "[WhiteElo \"" + std::to_string(1800 + rng() % 1000) + "\"]\n";
    text += "[BlackElo \"" + std::to_string(1800 + rng() % 1000) + "\"]\n";
    text += std::string("[ECO \"") + static_cast<char>('A' + rng() % 5) +
            std::to_string(10 + rng() % 90) + "\"]\n";
    text += "[PlyCount \"" + std::to_string(plies) + "\"]\n\n";
    size_t zeile = 0;
    auto wort = [&](const std::string& w) {
      if (zeile + w.size() + 1 > 79) {
        text += '\n';
        zeile = 0;
      } else if (zeile > 0) {
        text += ' ';
        ++zeile;
      }
      text += w;
      zeile += w.size();
    };
    int tiefe = 0;
    for (int p = 0; p < plies; ++p) {
      if (p % 2 == 0) wort(std::to_string(p / 2 + 1) + ".");
      wort(wahl(kZuege));
      const uint32_t r = rng() % 100;
      if (r < 3) wort("$" + std::to_string(1 + rng() % 6));
      if (r >= 3 && r < 5) wort("{a comment [with brackets] " + name() + "}");
      if (r >= 5 && r < 8 && tiefe < 3) {
        wort("(");
        ++tiefe;
      } else if (r >= 8 && r < 14 && tiefe > 0) {
        wort(")");
        --tiefe;
      }
    }
    while (tiefe-- > 0) wort(")");
    wort(result);
    text += "\n\n";
    if (text.size() > (1 << 20)) {
      aus.write(text.data(), static_cast<std::streamsize>(text.size()));
      text.clear();
    }
  }
  aus.write(text.data(), static_cast<std::streamsize>(text.size()));
  return aus ? 0 : 1;
}

// ---------------------------------------------------------------------------

int Messen(const std::string& pfad, const std::string& programm, bool mitReplay) {
  std::string ausgabe;
  // Warm the page cache.
  Befehl("cat '" + pfad + "' > /dev/null", ausgabe);

  const int64_t basis = Resident();
  TPGNIndex index;
  double scan = 1e9, scanCpu = 0;
  for (int lauf = 0; lauf < 3; ++lauf) {
    const double c = Cpu();
    const auto t = Uhr::now();
    index.SetFileName("");
    index.SetFileName(pfad);
    const double s = Sekunden(t);
    if (s < scan) {
      scan = s;
      scanCpu = Cpu() - c;
    }
  }
  const int64_t spiele = index.GameCount();
  const double groesse = static_cast<double>(index.Entry(spiele - 1).EndPos);
  const int64_t speicher = Resident() - basis;
  double grep = 1e9;
  for (int lauf = 0; lauf < 3; ++lauf) {
    grep = std::min(grep, Befehl("grep -F -c '[Event ' '" + pfad + "'", ausgabe));
  }
  std::printf("file            %s: %.1f MB, %lld games (grep counts %s)\n", pfad.c_str(),
              groesse / 1e6, static_cast<long long>(spiele), ausgabe.c_str());
  std::printf("scan            %.3f s (cpu %.3f s), %.0f MB/s; grep -F -c: %.3f s, %.0f MB/s\n",
              scan, scanCpu, groesse / 1e6 / scan, grep, groesse / 1e6 / grep);
  std::printf("memory          %.1f bytes per game resident for the open index\n",
              static_cast<double>(speicher) / static_cast<double>(spiele));

  double c = Cpu();
  auto t = Uhr::now();
  index.SortBy(skWhite);
  std::printf("sort by White   %.3f s (cpu %.3f s) for %lld rows\n", Sekunden(t), Cpu() - c,
              static_cast<long long>(index.RowCount()));

  TFilterSettings filter;
  filter.Enabled = true;
  filter.Player = "m\xC3\xBCller";
  index.OnFilterRequest = [&](const TEventData& k, bool& zeigen) {
    zeigen = FilterRequest(filter, k);
  };
  c = Cpu();
  t = Uhr::now();
  index.ApplyFilter();
  std::printf("filter player   %.3f s (cpu %.3f s), %lld of %lld games pass\n", Sekunden(t),
              Cpu() - c, static_cast<long long>(index.RowCount()), static_cast<long long>(spiele));

  if (!programm.empty()) {
    const double liste =
        Befehl("'" + programm + "' list '" + pfad + "' --sort white > /dev/null", ausgabe);
    std::printf("brevaro-pgn list --sort white: %.3f s (whole run: scan, sort, %lld lines out)\n",
                liste, static_cast<long long>(spiele));
    const double gefiltert = Befehl(
        "'" + programm + "' list '" + pfad + "' --player 'm\xC3\xBCller' > /dev/null", ausgabe);
    std::printf("brevaro-pgn list --player: %.3f s (whole run)\n", gefiltert);
    const double anzahl = Befehl("'" + programm + "' count '" + pfad + "'", ausgabe);
    std::printf("brevaro-pgn count: %.3f s (whole run)\n", anzahl);
    // One thread, then one per core.
    for (const char* threads : {"1", ""}) {
      if (!mitReplay) break;
      const std::string option = *threads ? std::string(" --threads ") + threads : "";
      const double replay = Befehl(
          "'" + programm + "' replay" + option + " '" + pfad + "' | grep -c ERR || true", ausgabe);
      std::printf(
          "brevaro-pgn replay%s: %.3f s, %.1f MB/s, %.0f games/s loading every game (%s games "
          "with ERR)\n",
          option.c_str(), replay, groesse / 1e6 / replay, static_cast<double>(spiele) / replay,
          ausgabe.c_str());
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> a(argv + 1, argv + argc);
  if (a.size() >= 3 && a[0] == "generate") {
    return Generieren(a[1], std::stoll(a[2]), a.size() > 3 ? std::stoul(a[3]) : 1);
  }
  if (a.size() >= 2 && (a[0] == "run" || a[0] == "run-all")) {
    return Messen(a[1], a.size() > 2 ? a[2] : "", a[0] == "run-all");
  }
  std::fprintf(stderr,
               "usage: brevaro-bench generate OUT.pgn GAMES [SEED]\n"
               "       brevaro-bench run FILE.pgn [PATH/TO/brevaro-pgn]\n"
               "       brevaro-bench run-all FILE.pgn PATH/TO/brevaro-pgn   (also times replay)\n");
  return 2;
}
