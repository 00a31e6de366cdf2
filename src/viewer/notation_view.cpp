#include "viewer/notation_view.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "collections/encoding.h"
#include "viewer/display_text.h"

namespace brevaro {

namespace {

size_t Index(TSchrift s) {
  return static_cast<size_t>(s);
}

int Pixel(const QFont& f) {
  return f.pixelSize() > 0 ? f.pixelSize() : QFontInfo(f).pixelSize();
}

// Text is drawn run by run but wrapped and hit-tested character by character:
// without kerning and shaping both give the same widths.
void Messbar(QFont& f) {
  f.setKerning(false);
  f.setStyleStrategy(QFont::StyleStrategy(f.styleStrategy() | QFont::PreferNoShaping));
}

void StilKopieren(QFont& ziel, const QFont& quelle) {
  ziel.setWeight(quelle.weight());
  ziel.setItalic(quelle.italic());
  ziel.setUnderline(quelle.underline());
  ziel.setStrikeOut(quelle.strikeOut());
}

// Comments and the heading hold free text; elsewhere the bytes 128..144 are
// evaluation symbols.
bool Zugtext(TSchrift lauf, TSchrift zeile) {
  return lauf != TSchrift::Kommentar && zeile != TSchrift::Kopf;
}

}  // namespace

// ---------------------------------------------------------------------------
// Character widths

void TSchriftBreiten::Leeren() {
  for (auto& z : Cache) z.fill(-1);
}

void TSchriftBreiten::Setzen(TSchrift schrift, const QFont& font) {
  Fonts[Index(schrift)] = font;
  Cache[Index(schrift)].fill(-1);
}

void TSchriftBreiten::SetUtf8(bool utf8) {
  if (utf8 != Utf8) Leeren();
  Utf8 = utf8;
}

int TSchriftBreiten::Breite(TSchrift schrift, unsigned char c) const {
  int& w = Cache[Index(schrift)][c];
  if (w >= 0) return w;
  const QFontMetrics fm(Fonts[Index(schrift)]);
  const bool symbole = schrift != TSchrift::Kommentar && schrift != TSchrift::Kopf;
  if (c < 0x20) {
    w = fm.horizontalAdvance(QChar(' '));  // drawn as a blank
  } else if (c < 0x80) {
    w = fm.horizontalAdvance(QChar(c));
  } else if (symbole && c <= 144) {
    w = fm.horizontalAdvance(SymbolText(c));
  } else if (Utf8 && c >= 0x80 && c <= 0xBF) {
    w = 0;  // continuation byte: its lead byte carries the width
  } else if (Utf8 && c >= 0xC2 && c <= 0xDF) {
    int breitest = 0;  // the widest character this lead byte can begin
    for (int k = 0; k < 64; ++k) {
      const char32_t u = static_cast<char32_t>(((c & 0x1F) << 6) | k);
      breitest = std::max(breitest, fm.horizontalAdvance(QString::fromUcs4(&u, 1)));
    }
    w = breitest;
  } else if (Utf8 && c >= 0xE0 && c <= 0xF4) {
    w = 2 * fm.horizontalAdvance(QChar('W'));  // wide scripts and symbols
  } else {
    const char b = static_cast<char>(c);
    w = fm.horizontalAdvance(QString::fromUtf8(Windows1252ZuUtf8(std::string_view(&b, 1))));
  }
  return w;
}

// ---------------------------------------------------------------------------
// Sub-controls

TNotatPaintbox::TNotatPaintbox(TNotation* owner) : QWidget(owner), Owner(owner) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TNotatPaintbox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  Owner->Zeichnen(p);
}

void TNotatPaintbox::mousePressEvent(QMouseEvent* e) {
  QWidget::mousePressEvent(e);
  if (!isEnabled() || e->button() != Qt::LeftButton) return;
  Owner->setFocus(Qt::MouseFocusReason);
  Owner->Klicken(e->position().toPoint());
}

