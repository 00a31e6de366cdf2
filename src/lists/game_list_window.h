// TMDIPGN, the game-list window: one PGN file as a list of games (PGN1) under
// a header whose sections sort the rows, with a filter panel and a bottom bar
// to open another file. It draws the rows, decides the filter, opens games
// through the frame, and keeps the links of the game windows opened from it.
// Invariant: a linked game window is detached (told through its detach
// callback) before this window goes or shows another file.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "collections/game_list.h"
#include "lists/game_list_view.h"

class QCheckBox;
class QComboBox;
class QHeaderView;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStandardItemModel;
class QToolButton;

namespace brevaro {

class TBrett;
class TCollectionHost;

class TMDIPGN : public QWidget {
  Q_OBJECT

 public:
  // Sort keys of the five header sections: number, players, source, year,
  // result.
  static constexpr std::array<uint8_t, 5> SectionKeys = {skNumber, skWhite, skEvent, skYear,
                                                         skResult};

  explicit TMDIPGN(TCollectionHost& host, QWidget* parent = nullptr);
  ~TMDIPGN() override;

  // Lists a file (the frame's opening): sets PGN1's FileName, the title to
  // it, and enables Panel1. False when no file is open afterwards.
  bool LoadFile(const QString& path);

  // ---- Links of game windows opened from this list --------------------
  // `detach` clears the game window's link to this list, sets its GameID to
  // -1 and disables its previous/next buttons. A destroyed window is
  // forgotten by itself.
  void AttachGameWindow(QObject* gameWindow, std::function<void()> detach);
  // The game window no longer refers to this list (it closes).
  void ForgetGameWindow(QObject* gameWindow);
  bool HasGameWindows() const;
  // Tells every linked game window to let go of this list.
  void DetachGameWindows();

  // ---- Handlers and commands ------------------------------------------
  void PGN1PGNTrace(TPGN* sender, int percent, TCancelMode& cancelMode);
  void PGN1PGNDrawItem(TPGN* control, QPainter& canvas, int index, const QRect& rect,
                       const TEventData& gameHeader, int64_t gameIndex);
  void PGN1FilterRequest(TPGN* sender, const TEventData& gameHeader, bool& showThisGame);
  void PGN1PGNDblClick(TPGN* sender, const std::string& pgnGame, int64_t gameId);
  void PGN1BeforeCreatePGNFile(TPGN* sender, const std::string& fileName, bool& createNewPGNFile);
  void HeaderControlSectionClick(int section);
  // The least width of header section k (0..4): the described width, grown
  // to fit its caption and its widest value in the current fonts.
  int Spaltenbreite(int k) const;
  void SpaltenbreitenAnpassen();
  // The width that shows every column whole.
  int SpaltenSumme() const;
  void sbFilterClick();
  void bFilterClick();
  void bEmptyClick();
  void bPositionClick();
  void sbOpenClick();
  // Closes the window (its MDI sub-window when it has one) through the close
  // query.
  void CloseWindow();

  // The filter as the panel's controls hold it.
  TFilterSettings FilterSettings() const;
  // "Games with this position" of a game window: the search board takes the
  // position, the position filter asks for it to be reached (in the main
  // line unless variations were chosen), the filter is switched on and run;
  // the other filter fields stay. Ignored while the list is busy.
  void PositionSuchen(const TSchachbrett& brett, const TZug& zug);

  // ---- Controls --------------------------------------------------------
  QHeaderView* HeaderControl = nullptr;
  QStandardItemModel* HeaderSections = nullptr;
  TPGN* PGN1 = nullptr;
  QWidget* Panel1 = nullptr;
  QToolButton* sbOpen = nullptr;
  QToolButton* sbFilter = nullptr;
  QWidget* pFilter = nullptr;
  QLabel* lSpieler = nullptr;
  QLineEdit* eSpieler = nullptr;
  QRadioButton* rbWeiss = nullptr;
  QRadioButton* rbSchwarz = nullptr;
  QRadioButton* rbBeide = nullptr;
  QLabel* lEreignis = nullptr;
  QLineEdit* eEreignis = nullptr;
  QLabel* lECO = nullptr;
  QLineEdit* eECO = nullptr;
  QCheckBox* cbZeitraum = nullptr;
  QSpinBox* seAYear = nullptr;
  QSpinBox* seEYear = nullptr;
  QCheckBox* cbGewinn = nullptr;
  QCheckBox* cbRemis = nullptr;
  QCheckBox* cbVerlust = nullptr;
  QCheckBox* cbPosition = nullptr;
  QComboBox* cbStellungsart = nullptr;  // start position, reached in main line, or variations
  QPushButton* bPosition = nullptr;
  QPushButton* bEmpty = nullptr;
  QPushButton* bFilter = nullptr;
  TBrett* SearchBrett = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Link {
    QPointer<QObject> window;
    std::function<void()> detach;
  };
  void Prune();
  // Makes `path` the listed file; game windows of another file are detached.
  void Oeffnen(const std::string& path);

  TCollectionHost& host_;
  std::vector<Link> links_;
  TFilterSettings filter_;  // the settings of the filter that runs
};

// What to tell the user when opening `path` in `list` listed nothing: that the
// file could not be opened, read or created (with the platform's reason), or
// that it is no PGN file. Empty when there is nothing to tell (a new file
// declined).
QString OeffnenFehler(const TPGN& list, const QString& path);

}  // namespace brevaro
