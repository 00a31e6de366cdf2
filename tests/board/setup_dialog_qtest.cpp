// The position setup dialog driven as a user would: through the dialog
// board's mouse handlers, the palette, the boxes and the buttons. The modal
// run is answered by a fake that works the dialog and returns its result.
#include <QLineEdit>
#include <QtTest>

#include "board/board_platform.h"
#include "board/board_widget.h"
#include "board/setup_dialog.h"
#include "board_test_util.h"

using namespace brevaro;
using namespace brevaro::test;

namespace {

void Klick(TBrett& b, Qt::MouseButton k, const char* feld, Qt::KeyboardModifiers t) {
  b.MausBewegen(Mitte(b, feld));
  b.MausDruecken(k, t, Mitte(b, feld));
  b.MausLoslassen(k, t, Mitte(b, feld));
}
void Links(TBrett& b, const char* feld, Qt::KeyboardModifiers t = Qt::NoModifier) {
  Klick(b, Qt::LeftButton, feld, t);
}
void Rechts(TBrett& b, const char* feld) {
  Klick(b, Qt::RightButton, feld, Qt::NoModifier);
}

struct Host {
  FakeUmgebung umgebung;
  TBrett b;
  int ereignisse = 0;
  int zugnummer = 0;
  std::function<void(TStellungsdialog&)> beimDialog;
  Host() {
    umgebung.beimDialog = [this](QDialog& d) { beimDialog(dynamic_cast<TStellungsdialog&>(d)); };
    b.setUmgebung(&umgebung);
    b.setFiguren(TFigurenset::WinboardF33);
    b.setGrundstellung(true);
    b.ZugBearbeiten().Rochaderechte = AlleRochaderechte;
    b.OnNewPosition = [this](TBrett*, TSchachbrett&, TZug&, int32_t z) {
      ++ereignisse;
      zugnummer = z;
    };
    ereignisse = 0;
  }
};

QImage Referenzbild(TBrett& b) {
  TBrett ref;  // the same size; it draws the strip b draws from
  ref.FigurenUebernehmen(b.Zeichenstrip(), TFigurenset::User);
  ref.StellungSetzen(b.Stellung(), b.Zug());
  return ref.Bild();
}

}  // namespace

class StellungsdialogTest : public QObject {
  Q_OBJECT

 private slots:
  void layoutEnglishAndGerman() {
    for (bool en : {true, false}) {
      Host h;
      h.b.setEnglish(en);
      TStellungsdialog d(h.b, false);
      QCOMPARE(d.Brett().geometry(), QRect(5, 5, 256, 256));
      const auto T = [en](const char* e, const char* g) { return QString::fromUtf8(en ? e : g); };
      const QList<QPair<QString, QString>> texte = {
          {d.windowTitle(), T("Setup position", "Stellung eingeben")},
          {d.Rochade()[1]->text(), T(" White 0-0-0", " Weiß 0-0-0")},
          {d.EnPassant()->itemText(7), "H"}};
      for (const auto& [ist, soll] : texte) QCOMPARE(ist, soll);
      QCOMPARE(d.EnPassant()->lineEdit()->maxLength(), 1);
      for (int i = 0; i < 12; ++i) QCOMPARE(d.Palette()[i]->Wert(), i < 6 ? i + 1 : 5 - i);
    }
  }

