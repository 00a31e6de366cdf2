// brevaro-board-shots: shows boards in the initial position with chosen piece
// sets and writes what the screen shows as PNG files.
// usage: brevaro-board-shots OUTPUT-DIR
#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <cstdio>

#include "board/board_widget.h"
#include "board/setup_dialog.h"

using namespace brevaro;

namespace {

void Aufnehmen(QWidget& w, const QString& datei) {
  w.show();
  for (int i = 0; i < 20; ++i) {
    QApplication::processEvents();
    QThread::msleep(10);
  }
  QPixmap bild = w.screen()->grabWindow(w.winId(), 0, 0, w.width(), w.height());
  if (bild.isNull() || bild.width() < w.width()) bild = w.grab();
  if (!bild.save(datei)) std::fprintf(stderr, "cannot write %s\n", qPrintable(datei));
  w.hide();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: brevaro-board-shots OUTPUT-DIR\n");
    return 2;
  }
  const QDir ziel(QString::fromLocal8Bit(argv[1]));
  struct Aufnahme {
    TFigurenset satz;
    int groesse;
    const char* datei;
  };
  const Aufnahme aufnahmen[] = {
      {TFigurenset::F16, 16, "board-16.png"},
      {TFigurenset::WinboardF33, 33, "board-33.png"},
      {TFigurenset::WinboardF80, 80, "board-80.png"},
      {TFigurenset::BookupF40, 40, "board-bookup-40.png"},
      {TFigurenset::WinboardF40, 40, "board-winboard-40.png"},
  };
  for (const Aufnahme& a : aufnahmen) {
    TBrett brett;
    brett.setFiguren(a.satz);
    brett.setGroesse(static_cast<int8_t>(a.groesse));
    brett.setGrundstellung(true);
    brett.Neuzeichnen(true);
    Aufnehmen(brett, ziel.filePath(QString::fromLatin1(a.datei)));
  }
  // Every set at its own size, side by side, for a quick look at all of them.
  for (int f = 1; f <= 16; ++f) {
    TBrett brett;
    const auto satz = static_cast<TFigurenset>(f);
    brett.setFiguren(satz);
    brett.setGroesse(static_cast<int8_t>(FigurensatzGroesse(satz)));
    brett.setGrundstellung(true);
    brett.Neuzeichnen(true);
    brett.Bild().save(ziel.filePath(QStringLiteral("set-%1.png").arg(f, 2, 10, QChar('0'))));
  }
  // The setup dialog in English on the initial position, a palette piece under the cursor.
  {
    TBrett brett;
    brett.setFiguren(TFigurenset::WinboardF33);
    brett.setGroesse(33);
    brett.setGrundstellung(true);
    brett.setEnglish(true);
    TStellungsdialog dialog(brett, false);
    dialog.Brett().MausBewegen(QPoint(112, 150));
    Aufnehmen(dialog, ziel.filePath(QStringLiteral("setup-dialog.png")));
  }
  return 0;
}
