#include "viewer/notation_view.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QListWidget>
#include <QTimer>
#include <QtTest>
#include <tuple>
#include <vector>

using namespace brevaro;

namespace {

class Skriptwahl : public TVariantenwahlFrage {
 public:
  int Antwort = 0;
  std::vector<std::string> Zeilen;
  int Waehlen(const std::vector<std::string>& zeilen, bool) override {
    Zeilen = zeilen;
    return Antwort;
  }
};

constexpr const char* Spiel =
    "[White \"M\xC3\xBCller, Hans\"]\n[Black \"Bert\"]\n[Event \"Cup\"]\n[Result \"1-0\"]\n\n"
    "{A short game with two levels of variations.} 1.e4 e5 2.Nf3 {The most common move} Nc6 "
    "(2...d6 {Philidor} 3.d4 (3.Bc4 Be7 (3...h6 4.d4)) 3...exd4) (2...Nf6 3.Nxe5) "
    "3.Bb5 a6 $1 (3...Nf6 4.O-O Nxe4 $14) 4.Ba4 Nf6 5.O-O Be7 6.Re1 b5 7.Bb3 d6 8.c3 O-O "
    "{Both sides have completed their development.} 9.h3 1-0\n";

// Every node of the tree, in text order.
std::vector<TBaum*> AlleKnoten(TNotationModell& m) {
  std::vector<TBaum*> alle;
  std::vector<TBaum*> stapel;
  if (m.Wurzel && m.Wurzel->Erster) stapel.push_back(m.Wurzel->Erster);
  while (!stapel.empty()) {
    TBaum* n = stapel.back();
    stapel.pop_back();
    alle.push_back(n);
    if (n->Naechster) stapel.push_back(n->Naechster);
    std::vector<TBaum*> varianten;
    for (TVariante* v = n->Varianten; v; v = v->Naechste) {
      if (v->Erster) varianten.push_back(v->Erster);
    }
    for (auto it = varianten.rbegin(); it != varianten.rend(); ++it) stapel.push_back(*it);
  }
  return alle;
}

}  // namespace

class NotationTest : public QObject {
  Q_OBJECT

  struct Ereignis {
    TZug zug;
    TSchachbrett stellung;
    bool next;
  };

  void Vorbereiten(TNotation& n, int breite = 420, int hoehe = 400) {
    FormularSchriften(n);
    n.setEnglish(true);
    n.setUeberschrift(true);
    n.resize(breite, hoehe);
    n.show();
    QCOMPARE(n.LadePartie(Spiel), 0);
    n.setVariantenwahl(&wahl);
    n.Beep = [this] { ++beeps; };
    n.Modell().OnMoveChange = [this](const TZug& z, const TSchachbrett& s, bool next) {
      ereignisse.push_back({z, s, next});
    };
    ereignisse.clear();
  }

  Skriptwahl wahl;
  std::vector<Ereignis> ereignisse;
  int beeps = 0;

