#include "viewer/game_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDrag>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "collections/encoding.h"
#include "collections/pgn_file.h"
#include "collections/position_search.h"
#include "game/move_text.h"
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

bool TSpielfensterDialoge::Frage(QWidget* eltern, const QString& text) {
  return MessageBox(eltern, QMessageBox::Question, QApplication::applicationDisplayName(), text,
                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QString TSpielfensterDialoge::Dateiwahl(QWidget* eltern, const QString& titel) {
  QFileDialog dialog(eltern, titel, QString(), QStringLiteral("PGN (*.pgn);;* (*)"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);  // a new name creates a file
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

bool TSpielfensterDialoge::KommentarEingeben(QWidget* eltern, QString& text) {
  QInputDialog dialog(eltern);
  dialog.setWindowTitle(QtText(Languages().LanguageText(RowComment)));
  dialog.setLabelText(QtText(Languages().LanguageText(RowCommentLabel)));
  dialog.setTextValue(text);
  dialog.setOption(QInputDialog::UsePlainTextEditForTextInput);
  // A comment cannot hold "}": the key is refused as it is typed.
  struct TKlammerSperre : QObject {
    bool eventFilter(QObject*, QEvent* e) override {
      return e->type() == QEvent::KeyPress &&
             static_cast<QKeyEvent*>(e)->text().contains(QLatin1Char('}'));
    }
  } sperre;
  for (QWidget* feld : dialog.findChildren<QWidget*>()) feld->installEventFilter(&sperre);
  if (dialog.exec() != QDialog::Accepted) return false;
  text = dialog.textValue();
  text.remove(QLatin1Char('}'));  // pasted text
  return true;
}

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
    Bearbeitung_->Vergessen();  // the kept trees belong to the old start position
    Notation1->NeueStellung(stellung, zug, nummer);
    Verworfen_ = false;
    TitelSetzen();
  };

  ZugeingabeEinrichten();
  NotationMenueEinrichten();
  FormCreate();
  TastenVorschauEinrichten(this);
}

TMDIBrett::~TMDIBrett() {
  if (GameList_) GameList_->Trennen(this);
  // The components' events must not reach a half-destroyed window.
  Notation1->Modell().OnMoveChange = nullptr;
  Notation1->Modell().OnError = nullptr;
  Notation1->Modell().OnFischerInfo = nullptr;
  Notation1->Modell().On3Repetition = nullptr;
  Notation1->Modell().On50MovesRule = nullptr;
  Notation1->Modell().OnGameChanged = nullptr;
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
  setZugeingabe(Rahmen.Settings && Rahmen.Settings->MoveEntry);
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
  // Move entry and editing: built-in rows, after the recorded ones.
  for (const TextBinding& b :
       {PropertyText(RowMoveEntry, mZugeingabe), HintOf(RowMoveEntry + 1, mZugeingabe),
        PropertyText(RowCopyPGN, mPGNKopieren), HintOf(RowCopyPGN + 1, mPGNKopieren),
        PropertyText(RowAppendGame, mAnhaengen), HintOf(RowAppendGame + 1, mAnhaengen),
        PropertyText(RowDeleteRest, mRestLoeschen),
        PropertyText(RowDeleteVariation, mVarianteLoeschen),
        PropertyText(RowPromoteVariation, mHeraufstufen),
        PropertyText(RowMoveAnnotation, muZugbewertung->menuAction()),
        PropertyText(RowPositionEvaluation, muStellungsbewertung->menuAction()),
        PropertyText(RowNone, muZugbewertung->actions().front()),
        PropertyText(RowNone, muStellungsbewertung->actions().front()),
        PropertyText(RowEditComment, mKommentar), PropertyText(RowUndo, mRueckgaengig)}) {
    liste.push_back(b);
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
  Bearbeitung_->Vergessen();
  Notation1->LadePartie(text);
  // A game found by a position search shows the position found.
  if (const TStellungssuche* suche = GameList_ ? GameList_->Stellungssuche() : nullptr) {
    const TTreffer treffer = suche->ErsterTreffer(Notation1->Modell());
    if (treffer.Knoten && Notation1->Navigation().ZugAnPosition(treffer.Knoten->TextPos))
      Notation1->Navigation().Melden(false);  // the board follows
  }
  const TEventData& k = Notation1->Modell().Partiedaten.Kopf;
  const bool utf8 = Notation1->Utf8();
  Titel_ = Zusammen(k.White, utf8, false) + QStringLiteral(" - ") + Zusammen(k.Black, utf8, false);
  Verworfen_ = false;
  TitelSetzen();
}

void TMDIBrett::TitelSetzen() {
  const bool geaendert = Notation1->Modell().GameChanged();
  setWindowTitle(geaendert ? Titel_ + QStringLiteral(" *") : Titel_);
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
  if (!AenderungenVerwerfen()) return;
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
  if (ZiehenVomRahmen(o, e)) return true;
  if (o == Brett1 && e->type() == QEvent::Wheel) {
    // The wheel over the board steps through the moves: towards you forward,
    // away back, one move a notch (120), however finely a touchpad turns.
    Radrest_ += static_cast<QWheelEvent*>(e)->angleDelta().y();
    for (; Radrest_ >= 120; Radrest_ -= 120) Notation1->ZugZurueck();
    for (; Radrest_ <= -120; Radrest_ += 120) Notation1->ZugVor();
    return true;
  }
  if (e->type() != QEvent::KeyPress || !TastenVorschau) return QWidget::eventFilter(o, e);
  auto* k = static_cast<QKeyEvent*>(e);
  if (k->modifiers() == Qt::ControlModifier) {
    QAction* befehl = k->key() == Qt::Key_E   ? mZugeingabe
                      : k->key() == Qt::Key_C ? mPGNKopieren
                      : k->key() == Qt::Key_Z ? mRueckgaengig
                                              : nullptr;
    if (befehl) {
      befehl->trigger();
      return true;
    }
  }
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
  if (!AenderungenVerwerfen()) {
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

// ---------------------------------------------------------------------------
// Move entry and keeping the game: the board popup menu's entries

namespace {

QString Zeilentext(int zeile) {
  return QtText(std::string(BuiltInText(zeile, 0)));
}

QString Tabellentext(int zeile) {
  return QtText(Languages().LanguageText(zeile));
}

// The mime type of a game dragged from a game window; the drag's source is
// the window.
const QString SpielMimeTyp = QStringLiteral("application/x-brevaro-game");

}  // namespace

void TMDIBrett::ZugeingabeEinrichten() {
  TNotationModell& m = Notation1->Modell();
  Bearbeitung_ = std::make_unique<TBaumbearbeitung>(m);
  m.OnGameChanged = [this] {
    Verworfen_ = false;
    TitelSetzen();
  };
  puBrett->addSeparator();
  auto eintrag = [this](int zeile, QKeySequence taste) {
    QAction* a = puBrett->addAction(Zeilentext(zeile));
    SetHint(a, Zeilentext(zeile + 1));
    // The keys are read by the window's key preview; the menu only shows them.
    a->setShortcut(taste);
    a->setShortcutContext(Qt::WidgetShortcut);
    return a;
  };
  mZugeingabe = eintrag(RowMoveEntry, QKeySequence(Qt::CTRL | Qt::Key_E));
  mZugeingabe->setCheckable(true);
  mPGNKopieren = eintrag(RowCopyPGN, QKeySequence(Qt::CTRL | Qt::Key_C));
  mAnhaengen = eintrag(RowAppendGame, QKeySequence());
  connect(mZugeingabe, &QAction::triggered, this, [this] { setZugeingabe(!Zugeingabe_); });
  connect(mPGNKopieren, &QAction::triggered, this, [this] { PGNKopieren(); });
  connect(mAnhaengen, &QAction::triggered, this, [this] { AnhaengenFragen(); });

  // The board asks the rules of the core.
  Brett1->OnMoveTry = [this](TBrett* b, bool& legal) {
    const TZug& z = b->Zug();
    Versuch_ = {z.Von, z.Nach, z.Rochade != KeineRochade};
    const TNotationModell& n = Notation1->Modell();
    TZug probe;
    legal = Zugeingabe_ && ZugBilden(n.Arbeitsbrett(), n.AktuellerZug(), z.Von, z.Nach, Dame,
                                     Versuch_.Fischer, n.FischerInfo(), probe);
  };
  Brett1->OnMovePart = [this](TBrett*, uint8_t feld, uint8_t& vorschlag) {
    vorschlag = Zugeingabe_ ? Zugvorschlag(Notation1->Modell(), feld) : 0;
  };
  Brett1->OnMoveDone = [this](TBrett* b) {
    ZugEingegeben(Versuch_.Von, Versuch_.Nach, std::abs(b->Zug().Umwandlung), Versuch_.Fischer);
  };
}

void TMDIBrett::setZugeingabe(bool an) {
  Zugeingabe_ = an;
  mZugeingabe->setChecked(an);
  Brett1->setZiehenmoeglich(an);
  Brett1->setAuswahlKlick(an);
  if (Rahmen.Settings) Rahmen.Settings->MoveEntry = an;
}

bool TMDIBrett::ZugEingegeben(int von, int nach, int umwandlung, bool fischer) {
  const TEingabe e = Bearbeitung_->ZugEingeben(von, nach, umwandlung, fischer);
  NachAenderung();  // also after a refusal: the board takes back what it showed
  return e != TEingabe::Abgelehnt;
}

void TMDIBrett::NachAenderung() {
  const TNotationModell& m = Notation1->Modell();
  // The board has played an entered move already: it is given the position.
  Brett1->StellungSetzen(m.Arbeitsbrett(), m.AktuellerZug());
  Notation1->NotationAufbauen();
  TitelSetzen();
}

void TMDIBrett::Rueckgaengig() {
  if (!Zugeingabe_) return;
  if (Bearbeitung_->Rueckgaengig()) {
    NachAenderung();
  } else {
    Dialoge->Piepen();
  }
}

void TMDIBrett::PGNKopieren() {
  Notation1->PGNKopieren();
}

bool TMDIBrett::AenderungenVerwerfen() {
  if (!Notation1->Modell().GameChanged() || Verworfen_) return true;
  Verworfen_ = Dialoge->Frage(this, Tabellentext(RowDiscardChanges));
  return Verworfen_;
}

void TMDIBrett::AnhaengenFragen() {
  PartieAnhaengen(Dialoge->Dateiwahl(this, Tabellentext(RowAppendTitle)));
}

bool TMDIBrett::PartieAnhaengen(const QString& pfad) {
  if (pfad.isEmpty()) return false;
  const std::string datei = QFile::encodeName(pfad).toStdString();
  auto fehler = [this](int zeile, const std::string& grund) {
    QString meldung = Tabellentext(zeile);
    if (!grund.empty()) meldung += QLatin1Char('\n') + QString::fromStdString(grund);
    Dialoge->Fehlermeldung(this, meldung);
    return false;
  };
  // A new name is created empty first, as the open dialog does.
  if (!QFileInfo::exists(pfad)) {
    if (!Dialoge->Frage(this, Tabellentext(8) + pfad + Tabellentext(9))) return false;
    QFile neu(pfad);
    if (!neu.open(QIODevice::WriteOnly)) return fehler(19, neu.errorString().toStdString());
  }
  std::string grund;
  if (!IstPGNDatei(datei, &grund)) return fehler(RowNoPGNFile, grund);
  if (Rahmen.DateiOffen && Rahmen.DateiOffen(pfad)) {
    Dialoge->Fehlermeldung(this, Tabellentext(15) + pfad + Tabellentext(16));
    return false;
  }
  if (!Dialoge->Frage(
          this, Tabellentext(RowAppendQuestion) + pfad + Tabellentext(RowAppendQuestion + 1))) {
    return false;
  }
  // The separator in the target's line ends, then the game as the writer writes it.
  const std::string_view ende = Zeilenende(datei);
  std::string text;
  text.append(ende).append(ende);
  text += Notation1->Modell().PGNSchreiben();
  std::string grundSchreiben;
  if (!AnPGNDateiAnhaengen(datei, text, &grundSchreiben)) return fehler(19, grundSchreiben);
  // The changes are kept now.
  Notation1->Modell().SetGameChanged(false);
  TitelSetzen();
  return true;
}

// A game is dragged from the board's frame, or from the board while it takes
// no moves; a database-window entry takes the drop and appends the game.
bool TMDIBrett::ZiehenVomRahmen(QObject* o, QEvent* e) {
  const bool quelle = o == pBoard || (o == Brett1 && !Zugeingabe_);
  switch (e->type()) {
    case QEvent::MouseButtonPress: {
      auto* m = static_cast<QMouseEvent*>(e);
      ZiehenMoeglich_ = quelle && m->button() == Qt::LeftButton;
      ZiehStart_ = m->globalPosition().toPoint();
      return false;
    }
    case QEvent::MouseMove: {
      auto* m = static_cast<QMouseEvent*>(e);
      if (!quelle || !ZiehenMoeglich_ || !(m->buttons() & Qt::LeftButton)) return false;
      if ((m->globalPosition().toPoint() - ZiehStart_).manhattanLength() <
          QApplication::startDragDistance()) {
        return false;
      }
      ZiehenMoeglich_ = false;
      auto* daten = new QMimeData;
      const std::string pgn = Notation1->Modell().PGNSchreiben();
      daten->setData(SpielMimeTyp, QByteArray(pgn.data(), static_cast<qsizetype>(pgn.size())));
      auto* ziehen = new QDrag(this);
      ziehen->setMimeData(daten);
      ziehen->exec(Qt::CopyAction);
      // The drag took the button's release: the board gets it, to end its press.
      if (o == Brett1) Brett1->MausLoslassen(Qt::LeftButton, Qt::NoModifier, QPoint(-1, -1));
      return true;
    }
    case QEvent::MouseButtonRelease:
      ZiehenMoeglich_ = false;
      return false;
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------
// The notation's popup menu: editing the current move

void TMDIBrett::NotationMenueEinrichten() {
  puNotation = new QMenu(this);
  auto eintrag = [this](int zeile) { return puNotation->addAction(Zeilentext(zeile)); };
  // An edit that changed nothing beeps.
  auto bearbeiten = [this](bool geaendert) {
    if (geaendert) {
      NachAenderung();
    } else {
      Dialoge->Piepen();
    }
  };
  mRestLoeschen = eintrag(RowDeleteRest);
  mVarianteLoeschen = eintrag(RowDeleteVariation);
  mHeraufstufen = eintrag(RowPromoteVariation);
  puNotation->addSeparator();
  muZugbewertung = puNotation->addMenu(Zeilentext(RowMoveAnnotation));
  muStellungsbewertung = puNotation->addMenu(Zeilentext(RowPositionEvaluation));
  for (QMenu* menue : {muZugbewertung, muStellungsbewertung}) {
    QAction* keine = menue->addAction(Zeilentext(RowNone));
    const bool zug = menue == muZugbewertung;
    connect(keine, &QAction::triggered, this, [this, zug, bearbeiten] {
      bearbeiten(zug ? Bearbeitung_->ZugbewertungSetzen(0)
                     : Bearbeitung_->StellungsbewertungSetzen(0));
    });
    menue->addSeparator();
  }
  for (uint8_t k = 1; k <= 6; ++k) {
    const std::string_view t = ZugbewertungText(k);
    QAction* a = muZugbewertung->addAction(QString::fromLatin1(t.data(), qsizetype(t.size())));
    connect(a, &QAction::triggered, this,
            [this, k, bearbeiten] { bearbeiten(Bearbeitung_->ZugbewertungSetzen(k)); });
  }
  for (int z = 128; z < 256; ++z) {
    const uint16_t nag = BewertungAusZeichen(static_cast<uint8_t>(z));
    if (nag == 0) continue;
    QAction* a = muStellungsbewertung->addAction(SymbolText(static_cast<unsigned char>(z)) +
                                                 QStringLiteral("   $") + QString::number(nag));
    connect(a, &QAction::triggered, this,
            [this, nag, bearbeiten] { bearbeiten(Bearbeitung_->StellungsbewertungSetzen(nag)); });
  }
  mKommentar = eintrag(RowEditComment);
  puNotation->addSeparator();
  mRueckgaengig = eintrag(RowUndo);
  mRueckgaengig->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  mRueckgaengig->setShortcutContext(Qt::WidgetShortcut);
  connect(mRestLoeschen, &QAction::triggered, this,
          [this, bearbeiten] { bearbeiten(Bearbeitung_->RestLoeschen()); });
  connect(mVarianteLoeschen, &QAction::triggered, this,
          [this, bearbeiten] { bearbeiten(Bearbeitung_->VarianteLoeschen()); });
  connect(mHeraufstufen, &QAction::triggered, this,
          [this, bearbeiten] { bearbeiten(Bearbeitung_->VarianteHeraufstufen()); });
  connect(mKommentar, &QAction::triggered, this, [this] { KommentarBearbeiten(); });
  connect(mRueckgaengig, &QAction::triggered, this, [this] { Rueckgaengig(); });

  // While moves are entered, a right click makes the move under the mouse
  // current and opens the menu for it.
  QWidget* flaeche = Notation1->Paintbox();
  flaeche->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(flaeche, &QWidget::customContextMenuRequested, this, [this, flaeche](const QPoint& p) {
    if (!Zugeingabe_) return;
    Notation1->Klicken(p);
    const TBaum* a = Notation1->Modell().Aktuell;
    // In a variation: the line holding the move branches from another move.
    bool variante = false;
    for (const TBaum* n = a; n && n->Zurueck && !variante; n = n->Zurueck) {
      variante = n->Zurueck->Naechster != n;
    }
    mRestLoeschen->setEnabled(a != nullptr);
    mVarianteLoeschen->setEnabled(variante);
    mHeraufstufen->setEnabled(variante);
    muZugbewertung->setEnabled(a != nullptr);
    muStellungsbewertung->setEnabled(a != nullptr);
    mRueckgaengig->setEnabled(Bearbeitung_->Schritte() > 0);
    puNotation->exec(flaeche->mapToGlobal(p));
  });
}

void TMDIBrett::KommentarBearbeiten() {
  const bool utf8 = Notation1->Utf8();
  const std::string alt = Bearbeitung_->Kommentar();
  QString text = Zusammen(alt, utf8, false);
  if (!Dialoge->KommentarEingeben(this, text)) return;
  // Back into the game's encoding: in a Windows-1252 game also its quotes,
  // dashes and euro sign, which are not Latin-1.
  const std::string bytes = utf8 ? text.toStdString() : Utf8ZuWindows1252(text.toStdString());
  if (Bearbeitung_->KommentarSetzen(bytes)) {
    NachAenderung();
  } else {
    Dialoge->Piepen();
  }
}

}  // namespace brevaro