// The wheel scrolls the notation, as it would over the scroll bar.
void TNotatPaintbox::wheelEvent(QWheelEvent* e) {
  QCoreApplication::sendEvent(Owner->Scrollbar(), e);
}

TNotatScrollbar::TNotatScrollbar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
  setFocusPolicy(Qt::NoFocus);
  setSingleStep(1);
}

// ---------------------------------------------------------------------------
// The choice window

TVariantenwahl::TVariantenwahl(QWidget* owner, const std::vector<std::string>& zeilen, bool english)
    : QDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(english ? QStringLiteral("Select move") : QStringLiteral("Variante wählen"));
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setStyleHint(QFont::SansSerif);
  f.setPointSize(8);
  setFont(f);
  resize(255, 147);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  Liste_ = new QListWidget(this);
  QFont fett = f;
  fett.setBold(true);
  Liste_->setFont(fett);
  // Move texts: their evaluation symbols show as in the notation.
  for (const std::string& z : zeilen) Liste_->addItem(Zusammen(z, true, true));
  if (Liste_->count() > 0) Liste_->setCurrentRow(0);
  layout->addWidget(Liste_);
  Liste_->installEventFilter(this);
  connect(Liste_, &QListWidget::itemPressed, this,
          [this](QListWidgetItem* item) { Waehlen(Liste_->row(item)); });
}

void TVariantenwahl::Waehlen(int zeile) {
  Wahl_ = zeile;
  accept();
}

bool TVariantenwahl::eventFilter(QObject* o, QEvent* e) {
  if (o == Liste_ && e->type() == QEvent::KeyPress) {
    keyPressEvent(static_cast<QKeyEvent*>(e));
    return e->isAccepted();
  }
  return QDialog::eventFilter(o, e);
}

void TVariantenwahl::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Right:
      Waehlen(Liste_->currentRow());
      e->accept();
      return;
    case Qt::Key_Escape:
    case Qt::Key_Left:
      Wahl_ = -1;
      reject();
      e->accept();
      return;
    default:
      e->ignore();  // Up and Down move the selection in the list
      return;
  }
}

int TQtVariantenwahl::Waehlen(const std::vector<std::string>& zeilen, bool english) {
  TVariantenwahl dialog(Owner, zeilen, english);
  if (Owner) {
    QPoint ecke = Owner->mapToGlobal(QPoint(0, Owner->height()));
    if (const QScreen* s = Owner->screen()) {
      const QRect frei = s->availableGeometry();
      ecke.setX(std::max(frei.left(), std::min(ecke.x(), frei.right() + 1 - dialog.width())));
      ecke.setY(std::max(frei.top(), std::min(ecke.y(), frei.bottom() + 1 - dialog.height())));
    }
    dialog.move(ecke);
  }
  dialog.exec();
  return dialog.Wahl();
}

// ---------------------------------------------------------------------------
// Life cycle

TNotation::TNotation(QWidget* parent) : QFrame(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAutoFillBackground(true);
  Scrollbar_ = new TNotatScrollbar(this);
  Paintbox_ = new TNotatPaintbox(this);
  connect(Scrollbar_, &QScrollBar::valueChanged, Paintbox_, qOverload<>(&QWidget::update));
  const QFont standard = font();
  Kopf.Font = Kommentar.Font = Var0.Font = Var1.Font = Var2.Font = standard;
  Fett = standard;
  Fett.setBold(true);
  setBevelOuter(TBevel::Lowered);
  setLineWidth(BevelWidth_);
  Qtwahl = std::make_unique<TQtVariantenwahl>(this);
  Navigation_.Variantenwahl = Qtwahl.get();
  Navigation_.Beep = [this] {
    if (Beep) {
      Beep();
    } else {
      QApplication::beep();
    }
  };
  Navigation_.Zeigen = [this] { AktuellenZugZeigen(); };
  Navigation_.Aufbauen = [this] { NotationAufbauen(); };
  Modell_.Zeichenbreite = &Breiten;
  BreitenSetzen();
  ZeilenhoeheBerechnen();
  resize(200, 150);
  Groessen();
}

