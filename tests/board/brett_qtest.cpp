// The board component on the offscreen platform: drawing, properties, piece
// files, host moves and their animation, mouse input and the clipboard. The
// platform services are answered by a fake.
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "board/brett.h"
#include "board/brettumgebung.h"
#include "board/umwandlung.h"
#include "core/moves.h"

using namespace brevaro;

namespace {

struct FakeUmgebung : TBrettUmgebung {
  QStringList meldungen;
  int piepen = 0;
  QList<int> pausen;
  std::function<void()> beiPause;
  int wahl = 0;
  QList<int> gefragt;
  std::optional<QString> text;
  QImage bild;
  QByteArray bmp;

  void Fehlermeldung(QWidget*, const QString& t) override { meldungen << t; }
  void Piepen() override { ++piepen; }
  void Pause(int ms) override {
    pausen << ms;
    if (beiPause) beiPause();
  }
  int Umwandlungswahl(TBrett&, int farbe) override {
    gefragt << farbe;
    return wahl * farbe;
  }
  std::optional<QString> ClipboardText() override { return text; }
  void ClipboardTextSetzen(const QString& t) override { text = t; }
  void ClipboardBildSetzen(const QImage& b, const QByteArray& d) override {
    bild = b;
    bmp = d;
  }
};

int I(const char* feld) {
  return (feld[0] - 'a') + 21 + 10 * (feld[1] - '1');
}
int N(const char* feld) {
  return (feld[0] - 'a') + 8 * (feld[1] - '1');
}

TSchachbrett AusFen(const char* fen, TZug& zug) {
  TSchachbrett b = LeeresBrett;
  uint16_t n = 1;
  if (!FENToStellung(fen, b, zug, n)) qFatal("bad test FEN %s", fen);
  return b;
}

// A board with a built-in set and size, showing `brett`, drawn completely.
struct Brett {
  FakeUmgebung umgebung;
  TBrett b;
  explicit Brett(int groesse = 32, TFigurenset satz = TFigurenset::F32) {
    b.setUmgebung(&umgebung);
    b.setFiguren(satz);
    b.setGroesse(static_cast<int8_t>(groesse));
    b.setGrundstellung(true);
    b.Neuzeichnen(true);
  }
};

QImage Referenz(const TSchachbrett& stellung, int groesse = 32, bool gedreht = false,
                bool blind = false) {
  Brett r(groesse);
  if (gedreht) r.b.Drehen();
  r.b.setBlind(blind);
  r.b.StellungSetzen(stellung, TZug{});
  r.b.Neuzeichnen(true);
  return r.b.Bild();
}

QPoint Mitte(const TBrett& b, int feldnummer) {
  const TRechteck r = b.Feldrechtecke()[Anzeigeindex(feldnummer, b.Gedreht())];
  return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

bool FeldLeer(const TBrett& b, int feldnummer) {
  const TRechteck r = b.Feldrechtecke()[Anzeigeindex(feldnummer, b.Gedreht())];
  const QRgb farbe = b.Bild().pixel(r.Left, r.Top);
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (b.Bild().pixel(x, y) != farbe) return false;
  return true;
}

QImage StripDatei(int breite, int hoehe) {
  QImage s(breite, hoehe, QImage::Format_RGB32);
  s.fill(Qt::white);
  return s;
}

}  // namespace

class BrettTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    TBrett::legal = false;
    TBrett::AufbauFigur = 0;
  }

  // ---- Construction and properties ----------------------------------------

  void constructionDefaults() {
    TBrett b;
    QCOMPARE(b.Groesse(), 32);
    QCOMPARE(b.size(), QSize(256, 256));
    QCOMPARE(b.Bild().size(), QSize(256, 256));
    QCOMPARE(b.Figuren(), TFigurenset::User);
    QVERIFY(b.UserFiguren().isEmpty());
    QVERIFY(b.Ziehenmoeglich());
    QVERIFY(b.Grundstellung());
    QCOMPARE(b.WhiteSquareColor(), QRgb(0xffffff) | 0xff000000);
    QCOMPARE(b.BlackSquareColor() & 0xffffff, QRgb(0xc0c0c0));
    QCOMPARE(b.Animation(), 0);
    QCOMPARE(b.Stellung(), GrundstellungBrett);
    QCOMPARE(b.Zug().AmZug, 0);  // the record starts zero-filled
    for (int n = 0; n < 64; ++n) QCOMPARE(b.Gezeichnet()[FeldIndex(n)], -100);
  }

  void groesseLimits_data() {
    QTest::addColumn<int>("wert");
    QTest::addColumn<int>("erwartet");
    QTest::newRow("-40 as 40") << -40 << 40;
    QTest::newRow("9 ignored") << 9 << 32;
    QTest::newRow("10") << 10 << 10;
    QTest::newRow("99") << 99 << 99;
    QTest::newRow("100 ignored") << 100 << 32;
    QTest::newRow("-128 ignored") << -128 << 32;
  }
  void groesseLimits() {
    QFETCH(int, wert);
    QFETCH(int, erwartet);
    TBrett b;
    b.setGroesse(static_cast<int8_t>(wert));
    QCOMPARE(b.Groesse(), erwartet);
    QCOMPARE(b.size(), QSize(8 * erwartet, 8 * erwartet));
    QCOMPARE(b.Bild().size(), QSize(8 * erwartet, 8 * erwartet));
    QCOMPARE(b.Feldrechtecke()[63].Right, 8 * erwartet);
  }

  void newBoardDrawsEverySquareWithoutAlles() {
    FakeUmgebung u;
    TBrett b;
    b.setUmgebung(&u);
    b.FigurenUebernehmen(FigurensatzErzeugen(TFigurenset::F32), TFigurenset::User);
    b.Neuzeichnen(false);
    QCOMPARE(b.Gezeichnet(), b.Stellung());
    QCOMPARE(b.Bild(), Referenz(GrundstellungBrett));
  }

  void redrawOnlyChangedSquares() {
    Brett t;
    // Blind takes effect only on squares that are drawn: the two squares of
    // the move are drawn (empty), the others keep their pieces.
    t.b.setBlind(true);
    TSchachbrett neu = GrundstellungBrett;
    neu[I("e4")] = Bauer;
    neu[I("e2")] = Leer;
    t.b.StellungSetzen(neu, TZug{});
    QVERIFY(FeldLeer(t.b, N("e2")));
    QVERIFY(FeldLeer(t.b, N("e4")));
    QVERIFY(!FeldLeer(t.b, N("d2")));
    QVERIFY(!FeldLeer(t.b, N("e1")));
    QCOMPARE(t.b.Gezeichnet(), neu);
  }

  void zeichnensperreBlocksRedraws() {
    Brett t;
    const QImage vorher = t.b.Bild();
    t.b.setZeichnensperre(true);
    t.b.setBlind(true);
    t.b.Neuzeichnen(true);
    QCOMPARE(t.b.Bild(), vorher);
    t.b.setZeichnensperre(false);
    t.b.Neuzeichnen(true);
    QVERIFY(t.b.Bild() != vorher);
  }

  void rotationAndDarkSquares() {
    Brett t;
    t.b.setGrundstellung(false);
    for (bool gedreht : {false, true}) {
      if (t.b.Gedreht() != gedreht) t.b.Drehen();
      for (int d = 0; d < 64; ++d) {
        const TRechteck r = t.b.Feldrechtecke()[d];
        const QRgb farbe = t.b.Bild().pixel(r.Left + 3, r.Top + 3) & 0xffffff;
        QCOMPARE(farbe, DunklesFeld(d) ? QRgb(0xc0c0c0) : QRgb(0xffffff));
      }
      QCOMPARE(t.b.Bild().pixel(0, 255) & 0xffffff, QRgb(0xc0c0c0));  // bottom-left dark
    }
    // a1 at the top-right and h8 at the bottom-left of a rotated board.
    Brett u;
    TSchachbrett s = LeeresBrett;
    s[I("a1")] = Turm;
    s[I("h8")] = -Dame;
    u.b.StellungSetzen(s, TZug{});
    const QImage gerade = u.b.Bild();
    u.b.Drehen();
    QVERIFY(u.b.Gedreht());
    const QImage gedreht = u.b.Bild();
    QCOMPARE(gedreht.copy(224, 0, 32, 32), gerade.copy(0, 224, 32, 32));  // a1
    QCOMPARE(gedreht.copy(0, 224, 32, 32), gerade.copy(224, 0, 32, 32));  // h8
    QCOMPARE(FeldBeimDruecken(u.b.Feldrechtecke(), true, 230, 5), N("a1"));
  }

  void blindLeavesSquaresEmpty() {
    for (bool gedreht : {false, true}) {
      Brett t;
      if (gedreht) t.b.Drehen();
      t.b.setBlind(true);
      t.b.Neuzeichnen(true);
      for (int n = 0; n < 64; ++n) QVERIFY(FeldLeer(t.b, n));
      QCOMPARE(t.b.Stellung(), GrundstellungBrett);
      t.b.setBlind(false);
      t.b.Neuzeichnen(true);
      QCOMPARE(t.b.Bild(), Referenz(GrundstellungBrett, 32, gedreht));
    }
  }

  void grundstellungFalseReportsTheEmptyBoard() {
    Brett t;
    int aufrufe = 0;
    t.b.OnNewPosition = [&](TBrett* sender, TSchachbrett& s, TZug& z, int32_t nr) {
      ++aufrufe;
      QCOMPARE(sender, &t.b);
      QCOMPARE(&s, &t.b.Stellung());
      QCOMPARE(&z, &t.b.Zug());
      QCOMPARE(nr, 1);
    };
    t.b.setGrundstellung(false);
    QCOMPARE(aufrufe, 1);
    QCOMPARE(t.b.Stellung(), LeeresBrett);
    QCOMPARE(t.b.Zug().AmZug, 1);
    QCOMPARE(t.b.Zug().Rochaderechte, 31);
    for (int n = 0; n < 64; ++n) QVERIFY(FeldLeer(t.b, n));
    t.b.setGrundstellung(false);  // runs again for an unchanged value
    QCOMPARE(aufrufe, 2);
  }

  void coloursAndPatternsRedraw() {
    Brett t;
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

  // ---- Piece sets ---------------------------------------------------------

  void figurenSetter() {
    Brett t;
    QCOMPARE(t.b.FigurenbildHolen(), FigurensatzErzeugen(TFigurenset::F32));
    // The same value again does not draw the set anew.
    const QImage fremd = FigurensatzErzeugen(TFigurenset::WinboardF45);
    t.b.FigurenUebernehmen(fremd, TFigurenset::F32);
    t.b.setFiguren(TFigurenset::F32);
    QCOMPARE(t.b.FigurenbildHolen(), fremd);
    // User loads nothing and keeps the strip.
    t.b.setFiguren(TFigurenset::User);
    QCOMPARE(t.b.Figuren(), TFigurenset::User);
    QCOMPARE(t.b.FigurenbildHolen(), fremd);
    t.b.setFiguren(TFigurenset::WinboardF80);
    QCOMPARE(t.b.FigurenbildHolen().size(), QSize(960, 160));
    QVERIFY(t.umgebung.meldungen.isEmpty());
  }

  void userPieceFiles_data() {
    QTest::addColumn<int>("breite");
    QTest::addColumn<int>("hoehe");
    QTest::addColumn<QString>("meldung");
    QTest::newRow("480x80") << 480 << 80 << QString();
    QTest::newRow("479x80") << 479 << 80 << QString::fromUtf8("Ungültige Maße der Bitmap.");
    QTest::newRow("1212x202") << 1212 << 202 << QString::fromUtf8("Ungültige Maße der Bitmap.");
    QTest::newRow("120x19") << 120 << 19 << QString();
  }
  void userPieceFiles() {
    QFETCH(int, breite);
    QFETCH(int, hoehe);
    QFETCH(QString, meldung);
    QTemporaryDir dir;
    const QString datei = dir.filePath("pieces.bmp");
    QVERIFY(StripDatei(breite, hoehe).save(datei, "BMP"));
    Brett t;
    t.b.setUserFiguren(datei);
    if (meldung.isEmpty()) {
      QVERIFY(t.umgebung.meldungen.isEmpty());
      QCOMPARE(t.b.Figuren(), TFigurenset::User);
      QCOMPARE(t.b.UserFiguren(), datei);
      QCOMPARE(t.b.FigurenbildHolen().size(), QSize(breite, hoehe));
    } else {
      QCOMPARE(t.umgebung.meldungen, QStringList{meldung});
      QCOMPARE(t.b.Figuren(), TFigurenset::WinboardF33);
      QVERIFY(t.b.UserFiguren().isEmpty());
      QCOMPARE(t.b.FigurenbildHolen(), FigurensatzErzeugen(TFigurenset::WinboardF33));
    }
  }

  void userPieceFileMissingOrBroken() {
    QTemporaryDir dir;
    Brett t;
    t.b.setUserFiguren(dir.filePath("missing.bmp"));
    QCOMPARE(t.umgebung.meldungen, QStringList{"File not found."});
    QCOMPARE(t.b.Figuren(), TFigurenset::F32);
    QVERIFY(t.b.UserFiguren().isEmpty());
    QVERIFY(!t.b.BenutzerFigurenLaden(dir.filePath("missing.bmp")));
    QCOMPARE(t.umgebung.meldungen.last(), QString::fromUtf8("Datei wurde nicht gefunden."));
    QFile kaputt(dir.filePath("broken.bmp"));
    QVERIFY(kaputt.open(QIODevice::WriteOnly));
    kaputt.write("BM this is no bitmap");
    kaputt.close();
    t.b.setUserFiguren(kaputt.fileName());
    QCOMPARE(t.umgebung.meldungen.last(), QString::fromUtf8("Bitmap konnte nicht geladen werden."));
    QCOMPARE(t.b.Figuren(), TFigurenset::WinboardF33);
  }

  void userStripIsStretchedToTheSquares() {
    // A strip of size 16 on a board of 32: each strip pixel covers 2 x 2.
    Brett t;
    t.b.FigurenUebernehmen(FigurensatzErzeugen(TFigurenset::F16), TFigurenset::User);
    t.b.Neuzeichnen(true);
    QImage erwartet(32, 32, QImage::Format_RGB32);
    erwartet.fill(0xffc0c0c0);  // e1 is a dark square
    FigurZeichnen(erwartet, QRect(0, 0, 32, 32), FigurensatzErzeugen(TFigurenset::F16), Koenig);
    QCOMPARE(t.b.Bild().copy(128, 224, 32, 32), erwartet);
  }

  // ---- Host moves -----------------------------------------------------------

  void hostMoves_data() {
    QTest::addColumn<QString>("fen");
    QTest::addColumn<QString>("von");
    QTest::addColumn<QString>("nach");
    QTest::addColumn<int>("umwandlung");
    QTest::addColumn<QString>("danach");  // placement after the move
    QTest::newRow("pawn") << "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
                          << "e2"
                          << "e4" << 0 << "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR";
    QTest::newRow("short castling") << "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"
                                    << "e1"
                                    << "g1" << 0 << "r3k2r/8/8/8/8/8/8/R4RK1";
    QTest::newRow("long castling black") << "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"
                                         << "e8"
                                         << "c8" << 0 << "2kr3r/8/8/8/8/8/8/R3K2R";
    QTest::newRow("en passant") << "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1"
                                << "e5"
                                << "d6" << 0 << "4k3/8/3P4/8/8/8/8/4K3";
    QTest::newRow("capture") << "4k3/8/3p4/4P3/8/8/8/4K3 w - - 0 1"
                             << "e5"
                             << "d6" << 0 << "4k3/8/3P4/8/8/8/8/4K3";
    QTest::newRow("promotion given") << "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1"
                                     << "b7"
                                     << "b8" << 3 << "1B2k3/8/8/8/8/8/8/4K3";
    QTest::newRow("promotion asked") << "4k3/8/8/8/8/8/1p6/4K3 b - - 0 1"
                                     << "b2"
                                     << "a1" << -1 << "4k3/8/8/8/8/8/8/q3K3";
  }
  void hostMoves() {
    QFETCH(QString, fen);
    QFETCH(QString, von);
    QFETCH(QString, nach);
    QFETCH(int, umwandlung);
    QFETCH(QString, danach);
    for (int animation : {0, 1}) {
      Brett t;
      t.umgebung.wahl = 5;
      t.b.setAnimation(static_cast<uint8_t>(animation));
      TZug z;
      const TSchachbrett s = AusFen(fen.toLatin1().constData(), z);
      t.b.StellungSetzen(s, z);
      t.b.ZugMachen(I(von.toLatin1().constData()), I(nach.toLatin1().constData()), umwandlung,
                    false);
      const std::string fenDanach = StellungToFEN(t.b.Stellung(), t.b.Zug(), 1, false);
      QCOMPARE(QString::fromStdString(fenDanach.substr(0, fenDanach.find(' '))), danach);
      QCOMPARE(t.b.Bild(), Referenz(t.b.Stellung()));
      QCOMPARE(t.b.Gezeichnet(), t.b.Stellung());
      QCOMPARE(t.umgebung.pausen.isEmpty(), animation == 0);
      QCOMPARE(t.umgebung.gefragt.size(), umwandlung == -1 ? 1 : 0);
      QCOMPARE(t.umgebung.piepen, 0);
    }
  }

  void fischerCastlingMovesKingAndRook() {
    // King b1, rooks a1 and c1; castling short puts king g1, rook f1.
    Brett t;
    TZug z;
    TFischerInfo info{1, 21, 23, 91, 93, 22, 92};
    const TSchachbrett s = AusFen("rkr5/8/8/8/8/8/8/RKR5 w KQkq - 0 1", z);
    t.b.setFischerInfo(&info);
    t.b.StellungSetzen(s, z);
    t.b.ZugMachen(I("b1"), I("g1"), 0, true);
    QCOMPARE(t.b.Zug().Rochade, FischerKurz);
    QCOMPARE(t.b.Stellung()[I("g1")], Koenig);
    QCOMPARE(t.b.Stellung()[I("f1")], Turm);
    QCOMPARE(t.b.Stellung()[I("c1")], Leer);
    QCOMPARE(t.b.Stellung()[I("b1")], Leer);
    QCOMPARE(t.b.Bild(), Referenz(t.b.Stellung()));
    // King g1 / rook h1 castling short: the king stays, the rook jumps to f1.
    Brett u;
    TFischerInfo info2{1, 21, 28, 91, 98, 27, 97};
    const TSchachbrett s2 = AusFen("r5kr/8/8/8/8/8/8/R5KR w KQkq - 0 1", z);
    u.b.setFischerInfo(&info2);
    u.b.StellungSetzen(s2, z);
    u.b.ZugMachen(I("g1"), I("g1"), 0, true);
    QCOMPARE(u.b.Stellung()[I("g1")], Koenig);
    QCOMPARE(u.b.Stellung()[I("f1")], Turm);
    QCOMPARE(u.b.Stellung()[I("h1")], Leer);
    QCOMPARE(u.b.Bild(), Referenz(u.b.Stellung()));
  }

  void tonBeepsAfterAHostMove() {
    Brett t;
    t.b.setTon(true);
    t.b.ZugMachen(I("g1"), I("f3"), 0, false);
    QCOMPARE(t.umgebung.piepen, 1);
  }

  void knightAnimationSteps() {
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
    // The knight is seen on its way: the 10th picture shows it 40 px up and
    // 20 px left of g1 (f3 is 80 px up, 40 px left).
    QImage erwartet = Referenz(GrundstellungBrett, 40);
    Brett leer(40);
    TSchachbrett ohne = GrundstellungBrett;
    ohne[I("g1")] = Leer;
    leer.b.StellungSetzen(ohne, TZug{});
    QImage schritt10 = leer.b.Bild();
    FigurZeichnen(schritt10, QRect(240 - 20, 280 - 40, 40, 40), t.b.FigurenbildHolen(), Springer);
    QCOMPARE(bilder[9], schritt10);
  }

  void blindAnimationShowsThePieceOnlyWhileItSlides() {
    Brett t(40);
    t.b.setBlind(true);
    t.b.Neuzeichnen(true);
    t.b.setAnimation(1);
    int mitFigur = 0;
    t.umgebung.beiPause = [&] {
      if (t.b.Bild() != Referenz(LeeresBrett, 40)) ++mitFigur;
    };
    t.b.ZugMachen(I("e2"), I("e4"), 0, false);
    QVERIFY(mitFigur > 10);
    QCOMPARE(t.b.Bild(), Referenz(LeeresBrett, 40));
  }

  // ---- Mouse input ------------------------------------------------------------

  void dragAMove() {
    Brett t;
    t.b.setAnimation(10);
    t.b.setTon(true);
    int versuche = 0, fertig = 0;
    t.b.OnMoveTry = [&](TBrett* b, bool& legal) {
      ++versuche;
      QCOMPARE(b->Zug().Von, I("e2"));
      QCOMPARE(b->Zug().Nach, I("e4"));
      QCOMPARE(b->Zug().Rochade, 0);
      legal = true;
    };
    t.b.OnMoveDone = [&](TBrett*) { ++fertig; };
    const QPoint p = Mitte(t.b, N("e2"));
    t.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, p);
    QCOMPARE(t.b.SchwebeFigur(), Bauer);
    QVERIFY(FeldLeer(t.b, N("e2")) == false);  // lifted by 2 pixels, still over e2
    t.b.MausBewegen(p + QPoint(3, -30));
    t.b.MausBewegen(p + QPoint(5, -64));
    t.b.MausLoslassen(Qt::LeftButton, Qt::NoModifier, p + QPoint(5, -64));
    QCOMPARE(versuche, 1);
    QCOMPARE(fertig, 1);
    QCOMPARE(t.b.SchwebeFigur(), 0);
    QCOMPARE(t.b.Stellung()[I("e4")], Bauer);
    QCOMPARE(t.b.Zug().EnPassant, I("e3"));
    QCOMPARE(t.b.Zug().AmZug, -1);
    QCOMPARE(t.b.Bild(), Referenz(t.b.Stellung()));
    QVERIFY(t.umgebung.pausen.isEmpty());  // never animated
    QCOMPARE(t.umgebung.piepen, 0);        // never beeps
    QVERIFY(t.b.Ton());
  }

  void refusedDrops_data() {
    QTest::addColumn<QPoint>("weg");
    QTest::addColumn<bool>("legal");
    QTest::addColumn<bool>("gedreht");
    QTest::addColumn<int>("versuche");
    QTest::newRow("refused by host") << QPoint(0, -64) << false << false << 1;
    QTest::newRow("outside") << QPoint(0, 90) << true << false << 0;
    QTest::newRow("outside rotated") << QPoint(0, -90) << true << true << 0;
    QTest::newRow("start square") << QPoint(10, 0) << true << false << 0;
    QTest::newRow("own piece") << QPoint(32, 0) << true << false << 0;
  }
  void refusedDrops() {
    QFETCH(QPoint, weg);
    QFETCH(bool, legal);
    QFETCH(bool, gedreht);
    QFETCH(int, versuche);
    Brett t;
    if (gedreht) t.b.Drehen();
    const QImage vorher = t.b.Bild();
    int n = 0;
    t.b.OnMoveTry = [&](TBrett*, bool& l) {
      ++n;
      l = legal;
    };
    const int von = gedreht ? N("e7") : N("e2");
    if (gedreht) t.b.setGrundstellung(true);
    const QPoint p = Mitte(t.b, gedreht ? N("d2") : von);
    t.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, p);
    QVERIFY(t.b.SchwebeFigur() != 0);
    t.b.MausBewegen(p + weg);
    t.b.MausLoslassen(Qt::LeftButton, Qt::NoModifier, p + weg);
    QCOMPARE(n, versuche);
    QCOMPARE(t.b.Stellung(), GrundstellungBrett);
    QCOMPARE(t.b.Bild(), vorher);
  }

  void dropOnABorderLinePicksTheLowerIndex() {
    Brett t;
    int nach = 0;
    t.b.OnMoveTry = [&](TBrett* b, bool&) { nach = b->Zug().Nach; };
    const QPoint p(140, 200);  // inside e2 (left 128, top 192)
    t.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, p);
    // The floating rectangle starts at (128, 190); its centre is left + 16.
    // Moved by (16, -64) the centre lies on the e|f border line of e4.
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

  void suggestionClick() {
    for (bool strg : {false, true}) {
      Brett t;
      t.b.setZugVorschlagen(true);
      int versuche = 0;
      t.b.OnMovePart = [](TBrett*, uint8_t teil, uint8_t& v) {
        if (teil == I("e4")) v = static_cast<uint8_t>(I("e2"));
      };
      t.b.OnMoveTry = [&](TBrett* b, bool& legal) {
        ++versuche;
        QCOMPARE(b->Zug().Von, I("e2"));
        QCOMPARE(b->Zug().Nach, I("e4"));
        legal = true;
      };
      const QPoint p = Mitte(t.b, N("e4"));
      const auto tasten = strg ? Qt::KeyboardModifiers(Qt::ControlModifier) : Qt::NoModifier;
      t.b.MausDruecken(Qt::LeftButton, tasten, p);
      QCOMPARE(t.b.Startfeld(), N("e4"));
      t.b.MausLoslassen(Qt::LeftButton, tasten, p);
      QCOMPARE(versuche, strg ? 0 : 1);
      QCOMPARE(t.b.Vorschlag(), 0);
      QCOMPARE(t.b.Bild(), Referenz(t.b.Stellung()));  // no frame left behind
      QCOMPARE(t.b.Stellung()[I("e4")], strg ? Leer : Bauer);
    }
  }

  void suggestionOffTheBoardCountsAsNone() {
    for (int vorschlag : {5, 30, 99, 119, 255}) {
      Brett t;
      t.b.setZugVorschlagen(true);
      t.b.OnMovePart = [vorschlag](TBrett*, uint8_t, uint8_t& v) {
        v = static_cast<uint8_t>(vorschlag);
      };
      int versuche = 0;
      t.b.OnMoveTry = [&](TBrett*, bool&) { ++versuche; };
      const QPoint p = Mitte(t.b, N("e4"));
      t.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, p);
      QCOMPARE(t.b.Vorschlag(), 0);
      t.b.MausLoslassen(Qt::LeftButton, Qt::NoModifier, p);
      QCOMPARE(versuche, 0);
      QCOMPARE(t.b.Bild(), Referenz(GrundstellungBrett));
    }
  }

  void suggestionForACaptureClicked() {
    // White to move: a click on the black pawn d5 with the host suggesting e4.
    Brett t;
    TZug z;
    t.b.StellungSetzen(AusFen("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", z), z);
    t.b.setZugVorschlagen(true);
    t.b.OnMovePart = [](TBrett*, uint8_t teil, uint8_t& v) {
      if (teil == I("d5")) v = static_cast<uint8_t>(I("e4"));
    };
    int von = 0;
    t.b.OnMoveTry = [&](TBrett* b, bool& legal) {
      von = b->Zug().Von;
      legal = b->Zug().Nach == I("d5");
    };
    const QPoint p = Mitte(t.b, N("d5"));
    t.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, p);
    QCOMPARE(t.b.SchwebeFigur(), 0);
    t.b.MausLoslassen(Qt::LeftButton, Qt::NoModifier, p);
    QCOMPARE(von, I("e4"));
    QCOMPARE(t.b.Stellung()[I("d5")], Bauer);
    QCOMPARE(t.b.Zug().Geschlagen, -Bauer);
    QCOMPARE(t.b.Bild(), Referenz(t.b.Stellung()));
  }

  void suggestionForAPieceClicked() {
    Brett t;
    t.b.setZugVorschlagen(true);
    t.b.OnMovePart = [](TBrett*, uint8_t teil, uint8_t& v) {
      if (teil == I("g1")) v = static_cast<uint8_t>(I("f3"));
    };
    t.b.OnMoveTry = [](TBrett*, bool& legal) { legal = true; };
    const QPoint p = Mitte(t.b, N("g1"));
    t.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, p);
    QCOMPARE(t.b.SchwebeFigur(), Springer);
    t.b.MausLoslassen(Qt::LeftButton, Qt::NoModifier, p);
    QCOMPARE(t.b.Stellung()[I("f3")], Springer);
    QCOMPARE(t.b.Bild(), Referenz(t.b.Stellung()));
  }

  void pressDestinationReleaseOverOwnPiece() {
    Brett t;
    t.b.setZugVorschlagen(true);
    t.b.OnMovePart = [](TBrett*, uint8_t teil, uint8_t& v) {
      if (teil == I("f3")) v = static_cast<uint8_t>(I("g1"));
    };
    int von = 0, nach = 0;
    t.b.OnMoveTry = [&](TBrett* b, bool& legal) {
      von = b->Zug().Von;
      nach = b->Zug().Nach;
      legal = true;
    };
    t.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, Mitte(t.b, N("f3")));
    t.b.MausLoslassen(Qt::LeftButton, Qt::NoModifier, Mitte(t.b, N("g1")));
    QCOMPARE(von, I("g1"));
    QCOMPARE(nach, I("f3"));
    QCOMPARE(t.b.Bild(), Referenz(t.b.Stellung()));
  }

  void fischerCastlingWithCtrl() {
    Brett t;
    TZug z;
    TFischerInfo info{1, 21, 28, 91, 98, 23, 93};
    t.b.setFischerInfo(&info);
    t.b.StellungSetzen(AusFen("r1k4r/8/8/8/8/8/8/R1K4R w KQkq - 0 1", z), z);
    uint8_t rochade = 99;
    t.b.OnMoveTry = [&](TBrett* b, bool& legal) {
      rochade = b->Zug().Rochade;
      legal = true;
    };
    // The king is already on c1: a Ctrl click on it castles long.
    const QPoint p = Mitte(t.b, N("c1"));
    t.b.MausDruecken(Qt::LeftButton, Qt::ControlModifier, p);
    t.b.MausLoslassen(Qt::LeftButton, Qt::ControlModifier, p);
    QCOMPARE(rochade, FischerKurz);  // the try marks any Fischer castling with 3
    QCOMPARE(t.b.Zug().Rochade, FischerLang);
    QCOMPARE(t.b.Stellung()[I("c1")], Koenig);
    QCOMPARE(t.b.Stellung()[I("d1")], Turm);
    QCOMPARE(t.b.Stellung()[I("a1")], Leer);
    // Without Ctrl the same click offers nothing.
    Brett u;
    u.b.setFischerInfo(&info);
    u.b.StellungSetzen(AusFen("r1k4r/8/8/8/8/8/8/R1K4R w KQkq - 0 1", z), z);
    int versuche = 0;
    u.b.OnMoveTry = [&](TBrett*, bool&) { ++versuche; };
    u.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, p);
    u.b.MausLoslassen(Qt::LeftButton, Qt::NoModifier, p);
    QCOMPARE(versuche, 0);
  }

  void moveTryRestoresTheRecordAndKeepsLegal() {
    Brett t;
    TBrett::legal = true;  // the last answer stays without a handler
    const QPoint p = Mitte(t.b, N("g1"));
    t.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, p);
    t.b.MausBewegen(p + QPoint(-32, -64));
    t.b.MausLoslassen(Qt::LeftButton, Qt::NoModifier, p + QPoint(-32, -64));
    QCOMPARE(t.b.Stellung()[I("f3")], Springer);
  }

  void contextMenuHeldBackWhileTheLeftButtonIsDown() {
    Brett t;
    t.b.setContextMenuPolicy(Qt::CustomContextMenu);
    t.b.setZiehenmoeglich(false);  // as in the game window
    t.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, Mitte(t.b, N("e2")));
    QCOMPARE(t.b.contextMenuPolicy(), Qt::PreventContextMenu);
    t.b.MausLoslassen(Qt::LeftButton, Qt::NoModifier, Mitte(t.b, N("e2")));
    QCOMPARE(t.b.contextMenuPolicy(), Qt::CustomContextMenu);
  }

  void noInputWhenMovingIsOffOrRightButton() {
    Brett t;
    t.b.setZiehenmoeglich(false);
    t.b.MausDruecken(Qt::LeftButton, Qt::NoModifier, Mitte(t.b, N("e2")));
    QCOMPARE(t.b.SchwebeFigur(), 0);
    t.b.setZiehenmoeglich(true);
    t.b.MausDruecken(Qt::RightButton, Qt::NoModifier, Mitte(t.b, N("e2")));
    QCOMPARE(t.b.SchwebeFigur(), 0);
  }

  void mouseEventsReachTheBoard() {
    Brett t;
    t.b.OnMoveTry = [](TBrett*, bool& legal) { legal = true; };
    const QPoint p = Mitte(t.b, N("d2"));
    QTest::mousePress(&t.b, Qt::LeftButton, Qt::NoModifier, p);
    QCOMPARE(t.b.SchwebeFigur(), Bauer);
    QMouseEvent bewegen(QEvent::MouseMove, QPointF(p + QPoint(0, -32)),
                        t.b.mapToGlobal(QPointF(p + QPoint(0, -32))), Qt::NoButton, Qt::LeftButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(&t.b, &bewegen);
    QTest::mouseRelease(&t.b, Qt::LeftButton, Qt::NoModifier, p + QPoint(0, -32));
    QCOMPARE(t.b.Stellung()[I("d3")], Bauer);
  }

  // ---- Promotion window ---------------------------------------------------

  void promotionWindow() {
    for (int farbe : {1, -1}) {
      Brett t;
      TUmwandlungsfenster f(t.b, farbe);
      const int e = 32 + 5;
      QCOMPARE(f.size(), QSize(4 * e, e));
      for (int i = 0; i < 4; ++i) {
        QCOMPARE(f.Schalter()[i]->Wert(), farbe > 0 ? 2 + i : 8 + i);
        QCOMPARE(f.Schalter()[i]->geometry(), QRect(i * e, 0, e, e));
      }
      QVERIFY(f.Schalter()[3]->isDefault());
      TBrett::UmwandlungsFigur = 0;
      f.Schalter()[2]->click();
      QCOMPARE(TBrett::UmwandlungsFigur, farbe * Springer);
      QCOMPARE(f.result(), int(QDialog::Accepted));
    }
  }

  void promotionThroughTheModalWindow_data() {
    QTest::addColumn<int>("knopf");  // -1: closed with Escape
    QTest::addColumn<int>("figur");
    QTest::newRow("queen by Enter") << 3 << -Dame;
    QTest::newRow("rook") << 0 << -Turm;
    QTest::newRow("closed without choice") << -1 << 0;
  }
  void promotionThroughTheModalWindow() {
    QFETCH(int, knopf);
    QFETCH(int, figur);
    TBrett b;  // the desktop's services
    b.setFiguren(TFigurenset::F32);
    TZug z;
    b.StellungSetzen(AusFen("4k3/8/8/8/8/8/1p6/4K3 b - - 0 1", z), z);
    TBrett::UmwandlungsFigur = 7;  // a stale value must not leak into the move
    QTimer::singleShot(0, [knopf] {
      auto* f = qobject_cast<TUmwandlungsfenster*>(QApplication::activeModalWidget());
      QVERIFY(f);
      if (knopf == 3)
        QTest::keyClick(f->Schalter()[3], Qt::Key_Return);
      else if (knopf >= 0)
        f->Schalter()[knopf]->click();
      else
        f->reject();
    });
    b.ZugMachen(I("b2"), I("b1"), -1, false);
    QCOMPARE(int(b.Zug().Umwandlung), figur);
    QCOMPARE(b.Stellung()[I("b1")], figur == 0 ? -Bauer : figur);
  }

  void promotionWindowStaysOnTheScreen() {
    Brett t(80);
    t.b.move(5000, 5000);
    TUmwandlungsfenster f(t.b, 1);
    const QRect schirm = t.b.screen()->availableGeometry();
    QVERIFY(schirm.contains(f.frameGeometry().topLeft()));
    QVERIFY(f.x() + f.width() <= schirm.right() + 1);
    QVERIFY(f.y() + f.height() <= schirm.bottom() + 1);
  }

  // ---- Clipboard --------------------------------------------------------------

  void fenKopieren() {
    Brett t;
    TZug z = GrundstellungZug();
    t.b.StellungSetzen(GrundstellungBrett, z);
    t.b.FENKopieren();
    QCOMPARE(*t.umgebung.text, QString("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    t.umgebung.text = QString("4k3/8/8/8/8/8/8/4K2R b K - 12 40");
    QVERIFY(t.b.FENEinfuegen());
    t.b.FENKopieren();
    QCOMPARE(*t.umgebung.text, QString("4k3/8/8/8/8/8/8/4K2R b K - 0 1"));
  }

  void fenEinfuegen_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("gelesen");
    const QString fen = "4k3/8/8/8/8/8/8/4K2R b K - 0 1";
    QTest::newRow("plain") << fen << true;
    QTest::newRow("blanks and line breaks") << " \r\n\t" + fen + " \r\n" << true;
    QTest::newRow("quoted") << "\"" + fen + "\"" << true;
    QTest::newRow("pgn tag") << "[FEN \"" + fen + "\"]" << true;
    QTest::newRow("within 99") << QString(60, ' ') + fen << true;
    QTest::newRow("a word") << "hello" << false;
    QTest::newRow("empty") << "" << false;
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
    if (gelesen) {
      TZug z;
      QCOMPARE(t.b.Stellung(), AusFen("4k3/8/8/8/8/8/8/4K2R b K - 0 1", z));
      QCOMPARE(t.b.Zug().AmZug, -1);
      QCOMPARE(t.b.Zug().Rochaderechte & AlleRochaderechte, WeissKurz);
      QCOMPARE(t.b.Bild(), Referenz(t.b.Stellung()));
    } else {
      QCOMPARE(t.b.Stellung(), vorherStellung);
      QCOMPARE(QByteArray(reinterpret_cast<const char*>(&t.b.Zug()), sizeof(TZug)),
               QByteArray(reinterpret_cast<const char*>(&vorherZug), sizeof(TZug)));
      QCOMPARE(t.b.Bild(), vorherBild);
    }
  }

  void fenEinfuegenReadsAtMost99Characters() {
    Brett t;
    // The 99 characters end in "4K2": the rook on h1 lies beyond them.
    t.umgebung.text = QString(80, ' ') + "4k3/8/8/8/8/8/8/4K2R b K - 0 1";
    t.b.FENEinfuegen();
    QVERIFY(t.b.Stellung()[I("h1")] != Turm);
    t.umgebung.text = QString(79, ' ') + "4k3/8/8/8/8/8/8/4K2R b K - 0 1";
    QVERIFY(t.b.FENEinfuegen());
    QCOMPARE(t.b.Stellung()[I("h1")], Turm);
  }

  void fenEinfuegenWithoutText() {
    Brett t;
    t.umgebung.text.reset();
    QVERIFY(!t.b.FENEinfuegen());
  }

  void diagrammKopieren() {
    Brett t(33, TFigurenset::WinboardF33);
    t.b.Drehen();
    t.b.DiagrammKopieren();
    const QImage& d = t.umgebung.bild;
    QCOMPARE(d.size(), QSize(264, 264));
    for (int i = 0; i < 264; ++i) {
      QCOMPARE(d.pixel(i, 0) & 0xffffff, QRgb(0));
      QCOMPARE(d.pixel(i, 263) & 0xffffff, QRgb(0));
      QCOMPARE(d.pixel(0, i) & 0xffffff, QRgb(0));
      QCOMPARE(d.pixel(263, i) & 0xffffff, QRgb(0));
    }
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
#include "brett_qtest.moc"
