// TBrett, the chessboard component: keeps a position of its own, draws it
// square by square into an off-screen bitmap of 8 x Groesse pixels, takes
// moves from the mouse, shows and animates moves, and exchanges the position
// with the clipboard. It knows no chess rules: the host judges moves.
// Invariant: Gezeichnet holds, per mailbox index, the code last drawn there
// (-100 = not yet drawn), so a redraw without Alles touches changed squares only.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

#include "board/board_geometry.h"
#include "board/piece_sets.h"
#include "core/position.h"

namespace brevaro {

class TBrettUmgebung;

class TBrett : public QWidget {
  Q_OBJECT

 public:
  using TNewPositionEvent =
      std::function<void(TBrett* sender, TSchachbrett& Stellung, TZug& Zug, int32_t z)>;
  using TNotifyEvent = std::function<void(TBrett* sender)>;
  using TMovetryEvent = std::function<void(TBrett* sender, bool& legal)>;
  using TMovePartEvent =
      std::function<void(TBrett* sender, uint8_t Teilfeld, uint8_t& Zugvorschlag)>;

  explicit TBrett(QWidget* owner = nullptr);
  ~TBrett() override;

  // ---- Published properties -------------------------------------------
  bool AufbauFiguren() const { return aufbauFiguren_; }
  void setAufbauFiguren(bool v) { aufbauFiguren_ = v; }
  TFigurenset Figuren() const { return figuren_; }
  void setFiguren(TFigurenset f);
  QString UserFiguren() const { return userFiguren_; }
  void setUserFiguren(const QString& datei);
  int Groesse() const { return groesse_; }
  void setGroesse(int16_t v);  // 10 .. 1000 pixels; others are ignored
  bool Grundstellung() const { return grundstellung_; }
  void setGrundstellung(bool v);
  bool Ziehenmoeglich() const { return ziehenmoeglich_; }
  void setZiehenmoeglich(bool v) { ziehenmoeglich_ = v; }
  QRgb WhiteSquareColor() const { return weissFarbe_; }
  void setWhiteSquareColor(QRgb c);
  QRgb BlackSquareColor() const { return schwarzFarbe_; }
  void setBlackSquareColor(QRgb c);
  const QImage& WhiteSquarePattern() const { return weissMuster_; }
  void setWhiteSquarePattern(const QImage* muster);
  const QImage& BlackSquarePattern() const { return schwarzMuster_; }
  void setBlackSquarePattern(const QImage* muster);
  bool Ton() const { return ton_; }
  void setTon(bool v) { ton_ = v; }
  bool English() const { return english_; }
  void setEnglish(bool v) { english_ = v; }
  uint8_t Animation() const { return animation_; }
  void setAnimation(uint8_t ms) { animation_ = ms; }
  bool ZugVorschlagen() const { return zugVorschlagen_; }
  void setZugVorschlagen(bool v) { zugVorschlagen_ = v; }
  // Click-click: a piece of the side to move clicked (pressed and released
  // on its square) is selected and framed; a press on another square then
  // tries that move. Off unless the host switches it on.
  bool AuswahlKlick() const { return auswahlKlick_; }
  void setAuswahlKlick(bool v);
  int Auswahl() const { return auswahl_; }  // the selected square number, -1 for none

  TNewPositionEvent OnNewPosition;
  TNotifyEvent OnMoveDone;
  TMovetryEvent OnMoveTry;
  TMovePartEvent OnMovePart;

  // ---- State the host reads or sets -------------------------------------
  const TSchachbrett& Stellung() const { return stellung_; }
  const TZug& Zug() const { return zug_; }
  const std::array<int32_t, 120>& Gezeichnet() const { return gezeichnet_; }
  const TFeldrechtecke& Feldrechtecke() const { return felder_; }
  // The board bitmap, in device pixels (devicePixelRatio() of the screen).
  const QImage& Bild() const { return bild_; }
  // The piece strip pieces are drawn from: the set at the square's size in
  // device pixels (see FigurensatzZeichnen, StripSkalieren).
  const QImage& Zeichenstrip();
  bool Gedreht() const { return gedreht_; }
  bool Blind() const { return blind_; }
  void setBlind(bool v) { blind_ = v; }  // takes effect at the next redraw
  bool Zeichnensperre() const { return zeichnensperre_; }
  void setZeichnensperre(bool v) { zeichnensperre_ = v; }
  const TFischerInfo* FischerInfo() const { return fischerInfo_; }
  void setFischerInfo(const TFischerInfo* info) { fischerInfo_ = info; }
  // The platform services; the desktop's unless a test sets its own.
  void setUmgebung(TBrettUmgebung* u);
  TBrettUmgebung& Umgebung() const { return *umgebung_; }

  // ---- Operations for the host -------------------------------------------
  void Neuzeichnen(bool Alles);
  void Drehen();
  void StellungSetzen(const TSchachbrett& brett, const TZug& zug);
  void StellungHolen(TSchachbrett& brett) const { brett = stellung_; }
  const QImage& FigurenbildHolen() const { return figurenbild_; }
  void FigurenUebernehmen(const QImage& strip, TFigurenset f);
  bool BenutzerFigurenLaden(const QString& datei);

  // Shows a move given by its squares (mailbox); promotion -1 asks the user.
  void ZugMachen(int von, int nach, int umwandlung, bool fischer);
  void ZugZeigen();

