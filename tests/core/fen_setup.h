// A position read from a FEN for a test: board, move record, move number and
// Fischer Random information, as FENToStellung fills them.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/position.h"

namespace brevaro {

struct FenAufbau {
  TSchachbrett brett = LeeresBrett;
  TZug zug;
  uint16_t nummer = 0;
  TFischerInfo fischer;
  bool gelesen;
  explicit FenAufbau(std::string_view fen)
      : gelesen(FENToStellung(fen, brett, zug, nummer, &fischer)) {}
};

}  // namespace brevaro