TNotation::~TNotation() = default;

void TNotation::BreitenSetzen() {
  for (QFont* f : {&Kopf.Font, &Kommentar.Font, &Var0.Font, &Var1.Font, &Var2.Font, &Fett}) {
    Messbar(*f);
  }
  FettSchrift = {Fett, Var0.Color};
  Breiten.Setzen(TSchrift::Kopf, Kopf.Font);
  Breiten.Setzen(TSchrift::Kommentar, Kommentar.Font);
  Breiten.Setzen(TSchrift::Haupt, Var0.Font);
  Breiten.Setzen(TSchrift::HauptFett, Fett);
  Breiten.Setzen(TSchrift::Variante1, Var1.Font);
  Breiten.Setzen(TSchrift::Variante2, Var2.Font);
}

void TNotation::ZeilenhoeheBerechnen() {
  Zeilenhoehe_ = std::max(1, QFontMetrics(Var0.Font).height() + Zeilenabstand_);
  Scrollbar_->setPageStep(std::max(1, Scrollbar_->height() / Zeilenhoehe_ - 1));
}

const TNotatSchrift& TNotation::Schrift(TSchrift s) const {
  switch (s) {
    case TSchrift::Kopf:
      return Kopf;
    case TSchrift::Kommentar:
      return Kommentar;
    case TSchrift::HauptFett:
      return FettSchrift;
    case TSchrift::Variante1:
      return Var1;
    case TSchrift::Variante2:
      return Var2;
    default:
      return Var0;
  }
}

// ---------------------------------------------------------------------------
// Display properties

void TNotation::setUeberschrift(bool v) {
  Modell_.Ueberschrift = v;
  NotationAufbauen();
}

void TNotation::setEnglish(bool v) {
  if (v == Modell_.English()) return;
  Modell_.SetEnglish(v);  // lays out
  NotationAufbauen();
}

void TNotation::setFontHeadLine(const TNotatSchrift& f) {
  Kopf = f;
  BreitenSetzen();
  NotationAufbauen();
}

void TNotation::setFontComment(const TNotatSchrift& f) {
  Kommentar = f;
  const int groesste = std::max({Pixel(Var0.Font), Pixel(Var1.Font), Pixel(Var2.Font)});
  if (Pixel(Kommentar.Font) > groesste) Kommentar.Font.setPixelSize(groesste);
  BreitenSetzen();
  NotationAufbauen();
}

void TNotation::setFont0Var(const TNotatSchrift& f) {
  Var0 = f;
  for (TNotatSchrift* v : {&Var1, &Var2}) {
    v->Font.setFamilies(f.Font.families());
    v->Font.setFamily(f.Font.family());
    v->Font.setStyleHint(f.Font.styleHint());
    v->Font.setPixelSize(Pixel(f.Font));
  }
  if (Pixel(Kommentar.Font) > Pixel(Var0.Font)) Kommentar.Font.setPixelSize(Pixel(Var0.Font));
  Fett = Var0.Font;
  Fett.setBold(true);
  Paintbox_->setFont(Var0.Font);
  ZeilenhoeheBerechnen();
  BreitenSetzen();
  NotationAufbauen();
}

void TNotation::setFont1Var(const TNotatSchrift& f) {
  Var1.Color = f.Color;
  StilKopieren(Var1.Font, f.Font);
  BreitenSetzen();
  NotationAufbauen();
}

void TNotation::setFont2Var(const TNotatSchrift& f) {
  Var2.Color = f.Color;
  StilKopieren(Var2.Font, f.Font);
  BreitenSetzen();
  NotationAufbauen();
}

void TNotation::setIndent0Var(uint16_t v) {
  if (v == Modell_.Indent0Var) return;
  Modell_.Indent0Var = v;
  NotationAufbauen();
}

