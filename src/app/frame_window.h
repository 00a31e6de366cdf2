// TMainForm, the frame window: a multiple-document area for the game-list,
// game and database windows, the menus, the status line with the progress bar
// and stop button, the recent files (History) and the settings file. It reads
// brevaro.ini once when first shown and writes it once when it closes.
// Invariant: while ProgressRunning() no window closes, and History holds at
// most eight entries, newest first.
#pragma once

#include <QLocale>
#include <QMainWindow>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "collections/pgn_index.h"
#include "lists/database_window.h"
#include "lists/game_list_window.h"
#include "lists/window_host.h"
#include "settings/settings.h"
#include "viewer/game_window.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMimeData;
class QProgressBar;
class QToolButton;
class QTranslator;

namespace brevaro {

class TBrett;

// The frame's blocking dialogs; the desktop's by default, tests answer them.
class TFrameDialogs {
 public:
  virtual ~TFrameDialogs() = default;
  // The file dialog (a name that does not exist is accepted); empty when
  // cancelled.
  virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& filter) = 0;
  // A Yes/No question; true for Yes. A warning question when `warning`.
  virtual bool Question(QWidget* parent, const QString& text, bool warning) = 0;
  // An error message with an OK button.
  virtual void Error(QWidget* parent, const QString& text) = 0;
  // The modal About box.
  virtual void About(QWidget* parent) = 0;
  // A notice with an OK button (the game windows' rule notices).
  virtual void Notice(QWidget* parent, const QString& text) = 0;
  // The message beep.
  virtual void Beep() = 0;
};

// QFileDialog, QMessageBox and TAboutBox.
class TDesktopDialogs : public TFrameDialogs {
 public:
  QString OpenFileName(QWidget* parent, const QString& title, const QString& filter) override;
  bool Question(QWidget* parent, const QString& text, bool warning) override;
  void Error(QWidget* parent, const QString& text) override;
  void About(QWidget* parent) override;
  void Notice(QWidget* parent, const QString& text) override;
  void Beep() override;
};

// Where the frame lives and what it was started with.
struct TMainFormOptions {
  QString ProgramDir;   // directory of the executable (language files beside it)
  QString SettingsDir;  // brevaro.ini and English.lng; empty: settings are not saved
  std::vector<std::string> Parameters;  // positional command-line parameters
  TFrameDialogs* Dialogs = nullptr;     // null: the desktop's
  // Picks the language at the first start (no brevaro.ini): German for a
  // German locale, English otherwise. A stored language always wins.
  QLocale Locale;
};

class TMainForm : public QMainWindow, public TCollectionHost {
  Q_OBJECT

 public:
  explicit TMainForm(TMainFormOptions options, QWidget* parent = nullptr);
  ~TMainForm() override;

  // ---- Files and games -----------------------------------------------------
  // Opens a PGN file in a game-list window, or brings forward the window that
  // lists the same file already (paths compared exactly, after making them
  // absolute and resolving links). Returns that window; null when the file
  // could not be listed (the new window is then closed again).
  // A file that cannot be read is reported unless `quiet` (the command line).
  TMDIPGN* OpenPGNList(const QString& path, bool quiet = false);
  void OpenPGNFile(const QString& path) override { OpenPGNList(path); }
  // Opens the game of `list` shown in display row `row`; false when the row
  // is outside the list or its text is empty.
  bool OpenRow(TMDIPGN* list, int64_t row);
  // Opens each command-line file and, where a row is given, that row's game.
  void OpenCommandLine(const std::vector<TOpenRequest>& requests);
  void OpenGame(TMDIPGN* list, const std::string& pgnGame, int64_t gameId) override;

  // ---- Recent files ----------------------------------------------------------
  void AddHistory(const QString& path) override;
  void RemoveFromHistory(const QString& path);
  const std::vector<std::string>& History() const { return settings_.History; }

  // ---- Long operations -------------------------------------------------------
  // Shows `percent` in prBar; with cmContinue or cmCancel lets pending events
  // run (so bStop can be clicked) and answers cmCancel when StopFlag is set;
  // with cmNone and 0 repaints the frame.
  void Progress(int percent, TCancelMode& cancelMode) override;
  bool StopFlag() const override { return stopFlag_; }
  void SetStopFlag(bool stop) override { stopFlag_ = stop; }
  bool ProgressRunning() const override { return progressDepth_ > 0; }
  bool SystemClosing() const override { return systemClosing_; }

  // ---- Dialogs ---------------------------------------------------------------------
  QString OpenFileDialog(QWidget* parent) override;
  bool Question(QWidget* parent, const QString& text, bool warning = false) override;
  void Error(QWidget* parent, const QString& text) override;

  // ---- Child windows -----------------------------------------------------------
  // Puts a window into the frame's area (the frame owns it from then on).
  QMdiSubWindow* AddChild(QWidget* window);
  // Takes over a sub-window put into the area by a child window itself.
  void AdoptChild(QMdiSubWindow* sub);
  QStringList ChildWindowTitles() const override;
  QWidget* ActiveChild() const;
  // The game-list windows in the order they were opened.
  QList<TMDIPGN*> ListWindows() const;
  // The database window, when open (one at most).
  TMDIDatabase* DatabaseWindow() const { return database_; }
  // Opens the database window, or brings it forward.
  TMDIDatabase* OpenDatabaseWindow();
  // The game windows in the order they were opened.
  QList<TMDIBrett*> GameWindows() const;
  // What a new game window takes from the frame.
  TSpielfensterRahmen GameWindowFrame();

