// The game tree: one node per move, variations hang from the move they are
// alternatives to as a doubly linked list of cells.
// Invariant: the first move V of a variation on move M has V.Zurueck == M.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/position.h"

namespace brevaro {

struct TVariante;

// Text that few nodes have, such as the text kept as read after a reading
// error: a node pays one pointer for it, and the text is allocated only when
// there is some.
class TRest {
 public:
  bool empty() const { return !text_; }
  size_t size() const { return text_ ? text_->size() : 0; }
  const std::string& str() const {
    static const std::string leer;
    return text_ ? *text_ : leer;
  }
  void assign(std::string_view text) {
    if (text.empty()) {
      text_.reset();
    } else {
      text_ = std::make_unique<std::string>(text);
    }
  }
  void push_back(char c) {
    if (!text_) text_ = std::make_unique<std::string>();
    text_->push_back(c);
  }
  friend bool operator==(const TRest& a, const TRest& b) { return a.str() == b.str(); }

 private:
  std::unique_ptr<std::string> text_;
};

struct TBaum {
  TBaum* Naechster = nullptr;  // next move of the same line
  // The move before; for the first move of a variation the move it replaces;
  // nullptr for the first move of the main line.
  TBaum* Zurueck = nullptr;
  TVariante* Varianten = nullptr;  // alternatives to this move, in reading order
  TZug Zug;                        // complete move: AmZug is the side to move after it
  std::string Kommentar;           // with its braces; empty when none
  // The rest of the line that could not be read after this move (its last),
  // as written; empty when the line was read to its end.
  TRest Rest;
  // The NAGs (1 to 255) that neither of the move's two fields holds, a byte
  // each, in reading order: "$140", or a second evaluation as in "$14 $146".
  TRest WeitereNags;
  // Display fields written by the notation layout.
  int32_t TextPos = 0;  // 1-based position in Notationstext
  int32_t TextLaenge = 0;
  int32_t Zugnummer = 0;

  // Nodes are recycled through a free list of the thread: loading a game frees
  // the previous game's tree and builds one of about the same size.
  static void* operator new(std::size_t groesse);
  static void operator delete(void* p) noexcept;
};

struct TVariante {
  TBaum* Erster = nullptr;
  TVariante* Naechste = nullptr;
  TVariante* Vorige = nullptr;
  std::string Kommentar;  // before the line's first move, with its braces; empty when none
  // The line's text that could not be read when not even its first move could.
  TRest Rest;

  static void* operator new(std::size_t groesse);  // recycled like TBaum
  static void operator delete(void* p) noexcept;
};

// Unlinks the cell stored at `ort` from its list and frees it with every line
// and variation in it, without recursion. A nullptr cell is a no-op.
void LinieFreigeben(TVariante*& ort);

// Frees the blocks the calling thread keeps for recycling nodes and cells; a
// thread that loaded games calls it before it ends, or they stay allocated.
void FreilistenLeeren();

// Number of nodes of a line, from `erster` along Naechster.
int64_t LinienLaenge(const TBaum* erster);

}  // namespace brevaro
