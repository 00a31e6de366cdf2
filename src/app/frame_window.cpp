#include "app/frame_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/about_box.h"
#include "board/board_widget.h"
#include "collections/pgn_file.h"
#include "languages/language_switcher.h"
#include "lists/database_window.h"
#include "lists/game_list_view.h"
#include "lists/game_list_window.h"
#include "lists/list_game_source.h"

namespace brevaro {

namespace {

QString German(int row) {
  const std::string_view text = LayoutGerman(row);
  return QtText(std::string(text));
}

std::string Bytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString FromBytes(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

// The long part of a hint: the text after "|", or the whole hint.
QString LongHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.mid(bar + 1);
}

// One spelling of a path for comparing: absolute, and with links resolved
// when the file exists.
QString ComparablePath(const QString& path) {
  const QFileInfo info(path);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

}  // namespace

// ---------------------------------------------------------------------------
// Desktop dialogs

QString TDesktopDialogs::OpenFileName(QWidget* parent, const QString& title,
                                      const QString& filter) {
  QFileDialog dialog(parent, title, QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);  // a new name creates a file
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

bool TDesktopDialogs::Question(QWidget* parent, const QString& text, bool warning) {
  const QString title = QApplication::applicationDisplayName();
  const auto answer = MessageBox(parent, warning ? QMessageBox::Warning : QMessageBox::Question,
                                 title, text, QMessageBox::Yes | QMessageBox::No);
  return answer == QMessageBox::Yes;
}

void TDesktopDialogs::Error(QWidget* parent, const QString& text) {
  MessageBox(parent, QMessageBox::Critical, QApplication::applicationDisplayName(), text);
}

void TDesktopDialogs::About(QWidget* parent) {
  TAboutBox box(nullptr, parent);
  box.exec();
}

void TDesktopDialogs::Notice(QWidget* parent, const QString& text) {
  MessageBox(parent, QMessageBox::Information, QApplication::applicationDisplayName(), text);
}

void TDesktopDialogs::Beep() {
  QApplication::beep();
}

void TMainForm::GameDialogs::Fehlermeldung(QWidget* parent, const QString& text) {
  frame_.dialogs_->Error(parent, text);
}

void TMainForm::GameDialogs::Hinweis(QWidget* parent, const QString& text) {
  frame_.dialogs_->Notice(parent, text);
}

bool TMainForm::GameDialogs::Frage(QWidget* parent, const QString& text) {
  return frame_.dialogs_->Question(parent, text, false);
}

QString TMainForm::GameDialogs::Dateiwahl(QWidget* parent, const QString& title) {
  return frame_.dialogs_->OpenFileName(parent, title, QtFileFilter(frame_.OpenDialogFilter));
}

void TMainForm::GameDialogs::Piepen() {
  frame_.dialogs_->Beep();
}

// ---------------------------------------------------------------------------
// Creation

TMainForm::TMainForm(TMainFormOptions options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)) {
  dialogs_ = options_.Dialogs ? options_.Dialogs : &desktopDialogs_;
  commandLine_ = ParseParameters(options_.Parameters);
  Zeitmarke("frame created");
  FormCreate();
}

TMainForm::~TMainForm() {
  // Children go first, while the frame they report to is still whole.
  if (MDIArea) {
    for (QMdiSubWindow* sub : MDIArea->subWindowList()) {
      sub->removeEventFilter(this);
      delete sub;
    }
  }
}

void TMainForm::FormCreate() {
  setWindowTitle(QStringLiteral("Brevaro"));
  setAcceptDrops(true);
  CreateControls();
  CreateMenus();

  // A chess diagram font enables diagram printing in the game windows.
  PrintFont = QFontDatabase::families().contains(QStringLiteral("1Echecs"));

  LanguageSwitcher& languages = Localization();
  // A language file that cannot be read is reported by the frame.
  languages.OnError = [self = QPointer<TMainForm>(this)](const QString& message) {
    if (self) self->Error(self, message);
  };
  languages.SetDirectories(options_.SettingsDir, options_.ProgramDir);
  languages.WriteEnglishFile();
  languages.BuildLanguageMenu(mSprache);
  // The language entries' shortcuts act wherever the focus is in the frame.
  addActions(languages.MenuEntries());
  RegisterTexts();
  Sprachwechsel();
  UpdateMenuItems();
  resize(1100, 720);
}

void TMainForm::CreateControls() {
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  MDIArea = new QMdiArea(central);
  MDIArea->setObjectName(QStringLiteral("MDIArea"));
  MDIArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  MDIArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  column->addWidget(MDIArea, 1);
  connect(MDIArea, &QMdiArea::subWindowActivated, this, [this] { UpdateMenuItems(); });

  // Status line: the hint on the left, progress and stop on the right.
  Panel1 = new QWidget(central);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  const int height = std::max(18, fontMetrics().height() + 4);
  Panel1->setFixedHeight(height);
  auto* row = new QHBoxLayout(Panel1);
  row->setContentsMargins(2, 1, 2, 1);
  row->setSpacing(2);
  pHint = new QLabel(Panel1);
  pHint->setObjectName(QStringLiteral("pHint"));
  pHint->setFrameShape(QFrame::Panel);
  pHint->setFrameShadow(QFrame::Sunken);
  pHint->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  row->addWidget(pHint, 1);
  pHint->installEventFilter(this);  // a new width cuts the hint anew
  pTrace = new QWidget(Panel1);
  pTrace->setObjectName(QStringLiteral("pTrace"));
  pTrace->setFixedWidth(124);
  auto* trace = new QHBoxLayout(pTrace);
  trace->setContentsMargins(0, 0, 0, 0);
  trace->setSpacing(2);
  prBar = new QProgressBar(pTrace);
  prBar->setObjectName(QStringLiteral("prBar"));
  prBar->setRange(0, 100);
  prBar->setValue(0);
  prBar->setTextVisible(false);
  trace->addWidget(prBar, 1);
  bStop = new QToolButton(pTrace);
  bStop->setObjectName(QStringLiteral("bStop"));
  bStop->setText(QStringLiteral("X"));
  bStop->setStyleSheet(QStringLiteral("QToolButton { color: red; font-weight: bold; }"));
  bStop->setFixedSize(height - 2, height - 2);
  SetHint(bStop, German(59));
  connect(bStop, &QToolButton::clicked, this, [this] { bStopClick(); });
  trace->addWidget(bStop);
  row->addWidget(pTrace);
  column->addWidget(Panel1);
  setCentralWidget(central);

  // The board whose piece set new game windows take; never shown.
  hBrett = new TBrett(this);
  hBrett->setObjectName(QStringLiteral("hBrett"));
  hBrett->setFiguren(TFigurenset::WinboardF33);
  hBrett->setGroesse(33);
  hBrett->hide();

  OpenDialogTitle = German(131);
  OpenDialogFilter = German(132);
}

void TMainForm::CreateMenus() {
  QMenuBar* bar = menuBar();

  mPartien = bar->addMenu(German(23));
  mPartien->setObjectName(QStringLiteral("mPartien"));
  SetHint(mPartien->menuAction(), German(24));
  mOpenPGN = mPartien->addAction(German(31), this, [this] { mOpenPGNClick(); });
  mOpenPGN->setObjectName(QStringLiteral("mOpenPGN"));
  mOpenPGN->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  SetHint(mOpenPGN, German(32));
  mClose = mPartien->addAction(German(37), this, [this] { mCloseClick(); });
  mClose->setObjectName(QStringLiteral("mClose"));
  SetHint(mClose, German(38));
  // Row 60 is recorded by the database window itself; the entry only reads it.
  mDatabase = mPartien->addAction(German(60), this, [this] { OpenDatabaseWindow(); });
  mDatabase->setObjectName(QStringLiteral("mDatabase"));
  SetHint(mDatabase, QtText(Languages().Text(RowDatabaseEntryHint, 0)));
  connect(mPartien, &QMenu::aboutToShow, this, [this] { FillHistoryMenu(); });
  mPartien->addSeparator();
  historyEnd_ = mPartien->addSeparator();
  historyEnd_->setVisible(false);
  mExit = mPartien->addAction(German(39), this, [this] { mExitClick(); });
  mExit->setObjectName(QStringLiteral("mExit"));
  SetHint(mExit, German(40));

  mOptions = bar->addMenu(German(25));
  mOptions->setObjectName(QStringLiteral("mOptions"));
  SetHint(mOptions->menuAction(), German(26));
  mSprache = mOptions->addMenu(German(163));
  mSprache->setObjectName(QStringLiteral("mSprache"));
  mDiverses = mOptions->addMenu(German(164));
  mDiverses->setObjectName(QStringLiteral("mDiverses"));
  mKoord = mDiverses->addAction(German(49), this, [this] { mKoordClick(); });
  mKoord->setObjectName(QStringLiteral("mKoord"));
  mKoord->setCheckable(true);
  mKoord->setChecked(true);
  mKoord->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
  SetHint(mKoord, German(50));
  mAnimation = mDiverses->addAction(German(47), this, [this] { mAnimationClick(); });
  mAnimation->setObjectName(QStringLiteral("mAnimation"));
  mAnimation->setCheckable(true);
  mAnimation->setChecked(true);
  mAnimation->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
  SetHint(mAnimation, German(48));
  addAction(mKoord);
  addAction(mAnimation);

  Window1 = bar->addMenu(German(27));
  Window1->setObjectName(QStringLiteral("Window1"));
  SetHint(Window1->menuAction(), German(28));
  WindowCascadeItem = Window1->addAction(German(51), this, [this] { WindowCascadeItemClick(); });
  SetHint(WindowCascadeItem, German(52));
  WindowTileItem = Window1->addAction(German(53), this, [this] { WindowTileItemClick(); });
  SetHint(WindowTileItem, German(54));
  WindowArrangeItem = Window1->addAction(German(55), this, [this] { WindowArrangeItemClick(); });
  SetHint(WindowArrangeItem, German(56));
  WindowMinimizeItem = Window1->addAction(German(57), this, [this] { WindowMinimizeItemClick(); });
  SetHint(WindowMinimizeItem, German(58));
  connect(Window1, &QMenu::aboutToShow, this, [this] { FillWindowMenu(); });

  HelpAboutItem = bar->addAction(German(29));
  HelpAboutItem->setObjectName(QStringLiteral("HelpAboutItem"));
  SetHint(HelpAboutItem, German(30));
  connect(HelpAboutItem, &QAction::triggered, this, [this] { HelpAboutItemClick(); });
}

void TMainForm::RegisterTexts() {
  auto dialogText = [](int row, QString* text) {
    return TextBinding{row, [text] { return *text; },
                       [text](const QString& value) { *text = value; }};
  };
  Localization().RegisterWindow(this, LanguageWindowKind::Frame,
                                {
                                    PropertyText(23, mPartien, "title"),
                                    HintOf(24, mPartien->menuAction()),
                                    PropertyText(25, mOptions, "title"),
                                    HintOf(26, mOptions->menuAction()),
                                    PropertyText(27, Window1, "title"),
                                    HintOf(28, Window1->menuAction()),
                                    PropertyText(29, HelpAboutItem),
                                    HintOf(30, HelpAboutItem),
                                    PropertyText(31, mOpenPGN),
                                    HintOf(32, mOpenPGN),
                                    PropertyText(37, mClose),
                                    HintOf(38, mClose),
                                    PropertyText(39, mExit),
                                    HintOf(40, mExit),
                                    PropertyText(47, mAnimation),
                                    HintOf(48, mAnimation),
                                    PropertyText(49, mKoord),
                                    HintOf(50, mKoord),
                                    PropertyText(51, WindowCascadeItem),
                                    HintOf(52, WindowCascadeItem),
                                    PropertyText(53, WindowTileItem),
                                    HintOf(54, WindowTileItem),
                                    PropertyText(55, WindowArrangeItem),
                                    HintOf(56, WindowArrangeItem),
                                    PropertyText(57, WindowMinimizeItem),
                                    HintOf(58, WindowMinimizeItem),
                                    HintOf(59, bStop),
                                    dialogText(131, &OpenDialogTitle),
                                    dialogText(132, &OpenDialogFilter),
                                    PropertyText(163, mSprache, "title"),
                                    PropertyText(164, mDiverses, "title"),
                                },
                                [this](bool) { Sprachwechsel(); });
}

// ---------------------------------------------------------------------------
// Start-up

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
}

void TMainForm::FormShow() {
  ReadSettings();
  // Stored sizes fit the screen; without them the frame takes most of it.
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  const QSize platz = s ? s->availableGeometry().size() : QSize(1100, 720);
  QSize groesse(platz.width() * 9 / 10, platz.height() * 9 / 10);
  if (settings_.MainHeight > 100) groesse.setHeight(settings_.MainHeight);
  if (settings_.MainWidth > 100) groesse.setWidth(settings_.MainWidth);
  resize(groesse.boundedTo(platz));
  if (options_.SettingsDir.isEmpty())
    Error(this, QtText(Languages().LanguageText(RowNoSettingsFolder)));
  // The files of the command line open once the frame is on screen.
  QTimer::singleShot(0, this, [this] {
    Zeitmarke("window shown");
    OpenCommandLine(commandLine_);
  });
}

void TMainForm::Zeitmarke(const char* was) {
  // BREVARO_TIMING set: the times of start-up steps go to standard error.
  static const bool an = std::getenv("BREVARO_TIMING") != nullptr;
  static QElapsedTimer uhr = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  if (an) std::fprintf(stderr, "brevaro: %lld ms %s\n", static_cast<long long>(uhr.elapsed()), was);
}

QString TMainForm::SettingsPath() const {
  if (options_.SettingsDir.isEmpty()) return {};
  return QDir(options_.SettingsDir).filePath(QString::fromLatin1(SettingsFileName));
}

void TMainForm::ReadSettings() {
  const QString path = SettingsPath();
  if (!path.isEmpty()) {
    LoadSettings(Bytes(path), settings_, [](const std::string& file) { return IstPGNDatei(file); });
  }
  // The first start speaks the desktop's language, German or else English.
  if (path.isEmpty() || !QFileInfo::exists(path))
    settings_.English = options_.Locale.language() == QLocale::German ? 0 : 1;
  FillHistoryMenu();
  mKoord->setChecked(settings_.Koordinaten);
  mAnimation->setChecked(settings_.Animation);
  LanguageSwitcher& languages = Localization();
  languages.Table().SetLanguageIndex(settings_.English);
  languages.SelectLanguage(QString::fromStdString(settings_.otherLang));
  if (!settings_.DatabaseWinEnabled) OpenDatabaseWindow();
}

bool TMainForm::WriteSettings() {
  if (settingsWritten_) return true;
  settingsWritten_ = true;
  const QSize size = isMaximized() || isMinimized() ? normalGeometry().size() : this->size();
  settings_.MainHeight = size.height();
  settings_.MainWidth = size.width();
  settings_.Koordinaten = mKoord->isChecked();
  settings_.Animation = mAnimation->isChecked();
  settings_.English = Localization().Table().LanguageIndex();
  settings_.otherLang = Localization().LanguageName().toStdString();
  const QString path = SettingsPath();
  if (path.isEmpty()) return true;
  std::string error;
  if (SaveSettings(Bytes(path), settings_, &error)) return true;
  Error(this, QtText(Languages().LanguageText(19)) + QLatin1Char('\n') +
                  QString::fromLocal8Bit(error.c_str()));
  return false;
}

void TMainForm::OpenCommandLine(const std::vector<TOpenRequest>& requests) {
  for (const TOpenRequest& request : requests) {
    const QString path = QFileInfo(FromBytes(request.Path)).absoluteFilePath();
    // The row's game opens as soon as the scan has reached it (Progress), or
    // else after the scan.
    wartendeZeile_ = request.Row;
    TMDIPGN* list = OpenPGNList(path, true);
    const int64_t row = wartendeZeile_;
    wartendeZeile_ = -1;
    if (list && row >= 0) OpenRow(list, row);
  }
}

// ---------------------------------------------------------------------------
// Files and games

TMDIPGN* TMainForm::FindListWindow(const QString& path) const {
  const QString wanted = ComparablePath(path);
  for (TMDIPGN* list : ListWindows()) {
    const std::string& listed = list->PGN1->FileName();
    if (!listed.empty() && SamePath(Bytes(ComparablePath(FromBytes(listed))), Bytes(wanted)))
      return list;
  }
  return nullptr;
}

TMDIPGN* TMainForm::OpenPGNList(const QString& path, bool quiet) {
  if (path.isEmpty()) return nullptr;
  if (TMDIPGN* open = FindListWindow(path)) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(open->parentWidget())) {
      if (sub->isMinimized()) sub->showNormal();
      MDIArea->setActiveSubWindow(sub);
    }
    // Written since it was listed (by another program): listed anew.
    if (open->PGN1->FileState() != TPGNIndex::TDateiStand::Unveraendert && !open->PGN1->Busy()) {
      stopFlag_ = false;
      scanListe_ = open;
      open->LoadFile(FromBytes(open->PGN1->FileName()));
      scanListe_ = nullptr;
    }
    return open;
  }
  auto* list = new TMDIPGN(*this);
  QMdiSubWindow* sub = AddChild(list);
  // Wide enough for every column and the filter panel unless stored otherwise;
  // sized (with its title, which a sub-window makes room for) before the scan,
  // whose reports paint it.
  list->setWindowTitle(path);
  QSize size =
      ListWindowSize.expandedTo(QSize(list->SpaltenSumme(), 0)).expandedTo(sub->minimumSizeHint());
  if (settings_.PGNHeight > 100) size.setHeight(settings_.PGNHeight);
  if (settings_.PGNWidth > 100) size.setWidth(settings_.PGNWidth);
  // A maximised window keeps its state; resizing it would leave it half of each.
  if (!sub->isMaximized()) sub->resize(InDenBereich(size));
  stopFlag_ = false;
  scanListe_ = list;
  const bool geladen = list->LoadFile(path);
  scanListe_ = nullptr;
  if (!geladen) {
    const QString error = OeffnenFehler(*list->PGN1, path);
    // A window without a file shows nothing: it goes again.
    sub->removeEventFilter(this);
    delete sub;
    UpdateMenuItems();
    if (!error.isEmpty() && !quiet) Error(this, error);
    return nullptr;
  }
  AddHistory(FromBytes(list->PGN1->FileName()));
  Zeitmarke("scan done");
  return list;
}

