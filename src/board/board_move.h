// Building the board's move record from a from-square and a to-square, as the
// board does for host moves and for moves entered with the mouse. The record
// is not checked: castling kind, rights, en passant and promotion follow from
// the moving piece and the squares alone.
// Invariant: only the fields of the move and the side to move change.
#pragma once

#include <functional>

#include "core/position.h"

namespace brevaro {

// Fills `zug` for the move von -> nach (mailbox indexes) on `stellung`.
// `umwandlung` is the promotion piece, -1 to ask `umwandlungswahl` (called
// with +1 or -1, the colour, and answering a signed piece code or 0).
// `fischer` marks a Fischer Random castling; `info` is the game's Fischer
// Random information or null (a record whose Fischer flag is clear counts as
// none). Afterwards AmZug names the side to move next.
void ZugBauen(const TSchachbrett& stellung, TZug& zug, int von, int nach, int umwandlung,
              bool fischer, const TFischerInfo* info,
              const std::function<int(int)>& umwandlungswahl);

}  // namespace brevaro
