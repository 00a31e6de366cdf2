#include "viewer/game_window.h"

#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSplitter>
#include <QToolButton>
#include <QtTest>
#include <string>
#include <tuple>
#include <vector>

#include "../board/board_test_util.h"
#include "board/board_platform.h"
#include "languages/language_switcher.h"
#include "languages/language_table.h"
#include "settings/settings.h"

using namespace brevaro;

namespace {

// Three games in a list; the current row is kept as a game-list window would.
class Liste : public TPartienquelle {
 public:
  std::vector<std::string> Spiele = {
      "[White \"Anna\"]\n[Black \"Bert\"]\n\n1.e4 e5 2.Nf3 Nc6 *\n",
      "[White \"Carl\"]\n[Black \"D\xFCrr\"]\n\n1.d4 d5 (1...Nf6 2.c4) 2.c4 *\n",
      "[White \"Eva\"]\n[Black \"Finn\"]\n\n1.c4 *\n"};
  int64_t Aktuell = -1;
  std::vector<int64_t> Gesetzt;
  int64_t RowCount() const override { return static_cast<int64_t>(Spiele.size()); }
  int64_t CurrentRow() const override { return Aktuell; }
  void SetCurrentRow(int64_t row) override {
    Aktuell = row;
    Gesetzt.push_back(row);
  }
  // Rows sorted: game = row + 10.
  int64_t GameOfRow(int64_t row) const override { return row + 10; }
  std::string GetGame(int64_t game) override {
    const int64_t i = game - 10;
    return i >= 0 && i < RowCount() ? Spiele[static_cast<size_t>(i)] : std::string();
  }
};

// The games of a PGN file, split at "[Event " lines.
std::vector<std::string> Spiele(const char* pfad) {
  QFile f(QString::fromUtf8(pfad));
  if (!f.open(QIODevice::ReadOnly)) return {};
  const std::string text = f.readAll().toStdString();
  std::vector<std::string> spiele;
  size_t anfang = text.find("[Event ");
  while (anfang != std::string::npos) {
    const size_t naechstes = text.find("\n[Event ", anfang + 1);
    spiele.push_back(text.substr(
        anfang, naechstes == std::string::npos ? std::string::npos : naechstes + 1 - anfang));
    anfang = naechstes == std::string::npos ? naechstes : naechstes + 1;
  }
  return spiele;
}

class Hauptzug : public TVariantenwahlFrage {
 public:
  int Waehlen(const std::vector<std::string>&, bool) override { return 0; }
};

class Dialoge : public TSpielfensterDialoge {
 public:
  int Beeps = 0;
  QStringList Fehler, Hinweise;
  void Fehlermeldung(QWidget*, const QString& t) override { Fehler << t; }
  void Hinweis(QWidget*, const QString& t) override { Hinweise << t; }
  void Piepen() override { ++Beeps; }
};

}  // namespace

class BrettfensterTest : public QObject {
  Q_OBJECT

  QMdiArea* area = nullptr;
  Liste* liste = nullptr;
  Dialoge dialoge;
  test::FakeUmgebung umgebung;
  TSettings settings;
  TSpielfensterRahmen rahmen;

  // The board has the largest square size that fits its panel, and every
  // control lies inside the window with the notation at its least width.
  static bool Passt(TMDIBrett* w) {
    QCoreApplication::processEvents();
    const int g = w->Brett1->Groesse();
    if (g != QuadratGroesse(w->pBrett->width(), w->pBrett->height(), w->Randbreite())) {
      qWarning() << "square" << g << "panel" << w->pBrett->size();
      return false;
    }
    if (w->pNotation->width() < NotationMinBreite) return false;
    const QRect innen = w->rect();
    for (QWidget* c : std::initializer_list<QWidget*>{w->Brett1, w->pBoard, w->pButtons, w->bPrev,
                                                      w->bNext, w->Notation1, w->sbPrev, w->sbBack,
                                                      w->sbAhead, w->sbNext}) {
      const QRect r(c->mapTo(w, QPoint(0, 0)), c->size());
      if (!innen.contains(r)) {
        qWarning() << c->metaObject()->className() << r << "outside" << innen;
        return false;
      }
    }
    return true;
  }