bool TMainForm::OpenRow(TMDIPGN* list, int64_t row) {
  if (!list) return false;
  const int64_t game = list->PGN1->GameOfRow(row);
  if (game < 0) return false;
  int64_t gameId = -1;
  std::string text;
  list->PGN1->GetGame(game, gameId, text);
  if (text.empty()) return false;
  list->PGN1->MarkOnly(row);
  OpenGame(list, text, gameId);
  return true;
}

void TMainForm::OpenGame(TMDIPGN* list, const std::string& pgnGame, int64_t gameId) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  TListenQuelle* source = ListenQuelle(list);  // links the window to the list both ways
  const QList<TMDIBrett*> before = GameWindows();
  TMDIBrett* window =
      TMDIBrett::Oeffnen(*MDIArea, source, list ? gameId : -1, pgnGame, GameWindowFrame());
  auto* sub = window ? qobject_cast<QMdiSubWindow*>(window->parentWidget()) : nullptr;
  if (sub && !before.contains(window)) {
    AdoptChild(sub);
    auto* listSub = list ? qobject_cast<QMdiSubWindow*>(list->parentWidget()) : nullptr;
    PlaceGameWindow(sub, listSub);
    MDIArea->setActiveSubWindow(sub);
  }
  QApplication::restoreOverrideCursor();
}