  void clearThenBuildAPosition() {
    Host h;
    h.beimDialog = [](TStellungsdialog& d) {
      TBrett& b = d.Brett();
      d.Leeren()->click();
      QCOMPARE(b.Stellung(), LeeresBrett);
      QVERIFY(!d.Ok()->isEnabled());
      for (auto* box : d.Rochade()) QVERIFY(!box->isChecked());
      Links(b, "e1");  // white king from the palette
      QCOMPARE(b.Stellung()[I("e1")], Koenig);
      QVERIFY(!d.Ok()->isEnabled());
      Rechts(b, "e8");  // the right button places the other colour
      QCOMPARE(b.Stellung()[I("e8")], -Koenig);
      QVERIFY(d.Ok()->isEnabled());
      Rechts(b, "e8");  // the same piece again removes it
      QCOMPARE(b.Stellung()[I("e8")], Leer);
      QVERIFY(!d.Ok()->isEnabled());
      Rechts(b, "d1");  // next to the white king: implausible for either side
      QVERIFY(!d.Ok()->isEnabled());
      d.Schwarz()->click();
      QVERIFY(!d.Ok()->isEnabled());
      Links(b, "d1", Qt::ControlModifier);  // Ctrl + left empties
      QCOMPARE(b.Stellung()[I("d1")], Leer);
      Rechts(b, "h8");
      QVERIFY(d.Ok()->isEnabled());
      // Ctrl + right changes the palette piece: king, queen.
      b.MausDruecken(Qt::RightButton, Qt::ControlModifier, Mitte(b, "a4"));
      QCOMPARE(TBrett::AufbauFigur, Dame);
      QCOMPARE(b.Stellung()[I("a4")], Leer);
      Links(b, "a4");
      QCOMPARE(b.Stellung()[I("a4")], Dame);
      d.Palette()[0]->click();  // a white pawn on the last rank
      QCOMPARE(TBrett::AufbauFigur, Bauer);
      Links(b, "c8");
      QVERIFY(!d.Ok()->isEnabled());
      Links(b, "c8");
      QVERIFY(d.Ok()->isEnabled());
      d.Zugnummer()->setValue(23);
      d.Ok()->click();
    };
    QVERIFY(h.b.StellungEingeben(false));
    QCOMPARE(h.zugnummer, 23);
    QCOMPARE(h.b.Stellung()[I("e1")], Koenig);
    QCOMPARE(h.b.Stellung()[I("h8")], -Koenig);
    QCOMPARE(h.b.Stellung()[I("a4")], Dame);
    QCOMPARE(h.b.Zug().AmZug, -1);
    QCOMPARE(h.b.Zug().Rochaderechte & AlleRochaderechte, 0);
    // The host board shows the new position.
    QCOMPARE(h.b.Bild(), Referenzbild(h.b));
  }

  void castlingBoxesFollowKingAndRook() {
    Host h;
    h.beimDialog = [](TStellungsdialog& d) {
      TBrett& b = d.Brett();
      d.Palette()[4]->click();  // white queen onto h1 replaces the rook
      Links(b, "h1");
      QVERIFY(!d.Rochade()[0]->isChecked());
      QVERIFY(d.Rochade()[1]->isChecked());
      d.Palette()[1]->click();  // the rook back
      Links(b, "h1");
      QVERIFY(d.Rochade()[0]->isChecked());
      // Taking a right away is always possible ...
      d.Rochade()[2]->click();
      QVERIFY(!d.Rochade()[2]->isChecked());
      // ... giving it back only when the pieces allow.
      d.Rochade()[2]->click();
      QVERIFY(d.Rochade()[2]->isChecked());
      d.Palette()[5]->click();  // white king to f1
      Links(b, "e1", Qt::ControlModifier);
      Links(b, "f1");
      QVERIFY(!d.Rochade()[0]->isChecked());
      d.Rochade()[0]->click();
      QVERIFY(!d.Rochade()[0]->isChecked());
      d.Ok()->click();
    };
    QVERIFY(h.b.StellungEingeben(false));
    QCOMPARE(h.b.Zug().Rochaderechte & AlleRochaderechte, SchwarzKurz | SchwarzLang);
  }

  void enPassantFile() {
    Host h;
    h.beimDialog = [&](TStellungsdialog& d) {
      TBrett& b = d.Brett();
      d.Leeren()->click();
      Links(b, "e1");
      Rechts(b, "e8");
      d.Palette()[6]->click();  // black pawn
      Links(b, "d5");
      d.Weiss()->click();
      d.EnPassant()->setEditText("d");
      d.Ok()->click();
    };
    QVERIFY(h.b.StellungEingeben(false));
    QCOMPARE(h.b.Stellung()[I("d5")], -Bauer);
    QCOMPARE(int(h.b.Zug().EnPassant), I("d6"));
  }

  void sideRadioDecidesTheCheckTest() {
    Host h;
    h.beimDialog = [](TStellungsdialog& d) {
      TBrett& b = d.Brett();
      QCOMPARE(d.Zugnummer()->value(), 1);
      d.Leeren()->click();
      Links(b, "f1");
      Rechts(b, "e8");
      d.Palette()[1]->click();
      Links(b, "e1");  // white rook gives check to the black king
      QVERIFY(!d.Ok()->isEnabled());
      d.Schwarz()->click();
      QVERIFY(d.Ok()->isEnabled());
      QCOMPARE(b.Zug().AmZug, -1);
      // Clear keeps the radio buttons, and the test keeps following them.
      d.Leeren()->click();
      QVERIFY(d.Schwarz()->isChecked());
      QCOMPARE(b.Zug().AmZug, -1);
      d.Grundstellung()->click();
      QVERIFY(d.Weiss()->isChecked());
      QVERIFY(d.Ok()->isEnabled());
      for (auto* box : d.Rochade()) QVERIFY(box->isChecked());
      QCOMPARE(b.Stellung(), GrundstellungBrett);
      d.Ok()->click();
    };
    QVERIFY(h.b.StellungEingeben(false));
    QCOMPARE(h.b.Stellung(), GrundstellungBrett);
    QVERIFY(h.b.Zug().AmZug == 1 && h.b.Zug().EnPassant == 0);
    QCOMPARE(h.b.Zug().Rochaderechte & AlleRochaderechte, AlleRochaderechte);
    QVERIFY(h.ereignisse == 1 && h.zugnummer == 1);
    QVERIFY(TBrett::AufbauFigur == 0 && !TBrett::AufbauAufnehmen);
  }

