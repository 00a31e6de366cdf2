// TMDIBrett, the game window: a multiple-document child showing one game as
// a board (with coordinate labels and a popup menu) beside its notation, with
// buttons to step through the notation and to load the previous or next game
// of the list the game came from.
// Invariant: the board always shows the notation's current position (every
// change of the current move reaches the board through OnMoveChange), and the
// window is linked to its source list exactly while GameList is set.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "board/board_widget.h"
#include "core/position.h"
#include "game/tree_edit.h"
#include "viewer/game_source.h"
#include "viewer/notation_view.h"

class QAction;
class QFrame;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSplitter;
class QToolButton;

namespace brevaro {

struct TSettings;
class TBrettUmgebung;
class TSpielfensterDialoge;

// What a game window needs from the frame. Every member may be left empty.
struct TSpielfensterRahmen {
  // Window sizes, square colours, the options Koordinaten and Animation, the
  // piece letters; the close query writes the sizes and colours back.
  TSettings* Settings = nullptr;
  // True while the frame runs a long operation: closing is refused then.
  std::function<bool()> ProgressRunning;
  // The frame's prototype board, whose piece strip new boards take.
  const TBrett* Prototyp = nullptr;
  // The frame found a way to print diagrams.
  bool DruckenMoeglich = false;
  // Message boxes and the beep; the desktop's when not given.
  TSpielfensterDialoge* Dialoge = nullptr;
  // The board's platform services; the desktop's when not given.
  TBrettUmgebung* BrettUmgebung = nullptr;
  // Whether a PGN file is open in a window of the frame (appending to it is
  // refused then, as the database window refuses it).
  std::function<bool(const QString& pfad)> DateiOffen;
};

// The messages and sounds of a game window; tests answer them.
class TSpielfensterDialoge {
 public:
  virtual ~TSpielfensterDialoge() = default;
  virtual void Fehlermeldung(QWidget* eltern, const QString& text) = 0;  // OK box, error
  virtual void Hinweis(QWidget* eltern, const QString& text) = 0;        // OK box, notice
  virtual void Piepen() = 0;                                             // message beep
  // A Yes/No question; true for Yes. The desktop's box unless overridden.
  virtual bool Frage(QWidget* eltern, const QString& text);
  // A PGN file to append to, existing or new; empty when cancelled.
  virtual QString Dateiwahl(QWidget* eltern, const QString& titel);
  // A comment's new text; false when cancelled.
  virtual bool KommentarEingeben(QWidget* eltern, QString& text);
};

// Message boxes and QApplication::beep.
TSpielfensterDialoge& QtSpielfensterDialoge();

// Layout limits of the game window.
inline constexpr int NotationMinBreite = 240;  // the notation panel's least width
inline constexpr int KnopfleisteHoehe = 26;    // pButtons below the board
inline constexpr int MinQuadrat = 16;
inline constexpr int MaxQuadrat = 600;  // an 8K screen's height; keeps the bitmap finite

// The square size for a board panel `breite` x `hoehe` with a frame of
// `randbreite` around the board: the largest whole number (at least 16, at
// most MaxQuadrat) for which the board, its frame and the game buttons below
// fit the panel.
int QuadratGroesse(int breite, int hoehe, int randbreite);
// The built-in piece set drawn at a square size: the steps of the Winboard
// sets up to 80, WinboardF40 between them, WinboardF80 (scaled) above.
TFigurenset FigurensatzFuer(int groesse);

class TMDIBrett : public QWidget, public TQuellenNutzer {
  Q_OBJECT

 public:
  explicit TMDIBrett(const TSpielfensterRahmen& rahmen, QWidget* parent = nullptr);
  ~TMDIBrett() override;

  // Opening a game, for the frame and the game list: with a text, a window
  // of `area` already showing game `gameId` of `liste` is brought to the
  // front and returned. Otherwise a new child window is created in `area`,
  // linked to `liste` (may be nullptr) with `gameId`; a non-empty `text` is
  // loaded (bPrev/bNext enabled when linked), the caption becomes
  // "White - Black", the stored sizes and colours are applied and the board
  // is sized by the splitter.
  static TMDIBrett* Oeffnen(QMdiArea& area, TPartienquelle* liste, int64_t gameId,
                            std::string_view text, const TSpielfensterRahmen& rahmen);