void TMainForm::PlaceGameWindow(QMdiSubWindow* sub, QMdiSubWindow* listSub) {
  if (sub->isMaximized()) return;
  // Beside, below or before the list the game came from, else in a cascade
  // from the top left: the first place inside the area that covers no other
  // window, or else the one that covers least of them.
  const QRect area = MDIArea->viewport()->rect();
  const QSize size = sub->size();
  std::vector<QPoint> candidates;
  if (listSub) {
    const QRect l = listSub->geometry();
    candidates.push_back({l.right() + 1, l.top()});
    candidates.push_back({l.left(), l.bottom() + 1});
    candidates.push_back({l.left() - size.width(), l.top()});
    candidates.push_back({l.right() + 1 - size.width(), l.bottom() + 1});
  }
  for (int k = 0; k < 8; ++k) candidates.push_back({24 * k, 24 * k});
  qint64 bestCover = -1;
  QPoint best(0, 0);  // when none fits, the window's top left stays in sight
  for (const QPoint& p : candidates) {
    const QRect r(p, size);
    if (!area.contains(r)) continue;
    qint64 cover = 0;
    for (QMdiSubWindow* other : MDIArea->subWindowList()) {
      if (other == sub || other->isHidden() || other->isMinimized()) continue;
      const QRect overlap = r.intersected(other->geometry());
      if (!overlap.isEmpty()) cover += qint64(overlap.width()) * overlap.height();
    }
    if (bestCover < 0 || cover < bestCover) {
      bestCover = cover;
      best = p;
    }
    if (cover == 0) break;
  }
  sub->move(best);
}

