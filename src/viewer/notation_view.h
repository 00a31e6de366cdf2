// TNotation, the notation view: a panel holding a paint box (TNotatPaintbox)
// and a vertical scroll bar (TNotatScrollbar) over the game model. It owns the
// model and its navigation, feeds the layout with real font metrics, paints
// the laid-out lines and turns clicks and keys into navigation.
// Invariant: the view holds no game state of its own; everything it paints is
// read from the model after its last layout, and the scroll bar's position is
// the number of display lines scrolled off at the top.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QFrame>
#include <QRect>
#include <QScrollBar>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "game/navigation.h"
#include "game/notation_model.h"

class QListWidget;

namespace brevaro {

class TNotation;

// A font with its colour, as the display properties hold them.
struct TNotatSchrift {
  QFont Font;
  QColor Color = Qt::black;
};

// Bevel kinds of the panel.
enum class TBevel { None, Lowered, Raised };

// Widths of the notation's bytes in the fonts they are drawn in. A byte that
// begins a multi-byte UTF-8 character is given the widest width of the
// characters it may begin, its continuation bytes none, so wrapping never
// lets a line grow wider than the paint box.
class TSchriftBreiten : public TZeichenbreite {
 public:
  int Breite(TSchrift schrift, unsigned char zeichen) const override;
  void Setzen(TSchrift schrift, const QFont& font);
  void SetUtf8(bool utf8);

 private:
  std::array<QFont, 6> Fonts;
  mutable std::array<std::array<int, 256>, 6> Cache{};
  bool Utf8 = false;
  void Leeren();
};

class TNotatPaintbox : public QWidget {
  Q_OBJECT
 public:
  explicit TNotatPaintbox(TNotation* owner);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;

 private:
  TNotation* Owner;
};

class TNotatScrollbar : public QScrollBar {
  Q_OBJECT
 public:
  explicit TNotatScrollbar(QWidget* parent);
};

// The modal choice among a move and its variations.
class TVariantenwahl : public QDialog {
  Q_OBJECT
 public:
  TVariantenwahl(QWidget* owner, const std::vector<std::string>& zeilen, bool english);
  int Wahl() const { return Wahl_; }  // -1 cancelled, else the chosen row
  QListWidget* Liste() const { return Liste_; }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void Waehlen(int zeile);
  QListWidget* Liste_;
  int Wahl_ = -1;
};

// The Qt answer to the variation question: a TVariantenwahl placed at the
// owner's bottom-left corner, created for one choice.
class TQtVariantenwahl : public TVariantenwahlFrage {
 public:
  explicit TQtVariantenwahl(QWidget* owner) : Owner(owner) {}
  int Waehlen(const std::vector<std::string>& zeilen, bool english) override;

 private:
  QWidget* Owner;
};

class TNotation : public QFrame {
  Q_OBJECT

 public:
  explicit TNotation(QWidget* parent = nullptr);
  ~TNotation() override;

  TNotationModell& Modell() { return Modell_; }
  const TNotationModell& Modell() const { return Modell_; }
  TNavigation& Navigation() { return Navigation_; }

  // ---- Published display properties ----------------------------------------
  bool Ueberschrift() const { return Modell_.Ueberschrift; }
  void setUeberschrift(bool v);
  bool English() const { return Modell_.English(); }
  void setEnglish(bool v);
  const TNotatSchrift& FontHeadLine() const { return Kopf; }
  void setFontHeadLine(const TNotatSchrift& f);
  const TNotatSchrift& FontComment() const { return Kommentar; }
  void setFontComment(const TNotatSchrift& f);
  const TNotatSchrift& Font0Var() const { return Var0; }
  void setFont0Var(const TNotatSchrift& f);
  const TNotatSchrift& Font1Var() const { return Var1; }
  void setFont1Var(const TNotatSchrift& f);
  const TNotatSchrift& Font2Var() const { return Var2; }
  void setFont2Var(const TNotatSchrift& f);
  uint16_t Indent0Var() const { return Modell_.Indent0Var; }
  void setIndent0Var(uint16_t v);
  uint16_t Indent1Var() const { return Modell_.Indent1Var; }
  void setIndent1Var(uint16_t v);
  uint16_t Indent2Var() const { return Modell_.Indent2Var; }
  void setIndent2Var(uint16_t v);
  bool AutoBold() const { return Modell_.AutoBold; }
  void setAutoBold(bool v) { Modell_.AutoBold = v; }
  uint16_t Zeilenabstand() const { return Zeilenabstand_; }
  void setZeilenabstand(uint16_t v);
  uint16_t BevelWidthNotat() const { return BevelWidth_; }
  void setBevelWidthNotat(uint16_t v);
  uint16_t BorderWidthNotat() const { return BorderWidth_; }
  void setBorderWidthNotat(uint16_t v);
  TBevel BevelOuter() const { return BevelOuter_; }
  void setBevelOuter(TBevel v);

