// The game window taking moves: mouse input through the rules, where moves
// go, the notices, appending the game and the questions while it is changed.
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QtTest>
#include <string>

#include "../board/board_test_util.h"
#include "game/tree_edit.h"
#include "languages/language_switcher.h"
#include "languages/language_table.h"
#include "settings/settings.h"
#include "viewer/game_window.h"

using namespace brevaro;
using brevaro::test::FakeUmgebung;
using brevaro::test::I;
using brevaro::test::Mitte;
using brevaro::test::N;

namespace {

class Dialoge : public TSpielfensterDialoge {
 public:
  QStringList Fehler, Hinweise, Fragen;
  bool Antwort = true;
  QString Datei;
  QString Kommentar;
  bool Anhaengen = false;  // Kommentar is added to the comment shown
  int Beeps = 0;
  void Fehlermeldung(QWidget*, const QString& t) override { Fehler << t; }
  void Hinweis(QWidget*, const QString& t) override { Hinweise << t; }
  void Piepen() override { ++Beeps; }
  bool Frage(QWidget*, const QString& t) override {
    Fragen << t;
    return Antwort;
  }
  QString Dateiwahl(QWidget*, const QString&) override { return Datei; }
  bool KommentarEingeben(QWidget*, QString& text) override {
    text = Anhaengen ? text + Kommentar : Kommentar;
    return true;
  }
};

void Ziehen(TBrett& b, const char* von, const char* nach,
            Qt::KeyboardModifiers tasten = Qt::NoModifier) {
  const QPoint p = Mitte(b, von), q = Mitte(b, nach);
  b.MausDruecken(Qt::LeftButton, tasten, p);
  b.MausBewegen(q);
  b.MausLoslassen(Qt::LeftButton, tasten, q);
}

void Klicken(TBrett& b, const char* feld) {
  b.MausDruecken(Qt::LeftButton, Qt::NoModifier, Mitte(b, feld));
  b.MausLoslassen(Qt::LeftButton, Qt::NoModifier, Mitte(b, feld));
}

// The current move as "e2e4".
std::string Zugtext(const TNotationModell& m) {
  const TZug& z = m.Aktuell->Zug;
  return std::string(FeldnameVonIndex(z.Von)) + std::string(FeldnameVonIndex(z.Nach));
}

}  // namespace

class ZugeingabeTest : public QObject {
  Q_OBJECT

  QMdiArea* area = nullptr;
  Dialoge dialoge;
  FakeUmgebung umgebung;
  TSettings settings;
  TSpielfensterRahmen rahmen;

  TMDIBrett* Oeffnen(const std::string& text) {
    TMDIBrett* w = TMDIBrett::Oeffnen(*area, nullptr, -1, text, rahmen);
    w->Brett1->setAnimation(0);
    return w;
  }
  const TNotationModell& M(TMDIBrett* w) { return w->Notation1->Modell(); }
  // The board shows the notation's position after the current move.
  bool BrettFolgt(TMDIBrett* w) { return w->Brett1->Stellung() == M(w).Arbeitsbrett(); }

 private slots:
  void init() {
    dialoge = Dialoge();
    umgebung.wahl = Dame;
    settings = TSettings();
    rahmen = TSpielfensterRahmen();
    rahmen.Settings = &settings;
    rahmen.Dialoge = &dialoge;
    rahmen.BrettUmgebung = &umgebung;
    area = new QMdiArea;
    area->resize(900, 700);
    area->show();
  }
  void cleanup() { delete area; }

  void entryIsOffByDefaultAndCtrlESwitchesItForNewWindows() {
    TMDIBrett* w = Oeffnen("[White \"A\"]\n[Black \"B\"]\n\n1.e4 e5 *\n");
    QVERIFY(!w->Zugeingabe());
    Ziehen(*w->Brett1, "e2", "e4");  // the viewer takes no moves
    QVERIFY(!M(w).Aktuell && BrettFolgt(w));
    QTest::keyClick(w->Brett1, Qt::Key_E, Qt::ControlModifier);
    QVERIFY(w->Zugeingabe() && w->mZugeingabe->isChecked() && settings.MoveEntry);
    QVERIFY(Oeffnen("")->Zugeingabe());
  }

  void mouseMovesFollowTheRules() {
    settings.MoveEntry = true;
    TMDIBrett* w = Oeffnen("[White \"A\"]\n[Black \"B\"]\n\n1.e4 e5 *\n");
    TBrett& b = *w->Brett1;
    Ziehen(b, "e2", "e4");  // the game's move: a step
    QCOMPARE(Zugtext(M(w)), std::string("e2e4"));
    QVERIFY(!M(w).GameChanged() && w->windowTitle() == "A - B");
    Ziehen(b, "e8", "e6");  // illegal: snaps back
    QCOMPARE(Zugtext(M(w)), std::string("e2e4"));
    QVERIFY(BrettFolgt(w));
    Klicken(b, "e7");  // the origin of the next move: one click plays it
    QCOMPARE(Zugtext(M(w)), std::string("e7e5"));
    Klicken(b, "g1");  // two moves: the knight is selected, framed
    QCOMPARE(b.Auswahl(), N("g1"));
    Klicken(b, "f3");
    QCOMPARE(Zugtext(M(w)), std::string("g1f3"));
    QVERIFY(M(w).GameChanged() && w->windowTitle() == "A - B *");
    QVERIFY(BrettFolgt(w));
    QVERIFY(w->Notation1->Modell().Notationstext.find("2.Sf3") != std::string::npos);
  }