void TNotation::setIndent1Var(uint16_t v) {
  if (v == Modell_.Indent1Var) return;
  Modell_.Indent1Var = v;
  NotationAufbauen();
}

void TNotation::setIndent2Var(uint16_t v) {
  if (v == Modell_.Indent2Var) return;
  Modell_.Indent2Var = v;
  NotationAufbauen();
}

void TNotation::setZeilenabstand(uint16_t v) {
  if (v == Zeilenabstand_) return;
  Zeilenabstand_ = v;
  ZeilenhoeheBerechnen();
  NotationAufbauen();
}

void TNotation::setBevelWidthNotat(uint16_t v) {
  if (v == 0) return;
  BevelWidth_ = v;
  setLineWidth(v);
  Groessen();
}

void TNotation::setBorderWidthNotat(uint16_t v) {
  BorderWidth_ = v;
  Groessen();
}

void TNotation::setBevelOuter(TBevel v) {
  BevelOuter_ = v;
  switch (v) {
    case TBevel::None:
      setFrameStyle(QFrame::NoFrame);
      break;
    case TBevel::Lowered:
      setFrameStyle(QFrame::Panel | QFrame::Sunken);
      break;
    case TBevel::Raised:
      setFrameStyle(QFrame::Panel | QFrame::Raised);
      break;
  }
  setLineWidth(BevelWidth_);
  Groessen();
}

// ---------------------------------------------------------------------------
// Geometry

void TNotation::resizeEvent(QResizeEvent* e) {
  QFrame::resizeEvent(e);
  Groessen();
}

void TNotation::Groessen() {
  const int einsatz = BorderWidth_ + (BevelOuter_ == TBevel::None ? 0 : BevelWidth_);
  const int sb = Scrollbar_->sizeHint().width();
  const int b = std::max(0, width() - sb - 2 * einsatz);
  const int h = std::max(0, height() - 2 * einsatz);
  Paintbox_->setGeometry(einsatz, einsatz, b, h);
  Scrollbar_->setGeometry(einsatz + b, einsatz, sb, h);
  Scrollbar_->setPageStep(std::max(1, h / Zeilenhoehe_ - 1));
  NotationAufbauen();
}

void TNotation::Sichtbereich() {
  const int64_t zeilen = static_cast<int64_t>(Modell_.Zeilenanfaenge().size());
  const int64_t s = Scrollbar_->value();
  ErsteZeile_ = s + 1;
  LetzteZeile_ = s + Paintbox_->height() / Zeilenhoehe_;
  if (LetzteZeile_ > zeilen + 1) {
    const int64_t zuviel = LetzteZeile_ - (zeilen + 1);
    ErsteZeile_ -= zuviel;
    LetzteZeile_ -= zuviel;
  }
  ErsteZeile_ = std::max<int64_t>(ErsteZeile_, 1);
}

// ---------------------------------------------------------------------------
// The game

void TNotation::NotationAufbauen() {
  Modell_.Breite = Paintbox_->width();
  Modell_.NotationAufbauen();
  const int64_t zeilen = static_cast<int64_t>(Modell_.Zeilenanfaenge().size());
  const int64_t maximum = zeilen - Paintbox_->height() / Zeilenhoehe_;
  Scrollbar_->setMaximum(static_cast<int>(std::clamp<int64_t>(maximum, 0, INT32_MAX)));
  Sichtbereich();
  const int64_t ziel = Scrollziel(ZeileVonZug(Modell_, Modell_.Aktuell), ErsteZeile_, LetzteZeile_);
  if (ziel != -1 && ziel != Scrollbar_->value()) {
    Scrollbar_->setValue(static_cast<int>(std::min<int64_t>(ziel, INT32_MAX)));
  }
  Paintbox_->update();
}