  int Zeilenhoehe() const { return Zeilenhoehe_; }
  const QFont& FettFont() const { return Fett; }
  TNotatPaintbox* Paintbox() const { return Paintbox_; }
  TNotatScrollbar* Scrollbar() const { return Scrollbar_; }

  // ---- The game --------------------------------------------------------------
  // Loads one game; the bytes decide whether texts are shown as UTF-8.
  int32_t LadePartie(std::string_view text);
  void NeueStellung(const TSchachbrett& stellung, const TZug& zug, int32_t zugnummer);
  void FigurenBuchstaben(const TEigeneBuchstaben& buchstaben);
  void setFischerInfo(const TFischerInfo* info) { Modell_.SetFischerInfo(info); }
  // The game as PGN onto the clipboard, and a game read from it (at most
  // MaxEinfuegeLaenge bytes); false when the clipboard holds no text.
  void PGNKopieren();
  bool PGNEinfuegen();
  // Lays out again and brings the current move into view.
  void NotationAufbauen();

  // ---- Navigation (the game window's buttons) --------------------------------
  void ZugVor() { Navigation_.ZugVor(); }
  void ZugZurueck() { Navigation_.ZugZurueck(); }
  void VorigeVariante() { Navigation_.VorigeVariante(); }
  void NaechsteVariante() { Navigation_.NaechsteVariante(); }
  void ZumAnfang() { Navigation_.ZumAnfang(); }
  void ZumEnde() { Navigation_.ZumEnde(); }
  void ZeileWechseln(int d);
  // The variation question; nullptr restores the window.
  void setVariantenwahl(TVariantenwahlFrage* frage);
  // The message beep; QApplication::beep unless replaced.
  std::function<void()> Beep;

  // ---- Geometry of the drawing -----------------------------------------------
  int64_t ErsteZeile() const { return ErsteZeile_; }
  int64_t LetzteZeile() const { return LetzteZeile_; }
  void Sichtbereich();  // recomputes ErsteZeile/LetzteZeile from the scroll bar
  // Text position (1-based) under a point of the paint box, 0 for none.
  int32_t PositionBei(QPoint p);
  // Resolves a left click at a point of the paint box.
  void Klicken(QPoint p);
  // Where the current move stands in the paint box (empty when not in view).
  QRect MarkierteFlaeche();
  void AktuellenZugZeigen();
  // The display font of a font role, and a line's displayed text.
  const TNotatSchrift& Schrift(TSchrift s) const;
  QString ZeilenText(int64_t zeile) const;
  int ZeilenBreite(int64_t zeile) const;  // indent plus the drawn text
  bool Utf8() const { return Utf8_; }

  void Zeichnen(QPainter& p);

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  struct TLauf {
    int32_t Start;
    TSchrift Schrift;
  };
  std::vector<TLauf> LaeufeBilden(int32_t start, int32_t laenge, TSchrift zeilenschrift) const;
  // Text of a run from `von` to `bis` (exclusive), first "{" and "}" removed.
  QString Lauftext(int32_t von, int32_t bis, TSchrift schrift, TSchrift zeile) const;
  int Laufbreite(int32_t von, int32_t bis, TSchrift schrift, TSchrift zeile) const;
  void Groessen();
  void ZeilenhoeheBerechnen();
  void BreitenSetzen();
  int KommentarVersatz(TSchrift zeile) const;

  TNotationModell Modell_;
  TNavigation Navigation_{Modell_};
  std::unique_ptr<TQtVariantenwahl> Qtwahl;
  TSchriftBreiten Breiten;
  TNotatPaintbox* Paintbox_;
  TNotatScrollbar* Scrollbar_;
  TNotatSchrift Kopf, Kommentar, Var0, Var1, Var2;
  QFont Fett;
  TNotatSchrift FettSchrift;  // Fett in the main line's colour
  uint16_t Zeilenabstand_ = 3;
  uint16_t BevelWidth_ = 1;
  uint16_t BorderWidth_ = 0;
  TBevel BevelOuter_ = TBevel::Lowered;
  int Zeilenhoehe_ = 16;
  int64_t ErsteZeile_ = 1;
  int64_t LetzteZeile_ = 1;
  bool Utf8_ = false;
};

// The display properties the game window's form gives its notation: heading
// "MS Sans Serif" 13 px bold, comments "Arial" 11 px maroon, moves "Courier
// New" 13 px (main line bold, second level teal), indents 4, 12, 20. Fonts
// missing here are replaced by similar ones through their style hints.
void FormularSchriften(TNotation& n);

}  // namespace brevaro
