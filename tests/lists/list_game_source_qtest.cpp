// The game window opened from a real game-list window of the samples.
#include "lists/list_game_source.h"

#include <QComboBox>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "fake_host.h"
#include "lists/game_list_view.h"
#include "lists/game_list_window.h"
#include "viewer/game_window.h"
#include "viewer/notation_view.h"

using namespace brevaro;

namespace {

class Stumm : public TSpielfensterDialoge {
 public:
  int Beeps = 0;
  void Fehlermeldung(QWidget*, const QString&) override {}
  void Hinweis(QWidget*, const QString&) override {}
  void Piepen() override { ++Beeps; }
};

// A frame stand-in whose host opens the games of a list in game windows.
struct Rahmen {
  QMdiArea area;
  test::FakeHost host{&area};
  Stumm stumm;
  TSpielfensterRahmen rahmen;
  Rahmen() {
    rahmen.Dialoge = &stumm;
    host.OnOpenGame = [this](TMDIPGN* list, const std::string& text, int64_t id) {
      TMDIBrett::Oeffnen(area, ListenQuelle(list), id, text, rahmen);
    };
  }
  TMDIBrett* Letztes() { return qobject_cast<TMDIBrett*>(area.subWindowList().last()->widget()); }
};

}  // namespace

class ListenquelleTest : public QObject {
  Q_OBJECT

 private slots:
  void gameWindowsOfAGameList() {
    Rahmen r;
    r.area.resize(1000, 700);
    r.area.show();
    auto* liste = new TMDIPGN(r.host);
    r.area.addSubWindow(liste)->show();
    QVERIFY(liste->LoadFile(QStringLiteral(BREVARO_SAMPLES "/classics.pgn")));
    const int64_t zeilen = liste->PGN1->RowCount();
    QVERIFY(zeilen >= 5);

    liste->PGN1->MarkOnly(zeilen - 1);
    liste->PGN1->OpenCurrentGame();
    QCOMPARE(r.area.subWindowList().size(), 2);
    TMDIBrett* w = r.Letztes();
    QVERIFY(w);
    QCOMPARE(w->GameList(), static_cast<TPartienquelle*>(ListenQuelle(liste)));
    QCOMPARE(w->GameID(), liste->PGN1->GameOfRow(zeilen - 1));
    QVERIFY(liste->HasGameWindows());
    // Opening it again brings the same window forward.
    liste->PGN1->OpenCurrentGame();
    QCOMPARE(r.area.subWindowList().size(), 2);
    QCOMPARE(ListenQuelle(liste)->Nutzer().size(), size_t{1});

    // Next from the last row: a beep and the first game. A mark the user
    // added (row 2) survives; only the row left is unmarked.
    liste->PGN1->selectionModel()->select(liste->PGN1->Model().index(2),
                                          QItemSelectionModel::Select);
    QTest::mouseClick(w->bNext, Qt::LeftButton);
    QCOMPARE(r.stumm.Beeps, 1);
    QCOMPARE(liste->PGN1->CurrentRow(), int64_t{0});
    QCOMPARE(liste->PGN1->MarkedRows(), (std::vector<int64_t>{0, 2}));
    QCOMPARE(w->GameID(), liste->PGN1->GameOfRow(0));
    QVERIFY(w->windowTitle().startsWith(QStringLiteral("Morphy")));
    QTest::mouseClick(w->bPrev, Qt::LeftButton);  // back to the last row
    QCOMPARE(liste->PGN1->MarkedRows(), (std::vector<int64_t>{2, zeilen - 1}));

    // A closed game window leaves the list.
    w->parentWidget()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!liste->HasGameWindows());
    QVERIFY(ListenQuelle(liste)->Nutzer().empty());
  }

  // "Games with this position" lists the games that reach the board's
  // position; a game opened from that list shows the position found.
  void gamesWithThisPositionOpenAtTheHit() {
    QTemporaryDir ordner;
    const QString pfad = ordner.filePath(QStringLiteral("r.pgn"));
    QFile datei(pfad);
    QVERIFY(datei.open(QIODevice::WriteOnly));
    datei.write(
        "[Event \"a\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 *\n\n"
        "[Event \"b\"]\n\n1. d4 (1. e4 e5 2. Nf3 Nc6) 1... d5 *\n\n"
        "[Event \"c\"]\n\n1. Nf3 Nc6 2. e4 e5 3. Bc4 *\n");
    datei.close();
    Rahmen r;
    TMDIPGN liste(r.host);
    QVERIFY(liste.LoadFile(pfad));
    liste.PGN1->MarkOnly(0);
    liste.PGN1->OpenCurrentGame();
    TMDIBrett* w = r.Letztes();
    QVERIFY(w);
    for (int i = 0; i < 4; ++i) w->Notation1->ZugVor();
    const TSchachbrett ziel = w->Notation1->Modell().Arbeitsbrett();
    emit w->puBrett->aboutToShow();
    QVERIFY(w->mPositionSuchen->isEnabled());
    w->mPositionSuchen->trigger();
    QVERIFY(liste.sbFilter->isChecked());
    QCOMPARE(liste.cbStellungsart->currentIndex(), 1);
    QCOMPARE(liste.PGN1->RowCount(), int64_t{2});
    QCOMPARE(liste.PGN1->GameOfRow(1), int64_t{2});

    // The transposed game opens at its fourth move; with variations the
    // second game opens inside its variation.
    const auto oeffnen = [&](int64_t zeile) {
      liste.PGN1->MarkOnly(zeile);
      liste.PGN1->OpenCurrentGame();
      return r.Letztes();
    };
    TMDIBrett* zweites = oeffnen(1);
    QVERIFY(zweites && zweites != w);
    QVERIFY(zweites->Notation1->Modell().Aktuell);
    QVERIFY(zweites->Notation1->Modell().Arbeitsbrett() == ziel);
    QVERIFY(zweites->Brett1->Stellung() == ziel);  // the board shows it too
    liste.cbStellungsart->setCurrentIndex(2);
    liste.bFilterClick();
    QCOMPARE(liste.PGN1->RowCount(), int64_t{3});
    TMDIBrett* variante = oeffnen(1);
    QCOMPARE(variante->GameID(), int64_t{1});
    QVERIFY(variante->Notation1->Modell().Arbeitsbrett() == ziel);
    QVERIFY(variante->Brett1->Stellung() == ziel);

    // A game window without a list cannot search.
    TMDIBrett* allein = TMDIBrett::Oeffnen(r.area, nullptr, -1, "1. e4 *", r.rahmen);
    emit allein->puBrett->aboutToShow();
    QVERIFY(!allein->mPositionSuchen->isEnabled());
  }
};

QTEST_MAIN(ListenquelleTest)
#include "list_game_source_qtest.moc"
