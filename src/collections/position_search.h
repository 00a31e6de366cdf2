// Position search: which games reach a given position, and at which ply.
// A game is found when the position after some ply has exactly the placement
// of the target and the same side to move; castling and en-passant rights are
// not compared. Ply 0 is the start position, ply n follows n half-moves. The
// main line is searched first; with variations, and only when the main line
// has no hit, the first hit in notation order counts.
// Invariant: a game is never skipped unless no position of it, nor any it
// could still reach, can be the target (see TStellungssuche::Erreichbar).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "collections/pgn_index.h"
#include "core/position.h"
#include "game/notation_model.h"

namespace brevaro {

// Where a game reaches the target: its ply and the node of the move that
// leads there (nullptr for ply 0).
struct TTreffer {
  int32_t Ply = -1;  // -1: no hit
  const TBaum* Knoten = nullptr;
};

class TStellungssuche {
 public:
  // `amZug`: +1 white, -1 black to move in the target.
  TStellungssuche(const TSchachbrett& brett, int8_t amZug, bool varianten);

  const TSchachbrett& Brett() const { return brett_; }
  int8_t AmZug() const { return amZug_; }
  bool Varianten() const { return varianten_; }

  // The first hit in a loaded game (its tree, start position and Fischer
  // Random information).
  TTreffer ErsterTreffer(const TNotationModell& modell) const;

  // The pieces of the target: a main-line search reads no further than the
  // move that leaves fewer (TNotationModell::MindestFiguren).
  int32_t Figuren() const { return figuren_; }

  // What of a game's text a main-line search reads: its last tag line and
  // its movetext, unless a FEN or Variant tag sets its start (the whole
  // text). Read with TNotationModell::MindestFiguren = Figuren(),
  // OhneVarianten and Weiterlesen (answered by Erreichbar), which end the
  // reading where no later main-line position can be the target.
  std::string_view Lesetext(std::string_view text) const;

  // False when no position that follows `brett` can be the target: a side
  // has too few pieces of a kind that no promotion can make up, or a pawn of
  // the target stands on its start rank where `brett` has none. `bauernRegel`
  // is false for a game whose start has pawns on the first or last rank.
  bool Erreichbar(const TSchachbrett& brett, bool bauernRegel = true) const;

 private:
  bool Gleich(const TSchachbrett& brett, int8_t amZug) const;
  // The same with the pieces of `brett` counted (by code + 6).
  bool Erreichbar(const TSchachbrett& brett, const std::array<int32_t, 13>& anzahl,
                  bool bauernRegel) const;
  TTreffer Suchen(const TNotationModell& modell, bool varianten) const;

  TSchachbrett brett_;
  int8_t amZug_;
  bool varianten_;
  std::array<int32_t, 13> anzahl_{};  // pieces of the target by code + 6
  std::vector<int> bauernFelder_;     // target pawns on their start rank
  // The cone of every target pawn: its code and where its squares end in
  // kegelFelder_ (they begin where the last one's end).
  std::vector<std::pair<int32_t, size_t>> kegel_;
  std::vector<uint8_t> kegelFelder_;
  int32_t figuren_ = 0;  // pieces of the target
};

// What a search over a file reports.
struct TSuchlauf {
  // Number of worker threads; 0 takes the number of cores. A search with
  // fewer games than threads uses fewer.
  int Threads = 0;
  // Called on the calling thread now and then with the percentage of the
  // games checked; cmCancel stops the search. A final call with 0 ends it.
  std::function<void(int percent, TCancelMode& cancelMode)> OnTrace;
  // Called on the calling thread for every hit, in file order.
  std::function<void(int64_t gameId, int32_t ply)> OnTreffer;
};

// Searches the games `spiele` (ascending game numbers; nullptr: every game of
// the file) of an open index. The games are handed out to the threads in
// small ranges in file order; hits are reported in file order, the same for
// any number of threads. Returns how many of the games were checked: all of
// them, or after a stop the longest first part of them that was checked
// completely (only its hits are reported). The index is only read (Entry and
// FileName); it must not change during the search.
int64_t StellungSuchen(const TPGNIndex& index, const TStellungssuche& suche,
                       const std::vector<int64_t>* spiele, const TSuchlauf& lauf);

// The number of threads a search uses by default: the environment variable
// BREVARO_THREADS when it holds a number from 1 to 64, else the number of
// cores.
int StandardThreads();

// Runs f(0) .. f(teile - 1) at once, f(0) on the calling thread (and any part
// no thread could be started for), and returns when all have ended. An
// exception of a part is thrown again here once all have ended.
void Gleichzeitig(int64_t teile, const std::function<void(int64_t teil)>& f);

}  // namespace brevaro
