// TMDIDatabase, the database window: the recently opened PGN files (a copy of
// the frame's History). A double click or Enter opens an entry's file; games
// marked in a game list and dropped on an entry are appended to that file.
// Invariant: existing bytes of a target file are never changed, and both the
// window and the source list are enabled again however an append ends.
#pragma once

#include <QString>
#include <QWidget>
#include <string>
#include <vector>

class QListWidget;

namespace brevaro {

class TCollectionHost;
class TPGN;

class TMDIDatabase : public QWidget {
  Q_OBJECT

 public:
  explicit TMDIDatabase(TCollectionHost& host, QWidget* parent = nullptr);

  // Copies the history entries (file name, three blanks, the path in double
  // quotes) into the list.
  void SetHistory(const std::vector<std::string>& history);
  // The path of entry `row`; empty outside the list.
  QString EntryPath(int row) const;

  // Opens the selected entry's file through the frame.
  void lbDatabaseDblClick();
  // Appends the games marked in `source` to the file of entry `row` (what a
  // drop on that entry does).
  void DropGames(TPGN* source, int row);
  // True while games are being collected for an append.
  bool Collecting() const { return collecting_; }

  QListWidget* lbDatabase = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int EntryAt(const QPoint& viewportPos) const;

  TCollectionHost& host_;
  bool collecting_ = false;
};

}  // namespace brevaro
