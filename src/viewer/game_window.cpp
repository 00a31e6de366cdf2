#include "viewer/game_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "collections/position_search.h"
#include "languages/language_switcher.h"
#include "languages/language_table.h"
#include "settings/settings.h"
#include "viewer/display_text.h"

namespace brevaro {

namespace {

QString Deutsch(int zeile) {
  const std::string_view t = LayoutGerman(zeile);
  return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
}

// Colours are stored as the platform's 0x00BBGGRR values.
int32_t Farbwert(QRgb c) {
  return (qBlue(c) << 16) | (qGreen(c) << 8) | qRed(c);
}
QRgb FarbeAus(int32_t w) {
  return qRgb(w & 0xFF, (w >> 8) & 0xFF, (w >> 16) & 0xFF);
}

constexpr int PBoardRand = 14;  // border width of pBoard
constexpr int PBoardFase = 1;   // bevel width of pBoard

class QtDialoge : public TSpielfensterDialoge {
 public:
  void Fehlermeldung(QWidget* eltern, const QString& text) override {
    MessageBox(eltern, QMessageBox::Critical, QString(), text);
  }
  void Hinweis(QWidget* eltern, const QString& text) override {
    MessageBox(eltern, QMessageBox::Information, QString(), text);
  }
  void Piepen() override { QApplication::beep(); }
};

QToolButton* Knopf(QWidget* eltern, const QString& text, int x, int y) {
  auto* b = new QToolButton(eltern);
  b->setAutoRaise(true);
  b->setText(text);
  b->setGeometry(x, y, 24, 21);
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}

}  // namespace

TSpielfensterDialoge& QtSpielfensterDialoge() {
  static QtDialoge dialoge;
  return dialoge;
}

int QuadratGroesse(int breite, int hoehe, int randbreite) {
  const int nachBreite = (breite - randbreite) / 8;
  const int nachHoehe = (hoehe - randbreite - KnopfleisteHoehe) / 8;
  return std::clamp(std::min(nachBreite, nachHoehe), MinQuadrat, MaxQuadrat);
}

TFigurenset FigurensatzFuer(int groesse) {
  if (groesse > 80) return TFigurenset::WinboardF80;
  switch (groesse) {
    case 16:
      return TFigurenset::F16;
    case 21:
      return TFigurenset::WinboardF21;
    case 25:
      return TFigurenset::WinboardF25;
    case 29:
      return TFigurenset::WinboardF29;
    case 33:
      return TFigurenset::WinboardF33;
    case 37:
      return TFigurenset::WinboardF37;
    case 45:
      return TFigurenset::WinboardF45;
    case 49:
      return TFigurenset::WinboardF49;
    case 54:
      return TFigurenset::WinboardF54;
    case 58:
      return TFigurenset::WinboardF58;
    case 64:
      return TFigurenset::WinboardF64;
    case 72:
      return TFigurenset::WinboardF72;
    case 80:
      return TFigurenset::WinboardF80;
    default:
      return TFigurenset::WinboardF40;
  }
}

// ---------------------------------------------------------------------------
// Creation

TMDIBrett::TMDIBrett(const TSpielfensterRahmen& rahmen, QWidget* parent)
    : QWidget(parent),
      Rahmen(rahmen),
      Dialoge(rahmen.Dialoge ? rahmen.Dialoge : &QtSpielfensterDialoge()) {
  resize(515, 350);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  Splitter1 = new QSplitter(Qt::Horizontal, this);
  Splitter1->setHandleWidth(3);
  Splitter1->setChildrenCollapsible(false);
  layout->addWidget(Splitter1);

  // The board side.
  pBrett = new QFrame(Splitter1);
  pBrett->setMinimumSize(MinQuadrat * 8 + 32, MinQuadrat * 8 + 32 + KnopfleisteHoehe);
  pBoard = new QFrame(pBrett);
  pBoard->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  pBoard->setLineWidth(PBoardFase);
  pBoard->setGeometry(0, 0, 296, 296);
  Brett1 = new TBrett(pBoard);
  Brett1->move(16, 16);
  if (rahmen.BrettUmgebung) Brett1->setUmgebung(rahmen.BrettUmgebung);
  Brett1->setCursor(Qt::PointingHandCursor);
  Brett1->setAufbauFiguren(true);
  Brett1->setFiguren(TFigurenset::User);
  Brett1->setGroesse(33);
  Brett1->setGrundstellung(true);
  Brett1->setZiehenmoeglich(false);
  Brett1->setWhiteSquareColor(qRgb(244, 228, 179));
  Brett1->setBlackSquareColor(qRgb(183, 128, 53));
  Brett1->setTon(false);
  Brett1->setEnglish(false);
  Brett1->setAnimation(1);
  Brett1->setZugVorschlagen(true);
  SetHint(Brett1, Deutsch(111));
  pButtons = new QFrame(pBrett);
  pButtons->setGeometry(1, 296, 295, KnopfleisteHoehe);
  bPrev = Knopf(pButtons, QString(), 108, 2);
  bPrev->setArrowType(Qt::LeftArrow);
  bNext = Knopf(pButtons, QString(), 132, 2);
  bNext->setArrowType(Qt::RightArrow);
  bPrev->setEnabled(false);
  bNext->setEnabled(false);
  SetHint(bPrev, Deutsch(116));
  SetHint(bNext, Deutsch(117));

  // The notation side.
  pNotation = new QFrame(Splitter1);
  pNotation->setMinimumWidth(NotationMinBreite);
  auto* spalte = new QVBoxLayout(pNotation);
  spalte->setContentsMargins(0, 0, 0, 0);
  spalte->setSpacing(0);
  Notation1 = new TNotation(pNotation);
  FormularSchriften(*Notation1);
  SetHint(Notation1, Deutsch(111));
  spalte->addWidget(Notation1, 1);
  Panel1 = new QFrame(pNotation);
  Panel1->setFixedHeight(22);
  spalte->addWidget(Panel1);
  sbPrev = Knopf(Panel1, QStringLiteral("<<"), 55, 0);
  sbBack = Knopf(Panel1, QStringLiteral("<"), 79, 0);
  sbAhead = Knopf(Panel1, QStringLiteral(">"), 103, 0);
  sbNext = Knopf(Panel1, QStringLiteral(">>"), 127, 0);
  SetHint(sbPrev, Deutsch(125));
  SetHint(sbBack, Deutsch(126));
  SetHint(sbAhead, Deutsch(127));
  SetHint(sbNext, Deutsch(128));
  Splitter1->setStretchFactor(0, 0);
  Splitter1->setStretchFactor(1, 1);
  Splitter1->setSizes({297, 515 - 297 - 3});

  // The popup menu of the board.
  puBrett = new QMenu(this);
  auto eintrag = [this](int zeile, int hinweis) {
    QAction* a = puBrett->addAction(Deutsch(zeile));
    SetHint(a, Deutsch(hinweis));
    return a;
  };
  mDiaCopy = eintrag(84, 85);
  mFENCopy = eintrag(86, 87);
  mPrint = eintrag(88, 89);
  puBrett->addSeparator();
  mAufbauen = eintrag(90, 91);
  mInsertFEN = eintrag(92, 93);
  puBrett->addSeparator();
  mDrehen = eintrag(94, 95);
  mMessages = eintrag(96, 97);
  mMessages->setCheckable(true);
  mMessages->setChecked(true);
  Blind1 = eintrag(98, 99);
  Blind1->setCheckable(true);
  // Games with this position: the list the game came from lists the games
  // that reach the notation's current position.
  puBrett->addSeparator();
  mPositionSuchen = eintrag(RowGamesWithPosition, RowGamesWithPosition + 1);
  connect(mPositionSuchen, &QAction::triggered, this, [this] {
    const TNotationModell& m = Notation1->Modell();
    if (GameList_) GameList_->PositionSuchen(m.Arbeitsbrett(), m.AktuellerZug());
  });
  connect(puBrett, &QMenu::aboutToShow, this,
          [this] { mPositionSuchen->setEnabled(GameList_ != nullptr); });
  Brett1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Brett1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { puBrett->exec(Brett1->mapToGlobal(p)); });