  // ---- Components and controls -------------------------------------------
  TBrett* Brett1 = nullptr;
  TNotation* Notation1 = nullptr;
  QFrame* pBrett = nullptr;
  QFrame* pBoard = nullptr;
  QFrame* pButtons = nullptr;
  QFrame* pNotation = nullptr;
  QFrame* Panel1 = nullptr;
  QSplitter* Splitter1 = nullptr;
  QToolButton* bPrev = nullptr;
  QToolButton* bNext = nullptr;
  QToolButton* sbPrev = nullptr;
  QToolButton* sbBack = nullptr;
  QToolButton* sbAhead = nullptr;
  QToolButton* sbNext = nullptr;
  QMenu* puBrett = nullptr;
  QAction* mDiaCopy = nullptr;
  QAction* mFENCopy = nullptr;
  QAction* mPrint = nullptr;
  QAction* mAufbauen = nullptr;
  QAction* mInsertFEN = nullptr;
  QAction* mDrehen = nullptr;
  QAction* mMessages = nullptr;
  QAction* Blind1 = nullptr;
  // Move entry and keeping the game (board popup menu).
  QAction* mZugeingabe = nullptr;   // Ctrl+E
  QAction* mPGNKopieren = nullptr;  // Ctrl+C
  QAction* mAnhaengen = nullptr;
  // The notation's popup menu: editing the current move.
  QMenu* puNotation = nullptr;
  QAction* mRestLoeschen = nullptr;
  QAction* mVarianteLoeschen = nullptr;
  QAction* mHeraufstufen = nullptr;
  QMenu* muZugbewertung = nullptr;
  QMenu* muStellungsbewertung = nullptr;
  QAction* mKommentar = nullptr;
  QAction* mRueckgaengig = nullptr;    // Ctrl+Z
  QAction* mPositionSuchen = nullptr;  // games of the list with this position

  // ---- State ---------------------------------------------------------------
  TPartienquelle* GameList() const { return GameList_; }
  int64_t GameID() const { return GameID_; }
  void setQuelle(TPartienquelle* liste, int64_t gameId);
  int Randbreite() const { return Randbreite_; }
  bool MeldungenAus() const { return MeldungenAus_; }
  const TFischerInfo& FischerKopie() const { return FischerKopie_; }
  // Label k (1..16) of the pair: 0 bottom/left, 1 top/right.
  QLabel* Koordinate(int k, int seite) const { return Koordinaten[k - 1][seite]; }
  void setDialoge(TSpielfensterDialoge* d) { Dialoge = d ? d : &QtSpielfensterDialoge(); }

  // ---- Move entry and editing -------------------------------------------------
  bool Zugeingabe() const { return Zugeingabe_; }
  // Switches move entry on or off; the choice is kept for new windows.
  void setZugeingabe(bool an);
  TBaumbearbeitung& Bearbeitung() { return *Bearbeitung_; }
  // A move entered on the board (mailbox squares): into the tree, then the
  // board shows the position, the notation is laid out again. False when the
  // move was refused.
  bool ZugEingegeben(int von, int nach, int umwandlung, bool fischer);
  // After a change of the tree: board, notation and caption follow it.
  void NachAenderung();
  void Rueckgaengig();  // Ctrl+Z
  void KommentarBearbeiten();
  // The game as PGN onto the clipboard (Ctrl+C).
  void PGNKopieren();
  // Appends the written game to `pfad` after the refusals and the question
  // the database window has; a new name is created empty first. True when
  // the game was appended.
  bool PartieAnhaengen(const QString& pfad);
  void AnhaengenFragen();  // "Append game to..."
  // While the game is changed, asks whether to discard the changes; true to
  // go on (also when nothing changed).
  bool AenderungenVerwerfen();

  // ---- Operations ------------------------------------------------------------
  // Loads a game text into the notation and sets the caption.
  void PartieLaden(std::string_view text);
  void KoordinatenSetzen(bool sichtbar);
  void BrettGroesseSetzen(int groesse);
  // Sizes the board to pBrett (runs whenever pBrett changes size).
  void Splitter1Moved();
  // The board panel's share of the splitter, kept when the window resizes.
  double BrettAnteil() const { return BrettAnteil_; }
  void Drehen();
  void VorigePartie();    // bPrev
  void NaechstePartie();  // bNext
  void QuelleAbgekoppelt() override;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  void FormCreate();
  void SprachenRegistrieren();
  void Notation1MoveChange(const TZug& zug, const TSchachbrett& stellung, bool nextMove);
  void Notation1FischerInfo(const TFischerInfo& info);
  void Regelhinweis(int zeile);
  void ZugeingabeEinrichten();
  void NotationMenueEinrichten();
  void TitelSetzen();
  bool ZiehenVomRahmen(QObject* o, QEvent* e);
  void PartieWechseln(int richtung);
  void Schliessen();
  bool Koordinatenoption() const;
  void TastenVorschauEinrichten(QWidget* w);

  TSpielfensterRahmen Rahmen;
  TSpielfensterDialoge* Dialoge;
  TPartienquelle* GameList_ = nullptr;
  int64_t GameID_ = -1;
  int Randbreite_ = 32;
  bool MeldungenAus_ = false;
  TFischerInfo FischerKopie_{};
  std::array<std::array<QLabel*, 2>, 16> Koordinaten{};
  bool TastenVorschau = true;
  int Radrest_ = 0;  // wheel turn over the board not yet stepped
  double BrettAnteil_ = 297.0 / 512.0;
  int BrettWunsch_ = 0;  // a stored board panel width not yet applied
  std::unique_ptr<TBaumbearbeitung> Bearbeitung_;
  bool Zugeingabe_ = false;
  QString Titel_;           // "White - Black", without the changed mark
  bool Verworfen_ = false;  // the user agreed to discard the current changes
  struct TVersuch {         // the last move the board asked about
    int Von = 0, Nach = 0;
    bool Fischer = false;
  } Versuch_;
  QPoint ZiehStart_;  // where a drag of the game may start
  bool ZiehenMoeglich_ = false;
  void SplitterAnpassen();
};

}  // namespace brevaro
