// TPGN, the list component of one PGN file: a list view whose rows are the
// games of the file's index (a model over TPGNIndex, never an item per game),
// one fixed row height, several rows markable, a drag source. It raises the
// described events and hands a chosen game's text to its owner.
// Invariant: the view's row count follows the index's rows; it catches up at
// the first progress report of a scan or filter and then a few times a
// second, so rows appear while it runs, and at its end.
#pragma once

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QListView>
#include <QStyledItemDelegate>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "collections/pgn_index.h"
#include "collections/position_search.h"

namespace brevaro {

class TPGN;

// The rows of a TPGN for its view: one column and no data of its own (the
// rows are painted by the list, which reads each game's header when needed).
class TPGNModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit TPGNModel(TPGN& list);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

  // The view is told of every row the index has gained (or, when `neu`, of
  // a new set of rows).
  void Angleichen(bool neu);
  int64_t Angezeigt() const { return shown_; }

 private:
  TPGN& list_;
  int shown_ = 0;
};

// Paints a row through its list (OnPGNDrawItem), nothing while it sorts.
class TPGNDelegate : public QStyledItemDelegate {
 public:
  explicit TPGNDelegate(TPGN& list);
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  TPGN& list_;
};

class TPGN : public QListView {
  Q_OBJECT

 public:
  // The mime type of a drag of marked games; the drag's source is the list.
  static inline const QString GamesMimeType = QStringLiteral("application/x-brevaro-games");

  using TPGNTraceEvent = std::function<void(TPGN* sender, int percent, TCancelMode& cancelMode)>;
  using TPGNDblClickEvent =
      std::function<void(TPGN* sender, const std::string& pgnGame, int64_t gameId)>;
  // canvas is filled with the row's brush and its pen set for the row's text
  // (selected rows in the selection colours) before the call.
  using TPGNDrawItemEvent =
      std::function<void(TPGN* control, QPainter& canvas, int index, const QRect& rect,
                         const TEventData& gameHeader, int64_t gameIndex)>;
  using TFilterRequestEvent =
      std::function<void(TPGN* sender, const TEventData& gameHeader, bool& showThisGame)>;
  using TBeforeCreatePGNFileEvent =
      std::function<void(TPGN* sender, const std::string& fileName, bool& createNewPGNFile)>;

  explicit TPGN(QWidget* owner = nullptr);
  ~TPGN() override;

  TPGNTraceEvent OnPGNTrace;
  TPGNDblClickEvent OnPGNDblClick;
  TPGNDrawItemEvent OnPGNDrawItem;
  TFilterRequestEvent OnFilterRequest;
  TBeforeCreatePGNFileEvent BeforeCreatePGNFile;

  // Opens and indexes a file (bytes of the file system's name); an empty
  // name closes it. Ignored while Busy.
  void setFileName(const std::string& fileName);
  const std::string& FileName() const { return index_.FileName(); }
  // The platform's text of the last file that could not be opened.
  const std::string& LastError() const { return index_.LastError(); }
  // True when the last setFileName left an existing file unlisted because it
  // is no PGN file.
  bool RefusedNotPGN() const { return index_.RefusedNotPGN(); }
  // The header fields of the row read last that were cut for the list.
  uint32_t HeaderCut() const { return index_.HeaderCut(); }
  bool IsOpen() const { return index_.IsOpen(); }
  bool FileChanged() const { return index_.FileChanged(); }
  TPGNIndex::TDateiStand FileState() const { return index_.FileState(); }
  bool IndexComplete() const { return index_.IndexComplete(); }
  bool Busy() const { return index_.Busy() || suchlauf_; }
  uint8_t SortKey() const { return index_.SortKey(); }
  // Fixed height of every row in pixels.
  int RowHeight() const { return rowHeight_; }
  void setRowHeight(int h);

  // Rebuilds the rows: the games that pass OnFilterRequest and, when a
  // position search is set, reach its position. The search runs on all cores
  // (BREVARO_THREADS sets how many threads); the rows shown stay until it
  // ends, and a stop lists the games found among those checked so far.
  void ApplyFilter();
  // The position search of the next ApplyFilter; nullopt: none.
  void SetStellungssuche(std::optional<TStellungssuche> suche) { suche_ = std::move(suche); }
  // The position search the rows were found by; nullptr when none.
  const TStellungssuche* Stellungssuche() const { return gefunden_ ? &*gefunden_ : nullptr; }
  void SortBy(uint8_t key);
  int64_t RowCount() const { return index_.RowCount(); }
  int64_t GameCount() const { return index_.GameCount(); }
  // The GameID shown in display row `row`; -1 outside 0..RowCount()-1.
  int64_t GameOfRow(int64_t row) const { return index_.GameOfRow(row); }
  void GetGame(int64_t gameIndex, int64_t& gameId, std::string& pgnGame) const;
  std::string ReadGameText(int64_t gameIndex) const { return index_.ReadGameText(gameIndex); }
  const TEventData& ReadGameHeader(int64_t gameIndex) { return index_.ReadGameHeader(gameIndex); }
  const TEventData& GameHeader() const { return index_.GameHeader(); }

  // The current row, -1 when there is none.
  int64_t CurrentRow() const;
  // Unmarks every row, marks `row` and makes it current.
  void MarkOnly(int64_t row);
  // Stepping from the current row to `row`: unmarks only the current row,
  // marks `row` and makes it current; the user's other marks stay.
  void StepMark(int64_t row);
  // The marked rows in display order.
  std::vector<int64_t> MarkedRows() const;
  // Opens the current row's game through OnPGNDblClick.
  void OpenCurrentGame();

  // Paints row `row` into `rect` (what the delegate calls).
  void PaintRow(QPainter& painter, const QStyleOptionViewItem& option, int row);

  TPGNModel& Model() { return model_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;
  void keyboardSearch(const QString&) override {}  // would read every header

 private:
  enum class Vorgang { None, Scan, Filter, Sort };
  void Trace(int percent, TCancelMode& cancelMode);
  void Suchen(const TStellungssuche& suche);

  TPGNIndex index_;
  TPGNModel model_;
  TPGNDelegate delegate_;
  int rowHeight_ = 16;
  Vorgang vorgang_ = Vorgang::None;
  bool ersterBericht_ = false;  // the next report of the operation starts new rows
  bool suchlauf_ = false;       // a position search runs
  QElapsedTimer angeglichen_;   // since the view last heard of new rows
  std::optional<TStellungssuche> suche_;
  std::optional<TStellungssuche> gefunden_;
};

}  // namespace brevaro
