// Helpers shared by the board tests: square names and centres, positions from FEN
// and a fake of the platform services that records what the board asked of it.
#pragma once

#include <QDialog>
#include <QImage>
#include <QStringList>
#include <cstdlib>
#include <functional>
#include <optional>

#include "board/board_platform.h"
#include "board/board_widget.h"
#include "core/position.h"

namespace brevaro::test {

// Mailbox index (a1 = 21) and square number (a1 = 0) of a square name.
inline int I(const char* feld) {
  return (feld[0] - 'a') + 21 + 10 * (feld[1] - '1');
}
inline int N(const char* feld) {
  return (feld[0] - 'a') + 8 * (feld[1] - '1');
}

// The centre of a square, by number or name, where the board shows it.
inline QPoint Mitte(const TBrett& b, int feldnummer) {
  const TRechteck r = b.Feldrechtecke()[Anzeigeindex(feldnummer, b.Gedreht())];
  return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}
inline QPoint Mitte(const TBrett& b, const char* feld) {
  return Mitte(b, N(feld));
}

// The position of a full FEN; a bad FEN in a test is a fault of the test.
inline TSchachbrett AusFen(const char* fen, TZug& zug) {
  TSchachbrett b = LeeresBrett;
  uint16_t n = 1;
  if (!FENToStellung(fen, b, zug, n)) std::abort();
  return b;
}

struct FakeUmgebung : TBrettUmgebung {
  QStringList meldungen;
  int piepen = 0;
  QList<int> pausen;
  std::function<void()> beiPause;
  int wahl = 0;
  QList<int> gefragt;
  std::optional<QString> text;
  QImage bild;
  QByteArray bmp;
  std::function<void(QDialog&)> beimDialog;  // answers a modal run when set

  void Fehlermeldung(QWidget*, const QString& t) override { meldungen << t; }
  void Piepen() override { ++piepen; }
  void Pause(int ms) override {
    pausen << ms;
    if (beiPause) beiPause();
  }
  int Umwandlungswahl(TBrett&, int farbe) override {
    gefragt << farbe;
    return wahl * farbe;
  }
  std::optional<QString> ClipboardText() override { return text; }
  void ClipboardTextSetzen(const QString& t) override { text = t; }
  void ClipboardBildSetzen(const QImage& b, const QByteArray& d) override {
    bild = b;
    bmp = d;
  }
  int DialogAusfuehren(QDialog& d) override {
    if (!beimDialog) return TBrettUmgebung::DialogAusfuehren(d);
    beimDialog(d);
    return d.result();
  }
};

}  // namespace brevaro::test