  void promotionAndFischerRandomCastling() {
    settings.MoveEntry = true;
    TMDIBrett* w = Oeffnen("[FEN \"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1\"]\n\n*\n");
    Ziehen(*w->Brett1, "b7", "b8");
    QCOMPARE(M(w).Aktuell->Zug.Umwandlung, int8_t(Dame));
    QVERIFY(M(w).Aktuell->Zug.Zeichen & Schach);
    QVERIFY(BrettFolgt(w));
    TMDIBrett* v = Oeffnen("[FEN \"rk2r3/pppppppp/8/8/8/8/PPPPPPPP/1R2K2R w KQkq f1 0 1\"]\n\n*\n");
    Ziehen(*v->Brett1, "e1", "h1", Qt::ControlModifier);  // the king onto its rook
    QCOMPARE(M(v).Aktuell->Zug.Rochade, uint8_t(FischerKurz));
    QVERIFY(BrettFolgt(v));
    QCOMPARE(v->Brett1->Stellung()[I("f1")], Turm);
  }

  void threefoldRepetitionNoticeComesOnce() {
    settings.MoveEntry = true;
    TMDIBrett* w = Oeffnen("*\n");
    const char* zuege[][2] = {{"g1", "f3"}, {"g8", "f6"}, {"f3", "g1"}, {"f6", "g8"}};
    for (int i = 0; i < 12; ++i) Ziehen(*w->Brett1, zuege[i % 4][0], zuege[i % 4][1]);
    QCOMPARE(dialoge.Hinweise, QStringList{QtText(Languages().LanguageText(3))});
  }

  void editsAndUndoFromTheNotation() {
    settings.MoveEntry = true;
    TMDIBrett* w = Oeffnen("1.e4 e5 *\n");
    Ziehen(*w->Brett1, "d2", "d4");  // a new variation
    dialoge.Kommentar = QStringLiteral("sharp");
    w->mKommentar->trigger();
    QCOMPARE(M(w).Aktuell->Kommentar, std::string("{sharp}"));
    w->mHeraufstufen->trigger();
    QCOMPARE(M(w).Wurzel->Erster->Kommentar, std::string("{sharp}"));
    for (int i = 0; i < 3; ++i) QTest::keyClick(w->Notation1, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!M(w).GameChanged() && !M(w).Wurzel->Erster->Varianten);
    QVERIFY(BrettFolgt(w));
    QTest::keyClick(w->Notation1, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(dialoge.Beeps, 1);  // nothing left to undo

    // A Windows-1252 comment keeps its quotes, dash and accent when edited.
    TMDIBrett* v = Oeffnen("1.e4 {\x93Zeitnot\x94 \x96 \xE9} e5 *\n");
    QTest::keyClick(v->Notation1, Qt::Key_Right);
    dialoge.Kommentar = QStringLiteral(" gut");
    dialoge.Anhaengen = true;
    v->mKommentar->trigger();
    QCOMPARE(M(v).Aktuell->Kommentar, std::string("{\x93Zeitnot\x94 \x96 \xE9 gut}"));
  }

  void appendIsByteExactAndClosingAsksOnlyWhenChanged() {
    settings.MoveEntry = true;
    QTemporaryDir dir;
    const QString pfad = dir.filePath(QStringLiteral("ziel.pgn"));
    const QByteArray vorher = "[Event \"x\"]\n\n1.d4 *\n";
    {
      QFile f(pfad);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(vorher);
    }
    TMDIBrett* w = Oeffnen("[White \"A\"]\n[Black \"B\"]\n\n1.e4 e5 *\n");
    QVERIFY(w->close());  // unchanged: no question
    QVERIFY(dialoge.Fragen.isEmpty());

    w = Oeffnen("[White \"A\"]\n[Black \"B\"]\n\n1.e4 e5 *\n");
    Ziehen(*w->Brett1, "d2", "d4");
    const std::string pgn = w->Notation1->Modell().PGNSchreiben();
    QTest::keyClick(w->Brett1, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text().toStdString(), pgn);
    dialoge.Antwort = false;
    QVERIFY(!w->close());  // changed: "No" keeps the window
    QCOMPARE(dialoge.Fragen.size(), 1);
    dialoge.Antwort = true;
    dialoge.Datei = pfad;
    w->mAnhaengen->trigger();
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), vorher + "\n\n" + QByteArray::fromStdString(pgn));
    QVERIFY(!M(w).GameChanged() && w->windowTitle() == "A - B");
    // A new name is created empty first.
    const QString neu = dir.filePath(QStringLiteral("neu.pgn"));
    QVERIFY(w->PartieAnhaengen(neu));
    QFile n(neu);
    QVERIFY(n.open(QIODevice::ReadOnly));
    QCOMPARE(n.readAll(), "\r\n\r\n" + QByteArray::fromStdString(pgn));
  }
};

QTEST_MAIN(ZugeingabeTest)
#include "move_entry_qtest.moc"
