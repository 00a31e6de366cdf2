// Rendering the built-in piece sets from their SVG drawings at any size.
#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>
#include <vector>

#include "board/piece_sets.h"

// The drawings are compiled into this library; a static library needs the
// resource registered explicitly.
static void DrawingsLaden() {
  Q_INIT_RESOURCE(pieces);
}

namespace brevaro {

namespace {

constexpr const char* Zellen[12] = {"wp", "wr", "wb", "wn", "wq", "wk",
                                    "bp", "br", "bb", "bn", "bq", "bk"};

// How a size is drawn: the thinnest outline in pixels and the grey levels
// that count as dark and as covered (the stored strips' values).
struct Stil {
  double mindestStrich = 1.0;
  int schwelle = 140;
  int deckung = 96;
  int schwelleSchwarz = 170;
};

Stil StilFuer(int s) {
  if (s <= 16) return {0.9, 80, 40, 215};
  if (s <= 21) return {1.0, 140, 64, 215};
  if (s <= 25) return {1.0, 140, 72, 200};
  // Outlines grow with the square above 58 px (1.2 at 64, 1.5 at 80, ...).
  if (s <= 58) return {};
  return {std::max(1.0, 1.5 * s / 80.0)};
}

// One piece drawn at edge s with its outlines widened to at least `mindest`
// pixels (the drawings use 1.5 units of a 45-unit square).
QImage Zeichnen(const QString& datei, int s, double mindest) {
  QFile f(datei);
  if (!f.open(QIODevice::ReadOnly)) return {};
  QByteArray svg = f.readAll();
  const double breite = std::max(1.5, mindest * 45.0 / s);
  if (breite > 1.5)
    svg.replace("stroke-width:1.5", "stroke-width:" + QByteArray::number(breite, 'f', 3));
  QSvgRenderer r(svg);
  if (!r.isValid()) return {};
  QImage bild(s, s, QImage::Format_ARGB32_Premultiplied);
  bild.fill(Qt::transparent);
  QPainter p(&bild);
  p.setRenderHint(QPainter::Antialiasing);
  r.render(&p, QRectF(0, 0, s, s));
  return bild;
}

// Writes piece k of a drawing as image (upper row) and mask (lower row).
void Zelle(QImage& strip, int k, const QImage& b, const Stil& stil) {
  const int s = b.width();
  std::vector<char> deckt(size_t(s) * s), dunkel(size_t(s) * s);
  for (int y = 0; y < s; ++y) {
    const auto* z = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < s; ++x) {
      const QRgb p = z[x];  // premultiplied: colour over black
      const int a = qAlpha(p);
      const int v = (qRed(p) + qGreen(p) + qBlue(p)) / 3 + (255 - a);  // over white
      const size_t i = size_t(y) * s + x;
      dunkel[i] = v < (k < 6 ? stil.schwelle : stil.schwelleSchwarz);
      deckt[i] = a >= stil.deckung || dunkel[i];
    }
  }
  auto in = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < s && y < s && deckt[size_t(y) * s + x];
  };
  for (int y = 0; y < s; ++y) {
    auto* bildzeile = reinterpret_cast<QRgb*>(strip.scanLine(y));
    auto* maskenzeile = reinterpret_cast<QRgb*>(strip.scanLine(s + y));
    for (int x = 0; x < s; ++x) {
      const bool m = in(x, y);
      // The mask's edge keeps every piece closed however thin its lines are.
      const bool rand = m && (!in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1));
      const bool schwarz = m && (rand || dunkel[size_t(y) * s + x]);
      bildzeile[k * s + x] = schwarz ? 0xff000000 : 0xffffffff;
      maskenzeile[k * s + x] = m ? 0xff000000 : 0xffffffff;
    }
  }
}

}  // namespace

QImage FigurensatzZeichnen(TFigurenset f, int pixel) {
  if (pixel < 16 || pixel > 8000) return {};
  if (FigurensatzGroesse(f) == pixel) return FigurensatzErzeugen(f);
  DrawingsLaden();
  const QString ordner = f == TFigurenset::BookupF40 ? QStringLiteral(":/pieces/merida/")
                                                     : QStringLiteral(":/pieces/cburnett/");
  const Stil stil = StilFuer(pixel);
  QImage strip(12 * pixel, 2 * pixel, QImage::Format_RGB32);
  strip.fill(0xffffffff);
  for (int k = 0; k < 12; ++k) {
    const QImage b = Zeichnen(ordner + QLatin1String(Zellen[k]) + QStringLiteral(".svg"), pixel,
                              stil.mindestStrich);
    if (b.isNull()) return FigurensatzErzeugen(f);  // cannot happen with the compiled drawings
    Zelle(strip, k, b, stil);
  }
  return strip;
}

QImage StripSkalieren(const QImage& strip, int pixel) {
  if (strip.isNull() || pixel <= 0) return strip;
  const int s = strip.width() / 12;
  if (s == pixel && strip.height() == 2 * pixel) return strip;
  const QImage quelle = strip.convertToFormat(QImage::Format_RGB32);
  QImage ziel(12 * pixel, 2 * pixel, QImage::Format_RGB32);
  // Images and masks are scaled apart, so that neither bleeds into the other.
  for (int reihe = 0; reihe < 2; ++reihe) {
    const QImage teil =
        quelle.copy(0, reihe * (quelle.height() / 2), 12 * s, quelle.height() / 2)
            .scaled(12 * pixel, pixel, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (int y = 0; y < pixel; ++y) {
      const auto* q = reinterpret_cast<const QRgb*>(teil.constScanLine(y));
      auto* z = reinterpret_cast<QRgb*>(ziel.scanLine(reihe * pixel + y));
      for (int x = 0; x < 12 * pixel; ++x) z[x] = qGray(q[x]) < 128 ? 0xff000000 : 0xffffffff;
    }
  }
  return ziel;
}

}  // namespace brevaro