QList<TMDIBrett*> TMainForm::GameWindows() const {
  QList<TMDIBrett*> windows;
  for (QMdiSubWindow* sub : MDIArea->subWindowList(QMdiArea::CreationOrder))
    if (auto* w = qobject_cast<TMDIBrett*>(sub->widget())) windows << w;
  return windows;
}

TSpielfensterRahmen TMainForm::GameWindowFrame() {
  TSpielfensterRahmen frame;
  frame.Settings = &settings_;
  frame.ProgressRunning = [this] { return ProgressRunning(); };
  frame.Prototyp = hBrett;
  frame.DruckenMoeglich = PrintFont;
  frame.Dialoge = &gameDialogs_;
  frame.DateiOffen = [this](const QString& path) {
    const QString wanted = ComparablePath(path);
    for (const QString& title : ChildWindowTitles())
      if (ComparablePath(title) == wanted) return true;
    return false;
  };
  return frame;
}

QList<TMDIPGN*> TMainForm::ListWindows() const {
  QList<TMDIPGN*> lists;
  for (QMdiSubWindow* sub : MDIArea->subWindowList(QMdiArea::CreationOrder))
    if (auto* list = qobject_cast<TMDIPGN*>(sub->widget())) lists << list;
  return lists;
}

TMDIDatabase* TMainForm::OpenDatabaseWindow() {
  if (database_) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(database_->parentWidget())) {
      if (sub->isMinimized()) sub->showNormal();
      MDIArea->setActiveSubWindow(sub);
    }
    return database_;
  }
  auto* window = new TMDIDatabase(*this);
  database_ = window;
  window->SetHistory(settings_.History);
  QMdiSubWindow* sub = AddChild(window);
  QSize size = DatabaseWindowSize;
  if (settings_.DatabaseHeight > 50) size.setHeight(settings_.DatabaseHeight);
  if (settings_.DatabaseWidth > 50) size.setWidth(settings_.DatabaseWidth);
  // A maximised window keeps its state; resizing it would leave it half of each.
  if (!sub->isMaximized()) sub->resize(InDenBereich(size));
  return window;
}