  // ---- Settings ------------------------------------------------------------------
  TSettings& Settings() { return settings_; }
  const TSettings& Settings() const { return settings_; }
  QString SettingsPath() const;
  bool SettingsWritten() const { return settingsWritten_; }
  void StorePGNSize(int height, int width) override;
  void StoreDatabaseSize(int height, int width) override;
  void StoreBrettSize(int height, int width, int brettSize, int32_t blackSquare,
                      int32_t whiteSquare);
  // Sizes of new child windows while the settings give none.
  static inline const QSize ListWindowSize{500, 340};
  static inline const QSize DatabaseWindowSize{300, 220};
  // A font named "1Echecs" (a chess diagram font) is installed: game windows
  // then offer diagram printing.
  static inline bool PrintFont = false;

  // ---- Commands --------------------------------------------------------------------
  void mOpenPGNClick();
  void mCloseClick();
  void mExitClick();
  void mKoordClick();
  void mAnimationClick();
  void HelpAboutItemClick();
  void WindowCascadeItemClick();
  void WindowTileItemClick();
  void WindowArrangeItemClick();
  void WindowMinimizeItemClick();
  void bStopClick() { stopFlag_ = true; }
  // Closes the frame as the window system's close command (close box, Alt+F4)
  // does: SystemClosing is set while the children are asked.
  bool SystemClose();
  // Enables the child-window commands when there is at least one child.
  void UpdateMenuItems();
  // Shows the long part of a hint in pHint.
  void ShowHint(const QString& hint);

  TFrameDialogs& Dialogs() { return *dialogs_; }

  // ---- Controls --------------------------------------------------------------------
  QMdiArea* MDIArea = nullptr;
  QWidget* Panel1 = nullptr;
  QLabel* pHint = nullptr;
  QWidget* pTrace = nullptr;
  QProgressBar* prBar = nullptr;
  QToolButton* bStop = nullptr;
  TBrett* hBrett = nullptr;
  QString OpenDialogTitle;   // the file dialog's title (row 131)
  QString OpenDialogFilter;  // its filter (row 132), as the table writes it

  QMenu* mPartien = nullptr;
  QAction* mOpenPGN = nullptr;
  QAction* mClose = nullptr;
  QAction* mExit = nullptr;
  QMenu* mOptions = nullptr;
  QMenu* mSprache = nullptr;
  QMenu* mDiverses = nullptr;
  QAction* mKoord = nullptr;
  QAction* mAnimation = nullptr;
  QMenu* Window1 = nullptr;
  QAction* WindowCascadeItem = nullptr;
  QAction* WindowTileItem = nullptr;
  QAction* WindowArrangeItem = nullptr;
  QAction* WindowMinimizeItem = nullptr;
  QAction* HelpAboutItem = nullptr;
  QAction* mDatabase = nullptr;  // Games: opens the database window (row 60)
  QList<QAction*> HistoryItems;  // Games: the recently used files, newest first

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  void CreateControls();
  void CreateMenus();
  void RegisterTexts();
  void ReadSettings();
  bool WriteSettings();
  // Asks every child whether it may close (its close query runs, the window
  // stays); false when one refuses.
  bool ChildrenMayClose();
  bool FormCloseQuery();
  void FillWindowMenu();
  // The game-list window that lists `path`, or null.
  TMDIPGN* FindListWindow(const QString& path) const;
  // Moves a new game window where it hides as little as possible.
  void PlaceGameWindow(QMdiSubWindow* sub, QMdiSubWindow* listSub);
  // The database window and the Games menu get a copy of History.
  void HistoryChanged();
  void FillHistoryMenu();
  // The texts the language registry does not carry, the status line and
  // Qt's own translation follow the language chosen.
  void Sprachwechsel();
  // Qt's own dialogs follow the language: its German translation when
  // German is chosen (none installed is no error).
  void QtTranslationSetzen();
  // A stored window size that fits the frame's client area.
  QSize InDenBereich(QSize size) const;
  // Local PGN files among dropped or dragged data.
  static QStringList DroppedFiles(const QMimeData* data);

  TMainFormOptions options_;
  TDesktopDialogs desktopDialogs_;
  TFrameDialogs* dialogs_;
  TSettings settings_;
  std::vector<TOpenRequest> commandLine_;
  QList<QAction*> windowListActions_;
  bool shown_ = false;
  int progressDepth_ = 0;        // Progress calls letting events run, one inside the other
  bool ersteZeilen_ = false;     // the first progress report was timed
  int64_t wartendeZeile_ = -1;   // a command-line row whose game waits for the scan
  QPointer<TMDIPGN> scanListe_;  // the list window whose file OpenPGNList scans
  // With BREVARO_TIMING set, prints the time since start-up and `was`.
  static void Zeitmarke(const char* was);
  bool systemClosing_ = false;
  bool systemCloseRequested_ = false;
  bool stopFlag_ = false;
  bool settingsWritten_ = false;
  QPointer<TMDIDatabase> database_;
  QAction* historyEnd_ = nullptr;  // the separator after the recent files
  QTranslator* qtTranslator_ = nullptr;
  QString hint_;  // the status line's whole text
  // The game windows' messages and beep, through dialogs_.
  class GameDialogs : public TSpielfensterDialoge {
   public:
    explicit GameDialogs(TMainForm& frame) : frame_(frame) {}
    void Fehlermeldung(QWidget* parent, const QString& text) override;
    void Hinweis(QWidget* parent, const QString& text) override;
    void Piepen() override;
    bool Frage(QWidget* parent, const QString& text) override;
    QString Dateiwahl(QWidget* parent, const QString& title) override;

   private:
    TMainForm& frame_;
  };
  GameDialogs gameDialogs_{*this};
};

}  // namespace brevaro