int32_t TNotation::LadePartie(std::string_view text) {
  Utf8_ = IstUtf8(text);
  Breiten.SetUtf8(Utf8_);
  Modell_.Breite = Paintbox_->width();
  const int32_t ergebnis = Modell_.LadePartie(text);
  Scrollbar_->setValue(0);
  NotationAufbauen();
  return ergebnis;
}

namespace {

// The desktop clipboard as the model's text store. The game's bytes are
// decoded like everything shown (UTF-8, else Windows-1252); text read from
// the clipboard is UTF-8.
class TQtTextAblage : public TTextAblage {
 public:
  explicit TQtTextAblage(bool utf8) : Utf8(utf8) {}
  std::optional<std::string> TextLesen() override {
    const QClipboard* c = QGuiApplication::clipboard();
    const QMimeData* d = c ? c->mimeData() : nullptr;
    if (!d || !d->hasText()) return std::nullopt;
    return c->text().toStdString();
  }
  void TextSchreiben(const std::string& text) override {
    if (QClipboard* c = QGuiApplication::clipboard()) {
      c->setText(QString::fromStdString(Utf8 ? text : Windows1252ZuUtf8(text)));
    }
  }

 private:
  bool Utf8;
};

}  // namespace

void TNotation::PGNKopieren() {
  TQtTextAblage ablage(Utf8_);
  Modell_.PGNKopieren(ablage);
}

bool TNotation::PGNEinfuegen() {
  TQtTextAblage ablage(true);
  Utf8_ = true;
  Breiten.SetUtf8(true);
  Modell_.Breite = Paintbox_->width();
  if (!Modell_.PGNEinfuegen(ablage)) return false;
  Scrollbar_->setValue(0);
  NotationAufbauen();
  return true;
}

void TNotation::NeueStellung(const TSchachbrett& stellung, const TZug& zug, int32_t zugnummer) {
  Modell_.Breite = Paintbox_->width();
  Modell_.NeueStellung(stellung, zug, zugnummer);
  NotationAufbauen();
}

void TNotation::FigurenBuchstaben(const TEigeneBuchstaben& buchstaben) {
  Modell_.FigurenBuchstaben(buchstaben);
  NotationAufbauen();
}

void TNotation::ZeileWechseln(int d) {
  if (!isEnabled()) return;
  Sichtbereich();
  switch (Navigation_.ZeileWechseln(d, ErsteZeile_, LetzteZeile_)) {
    case TZeilenwechsel::Nichts:
      return;
    case TZeilenwechsel::KeinZug:
      Scrollbar_->setValue(Scrollbar_->value() + d);
      return;
    case TZeilenwechsel::ZugGefunden: {
      Sichtbereich();  // the move may have been scrolled to already
      const int64_t ziel =
          Scrollziel(ZeileVonZug(Modell_, Modell_.Aktuell), ErsteZeile_, LetzteZeile_);
      if (ziel != -1 && ziel != Scrollbar_->value()) Scrollbar_->setValue(static_cast<int>(ziel));
      Navigation_.Melden(false);
      return;
    }
  }
}

void TNotation::setVariantenwahl(TVariantenwahlFrage* frage) {
  Navigation_.Variantenwahl = frage ? frage : Qtwahl.get();
}

void TNotation::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_PageUp:
      VorigeVariante();
      break;
    case Qt::Key_PageDown:
      NaechsteVariante();
      break;
    case Qt::Key_End:
      ZumEnde();
      break;
    case Qt::Key_Home:
      ZumAnfang();
      break;
    case Qt::Key_Left:
      ZugZurueck();
      break;
    case Qt::Key_Right:
      ZugVor();
      break;
    case Qt::Key_Up:
      ZeileWechseln(-1);
      break;
    case Qt::Key_Down:
      ZeileWechseln(1);
      break;
    default:
      QFrame::keyPressEvent(e);
      return;
  }
  e->accept();
}

// ---------------------------------------------------------------------------
// Runs, drawing and marking