void TMainForm::HistoryChanged() {
  if (database_) database_->SetHistory(settings_.History);
  FillHistoryMenu();
}

void TMainForm::FillHistoryMenu() {
  for (QAction* a : HistoryItems) {
    mPartien->removeAction(a);
    delete a;
  }
  HistoryItems.clear();
  const QString hint = QtText(Languages().LanguageText(RowRecentFileHint));
  int number = 1;
  for (const std::string& entry : settings_.History) {
    const QString path = FromBytes(HistoryPath(entry));
    QString name = QFileInfo(path).fileName();
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    auto* a = new QAction(QStringLiteral("&%1 %2").arg(number++).arg(name), mPartien);
    SetHint(a, hint + QStringLiteral(": ") + path);
    connect(a, &QAction::triggered, this, [this, path] { OpenPGNList(path); });
    mPartien->insertAction(historyEnd_, a);
    HistoryItems << a;
  }
  historyEnd_->setVisible(!HistoryItems.isEmpty());
}

void TMainForm::Sprachwechsel() {
  const bool deutsch = Languages().LanguageIndex() == 0;
  mDatabase->setText(deutsch ? German(60) : QtText(Languages().LanguageText(60)));
  SetHint(mDatabase, QtText(Languages().LanguageText(RowDatabaseEntryHint)));
  FillHistoryMenu();
  // The status line shows no text of the language left.
  ShowHint(QString());
  QtTranslationSetzen();
}