  connect(mDiaCopy, &QAction::triggered, this, [this] { Brett1->DiagrammKopieren(); });
  connect(mFENCopy, &QAction::triggered, this, [this] { Brett1->FENKopieren(); });
  connect(mAufbauen, &QAction::triggered, this, [this] { Brett1->StellungEingeben(false); });
  connect(mInsertFEN, &QAction::triggered, this, [this] { Brett1->FENEinfuegen(); });
  connect(mDrehen, &QAction::triggered, this, [this] { Drehen(); });
  connect(mMessages, &QAction::triggered, this,
          [this] { MeldungenAus_ = !mMessages->isChecked(); });
  connect(Blind1, &QAction::triggered, this, [this] {
    Brett1->setBlind(Blind1->isChecked());
    Brett1->Neuzeichnen(true);
  });
  connect(sbPrev, &QToolButton::clicked, this, [this] { Notation1->VorigeVariante(); });
  connect(sbBack, &QToolButton::clicked, this, [this] { Notation1->ZugZurueck(); });
  connect(sbAhead, &QToolButton::clicked, this, [this] { Notation1->ZugVor(); });
  connect(sbNext, &QToolButton::clicked, this, [this] { Notation1->NaechsteVariante(); });
  connect(bPrev, &QToolButton::clicked, this, [this] { VorigePartie(); });
  connect(bNext, &QToolButton::clicked, this, [this] { NaechstePartie(); });
  // The board follows pBrett, whoever resizes it; a drag of the splitter
  // also sets the share the board panel keeps when the window resizes.
  pBrett->installEventFilter(this);
  connect(Splitter1, &QSplitter::splitterMoved, this, [this] {
    const int gesamt = Splitter1->width() - Splitter1->handleWidth();
    if (gesamt > 0) BrettAnteil_ = double(pBrett->width()) / gesamt;
  });