  TMDIBrett* Oeffnen(int64_t row) {
    liste->Aktuell = row;
    return TMDIBrett::Oeffnen(*area, liste, row + 10, liste->GetGame(row + 10), rahmen);
  }

 private slots:
  void init() {
    area = new QMdiArea;
    area->resize(900, 600);
    area->show();
    liste = new Liste;
    settings = TSettings{};
    rahmen = TSpielfensterRahmen{};
    rahmen.Settings = &settings;
    rahmen.Dialoge = &dialoge;
    rahmen.BrettUmgebung = &umgebung;
    dialoge = Dialoge{};
    umgebung.pausen.clear();
    umgebung.wahl = Dame;
  }
  void cleanup() {
    delete area;
    delete liste;
  }

  // A single step forward is animated, the other steps set the whole position;
  // keys on the board reach the notation.
  void steppingUpdatesTheBoard() {
    TMDIBrett* w = Oeffnen(0);
    TNotationModell& m = w->Notation1->Modell();
    QTest::mouseClick(w->sbAhead, Qt::LeftButton);
    QVERIFY(!umgebung.pausen.isEmpty());
    w->Brett1->setFocus();
    QTest::keyClick(w->Brett1, Qt::Key_Right);
    QCOMPARE(m.Aktuell, m.Wurzel->Erster->Naechster);
    QCOMPARE(w->Brett1->Zug().AmZug, m.AktuellerZug().AmZug);
    QTest::keyClick(w->Brett1, Qt::Key_Home);
    QVERIFY(m.Aktuell == nullptr);
    QCOMPARE(w->Brett1->Stellung(), GrundstellungBrett);
    const auto pausen = umgebung.pausen.size();
    QTest::mouseClick(w->sbNext, Qt::LeftButton);
    QVERIFY(m.Aktuell && !m.Aktuell->Naechster);
    QTest::mouseClick(w->sbBack, Qt::LeftButton);
    QCOMPARE(w->Brett1->Stellung(), m.Arbeitsbrett());
    QTest::mouseClick(w->sbPrev, Qt::LeftButton);
    QCOMPARE(w->Brett1->Stellung(), GrundstellungBrett);
    QCOMPARE(umgebung.pausen.size(), pausen);
    // The wheel over the board: a move a notch, a touchpad's small turns added up.
    for (const int dy : {-60, -60, -120, 120}) {
      QWheelEvent rad(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, dy), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
      QApplication::sendEvent(w->Brett1, &rad);
    }
    QCOMPARE(m.Aktuell, m.Wurzel->Erster);
  }

  void boardFollowsEverySampleGameStepByStep() {
    liste->Spiele = Spiele(BREVARO_SAMPLES "/classics.pgn");
    QVERIFY(liste->Spiele.size() >= 5);
    // En passant and promotions of both colours.
    liste->Spiele.push_back(
        "[White \"W\"]\n[Black \"B\"]\n[FEN \"4k3/1P6/8/3pP3/8/8/p7/4K2R w K d6 0 1\"]\n\n"
        "1.exd6 a1=Q+ 2.Ke2 Qb2+ 3.Kf3 Kd7 4.b8=N+ Kxd6 *\n");
    Hauptzug hauptzug;
    for (int64_t row = 0; row < liste->RowCount(); ++row) {
      TMDIBrett* w = Oeffnen(row);
      w->Notation1->setVariantenwahl(&hauptzug);
      const TNotationModell& m = w->Notation1->Modell();
      QVERIFY(m.Wurzel && m.Wurzel->Erster);
      // A Fischer Random game's information reaches board and notation.
      const bool fischer =
          liste->Spiele[static_cast<size_t>(row)].find(" f1 ") != std::string::npos;
      QCOMPARE(w->FischerKopie().Fischer != 0, fischer);
      QCOMPARE(w->Brett1->FischerInfo(), fischer ? &w->FischerKopie() : nullptr);
      QCOMPARE(m.FischerInfo(), fischer ? &w->FischerKopie() : nullptr);
      int schritte = 0;
      do {
        QTest::mouseClick(w->sbAhead, Qt::LeftButton);
        ++schritte;
        QVERIFY2(w->Brett1->Stellung() == m.Arbeitsbrett(),
                 qPrintable(QStringLiteral("game %1, ply %2").arg(row).arg(schritte)));
      } while (m.Aktuell->Naechster);
      QVERIFY(dialoge.Fehler.isEmpty());
      // And back to the start by single steps.
      while (m.Aktuell) QTest::mouseClick(w->sbBack, Qt::LeftButton);
      QCOMPARE(w->Brett1->Stellung(), m.Partiedaten.StartBrett);
      w->parentWidget()->close();
    }
  }

