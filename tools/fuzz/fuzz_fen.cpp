// Any bytes as FEN: reading must neither crash nor leave a board without its
// border; a text that is not read leaves the board as it was; an en-passant
// square read is a square of the board; a position read is written and read
// again to the same board.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/position.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  using namespace brevaro;
  const std::string_view fen(reinterpret_cast<const char*>(daten), groesse);
  TSchachbrett brett = LeeresBrett;
  TZug zug;
  uint16_t nummer = 1;
  TFischerInfo fischer;
  if (!FENToStellung(fen, brett, zug, nummer, &fischer)) {
    if (brett != LeeresBrett) std::abort();
    return 0;
  }
  if (zug.EnPassant != 0 && FeldnameVonIndex(zug.EnPassant).empty()) std::abort();
  for (int i = 0; i < 120; ++i) {
    const bool rand = i < 21 || i > 98 || i % 10 == 0 || i % 10 == 9;
    if (rand != (brett[i] == Rand)) std::abort();
  }
  const std::string text = StellungToFEN(brett, zug, nummer, fischer.Fischer != 0);
  TSchachbrett wieder = LeeresBrett;
  TZug zug2;
  uint16_t nummer2 = 1;
  if (!FENToStellung(text, wieder, zug2, nummer2)) std::abort();
  if (wieder != brett) std::abort();
  return 0;
}