  // The components' events.
  TNotationModell& m = Notation1->Modell();
  m.OnMoveChange = [this](const TZug& zug, const TSchachbrett& stellung, bool next) {
    Notation1MoveChange(zug, stellung, next);
  };
  Notation1->Beep = [this] { Dialoge->Piepen(); };
  m.OnError = [this](const std::string& text) { Dialoge->Fehlermeldung(this, QtText(text)); };
  m.OnFischerInfo = [this](const TFischerInfo& info) { Notation1FischerInfo(info); };
  m.On3Repetition = [this] { Regelhinweis(3); };
  m.On50MovesRule = [this] { Regelhinweis(4); };
  Brett1->OnNewPosition = [this](TBrett*, TSchachbrett& stellung, TZug& zug, int32_t nummer) {
    Notation1->NeueStellung(stellung, zug, nummer);
  };

  FormCreate();
  TastenVorschauEinrichten(this);
}

TMDIBrett::~TMDIBrett() {
  if (GameList_) GameList_->Trennen(this);
  // The components' events must not reach a half-destroyed window.
  Notation1->Modell().OnMoveChange = nullptr;
  Notation1->Modell().OnError = nullptr;
  Notation1->Modell().OnFischerInfo = nullptr;
}

void TMDIBrett::FormCreate() {
  if (Rahmen.Prototyp) {
    Brett1->FigurenUebernehmen(Rahmen.Prototyp->FigurenbildHolen(), Rahmen.Prototyp->Figuren());
  }
  for (int k = 0; k < 16; ++k) {
    for (int seite = 0; seite < 2; ++seite) {
      auto* l = new QLabel(pBoard);
      l->setAttribute(Qt::WA_TranslucentBackground);
      l->setAlignment(Qt::AlignCenter);
      l->setText(k < 8 ? QString::number(8 - k) : QString(QChar('A' + (k - 8))));
      Koordinaten[static_cast<size_t>(k)][static_cast<size_t>(seite)] = l;
    }
  }
  Randbreite_ = 4 * PBoardFase + 2 * PBoardRand;
  Brett1->setZeichnensperre(true);
  Brett1->move(Randbreite_ / 2, Randbreite_ / 2);
  Brett1->resize(8 * Brett1->Groesse(), 8 * Brett1->Groesse());
  pBoard->resize(8 * Brett1->Groesse() + Randbreite_, 8 * Brett1->Groesse() + Randbreite_);
  Brett1->setZeichnensperre(false);
  if (Rahmen.Settings) {
    TEigeneBuchstaben b;
    std::copy(Rahmen.Settings->fig.begin(), Rahmen.Settings->fig.end(), b.begin());
    Notation1->FigurenBuchstaben(b);
    if (!Rahmen.Settings->Animation) Brett1->setAnimation(0);
  }
  mPrint->setEnabled(Rahmen.DruckenMoeglich);
  if (Languages().LanguageIndex() == 1) Notation1->setEnglish(true);
  SprachenRegistrieren();
  KoordinatenSetzen(Koordinatenoption());
}