  void previousAndNextWrapAroundUntilDetached() {
    TMDIBrett* w = Oeffnen(2);
    QTest::mouseClick(w->bNext, Qt::LeftButton);  // last row -> first, beep
    QCOMPARE(dialoge.Beeps, 1);
    QCOMPARE(liste->Aktuell, int64_t{0});
    QCOMPARE(w->GameID(), int64_t{10});
    QCOMPARE(w->windowTitle(), QStringLiteral("Anna - Bert"));
    QTest::mouseClick(w->bNext, Qt::LeftButton);
    QCOMPARE(w->GameID(), int64_t{11});
    QTest::mouseClick(w->bPrev, Qt::LeftButton);
    QTest::mouseClick(w->bPrev, Qt::LeftButton);  // first row -> last, beep
    QCOMPARE(dialoge.Beeps, 2);
    QCOMPARE(w->windowTitle(), QStringLiteral("Eva - Finn"));
    // No current row: Next takes the first, Previous the last, without a beep.
    liste->Aktuell = -1;
    w->NaechstePartie();
    QCOMPARE(liste->Aktuell, int64_t{0});
    liste->Aktuell = -1;
    w->VorigePartie();
    QCOMPARE(liste->Aktuell, int64_t{2});
    QCOMPARE(dialoge.Beeps, 2);
    // An unreadable game changes only the list's row.
    liste->Spiele[0].clear();
    w->NaechstePartie();
    QCOMPARE(liste->Aktuell, int64_t{0});
    QCOMPARE(w->GameID(), int64_t{12});
    QCOMPARE(w->windowTitle(), QStringLiteral("Eva - Finn"));
    // Detached from the list, every window of it stops stepping.
    TMDIBrett* v = Oeffnen(1);
    QCOMPARE(liste->Nutzer().size(), size_t{2});
    liste->AlleAbkoppeln();
    for (TMDIBrett* f : {w, v}) {
      QVERIFY(f->GameList() == nullptr && f->GameID() == -1);
      QVERIFY(!f->bPrev->isEnabled() && !f->bNext->isEnabled());
    }
    v->NaechstePartie();  // nothing: no list
    QCOMPARE(v->windowTitle(), QStringLiteral("Carl - Dürr"));
  }

