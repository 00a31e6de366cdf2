#include "board/piece_sets.h"

#include <gtest/gtest.h>

#include <utility>

#include "board/generated/piece_data.h"

using namespace brevaro;

namespace {

// A strip of cell size s whose cells hold recognisable patterns: cell k's image
// is black on the pixels with (x + y + k) % 3 == 0, its mask black on x < s / 2.
QImage Teststrip(int s) {
  QImage strip(12 * s, 2 * s, QImage::Format_RGB32);
  strip.fill(0xffffffff);
  for (int k = 1; k <= 12; ++k)
    for (int y = 0; y < s; ++y)
      for (int x = 0; x < s; ++x) {
        if ((x + y + k) % 3 == 0) strip.setPixel((k - 1) * s + x, y, 0xff000000);
        if (x < s / 2) strip.setPixel((k - 1) * s + x, s + y, 0xff000000);
      }
  return strip;
}

QImage Buntes(int w, int h) {
  QImage bild(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      bild.setPixel(x, y, qRgb(x * 37 % 256, y * 53 % 256, (x ^ y) * 11 % 256));
  return bild;
}

// Pixels of cell k (1..12) black in the mask, or -1 when an image pixel lies
// outside the mask.
int Deckung(const QImage& strip, int k) {
  const int s = strip.width() / 12;
  int deckt = 0;
  for (int y = 0; y < s; ++y)
    for (int x = 0; x < s; ++x) {
      const bool maske = (strip.pixel((k - 1) * s + x, s + y) & 0xffffff) == 0;
      if ((strip.pixel((k - 1) * s + x, y) & 0xffffff) == 0 && !maske) return -1;
      deckt += maske;
    }
  return deckt;
}

}  // namespace

// Codes without a cell (0, 7, -7, 100) draw nothing.
TEST(FigurZeichnen, MaskThenImageBitExact) {
  const int s = 6;
  const QImage strip = Teststrip(s);
  for (int code : {1, 4, 6, -1, -3, -6, 0, 7, -7, 100}) {
    QImage ziel = Buntes(20, 20);
    const QImage vorher = ziel;
    const QRect feld(7, 3, s, s);
    FigurZeichnen(ziel, feld, strip, code);
    const int k = FigurZelle(code);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) {
        QRgb erwartet = vorher.pixel(x, y);
        if (k != 0 && feld.contains(x, y)) {
          const int sx = (k - 1) * s + (x - feld.left()), sy = y - feld.top();
          const QRgb bild = strip.pixel(sx, sy) & 0xffffff;
          const QRgb maske = strip.pixel(sx, s + sy) & 0xffffff;
          erwartet = 0xff000000 | (bild ^ (maske & ~erwartet & 0xffffff));
        }
        ASSERT_EQ(ziel.pixel(x, y), erwartet) << "code " << code << " at " << x << "," << y;
      }
  }
}

TEST(FigurZeichnen, StretchesTheCellOntoTheSquare) {
  const QImage strip = Teststrip(4);
  QImage ziel(8, 8, QImage::Format_RGB32);
  ziel.fill(0xffffffff);
  FigurZeichnen(ziel, QRect(0, 0, 8, 8), strip, 1);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(ziel.pixel(x, y), strip.pixel(x / 2, y / 2)) << x << "," << y;
}

TEST(FigurZelle, WhiteThenBlackCells) {
  for (auto [code, zelle] : {std::pair{1, 1}, {6, 6}, {-1, 7}, {-6, 12}, {0, 0}, {100, 0}})
    EXPECT_EQ(FigurZelle(code), zelle) << code;
}

TEST(Laeufe, RunsAlternateFromWhiteAndColumnsEndAtTwiceTheSize) {
  // Size 1: columns of 2 pixels. Column 0: 1 white, 1 black; column 1: 0 white,
  // 2 black; column 2: 2 white; the rest of the data is missing (white).
  const unsigned char daten[] = {1, 1, 0, 2, 2};
  const QImage strip = StripAusLaeufen(daten, 1);
  ASSERT_EQ(strip.size(), QSize(12, 2));
  const auto schwarz = [](const QImage& b, int x) {  // the column, top pixel first
    return std::pair{b.pixel(x, 0) == 0xff000000u, b.pixel(x, 1) == 0xff000000u};
  };
  EXPECT_EQ(schwarz(strip, 0), std::pair(false, true));
  EXPECT_EQ(schwarz(strip, 1), std::pair(true, true));
  EXPECT_EQ(schwarz(strip, 2), std::pair(false, false));
  EXPECT_EQ(schwarz(strip, 3), std::pair(false, false));
  // An overlong run is cut at the column end.
  const unsigned char lang[] = {0, 255, 1, 1};
  EXPECT_EQ(schwarz(StripAusLaeufen(lang, 1), 0), std::pair(true, true));
  EXPECT_EQ(schwarz(StripAusLaeufen(lang, 1), 1), std::pair(false, true));
}