 private slots:
  // A click on the mark of every move selects that move and reports its position.
  void everyMoveIsHitAtItsMark_data() {
    QTest::addColumn<QString>("datei");
    QTest::addColumn<int>("hoechstens");
    QTest::addColumn<QSize>("groesse");
    QTest::newRow("own, scrolled") << QString() << 1 << QSize(300, 150);
    QTest::newRow("samples") << QStringLiteral(BREVARO_SAMPLES "/classics.pgn") << 100
                             << QSize(360, 240);
    QTest::newRow("generated") << QStringLiteral(BREVARO_TEST_DATA "/game_synthetic_lf.pgn") << 12
                               << QSize(360, 240);
  }
  void everyMoveIsHitAtItsMark() {
    QFETCH(QString, datei);
    QFETCH(int, hoechstens);
    QFETCH(QSize, groesse);
    std::string alles = Spiel;
    if (!datei.isEmpty()) {
      QFile f(datei);
      QVERIFY(f.open(QIODevice::ReadOnly));
      alles = f.readAll().toStdString();
    }
    size_t anfang = datei.isEmpty() ? 0 : alles.find("[Event ");
    int spiele = 0;
    while (anfang != std::string::npos && spiele < hoechstens) {
      const size_t naechstes = alles.find("\n[Event ", anfang + 1);
      const std::string spiel =
          alles.substr(anfang, naechstes == std::string::npos ? naechstes : naechstes - anfang);
      anfang = naechstes == std::string::npos ? naechstes : naechstes + 1;
      TNotation n;
      Vorbereiten(n, groesse.width(), groesse.height());
      n.LadePartie(spiel);
      ++spiele;
      auto& m = n.Modell();
      for (TBaum* k : AlleKnoten(m)) {
        m.Aktuell = k;
        n.NotationAufbauen();
        const TSchachbrett erwartet = m.Arbeitsbrett();
        const QRect r = n.MarkierteFlaeche();
        QVERIFY(!r.isEmpty());
        m.Aktuell = nullptr;  // the view stays where it is
        ereignisse.clear();
        QTest::mouseClick(n.Paintbox(), Qt::LeftButton, {}, r.center());
        QVERIFY2(m.Aktuell == k,
                 qPrintable(QStringLiteral("game %1 at %2").arg(spiele).arg(k->TextPos)));
        QCOMPARE(ereignisse.size(), size_t{1});
        QVERIFY(!ereignisse[0].next);
        QVERIFY(ereignisse[0].stellung == erwartet);
      }
    }
    QVERIFY(spiele >= std::min(hoechstens, 5));
  }

  void clicksOutsideMovesChangeNothing() {
    TNotation n;
    Vorbereiten(n);
    auto& m = n.Modell();
    QTest::mouseClick(n.Paintbox(), Qt::LeftButton, {}, QPoint(20, 3));  // heading
    QTest::mouseClick(n.Paintbox(), Qt::RightButton, {}, QPoint(30, 3 * n.Zeilenhoehe() + 3));
    QTest::mouseClick(n.Paintbox(), Qt::LeftButton, {}, QPoint(10, n.Paintbox()->height() - 2));
    QVERIFY(m.Aktuell == nullptr);
    QVERIFY(ereignisse.empty());
    // Inside the first comment, on the first line of moves.
    const int32_t p = n.PositionBei(QPoint(40, 2 * n.Zeilenhoehe() + 5));
    QVERIFY(p > m.Kopflaenge);
    QVERIFY(m.Notationstext.substr(0, static_cast<size_t>(p)).rfind('{') != std::string::npos);
    QTest::mouseClick(n.Paintbox(), Qt::LeftButton, {}, QPoint(40, 2 * n.Zeilenhoehe() + 5));
    QVERIFY(m.Aktuell == nullptr);
  }

  void keysStep() {
    TNotation n;
    Vorbereiten(n);
    auto& m = n.Modell();
    n.setFocus();
    wahl.Antwort = 0;
    QTest::keyClick(&n, Qt::Key_Right);
    QTest::keyClick(&n, Qt::Key_Right);
    QCOMPARE(m.Aktuell, m.Wurzel->Erster->Naechster);
    QCOMPARE(ereignisse.size(), size_t{2});
    QVERIFY(ereignisse[0].next && ereignisse[1].next);
    QCOMPARE(ereignisse[1].zug.Nach, m.Aktuell->Zug.Nach);
    QTest::keyClick(&n, Qt::Key_Left);
    QCOMPARE(m.Aktuell, m.Wurzel->Erster);
    QVERIFY(!ereignisse.back().next);
    QTest::keyClick(&n, Qt::Key_End);
    QVERIFY(m.Aktuell && !m.Aktuell->Naechster);
    QTest::keyClick(&n, Qt::Key_Home);
    QVERIFY(m.Aktuell == nullptr);
    QTest::keyClick(&n, Qt::Key_PageDown);  // before 2...Nc6, which has variations
    QCOMPARE(m.Aktuell, m.Wurzel->Erster->Naechster->Naechster);
    QTest::keyClick(&n, Qt::Key_PageUp);
    QVERIFY(m.Aktuell == nullptr);
    QCOMPARE(ereignisse.size(), size_t{7});
    QVERIFY(ereignisse.back().stellung == m.Partiedaten.StartBrett);
  }

