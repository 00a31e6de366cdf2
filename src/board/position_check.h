// The plausibility test of a set-up position and the rules the setup dialog
// applies to its controls: castling boxes that follow the home squares, the
// en-passant file, the cycle of the palette piece. No Qt here.
// Invariant: nothing here changes a board; only the record passed to
// ZugAusEingaben is written.
#pragma once

#include <array>
#include <string_view>

#include "core/position.h"

namespace brevaro {

// Whether the king of code k (6 or -6) on mailbox square q is attacked by the
// other side: sliding pieces along the diagonals and lines, the enemy king and
// pawns next to it, knights.
bool Angegriffen(const TSchachbrett& brett, int k, int q);

// True unless: a pawn on rank 1 or 8; not exactly one king per colour; more
// queens (rooks, bishops, knights) than promotions allow; more than 8 pawns or
// 16 pieces of a colour; the side not to move in check.
bool StellungPruefen(const TSchachbrett& brett, const TZug& zug);

// Castling right (WeissKurz, WeissLang, SchwarzKurz, SchwarzLang) whose king
// and rook stand on their home squares.
bool RochadeMoeglich(const TSchachbrett& brett, uint8_t recht);

// The palette piece after `figur` in the cycle 6, 5, ..., 1, -6, ..., -1, 6.
int NaechsteAufbauFigur(int figur);

// Completes a set-up position's record from the dialog's controls: castling
// rights by box (in the order WeissKurz, WeissLang, SchwarzKurz, SchwarzLang;
// other bits stay), the side to move, and the en-passant square of the file
// named by the first character of `ep` when the position allows it.
void ZugAusEingaben(const TSchachbrett& brett, TZug& zug, const std::array<bool, 4>& rochade,
                    bool weissAmZug, std::string_view ep);

}  // namespace brevaro
