// The frame window: start-up from settings and command line, opening files,
// history, progress and stop, menus and hints, closing and the settings it
// writes. Every frame runs in a temporary program and settings directory and
// answers its dialogs through a fake.
#include "app/frame_window.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QListWidget>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <memory>

#include "board/board_widget.h"
#include "languages/language_switcher.h"
#include "languages/language_table.h"
#include "lists/database_window.h"
#include "lists/game_list_view.h"
#include "lists/game_list_window.h"
#include "settings/ini_file.h"
#include "viewer/game_window.h"

using namespace brevaro;

namespace {

class FakeDialogs : public TFrameDialogs {
 public:
  QString OpenFileName(QWidget*, const QString&, const QString& filter) override {
    return dialogFilters << filter, openPath;
  }
  bool Question(QWidget*, const QString& text, bool) override { return questions << text, answer; }
  void Error(QWidget*, const QString& text) override { errors << text; }
  void About(QWidget*) override { ++abouts; }
  void Notice(QWidget*, const QString& text) override { notices << text; }
  void Beep() override { ++beeps; }

  QString openPath;
  bool answer = true;
  QStringList questions, errors, notices, dialogFilters;
  int abouts = 0, beeps = 0;
};

std::string Game(int n) {
  return "[Event \"Test " + std::to_string(n) + "\"]\n[White \"White " + std::to_string(n) +
         "\"]\n[Black \"Black " + std::to_string(n) + "\"]\n[Result \"*\"]\n\n1. e4 e5 *\n\n";
}

QString WriteFile(const QString& path, const std::string& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(bytes.data(), static_cast<qint64>(bytes.size()));
  return path;
}

QString PgnFile(const QTemporaryDir& dir, const QString& name, int games) {
  std::string bytes;
  for (int i = 1; i <= games; ++i) bytes += Game(i);
  return WriteFile(dir.filePath(name), bytes);
}

}  // namespace

class MainFormTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir_;
  FakeDialogs dialogs_;

  std::unique_ptr<TMainForm> Frame(std::vector<std::string> params = {},
                                   QLocale locale = QLocale(QLocale::German),
                                   bool settingsFolder = true) {
    TMainFormOptions options;
    options.Locale = locale;
    options.ProgramDir = dir_->path() + "/";
    if (settingsFolder) options.SettingsDir = dir_->path();
    options.Parameters = std::move(params);
    options.Dialogs = &dialogs_;
    auto frame = std::make_unique<TMainForm>(options);
    frame->show();
    if (!QTest::qWaitForWindowExposed(frame.get())) return nullptr;
    return frame;
  }
  QString IniPath() const { return dir_->filePath("brevaro.ini"); }
  void WriteIni(const std::string& text) { WriteFile(IniPath(), text); }
  IniFile ReadIni() const {
    IniFile ini;
    ini.Load(QFile::encodeName(IniPath()).toStdString());
    return ini;
  }
  static std::string Bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    dialogs_ = FakeDialogs();
    Languages().SetLanguageIndex(0);
  }
  void cleanup() {
    Languages().SetLanguageIndex(0);
    dir_.reset();
  }

  // ---- Creation ------------------------------------------------------------

  void withoutASettingsFolderTheFrameSaysSoOnceAndRuns() {
    auto frame = Frame({}, QLocale(QLocale::German), false);
    QVERIFY(frame->close());
    QCOMPARE(dialogs_.errors, QStringList{QtText(Languages().LanguageText(RowNoSettingsFolder))});
    QVERIFY(!QFile::exists(IniPath()));
  }

  // Creation writes English.lng and builds the menus; their shortcuts act.
  void menusShortcutsAndHints() {
    WriteFile(dir_->filePath("Klingon.lng"), "x\n");
    auto frame = Frame();
    QVERIFY(QFile::exists(dir_->filePath("English.lng")));
    QCOMPARE(frame->hBrett->Figuren(), TFigurenset::WinboardF33);
    QCOMPARE(frame->mSprache->actions().size(), 3);  // Deutsch, English, Klingon
    QStringList titles;
    for (QAction* a : frame->menuBar()->actions())
      if (a->isVisible()) titles << a->text();
    QCOMPARE(titles, QStringList({"&Partien", "&Optionen", "&Fenster", "&Info"}));
    frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame.get()));
    QVERIFY(frame->mKoord->isChecked());
    QTest::keyClick(frame.get(), Qt::Key_K, Qt::ControlModifier);
    QVERIFY(!frame->mKoord->isChecked());
    QTest::keyClick(frame.get(), Qt::Key_A, Qt::ControlModifier);
    QVERIFY(!frame->mAnimation->isChecked());
    QTest::keyClick(frame.get(), Qt::Key_O, Qt::ControlModifier);  // the dialog, cancelled
    QCOMPARE(dialogs_.dialogFilters, QStringList{"PGN-Dateien (*.pgn);;Alle Dateien (*)"});
    // Ctrl+2 chooses the second language entry (English).
    QTest::keyClick(frame.get(), Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(Languages().LanguageIndex(), 1);
    QCOMPARE(frame->mPartien->title(), QString("&Games"));
    QCOMPARE(frame->bStop->toolTip(), QString("Cancel"));
    QCOMPARE(frame->mDatabase->text(), QString("Last PGN-files"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancel"));
    QTest::keyClick(frame.get(), Qt::Key_1, Qt::ControlModifier);
    // Qt's own dialogs speak German too where its translation is installed.
    if (QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm"))
      QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Abbrechen"));
    QCOMPARE(frame->mDatabase->text(), QString("Zuletzt geöffnete Datenbanken"));
    // A language file that cannot be read any more is reported and changes nothing.
    QVERIFY(QFile::remove(dir_->filePath("Klingon.lng")));
    frame->mSprache->actions().back()->trigger();
    QCOMPARE(dialogs_.errors.size(), 1);
    QCOMPARE(Languages().LanguageIndex(), 0);
    QCOMPARE(frame->mOpenPGN->text(), QString("Ö&ffnen"));

    // Hints show their long part; About opens through the dialogs.
    QStatusTipEvent tip(frame->mOpenPGN->statusTip());
    QCoreApplication::sendEvent(frame.get(), &tip);
    QCOMPARE(frame->pHint->text(), frame->mOpenPGN->statusTip());
    // A language switch leaves no text of the old language in the status line.
    frame->mSprache->actions()[1]->trigger();
    QCOMPARE(frame->pHint->text(), QString());
    frame->mSprache->actions()[0]->trigger();
    frame->ShowHint("kurz|lang");
    QCOMPARE(frame->pHint->text(), QString("lang"));
    frame->ShowHint("ganz");
    QCOMPARE(frame->pHint->text(), QString("ganz"));
    const QString lang = QString("Zug ").repeated(400);
    frame->ShowHint(lang);
    QVERIFY(frame->pHint->text().endsWith(QChar(0x2026)));
    QCOMPARE(frame->pHint->toolTip(), lang);
    frame->HelpAboutItem->trigger();
    QCOMPARE(dialogs_.abouts, 1);
  }

  // ---- Opening files ---------------------------------------------------------

  void newGameWindowsCoverAsLittleAsPossible() {
    const QString path = PgnFile(*dir_, "games.pgn", 3);
    WriteIni("[Options]\nDatabaseWinEnabled=0\n");
    auto frame = Frame({Bytes(path)});
    frame->resize(1500, 900);
    QTest::qWait(1);
    QMdiSubWindow* listSub = qobject_cast<QMdiSubWindow*>(frame->ListWindows()[0]->parentWidget());
    for (int row = 0; row < 3; ++row) {
      QVERIFY(frame->OpenRow(frame->ListWindows()[0], row));
      QMdiSubWindow* sub =
          qobject_cast<QMdiSubWindow*>(frame->GameWindows().back()->parentWidget());
      const QRect area = frame->MDIArea->viewport()->rect();
      QVERIFY(area.contains(sub->geometry()) || sub->pos() == QPoint(0, 0));
      if (row == 0) {
        // The first one fits beside its list, covering nothing.
        for (QMdiSubWindow* other : frame->MDIArea->subWindowList())
          if (other != sub) QVERIFY(!other->geometry().intersects(sub->geometry()));
        QCOMPARE(sub->y(), listSub->y());
      }
    }
  }

  // A row on the command line opens that game.
  void gameWindowStepsThroughItsListUntilTheListCloses() {
    const QString path = PgnFile(*dir_, "games.pgn", 3);
    auto frame = Frame({Bytes(path), "0"});
    TMDIPGN* list = frame->ListWindows().front();
    TMDIBrett* game = frame->GameWindows().front();
    QCOMPARE(frame->ChildWindowTitles().front(), path);
    QCOMPARE(frame->History().size(), size_t(1));
    QCOMPARE(game->GameID(), 0);
    QCOMPARE(list->PGN1->CurrentRow(), 0);
    QCOMPARE(game->windowTitle(), QString("White 1 - Black 1"));
    QCOMPARE(frame->ActiveChild(), game);
    // The new board draws the set of its square size.
    QCOMPARE(game->Brett1->Figuren(), FigurensatzFuer(game->Brett1->Groesse()));
    QTest::mouseClick(game->bPrev, Qt::LeftButton);  // before the first: the last, with a beep
    QCOMPARE(dialogs_.beeps, 1);
    QCOMPARE(game->GameID(), 2);
    QCOMPARE(list->PGN1->CurrentRow(), 2);
    // Rows in another order after a sort: stepping follows the display order.
    list->HeaderControlSectionClick(1);  // players: White 1, 2, 3
    list->HeaderControlSectionClick(1);  // again: reversed
    QCOMPARE(list->PGN1->GameOfRow(0), 2);
    list->PGN1->MarkOnly(0);
    QTest::mouseClick(game->bNext, Qt::LeftButton);
    QCOMPARE(game->GameID(), 1);
    // Closing the list (asked, as it has games open) lets go of its games.
    dialogs_.answer = true;
    QVERIFY(list->parentWidget()->close());
    QCOMPARE(dialogs_.questions.size(), 1);
    QTRY_VERIFY(frame->ListWindows().isEmpty());
    QVERIFY(!game->GameList() && !game->bNext->isEnabled());
    // The game window goes on working, and closes unasked.
    QVERIFY(game->parentWidget()->close());
    QTRY_VERIFY(frame->GameWindows().isEmpty());
  }

  void optionsReachTheGameWindowsAndAGameOpensOnce() {
    const QString path = PgnFile(*dir_, "games.pgn", 3);
    WriteIni("[Options]\nAnimation=0\nfigN=S\nBlackSquare=0x00203040\n");
    auto frame = Frame({Bytes(path), "0"});
    TMDIBrett* game = frame->GameWindows().front();
    QCOMPARE(game->Brett1->Animation(), uint8_t(0));
    QCOMPARE(game->Brett1->BlackSquareColor() & 0xffffff, QRgb(0x403020));
    QVERIFY(game->Koordinate(1, 0)->isVisibleTo(game));
    frame->mKoord->trigger();
    QVERIFY(!game->Koordinate(1, 0)->isVisibleTo(game));
    frame->mAnimation->trigger();
    QCOMPARE(game->Brett1->Animation(), uint8_t(1));
    // New windows take the options as they are now.
    QVERIFY(frame->OpenRow(frame->ListWindows().front(), 1));
    TMDIBrett* second = frame->GameWindows().back();
    QVERIFY(!second->Koordinate(1, 0)->isVisibleTo(second));
    QCOMPARE(second->Brett1->Animation(), uint8_t(1));
    // The same game opened again brings its window forward; no row 3.
    QVERIFY(frame->OpenRow(frame->ListWindows().front(), 0));
    QCOMPARE(frame->GameWindows().size(), 2);
    QCOMPARE(frame->ActiveChild(), game);
    QVERIFY(!frame->OpenRow(frame->ListWindows().front(), 3));
  }

  void commandLineOpensSeveralFilesAndIgnoresBadRows() {
    const QString a = PgnFile(*dir_, "a.pgn", 3);
    const QString upper = PgnFile(*dir_, "A.pgn", 2);  // names differing in case: two files
    const QString b = PgnFile(*dir_, "b.pgn", 2);
    const QString text = WriteFile(dir_->filePath("notes.pgn"), "just some text\nand more\n");
    const QString empty = PgnFile(*dir_, "empty.pgn", 0);
    const QString missing = dir_->filePath("missing");
    dialogs_.answer = false;
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir_->path());  // "A.pgn" is relative: opened as an absolute path
    auto frame = Frame({Bytes(a), "5", "A.pgn", Bytes(b), "1", "0", Bytes(empty), "0",
                        Bytes(missing), Bytes(text), "0"});
    QDir::setCurrent(old);
    // The missing file is offered to be created (as missing.pgn); declined, no
    // window stays. Row 5 of a's three games opens nothing, row 1 of b its
    // second game, row 0 of the empty file nothing; the text file opens nothing.
    QCOMPARE(dialogs_.questions.size(), 1);
    QVERIFY(dialogs_.questions.front().contains("missing.pgn"));
    QVERIFY(!QFile::exists(missing + ".pgn"));
    QCOMPARE(frame->ChildWindowTitles(), QStringList({a, upper, b, "White 2 - Black 2", empty}));
    QCOMPARE(frame->ListWindows()[1]->PGN1->RowCount(), 2);
    QCOMPARE(frame->ListWindows()[3]->PGN1->RowCount(), 0);
    QCOMPARE(frame->History().size(), size_t(4));
    QVERIFY(dialogs_.errors.isEmpty());
  }

  void theSameFileOpenedTwiceBringsItsWindowForward() {
    const QString a = PgnFile(*dir_, "same.pgn", 2);
    const QString b = PgnFile(*dir_, "other.pgn", 2);
    QVERIFY(QFile::link(a, dir_->filePath("link.pgn")));
    auto frame = Frame({Bytes(a)});
    TMDIPGN* first = frame->ListWindows().front();
    frame->OpenPGNFile(b);
    QCOMPARE(frame->ActiveChild()->windowTitle(), b);
    // Another spelling of the same file, and a link to it.
    QCOMPARE(frame->OpenPGNList(dir_->path() + "/./sub/../same.pgn"), first);
    QCOMPARE(frame->ActiveChild(), first);
    frame->OpenPGNFile(b);
    QCOMPARE(frame->OpenPGNList(dir_->filePath("link.pgn")), first);
    QCOMPARE(frame->ActiveChild(), first);
    QCOMPARE(frame->ListWindows().size(), 2);
    // Written by another program since: listed anew in its window.
    PgnFile(*dir_, "same.pgn", 3);
    QCOMPARE(frame->OpenPGNList(a), first);
    QCOMPARE(first->PGN1->RowCount(), 3);
  }

  void openCommandUsesTheDialogAndReportsWhatItCannotList() {
    const QString path = PgnFile(*dir_, "dialog.pgn", 2);
    const QString uncreatable = dir_->filePath("no/such/dir/new.pgn");
    dialogs_.answer = true;  // create it: reported, except from the command line
    auto frame = Frame({Bytes(uncreatable)});
    QCOMPARE(dialogs_.questions.size(), 1);
    QVERIFY(dialogs_.errors.isEmpty());
    dialogs_.openPath = uncreatable;
    frame->mOpenPGN->trigger();
    QCOMPARE(dialogs_.questions.size(), 2);
    QCOMPARE(dialogs_.errors.size(), 1);
    QVERIFY(dialogs_.errors.front().contains(uncreatable));
    QVERIFY(frame->ListWindows().isEmpty() && frame->History().empty());
    dialogs_.openPath.clear();  // cancelled
    frame->mOpenPGN->trigger();
    QVERIFY(frame->ListWindows().isEmpty());
    dialogs_.openPath = WriteFile(dir_->filePath("notes.txt"), "Opening notes: e4 e5\n");
    frame->mOpenPGN->trigger();
    QCOMPARE(dialogs_.errors.size(), 2);
    QCOMPARE(dialogs_.errors.back(),
             QtText(Languages().LanguageText(RowNoPGNFile)) + "\n" + dialogs_.openPath);
    QVERIFY(frame->ListWindows().isEmpty() && frame->History().empty());
    dialogs_.openPath = path;
    frame->mOpenPGN->trigger();
    QCOMPARE(frame->ChildWindowTitles(), QStringList({path}));
  }

  void droppedFilesOpen() {
    const QString a = PgnFile(*dir_, "drop1.pgn", 1);
    const QString b = PgnFile(*dir_, "drop2.PGN", 1);
    const QString text = WriteFile(dir_->filePath("readme.txt"), "hello\n");
    auto frame = Frame();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b), QUrl::fromLocalFile(text),
                  QUrl("https://example.org/x.pgn")});
    const QPoint at = frame->MDIArea->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.get(), &drop);
    QTRY_COMPARE(frame->ChildWindowTitles(), QStringList({a, b}));

    QMimeData web;
    web.setUrls({QUrl("https://example.org/x.pgn")});
    QDragEnterEvent refused(at, Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.get(), &refused);
    QVERIFY(!refused.isAccepted());
  }

  // ---- History and child windows -------------------------------------------------

  void historyKeepsTheLastEightNewestFirst() {
    auto frame = Frame();
    const QList<QAction*> commands = {frame->WindowCascadeItem, frame->WindowTileItem,
                                      frame->WindowArrangeItem, frame->WindowMinimizeItem};
    for (QAction* a : commands) QVERIFY(!a->isEnabled());  // they need a child window
    QStringList paths;
    for (int i = 0; i < 9; ++i) paths << PgnFile(*dir_, QString("h%1.pgn").arg(i), 1);
    for (const QString& p : paths) frame->OpenPGNFile(p);
    for (QAction* a : commands) QVERIFY(a->isEnabled());
    frame->WindowMinimizeItem->trigger();
    for (QMdiSubWindow* sub : frame->MDIArea->subWindowList()) QVERIFY(sub->isMinimized());
    emit frame->Window1->aboutToShow();
    int listed = 0;
    for (QAction* a : frame->Window1->actions()) listed += a->text().endsWith(".pgn");
    QCOMPARE(listed, 9);
    QCOMPARE(frame->History().size(), size_t(8));
    // The Games menu lists them, numbered, between its commands and Exit.
    QCOMPARE(frame->HistoryItems.size(), 8);
    QCOMPARE(frame->HistoryItems[0]->text(), QString("&1 h8.pgn"));
    const QList<QAction*> games = frame->mPartien->actions();
    QVERIFY(games.indexOf(frame->HistoryItems[7]) < games.indexOf(frame->mExit));
    QVERIFY(games.indexOf(frame->mDatabase) < games.indexOf(frame->HistoryItems[0]));
    // A listed file keeps its place, also when opened again in a new window.
    frame->MDIArea->closeAllSubWindows();
    QTRY_VERIFY(frame->ListWindows().isEmpty());
    frame->OpenPGNFile(paths[4]);
    QCOMPARE(HistoryPath(frame->History()[4]), Bytes(paths[4]));
    frame->MDIArea->closeAllSubWindows();
    QTRY_VERIFY(frame->ListWindows().isEmpty());
    frame->HistoryItems[2]->trigger();
    QCOMPARE(frame->ActiveChild()->windowTitle(), paths[6]);
    // The database window is reachable from the menu.
    frame->mDatabase->trigger();
    QVERIFY(frame->DatabaseWindow());
    frame->mClose->trigger();
    frame->mClose->trigger();
    QTRY_VERIFY(frame->MDIArea->subWindowList().isEmpty());
    QTRY_VERIFY(!frame->WindowCascadeItem->isEnabled());
  }

  void firstStartPicksTheLanguageOfTheLocaleAndAStoredOneWins_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<int>("locale");
    QTest::addColumn<int>("index");
    QTest::newRow("first, French") << "" << int(QLocale::French) << 1;
    QTest::newRow("stored German") << "[Options]\nEnglish=0\n" << int(QLocale::English) << 0;
  }
  void firstStartPicksTheLanguageOfTheLocaleAndAStoredOneWins() {
    QFETCH(QString, ini);
    QFETCH(int, locale);
    QFETCH(int, index);
    if (!ini.isEmpty()) WriteIni(ini.toStdString());
    auto frame = Frame({}, QLocale(QLocale::Language(locale)));
    QCOMPARE(Languages().LanguageIndex(), index);
    QCOMPARE(frame->mExit->text(), QString(index ? "&Exit" : "&Beenden"));
  }

  void storedSizesFitTheScreenAndMaximisedWindowsStayMaximised() {
    WriteIni("[Options]\nMainHeight=30000\nMainWidth=100000\nPGNHeight=9000\nPGNWidth=9000\n");
    const QString path = PgnFile(*dir_, "games.pgn", 3);
    auto frame = Frame({Bytes(path)});
    const QSize screen = frame->screen()->availableGeometry().size();
    QCOMPARE(frame->height(), screen.height());         // clamped
    QCOMPARE(frame->width(), screen.width() * 9 / 10);  // MainWidth ignored
    const QSize area = frame->MDIArea->viewport()->size();
    QMdiSubWindow* list = frame->MDIArea->subWindowList().front();
    QCOMPARE(list->size(), area);
    // Opened beside a maximised window, a game window is maximised too.
    list->showMaximized();
    QVERIFY(frame->OpenRow(frame->ListWindows().front(), 1));
    auto* game = qobject_cast<QMdiSubWindow*>(frame->GameWindows().front()->parentWidget());
    QVERIFY(game->isMaximized());
    QCOMPARE(frame->MDIArea->activeSubWindow(), game);
    // So is a list opened then, at the full size of the area.
    TMDIPGN* zweite = frame->OpenPGNList(PgnFile(*dir_, "more.pgn", 2));
    QVERIFY(zweite->parentWidget()->isMaximized());
    QCOMPARE(zweite->parentWidget()->size(), frame->MDIArea->viewport()->size());
  }

  // ---- Database window -----------------------------------------------------------

  void databaseWindowOpensWhenTheSettingsAskForIt_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<bool>("open");
    QTest::newRow("no key") << "[Options]\nKoordinaten=1\n" << false;
    QTest::newRow("not enabled") << "[Options]\nDatabaseWinEnabled=0\n" << true;
  }
  void databaseWindowOpensWhenTheSettingsAskForIt() {
    QFETCH(QString, ini);
    QFETCH(bool, open);
    // History entries of missing files drop out at start; SaveDataBase is kept.
    const QString kept = PgnFile(*dir_, "base.pgn", 1);
    WriteIni("[History]\nFile0=" + HistoryEntry(Bytes(dir_->filePath("gone.pgn"))) +
             "\nFile1=" + HistoryEntry(Bytes(kept)) + "\nSaveDataBase=keep me\n" +
             ini.toStdString() + "DatabaseHeight=240\nDatabaseWidth=333\n");
    auto frame = Frame();
    QCOMPARE(frame->History().size(), size_t(1));
    QCOMPARE(HistoryPath(frame->History()[0]), Bytes(kept));
    QCOMPARE(frame->DatabaseWindow() != nullptr, open);
    if (!open) {
      QVERIFY(frame->close());
      QCOMPARE(ReadIni().ReadString("History", "SaveDataBase", ""), std::string("keep me"));
      QCOMPARE(ReadIni().ReadString("History", "File1", "x"), std::string());
      return;
    }
    QCOMPARE(frame->DatabaseWindow()->EntryPath(0), kept);
    QCOMPARE(frame->DatabaseWindow()->parentWidget()->size(), QSize(333, 240));
    // It follows the history, and there is only one.
    const QString more = PgnFile(*dir_, "more.pgn", 1);
    frame->OpenPGNFile(more);
    QCOMPARE(frame->DatabaseWindow()->EntryPath(0), more);
    QCOMPARE(frame->OpenDatabaseWindow(), frame->DatabaseWindow());
    QCOMPARE(frame->MDIArea->subWindowList().size(), 2);
    // Its entries open their files.
    frame->DatabaseWindow()->lbDatabase->setCurrentRow(1);
    frame->DatabaseWindow()->lbDatabaseDblClick();
    QCOMPARE(frame->ActiveChild()->windowTitle(), kept);
  }

  void gamesDroppedOnTheDatabaseWindowAreAppendedThroughTheFrame() {
    const QString from = PgnFile(*dir_, "from.pgn", 2);
    const std::string before = "[Event \"T\"]\n\n1. d4 *\n";
    const QString target = WriteFile(dir_->filePath("target.pgn"), before);
    WriteIni("[History]\nFile0=" + HistoryEntry(Bytes(target)) +
             "\n[Options]\nDatabaseWinEnabled=0\n");
    auto frame = Frame({Bytes(from)});
    TMDIDatabase* db = frame->DatabaseWindow();
    QVERIFY(db);
    QCOMPARE(db->EntryPath(1), target);
    TPGN* list = frame->ListWindows().front()->PGN1;
    list->selectAll();
    // No window closes while the games are collected.
    bool closedMeanwhile = true;
    QTimer::singleShot(0, frame.get(), [&] { closedMeanwhile = frame->close(); });
    db->DropGames(list, 1);
    QVERIFY(!closedMeanwhile && frame->isVisible());
    QCOMPARE(dialogs_.questions.size(), 1);
    // The target's LF line ends separate the games.
    const std::string expected =
        before + "\n\n" + list->ReadGameText(0) + "\n\n" + list->ReadGameText(1);
    QFile t(target);
    QVERIFY(t.open(QIODevice::ReadOnly));
    QCOMPARE(t.readAll().toStdString(), expected);
    t.close();

    // A target the frame lists in a game window is refused.
    frame->OpenPGNFile(target);  // history: from, target
    db->DropGames(list, 1);
    QCOMPARE(dialogs_.errors.size(), 1);
    QVERIFY(dialogs_.errors.back().contains(target));
  }

  // ---- Progress and stop -------------------------------------------------------------

  void progressLetsEventsRunAndTheStopButtonCancels() {
    auto frame = Frame();
    TCancelMode mode = cmContinue;
    frame->Progress(150, mode);
    QCOMPARE(frame->prBar->value(), 100);
    QCOMPARE(mode, cmContinue);
    bool runningInside = false, closedInside = true;
    QTimer::singleShot(0, frame.get(), [&] {
      runningInside = frame->ProgressRunning();
      closedInside = frame->close();
      QTest::mouseClick(frame->bStop, Qt::LeftButton);
    });
    frame->Progress(40, mode);
    QVERIFY(runningInside && !closedInside && frame->isVisible());
    QVERIFY(!frame->ProgressRunning() && frame->StopFlag());
    QCOMPARE(mode, cmCancel);
    // cmNone reports only.
    mode = cmNone;
    frame->Progress(-5, mode);
    QCOMPARE(mode, cmNone);
    QCOMPARE(frame->prBar->value(), 0);
    // The next file opened starts with the flag cleared.
    frame->OpenPGNFile(PgnFile(*dir_, "after.pgn", 2));
    QVERIFY(!frame->StopFlag());
    QCOMPARE(frame->ListWindows().front()->PGN1->RowCount(), 2);

    // A second operation starts while the first lets events run (a file
    // opened meanwhile); when it ends, the first still runs and closing stays refused.
    bool runningAfterInner = false, closedAfterInner = true;
    QTimer::singleShot(0, frame.get(), [&] {
      TCancelMode inner = cmContinue;
      frame->Progress(10, inner);
      runningAfterInner = frame->ProgressRunning();
      closedAfterInner = frame->close();
    });
    mode = cmContinue;
    frame->Progress(50, mode);
    QVERIFY(runningAfterInner && !closedAfterInner);
    QVERIFY(!frame->ProgressRunning());

    // The stop button ends the scan of a large file.
    std::string bytes;
    for (int i = 0; i < 40000; ++i) bytes += Game(i);
    const QString big = WriteFile(dir_->filePath("big.pgn"), bytes);
    int reports = 0;
    // Press stop from inside the scan's first report that lets events run.
    QTimer::singleShot(0, frame.get(), [&] {
      ++reports;
      QTest::mouseClick(frame->bStop, Qt::LeftButton);
    });
    TMDIPGN* list = frame->OpenPGNList(big);
    QVERIFY(list);
    QCOMPARE(reports, 1);
    QVERIFY(!list->PGN1->IndexComplete());
    QVERIFY(list->PGN1->RowCount() < 40000);
    // Sorting clears the flag again and runs to its end.
    list->HeaderControlSectionClick(0);
    QVERIFY(!frame->StopFlag());
    QVERIFY(frame->close());
  }

  // ---- Settings and closing ----------------------------------------------------------

  void settingsAreWrittenOnCloseAndReadBack() {
    WriteIni(
        "[Options]\nMainHeight=480\nMainWidth=760\nPGNHeight=300\nPGNWidth=620\n"
        "BlackSquare=0x00336699\nfigK=R\nEnglish=1\notherLang=English\n");
    const QString path = PgnFile(*dir_, "list.pgn", 3);
    {
      auto frame = Frame({Bytes(path)});
      QCOMPARE(frame->size(), QSize(760, 480));
      QCOMPARE(Languages().LanguageIndex(), 1);
      QCOMPARE(frame->mExit->text(), QString("&Exit"));
      QCOMPARE(frame->ListWindows().front()->parentWidget()->size(), QSize(620, 300));
      frame->ListWindows().front()->parentWidget()->resize(640, 310);
      frame->mKoord->trigger();
      frame->resize(700, 520);
      QVERIFY(frame->close());
      QVERIFY(frame->SettingsWritten());
    }
    IniFile ini = ReadIni();
    const std::pair<const char*, int> written[] = {
        {"PGNHeight", 310}, {"PGNWidth", 640}, {"BlackSquare", 0x336699}};
    for (auto [key, value] : written) QCOMPARE(ini.ReadInteger("Options", key, -7), value);
    QCOMPARE(ini.ReadString("Options", "figK", ""), std::string("R"));
    QCOMPARE(HistoryPath(ini.ReadString("History", "File0", "")), Bytes(path));

    Languages().SetLanguageIndex(0);
    auto again = Frame();
    QVERIFY(!again->mKoord->isChecked());
    QCOMPARE(again->size(), QSize(700, 520));
    QCOMPARE(Languages().LanguageIndex(), 1);
    // Written once: a second close writes nothing.
    QVERIFY(again->close());
    QVERIFY(QFile::remove(IniPath()));
    QVERIFY(again->close());
    QVERIFY(!QFile::exists(IniPath()));
  }

  void closeBoxSkipsTheListsQuestionAndExitAsksIt_data() {
    for (const char* column : {"closeBox", "answer"}) QTest::addColumn<bool>(column);
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("closed");
    QTest::newRow("close box") << true << false << 0 << true;
    QTest::newRow("exit, yes") << false << true << 1 << true;
    QTest::newRow("exit, no") << false << false << 1 << false;
  }
  void closeBoxSkipsTheListsQuestionAndExitAsksIt() {
    QFETCH(bool, closeBox);
    QFETCH(bool, answer);
    QFETCH(int, questions);
    QFETCH(bool, closed);
    const QString path = PgnFile(*dir_, "games.pgn", 3);
    auto frame = Frame({Bytes(path), "1"});
    QCOMPARE(frame->GameWindows().size(), 1);
    TMDIBrett* game = frame->GameWindows().front();
    game->parentWidget()->resize(610, 420);
    dialogs_.answer = answer;
    const bool result =
        closeBox ? frame->SystemClose() : (frame->mExit->trigger(), !frame->isVisible());
    QCOMPARE(result, closed);
    QCOMPARE(dialogs_.questions.size(), questions);
    if (questions) QCOMPARE(dialogs_.questions.front(), QtText(Languages().LanguageText(12)));
    QCOMPARE(frame->SettingsWritten(), closed);
    QCOMPARE(QFile::exists(IniPath()), closed);
    QVERIFY(!frame->SystemClosing());
    if (!closed) {  // the list and its game stay linked
      QVERIFY(frame->isVisible() && game->GameList() != nullptr && game->bNext->isEnabled());
      return;
    }
    // The game window stored its size, written with the rest.
    QCOMPARE(ReadIni().ReadInteger("Options", "BrettHeight", 0), 420);
    QCOMPARE(ReadIni().ReadInteger("Options", "BrettWidth", 0), 610);
  }

  void aChangedGameAsksBeforeTheFrameCloses() {
    WriteIni("[Options]\nMoveEntry=1\n");
    auto frame = Frame();
    frame->OpenGame(nullptr, "", -1);  // an empty game window, linked to no list
    TMDIBrett* game = frame->GameWindows().front();
    QVERIFY(!game->GameList() && !game->bNext->isEnabled());
    QVERIFY(game->Zugeingabe() && game->ZugEingegeben(35, 55, 0, false));  // e2-e4
    dialogs_.answer = false;
    QVERIFY(!frame->close());
    QCOMPARE(dialogs_.questions, QStringList{QtText(Languages().LanguageText(RowDiscardChanges))});
    dialogs_.answer = true;
    QVERIFY(frame->close());
    QCOMPARE(ReadIni().ReadInteger("Options", "MoveEntry", 0), 1);
  }
};

QTEST_MAIN(MainFormTest)
#include "frame_window_qtest.moc"