std::vector<TNotation::TLauf> TNotation::LaeufeBilden(int32_t start, int32_t laenge,
                                                      TSchrift zeile) const {
  const int32_t ende = start + laenge;
  std::vector<TLauf> laeufe{{start, zeile}};
  const auto& kommentare = Modell_.Kommentarbereiche();
  // The first comment that may touch the stretch.
  auto it = std::lower_bound(
      kommentare.begin(), kommentare.end(), start,
      [](const TKommentarbereich& k, int32_t s) { return int64_t{k.Pos} + k.Laenge <= s; });
  for (; it != kommentare.end() && ende >= it->Pos; ++it) {
    const int32_t a = it->Pos;
    const int32_t n = it->Laenge;
    if (a <= start && start < a + n) {
      laeufe.front().Schrift = TSchrift::Kommentar;
      if (a + n >= ende) break;
      laeufe.push_back({a + n, zeile});
    } else if (start < a && a < ende) {
      laeufe.push_back({a, TSchrift::Kommentar});
      if (a + n >= ende) break;
      laeufe.push_back({a + n, zeile});
    }
  }
  laeufe.push_back({ende, zeile});  // the end entry; its font is not used
  return laeufe;
}

QString TNotation::Lauftext(int32_t von, int32_t bis, TSchrift schrift, TSchrift zeile) const {
  const std::string& t = Modell_.Notationstext;
  const int32_t laenge = static_cast<int32_t>(t.size());
  von = std::clamp(von, 1, laenge + 1);
  bis = std::clamp(bis, von, laenge + 1);
  std::string teil = t.substr(static_cast<size_t>(von - 1), static_cast<size_t>(bis - von));
  if (const size_t i = teil.find('{'); i != std::string::npos) teil.erase(i, 1);
  if (const size_t i = teil.find('}'); i != std::string::npos) teil.erase(i, 1);
  return Zusammen(teil, Utf8_, Zugtext(schrift, zeile));
}

int TNotation::Laufbreite(int32_t von, int32_t bis, TSchrift schrift, TSchrift zeile) const {
  return QFontMetrics(Schrift(schrift).Font).horizontalAdvance(Lauftext(von, bis, schrift, zeile));
}

int TNotation::KommentarVersatz(TSchrift zeile) const {
  const int d = QFontMetrics(Schrift(zeile).Font).height() - QFontMetrics(Kommentar.Font).height();
  return d >= 0 ? d / 2 : -((-d + 1) / 2);  // rounded down
}

QString TNotation::ZeilenText(int64_t zeile) const {
  const int32_t start = Modell_.Zeilenanfang(zeile);
  if (start < 0) return {};
  int32_t naechste = Modell_.Zeilenanfang(zeile + 1);
  if (naechste < 0) naechste = static_cast<int32_t>(Modell_.Notationstext.size()) + 1;
  const TSchrift z = Modell_.Zeilenanfaenge()[static_cast<size_t>(zeile)].Schrift;
  const auto laeufe = LaeufeBilden(start, naechste - start, z);
  QString s;
  for (size_t i = 0; i + 1 < laeufe.size(); ++i) {
    s += Lauftext(laeufe[i].Start, laeufe[i + 1].Start, laeufe[i].Schrift, z);
  }
  return s;
}

int TNotation::ZeilenBreite(int64_t zeile) const {
  const int32_t start = Modell_.Zeilenanfang(zeile);
  if (start < 0) return 0;
  int32_t naechste = Modell_.Zeilenanfang(zeile + 1);
  if (naechste < 0) naechste = static_cast<int32_t>(Modell_.Notationstext.size()) + 1;
  const TSchrift z = Modell_.Zeilenanfaenge()[static_cast<size_t>(zeile)].Schrift;
  const auto laeufe = LaeufeBilden(start, naechste - start, z);
  int x = Modell_.Einzug(z);
  for (size_t i = 0; i + 1 < laeufe.size(); ++i) {
    x += Laufbreite(laeufe[i].Start, laeufe[i + 1].Start, laeufe[i].Schrift, z);
  }
  return x;
}