void TMainForm::QtTranslationSetzen() {
  const bool deutsch = Languages().LanguageIndex() == 0;
  if (deutsch && !qtTranslator_) {
    auto* t = new QTranslator(this);
    if (t->load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QCoreApplication::installTranslator(t);
      qtTranslator_ = t;
    } else {
      delete t;  // no translation installed: Qt's dialogs stay English
    }
  } else if (!deutsch && qtTranslator_) {
    QCoreApplication::removeTranslator(qtTranslator_);
    delete qtTranslator_;
    qtTranslator_ = nullptr;
  }
}

QSize TMainForm::InDenBereich(QSize size) const {
  QSize platz = MDIArea->viewport()->size();
  if (!MDIArea->isVisible() || platz.isEmpty()) {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    platz = s ? s->availableGeometry().size() : QSize(1024, 768);
  }
  return size.boundedTo(platz);
}

void TMainForm::StorePGNSize(int height, int width) {
  settings_.PGNHeight = height;
  settings_.PGNWidth = width;
}

void TMainForm::StoreDatabaseSize(int height, int width) {
  settings_.DatabaseHeight = height;
  settings_.DatabaseWidth = width;
}

void TMainForm::StoreBrettSize(int height, int width, int brettSize, int32_t blackSquare,
                               int32_t whiteSquare) {
  settings_.BrettHeight = height;
  settings_.BrettWidth = width;
  settings_.BrettSize = brettSize;
  settings_.BlackSquare = blackSquare;
  settings_.WhiteSquare = whiteSquare;
}

QString TMainForm::OpenFileDialog(QWidget* parent) {
  return dialogs_->OpenFileName(parent ? parent : this, OpenDialogTitle,
                                QtFileFilter(OpenDialogFilter));
}

bool TMainForm::Question(QWidget* parent, const QString& text, bool warning) {
  return dialogs_->Question(parent ? parent : this, text, warning);
}

void TMainForm::Error(QWidget* parent, const QString& text) {
  dialogs_->Error(parent ? parent : this, text);
}

// ---------------------------------------------------------------------------
// Recent files

void TMainForm::AddHistory(const QString& path) {
  if (path.isEmpty()) return;
  if (brevaro::AddHistory(settings_.History, Bytes(path))) HistoryChanged();
}

