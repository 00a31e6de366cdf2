#include "board/board_platform.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMimeData>
#include <QThread>

#include "board/board_widget.h"
#include "board/promotion_window.h"
#include "languages/language_switcher.h"

namespace brevaro {

namespace {

class TQtBrettUmgebung : public TBrettUmgebung {
 public:
  void Fehlermeldung(QWidget* eltern, const QString& text) override {
    MessageBox(eltern, QMessageBox::Critical, QString(), text);
  }
  void Piepen() override { QApplication::beep(); }
  void Pause(int ms) override {
    // Let the window system paint while the piece slides; user input waits.
    QElapsedTimer uhr;
    uhr.start();
    while (uhr.elapsed() < ms) {
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      QThread::msleep(1);
    }
  }
  int Umwandlungswahl(TBrett& brett, int farbe) override {
    TBrett::UmwandlungsFigur = 0;
    {
      TUmwandlungsfenster fenster(brett, farbe);
      fenster.exec();
    }
    return TBrett::UmwandlungsFigur;
  }
  std::optional<QString> ClipboardText() override {
    const QMimeData* daten = QGuiApplication::clipboard()->mimeData();
    if (!daten || !daten->hasText()) return std::nullopt;
    return daten->text();
  }
  void ClipboardTextSetzen(const QString& text) override {
    QGuiApplication::clipboard()->setText(text);
  }
  void ClipboardBildSetzen(const QImage& bild, const QByteArray& bmp) override {
    auto* daten = new QMimeData;
    daten->setImageData(bild);
    daten->setData(QStringLiteral("image/bmp"), bmp);
    QGuiApplication::clipboard()->setMimeData(daten);
  }
};

}  // namespace

int TBrettUmgebung::DialogAusfuehren(QDialog& dialog) {
  return dialog.exec();
}

TBrettUmgebung& QtBrettUmgebung() {
  static TQtBrettUmgebung umgebung;
  return umgebung;
}

}  // namespace brevaro