  void boardCommandsAndANewPosition() {
    TMDIBrett* w = Oeffnen(0);
    auto beschriftung = [w] {  // ranks, then files
      QString s;
      for (int k = 1; k <= 16; ++k) s += w->Koordinate(k, 0)->text();
      return s;
    };
    QCOMPARE(beschriftung(), QStringLiteral("87654321ABCDEFGH"));
    // Top to bottom and left to right on screen.
    QVERIFY(w->Koordinate(1, 0)->y() < w->Koordinate(8, 0)->y());
    QVERIFY(w->Koordinate(9, 1)->x() < w->Koordinate(16, 1)->x());
    QVERIFY(w->Koordinate(9, 0)->y() > w->Koordinate(9, 1)->y());
    w->mDrehen->trigger();
    QCOMPARE(beschriftung(), QStringLiteral("12345678HGFEDCBA"));
    QVERIFY(w->Brett1->Gedreht());
    w->mDrehen->trigger();
    QCOMPARE(beschriftung(), QStringLiteral("87654321ABCDEFGH"));
    QVERIFY(!w->Brett1->Gedreht());
    // Messages off keep the rule hints back; blind boards cannot be printed.
    QVERIFY(w->mMessages->isChecked());
    w->mMessages->trigger();
    QVERIFY(w->MeldungenAus());
    w->Notation1->Modell().On50MovesRule();
    QVERIFY(dialoge.Hinweise.isEmpty());
    w->mMessages->trigger();
    QVERIFY(w->mMessages->isChecked());
    QVERIFY(!w->MeldungenAus());
    w->Notation1->Modell().On3Repetition();
    QCOMPARE(dialoge.Hinweise.size(), 1);
    w->Blind1->trigger();
    QVERIFY(w->Brett1->Blind());
    QVERIFY(!w->mPrint->isEnabled());
    // A new position from the board starts an empty game.
    TSchachbrett b{};
    TZug z{};
    uint16_t nummer = 1;
    QVERIFY(FENToStellung("4k3/8/8/8/8/8/8/4K3 w - - 0 30", b, z, nummer));
    w->Brett1->OnNewPosition(w->Brett1, b, z, nummer);
    const TNotationModell& m = w->Notation1->Modell();
    QCOMPARE(m.Partiedaten.StartBrett, b);
    QVERIFY(!m.Wurzel || !m.Wurzel->Erster);
    QCOMPARE(w->windowTitle(), QStringLiteral("Anna - Bert *"));  // the header stays, changed
  }

  void squareSizeIsTheLargestThatFits() {
    using S = TFigurenset;
    const std::tuple<int, int, int, S> faelle[] = {
        // width, height: square size, set
        {32 + 42 * 8, 900, 42, S::WinboardF40},
        {32 + 33 * 8 + 7, 900, 33, S::WinboardF33},
        {900, 58 + 29 * 8 + 3, 29, S::WinboardF29},  // by height
        {32 + 90 * 8, 900, 90, S::WinboardF80},      // above 80
        {32 + 10 * 8, 900, 16, S::F16},              // below 16
        {100000, 100000, MaxQuadrat, S::WinboardF80}};
    for (auto [breite, hoehe, groesse, satz] : faelle) {
      QCOMPARE(QuadratGroesse(breite, hoehe, 32), groesse);
      QCOMPARE(FigurensatzFuer(groesse), satz);
    }
  }

  // The board panel follows the splitter: every step keeps every control
  // inside the window and the notation at its least width.
  void everyControlFitsAtEveryStepOfTheSplitter() {
    area->resize(1600, 1000);
    TMDIBrett* w = Oeffnen(0);
    w->parentWidget()->resize(900, 600);
    for (int links = 0; links <= 900; links += 7) {
      w->Splitter1->setSizes({links, 900 - links});
      QVERIFY2(Passt(w), qPrintable(QString::number(links)));
    }
    QCOMPARE(w->pNotation->width(), NotationMinBreite);
    QCOMPARE(int(w->Brett1->Figuren()), int(FigurensatzFuer(w->Brett1->Groesse())));
    // Too small a window is held at its least size.
    w->parentWidget()->resize(50, 50);
    QVERIFY(Passt(w));
    // The board follows maximise, restore, tile and cascade.
    auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    sub->resize(515, 350);
    QVERIFY(Passt(w));
    const int klein = w->Brett1->Groesse();
    sub->showMaximized();
    QVERIFY(Passt(w));
    QVERIFY(w->Brett1->Groesse() > klein + 20);
    sub->showNormal();
    QVERIFY(Passt(w));
    QCOMPARE(w->Brett1->Groesse(), klein);
    TMDIBrett* v = Oeffnen(1);
    area->tileSubWindows();
    QVERIFY(Passt(w) && Passt(v));
    area->cascadeSubWindows();
    QVERIFY(Passt(w) && Passt(v));
    // A window opened while another is maximised opens maximised.
    sub->showMaximized();
    TMDIBrett* u = Oeffnen(2);
    QVERIFY(u->parentWidget()->isMaximized());
    QVERIFY(Passt(u));
  }

