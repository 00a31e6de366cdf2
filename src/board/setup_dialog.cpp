#include "board/setup_dialog.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>

#include "board/board_platform.h"
#include "board/position_check.h"

namespace brevaro {

namespace {

constexpr uint8_t RochadeRechte[4] = {WeissKurz, WeissLang, SchwarzKurz, SchwarzLang};

// Sets AufbauSperre while the dialog changes its own boxes and buttons.
struct Sperre {
  const bool vorher = TBrett::AufbauSperre;
  Sperre() { TBrett::AufbauSperre = true; }
  ~Sperre() { TBrett::AufbauSperre = vorher; }
};

QLabel* Beschriftung(QWidget* eltern, const QString& text, int x, int y) {
  auto* l = new QLabel(text, eltern);
  l->adjustSize();
  l->move(x, y);
  return l;
}

}  // namespace

TAufbauPanel::TAufbauPanel(QWidget* eltern, TBrett** brett) : QFrame(eltern), brett_(brett) {
  setMouseTracking(true);
}

void TAufbauPanel::mouseMoveEvent(QMouseEvent* e) {
  if (*brett_) (*brett_)->AufbauSchwebeVerbergen();
  QFrame::mouseMoveEvent(e);
}

TStellungsdialog::TStellungsdialog(TBrett& quelle, bool suchmodus, QWidget* eltern)
    : QDialog(eltern), suchmodus_(suchmodus) {
  const bool en = quelle.English();
  auto tr2 = [en](const char* englisch, const char* deutsch) {
    return QString::fromUtf8(en ? englisch : deutsch);
  };
  setWindowTitle(tr2("Setup position", "Stellung eingeben"));
  setFixedSize(545, 420);
  if (const QScreen* schirm = quelle.screen()) {
    const QRect r = schirm->availableGeometry();
    move(r.center() - QPoint(545 / 2, 420 / 2));
  }
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

  hintergrund_ = new TAufbauPanel(this, &brett_);
  hintergrund_->setGeometry(0, 0, 545, 420);
  hintergrund_->setFrameShape(QFrame::NoFrame);

  auto* rahmen = new TAufbauPanel(hintergrund_, &brett_);
  rahmen->setGeometry(30, 13, 267, 267);
  rahmen->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  rahmen->setLineWidth(2);

  brett_ = new TBrett(rahmen);
  brett_->setUmgebung(&quelle.Umgebung());
  brett_->move(5, 5);
  brett_->setCursor(Qt::BlankCursor);
  if (quelle.Groesse() == 32) {
    brett_->setWhiteSquarePattern(&quelle.WhiteSquarePattern());
    brett_->setBlackSquarePattern(&quelle.BlackSquarePattern());
  }
  if (quelle.AufbauFiguren())
    brett_->setFiguren(TFigurenset::F32);
  else
    brett_->FigurenUebernehmen(quelle.FigurenbildHolen(), TFigurenset::User);
  brett_->OnAufbauGeaendert = [this](TBrett*) { Geaendert(); };

  const QImage& strip = brett_->FigurenbildHolen();
  for (int i = 0; i < 6; ++i) {
    for (int seite = 0; seite < 2; ++seite) {
      const int wert = seite == 0 ? i + 1 : -(i + 1);
      auto* s = new TSchalter(hintergrund_, wert, strip, 32);
      s->setGeometry(seite == 0 ? 306 : 348, 14 + 45 * i, 40, 40);
      s->setFocusPolicy(Qt::NoFocus);
      s->OnKlick = [this](TSchalter* schalter) {
        TBrett::AufbauFigur = schalter->Wert();
        brett_->AufbauSchwebeEntfernen();
      };
      palette_[seite * 6 + i] = s;
    }
  }
  for (int i = 0; i < 8; ++i) {
    Beschriftung(hintergrund_, QString::number(i + 1), 18, 252 - 32 * i);
    Beschriftung(hintergrund_, QString(QChar('A' + i)), 48 + 32 * i, 281);
  }

  auto* rochade = new QGroupBox(tr2("Castling", "Rochade"), hintergrund_);
  rochade->setGeometry(395, 15, 130, 145);
  const char* rochadeTexte[4][2] = {{" White 0-0", " Weiß 0-0"},
                                    {" White 0-0-0", " Weiß 0-0-0"},
                                    {" Black 0-0", " Schwarz 0-0"},
                                    {" Black 0-0-0", " Schwarz 0-0-0"}};
  for (int i = 0; i < 4; ++i) {
    auto* box = new TAufbauCheckBox(rochade, 5 + i);
    box->setText(tr2(rochadeTexte[i][0], rochadeTexte[i][1]));
    box->setGeometry(10, 25 + 25 * i, 110, 17);
    connect(box, &QCheckBox::clicked, this, [this, box] { RochadeKlick(box); });
    rochade_[i] = box;
  }
  auto* seite = new QGroupBox(tr2("Who to move?", "Am Zug:"), hintergrund_);
  seite->setGeometry(395, 178, 130, 90);
  weiss_ = new TAufbauRadioButton(seite, 9);
  weiss_->setText(tr2(" &White", " &Weiß"));
  weiss_->setGeometry(10, 25, 110, 17);
  schwarz_ = new TAufbauRadioButton(seite, 10);
  schwarz_->setText(tr2(" B&lack", " &Schwarz"));
  schwarz_->setGeometry(10, 50, 110, 17);
  for (TAufbauRadioButton* r : {weiss_, schwarz_})
    connect(r, &QRadioButton::clicked, this, [this, r] { SeiteKlick(r); });

  auto* unten = new QGroupBox(hintergrund_);
  unten->setGeometry(13, 299, 512, 52);
  Beschriftung(unten, tr2("Move number:", "Zugnummer :"), 25, 20);
  Beschriftung(unten, tr2("  E.p. on line:", "E.p. auf Linie :"), 282, 20);
  zugnummer_ = new QSpinBox(hintergrund_);
  zugnummer_->setRange(1, 1000);
  zugnummer_->setValue(1);
  zugnummer_->setGeometry(120, 317, 50, 22);
  enPassant_ = new QComboBox(hintergrund_);
  enPassant_->setEditable(true);
  for (char c = 'A'; c <= 'H'; ++c) enPassant_->addItem(QString(QChar(c)));
  enPassant_->lineEdit()->setMaxLength(1);
  enPassant_->setCurrentIndex(-1);
  enPassant_->setEditText(QString());
  enPassant_->setGeometry(400, 317, 50, 22);

  const char* knopfTexte[4][2] = {{"&Cancel", "&Abbrechen"},
                                  {"&Ok", "&Ok"},
                                  {"Clear &Board", "&Brett leeren"},
                                  {"&Reset", "&Grundstellung"}};
  const int knopfX[4] = {411, 15, 147, 279};
  for (int tag = 0; tag < 4; ++tag) {
    auto* k = new TKnopf(hintergrund_, tag);
    k->setText(tr2(knopfTexte[tag][0], knopfTexte[tag][1]));
    k->setGeometry(knopfX[tag], 360, 115, 25);
    k->setAutoDefault(false);
    connect(k, &QPushButton::clicked, this, [this, k] { Knopf(k); });
    knoepfe_[tag] = k;
  }

  // Opening: the position and its state, then the palette piece.
  brett_->setStellungUndZug(quelle.Stellung(), quelle.Zug());
  brett_->Neuzeichnen(true);
  {
    Sperre sperre;
    if (quelle.Zug().AmZug != 1)
      schwarz_->setChecked(true);
    else
      weiss_->setChecked(true);
    for (int i = 0; i < 4; ++i)
      rochade_[i]->setChecked((quelle.Zug().Rochaderechte & RochadeRechte[i]) != 0);
  }
  TBrett::AufbauFigur = Koenig;
  TBrett::AufbauAufnehmen = true;
  OkPruefen();
}

TStellungsdialog::~TStellungsdialog() {
  TBrett::AufbauFigur = 0;
  TBrett::AufbauAufnehmen = false;
}

void TStellungsdialog::OkPruefen() {
  Ok()->setEnabled(suchmodus_ || StellungPruefen(brett_->Stellung(), brett_->Zug()));
}

void TStellungsdialog::RochadeNachFeldern() {
  Sperre sperre;
  for (int i = 0; i < 4; ++i)
    rochade_[i]->setChecked(RochadeMoeglich(brett_->Stellung(), RochadeRechte[i]));
}

void TStellungsdialog::Geaendert() {
  OkPruefen();
  RochadeNachFeldern();
}

void TStellungsdialog::RochadeKlick(TAufbauCheckBox* box) {
  if (TBrett::AufbauSperre) return;
  const int i = box->Tag - 5;
  if (!RochadeMoeglich(brett_->Stellung(), RochadeRechte[i])) {
    Sperre sperre;
    box->setChecked(false);
  }
}

void TStellungsdialog::SeiteKlick(TAufbauRadioButton* knopf) {
  if (TBrett::AufbauSperre) return;
  brett_->ZugBearbeiten().AmZug = knopf == weiss_ ? 1 : -1;
  OkPruefen();
}

void TStellungsdialog::Knopf(TKnopf* k) {
  switch (k->Tag) {
    case 1: {
      Sperre sperre;
      std::array<bool, 4> rechte{};
      for (int i = 0; i < 4; ++i) rechte[i] = rochade_[i]->isChecked();
      const QByteArray ep = enPassant_->currentText().toLatin1();
      ZugAusEingaben(brett_->Stellung(), brett_->ZugBearbeiten(), rechte, weiss_->isChecked(),
                     std::string_view(ep.constData(), static_cast<std::size_t>(ep.size())));
      accept();
      break;
    }
    case 2:
    case 3: {
      Sperre sperre;
      const bool grundstellung = k->Tag == 3;
      brett_->GezeichnetVergessen();
      brett_->setGrundstellung(grundstellung);
      for (TAufbauCheckBox* box : rochade_) box->setChecked(grundstellung);
      if (grundstellung) weiss_->setChecked(true);
      // The board's side to move follows the radio buttons, which Clear leaves
      // as they are, so that the plausibility test judges the side shown.
      brett_->ZugBearbeiten().AmZug = weiss_->isChecked() ? 1 : -1;
      // A search position need not be legal: there OK stays enabled.
      Ok()->setEnabled(grundstellung || suchmodus_);
      TBrett::AufbauAufnehmen = true;
      break;
    }
    default:
      reject();
      break;
  }
}

// ---------------------------------------------------------------------------
// TBrett::StellungEingeben

bool TBrett::StellungEingeben(bool Suchmodus) {
  bool angenommen = false;
  int zugnummer = 1;
  {
    TStellungsdialog dialog(*this, Suchmodus, window());
    angenommen = umgebung_->DialogAusfuehren(dialog) == QDialog::Accepted;
    if (angenommen) {
      stellung_ = dialog.Brett().Stellung();
      zug_ = dialog.Brett().Zug();
      zugnummer = dialog.Zugnummer()->value();
    }
  }
  TBrett::AufbauFigur = 0;
  TBrett::AufbauAufnehmen = false;
  if (angenommen) {
    if (OnNewPosition) OnNewPosition(this, stellung_, zug_, zugnummer);
    Neuzeichnen(false);
  }
  return angenommen;
}

}  // namespace brevaro
