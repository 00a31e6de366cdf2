// Piece sets of the board: the built-in sets by TFigurenset, the strip bitmap
// they are drawn into, user strip sizes, and drawing one piece onto a square
// with the mask and image raster operations.
// Invariant: a strip has 12 cells side by side, images above, masks below.
#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <span>

namespace brevaro {

enum class TFigurenset : uint8_t {
  User,
  F16,
  F32,
  BookupF40,
  WinboardF21,
  WinboardF25,
  WinboardF29,
  WinboardF33,
  WinboardF37,
  WinboardF40,
  WinboardF45,
  WinboardF49,
  WinboardF54,
  WinboardF58,
  WinboardF64,
  WinboardF72,
  WinboardF80,
};

// Square size of a built-in set; 0 for User and values outside the table.
int FigurensatzGroesse(TFigurenset f);

// Paints run-length data into a white strip of 12 x s by 2 x s pixels. Runs
// alternate white and black from the top of each column; runs past the column
// end are cut and missing data leaves the rest white.
QImage StripAusLaeufen(std::span<const unsigned char> laeufe, int s);

// The strip of a built-in set; User and unknown values give F32.
QImage FigurensatzErzeugen(TFigurenset f);

// The strip of a built-in set at `pixel` pixels per piece (16 .. 8000),
// rendered from the set's vector drawing ("merida" for BookupF40, "cburnett"
// for every other set) the way the stored strips were made: the drawing's
// cover as mask, its dark pixels and the mask's edge as image. At the set's
// own size it is the stored strip. A null image for pixel out of range.
QImage FigurensatzZeichnen(TFigurenset f, int pixel);

// A strip (user or built-in) at `pixel` pixels per piece: scaled smoothly,
// then made two-coloured again. The strip itself when it has that size.
QImage StripSkalieren(const QImage& strip, int pixel);

// Strip cell 1..12 of a piece code, 0 when the code has none (empty, border).
inline int FigurZelle(int code) {
  if (code >= 1 && code <= 6) return code;
  if (code <= -1 && code >= -6) return 6 - code;
  return 0;
}

// Source rectangle of cell k in a strip: the image (upper row) or the mask.
QRect FigurQuelle(const QImage& strip, int k, bool maske);

// Draws piece `code` stretched onto `feld` of `ziel` (RGB32): first the mask
// as source AND NOT destination, then the image as source XOR destination.
// Nothing happens for a code without a strip cell.
void FigurZeichnen(QImage& ziel, const QRect& feld, const QImage& strip, int code);

// Piece size of a user strip of the given height: height / 2, halves rounded
// to even. A strip is usable when 10 <= size <= 100 and width >= 12 x size.
int BenutzerStripGroesse(int hoehe);
bool BenutzerStripPasst(int breite, int hoehe);

}  // namespace brevaro