void TMDIBrett::SprachenRegistrieren() {
  std::map<int, TextBinding> bindungen = {
      {84, PropertyText(84, mDiaCopy)},   {85, HintOf(85, mDiaCopy)},
      {86, PropertyText(86, mFENCopy)},   {87, HintOf(87, mFENCopy)},
      {88, PropertyText(88, mPrint)},     {89, HintOf(89, mPrint)},
      {90, PropertyText(90, mAufbauen)},  {91, HintOf(91, mAufbauen)},
      {92, PropertyText(92, mInsertFEN)}, {93, HintOf(93, mInsertFEN)},
      {94, PropertyText(94, mDrehen)},    {95, HintOf(95, mDrehen)},
      {96, PropertyText(96, mMessages)},  {97, HintOf(97, mMessages)},
      {98, PropertyText(98, Blind1)},     {99, HintOf(99, Blind1)},
      {111, HintOf(111, Notation1)},      {116, HintOf(116, bPrev)},
      {117, HintOf(117, bNext)},          {125, HintOf(125, sbPrev)},
      {126, HintOf(126, sbBack)},         {127, HintOf(127, sbAhead)},
      {128, HintOf(128, sbNext)},
  };
  bindungen.emplace(RowGamesWithPosition, PropertyText(RowGamesWithPosition, mPositionSuchen));
  bindungen.emplace(RowGamesWithPosition + 1, HintOf(RowGamesWithPosition + 1, mPositionSuchen));

  std::vector<TextBinding> liste;
  for (const RecordedRow& r : RecordedRows()) {
    if (r.kind != LanguageWindowKind::GameWindow) continue;
    if (auto it = bindungen.find(r.row); it != bindungen.end()) liste.push_back(it->second);
  }
  Localization().RegisterWindow(this, LanguageWindowKind::GameWindow, std::move(liste),
                                [this](bool english) {
                                  Notation1->setEnglish(english);
                                  Brett1->setEnglish(english);
                                  SetHint(Brett1, Hint(Notation1));
                                });
}

void TMDIBrett::TastenVorschauEinrichten(QWidget* w) {
  w->installEventFilter(this);
  // Popup menus and dialogs keep their own keys.
  for (QWidget* kind : w->findChildren<QWidget*>()) {
    if (!kind->isWindow()) kind->installEventFilter(this);
  }
}

bool TMDIBrett::Koordinatenoption() const {
  return Rahmen.Settings ? Rahmen.Settings->Koordinaten : true;
}

// ---------------------------------------------------------------------------
// Opening

