// TSchalter, the piece button of the promotion window and the setup palette,
// and the promotion window itself: four buttons in a borderless window that
// close it with the chosen piece.
// Invariant: a TSchalter shows the upper-row image of the strip cell of its value.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <array>
#include <functional>

namespace brevaro {

class TBrett;

class TSchalter : public QPushButton {
  Q_OBJECT
 public:
  // `wert`: a piece code (-6..6) or a strip cell above 6 (8..11 for black).
  TSchalter(QWidget* eltern, int wert, const QImage& strip, int glyphgroesse);
  int Wert() const { return wert_; }
  std::function<void(TSchalter*)> OnKlick;

 private:
  int wert_;
};

// The glyph of a strip cell: its upper-row image scaled into a square of `groesse`.
QImage SchalterGlyphe(const QImage& strip, int zelle, int groesse);

class TUmwandlungsfenster : public QDialog {
  Q_OBJECT
 public:
  // Buttons for colour +1 (values 2..5) or -1 (values 8..11), placed at the
  // board point (2 x Groesse, round(Groesse / 2) + 3 x Groesse) and kept on the screen.
  TUmwandlungsfenster(TBrett& brett, int farbe);
  const std::array<TSchalter*, 4>& Schalter() const { return schalter_; }

 private:
  std::array<TSchalter*, 4> schalter_{};
};

}  // namespace brevaro