void TNotation::Zeichnen(QPainter& p) {
  Sichtbereich();
  p.fillRect(Paintbox_->rect(), palette().color(QPalette::Window));
  const auto& zeilen = Modell_.Zeilenanfaenge();
  const int32_t textlaenge = static_cast<int32_t>(Modell_.Notationstext.size());
  int r = 0;
  for (int64_t i = ErsteZeile_ - 1; i <= LetzteZeile_ - 1; ++i) {
    if (i < 0 || i >= static_cast<int64_t>(zeilen.size())) continue;
    const TSchrift z = zeilen[static_cast<size_t>(i)].Schrift;
    const int versatz = KommentarVersatz(z);
    const int32_t start = Modell_.Zeilenanfang(i);
    int32_t naechste = Modell_.Zeilenanfang(i + 1);
    if (naechste < 0) naechste = textlaenge + 1;
    const auto laeufe = LaeufeBilden(start, naechste - start, z);
    int x = Modell_.Einzug(z);
    const int y = r * Zeilenhoehe_;
    for (size_t k = 0; k + 1 < laeufe.size(); ++k) {
      const TNotatSchrift& s = Schrift(laeufe[k].Schrift);
      const QString text = Lauftext(laeufe[k].Start, laeufe[k + 1].Start, laeufe[k].Schrift, z);
      const QFontMetrics fm(s.Font);
      p.setFont(s.Font);
      p.setPen(s.Color);
      const int dy = laeufe[k].Schrift == TSchrift::Kommentar ? versatz : 0;
      p.drawText(QPoint(x, y + dy + fm.ascent()), text);
      x += fm.horizontalAdvance(text);
    }
    ++r;
  }
  // The current move, inverted.
  const QRect m = MarkierteFlaeche();
  if (!m.isEmpty()) {
    const TBaum* a = Modell_.Aktuell;
    int32_t s = 0;
    const int64_t l = ZeileVonZug(Modell_, a, &s);
    const TSchrift z = zeilen[static_cast<size_t>(l)].Schrift;
    const TNotatSchrift& schrift = Schrift(z);
    p.fillRect(m, Qt::black);
    p.setFont(schrift.Font);
    p.setPen(Qt::white);
    p.drawText(QPoint(m.x(), m.y() + QFontMetrics(schrift.Font).ascent()),
               Lauftext(a->TextPos, a->TextPos + a->TextLaenge, z, z));
  }
}

QRect TNotation::MarkierteFlaeche() {
  const TBaum* a = Modell_.Aktuell;
  int32_t s = 0;
  const int64_t l = ZeileVonZug(Modell_, a, &s);
  if (l < 0) return {};
  Sichtbereich();
  const TSchrift z = Modell_.Zeilenanfaenge()[static_cast<size_t>(l)].Schrift;
  int x = Modell_.Einzug(z);
  const auto laeufe = LaeufeBilden(s, a->TextPos - s, z);
  for (size_t k = 0; k + 1 < laeufe.size(); ++k) {
    x += Laufbreite(laeufe[k].Start, laeufe[k + 1].Start, laeufe[k].Schrift, z);
  }
  const int64_t y = (l + 1 - ErsteZeile_) * Zeilenhoehe_;
  if (y < 0 || y >= (LetzteZeile_ - ErsteZeile_ + 1) * Zeilenhoehe_) return {};
  const QFontMetrics fm(Schrift(z).Font);
  const int b = fm.horizontalAdvance(Lauftext(a->TextPos, a->TextPos + a->TextLaenge, z, z));
  return QRect(x, static_cast<int>(y), b, fm.height());
}

