// Geometry of the board component: square rectangles by display index, the
// mapping between square numbers and display indexes, the square under a
// point, and the steps of a sliding piece. No drawing and no Qt here.
// Invariant: display index 0 is the bottom-left square, 63 the top-right.
#pragma once

#include <array>
#include <vector>

namespace brevaro {

// A rectangle in board pixels; Right and Bottom lie one past the square.
struct TRechteck {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const TRechteck&) const = default;
  bool Enthaelt(int x, int y) const {  // edges included
    return x >= Left && x <= Right && y >= Top && y <= Bottom;
  }
  TRechteck Verschoben(int dx, int dy) const {
    return {Left + dx, Top + dy, Right + dx, Bottom + dy};
  }
};

using TFeldrechtecke = std::array<TRechteck, 64>;

// The 64 square rectangles for square edge `s`, indexed by display index.
TFeldrechtecke FelderBerechnen(int s);

// Display index of square number n (and back: the mapping is its own inverse).
inline int Anzeigeindex(int feldnummer, bool gedreht) {
  return gedreht ? 63 - feldnummer : feldnummer;
}

// Dark squares by display index: the bottom-left square is dark in both orientations.
inline bool DunklesFeld(int anzeigeindex) {
  return (anzeigeindex % 8 + anzeigeindex / 8) % 2 == 0;
}

// Square number under a pressed point: display indexes 0..62 are searched in
// order (edges included, so a border line belongs to the lower index), 63 is
// the fallback.
int FeldBeimDruecken(const TFeldrechtecke& felder, bool gedreht, int x, int y);

// Square number under a released point, -1 when it lies outside the board.
int FeldBeimLoslassen(const TFeldrechtecke& felder, bool gedreht, int x, int y);

// Rounds a half to the even neighbour, as the drop point and user strip sizes need.
int RundenGerade(int zaehler, int nenner);

// The slide of a piece from rectangle a to rectangle b: the rectangles the
// piece is drawn at between the two squares, and the number of passes (each
// followed by one pause).
struct TAnimation {
  int SchrittH = 0;  // pixels per pass, horizontal and vertical (signed)
  int SchrittV = 0;
  int AnzahlH = 0;  // travel limits
  int AnzahlV = 0;
  std::vector<TRechteck> Zwischen;
  int Durchlaeufe = 0;
};
// `schritt` is the straight step in pixels (diagonal steps take half of it
// on the shorter axis); the board scales it with its squares.
TAnimation AnimationPlanen(const TRechteck& a, const TRechteck& b, int schritt = 4);
// The step for a square size: 4 pixels at 33-pixel squares, growing with them.
int AnimationsSchritt(int groesse);

// Top-left corner that keeps a window of the given size inside the screen area.
struct TPunkt {
  int X = 0;
  int Y = 0;
  bool operator==(const TPunkt&) const = default;
};
TPunkt InDenBildschirm(TPunkt links_oben, int breite, int hoehe, const TRechteck& bildschirm);

}  // namespace brevaro