  void theCurrentMoveStaysInView() {
    TNotation n;
    Vorbereiten(n, 260, 90);  // a few lines only
    auto& m = n.Modell();
    wahl.Antwort = 0;
    int schritte = 0;
    do {
      n.ZugVor();
      ++schritte;
      QVERIFY2(!n.MarkierteFlaeche().isEmpty(), qPrintable(QString::number(schritte)));
    } while (m.Aktuell->Naechster);
    QVERIFY(n.Scrollbar()->value() > 0);
    n.ZumAnfang();
    QCOMPARE(n.Scrollbar()->value(), 0);
    QWheelEvent rad(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, -120), Qt::NoButton, {},
                    Qt::NoScrollPhase, false);
    QApplication::sendEvent(n.Paintbox(), &rad);  // scrolls, and no move is made
    QVERIFY(n.Scrollbar()->value() > 0);
    QVERIFY(m.Aktuell == nullptr);
    n.ZeileWechseln(1);  // without a current move: nothing
    QVERIFY(m.Aktuell == nullptr);
    n.ZugVor();
    for (int i = 0; i < 30; ++i) {
      n.ZeileWechseln(1);
      QVERIFY(!m.Aktuell || !n.MarkierteFlaeche().isEmpty());
    }
    QVERIFY(m.Aktuell && !m.Aktuell->Naechster);  // down to the last line of moves
  }

  void choiceThroughTheInterface() {
    TNotation n;
    Vorbereiten(n);
    auto& m = n.Modell();
    n.Navigation().PfadFolgen("", 3);  // after 2.Nf3
    wahl.Antwort = 2;
    n.ZugVor();
    QCOMPARE(wahl.Zeilen, (std::vector<std::string>{"A) 2...Nc6", "B) 2...d6", "C) 2...Nf6"}));
    QCOMPARE(m.Aktuell,
             m.Wurzel->Erster->Naechster->Naechster->Naechster->Varianten->Naechste->Erster);
    QVERIFY(ereignisse.back().next);
  }

  void choiceWindowKeys() {
    // Down first or not, the key, the choice.
    const std::tuple<bool, Qt::Key, int> faelle[] = {
        {true, Qt::Key_Return, 1}, {true, Qt::Key_Space, 1},   {true, Qt::Key_Right, 1},
        {false, Qt::Key_Right, 0}, {true, Qt::Key_Escape, -1}, {false, Qt::Key_Left, -1}};
    for (auto [runter, taste, wahl] : faelle) {
      TVariantenwahl d(nullptr, {"A) 2...Nc6", "B) 2...d6\x83", "C) 2...Nf6"}, true);
      d.show();
      QCOMPARE(d.Liste()->item(1)->text(), QString::fromUtf8("B) 2...d6\u00B1"));  // NAG 16
      if (runter) QTest::keyClick(d.Liste(), Qt::Key_Down);
      QTest::keyClick(d.Liste(), taste);
      QCOMPARE(d.Wahl(), wahl);
      QVERIFY(!d.isVisible());
    }
  }

  void wrappingBreaksAtBlanks_data() {
    QTest::addColumn<int>("breite");
    QTest::addColumn<QByteArray>("pgn");
    const QByteArray lang =
        "[White \"A\"]\n[Black \"B\"]\n\n1.e4 {Supercalifragilisticexpialidocious-"
        "and-then-some-more-letters-to-make-it-long} e5 2.Nf3 (2.f4 exf4 {Kieseritzky-"
        "Allgaier-Gambit-Hauptvariante-mit-vielen-Zuegen}) Nc6 *\n";
    for (int b : {140, 200, 260, 340, 500}) {
      QTest::newRow(qPrintable(QStringLiteral("game %1").arg(b))) << b << QByteArray(Spiel);
      QTest::newRow(qPrintable(QStringLiteral("long words %1").arg(b))) << b << lang;
    }
  }
  void wrappingBreaksAtBlanks() {
    QFETCH(int, breite);
    QFETCH(QByteArray, pgn);
    TNotation n;
    Vorbereiten(n, breite, 300);
    QCOMPARE(n.LadePartie(pgn.toStdString()), 0);
    const auto& m = n.Modell();
    const auto& zeilen = m.Zeilenanfaenge();
    const std::string& t = m.Notationstext;
    const int w = n.Paintbox()->width();
    int geschnitten = 0;
    for (size_t i = 1; i + 1 < zeilen.size(); ++i) {
      const int32_t s = zeilen[i].Pos;
      const QString text = n.ZeilenText(static_cast<int64_t>(i));
      // A line starts after a blank unless it continues a word too long for a line.
      if (t[static_cast<size_t>(s - 2)] != ' ') {
        const size_t a = t.rfind(' ', static_cast<size_t>(s - 2)) + 1;
        const size_t e = std::min(t.find(' ', static_cast<size_t>(s - 1)), t.size());
        std::string wort = t.substr(a, e - a);
        const bool kommentar = wort.find('{') != std::string::npos;
        std::erase_if(wort, [](char c) { return c == '{' || c == '}'; });
        const TNotatSchrift& f = n.Schrift(kommentar ? TSchrift::Kommentar : zeilen[i].Schrift);
        const int einzug = m.Einzug(zeilen[i - 1].Schrift);
        QVERIFY2(QFontMetrics(f.Font).horizontalAdvance(QString::fromStdString(wort)) >= w - einzug,
                 qPrintable(text));
        ++geschnitten;
      }
      // Blanks at a line's end may stand past the edge: the closing lines add one.
      int blanks = 0;
      while (blanks < text.size() && text[text.size() - 1 - blanks] == ' ') ++blanks;
      const int blankbreite =
          QFontMetrics(n.Schrift(zeilen[i].Schrift).Font).horizontalAdvance(' ');
      QVERIFY2(n.ZeilenBreite(static_cast<int64_t>(i)) - blanks * blankbreite <= w,
               qPrintable(text));
    }
    if (breite <= 200 && pgn != QByteArray(Spiel)) QVERIFY(geschnitten > 0);
  }

  // Names and comments in UTF-8 or in Windows-1252.
  void namesAndCommentsDecode() {
    for (const std::string name : {"M\xC3\xBCller", "M\xFCller"}) {
      TNotation n;
      FormularSchriften(n);
      n.setUeberschrift(true);
      n.resize(400, 300);
      n.LadePartie("[White \"" + name + "\"]\n[Black \"B\"]\n\n1.e4 {" + name +
                   " \xE2\x80\x93 ok} e5 $18 *\n");
      QVERIFY(n.ZeilenText(0).startsWith(QStringLiteral("Müller - B")));
      const QString zuege = n.ZeilenText(2);
      QVERIFY2(zuege.contains(QStringLiteral("Müller")), qPrintable(zuege));
      QVERIFY2(zuege.contains(QStringLiteral("+-")), qPrintable(zuege));  // $18 as a symbol
    }
  }

  void pgnThroughTheClipboard() {
    TNotation n;
    Vorbereiten(n);
    n.PGNKopieren();
    const QString text = QGuiApplication::clipboard()->text();
    QVERIFY2(text.contains(QStringLiteral("[White \"Müller, Hans\"]")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("{Philidor}")));
    TNotation m;
    FormularSchriften(m);
    m.setEnglish(true);
    m.setUeberschrift(true);
    m.resize(420, 400);
    QVERIFY(m.PGNEinfuegen());
    QCOMPARE(m.Modell().Notationstext, n.Modell().Notationstext);
    QCOMPARE(m.ZeilenText(0), QStringLiteral("Müller, Hans - Bert "));
    QGuiApplication::clipboard()->clear();
    QVERIFY(!m.PGNEinfuegen());
  }
};

QTEST_MAIN(NotationTest)
#include "notation_view_qtest.moc"
