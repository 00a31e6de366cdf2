// The built-in piece sets as stored in the program: per set, the strip of
// 12 x size by 2 x size pixels as two-colour vertical runs (see piece_sets.h).
// Invariant: the data of set 1..16 describe exactly 12 x size columns.
#pragma once

#include <span>

namespace brevaro {

// Run lengths of built-in set `satz` (TFigurenset value 1 to 16); empty otherwise.
std::span<const unsigned char> Figurendaten(int satz);

}  // namespace brevaro