  // Clipboard exchange.
  void FENKopieren();
  bool FENEinfuegen();
  void DiagrammKopieren();

  // Drawing helpers (square numbers 0..63).
  void FeldZeichnen(int feldnummer);
  void FigurZeichnen(int feldnummer, int code);
  void FeldMarkieren(int index);

  // ---- Mouse input, also callable without a window system --------------
  void MausDruecken(Qt::MouseButton knopf, Qt::KeyboardModifiers tasten, QPoint p);
  void MausBewegen(QPoint p);
  void MausLoslassen(Qt::MouseButton knopf, Qt::KeyboardModifiers tasten, QPoint p);
  int SchwebeFigur() const { return schwebeFigur_; }
  const TRechteck& SchwebeRechteck() const { return schwebeRechteck_; }
  int Startfeld() const { return startfeld_; }
  int Vorschlag() const { return vorschlag_; }

  // ---- Unit-level state shared by all boards ----------------------------
  static inline bool legal = false;            // the last answer of OnMoveTry
  static inline int UmwandlungsFigur = 0;      // choice of the promotion window
  static inline int AufbauFigur = 0;           // palette piece of an open setup dialog
  static inline bool AufbauAufnehmen = false;  // draw the palette piece at the next movement
  static inline bool AufbauSperre = false;     // the dialog is changing its own controls

  // ---- Position setup -----------------------------------------------------
  // Opens the modal setup dialog; true when the user accepted a position,
  // which then replaces this board's and is reported through OnNewPosition.
  // With Suchmodus the plausibility test is skipped.
  bool StellungEingeben(bool Suchmodus);
  // Setup mode: the dialog hears of every square changed by the mouse.
  std::function<void(TBrett*)> OnAufbauGeaendert;
  // The floating palette piece leaves the board (the mouse is over a panel).
  void AufbauSchwebeVerbergen();
  // Wipes the floating palette piece off (a new palette piece was chosen).
  void AufbauSchwebeEntfernen() { AufbauSchwebeVerbergen(); }
  // Every square is drawn at the next redraw.
  void GezeichnetVergessen();
  void setStellungUndZug(const TSchachbrett& brett, const TZug& zug) {
    stellung_ = brett;
    zug_ = zug;
  }
  TZug& ZugBearbeiten() { return zug_; }

  QSize sizeHint() const override { return {8 * groesse_, 8 * groesse_}; }

 protected:
  virtual void MoveDone();
  virtual bool MoveTry(int von, int nach, bool fischer);
  virtual int MovePart(int teilfeld);

  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void leaveEvent(QEvent* e) override;

 private:
  const TFischerInfo* AktiveFischerInfo() const;
  TRechteck Rechteck(int feldnummer) const { return felder_[Anzeigeindex(feldnummer, gedreht_)]; }
  QRect QRechteck(int feldnummer) const;
  void HintergrundSichern(const TRechteck& r);
  void HintergrundZurueck(const TRechteck& r);
  void SchwebeFigurZeichnen(const TRechteck& alt, const TRechteck& neu, int code);
  void ZugAnimieren();
  void FeldNeuZeichnen(int index);  // empty square, then its piece
  void BildGroesseSetzen(int s);
  int Physisch(int v) const;  // square coordinates to device pixels
  QRect Physisch(const QRect& r) const;
  void AufbauDruecken(Qt::MouseButton knopf, Qt::KeyboardModifiers tasten, QPoint p);
  void AufbauBewegen(QPoint p);

  TSchachbrett stellung_{};
  TZug zug_{};
  std::array<int32_t, 120> gezeichnet_{};
  QImage figurenbild_;
  QImage zeichenstrip_;  // figurenbild_ at the drawn size, made on demand
  double dpr_ = 1.0;
  QImage bild_;
  QImage weissMuster_;
  QImage schwarzMuster_;
  TFeldrechtecke felder_{};
  bool gedreht_ = false;
  bool blind_ = false;
  bool zeichnensperre_ = false;
  const TFischerInfo* fischerInfo_ = nullptr;
  TBrettUmgebung* umgebung_;

  bool aufbauFiguren_ = false;
  TFigurenset figuren_ = TFigurenset::User;
  QString userFiguren_;
  int groesse_ = 32;
  bool grundstellung_ = true;
  bool ziehenmoeglich_ = true;
  QRgb weissFarbe_ = 0xffffffff;
  QRgb schwarzFarbe_ = 0xffc0c0c0;
  bool ton_ = false;
  bool english_ = false;
  uint8_t animation_ = 0;
  bool zugVorschlagen_ = false;
  bool auswahlKlick_ = false;
  int auswahl_ = -1;
  bool AuswahlZiehen(int n);  // the press on square n after a selection
  void AuswahlLoeschen();     // the frame wiped off, no selection

  // Input and animation state.
  int schwebeFigur_ = 0;
  TRechteck schwebeRechteck_{};
  QImage hintergrund_;
  QPoint letzteMaus_;
  int startfeld_ = 0;
  int vorschlag_ = 0;
  bool animationErlaubt_ = true;
  // The context menu is held back while the left button is down.
  bool menueGesichert_ = false;
  Qt::ContextMenuPolicy gesichertesMenue_ = Qt::DefaultContextMenu;
};

}  // namespace brevaro