TMDIBrett* TMDIBrett::Oeffnen(QMdiArea& area, TPartienquelle* liste, int64_t gameId,
                              std::string_view text, const TSpielfensterRahmen& rahmen) {
  if (!text.empty() && liste) {
    for (QMdiSubWindow* sub : area.subWindowList()) {
      auto* w = qobject_cast<TMDIBrett*>(sub->widget());
      if (w && w->GameList_ == liste && w->GameID_ == gameId) {
        sub->showNormal();
        area.setActiveSubWindow(sub);
        return w;
      }
    }
  }
  auto* w = new TMDIBrett(rahmen);
  QMdiSubWindow* sub = area.addSubWindow(w);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  w->Brett1->setZeichnensperre(true);
  w->setQuelle(liste, gameId);
  if (!text.empty()) {
    w->PartieLaden(text);
    w->bPrev->setEnabled(liste != nullptr);
    w->bNext->setEnabled(liste != nullptr);
  }
  // Stored sizes never exceed the room there is: the frame's client area,
  // or the screen before the frame is shown.
  QSize platz = area.viewport()->size();
  if (!area.isVisible() || platz.isEmpty()) {
    const QScreen* bildschirm = area.screen() ? area.screen() : QGuiApplication::primaryScreen();
    platz = bildschirm ? bildschirm->availableGeometry().size() : QSize(1024, 768);
  }
  const QSize minimum = sub->minimumSizeHint();
  // The default size grows with a frame larger than the screens it was made
  // for (600 pixels high).
  const double faktor = std::max(1.0, platz.height() / 600.0);
  int breite = static_cast<int>(515 * faktor);
  int hoehe = static_cast<int>(350 * faktor);
  if (const TSettings* s = rahmen.Settings) {
    if (s->BrettHeight > 100) hoehe = s->BrettHeight;
    if (s->BrettWidth > 100) breite = s->BrettWidth;
    if (s->BlackSquare != 0) w->Brett1->setBlackSquareColor(FarbeAus(s->BlackSquare));
    if (s->WhiteSquare != 0) w->Brett1->setWhiteSquareColor(FarbeAus(s->WhiteSquare));
  }
  breite = std::max(std::min(breite, platz.width()), minimum.width());
  hoehe = std::max(std::min(hoehe, platz.height()), minimum.height());
  sub->resize(breite, hoehe);
  // The stored board panel width becomes the panel's share of the splitter
  // once the window has its size (at its first resize).
  if (const TSettings* s = rahmen.Settings; s && s->BrettSize > 50) w->BrettWunsch_ = s->BrettSize;
  sub->setMinimumSize(sub->minimumSizeHint());
  sub->move(0, 0);
  // A new window beside a maximised one is maximised too, never half of each.
  bool maximiert = false;
  for (QMdiSubWindow* andere : area.subWindowList()) {
    if (andere != sub && andere->isMaximized()) maximiert = true;
  }
  if (maximiert) {
    sub->showMaximized();
  } else {
    sub->show();
  }
  w->Splitter1Moved();
  w->Brett1->setZeichnensperre(false);
  w->Brett1->Neuzeichnen(true);
  return w;
}

void TMDIBrett::setQuelle(TPartienquelle* liste, int64_t gameId) {
  if (GameList_ && GameList_ != liste) GameList_->Trennen(this);
  GameList_ = liste;
  GameID_ = liste ? gameId : -1;
  if (liste) liste->Verbinden(this);
}

void TMDIBrett::QuelleAbgekoppelt() {
  GameList_ = nullptr;
  GameID_ = -1;
  bPrev->setEnabled(false);
  bNext->setEnabled(false);
}

void TMDIBrett::PartieLaden(std::string_view text) {
  Notation1->LadePartie(text);
  // A game found by a position search shows the position found.
  if (const TStellungssuche* suche = GameList_ ? GameList_->Stellungssuche() : nullptr) {
    const TTreffer treffer = suche->ErsterTreffer(Notation1->Modell());
    if (treffer.Knoten) Notation1->Navigation().ZugAnPosition(treffer.Knoten->TextPos);
  }
  const TEventData& k = Notation1->Modell().Partiedaten.Kopf;
  const bool utf8 = Notation1->Utf8();
  setWindowTitle(Zusammen(k.White, utf8, false) + QStringLiteral(" - ") +
                 Zusammen(k.Black, utf8, false));
}