void TMainForm::RemoveFromHistory(const QString& path) {
  if (brevaro::RemoveFromHistory(settings_.History, Bytes(path))) HistoryChanged();
}

// ---------------------------------------------------------------------------
// Long operations

void TMainForm::Progress(int percent, TCancelMode& cancelMode) {
  prBar->setValue(std::clamp(percent, 0, 100));
  if (!ersteZeilen_ && percent > 0) {
    ersteZeilen_ = true;
    Zeitmarke("first rows");
  }
  if (wartendeZeile_ >= 0 && scanListe_ && scanListe_->PGN1->RowCount() > wartendeZeile_) {
    const int64_t row = wartendeZeile_;
    wartendeZeile_ = -1;
    scanListe_->PGN1->Model().Angleichen(false);  // the row can be marked
    OpenRow(scanListe_, row);
    Zeitmarke("game of the command line shown");
  }
  if (cancelMode == cmContinue || cancelMode == cmCancel) {
    ++progressDepth_;
    QCoreApplication::processEvents();
    --progressDepth_;
    if (stopFlag_) cancelMode = cmCancel;
  } else if (percent == 0) {
    repaint();
  }
}

// ---------------------------------------------------------------------------
// Child windows

QMdiSubWindow* TMainForm::AddChild(QWidget* window) {
  window->setAttribute(Qt::WA_DeleteOnClose);
  // Beside a maximised window a new one opens maximised too.
  bool maximised = false;
  for (QMdiSubWindow* other : MDIArea->subWindowList())
    if (other->isMaximized()) maximised = true;
  QMdiSubWindow* sub = MDIArea->addSubWindow(window);
  sub->setMinimumSize(sub->minimumSizeHint());
  AdoptChild(sub);
  if (maximised) {
    sub->showMaximized();
  } else {
    sub->show();
  }
  return sub;
}

void TMainForm::AdoptChild(QMdiSubWindow* sub) {
  sub->setAttribute(Qt::WA_DeleteOnClose);
  sub->installEventFilter(this);
  connect(sub, &QObject::destroyed, this,
          [this] { QTimer::singleShot(0, this, [this] { UpdateMenuItems(); }); });
  UpdateMenuItems();
}

QStringList TMainForm::ChildWindowTitles() const {
  QStringList titles;
  for (QMdiSubWindow* sub : MDIArea->subWindowList(QMdiArea::CreationOrder))
    titles << (sub->widget() ? sub->widget()->windowTitle() : sub->windowTitle());
  return titles;
}

QWidget* TMainForm::ActiveChild() const {
  QMdiSubWindow* sub = MDIArea->activeSubWindow();
  return sub ? sub->widget() : nullptr;
}

void TMainForm::UpdateMenuItems() {
  bool any = false;
  // A closing window is hidden before it goes.
  for (QMdiSubWindow* sub : MDIArea->subWindowList())
    if (!sub->isHidden()) any = true;
  for (QAction* a : {WindowCascadeItem, WindowTileItem, WindowArrangeItem, WindowMinimizeItem})
    a->setEnabled(any);
}

void TMainForm::FillWindowMenu() {
  for (QAction* a : windowListActions_) {
    Window1->removeAction(a);
    delete a;
  }
  windowListActions_.clear();
  const QList<QMdiSubWindow*> subs = MDIArea->subWindowList(QMdiArea::CreationOrder);
  if (subs.isEmpty()) return;
  windowListActions_ << Window1->addSeparator();
  int number = 1;
  for (QMdiSubWindow* sub : subs) {
    QString title = sub->widget() ? sub->widget()->windowTitle() : sub->windowTitle();
    title.replace(QLatin1Char('&'), QLatin1String("&&"));
    const QString caption = number <= 9 ? QStringLiteral("&%1 %2").arg(number).arg(title) : title;
    QAction* a = Window1->addAction(caption);
    a->setCheckable(true);
    a->setChecked(sub == MDIArea->activeSubWindow());
    QPointer<QMdiSubWindow> target(sub);
    connect(a, &QAction::triggered, this, [this, target] {
      if (!target) return;
      if (target->isMinimized()) target->showNormal();
      MDIArea->setActiveSubWindow(target);
    });
    windowListActions_ << a;
    ++number;
  }
}

// ---------------------------------------------------------------------------
// Commands

void TMainForm::mOpenPGNClick() {
  const QString path = OpenFileDialog(this);
  if (!path.isEmpty()) OpenPGNList(path);
}

void TMainForm::mKoordClick() {
  // The entry has toggled its check mark; new and open game windows follow it.
  settings_.Koordinaten = mKoord->isChecked();
  for (TMDIBrett* w : GameWindows()) w->KoordinatenSetzen(settings_.Koordinaten);
}

