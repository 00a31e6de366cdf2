#include "board/board_widget.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "board/board_move.h"
#include "board/board_platform.h"
#include "board/position_check.h"
#include "core/moves.h"

namespace brevaro {

namespace {

// Marks every square as not drawn yet.
void NichtsGezeichnet(std::array<int32_t, 120>& g) {
  g.fill(-100);
}

uint8_t Idx(int nummer) {
  return FeldIndex(static_cast<uint8_t>(nummer));
}
int Nr(int index) {
  return FeldNummer(static_cast<uint8_t>(index));
}

bool IstSpielfeld(int index) {
  return index >= 21 && index <= 98 && index % 10 != 0 && index % 10 != 9;
}

// The cursor shows the hourglass while it lives.
struct Sanduhr {
  const bool aktiv = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
  Sanduhr() {
    if (aktiv) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~Sanduhr() {
    if (aktiv) QGuiApplication::restoreOverrideCursor();
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// Construction

TBrett::TBrett(QWidget* owner) : QWidget(owner), umgebung_(&QtBrettUmgebung()) {
  stellung_ = GrundstellungBrett;
  zug_ = TZug{};
  zug_.AmZug = 0;  // created zero-filled
  NichtsGezeichnet(gezeichnet_);
  BildGroesseSetzen(32);
  felder_ = FelderBerechnen(32);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

TBrett::~TBrett() = default;

void TBrett::setUmgebung(TBrettUmgebung* u) {
  umgebung_ = u ? u : &QtBrettUmgebung();
}

void TBrett::BildGroesseSetzen(int s) {
  // The bitmap has the screen's device pixels: pieces stay sharp at any
  // scaling, and everything is drawn in square coordinates times dpr_.
  dpr_ = std::max(1.0, devicePixelRatioF());
  const int p = Physisch(8 * s);
  bild_ = QImage(p, p, QImage::Format_RGB32);
  bild_.setDevicePixelRatio(dpr_);
  bild_.fill(0xffffffff);
  const int f = Physisch(s);
  hintergrund_ = QImage(f, f, QImage::Format_RGB32);
  hintergrund_.fill(0xffffffff);
  zeichenstrip_ = QImage();
  setFixedSize(8 * s, 8 * s);
}

int TBrett::Physisch(int v) const {
  return static_cast<int>(std::lround(v * dpr_));
}

QRect TBrett::Physisch(const QRect& r) const {
  const int l = Physisch(r.left()), t = Physisch(r.top());
  return QRect(l, t, Physisch(r.left() + r.width()) - l, Physisch(r.top() + r.height()) - t);
}

const QImage& TBrett::Zeichenstrip() {
  // The strip at the square's size in device pixels, made when first needed.
  const int pixel = Physisch(groesse_);
  if (zeichenstrip_.isNull() || zeichenstrip_.width() != 12 * pixel) {
    QImage strip;
    if (figuren_ != TFigurenset::User) {
      const int eigene = FigurensatzGroesse(figuren_);
      strip = eigene == pixel ? figurenbild_ : FigurensatzZeichnen(figuren_, pixel);
    }
    zeichenstrip_ = strip.isNull() ? StripSkalieren(figurenbild_, pixel) : strip;
  }
  return zeichenstrip_;
}

const TFischerInfo* TBrett::AktiveFischerInfo() const {
  return fischerInfo_ && fischerInfo_->Fischer ? fischerInfo_ : nullptr;
}

QRect TBrett::QRechteck(int feldnummer) const {
  const TRechteck r = Rechteck(feldnummer);
  return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

// ---------------------------------------------------------------------------
// Properties

void TBrett::setFiguren(TFigurenset f) {
  if (f != TFigurenset::User && f != figuren_) {
    {
      Sanduhr sanduhr;
      figurenbild_ = FigurensatzErzeugen(f);
    }
    figuren_ = f;
    zeichenstrip_ = QImage();
    Neuzeichnen(true);
    userFiguren_.clear();
  }
  figuren_ = f;
}

void TBrett::setUserFiguren(const QString& datei) {
  if (datei.isEmpty()) {
    userFiguren_.clear();
    return;
  }
  if (datei == userFiguren_) return;
  if (!QFileInfo::exists(datei)) {
    umgebung_->Fehlermeldung(this, QStringLiteral("File not found."));
    return;
  }
  if (!BenutzerFigurenLaden(datei)) {
    setFiguren(TFigurenset::WinboardF33);
    return;
  }
  Neuzeichnen(true);
  figuren_ = TFigurenset::User;
  userFiguren_ = datei;
}

void TBrett::setGroesse(int16_t wert) {
  const int v = std::abs(static_cast<int>(wert));
  if (v == groesse_ || v < 10 || v > 1000) return;
  groesse_ = v;
  BildGroesseSetzen(v);
  felder_ = FelderBerechnen(v);
  Neuzeichnen(true);
}

void TBrett::setGrundstellung(bool v) {
  for (int n = 0; n < 64; ++n) stellung_[Idx(n)] = v ? GrundstellungBrett[Idx(n)] : Leer;
  zug_.Von = zug_.Nach = zug_.EPSchlagfeld = 0;
  zug_.EnPassant = 0;
  zug_.Umwandlung = zug_.Geschlagen = 0;
  zug_.Rochade = zug_.Zeichen = zug_.Zugbewertung = 0;
  zug_.Rochaderechte = 31;
  zug_.AmZug = 1;
  if (OnNewPosition) OnNewPosition(this, stellung_, zug_, 1);
  Neuzeichnen(false);
  grundstellung_ = v;
}

void TBrett::setWhiteSquareColor(QRgb c) {
  if (c == weissFarbe_) return;
  weissFarbe_ = c;
  Neuzeichnen(true);
}

void TBrett::setBlackSquareColor(QRgb c) {
  if (c == schwarzFarbe_) return;
  schwarzFarbe_ = c;
  Neuzeichnen(true);
}

void TBrett::setWhiteSquarePattern(const QImage* muster) {
  if (muster == &weissMuster_) return;
  weissMuster_ = muster ? *muster : QImage();
  Neuzeichnen(true);
}

void TBrett::setBlackSquarePattern(const QImage* muster) {
  if (muster == &schwarzMuster_) return;
  schwarzMuster_ = muster ? *muster : QImage();
  Neuzeichnen(true);
}

// ---------------------------------------------------------------------------
// Drawing

void TBrett::FeldZeichnen(int n) {
  if (n < 0 || n > 63) return;
  const int d = Anzeigeindex(n, gedreht_);
  const bool dunkel = DunklesFeld(d);
  const QImage& muster = dunkel ? schwarzMuster_ : weissMuster_;
  const QRect r = QRechteck(n);
  if (muster.isNull()) {
    const QRgb farbe = 0xff000000 | (dunkel ? schwarzFarbe_ : weissFarbe_);
    const QRect p = Physisch(r).intersected(bild_.rect());
    for (int y = p.top(); y <= p.bottom(); ++y) {
      auto* zeile = reinterpret_cast<QRgb*>(bild_.scanLine(y));
      for (int x = p.left(); x <= p.right(); ++x) zeile[x] = farbe;
    }
  } else {
    QPainter p(&bild_);
    p.drawImage(r, muster);
  }
}

void TBrett::FigurZeichnen(int n, int code) {
  if (n < 0 || n > 63) return;
  brevaro::FigurZeichnen(bild_, Physisch(QRechteck(n)), Zeichenstrip(), code);
  if (blind_) FeldZeichnen(n);
}

void TBrett::FeldNeuZeichnen(int index) {
  if (!IstSpielfeld(index)) return;
  FeldZeichnen(Nr(index));
  FigurZeichnen(Nr(index), stellung_[index]);
}

void TBrett::FeldMarkieren(int index) {
  if (!IstSpielfeld(index)) return;
  const TRechteck r = Rechteck(Nr(index));
  // A 2-pixel black frame from (left + 1, top + 1) to the square's last
  // column and row; the neighbours are not touched.
  QPainter p(&bild_);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  const int l = r.Left + 1, t = r.Top + 1, rr = r.Right - 1, b = r.Bottom - 1;
  p.drawRect(QRect(QPoint(l, t), QPoint(rr, t + 1)));
  p.drawRect(QRect(QPoint(l, b - 1), QPoint(rr, b)));
  p.drawRect(QRect(QPoint(l, t), QPoint(l + 1, b)));
  p.drawRect(QRect(QPoint(rr - 1, t), QPoint(rr, b)));
  update();
}

void TBrett::Neuzeichnen(bool Alles) {
  if (zeichnensperre_) return;
  for (int n = 0; n < 64; ++n) {
    const int m = Idx(n);
    if (Alles || stellung_[m] != gezeichnet_[m]) {
      FeldZeichnen(n);
      FigurZeichnen(n, stellung_[m]);
    }
  }
  gezeichnet_ = stellung_;
  update();
}

void TBrett::Drehen() {
  gedreht_ = !gedreht_;
  Neuzeichnen(true);
}

void TBrett::paintEvent(QPaintEvent*) {
  // Moved to a screen of another pixel ratio: the bitmap follows.
  if (std::max(1.0, devicePixelRatioF()) != dpr_ && !zeichnensperre_) {
    BildGroesseSetzen(groesse_);
    Neuzeichnen(true);
  }
  QPainter p(this);
  p.drawImage(QPoint(0, 0), bild_);
}

// ---------------------------------------------------------------------------
// Position and pieces for the host

void TBrett::StellungSetzen(const TSchachbrett& brett, const TZug& zug) {
  AuswahlLoeschen();
  stellung_ = brett;
  zug_ = zug;
  Neuzeichnen(false);
}

void TBrett::FigurenUebernehmen(const QImage& strip, TFigurenset f) {
  figurenbild_ = strip.convertToFormat(QImage::Format_RGB32);
  figuren_ = f;
  zeichenstrip_ = QImage();
  userFiguren_.clear();
}

bool TBrett::BenutzerFigurenLaden(const QString& datei) {
  if (!QFileInfo::exists(datei)) {
    umgebung_->Fehlermeldung(this, QString::fromUtf8("Datei wurde nicht gefunden."));
    return false;
  }
  QImage probe;
  if (!probe.load(datei)) {
    umgebung_->Fehlermeldung(this, QString::fromUtf8("Bitmap konnte nicht geladen werden."));
    return false;
  }
  if (!BenutzerStripPasst(probe.width(), probe.height())) {
    umgebung_->Fehlermeldung(this, QString::fromUtf8("Ungültige Maße der Bitmap."));
    return false;
  }
  figurenbild_ = probe.convertToFormat(QImage::Format_RGB32);
  zeichenstrip_ = QImage();
  return true;
}

// ---------------------------------------------------------------------------
// The floating piece

void TBrett::HintergrundSichern(const TRechteck& r) {
  const int g = hintergrund_.width(), links = Physisch(r.Left), oben = Physisch(r.Top);
  for (int y = 0; y < g; ++y) {
    auto* ziel = reinterpret_cast<QRgb*>(hintergrund_.scanLine(y));
    const int by = oben + y;
    for (int x = 0; x < g; ++x) {
      const int bx = links + x;
      ziel[x] = bx >= 0 && by >= 0 && bx < bild_.width() && by < bild_.height()
                    ? bild_.pixel(bx, by)
                    : 0xffffffff;
    }
  }
}

void TBrett::HintergrundZurueck(const TRechteck& r) {
  const int g = hintergrund_.width(), links = Physisch(r.Left), oben = Physisch(r.Top);
  for (int y = 0; y < g; ++y) {
    const int by = oben + y;
    if (by < 0 || by >= bild_.height()) continue;
    const auto* quelle = reinterpret_cast<const QRgb*>(hintergrund_.constScanLine(y));
    auto* ziel = reinterpret_cast<QRgb*>(bild_.scanLine(by));
    for (int x = 0; x < g; ++x) {
      const int bx = links + x;
      if (bx >= 0 && bx < bild_.width()) ziel[bx] = quelle[x];
    }
  }
}

void TBrett::SchwebeFigurZeichnen(const TRechteck& alt, const TRechteck& neu, int code) {
  if (FigurZelle(code) == 0) return;
  // With alt = neu the background is only saved: restoring first would paint
  // whatever an earlier float left in the buffer.
  if (!(alt == neu)) HintergrundZurueck(alt);
  HintergrundSichern(neu);
  brevaro::FigurZeichnen(bild_, Physisch(QRect(neu.Left, neu.Top, groesse_, groesse_)),
                         Zeichenstrip(), code);
  update();
}

// ---------------------------------------------------------------------------
// Host callbacks

void TBrett::MoveDone() {
  if (OnMoveDone) OnMoveDone(this);
}

bool TBrett::MoveTry(int von, int nach, bool fischer) {
  const int8_t alterVon = zug_.Von, alterNach = zug_.Nach;
  const uint8_t alteRochade = zug_.Rochade;
  zug_.Von = static_cast<int8_t>(von);
  zug_.Nach = static_cast<int8_t>(nach);
  zug_.Rochade = fischer ? FischerKurz : KeineRochade;
  if (OnMoveTry) OnMoveTry(this, legal);
  zug_.Von = alterVon;
  zug_.Nach = alterNach;
  zug_.Rochade = alteRochade;
  return legal;
}

int TBrett::MovePart(int teilfeld) {
  uint8_t vorschlag = 0;
  if (OnMovePart) OnMovePart(this, static_cast<uint8_t>(teilfeld), vorschlag);
  return vorschlag;
}

// ---------------------------------------------------------------------------
// Moves

void TBrett::ZugMachen(int von, int nach, int umwandlung, bool fischer) {
  if (!IstSpielfeld(von) || !IstSpielfeld(nach)) return;
  AuswahlLoeschen();
  ZugBauen(stellung_, zug_, von, nach, umwandlung, fischer, AktiveFischerInfo(),
           [this](int farbe) { return umgebung_->Umwandlungswahl(*this, farbe); });
  ZugZeigen();
}

void TBrett::ZugZeigen() {
  const int von = zug_.Von, nach = zug_.Nach;
  if (!IstSpielfeld(von) || !IstSpielfeld(nach)) return;
  const int figur = stellung_[von];
  FeldZeichnen(Nr(von));
  if (animation_ != 0 && animationErlaubt_) {
    ZugAnimieren();
  } else {
    FeldZeichnen(Nr(nach));
    FigurZeichnen(Nr(nach), figur);
  }
  // What the squares show now, and what they must show after the move.
  TSchachbrett gezeigt = stellung_;
  gezeigt[von] = Leer;
  gezeigt[nach] = figur;
  TSchachbrett neu = stellung_;
  ZugAusfuehren(neu, zug_, AktiveFischerInfo());
  stellung_ = neu;
  for (int n = 0; n < 64; ++n) {
    const int m = Idx(n);
    if (neu[m] != gezeigt[m]) FeldNeuZeichnen(m);
  }
  if (ton_) umgebung_->Piepen();
  gezeichnet_ = stellung_;
  update();
}

void TBrett::ZugAnimieren() {
  const TRechteck a = Rechteck(Nr(zug_.Von));
  const TRechteck b = Rechteck(Nr(zug_.Nach));
  const int figur = stellung_[zug_.Von];
  const TAnimation plan = AnimationPlanen(a, b, AnimationsSchritt(groesse_));
  TRechteck r = a;
  HintergrundSichern(a);
  struct Sperre {
    QWidget* w;
    bool vorher;
    explicit Sperre(QWidget* x) : w(x), vorher(x->isEnabled()) { w->setEnabled(false); }
    ~Sperre() { w->setEnabled(vorher); }
  } sperre(this);
  std::size_t i = 0;
  for (int durchlauf = 0; durchlauf < plan.Durchlaeufe; ++durchlauf) {
    if (i < plan.Zwischen.size()) {
      SchwebeFigurZeichnen(r, plan.Zwischen[i], figur);
      r = plan.Zwischen[i++];
    }
    umgebung_->Pause(animation_);
    repaint();
  }
  HintergrundZurueck(r);
  FeldZeichnen(Nr(zug_.Nach));
  FigurZeichnen(Nr(zug_.Nach), figur);
  repaint();
}

// ---------------------------------------------------------------------------
// Mouse input

void TBrett::mousePressEvent(QMouseEvent* e) {
  MausDruecken(e->button(), e->modifiers(), e->position().toPoint());
}

void TBrett::mouseMoveEvent(QMouseEvent* e) {
  MausBewegen(e->position().toPoint());
}

void TBrett::mouseReleaseEvent(QMouseEvent* e) {
  MausLoslassen(e->button(), e->modifiers(), e->position().toPoint());
}

// A fast mouse can leave the board without a movement over the panel around
// it: the palette piece of the setup dialog is hidden then as well.
void TBrett::leaveEvent(QEvent* e) {
  if (AufbauFigur != 0) AufbauSchwebeVerbergen();
  QWidget::leaveEvent(e);
}

void TBrett::MausDruecken(Qt::MouseButton knopf, Qt::KeyboardModifiers tasten, QPoint p) {
  if (knopf == Qt::LeftButton && !menueGesichert_) {
    gesichertesMenue_ = contextMenuPolicy();
    setContextMenuPolicy(Qt::PreventContextMenu);
    menueGesichert_ = true;
  }
  if (AufbauFigur != 0) {
    AufbauDruecken(knopf, tasten, p);
    return;
  }
  if (!ziehenmoeglich_ || knopf != Qt::LeftButton) return;
  const int n = FeldBeimDruecken(felder_, gedreht_, p.x(), p.y());
  if (auswahl_ >= 0 && AuswahlZiehen(n)) return;
  const int m = Idx(n);
  vorschlag_ = 0;
  if (zugVorschlagen_) vorschlag_ = MovePart(m);
  if (!IstSpielfeld(vorschlag_)) vorschlag_ = 0;  // a host answer off the board counts as none
  if (vorschlag_ != 0) FeldMarkieren(vorschlag_);
  if (stellung_[m] == Leer && vorschlag_ == 0) return;
  startfeld_ = n;
  if (stellung_[m] * zug_.AmZug <= 0) return;
  letzteMaus_ = p;
  schwebeFigur_ = stellung_[m];
  FeldZeichnen(n);
  const TRechteck r = Rechteck(n);
  schwebeRechteck_ = {r.Left, r.Top - 2, r.Right, r.Bottom - 2};
  SchwebeFigurZeichnen(schwebeRechteck_, schwebeRechteck_, schwebeFigur_);
}

void TBrett::MausBewegen(QPoint p) {
  if (AufbauFigur != 0) {
    AufbauBewegen(p);
    return;
  }
  if (schwebeFigur_ == 0) return;
  const TRechteck neu =
      schwebeRechteck_.Verschoben(p.x() - letzteMaus_.x(), p.y() - letzteMaus_.y());
  SchwebeFigurZeichnen(schwebeRechteck_, neu, schwebeFigur_);
  letzteMaus_ = p;
  schwebeRechteck_ = neu;
}

void TBrett::MausLoslassen(Qt::MouseButton knopf, Qt::KeyboardModifiers tasten, QPoint p) {
  if (knopf != Qt::LeftButton) return;
  if (menueGesichert_) {
    setContextMenuPolicy(gesichertesMenue_);
    menueGesichert_ = false;
  }
  if (AufbauFigur != 0) return;
  if (!((ziehenmoeglich_ && schwebeFigur_ != 0) || vorschlag_ != 0)) return;
  const bool schwebte = schwebeFigur_ != 0;
  const bool nurStrg = tasten == Qt::ControlModifier;
  QPoint drop = p;
  if (schwebte) {
    const TRechteck& r = schwebeRechteck_;
    drop = QPoint(r.Left + RundenGerade(r.Right - r.Left, 2),
                  r.Top + RundenGerade(r.Bottom - r.Top, 2));
  }
  int t = FeldBeimLoslassen(felder_, gedreht_, drop.x(), drop.y());
  bool zurueck = true;
  auto eigene = [this](int n) { return n >= 0 && stellung_[Idx(n)] * zug_.AmZug > 0; };
  if (vorschlag_ != 0) {
    FeldNeuZeichnen(vorschlag_);
    if (t == startfeld_) {
      if (!nurStrg) {
        if (eigene(startfeld_))
          t = Nr(vorschlag_);
        else
          startfeld_ = Nr(vorschlag_);
        if (!schwebte) zurueck = false;
        schwebeFigur_ = stellung_[Idx(startfeld_)];
      }
    } else {
      if (t >= 0 && eigene(t) && !eigene(startfeld_)) std::swap(t, startfeld_);
      if (!schwebte) zurueck = false;
      schwebeFigur_ = stellung_[Idx(startfeld_)];
    }
    if (schwebeFigur_ == 0) {
      vorschlag_ = 0;
      update();
      return;
    }
  }
  if (zurueck) {
    HintergrundZurueck(schwebeRechteck_);
    if (vorschlag_ != 0) FeldNeuZeichnen(vorschlag_);
  }
  const int seite = zug_.AmZug;
  const TFischerInfo* fi = AktiveFischerInfo();
  const int koenigsfeld = fi ? (seite == 1 ? fi->WeissKoenig : fi->SchwarzKoenig) : 0;
  const bool fischer =
      fi && nurStrg && Idx(startfeld_) == koenigsfeld && stellung_[koenigsfeld] == seite * Koenig;
  vorschlag_ = 0;
  const bool angenommen = t >= 0 && (t != startfeld_ || fischer) && (!eigene(t) || fischer) &&
                          MoveTry(Idx(startfeld_), Idx(t), fischer);
  if (angenommen) {
    const bool ton = ton_;
    ton_ = false;
    animationErlaubt_ = false;
    ZugMachen(Idx(startfeld_), Idx(t), -1, fischer);
    animationErlaubt_ = true;
    ton_ = ton;
    schwebeFigur_ = 0;
    MoveDone();
  } else {
    FigurZeichnen(startfeld_, schwebeFigur_);
    schwebeFigur_ = 0;
    if (auswahlKlick_ && schwebte && t == startfeld_ && !fischer) {
      auswahl_ = startfeld_;
      FeldMarkieren(Idx(auswahl_));
    }
  }
  update();
}

void TBrett::setAuswahlKlick(bool v) {
  auswahlKlick_ = v;
  if (!v) AuswahlLoeschen();
}

void TBrett::AuswahlLoeschen() {
  if (auswahl_ < 0) return;
  FeldNeuZeichnen(Idx(auswahl_));
  auswahl_ = -1;
}

// Returns true when the press is used up: a move was tried. A press on the
// selected square or on another piece of the side to move drops the
// selection and goes on as a press of its own.
bool TBrett::AuswahlZiehen(int n) {
  const int von = auswahl_;
  AuswahlLoeschen();
  if (n < 0 || n == von || stellung_[Idx(n)] * zug_.AmZug > 0) {
    update();
    return false;
  }
  if (MoveTry(Idx(von), Idx(n), false)) {
    const bool ton = ton_;
    ton_ = false;
    ZugMachen(Idx(von), Idx(n), -1, false);
    ton_ = ton;
    MoveDone();
  }
  update();
  return true;
}

// ---------------------------------------------------------------------------
// Setup mode: the board of the setup dialog while a palette piece is chosen

void TBrett::AufbauBewegen(QPoint p) {
  schwebeFigur_ = AufbauFigur;
  if (AufbauAufnehmen) {
    const int h = groesse_ / 2;
    schwebeRechteck_ = {p.x() - h, p.y() - h, p.x() + h, p.y() + h};
    SchwebeFigurZeichnen(schwebeRechteck_, schwebeRechteck_, schwebeFigur_);
    letzteMaus_ = p;
    AufbauAufnehmen = false;
    return;
  }
  const TRechteck neu =
      schwebeRechteck_.Verschoben(p.x() - letzteMaus_.x(), p.y() - letzteMaus_.y());
  SchwebeFigurZeichnen(schwebeRechteck_, neu, schwebeFigur_);
  letzteMaus_ = p;
  schwebeRechteck_ = neu;
}

void TBrett::AufbauDruecken(Qt::MouseButton knopf, Qt::KeyboardModifiers tasten, QPoint p) {
  const bool nurStrg = tasten == Qt::ControlModifier;
  if (nurStrg && knopf == Qt::RightButton) {
    AufbauFigur = NaechsteAufbauFigur(AufbauFigur);
    schwebeFigur_ = AufbauFigur;
    if (!AufbauAufnehmen) {  // the piece on show changes in place
      HintergrundZurueck(schwebeRechteck_);
      SchwebeFigurZeichnen(schwebeRechteck_, schwebeRechteck_, schwebeFigur_);
    }
    return;
  }
  if (knopf != Qt::LeftButton && knopf != Qt::RightButton) return;
  if (!AufbauAufnehmen) HintergrundZurueck(schwebeRechteck_);
  const int n = FeldBeimDruecken(felder_, gedreht_, p.x(), p.y());
  const int m = Idx(n);
  const int figur = knopf == Qt::RightButton ? -AufbauFigur : AufbauFigur;
  if (stellung_[m] == figur || (nurStrg && knopf == Qt::LeftButton))
    stellung_[m] = Leer;
  else
    stellung_[m] = figur;
  FeldZeichnen(n);
  FigurZeichnen(n, stellung_[m]);
  gezeichnet_[m] = stellung_[m];
  if (!AufbauAufnehmen) HintergrundSichern(schwebeRechteck_);
  update();
  if (OnAufbauGeaendert) OnAufbauGeaendert(this);
}

void TBrett::AufbauSchwebeVerbergen() {
  if (AufbauFigur == 0 || AufbauAufnehmen) return;
  HintergrundZurueck(schwebeRechteck_);
  update();
}

void TBrett::GezeichnetVergessen() {
  NichtsGezeichnet(gezeichnet_);
}

// ---------------------------------------------------------------------------
// Clipboard exchange

void TBrett::FENKopieren() {
  // A Chess960 game read in standard notation keeps its castling-field style;
  // this program's own Fischer Random mark is not copied.
  const TFischerInfo* fi = AktiveFischerInfo();
  umgebung_->ClipboardTextSetzen(QString::fromStdString(
      StellungToFEN(stellung_, zug_, 1, fi && fi->Fischer >= FischerXFEN ? fi : nullptr)));
}

bool TBrett::FENEinfuegen() {
  const std::optional<QString> text = umgebung_->ClipboardText();
  if (!text) return false;
  QByteArray fen = text->left(99).toUtf8();
  // Blanks and control characters off both ends.
  int a = 0, e = fen.size();
  while (a < e && static_cast<unsigned char>(fen[a]) <= ' ') ++a;
  while (e > a && static_cast<unsigned char>(fen[e - 1]) <= ' ') --e;
  fen = fen.mid(a, e - a);
  const int quote = fen.indexOf('"');
  if (quote >= 0) {
    fen = fen.mid(quote + 1);
    fen.chop(1);
  }
  // Read into copies: a text that is no FEN leaves board and record as they were.
  TSchachbrett brett = stellung_;
  TZug zug = zug_;
  uint16_t zugnummer = 1;
  if (!FENToStellung(std::string_view(fen.constData(), static_cast<std::size_t>(fen.size())), brett,
                     zug, zugnummer, nullptr))
    return false;
  stellung_ = brett;
  zug_ = zug;
  Neuzeichnen(false);
  if (OnNewPosition) OnNewPosition(this, stellung_, zug_, 1);
  return true;
}

void TBrett::DiagrammKopieren() {
  QImage kopie = bild_.copy();
  {
    QPainter p(&kopie);
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, kopie.width() - 1, kopie.height() - 1);
  }
  QByteArray bmp;
  QBuffer puffer(&bmp);
  puffer.open(QIODevice::WriteOnly);
  kopie.save(&puffer, "BMP");
  umgebung_->ClipboardBildSetzen(kopie, bmp);
}

}  // namespace brevaro