  void storedSizesAreClampedToTheRoomThereIs_data() {
    QTest::addColumn<int>("breite");
    QTest::addColumn<int>("hoehe");
    QTest::addColumn<int>("brettSize");
    QTest::addColumn<QSize>("fenster");
    QTest::newRow("fits") << 700 << 500 << 400 << QSize(700, 500);
    QTest::newRow("board panel too wide") << 551 << 400 << 540 << QSize(551, 400);
    QTest::newRow("too big") << 5000 << 4000 << 4900 << QSize(900, 600);
    QTest::newRow("too small") << 50 << 50 << 30 << QSize(515, 350);
  }
  void storedSizesAreClampedToTheRoomThereIs() {
    QFETCH(int, breite);
    QFETCH(int, hoehe);
    QFETCH(int, brettSize);
    QFETCH(QSize, fenster);
    settings.BrettWidth = breite;
    settings.BrettHeight = hoehe;
    settings.BrettSize = brettSize;
    TMDIBrett* w = Oeffnen(0);
    QCOMPARE(w->parentWidget()->size(), fenster.boundedTo(area->viewport()->size()));
    QVERIFY(Passt(w));
    if (brettSize > 50 && breite <= fenster.width()) {
      // The stored board panel width holds where the notation keeps its room.
      const int links = std::min(brettSize, w->width() - 3 - NotationMinBreite);
      QCOMPARE(w->Brett1->Groesse(), QuadratGroesse(links, w->pBrett->height(), 32));
    }
  }

  void closeQueryRefusesDuringLongOperationsAndStoresSizes() {
    bool laeuft = true;
    rahmen.ProgressRunning = [&laeuft] { return laeuft; };
    TMDIBrett* w = Oeffnen(0);
    QPointer<QMdiSubWindow> sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    sub->resize(640, 420);
    w->Brett1->setBlackSquareColor(qRgb(10, 20, 30));
    QVERIFY(!sub->close());
    QVERIFY(!sub.isNull());
    QCOMPARE(settings.BrettWidth, 0);
    laeuft = false;
    const int pbrett = w->pBrett->width();
    QVERIFY(sub->close());
    QCOMPARE(settings.BrettWidth, 640);
    QCOMPARE(settings.BrettHeight, 420);
    QCOMPARE(settings.BrettSize, pbrett);
    QCOMPARE(settings.BlackSquare, (30 << 16) | (20 << 8) | 10);
    QCOMPARE(settings.WhiteSquare, (179 << 16) | (228 << 8) | 244);
    // The stored values are applied to the next window.
    TMDIBrett* v = Oeffnen(1);
    QCOMPARE(v->parentWidget()->size(), QSize(640, 420));
    QCOMPARE(v->Brett1->BlackSquareColor(), qRgb(10, 20, 30));
    QCOMPARE(v->pBrett->width(), pbrett);
    QVERIFY(Passt(v));
  }

  void readingErrorIsShown() {
    liste->Spiele[0] = "[White \"A\"]\n[Black \"B\"]\n\n1.e4 e5 2.Qh7 Nc6 *\n";
    Oeffnen(0);
    QCOMPARE(dialoge.Fehler.size(), 1);
    QVERIFY(dialoge.Fehler[0].startsWith(QStringLiteral("Beim Einlesen der Züge")));
  }
};

QTEST_MAIN(BrettfensterTest)
#include "game_window_qtest.moc"