TEST(BuiltInSets, DataDescribeExactlyTheStripOfEachSize) {
  const int groessen[] = {16, 32, 40, 21, 25, 29, 33, 37, 40, 45, 49, 54, 58, 64, 72, 80};
  for (int satz = 1; satz <= 16; ++satz) {
    const int s = groessen[satz - 1];
    EXPECT_EQ(FigurensatzGroesse(static_cast<TFigurenset>(satz)), s);
    const auto daten = Figurendaten(satz);
    std::size_t i = 0;
    for (int x = 0; x < 12 * s; ++x) {
      int y = 0;
      while (y < 2 * s) {
        ASSERT_LT(i, daten.size()) << "set " << satz << " column " << x;
        y += daten[i++];
      }
      ASSERT_EQ(y, 2 * s) << "set " << satz << " column " << x;
    }
    EXPECT_EQ(i, daten.size()) << "set " << satz;
    const QImage strip = FigurensatzErzeugen(static_cast<TFigurenset>(satz));
    ASSERT_EQ(strip.size(), QSize(12 * s, 2 * s));
    // Every cell has a piece: its mask covers some pixels, and every black
    // image pixel lies inside the mask.
    for (int k = 1; k <= 12; ++k)
      EXPECT_GT(Deckung(strip, k), s * s / 8) << "set " << satz << " cell " << k;
  }
  EXPECT_TRUE(Figurendaten(0).empty());
  EXPECT_TRUE(Figurendaten(17).empty());
}

TEST(BuiltInSets, UserAndUnknownValuesFallBackToF32AndThe40PixelSetsDiffer) {
  EXPECT_NE(FigurensatzErzeugen(TFigurenset::BookupF40),
            FigurensatzErzeugen(TFigurenset::WinboardF40));
  const QImage f32 = FigurensatzErzeugen(TFigurenset::F32);
  EXPECT_EQ(FigurensatzErzeugen(TFigurenset::User), f32);
  EXPECT_EQ(FigurensatzErzeugen(static_cast<TFigurenset>(17)), f32);
}

TEST(BenutzerStrip, SizeAndAcceptance) {
  struct {
    int breite, hoehe, groesse;
    bool passt;
  } const faelle[] = {{480, 80, 40, true},    {479, 80, 40, false}, {1212, 202, 101, false},
                      {1200, 200, 100, true}, {120, 19, 10, true},  // 9.5 -> 10
                      {120, 21, 10, true},                          // 10.5 -> 10
                      {200, 18, 9, false},    {0, 0, 0, false}};
  for (const auto& c : faelle) {
    EXPECT_EQ(BenutzerStripGroesse(c.hoehe), c.groesse) << c.hoehe;
    EXPECT_EQ(BenutzerStripPasst(c.breite, c.hoehe), c.passt) << c.breite << "x" << c.hoehe;
  }
}

// The drawings give every size; at a stored size they give the stored strip,
// so the sizes between and above the sets look like the sets themselves.
TEST(DrawnSets, AnySizeLooksLikeTheStoredSets) {
  EXPECT_EQ(FigurensatzZeichnen(TFigurenset::WinboardF33, 33),
            FigurensatzErzeugen(TFigurenset::WinboardF33));
  const QImage gezeichnet = FigurensatzZeichnen(TFigurenset::F16, 33);  // drawn, not stored
  const QImage gespeichert = FigurensatzErzeugen(TFigurenset::WinboardF33);
  ASSERT_EQ(gezeichnet.size(), gespeichert.size());
  int anders = 0;
  for (int y = 0; y < gezeichnet.height(); ++y)
    for (int x = 0; x < gezeichnet.width(); ++x)
      anders += gezeichnet.pixel(x, y) != gespeichert.pixel(x, y);
  EXPECT_LT(anders, gezeichnet.width() * gezeichnet.height() / 100);
  EXPECT_TRUE(FigurensatzZeichnen(TFigurenset::WinboardF80, 15).isNull());
  for (int s : {34, 66, 120}) {
    const QImage strip = FigurensatzZeichnen(TFigurenset::WinboardF80, s);
    ASSERT_EQ(strip.size(), QSize(12 * s, 2 * s)) << s;
    for (int k = 1; k <= 12; ++k) {
      // The same share of the square as at 33 pixels, within a tenth.
      const double anteil = double(Deckung(strip, k)) / (s * s);
      const double vorbild = double(Deckung(gespeichert, k)) / (33 * 33);
      EXPECT_NEAR(anteil, vorbild, vorbild / 10) << s << " cell " << k;
    }
  }
  EXPECT_NE(FigurensatzZeichnen(TFigurenset::BookupF40, 50),
            FigurensatzZeichnen(TFigurenset::WinboardF40, 50));
}

TEST(DrawnSets, UserStripsScaleSmoothlyAndStayTwoColoured) {
  const QImage strip = Teststrip(6);
  EXPECT_EQ(StripSkalieren(strip, 6), strip);
  const QImage gross = StripSkalieren(strip, 15);
  ASSERT_EQ(gross.size(), QSize(180, 30));
  for (int y = 0; y < gross.height(); ++y)
    for (int x = 0; x < gross.width(); ++x) {
      const QRgb p = gross.pixel(x, y) & 0xffffff;
      ASSERT_TRUE(p == 0 || p == 0xffffff);
    }
  // Masks keep their left half, images do not bleed into the masks.
  EXPECT_EQ(gross.pixel(15 * 4 + 2, 20) & 0xffffff, 0u);
  EXPECT_EQ(gross.pixel(15 * 4 + 12, 20) & 0xffffff, 0xffffffu);
}