  void suchmodusAcceptsABoardWithoutKings() {
    Host h;
    h.beimDialog = [](TStellungsdialog& d) {
      d.Leeren()->click();
      QVERIFY(d.Ok()->isEnabled());
      d.Palette()[2]->click();
      Links(d.Brett(), "c4");
      QVERIFY(d.Ok()->isEnabled());
      d.Ok()->click();
    };
    QVERIFY(h.b.StellungEingeben(true));
    TSchachbrett erwartet = LeeresBrett;
    erwartet[I("c4")] = Laeufer;
    QCOMPARE(h.b.Stellung(), erwartet);
  }

  void cancelChangesNothing() {
    Host h;
    h.b.ZugMachen(I("e2"), I("e4"), 0, false);
    const TSchachbrett vorher = h.b.Stellung();
    const QImage bild = h.b.Bild();
    h.beimDialog = [](TStellungsdialog& d) {
      d.Leeren()->click();
      Links(d.Brett(), "a1");
      d.Abbrechen()->click();
    };
    QVERIFY(!h.b.StellungEingeben(false));
    QCOMPARE(h.b.Stellung(), vorher);
    QCOMPARE(h.b.Bild(), bild);
    QCOMPARE(h.ereignisse, 0);
    QCOMPARE(TBrett::AufbauFigur, 0);
  }

  void floatingPalettePiece() {
    Host h;
    TStellungsdialog d(h.b, false);
    TBrett& b = d.Brett();
    const QImage leer = b.Bild();
    // The first movement over the board draws the king centred on the cursor.
    b.MausBewegen(QPoint(100, 120));
    QVERIFY(!TBrett::AufbauAufnehmen);
    QCOMPARE(b.SchwebeFigur(), Koenig);
    QCOMPARE(b.SchwebeRechteck(), (TRechteck{84, 104, 116, 136}));
    QVERIFY(b.Bild() != leer);
    // Over the panel it vanishes, back on the board it reappears at the same offset.
    const auto ueberDasPanel = [&] {
      QMouseEvent weg(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
      QCoreApplication::sendEvent(d.Hintergrundpanel(), &weg);
    };
    ueberDasPanel();
    QCOMPARE(b.Bild(), leer);
    b.MausBewegen(QPoint(110, 120));
    QCOMPARE(b.SchwebeRechteck(), (TRechteck{94, 104, 126, 136}));
    QVERIFY(b.Bild() != leer);
    // Leaving the board hides it as well.
    QEvent verlassen(QEvent::Leave);
    QCoreApplication::sendEvent(&b, &verlassen);
    QCOMPARE(b.Bild(), leer);
    b.MausBewegen(QPoint(110, 120));
    QVERIFY(b.Bild() != leer);
    // A palette button wipes the piece; the new one appears at the next movement.
    d.Palette()[9]->click();
    QCOMPARE(TBrett::AufbauFigur, -4);
    QCOMPARE(b.Bild(), leer);
    b.MausBewegen(QPoint(110, 120));
    QCOMPARE(b.SchwebeFigur(), -4);
    QVERIFY(b.Bild() != leer);
    // Ctrl + right changes the piece in place.
    b.MausDruecken(Qt::RightButton, Qt::ControlModifier, QPoint(110, 120));
    QCOMPARE(TBrett::AufbauFigur, -3);
    ueberDasPanel();
    QCOMPARE(b.Bild(), leer);  // nothing of either piece is left behind
    // Placing pieces under the floating one leaves exactly the position drawn.
    Links(b, "d4");
    Rechts(b, "e5");
    b.MausBewegen(Mitte(b, "e5") + QPoint(7, 9));
    Links(b, "d4");  // the same piece again: removed
    d.Leeren()->click();
    Links(b, "a1");
    b.MausBewegen(QPoint(3, 250));
    ueberDasPanel();
    QCOMPARE(b.Stellung()[I("a1")], -3);
    QCOMPARE(b.Bild(), Referenzbild(b));
  }
};

QTEST_MAIN(StellungsdialogTest)
#include "setup_dialog_qtest.moc"
