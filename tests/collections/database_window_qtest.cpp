#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/settings.h"
#include "collections/database_window.h"
#include "collections/pgn_widget.h"
#include "collections/pgn_window.h"
#include "collections/pgnindex.h"
#include "fake_host.h"

using namespace brevaro;
using namespace brevaro::test;

namespace {

std::string Games() {
  return Game("[Event \"A\"]\n[White \"Dora\"]\n[Black \"Emil\"]") +
         Game("[Event \"B\"]\n[White \"Anna\"]\n[Black \"Emil\"]", "1. d4 d5 *") +
         Game("[Event \"C\"]\n[White \"Carl\"]\n[Black \"Emil\"]", "1. c4 { note } *") +
         Game("[Event \"D\"]\n[White \"Bert\"]\n[Black \"Emil\"]", "1. Nf3 *");
}

const std::string Target = "[Event \"T\"]\r\n[White \"X\"]\r\n[Black \"Y\"]\r\n\r\n1. e4 *\r\n";

// Marks these display rows of a list.
void Mark(TPGN& list, std::initializer_list<int> rows) {
  list.clearSelection();
  for (int r : rows) {
    list.selectionModel()->select(list.model()->index(r, 0), QItemSelectionModel::Select);
  }
}

// A frame stand-in with a source game list and a database window listing
// `files`, all in one MDI area.
struct Scene {
  QMdiArea area;
  FakeHost host{&area};
  TMDIPGN* list = nullptr;
  TMDIDatabase* db = nullptr;

  Scene(const QString& source, const QStringList& files) {
    list = new TMDIPGN(host);
    area.addSubWindow(list);
    list->LoadFile(source);
    db = new TMDIDatabase(host);
    area.addSubWindow(db);
    std::vector<std::string> history;
    for (const QString& f : files) history.push_back(HistoryEntry(PfadBytes(f)));
    db->SetHistory(history);
  }
};

}  // namespace

class DatabaseWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString source_;

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    source_ = WriteFile(dir_, "source.pgn", Games());
  }

  void listsTheHistoryAndOpensAnEntry() {
    const QString a = dir_.filePath("a b.pgn");
    const QString b = dir_.filePath("x\"y.pgn");
    Scene s(source_, {a, b});
    QCOMPARE(s.db->windowTitle(), RowText(60));
    QCOMPARE(s.db->size(), QSize(275, 147));
    QCOMPARE(s.db->lbDatabase->count(), 2);
    QCOMPARE(s.db->lbDatabase->item(0)->text(), "a b.pgn   \"" + a + "\"");
    QCOMPARE(s.db->EntryPath(1), b);
    QCOMPARE(s.db->EntryPath(2), QString());
    QStringList opened;
    s.host.OnOpenPGNFile = [&](const QString& p) { opened << p; };
    s.db->lbDatabase->setCurrentRow(1);
    QTest::keyClick(s.db->lbDatabase, Qt::Key_Return);
    QCOMPARE(opened, QStringList{b});
    s.area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.area));
    const QRect r = s.db->lbDatabase->visualItemRect(s.db->lbDatabase->item(0));
    QTest::mousePress(s.db->lbDatabase->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(s.db->lbDatabase->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(opened, (QStringList{b, a}));
  }

  void droppedGamesAreAppendedInDisplayOrder() {
    const QString target = WriteFile(dir_, "target.pgn", Target);
    Scene s(source_, {target});
    s.list->HeaderControlSectionClick(1);  // players: Anna, Bert, Carl, Dora
    QCOMPARE(s.list->PGN1->GameOfRow(0), 1);
    Mark(*s.list->PGN1, {3, 0, 2});  // Dora, Anna, Carl
    bool disabledMeanwhile = false;
    s.host.onProgress = [&](int) {
      disabledMeanwhile = !s.db->isEnabled() && !s.list->isEnabled() && s.db->Collecting();
    };
    s.db->DropGames(s.list->PGN1, 0);
    QCOMPARE(s.host.questions, QStringList{RowText(17) + target + RowText(18)});
    QVERIFY(s.host.errors.isEmpty());
    QVERIFY(disabledMeanwhile);
    QVERIFY(s.db->isEnabled() && s.list->isEnabled());
    const TPGN& src = *s.list->PGN1;
    const std::string expected = Target + "\r\n\r\n" + src.ReadGameText(1) + "\r\n\r\n" +
                                 src.ReadGameText(2) + "\r\n\r\n" + src.ReadGameText(0);
    QCOMPARE(ReadFile(target), expected);
    QVERIFY(src.ReadGameText(2).ends_with("1. c4 { note } *"));

    TPGNIndex index;
    index.SetFileName(PfadBytes(target));
    QCOMPARE(index.GameCount(), 4);
    QCOMPARE(index.ReadGameHeader(3).White, std::string("Dora"));
  }

  void appendingToAnEmptyFile() {
    const QString target = WriteFile(dir_, "empty.pgn", "");
    Scene s(source_, {target});
    Mark(*s.list->PGN1, {0, 1, 2, 3});
    s.db->DropGames(s.list->PGN1, 0);
    const std::string text = ReadFile(target);
    QVERIFY(text.starts_with("\r\n\r\n[Event \"A\"]"));
    TPGNIndex index;
    index.SetFileName(PfadBytes(target));
    QCOMPARE(index.GameCount(), 4);
  }

  void refusalsChangeNothing() {
    struct Fall {
      const char* name;
      std::function<QString(Scene&, const QString& target)> prepare;  // the entry's path
      int questions;
      QString error;  // empty: none; else the start of the message
    };
    const std::vector<Fall> faelle = {
        {"onto the source file itself",
         [&](Scene& s, const QString&) {
           Mark(*s.list->PGN1, {0});
           return source_;
         },
         0,
         {}},
        {"no game marked",
         [](Scene& s, const QString& t) {
           s.list->PGN1->clearSelection();
           return t;
         },
         0,
         {}},
        {"target shown in a game list",
         [&](Scene& s, const QString& t) {
           auto* other = new TMDIPGN(s.host);
           s.area.addSubWindow(other);
           other->LoadFile(t);
           Mark(*s.list->PGN1, {0});
           return t;
         },
         0, "already"},
        {"answered No",
         [](Scene& s, const QString& t) {
           Mark(*s.list->PGN1, {0});
           s.host.answer = false;
           return t;
         },
         1,
         {}},
        {"target deleted since",
         [&](Scene& s, const QString&) {
           Mark(*s.list->PGN1, {0});
           return dir_.filePath("gone.pgn");
         },
         1, RowText(19)},
        {"target no PGN file",
         [&](Scene& s, const QString&) {
           Mark(*s.list->PGN1, {0});
           std::string text;
           for (int i = 0; i < 1200; ++i) text += "line\n";
           return WriteFile(dir_, "notes.pgn", text);
         },
         1, RowText(19)},
    };
    for (const Fall& f : faelle) {
      const QString target = WriteFile(dir_, "target.pgn", Target);
      Scene s(source_, {});
      const QString entry = f.prepare(s, target);
      const std::string before = ReadFile(entry);
      s.db->SetHistory({HistoryEntry(PfadBytes(entry))});
      s.db->DropGames(s.list->PGN1, 0);
      QVERIFY2(s.host.questions.size() == f.questions, f.name);
      if (f.error.isEmpty()) {
        QVERIFY2(s.host.errors.isEmpty(), f.name);
      } else {
        QVERIFY2(s.host.errors.size() == 1, f.name);
        if (f.error == "already") {
          QCOMPARE(s.host.errors.front(), RowText(15) + entry + RowText(16));
        } else {
          QVERIFY2(s.host.errors.front().startsWith(f.error), f.name);
        }
      }
      QVERIFY2(ReadFile(entry) == before, f.name);
      QVERIFY2(QFile::exists(entry) == !before.empty() || entry == dir_.filePath("gone.pgn"),
               f.name);
      QVERIFY2(s.db->isEnabled() && s.list->isEnabled(), f.name);
    }
    QVERIFY(!QFile::exists(dir_.filePath("gone.pgn")));
  }

  void stopAppendsTheGamesCollectedSoFar() {
    const QString target = WriteFile(dir_, "target.pgn", Target);
    Scene s(source_, {target});
    Mark(*s.list->PGN1, {0, 1, 2, 3});
    s.host.SetStopFlag(true);  // cleared when collecting starts
    bool closed = true;
    s.host.onProgress = [&](int percent) {
      if (percent == 0) return;
      closed = s.db->close() || s.list->close();  // refused while events run
      s.host.SetStopFlag(true);
    };
    s.db->DropGames(s.list->PGN1, 0);
    QVERIFY(!closed);
    QCOMPARE(ReadFile(target), Target + "\r\n\r\n" + s.list->PGN1->ReadGameText(0));
  }

  void dragsFromElsewhereAreRefused() {
    const QString a = WriteFile(dir_, "target.pgn", Target);
    Scene s(source_, {a, a});
    Mark(*s.list->PGN1, {0});
    s.area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.area));
    QWidget* vp = s.db->lbDatabase->viewport();
    const QPoint p = s.db->lbDatabase->visualItemRect(s.db->lbDatabase->item(1)).center();
    QMimeData daten;
    daten.setData(TPGN::GamesMimeType, "1");
    QDragMoveEvent over(p, Qt::CopyAction, &daten, Qt::LeftButton, {});
    QDragEnterEvent enter(p, Qt::CopyAction, &daten, Qt::LeftButton, {});
    QApplication::sendEvent(vp, &enter);
    QVERIFY(!enter.isAccepted());
    QApplication::sendEvent(vp, &over);
    QCOMPARE(s.db->lbDatabase->currentRow(), 1);  // the entry under the mouse is selected
    QVERIFY(!over.isAccepted());                  // but no game list is dragging
    QDropEvent drop(QPointF(p), Qt::CopyAction, &daten, Qt::LeftButton, {});
    QApplication::sendEvent(vp, &drop);
    QVERIFY(s.host.questions.isEmpty());
    QCOMPARE(ReadFile(a), Target);
  }

  // Needs a platform with drag and drop: run with QT_QPA_PLATFORM=xcb under
  // an X server.
  void aRealDragFromTheListAppends() {
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
      QSKIP("the offscreen platform has no drag and drop");
    }
    const QString target = WriteFile(dir_, "target.pgn", Target);
    Scene s(source_, {target});
    s.area.resize(800, 500);
    s.area.subWindowList().front()->setGeometry(0, 0, 400, 300);
    s.area.subWindowList().back()->setGeometry(420, 0, 300, 200);
    s.area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.area));
    TPGN& list = *s.list->PGN1;
    Mark(list, {2});
    const QPoint von = list.visualRect(list.model()->index(2, 0)).center();
    QWidget* vp = s.db->lbDatabase->viewport();
    const QPoint nach = s.db->lbDatabase->visualItemRect(s.db->lbDatabase->item(0)).center();
    QTimer::singleShot(100, [&] {
      QTest::mouseMove(vp, nach);
      QTest::mouseMove(vp, nach + QPoint(1, 0));
      QTest::mouseRelease(vp, Qt::LeftButton, {}, nach + QPoint(1, 0));
    });
    QTimer::singleShot(3000, [] { QDrag::cancel(); });
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, von);
    QTest::mouseMove(list.viewport(), von + QPoint(30, 5));
    QTest::mouseMove(list.viewport(), von + QPoint(60, 10));
    QTRY_COMPARE(s.host.questions.size(), 1);
    QCOMPARE(ReadFile(target), Target + "\r\n\r\n" + list.ReadGameText(2));
  }

  void escapeClosesAndStoresTheSize() {
    Scene s(source_, {});
    QMdiSubWindow* sub = s.area.subWindowList().back();
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->resize(300, 160);
    QPointer<QMdiSubWindow> p(sub);
    s.area.show();
    QTest::keyClick(s.db->lbDatabase, Qt::Key_Escape);
    QTRY_VERIFY(p.isNull());
    QCOMPARE(s.host.DatabaseHeight, 160);
    QCOMPARE(s.host.DatabaseWidth, 300);
  }
};

QTEST_MAIN(DatabaseWindowTest)
#include "database_window_qtest.moc"
