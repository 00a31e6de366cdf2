// What the board needs from the desktop: error boxes, the beep, the pause of
// an animation step, the promotion choice and the clipboard. The board calls
// only this interface; tests answer it with a fake.
// Invariant: every call returns on the user-interface thread.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

class QDialog;
class QWidget;

namespace brevaro {

class TBrett;

class TBrettUmgebung {
 public:
  virtual ~TBrettUmgebung() = default;
  // An error box with one OK button.
  virtual void Fehlermeldung(QWidget* eltern, const QString& text) = 0;
  // The system's default beep.
  virtual void Piepen() = 0;
  // Waits `ms` milliseconds between two animation steps; may let the window
  // system paint, never deliver user input.
  virtual void Pause(int ms) = 0;
  // Promotion piece for colour +1 / -1: a signed piece code, 0 for none.
  virtual int Umwandlungswahl(TBrett& brett, int farbe) = 0;
  // Plain text of the clipboard, nothing when it holds none.
  virtual std::optional<QString> ClipboardText() = 0;
  virtual void ClipboardTextSetzen(const QString& text) = 0;
  // A picture, plus its bitmap-file bytes under "image/bmp".
  virtual void ClipboardBildSetzen(const QImage& bild, const QByteArray& bmp) = 0;
  // Runs a modal dialog and returns its result (QDialog::Accepted or Rejected).
  virtual int DialogAusfuehren(QDialog& dialog);
};

// The desktop's implementation (message boxes, QApplication::beep, the
// promotion window, QClipboard).
TBrettUmgebung& QtBrettUmgebung();

}  // namespace brevaro
