#include <QApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <array>

#include "collections/pgn_index.h"
#include "fake_host.h"
#include "languages/language_table.h"
#include "lists/database_window.h"
#include "lists/game_list_view.h"
#include "lists/game_list_window.h"
#include "settings/settings.h"

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
    QVERIFY(s.host.errors.isEmpty() && disabledMeanwhile);
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

  void refusalsChangeNothing() {
    enum Fehler { Keiner, Schon, Nicht, Geaendert };
    struct Fall {
      const char* name;
      int entry;      // 0: the target, 1: the source, 2: a deleted file, 3: a text file
      bool markiert;  // a game is marked in the source list
      bool gezeigt;   // the target is shown in a game list
      bool antwort;
      int questions;
      Fehler fehler;
    };
    const std::vector<Fall> faelle = {
        {"onto the source file itself", 1, true, false, true, 0, Keiner},
        {"no game marked", 0, false, false, true, 0, Keiner},
        {"target shown in a game list", 0, true, true, true, 0, Schon},
        {"answered No", 0, true, false, false, 1, Keiner},
        {"target deleted since", 2, true, false, true, 1, Nicht},
        {"target no PGN file", 3, true, false, true, 1, Nicht},
        {"source rewritten since it was read", 0, true, false, true, 0, Geaendert},
    };
    std::string notiz;
    for (int i = 0; i < 1200; ++i) notiz += "line\n";
    for (const Fall& f : faelle) {
      const QString target = WriteFile(dir_, "target.pgn", Target);
      const QString quelle =
          f.fehler == Geaendert ? WriteFile(dir_, "rewritten.pgn", Games()) : source_;
      Scene s(quelle, {});
      if (f.fehler == Geaendert) WriteFile(dir_, "rewritten.pgn", "\n" + Games());
      const QString entry = std::array{target, source_, dir_.filePath("gone.pgn"),
                                       WriteFile(dir_, "notes.pgn", notiz)}[f.entry];
      if (f.gezeigt) {
        auto* other = new TMDIPGN(s.host);
        s.area.addSubWindow(other);
        other->LoadFile(target);
      }
      if (f.markiert)
        Mark(*s.list->PGN1, {0});
      else
        s.list->PGN1->clearSelection();
      s.host.answer = f.antwort;
      const std::string before = ReadFile(entry);
      s.db->SetHistory({HistoryEntry(PfadBytes(entry))});
      s.db->DropGames(s.list->PGN1, 0);
      QVERIFY2(s.host.questions.size() == f.questions, f.name);
      const QStringList fehler = {QString(), RowText(15) + entry + RowText(16), RowText(19),
                                  RowText(RowSourceChanged)};
      QVERIFY2(s.host.errors.size() == (f.fehler == Keiner ? 0 : 1), f.name);
      if (f.fehler != Keiner) QVERIFY2(s.host.errors.front().startsWith(fehler[f.fehler]), f.name);
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
};

QTEST_MAIN(DatabaseWindowTest)
#include "database_window_qtest.moc"