// ---------------------------------------------------------------------------
// Board size and coordinates

void TMDIBrett::Splitter1Moved() {
  BrettGroesseSetzen(QuadratGroesse(pBrett->width(), pBrett->height(), Randbreite_));
}

void TMDIBrett::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  SplitterAnpassen();
}

// The board panel takes its share of the new width (the notation keeping its
// least width) and gives back what the board, limited by the height, leaves.
void TMDIBrett::SplitterAnpassen() {
  const int gesamt = Splitter1->width() - Splitter1->handleWidth();
  if (gesamt <= 0) return;
  const int minimal = pBrett->minimumWidth();
  const int maximal = std::max(minimal, gesamt - NotationMinBreite);
  if (BrettWunsch_ > 0) {
    BrettAnteil_ = double(std::clamp(BrettWunsch_, minimal, maximal)) / gesamt;
    BrettWunsch_ = 0;
  }
  int links = std::clamp(static_cast<int>(std::lround(BrettAnteil_ * gesamt)), minimal, maximal);
  const int g = QuadratGroesse(links, Splitter1->height(), Randbreite_);
  links = std::clamp(8 * g + Randbreite_, minimal, links);
  Splitter1->setSizes({links, gesamt - links});
  Splitter1Moved();
}

void TMDIBrett::BrettGroesseSetzen(int groesse) {
  Brett1->setGroesse(static_cast<int16_t>(groesse));
  Brett1->setFiguren(FigurensatzFuer(groesse));
  Brett1->resize(8 * groesse, 8 * groesse);
  Brett1->move(Randbreite_ / 2, Randbreite_ / 2);
  const int seite = 8 * groesse + Randbreite_;
  pBoard->resize(seite, seite);
  pButtons->setGeometry(pBoard->x(), pBoard->y() + pBoard->height(), pBoard->width(),
                        pButtons->height());
  bNext->move(pButtons->width() / 2, bNext->y());
  bPrev->move(bNext->x() - bPrev->width(), bPrev->y());
  KoordinatenSetzen(Koordinatenoption());
}

void TMDIBrett::KoordinatenSetzen(bool sichtbar) {
  const int r = Randbreite_;
  const int g = Brett1->Groesse();
  const int hoehe = 8 * g;
  auto setzen = [](QLabel* l, int x, int y) {
    l->adjustSize();
    l->move(x - l->width() / 2, y - l->height() / 2);
  };
  for (int j = 0; j < 8; ++j) {
    // File letters: labels 9..16, below and above the board.
    const int x = r / 2 + j * g + g / 2;
    setzen(Koordinaten[static_cast<size_t>(8 + j)][0], x, hoehe + r / 2 + r / 4);
    setzen(Koordinaten[static_cast<size_t>(8 + j)][1], x, r / 4);
    // Rank numbers: labels 1..8, left and right of the board.
    const int y = r / 2 + j * g + g / 2;
    setzen(Koordinaten[static_cast<size_t>(j)][0], r / 4, y);
    setzen(Koordinaten[static_cast<size_t>(j)][1], hoehe + r / 2 + r / 4, y);
  }
  for (auto& paar : Koordinaten) {
    for (QLabel* l : paar) l->setVisible(sichtbar);
  }
}

void TMDIBrett::Drehen() {
  for (int k = 0; k < 16; ++k) {
    for (QLabel* l : Koordinaten[static_cast<size_t>(k)]) {
      if (k < 8) {
        l->setText(QString::number(std::abs(l->text().toInt() - 9)));
      } else {
        l->setText(QString(QChar('A' + 'H' - l->text().at(0).unicode())));
      }
    }
  }
  Brett1->Drehen();
  KoordinatenSetzen(Koordinatenoption());
}

