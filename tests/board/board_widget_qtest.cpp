// The board component on the offscreen platform: drawing, properties, piece
// files, host moves and their animation, mouse input and the clipboard. The
// platform services are answered by a fake.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include "board/board_platform.h"
#include "board/board_widget.h"
#include "board/promotion_window.h"
#include "board_test_util.h"
#include "core/moves.h"

using namespace brevaro;
using namespace brevaro::test;

namespace {

// A board with a built-in set and size, showing `brett`, drawn completely.
struct Brett {
  FakeUmgebung umgebung;
  TBrett b;
  explicit Brett(int groesse = 32, TFigurenset satz = TFigurenset::F32) {
    b.setUmgebung(&umgebung);
    b.setFiguren(satz);
    b.setGroesse(static_cast<int16_t>(groesse));
    b.setGrundstellung(true);
    b.Neuzeichnen(true);
  }
};

QImage Referenz(const TSchachbrett& stellung, int groesse = 32, bool gedreht = false) {
  Brett r(groesse);
  if (gedreht) r.b.Drehen();
  r.b.StellungSetzen(stellung, TZug{});
  r.b.Neuzeichnen(true);
  return r.b.Bild();
}

bool FeldLeer(const TBrett& b, int feldnummer) {
  const TRechteck r = b.Feldrechtecke()[Anzeigeindex(feldnummer, b.Gedreht())];
  const QRgb farbe = b.Bild().pixel(r.Left, r.Top);
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (b.Bild().pixel(x, y) != farbe) return false;
  return true;
}

void Klick(TBrett& b, QPoint p, Qt::KeyboardModifiers tasten = Qt::NoModifier, QPoint weg = {}) {
  b.MausDruecken(Qt::LeftButton, tasten, p);
  if (!weg.isNull()) b.MausBewegen(p + weg);
  b.MausLoslassen(Qt::LeftButton, tasten, p + weg);
}

void Setzen(TBrett& b, const QString& fen) {
  TZug z;
  const TSchachbrett s = AusFen(fen.toLatin1().constData(), z);
  b.StellungSetzen(s, z);
}

}  // namespace

class BrettTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    TBrett::legal = false;
    TBrett::AufbauFigur = 0;
  }

  // ---- Construction, properties, drawing --------------------------------------

  void groesseLimits() {
    for (auto [wert, e] : {std::pair{-40, 40}, {9, 32}, {10, 10}, {300, 300}, {1001, 32}}) {
      TBrett b;
      b.setGroesse(static_cast<int16_t>(wert));
      QCOMPARE(b.Groesse(), e);
      QCOMPARE(b.size(), QSize(8 * e, 8 * e));
      QCOMPARE(b.Bild().size(), QSize(8 * e, 8 * e));
      QCOMPARE(b.Feldrechtecke()[63].Right, 8 * e);
    }
  }

  void newBoardDrawsEverySquareWithoutAlles() {
    FakeUmgebung u;
    TBrett b;
    b.setUmgebung(&u);
    b.FigurenUebernehmen(FigurensatzErzeugen(TFigurenset::F32), TFigurenset::User);
    b.Neuzeichnen(false);
    QCOMPARE(b.Gezeichnet(), b.Stellung());
    QCOMPARE(b.Bild(), Referenz(GrundstellungBrett));
    QCOMPARE(b.Zug().AmZug, 0);  // the record starts zero-filled
  }

  void redrawOnlyChangedSquaresAndZeichnensperre() {
    Brett t;
    // Blind takes effect only on squares that are drawn: the two squares of
    // the move are drawn (empty), the others keep their pieces.
    t.b.setBlind(true);
    TSchachbrett neu = GrundstellungBrett;
    neu[I("e4")] = Bauer;
    neu[I("e2")] = Leer;
    t.b.StellungSetzen(neu, TZug{});
    QVERIFY(FeldLeer(t.b, N("e2")) && FeldLeer(t.b, N("e4")));
    QVERIFY(!FeldLeer(t.b, N("d2")) && !FeldLeer(t.b, N("e1")));
    QCOMPARE(t.b.Gezeichnet(), neu);
    // While drawing is blocked nothing changes, even a full redraw.
    t.b.setBlind(false);
    const QImage vorher = t.b.Bild();
    t.b.setZeichnensperre(true);
    t.b.Neuzeichnen(true);
    QCOMPARE(t.b.Bild(), vorher);
    t.b.setZeichnensperre(false);
    t.b.Neuzeichnen(true);
    QCOMPARE(t.b.Bild(), Referenz(neu));
  }

  void rotationDarkSquaresAndBlind() {
    for (bool gedreht : {false, true}) {
      Brett t;
      if (gedreht) t.b.Drehen();
      t.b.setBlind(true);
      t.b.Neuzeichnen(true);
      for (int d = 0; d < 64; ++d) {
        const TRechteck r = t.b.Feldrechtecke()[d];
        QVERIFY(FeldLeer(t.b, d));
        QCOMPARE(t.b.Bild().pixel(r.Left + 3, r.Top + 3) & 0xffffff,
                 DunklesFeld(d) ? QRgb(0xc0c0c0) : QRgb(0xffffff));
      }
      t.b.setBlind(false);
      t.b.Neuzeichnen(true);
      QCOMPARE(t.b.Bild(), Referenz(GrundstellungBrett, 32, gedreht));
    }
    // a1 at the top-right and h8 at the bottom-left of a rotated board.
    Brett u;
    TSchachbrett s = LeeresBrett;
    s[I("a1")] = Turm;
    s[I("h8")] = -Dame;
    u.b.StellungSetzen(s, TZug{});
    const QImage gerade = u.b.Bild();
    u.b.Drehen();
    QCOMPARE(u.b.Bild().copy(224, 0, 32, 32), gerade.copy(0, 224, 32, 32));  // a1
    QCOMPARE(u.b.Bild().copy(0, 224, 32, 32), gerade.copy(224, 0, 32, 32));  // h8
  }

  void grundstellungFalseAndSquareColours() {
    Brett t;
    int aufrufe = 0;
    t.b.OnNewPosition = [&](TBrett* sender, TSchachbrett& s, TZug& z, int32_t nr) {
      ++aufrufe;
      QVERIFY(sender == &t.b && &s == &t.b.Stellung() && &z == &t.b.Zug());
      QCOMPARE(nr, 1);
    };
    t.b.setGrundstellung(false);
    QCOMPARE(t.b.Stellung(), LeeresBrett);
    QVERIFY(t.b.Zug().AmZug == 1 && t.b.Zug().Rochaderechte == 31);
    for (int n = 0; n < 64; ++n) QVERIFY(FeldLeer(t.b, n));
    t.b.setGrundstellung(false);  // runs again for an unchanged value
    QCOMPARE(aufrufe, 2);
    // Colours and patterns redraw the squares.
    t.b.setBlackSquareColor(0x008000);
    QCOMPARE(t.b.Bild().pixel(1, 255) & 0xffffff, QRgb(0x008000));
    QImage muster(4, 4, QImage::Format_RGB32);
    muster.fill(qRgb(10, 20, 30));
    t.b.setWhiteSquarePattern(&muster);
    QCOMPARE(t.b.Bild().pixel(33, 255) & 0xffffff, QRgb(qRgb(10, 20, 30) & 0xffffff));
    t.b.setWhiteSquarePattern(nullptr);
    QVERIFY(t.b.WhiteSquarePattern().isNull());
    QCOMPARE(t.b.Bild().pixel(33, 255) & 0xffffff, QRgb(0xffffff));
  }

  // ---- Piece sets -------------------------------------------------------------

  void figurenSetterAndUserStrip() {
    Brett t;
    // The same value again does not draw the set anew; User loads nothing.
    const QImage fremd = FigurensatzErzeugen(TFigurenset::WinboardF45);
    t.b.FigurenUebernehmen(fremd, TFigurenset::F32);
    t.b.setFiguren(TFigurenset::F32);
    QCOMPARE(t.b.FigurenbildHolen(), fremd);
    t.b.setFiguren(TFigurenset::User);
    QCOMPARE(t.b.FigurenbildHolen(), fremd);
    t.b.setFiguren(TFigurenset::WinboardF80);
    QCOMPARE(t.b.FigurenbildHolen().size(), QSize(960, 160));
    QVERIFY(t.umgebung.meldungen.isEmpty());
    // A user strip of size 16 on a board of 32: each strip pixel covers 2 x 2.
    t.b.FigurenUebernehmen(FigurensatzErzeugen(TFigurenset::F16), TFigurenset::User);
    t.b.Neuzeichnen(true);
    QImage erwartet(32, 32, QImage::Format_RGB32);
    erwartet.fill(0xffc0c0c0);  // e1 is a dark square
    FigurZeichnen(erwartet, QRect(0, 0, 32, 32), FigurensatzErzeugen(TFigurenset::F16), Koenig);
    QCOMPARE(t.b.Bild().copy(128, 224, 32, 32), erwartet);
  }

  void userPieceFiles_data() {
    QTest::addColumn<QString>("inhalt");  // WxH, "missing" or "broken"
    QTest::addColumn<QString>("meldung");
    QTest::addColumn<int>("danach");  // the set afterwards
    const QString masse = QString::fromUtf8("Ungültige Maße der Bitmap.");
    const int f33 = int(TFigurenset::WinboardF33);
    QTest::newRow("480x80") << "480x80" << QString() << int(TFigurenset::User);
    QTest::newRow("479x80") << "479x80" << masse << f33;
    QTest::newRow("missing") << "missing"
                             << "File not found." << int(TFigurenset::F32);
    QTest::newRow("broken") << "broken" << QString::fromUtf8("Bitmap konnte nicht geladen werden.")
                            << f33;
  }
  void userPieceFiles() {
    QFETCH(QString, inhalt);
    QFETCH(QString, meldung);
    QFETCH(int, danach);
    QTemporaryDir dir;
    const QString datei = dir.filePath("pieces.bmp");
    QSize groesse;
    if (inhalt == "broken") {
      QFile f(datei);
      QVERIFY(f.open(QIODevice::WriteOnly) && f.write("BM this is no bitmap") > 0);
    } else if (inhalt != "missing") {
      groesse = QSize(inhalt.section('x', 0, 0).toInt(), inhalt.section('x', 1).toInt());
      QImage s(groesse, QImage::Format_RGB32);
      s.fill(Qt::white);
      QVERIFY(s.save(datei, "BMP"));
    }
    Brett t;
    t.b.setUserFiguren(datei);
    QCOMPARE(int(t.b.Figuren()), danach);
    if (meldung.isEmpty()) {
      QVERIFY(t.umgebung.meldungen.isEmpty());
      QCOMPARE(t.b.UserFiguren(), datei);
      QCOMPARE(t.b.FigurenbildHolen().size(), groesse);
      return;
    }
    QCOMPARE(t.umgebung.meldungen, QStringList{meldung});
    QVERIFY(t.b.UserFiguren().isEmpty());
    if (danach == int(TFigurenset::WinboardF33))
      QCOMPARE(t.b.FigurenbildHolen(), FigurensatzErzeugen(TFigurenset::WinboardF33));
    if (inhalt == "missing") {  // the loader itself reports in German
      QVERIFY(!t.b.BenutzerFigurenLaden(datei));
      QCOMPARE(t.umgebung.meldungen.last(), QString::fromUtf8("Datei wurde nicht gefunden."));
    }
  }

  // ---- Host moves -------------------------------------------------------------

  void hostMoves() {
    struct {
      const char *fen, *von, *nach;
      int umwandlung, fischer;  // -1: asked; index into fischerInfo, -1 none
      const char* danach;       // placement after the move
    } const faelle[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e2", "e4", 0, -1,
         "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "g1", 0, -1, "r3k2r/8/8/8/8/8/8/R4RK1"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5", "d6", 0, -1, "4k3/8/3P4/8/8/8/8/4K3"},
        {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7", "b8", 3, -1, "1B2k3/8/8/8/8/8/8/4K3"},
        {"4k3/8/8/8/8/8/1p6/4K3 b - - 0 1", "b2", "a1", -1, -1, "4k3/8/8/8/8/8/8/q3K3"},
        // Fischer Random: king b1, rooks a1/c1 castling short; king g1, rook h1.
        {"rkr5/8/8/8/8/8/8/RKR5 w KQkq - 0 1", "b1", "g1", 0, 0, "rkr5/8/8/8/8/8/8/R4RK1"},
        {"r5kr/8/8/8/8/8/8/R5KR w KQkq - 0 1", "g1", "g1", 0, 1, "r5kr/8/8/8/8/8/8/R4RK1"}};
    TFischerInfo fischerInfo[] = {{1, 21, 23, 91, 93, 22, 92}, {1, 21, 28, 91, 98, 27, 97}};
    for (const auto& f : faelle)
      for (int animation : {0, 1}) {
        Brett t;
        t.umgebung.wahl = 5;
        t.b.setAnimation(static_cast<uint8_t>(animation));
        t.b.setTon(animation == 1);
        if (f.fischer >= 0) t.b.setFischerInfo(&fischerInfo[f.fischer]);
        Setzen(t.b, f.fen);
        t.b.ZugMachen(I(f.von), I(f.nach), f.umwandlung, f.fischer >= 0);
        const std::string fen = StellungToFEN(t.b.Stellung(), t.b.Zug(), 1, false);
        QCOMPARE(fen.substr(0, fen.find(' ')), std::string(f.danach));
        QCOMPARE(t.b.Bild(), Referenz(t.b.Stellung()));
        QCOMPARE(t.umgebung.pausen.isEmpty(), animation == 0 || f.von == std::string(f.nach));
        QCOMPARE(t.umgebung.gefragt.size(), f.umwandlung == -1 ? 1 : 0);
        QCOMPARE(t.umgebung.piepen, animation);  // a beep after the move when Ton is on
      }
  }

  void animationStepsAndBlind() {
    Brett t(40);
    t.b.setAnimation(10);
    QList<bool> gesperrt;
    QList<QImage> bilder;
    t.umgebung.beiPause = [&] {
      gesperrt << !t.b.isEnabled();
      bilder << t.b.Bild();
    };
    t.b.ZugMachen(I("g1"), I("f3"), 0, false);
    QCOMPARE(t.umgebung.pausen, QList<int>(20, 10));
    QVERIFY(!gesperrt.contains(false));
    QVERIFY(t.b.isEnabled());
    QCOMPARE(t.b.Bild(), Referenz(t.b.Stellung(), 40));
    // The 10th picture shows the knight 40 px up and 20 px left of g1.
    TSchachbrett ohne = GrundstellungBrett;
    ohne[I("g1")] = Leer;
    QImage schritt10 = Referenz(ohne, 40);
    FigurZeichnen(schritt10, QRect(240 - 20, 280 - 40, 40, 40), t.b.Zeichenstrip(), Springer);
    QCOMPARE(bilder[9], schritt10);
    // A blind board shows the piece only while it slides.
    t.b.setBlind(true);
    t.b.Neuzeichnen(true);
    t.b.setAnimation(1);
    const QImage leer = Referenz(LeeresBrett, 40);
    int mitFigur = 0;
    t.umgebung.beiPause = [&] { mitFigur += t.b.Bild() != leer; };
    t.b.ZugMachen(I("e7"), I("e5"), 0, false);
    QVERIFY(mitFigur > 10);
    QCOMPARE(t.b.Bild(), leer);
  }

  // ---- Mouse input ------------------------------------------------------------

  // Dragged through the widget's mouse events.
  void dragAMove() {
    Brett t;
    t.b.setAnimation(10);
    t.b.setTon(true);
    int versuche = 0, fertig = 0;
    t.b.OnMoveTry = [&](TBrett* b, bool& legal) {
      ++versuche;
      QVERIFY(b->Zug().Von == I("e2") && b->Zug().Nach == I("e4"));
      legal = true;
    };
    t.b.OnMoveDone = [&](TBrett*) { ++fertig; };
    const QPoint p = Mitte(t.b, N("e2"));
    QTest::mousePress(&t.b, Qt::LeftButton, Qt::NoModifier, p);
    QCOMPARE(t.b.SchwebeFigur(), Bauer);
    QVERIFY(!FeldLeer(t.b, N("e2")));  // lifted by 2 pixels, still over e2
    for (const QPoint q : {p + QPoint(3, -30), p + QPoint(5, -64)}) {
      QMouseEvent bewegen(QEvent::MouseMove, QPointF(q), t.b.mapToGlobal(QPointF(q)), Qt::NoButton,
                          Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(&t.b, &bewegen);
    }
    QTest::mouseRelease(&t.b, Qt::LeftButton, Qt::NoModifier, p + QPoint(5, -64));
    QVERIFY(versuche == 1 && fertig == 1);
    QCOMPARE(t.b.SchwebeFigur(), 0);
    QCOMPARE(t.b.Zug().EnPassant, I("e3"));
    QCOMPARE(t.b.Bild(), Referenz(t.b.Stellung()));
    QVERIFY(t.umgebung.pausen.isEmpty());  // never animated
    QCOMPARE(t.umgebung.piepen, 0);        // never beeps
  }

  // Refused by the host, dropped outside, on the start square, on an own piece.
  void refusedDrops() {
    for (auto [weg, versuche] : {std::pair{QPoint(0, -64), 1},
                                 {QPoint(0, 90), 0},
                                 {QPoint(10, 0), 0},
                                 {QPoint(32, 0), 0}}) {
      Brett t;
      const QImage vorher = t.b.Bild();
      int n = 0;
      t.b.OnMoveTry = [&](TBrett*, bool& l) {
        ++n;
        l = false;
      };
      const QPoint p = Mitte(t.b, N("e2"));
      t.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, p);
      QVERIFY(t.b.SchwebeFigur() != 0);
      t.b.MausBewegen(p + weg);
      t.b.MausLoslassen(Qt::LeftButton, Qt::NoModifier, p + weg);
      QCOMPARE(n, versuche);
      QCOMPARE(t.b.Stellung(), GrundstellungBrett);
      QCOMPARE(t.b.Bild(), vorher);
    }
  }

  void dropOnABorderLinePicksTheLowerIndex() {
    Brett t;
    int nach = 0;
    t.b.OnMoveTry = [&](TBrett* b, bool&) { nach = b->Zug().Nach; };
    const QPoint p(140, 200);  // inside e2 (left 128, top 192)
    // The floating rectangle starts at (128, 190); moved by (16, -64) its
    // centre lies on the e|f border line of e4.
    t.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, p);
    t.b.MausBewegen(p + QPoint(16, -64));
    QCOMPARE(t.b.SchwebeRechteck().Left + 16, 160);
    t.b.MausLoslassen(Qt::LeftButton, Qt::NoModifier, p + QPoint(16, -64));
    QCOMPARE(nach, I("e4"));
  }

  void pressingAPieceOfTheSideNotToMove() {
    Brett t;
    t.b.setZugVorschlagen(true);
    t.b.OnMovePart = [](TBrett*, uint8_t teil, uint8_t& v) {
      if (teil == I("e7")) v = static_cast<uint8_t>(I("e5"));
    };
    const QImage vorher = t.b.Bild();
    t.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, Mitte(t.b, N("e7")));
    QCOMPARE(t.b.SchwebeFigur(), 0);
    QCOMPARE(t.b.Vorschlag(), I("e5"));
    QVERIFY(!FeldLeer(t.b, N("e5")));  // the suggestion frame
    QCOMPARE(t.b.Bild().copy(128, 32, 32, 32), vorher.copy(128, 32, 32, 32));  // e7 unchanged
  }

  // The host suggests the other square of a move for the square pressed.
  void suggestions() {
    struct {
      const char *name, *fen;  // fen: empty for the initial position
      const char* gedrueckt;
      int vorschlag;    // what the host answers
      const char* los;  // where the button is released
      bool strg;
      const char *von, *nach;  // the move tried, empty: none
    } const faelle[] = {
        {"empty square", "", "e4", I("e2"), "e4", false, "e2", "e4"},
        {"ctrl cancels", "", "e4", I("e2"), "e4", true, "", ""},
        {"off the board 5", "", "e4", 5, "e4", false, "", ""},
        {"off the board 30", "", "e4", 30, "e4", false, "", ""},
        {"off the board 39", "", "e4", 39, "e4", false, "", ""},
        {"off the board 99", "", "e4", 99, "e4", false, "", ""},
        {"capture", "4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "d5", I("e4"), "d5", false, "e4", "d5"},
        {"own piece", "", "g1", I("f3"), "g1", false, "g1", "f3"},
        {"released over own piece", "", "f3", I("g1"), "g1", false, "g1", "f3"}};
    for (const auto& f : faelle) {
      Brett t;
      if (*f.fen) Setzen(t.b, f.fen);
      const TSchachbrett vorher = t.b.Stellung();
      t.b.setZugVorschlagen(true);
      t.b.OnMovePart = [&](TBrett*, uint8_t feld, uint8_t& v) {
        if (feld == I(f.gedrueckt)) v = static_cast<uint8_t>(f.vorschlag);
      };
      QStringList versuche;
      t.b.OnMoveTry = [&](TBrett* b, bool& legal) {
        versuche << QString("%1-%2").arg(b->Zug().Von).arg(b->Zug().Nach);
        legal = true;
      };
      const auto tasten = f.strg ? Qt::KeyboardModifiers(Qt::ControlModifier) : Qt::NoModifier;
      t.b.MausDruecken(Qt::LeftButton, tasten, Mitte(t.b, N(f.gedrueckt)));
      const bool aufDemBrett = f.vorschlag >= 21 && f.vorschlag <= 98 && f.vorschlag % 10 % 9;
      QVERIFY2(t.b.Startfeld() == (aufDemBrett ? N(f.gedrueckt) : 0), f.name);
      t.b.MausLoslassen(Qt::LeftButton, tasten, Mitte(t.b, N(f.los)));
      QVERIFY2(t.b.Vorschlag() == 0, f.name);
      QVERIFY2(t.b.Bild() == Referenz(t.b.Stellung()), f.name);  // no frame left behind
      if (!*f.von) {
        QVERIFY2(versuche.isEmpty() && t.b.Stellung() == vorher, f.name);
        continue;
      }
      const int v = I(f.von), n = I(f.nach);
      QVERIFY2(versuche == QStringList{QString("%1-%2").arg(v).arg(n)}, f.name);
      QVERIFY2(t.b.Stellung()[n] == vorher[v] && t.b.Zug().Geschlagen == vorher[n], f.name);
    }
  }

  void fischerCastlingWithCtrl() {
    TFischerInfo info{1, 21, 28, 91, 98, 23, 93};
    Brett t;
    t.b.setFischerInfo(&info);
    Setzen(t.b, "r1k4r/8/8/8/8/8/8/R1K4R w KQkq - 0 1");
    int rochade = -1, versuche = 0;
    t.b.OnMoveTry = [&](TBrett* b, bool& legal) {
      ++versuche;
      rochade = b->Zug().Rochade;
      legal = true;
    };
    // The king is already on c1: a plain click on it offers nothing; a Ctrl
    // click castles long.
    Klick(t.b, Mitte(t.b, N("c1")));
    QCOMPARE(versuche, 0);
    Klick(t.b, Mitte(t.b, N("c1")), Qt::ControlModifier);
    QCOMPARE(versuche, 1);
    QCOMPARE(rochade, int(FischerKurz));  // the try marks any Fischer castling with 3
    QCOMPARE(t.b.Zug().Rochade, FischerLang);
    QCOMPARE(t.b.Stellung()[I("c1")], Koenig);
    QCOMPARE(t.b.Stellung()[I("d1")], Turm);
    QCOMPARE(t.b.Stellung()[I("a1")], Leer);
  }

  void moveTryKeepsLegalWithoutAHandler() {
    Brett t;
    TBrett::legal = true;  // the last answer stays without a handler
    Klick(t.b, Mitte(t.b, N("g1")), Qt::NoModifier, QPoint(-32, -64));
    QCOMPARE(t.b.Stellung()[I("f3")], Springer);
  }

  void noInputWhenMovingIsOffOrRightButton() {
    Brett t;
    t.b.setContextMenuPolicy(Qt::CustomContextMenu);
    t.b.MausDruecken(Qt::RightButton, Qt::NoModifier, Mitte(t.b, N("e2")));
    QCOMPARE(t.b.SchwebeFigur(), 0);
    // With moving off (as in the game window) the context menu is still held
    // back while the left button is down.
    t.b.setZiehenmoeglich(false);
    t.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, Mitte(t.b, N("e2")));
    QCOMPARE(t.b.SchwebeFigur(), 0);
    QCOMPARE(t.b.contextMenuPolicy(), Qt::PreventContextMenu);
    t.b.MausLoslassen(Qt::LeftButton, Qt::NoModifier, Mitte(t.b, N("e2")));
    QCOMPARE(t.b.contextMenuPolicy(), Qt::CustomContextMenu);
  }

  // ---- Promotion window ---------------------------------------------------

  void promotionWindow() {
    for (auto [farbe, groesse] : {std::pair{1, 32}, {-1, 80}}) {
      Brett t(groesse);
      t.b.move(5000, 5000);  // the window stays on the screen
      TUmwandlungsfenster f(t.b, farbe);
      const QRect schirm = t.b.screen()->availableGeometry();
      QVERIFY(schirm.contains(f.frameGeometry().topLeft()));
      QVERIFY(schirm.contains(f.geometry().bottomRight()));
      QCOMPARE(f.size(), QSize(4 * 37, 37));  // the cells of the 32 pixel set
      for (int i = 0; i < 4; ++i) QCOMPARE(f.Schalter()[i]->Wert(), farbe > 0 ? 2 + i : 8 + i);
      QVERIFY(f.Schalter()[3]->isDefault());
      TBrett::UmwandlungsFigur = 0;
      f.Schalter()[2]->click();
      QCOMPARE(TBrett::UmwandlungsFigur, farbe * Springer);
      QCOMPARE(f.result(), int(QDialog::Accepted));
    }
  }

  // The rook chosen, then the window closed without a choice.
  void promotionThroughTheModalWindow() {
    for (int figur : {-Turm, 0}) {
      TBrett b;  // the desktop's services
      b.setFiguren(TFigurenset::F32);
      TZug z;
      b.StellungSetzen(AusFen("4k3/8/8/8/8/8/1p6/4K3 b - - 0 1", z), z);
      TBrett::UmwandlungsFigur = 7;  // a stale value must not leak into the move
      QTimer::singleShot(0, [figur] {
        auto* f = qobject_cast<TUmwandlungsfenster*>(QApplication::activeModalWidget());
        QVERIFY(f);
        if (figur != 0)
          f->Schalter()[0]->click();
        else
          f->reject();
      });
      b.ZugMachen(I("b2"), I("b1"), -1, false);
      QCOMPARE(int(b.Zug().Umwandlung), figur);
      QCOMPARE(b.Stellung()[I("b1")], figur == 0 ? -Bauer : figur);
    }
  }

  // ---- Clipboard --------------------------------------------------------------

  void fenEinfuegen_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("gelesen");
    const QString fen = "4k3/8/8/8/8/8/8/4K2R b K - 0 1";
    QTest::newRow("blanks, line breaks, move numbers")
        << " \r\n\t4k3/8/8/8/8/8/8/4K2R b K - 12 40 \r\n"
        << true;
    QTest::newRow("quoted") << "\"" + fen + "\"" << true;
    QTest::newRow("pgn tag") << "[FEN \"" + fen + "\"]" << true;
    QTest::newRow("a word") << "hello" << false;
  }
  void fenEinfuegen() {
    QFETCH(QString, text);
    QFETCH(bool, gelesen);
    Brett t;
    t.b.ZugMachen(I("e2"), I("e4"), 0, false);
    const TSchachbrett vorherStellung = t.b.Stellung();
    const TZug vorherZug = t.b.Zug();
    const QImage vorherBild = t.b.Bild();
    int ereignisse = 0;
    t.b.OnNewPosition = [&](TBrett*, TSchachbrett&, TZug&, int32_t nr) {
      ++ereignisse;
      QCOMPARE(nr, 1);
    };
    t.umgebung.text = text;
    QCOMPARE(t.b.FENEinfuegen(), gelesen);
    QCOMPARE(ereignisse, gelesen ? 1 : 0);
    if (gelesen) {  // placement, side and castling come back; the move numbers do not
      QCOMPARE(t.b.Bild(), Referenz(t.b.Stellung()));
      t.b.FENKopieren();
      QCOMPARE(*t.umgebung.text, QString("4k3/8/8/8/8/8/8/4K2R b K - 0 1"));
    } else {
      QCOMPARE(t.b.Stellung(), vorherStellung);
      QCOMPARE(QByteArray(reinterpret_cast<const char*>(&t.b.Zug()), sizeof(TZug)),
               QByteArray(reinterpret_cast<const char*>(&vorherZug), sizeof(TZug)));
      QCOMPARE(t.b.Bild(), vorherBild);
    }
  }

  void fenClipboardEdges() {
    Brett t;
    t.b.StellungSetzen(GrundstellungBrett, GrundstellungZug());
    t.b.FENKopieren();
    QCOMPARE(*t.umgebung.text, QString("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    t.umgebung.text.reset();
    QVERIFY(!t.b.FENEinfuegen());
    // The 99 characters end in "4K2": the rook on h1 lies beyond them.
    t.umgebung.text = QString(80, ' ') + "4k3/8/8/8/8/8/8/4K2R b K - 0 1";
    t.b.FENEinfuegen();
    QVERIFY(t.b.Stellung()[I("h1")] != Turm);
    t.umgebung.text = QString(79, ' ') + "4k3/8/8/8/8/8/8/4K2R b K - 0 1";
    QVERIFY(t.b.FENEinfuegen());
    QCOMPARE(t.b.Stellung()[I("h1")], Turm);
  }

  void diagrammKopieren() {
    Brett t(33, TFigurenset::WinboardF33);
    t.b.Drehen();
    t.b.DiagrammKopieren();
    const QImage& d = t.umgebung.bild;
    QCOMPARE(d.size(), QSize(264, 264));
    for (int i = 0; i < 264; ++i)  // a black frame
      for (QPoint q : {QPoint(i, 0), QPoint(i, 263), QPoint(0, i), QPoint(263, i)})
        QCOMPARE(d.pixel(q) & 0xffffff, QRgb(0));
    QCOMPARE(d.copy(1, 1, 262, 262), t.b.Bild().copy(1, 1, 262, 262));
    QVERIFY(t.umgebung.bmp.startsWith("BM"));
    QImage ausBmp;
    QVERIFY(ausBmp.loadFromData(t.umgebung.bmp, "BMP"));
    QCOMPARE(ausBmp.convertToFormat(QImage::Format_RGB32), d.convertToFormat(QImage::Format_RGB32));
  }

  void realClipboardRoundTrip() {
    TBrett b;
    b.setGrundstellung(true);
    TZug z = GrundstellungZug();
    b.StellungSetzen(GrundstellungBrett, z);
    b.FENKopieren();
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty()) QSKIP("this platform has no clipboard");
    QCOMPARE(text, QString("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    b.setGrundstellung(false);
    QVERIFY(b.FENEinfuegen());
    QCOMPARE(b.Stellung(), GrundstellungBrett);
    b.DiagrammKopieren();
    const QMimeData* daten = QGuiApplication::clipboard()->mimeData();
    QVERIFY(daten->hasImage());
    QVERIFY(daten->data("image/bmp").startsWith("BM"));
  }
};

QTEST_MAIN(BrettTest)
#include "board_widget_qtest.moc"