void TNotation::AktuellenZugZeigen() {
  Sichtbereich();
  const int64_t t = Scrollziel(ZeileVonZug(Modell_, Modell_.Aktuell), ErsteZeile_, LetzteZeile_);
  if (t != -1 && t != Scrollbar_->value()) {
    Scrollbar_->setValue(static_cast<int>(std::min<int64_t>(t, INT32_MAX)));
  }
  Paintbox_->update();
}

// ---------------------------------------------------------------------------
// Clicks

int32_t TNotation::PositionBei(QPoint punkt) {
  Sichtbereich();
  const int X = punkt.x();
  const int Y = punkt.y();
  if (Y < 0 || Y > (LetzteZeile_ - ErsteZeile_ + 1) * Zeilenhoehe_) return 0;
  const int64_t l = Y / Zeilenhoehe_ + ErsteZeile_ - 1;
  const auto& zeilen = Modell_.Zeilenanfaenge();
  if (l >= static_cast<int64_t>(zeilen.size())) return 0;
  const TSchrift z = zeilen[static_cast<size_t>(l)].Schrift;
  const int32_t start = Modell_.Zeilenanfang(l);
  int32_t naechste = Modell_.Zeilenanfang(l + 1);
  if (naechste < 0) naechste = static_cast<int32_t>(Modell_.Notationstext.size()) + 1;
  const auto laeufe = LaeufeBilden(start, naechste - start, z);
  const std::string& t = Modell_.Notationstext;
  int32_t p = start;
  int x = Modell_.Einzug(z);
  for (size_t k = 0; k + 1 < laeufe.size(); ++k) {
    const QFontMetrics fm(Schrift(laeufe[k].Schrift).Font);
    const int32_t von = laeufe[k].Start;
    const int32_t bis = laeufe[k + 1].Start;
    const std::string_view teil(t.data() + von - 1, static_cast<size_t>(bis - von));
    bool offen = false;
    bool zu = false;
    // Characters one by one; the first brace of each kind is not drawn.
    size_t i = 0;
    for (const TAnzeigezeichen& c : Zerlegen(teil, Utf8_, Zugtext(laeufe[k].Schrift, z))) {
      const char b = teil[i];
      i += static_cast<size_t>(c.Bytes);
      if ((b == '{' && !offen) || (b == '}' && !zu)) {
        (b == '{' ? offen : zu) = true;
        p += 1;
        continue;
      }
      x += fm.horizontalAdvance(c.Text);
      if (x > X) return p;
      p += c.Bytes;
    }
  }
  return p;
}

void TNotation::Klicken(QPoint punkt) {
  const int32_t p = PositionBei(punkt);
  if (p > 0 && Navigation_.ZugAnPosition(p)) Navigation_.Melden(false);
}

// ---------------------------------------------------------------------------

void FormularSchriften(TNotation& n) {
  auto schrift = [](const char* name, QFont::StyleHint hinweis, int pixel, bool fett,
                    QColor farbe) {
    TNotatSchrift s;
    s.Font = QFont(QString::fromLatin1(name));
    s.Font.setStyleHint(hinweis);
    s.Font.setPixelSize(pixel);
    s.Font.setBold(fett);
    s.Color = farbe;
    return s;
  };
  n.setFont0Var(schrift("Courier New", QFont::TypeWriter, 13, true, Qt::black));
  n.setFont1Var(schrift("Courier New", QFont::TypeWriter, 13, false, Qt::black));
  n.setFont2Var(schrift("Courier New", QFont::TypeWriter, 13, false, QColor(0, 128, 128)));
  n.setFontHeadLine(schrift("MS Sans Serif", QFont::SansSerif, 13, true, Qt::black));
  n.setFontComment(schrift("Arial", QFont::SansSerif, 11, false, QColor(128, 0, 0)));
  n.setIndent0Var(4);
  n.setIndent1Var(12);
  n.setIndent2Var(20);
  n.setAutoBold(true);
  n.setZeilenabstand(3);
  n.setBevelWidthNotat(1);
  n.setBorderWidthNotat(0);
}

}  // namespace brevaro