// ---------------------------------------------------------------------------
// Events of the components

void TMDIBrett::Notation1MoveChange(const TZug& zug, const TSchachbrett& stellung, bool next) {
  if (next && !IstNullzug(zug)) {  // a null move moves no piece: the position is shown
    Brett1->ZugMachen(zug.Von, zug.Nach, zug.Umwandlung,
                      zug.Rochade == FischerKurz || zug.Rochade == FischerLang);
  } else {
    Brett1->StellungSetzen(stellung, zug);
  }
}

void TMDIBrett::Notation1FischerInfo(const TFischerInfo& info) {
  if (info.Fischer) {
    FischerKopie_ = info;
    Brett1->setFischerInfo(&FischerKopie_);
    Notation1->setFischerInfo(&FischerKopie_);
  } else {
    Brett1->setFischerInfo(nullptr);
    Notation1->setFischerInfo(nullptr);
  }
}

void TMDIBrett::Regelhinweis(int zeile) {
  if (!MeldungenAus_) Dialoge->Hinweis(this, QtText(Languages().LanguageText(zeile)));
}

// ---------------------------------------------------------------------------
// Previous and next game

void TMDIBrett::VorigePartie() {
  PartieWechseln(-1);
}
void TMDIBrett::NaechstePartie() {
  PartieWechseln(1);
}

void TMDIBrett::PartieWechseln(int richtung) {
  if (!GameList_) return;
  const int64_t n = GameList_->RowCount();
  if (n <= 0) return;
  int64_t i = GameList_->CurrentRow();
  if (i >= n) i = -1;  // a row no longer shown counts as none
  int64_t neu = 0;
  if (richtung < 0) {
    if (i < 0) {
      neu = n - 1;
    } else if (i == 0) {
      Dialoge->Piepen();
      neu = n - 1;
    } else {
      neu = i - 1;
    }
  } else {
    if (i < 0) {
      neu = 0;
    } else if (i == n - 1) {
      Dialoge->Piepen();
      neu = 0;
    } else {
      neu = i + 1;
    }
  }
  TPartienquelle* liste = GameList_;
  liste->SetCurrentRow(neu);
  const int64_t spiel = liste->GameOfRow(neu);
  if (spiel < 0) return;
  const std::string text = liste->GetGame(spiel);
  if (text.empty()) return;
  PartieLaden(text);
  GameID_ = spiel;
}

// ---------------------------------------------------------------------------
// Keys and closing

bool TMDIBrett::eventFilter(QObject* o, QEvent* e) {
  if (o == pBrett && e->type() == QEvent::Resize) {
    Splitter1Moved();
    return false;
  }
  if (e->type() != QEvent::KeyPress || !TastenVorschau) return QWidget::eventFilter(o, e);
  auto* k = static_cast<QKeyEvent*>(e);
  switch (k->key()) {
    case Qt::Key_Escape:
      Schliessen();
      return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
      TastenVorschau = false;
      QKeyEvent kopie(QEvent::KeyPress, k->key(), k->modifiers(), k->text());
      QApplication::sendEvent(Notation1, &kopie);
      TastenVorschau = true;
      return true;
    }
    default:
      return QWidget::eventFilter(o, e);
  }
}

void TMDIBrett::Schliessen() {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    sub->close();
  } else {
    close();
  }
}

void TMDIBrett::closeEvent(QCloseEvent* e) {
  if (Rahmen.ProgressRunning && Rahmen.ProgressRunning()) {
    e->ignore();
    return;
  }
  if (TSettings* s = Rahmen.Settings) {
    const QWidget* fenster = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
    s->BrettHeight = fenster->height();
    s->BrettWidth = fenster->width();
    s->BrettSize = pBrett->width();
    s->BlackSquare = Farbwert(Brett1->BlackSquareColor());
    s->WhiteSquare = Farbwert(Brett1->WhiteSquareColor());
  }
  e->accept();
}

}  // namespace brevaro
