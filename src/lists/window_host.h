// What the game-list and database windows need from the frame window: its
// progress procedure and stop flag, its file dialog and history, the opening
// of files and games, the titles of its child windows, the stored window sizes
// and the message dialogs. The frame implements it (or derives from
// TDefaultCollectionHost); tests answer the dialogs through it.
// Invariant: ProgressRunning() is true exactly while Progress lets events run.
//
// How the frame wires the collection windows:
//  - Game list: `auto* w = new TMDIPGN(host)`; `area->addSubWindow(w)` with
//    Qt::WA_DeleteOnClose on the sub-window; `if (!w->LoadFile(path))` close
//    it again (a refused file or a declined new file); apply PGNHeight/Width
//    above 100 to the sub-window. host.OpenGame receives (list, text, GameID):
//    the game window calls list->AttachGameWindow(gameWindow, detach) and,
//    when it closes, list->ForgetGameWindow(gameWindow); its previous/next
//    buttons step through the list's rows (TListenQuelle) and beep when they
//    wrap around.
//  - Database window: at most one (keep a QPointer); `new TMDIDatabase(host)`,
//    SetHistory(History) now and after every change of History; apply
//    DatabaseHeight/Width above 50. Its entries open through host.OpenPGNFile.
//  - Both windows ask for closing through closeEvent: the frame's sub-window
//    close reaches them; SystemClosing() skips the list's question.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>

#include "collections/pgn_index.h"

class QMdiArea;
class QWidget;

namespace brevaro {

class TMDIPGN;

class TCollectionHost {
 public:
  virtual ~TCollectionHost() = default;

  // The frame's progress procedure: shows `percent` (0 ends an operation),
  // lets pending events run, and answers cmCancel when the stop flag is set.
  virtual void Progress(int percent, TCancelMode& cancelMode) = 0;
  virtual bool StopFlag() const = 0;
  virtual void SetStopFlag(bool stop) = 0;
  // True while Progress lets events run: every close request is refused then.
  virtual bool ProgressRunning() const = 0;
  // The frame closes through its close box: child windows close unasked.
  virtual bool SystemClosing() const = 0;

  // The file dialog; an empty text when it was cancelled.
  virtual QString OpenFileDialog(QWidget* parent) = 0;
  virtual void AddHistory(const QString& path) = 0;
  // Opens a PGN file in a game-list window (the database window's entries).
  virtual void OpenPGNFile(const QString& path) = 0;
  // Opens a game of a list in a game window, or brings forward the window
  // that already shows this list's game `gameId`.
  virtual void OpenGame(TMDIPGN* list, const std::string& pgnGame, int64_t gameId) = 0;
  // The titles of all child windows of the frame.
  virtual QStringList ChildWindowTitles() const = 0;

  // The settings PGNHeight/PGNWidth and DatabaseHeight/DatabaseWidth.
  virtual void StorePGNSize(int height, int width) = 0;
  virtual void StoreDatabaseSize(int height, int width) = 0;

  // A Yes/No question; true for Yes. A warning question when `warning`.
  virtual bool Question(QWidget* parent, const QString& text, bool warning = false) = 0;
  // An error message with an OK button.
  virtual void Error(QWidget* parent, const QString& text) = 0;
};

// A host for a plain QMdiArea: message boxes, the platform's file dialog, a
// stop flag of its own and a progress procedure that lets events run. Opening
// files and games does nothing until OnOpenPGNFile / OnOpenGame are set.
class TDefaultCollectionHost : public TCollectionHost {
 public:
  explicit TDefaultCollectionHost(QMdiArea* area = nullptr) : area_(area) {}

  void Progress(int percent, TCancelMode& cancelMode) override;
  bool StopFlag() const override { return stopFlag_; }
  void SetStopFlag(bool stop) override { stopFlag_ = stop; }
  bool ProgressRunning() const override { return progressRunning_; }
  bool SystemClosing() const override { return systemClosing_; }
  void SetSystemClosing(bool closing) { systemClosing_ = closing; }

  QString OpenFileDialog(QWidget* parent) override;
  void AddHistory(const QString& path) override;
  void OpenPGNFile(const QString& path) override;
  void OpenGame(TMDIPGN* list, const std::string& pgnGame, int64_t gameId) override;
  QStringList ChildWindowTitles() const override;

  void StorePGNSize(int height, int width) override;
  void StoreDatabaseSize(int height, int width) override;

  bool Question(QWidget* parent, const QString& text, bool warning = false) override;
  void Error(QWidget* parent, const QString& text) override;

  std::function<void(const QString& path)> OnOpenPGNFile;
  std::function<void(TMDIPGN* list, const std::string& pgnGame, int64_t gameId)> OnOpenGame;

  QStringList History;  // newest first
  int PGNHeight = 0, PGNWidth = 0;
  int DatabaseHeight = 0, DatabaseWidth = 0;
  int LastPercent = 0;  // the last percentage shown

 private:
  QMdiArea* area_;
  bool stopFlag_ = false;
  bool progressRunning_ = false;
  bool systemClosing_ = false;
};

// A PGN file path as the file system's bytes, and back.
std::string PfadBytes(const QString& path);
QString PfadText(const std::string& path);

// Bytes of a PGN file for display: valid UTF-8 as UTF-8, else Windows-1252.
QString PGNText(const std::string& bytes);

// The language table's text of `row` for the widgets.
QString RowText(int row);

}  // namespace brevaro
