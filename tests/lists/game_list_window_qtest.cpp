#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <memory>

#include "board/board_widget.h"
#include "fake_host.h"
#include "languages/language_table.h"
#include "lists/game_list_view.h"
#include "lists/game_list_window.h"

using namespace brevaro;
using namespace brevaro::test;

namespace {

// Five games whose keys order differently under every header. Game 2's White
// is written in Windows-1252; game 4 starts from a rook ending.
std::string FiveGames() {
  return Game(
             "[Event \"Linares\"]\n[Site \"ESP\"]\n[Date \"1994.02.25\"]\n"
             "[White \"Kasparov, Garry\"]\n[Black \"Karpov, Anatoly\"]\n[Result \"1-0\"]\n"
             "[ECO \"B80\"]",
             "1. e4 c5 1-0") +
         Game(
             "[Event \"?\"]\n[Site \"Wijk\"]\n[Date \"????.??.??\"]\n[White \"Anand\"]\n"
             "[Black \"Kasparov, Garry\"]\n[Result \"1/2-1/2\"]\n[ECO \"C42\"]",
             "1. e4 e5 1/2-1/2") +
         Game(
             "[Event \"Dortmund\"]\n[Site \"?\"]\n[Date \"1992.07.01\"]\n[White \"M\xfcller\"]\n"
             "[Black \"Anand\"]\n[Result \"0-1\"]\n[ECO \"B33\"]",
             "1. e4 c5 0-1") +
         Game(
             "[Event \"Open\"]\n[Date \"1995.??.??\"]\n[White \"Carlsen\"]\n[Black \"So\"]\n"
             "[Result \"1/2 - 1/2\"]\n[ECO \"A00\"]") +
         Game(
             "[Event \"Endgame\"]\n[Date \"1990.??.??\"]\n[White \"Zukertort\"]\n"
             "[Black \"Anand\"]\n[Result \"*\"]\n[SetUp \"1\"]\n"
             "[FEN \"8/8/8/4k3/8/8/4K3/R7 w - - 0 1\"]",
             "1. Ra5+ *");
}

// Many small games, so that the scan reports progress (more than 50 games and
// more than one read of a megabyte).
std::string ManyGames(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) {
    text += Game("[Event \"Event " + std::to_string(i) + "\"]\n[White \"Player " +
                     std::to_string(i % 97) + "\"]\n[Black \"Other\"]\n[Date \"" +
                     std::to_string(1900 + i % 100) + ".01.01\"]\n[Result \"1-0\"]",
                 "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 6. Re1 b5 7. Bb3 d6 "
                 "8. c3 O-O 9. h3 Nb8 10. d4 Nbd7 11. c4 c6 12. cxb5 axb5 13. Nc3 Bb7 1-0");
  }
  return text;
}

QList<int64_t> Shown(const TPGN& list) {
  QList<int64_t> ids;
  for (int64_t r = 0; r < list.RowCount(); ++r) ids << list.GameOfRow(r);
  return ids;
}

}  // namespace

class GameListTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString five_, viele_;

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    five_ = WriteFile(dir_, "five.pgn", FiveGames());
    viele_ = WriteFile(dir_, "viele.pgn", ManyGames(3000));
  }

  void openingAFileListsItsGamesAsWideAsTheList() {
    FakeHost host;
    TMDIPGN w(host);
    QVERIFY(!w.Panel1->isEnabled());
    QVERIFY(w.LoadFile(five_));
    QCOMPARE(w.windowTitle(), five_);
    QVERIFY(w.Panel1->isEnabled());
    QCOMPARE(w.PGN1->model()->rowCount(), 5);
    QCOMPARE(Shown(*w.PGN1), (QList<int64_t>{0, 1, 2, 3, 4}));
    QVERIFY(w.pFilter->isHidden() && w.PGN1->dragEnabled());
    // Painting every row reads its header without disturbing the list.
    w.resize(600, 200);
    QImage bild(w.size(), QImage::Format_ARGB32);
    w.render(&bild);
    QCOMPARE(w.PGN1->RowCount(), 5);
    // Rows are as wide as the list, never wider: the header does not scroll
    // sideways, so rows that did would stand beside the wrong columns.
    w.resize(600, 400);
    w.show();
    QCoreApplication::processEvents();  // laid out without a vertical scroll bar
    QVERIFY(!w.PGN1->verticalScrollBar()->isVisible());
    const auto quer = [&] {
      QCoreApplication::processEvents();
      return w.PGN1->horizontalScrollBar()->maximum();
    };
    w.resize(600, 120);  // now it needs one
    QCOMPARE(quer(), 0);
    w.resize(400, 120);
    QCOMPARE(quer(), 0);
    QCOMPARE(w.PGN1->visualRect(w.PGN1->model()->index(0, 0)).width(), w.PGN1->viewport()->width());
  }

  // Players, source, year and result; a second click reverses, the number
  // column restores the file's order.
  void sortingByEachHeaderAndReversing() {
    const QList<int64_t> ordnungen[] = {
        {1, 3, 0, 2, 4}, {1, 2, 4, 0, 3}, {1, 4, 2, 0, 3}, {4, 2, 0, 3, 1}};
    FakeHost host;
    TMDIPGN w(host);
    w.LoadFile(five_);
    for (int section = 1; section <= 4; ++section) {
      QList<int64_t> order = ordnungen[section - 1];
      host.SetStopFlag(true);  // a click clears it before sorting
      w.HeaderControlSectionClick(section);
      QCOMPARE(Shown(*w.PGN1), order);
      w.HeaderControlSectionClick(section);
      std::reverse(order.begin(), order.end());
      QCOMPARE(Shown(*w.PGN1), order);
      w.HeaderControlSectionClick(0);
      QCOMPARE(Shown(*w.PGN1), (QList<int64_t>{0, 1, 2, 3, 4}));
      w.HeaderControlSectionClick(0);
      QCOMPARE(Shown(*w.PGN1), (QList<int64_t>{0, 1, 2, 3, 4}));
    }
  }

  void eachFilterField() {
    struct Fall {
      const char* name = "";
      QString spieler{}, ereignis{}, eco{};
      char farbe = 'b';        // b: either, w: White, s: Black
      int von = -1, bis = -1;  // the year range, -1: off
      QString ergebnisse{};    // g: win, r: draw, v: loss
      int turm = -1;           // a white rook on this square of the search board
      bool leeren = false;     // bEmpty after setting the fields
      QList<int64_t> shown{};
    };
    const std::vector<Fall> faelle = {
        {.name = "player either colour", .spieler = "kasparov", .shown = {0, 1}},
        {.name = "player as White", .spieler = "kasparov", .farbe = 'w', .shown = {0}},
        {.name = "player as Black", .spieler = "kasparov", .farbe = 's', .shown = {1}},
        {.name = "player text with trailing blank", .spieler = "anand ", .shown = {}},
        {.name = "player text with inner blank", .spieler = "kasparov, ", .shown = {0, 1}},
        {.name = "player in Windows-1252", .spieler = QString::fromUtf8("MÜLL"), .shown = {2}},
        {.name = "event trimmed", .ereignis = " linares ", .shown = {0}},
        {.name = "ECO group", .eco = "b", .shown = {0, 2}},
        {.name = "years without unknown", .von = 1990, .bis = 1995, .shown = {0, 2, 3, 4}},
        {.name = "years from 0 include unknown", .von = 0, .bis = 1992, .shown = {1, 2, 4}},
        {.name = "only exact draws", .ergebnisse = "r", .shown = {1}},
        {.name = "wins and losses", .ergebnisse = "gv", .shown = {0, 2}},
        {.name = "start position with a rook", .turm = 21, .shown = {4}},
        {.name = "empty search board", .turm = 0, .shown = {0, 1, 2, 3, 4}},
        // Every field set, then cleared by bEmpty.
        {"fields cleared by bEmpty", "x", "x", "x", 'w', 0, 1992, "r", 21, true, {0, 1, 2, 3, 4}},
    };
    for (const Fall& f : faelle) {
      FakeHost host;
      TMDIPGN w(host);
      w.LoadFile(five_);
      w.sbFilter->setChecked(true);
      QVERIFY(w.pFilter->isVisibleTo(&w));
      w.eSpieler->setText(f.spieler);
      w.eEreignis->setText(f.ereignis);
      w.eECO->setText(f.eco);
      (f.farbe == 'w' ? w.rbWeiss : f.farbe == 's' ? w.rbSchwarz : w.rbBeide)->setChecked(true);
      if (f.von >= 0) {
        w.cbZeitraum->setChecked(true);
        w.seAYear->setValue(f.von);
        w.seEYear->setValue(f.bis);
      }
      w.cbGewinn->setChecked(f.ergebnisse.contains('g'));
      w.cbRemis->setChecked(f.ergebnisse.contains('r'));
      w.cbVerlust->setChecked(f.ergebnisse.contains('v'));
      if (f.turm >= 0) {
        TSchachbrett b = LeeresBrett;
        if (f.turm > 0) b[f.turm] = 2;
        w.SearchBrett->StellungSetzen(b, w.SearchBrett->Zug());
        w.cbPosition->setChecked(true);
      }
      if (f.leeren) w.bEmptyClick();
      w.bFilterClick();
      QVERIFY2(Shown(*w.PGN1) == f.shown, f.name);
      QCOMPARE(w.PGN1->model()->rowCount(), f.shown.size());
      QVERIFY2(w.Panel1->isEnabled(), f.name);
    }
  }

  // Columns and filter controls are never narrower than their texts; the
  // filter button up lets every game pass, and toggling the panel keeps the rows.
  void filterPanelFitsAndTogglingKeepsRows() {
    FakeHost host;
    TMDIPGN w(host);
    w.show();
    QFont fett = w.PGN1->font();
    fett.setBold(true);
    const int remis = QFontMetrics(fett).horizontalAdvance(QStringLiteral("1/2-1/2"));
    const int zahl = QFontMetrics(w.PGN1->font()).horizontalAdvance(QStringLiteral("1234567"));
    QVERIFY(w.HeaderControl->sectionSize(4) >= remis + 10);
    QVERIFY(w.HeaderControl->sectionSize(0) >= zahl + 5);
    QCOMPARE(w.HeaderControl->sectionSize(1), 200);  // the described width suffices
    w.sbFilter->setChecked(true);
    QCoreApplication::processEvents();
    for (QWidget* c : std::initializer_list<QWidget*>{w.cbZeitraum, w.cbPosition, w.bPosition,
                                                      w.bEmpty, w.bFilter, w.cbRemis}) {
      QVERIFY2(c->width() >= c->sizeHint().width(), c->metaObject()->className());
    }
    // The position mode's box shows its longest entry whole where the panel
    // has room for it.
    w.resize(1000, 300);
    QCoreApplication::processEvents();
    int laengster = 0;
    for (int k = 0; k < w.cbStellungsart->count(); ++k)
      laengster = std::max(laengster, w.cbStellungsart->fontMetrics().horizontalAdvance(
                                          w.cbStellungsart->itemText(k)));
    QVERIFY(w.cbStellungsart->width() > laengster);
    w.LoadFile(five_);
    w.eSpieler->setText("anand");
    w.bFilterClick();
    QCOMPARE(Shown(*w.PGN1), (QList<int64_t>{1, 2, 4}));
    w.sbFilter->setChecked(false);
    QVERIFY(!w.pFilter->isVisibleTo(&w));
    QCOMPARE(w.PGN1->RowCount(), 3);  // toggling does not rebuild the rows
    w.bFilterClick();
    QCOMPARE(w.PGN1->RowCount(), 5);
    QCOMPARE(w.eSpieler->text(), QString("anand"));
    w.bEmptyClick();
    QVERIFY(w.rbBeide->isChecked());
    QCOMPARE(w.seAYear->value(), 1999);  // the year fields keep their values
  }

  void doubleClickAndEnterOpenTheGame() {
    FakeHost host;
    struct {
      TMDIPGN* list = nullptr;
      std::string text;
      int64_t id = -2;
      int count = 0;
    } opened;
    host.OnOpenGame = [&](TMDIPGN* l, const std::string& text, int64_t id) {
      opened = {l, text, id, opened.count + 1};
    };
    TMDIPGN w(host);
    w.LoadFile(five_);
    w.resize(600, 300);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.HeaderControlSectionClick(1);  // players: row 1 shows game 3
    const QRect r = w.PGN1->visualRect(w.PGN1->model()->index(1, 0));
    QTest::mouseDClick(w.PGN1->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(opened.count, 1);
    QCOMPARE(opened.list, &w);
    QCOMPARE(opened.id, 3);
    QVERIFY(opened.text.starts_with("[Event \"Open\"]"));
    QVERIFY(opened.text.ends_with("1. e4 e5 *"));

    w.PGN1->MarkOnly(4);  // game 4
    QTest::keyClick(w.PGN1, Qt::Key_Return);
    QCOMPARE(opened.count, 2);
    QCOMPARE(opened.id, 4);

    w.PGN1->clearSelection();  // Enter needs a marked row
    QTest::keyClick(w.PGN1, Qt::Key_Enter);
    QCOMPARE(opened.count, 2);
  }

  void closeQueryAsksOnlyWithGameWindowsAndDetachesThem() {
    FakeHost host;
    auto w = std::make_unique<TMDIPGN>(host);
    w->LoadFile(five_);
    QVERIFY(w->close());  // no game window: no question
    QVERIFY(host.questions.isEmpty());

    w = std::make_unique<TMDIPGN>(host);
    w->LoadFile(five_);
    QObject spiel1, spiel2;
    int detached = 0;
    w->AttachGameWindow(&spiel1, [&] { ++detached; });
    {
      QObject weg;  // a game window already closed is forgotten
      w->AttachGameWindow(&weg, [&] { detached += 100; });
    }
    w->AttachGameWindow(&spiel2, [&] { ++detached; });
    host.answer = false;
    QVERIFY(!w->close());
    QCOMPARE(host.questions, QStringList{RowText(12)});
    QVERIFY(host.lastWarning && detached == 0);
    host.answer = true;
    w->resize(777, 222);
    QVERIFY(w->close());
    QCOMPARE(detached, 2);
    QVERIFY(host.PGNHeight == 222 && host.PGNWidth == 777);
    QVERIFY(!w->HasGameWindows());

    // The frame closing through its close box: no question, links cleared.
    w = std::make_unique<TMDIPGN>(host);
    w->LoadFile(five_);
    w->AttachGameWindow(&spiel1, [&] { ++detached; });
    host.questions.clear();
    host.SetSystemClosing(true);
    QVERIFY(w->close());
    QVERIFY(host.questions.isEmpty());
    QCOMPARE(detached, 3);
  }

  void rowsAppearDuringTheScanAndStopObeysTheFlag() {
    FakeHost host;
    TMDIPGN w(host);
    QList<int> zeilen;
    host.onProgress = [&](int percent) {
      if (percent == 0) return;
      QVERIFY(w.PGN1->model()->rowCount() <= w.PGN1->RowCount());
      zeilen << w.PGN1->model()->rowCount();
    };
    w.LoadFile(viele_);
    QVERIFY(!zeilen.isEmpty());
    QVERIFY(zeilen.front() > 50 && zeilen.front() < 3000);
    QCOMPARE(w.PGN1->model()->rowCount(), 3000);
    QVERIFY(w.PGN1->IndexComplete());

    // Stop during a new scan of another file: the games found stay listed.
    const QString andere = WriteFile(dir_, "andere.pgn", ManyGames(3000));
    bool geschlossen = true;
    host.onProgress = [&](int percent) {
      if (percent == 0) return;
      host.SetStopFlag(true);
      w.HeaderControlSectionClick(1);  // ignored while the list is busy
      geschlossen = w.close();         // refused while events run in an operation
    };
    w.LoadFile(andere);
    QVERIFY(!geschlossen);
    QCOMPARE(w.PGN1->SortKey(), 0);
    QVERIFY(!w.PGN1->IndexComplete());
    QVERIFY(w.PGN1->RowCount() > 0 && w.PGN1->RowCount() < 3000);
    QCOMPARE(w.PGN1->model()->rowCount(), w.PGN1->RowCount());

    // A stopped filter keeps the rows it reached.
    host.onProgress = nullptr;
    w.LoadFile(andere);  // the same file again rescans
    QCOMPARE(w.PGN1->RowCount(), 3000);
    w.sbFilter->setChecked(true);
    host.onProgress = [&](int percent) {
      if (percent >= 10) host.SetStopFlag(true);
    };
    w.bFilterClick();
    QVERIFY(w.PGN1->RowCount() >= 300 && w.PGN1->RowCount() < 3000);
    QCOMPARE(w.PGN1->model()->rowCount(), w.PGN1->RowCount());
    QVERIFY(w.Panel1->isEnabled());
  }

  void rowsAreNotPaintedWhileSorting() {
    FakeHost host;
    TMDIPGN w(host);
    w.LoadFile(viele_);
    w.resize(600, 300);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    int gemalt = 0;
    const auto zeichnen = w.PGN1->OnPGNDrawItem;
    w.PGN1->OnPGNDrawItem = [&](TPGN* c, QPainter& p, int i, const QRect& r, const TEventData& k,
                                int64_t g) {
      ++gemalt;
      zeichnen(c, p, i, r, k, g);
    };
    int waehrend = -1;
    host.onProgress = [&](int percent) {
      if (percent == 0 || waehrend >= 0) return;
      gemalt = 0;
      w.PGN1->viewport()->repaint();
      waehrend = gemalt;
    };
    w.HeaderControlSectionClick(1);
    QCOMPARE(waehrend, 0);
    host.onProgress = nullptr;
    QCoreApplication::processEvents();  // the view lays out its new rows
    w.PGN1->viewport()->repaint();
    QVERIFY(gemalt > 0);
  }

  void openingANewFileAsksFirstAndTheSameFileReloads() {
    FakeHost host;
    TMDIPGN w(host);
    w.LoadFile(five_);
    QObject spiel;
    int detached = 0;
    w.AttachGameWindow(&spiel, [&] { ++detached; });

    host.dialogPath = dir_.filePath("neu");
    host.answer = false;
    w.sbOpenClick();
    QCOMPARE(host.questions, QStringList{RowText(8) + dir_.filePath("neu.pgn") + RowText(9)});
    QCOMPARE(w.windowTitle(), five_);
    QVERIFY(!QFile::exists(dir_.filePath("neu.pgn")) && detached == 0);

    QVERIFY(host.errors.isEmpty());  // declined: nothing to tell
    // A file that is no PGN file is not opened and not remembered, and says so;
    // so does one that cannot be read.
    host.dialogPath = WriteFile(dir_, "text.txt", "hello\nworld\n");
    w.sbOpenClick();
    QCOMPARE(w.windowTitle(), five_);
    QVERIFY(!host.History.contains(host.dialogPath));
    QCOMPARE(host.errors, QStringList{RowText(RowNoPGNFile) + "\n" + host.dialogPath});
    host.dialogPath = dir_.path();
    w.sbOpenClick();
    QCOMPARE(w.windowTitle(), five_);
    QCOMPARE(host.errors.size(), 2);
    QVERIFY(host.errors.back().startsWith(RowText(20) + "\n" + dir_.path() + "\n"));

    host.answer = true;
    host.dialogPath = dir_.filePath("neu");
    w.sbOpenClick();
    QCOMPARE(w.windowTitle(), dir_.filePath("neu.pgn"));
    QCOMPARE(w.PGN1->RowCount(), 0);
    QCOMPARE(host.History.front(), dir_.filePath("neu.pgn"));
    QCOMPARE(detached, 1);  // the game numbers meant games of the other file
    QVERIFY(!w.HasGameWindows());

    // The same file loaded again is listed anew only when rewritten since.
    const QString pfad = WriteFile(dir_, "wieder.pgn", FiveGames());
    w.LoadFile(pfad);
    detached = 0;
    w.AttachGameWindow(&spiel, [&] { ++detached; });
    w.LoadFile(pfad);
    QVERIFY(w.PGN1->RowCount() == 5 && detached == 0);  // unchanged: nothing to do
    WriteFile(dir_, "wieder.pgn", FiveGames() + Game("[Event \"Angehaengt\"]"));
    w.LoadFile(pfad);
    QVERIFY(w.PGN1->RowCount() == 6 && detached == 0);  // grown: the numbers hold
    WriteFile(dir_, "wieder.pgn", Game("[Event \"Neu\"]") + FiveGames());
    w.LoadFile(pfad);
    QCOMPARE(w.PGN1->RowCount(), 6);
    QCOMPARE(detached, 1);
  }
};

QTEST_MAIN(GameListTest)
#include "game_list_window_qtest.moc"
