// Any bytes as a PGN file: the index's block scan must find exactly the games
// that the game-start rule finds line by line, also when threads scan it in
// short stretches, and reading each game's text and header must neither crash
// nor hang; the header read from the start of a game equals the header read
// from its whole text.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "collections/pgn_file.h"
#include "collections/pgn_index.h"
#include "game_starts_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/brevaro-fuzz-index-" + std::to_string(::getpid()) + ".pgn";
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fclose(f) != 0 || !written) return 0;
  } else {
    return 0;
  }
  brevaro::TPGNIndex index;
  index.SetFileName(path);
  if (!brevaro::IstPGNDatei(path)) return 0;
  const std::vector<int64_t> starts = brevaro::Referenz(text);
  if (index.GameCount() != static_cast<int64_t>(starts.size())) __builtin_trap();
  // Scanned again by three threads in stretches of a few bytes.
  static const bool dreiThreads = ::setenv("BREVARO_THREADS", "3", 1) == 0;
  (void)dreiThreads;
  brevaro::TPGNIndex teile;
  teile.SetScanPart(1 + static_cast<int64_t>(size % 61));
  teile.SetFileName(path);
  if (teile.GameCount() != index.GameCount()) __builtin_trap();
  for (int64_t g = 0; g < teile.GameCount(); ++g)
    if (teile.Entry(g).StartPos != starts[g]) __builtin_trap();
  for (int64_t g = 0; g < index.GameCount(); ++g) {
    const brevaro::TGameIndexEntry entry = index.Entry(g);
    const int64_t end = g + 1 < index.GameCount() ? starts[g + 1] : static_cast<int64_t>(size);
    if (entry.StartPos != starts[g] || entry.EndPos != end) __builtin_trap();
    const std::string game = index.ReadGameText(g);
    const brevaro::TEventData& kopf = index.ReadGameHeader(g);
    if (end - starts[g] <= brevaro::KopfGrenze) {
      brevaro::TEventData voll;
      brevaro::KopfAusText(game, voll);
      if (kopf.White != voll.White || kopf.Black != voll.Black || kopf.Event != voll.Event ||
          kopf.MoveCount != voll.MoveCount || kopf.Result != voll.Result)
        __builtin_trap();
    }
  }
  index.SortBy(2);
  index.ApplyFilter();
  return 0;
}
