#include "board/piece_sets.h"

#include "board/board_geometry.h"
#include "board/generated/piece_data.h"

namespace brevaro {

namespace {

constexpr int Groessen[17] = {0, 16, 32, 40, 21, 25, 29, 33, 37, 40, 45, 49, 54, 58, 64, 72, 80};

}  // namespace

int FigurensatzGroesse(TFigurenset f) {
  const int i = static_cast<int>(f);
  return i >= 1 && i <= 16 ? Groessen[i] : 0;
}

QImage StripAusLaeufen(std::span<const unsigned char> laeufe, int s) {
  QImage strip(12 * s, 2 * s, QImage::Format_RGB32);
  strip.fill(0xffffffff);
  std::size_t i = 0;
  for (int x = 0; x < 12 * s && i < laeufe.size(); ++x) {
    int y = 0;
    bool weiss = true;
    while (y < 2 * s && i < laeufe.size()) {
      const int ende = std::min(2 * s, y + laeufe[i++]);
      if (!weiss)
        for (int yy = y; yy < ende; ++yy) strip.setPixel(x, yy, 0xff000000);
      y = ende;
      weiss = !weiss;
    }
  }
  return strip;
}

QImage FigurensatzErzeugen(TFigurenset f) {
  int satz = static_cast<int>(f);
  if (satz < 1 || satz > 16) satz = static_cast<int>(TFigurenset::F32);
  return StripAusLaeufen(Figurendaten(satz), Groessen[satz]);
}

QRect FigurQuelle(const QImage& strip, int k, bool maske) {
  const int w = strip.width() / 12;
  const int h2 = strip.height() / 2;
  const int top = maske ? h2 : 0;
  const int bottom = maske ? strip.height() : h2;
  return QRect(QPoint((k - 1) * w, top), QPoint(k * w - 1, bottom - 1));
}

void FigurZeichnen(QImage& ziel, const QRect& feld, const QImage& strip, int code) {
  const int k = FigurZelle(code);
  if (k == 0 || strip.isNull() || feld.width() <= 0 || feld.height() <= 0) return;
  const QRect bild = FigurQuelle(strip, k, false);
  const QRect maske = FigurQuelle(strip, k, true);
  if (bild.width() <= 0 || bild.height() <= 0) return;
  const QImage quelle = strip.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < feld.height(); ++y) {
    const int zy = feld.top() + y;
    if (zy < 0 || zy >= ziel.height()) continue;
    // Nearest source pixel, as a plain stretched copy picks it.
    const int sy = y * bild.height() / feld.height();
    auto* zeile = reinterpret_cast<QRgb*>(ziel.scanLine(zy));
    const auto* bz = reinterpret_cast<const QRgb*>(quelle.constScanLine(bild.top() + sy));
    const auto* mz = reinterpret_cast<const QRgb*>(quelle.constScanLine(maske.top() + sy));
    for (int x = 0; x < feld.width(); ++x) {
      const int zx = feld.left() + x;
      if (zx < 0 || zx >= ziel.width()) continue;
      const int sx = x * bild.width() / feld.width();
      QRgb d = zeile[zx] & 0xffffff;
      d = (mz[bild.left() + sx] & 0xffffff) & ~d;  // mask AND NOT destination
      d = (bz[bild.left() + sx] & 0xffffff) ^ d;   // image XOR destination
      zeile[zx] = 0xff000000 | d;
    }
  }
}

int BenutzerStripGroesse(int hoehe) {
  return RundenGerade(hoehe, 2);
}

bool BenutzerStripPasst(int breite, int hoehe) {
  const int h = BenutzerStripGroesse(hoehe);
  return h >= 10 && h <= 100 && breite >= 12 * h;
}

}  // namespace brevaro
