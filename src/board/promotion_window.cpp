#include "board/promotion_window.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "board/board_geometry.h"
#include "board/board_widget.h"

namespace brevaro {

QImage SchalterGlyphe(const QImage& strip, int zelle, int groesse) {
  QImage glyphe(groesse, groesse, QImage::Format_RGB32);
  glyphe.fill(0xffffffff);
  if (strip.isNull() || zelle < 1 || zelle > 12) return glyphe;
  const QRect quelle = FigurQuelle(strip, zelle, false);
  QPainter p(&glyphe);
  p.drawImage(QRect(0, 0, groesse, groesse), strip, quelle);
  return glyphe;
}

TSchalter::TSchalter(QWidget* eltern, int wert, const QImage& strip, int glyphgroesse)
    : QPushButton(eltern), wert_(wert) {
  const int zelle = wert > 6 ? wert : FigurZelle(wert);
  setIcon(QIcon(QPixmap::fromImage(SchalterGlyphe(strip, zelle, glyphgroesse))));
  setIconSize(QSize(glyphgroesse, glyphgroesse));
  connect(this, &QPushButton::clicked, this, [this] {
    if (OnKlick) OnKlick(this);
  });
}

TUmwandlungsfenster::TUmwandlungsfenster(TBrett& brett, int farbe)
    : QDialog(&brett, Qt::Dialog | Qt::FramelessWindowHint) {
  const QImage& strip = brett.FigurenbildHolen();
  const int glyphe = std::max(1, strip.height() / 2);
  const int e = strip.height() / 2 + 5;
  setFixedSize(4 * e, e);
  const int g = brett.Groesse();
  QPoint p = brett.mapToGlobal(QPoint(2 * g, RundenGerade(g, 2) + 3 * g));
  if (const QScreen* screen = brett.screen()) {
    const QRect s = screen->availableGeometry();
    const TPunkt q = InDenBildschirm({p.x(), p.y()}, 4 * e, e,
                                     {s.left(), s.top(), s.right() + 1, s.bottom() + 1});
    p = QPoint(q.X, q.Y);
  }
  move(p);
  for (int i = 0; i < 4; ++i) {
    const int wert = farbe > 0 ? 2 + i : 8 + i;
    auto* b = new TSchalter(this, wert, strip, glyphe);
    b->setGeometry(i * e, 0, e, e);
    b->OnKlick = [this](TSchalter* s) {
      if (TBrett::AufbauFigur == 0) {
        const int w = s->Wert();
        TBrett::UmwandlungsFigur = w > 6 ? 6 - w : w;
      }
      accept();
    };
    schalter_[i] = b;
  }
  schalter_[3]->setDefault(true);
  schalter_[3]->setFocus();
}

}  // namespace brevaro