void TMainForm::mAnimationClick() {
  settings_.Animation = mAnimation->isChecked();
  for (TMDIBrett* w : GameWindows()) w->Brett1->setAnimation(settings_.Animation ? 1 : 0);
}

void TMainForm::mCloseClick() {
  if (QMdiSubWindow* sub = MDIArea->activeSubWindow()) sub->close();
}

void TMainForm::mExitClick() {
  close();
}

void TMainForm::HelpAboutItemClick() {
  dialogs_->About(this);
}

void TMainForm::WindowCascadeItemClick() {
  MDIArea->cascadeSubWindows();
}

void TMainForm::WindowTileItemClick() {
  MDIArea->tileSubWindows();
}

void TMainForm::WindowArrangeItemClick() {
  // Minimised windows in a row along the bottom edge of the area.
  const QRect area = MDIArea->viewport()->rect();
  int x = 0, y = area.bottom() + 1;
  for (QMdiSubWindow* sub : MDIArea->subWindowList(QMdiArea::CreationOrder)) {
    if (!sub->isMinimized()) continue;
    const QSize size = sub->size();
    if (x > 0 && x + size.width() > area.width()) {
      x = 0;
      y -= size.height();
    }
    if (x == 0) y = std::min(y, area.bottom() + 1 - size.height());
    sub->move(x, y);
    x += size.width();
  }
}

void TMainForm::WindowMinimizeItemClick() {
  for (QMdiSubWindow* sub : MDIArea->subWindowList()) sub->showMinimized();
  WindowArrangeItemClick();
}

// ---------------------------------------------------------------------------
// Hints

void TMainForm::ShowHint(const QString& hint) {
  hint_ = LongHint(hint);
  // A hint longer than the line ends in "…" (the tooltip holds it whole).
  const int breite = pHint->contentsRect().width() - 2 * pHint->margin() - 4;
  const QString text = pHint->fontMetrics().elidedText(hint_, Qt::ElideRight, std::max(0, breite));
  pHint->setText(text);
  pHint->setToolTip(text == hint_ ? QString() : hint_);
}

bool TMainForm::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QMainWindow::event(event);
}

// ---------------------------------------------------------------------------
// Closing

bool TMainForm::SystemClose() {
  systemCloseRequested_ = true;
  const bool closed = close();
  systemCloseRequested_ = false;
  return closed;
}

bool TMainForm::ChildrenMayClose() {
  for (QMdiSubWindow* sub : MDIArea->subWindowList(QMdiArea::CreationOrder)) {
    QWidget* child = sub->widget();
    if (!child) continue;
    QCloseEvent query;
    QCoreApplication::sendEvent(child, &query);
    if (!query.isAccepted()) return false;
  }
  return true;
}

bool TMainForm::FormCloseQuery() {
  return !ProgressRunning();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (ProgressRunning()) {
    event->ignore();
    return;
  }
  systemClosing_ = event->spontaneous() || systemCloseRequested_;
  const bool may = ChildrenMayClose() && FormCloseQuery();
  systemClosing_ = false;
  if (!may) {
    event->ignore();
    return;
  }
  WriteSettings();
  event->accept();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pHint && event->type() == QEvent::Resize) ShowHint(hint_);
  // No child window closes while a long operation lets events run.
  if (event->type() == QEvent::Close && ProgressRunning() &&
      qobject_cast<QMdiSubWindow*>(watched)) {
    event->ignore();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Dropping files from the desktop

QStringList TMainForm::DroppedFiles(const QMimeData* data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QFileInfo info(url.toLocalFile());
    if (info.isFile()) files << info.absoluteFilePath();
  }
  return files;
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!ProgressRunning() && !DroppedFiles(event->mimeData()).isEmpty())
    event->acceptProposedAction();
  else
    event->ignore();
}

void TMainForm::dropEvent(QDropEvent* event) {
  if (ProgressRunning()) {
    event->ignore();
    return;
  }
  const QStringList files = DroppedFiles(event->mimeData());
  if (files.isEmpty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  // Opening may ask questions; the file manager is not kept waiting.
  QPointer<TMainForm> self(this);
  QTimer::singleShot(0, this, [self, files] {
    if (!self) return;
    for (const QString& file : files) {
      // A file that cannot be read is opened anyway, so that its reason is shown.
      std::string reason;
      if (IstPGNDatei(Bytes(file), &reason) || !reason.empty()) self->OpenPGNList(file);
    }
  });
}

}  // namespace brevaro
