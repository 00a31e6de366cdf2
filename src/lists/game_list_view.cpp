#include "lists/game_list_view.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <algorithm>
#include <climits>

#include "lists/window_host.h"

namespace brevaro {

namespace {

// The hourglass while an operation of the list runs.
class Sanduhr {
 public:
  Sanduhr() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~Sanduhr() { QApplication::restoreOverrideCursor(); }
  Sanduhr(const Sanduhr&) = delete;
  Sanduhr& operator=(const Sanduhr&) = delete;
};

}  // namespace

// ---------------------------------------------------------------------------
// Model and delegate

TPGNModel::TPGNModel(TPGN& list) : list_(list) {}

int TPGNModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shown_;
}

QVariant TPGNModel::data(const QModelIndex&, int) const {
  return {};
}

Qt::ItemFlags TPGNModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

void TPGNModel::Angleichen(bool neu) {
  // A view counts rows in int: a list beyond that shows its first INT_MAX rows.
  const int n = static_cast<int>(std::min<int64_t>(list_.RowCount(), INT_MAX));
  if (neu || n < shown_) {
    beginResetModel();
    shown_ = n;
    endResetModel();
  } else if (n > shown_) {
    beginInsertRows(QModelIndex(), shown_, n - 1);
    shown_ = n;
    endInsertRows();
  }
}

TPGNDelegate::TPGNDelegate(TPGN& list) : list_(list) {}

void TPGNDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
  list_.PaintRow(*painter, option, index.row());
}

// The view makes each row as wide as its viewport. A wider hint would outlast
// the width it was taken from: once the vertical scroll bar appears or the list
// narrows, the rows would scroll sideways under a header that does not.
QSize TPGNDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
  return {1, list_.RowHeight()};
}

// ---------------------------------------------------------------------------
// The list

TPGN::TPGN(QWidget* owner) : QListView(owner), model_(*this), delegate_(*this) {
  setModel(&model_);
  setItemDelegate(&delegate_);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setDefaultDropAction(Qt::CopyAction);
  QFont f = font();
  f.setPixelSize(12);
  setFont(f);
  index_.OnPGNTrace = [this](int percent, TCancelMode& mode) { Trace(percent, mode); };
  index_.BeforeCreatePGNFile = [this](const std::string& name, bool& anlegen) {
    if (BeforeCreatePGNFile) BeforeCreatePGNFile(this, name, anlegen);
  };
}

TPGN::~TPGN() = default;

void TPGN::setRowHeight(int h) {
  rowHeight_ = std::max(1, h);
  scheduleDelayedItemsLayout();
}

void TPGN::Trace(int percent, TCancelMode& cancelMode) {
  if (vorgang_ == Vorgang::Scan || vorgang_ == Vorgang::Filter) {
    // The index has cleared its rows before its first report and only added
    // rows since; the view catches up before events run. Telling the view of
    // new rows costs it time in the number of rows it has, so after the
    // first report it hears of them a few times a second.
    if (ersterBericht_ || !angeglichen_.isValid() || angeglichen_.elapsed() >= 200) {
      model_.Angleichen(ersterBericht_);
      ersterBericht_ = false;
      angeglichen_.start();
    }
  }
  if (OnPGNTrace) OnPGNTrace(this, percent, cancelMode);
}

void TPGN::setFileName(const std::string& fileName) {
  if (Busy()) return;
  Sanduhr sanduhr;
  vorgang_ = Vorgang::Scan;
  ersterBericht_ = true;
  index_.SetFileName(fileName);
  gefunden_.reset();
  vorgang_ = Vorgang::None;
  model_.Angleichen(false);  // an emptied list has not reported
  viewport()->update();
}

void TPGN::ApplyFilter() {
  if (Busy() || !IsOpen()) return;
  Sanduhr sanduhr;
  vorgang_ = Vorgang::Filter;
  ersterBericht_ = true;
  if (OnFilterRequest) {
    index_.OnFilterRequest = [this](const TEventData& kopf, bool& zeigen) {
      if (OnFilterRequest) OnFilterRequest(this, kopf, zeigen);
    };
  } else {
    index_.OnFilterRequest = nullptr;  // every game becomes a row unread
  }
  if (suche_) {
    Suchen(*suche_);
  } else {
    index_.ApplyFilter();
    gefunden_.reset();
  }
  index_.OnFilterRequest = nullptr;
  vorgang_ = Vorgang::None;
  model_.Angleichen(ersterBericht_);
}

void TPGN::Suchen(const TStellungssuche& suche) {
  // The index is not busy meanwhile: the rows shown are painted from it.
  suchlauf_ = true;
  std::vector<int64_t> spiele;
  TSuchlauf lauf;
  lauf.OnTrace = [this](int percent, TCancelMode& mode) {
    if (OnPGNTrace) OnPGNTrace(this, percent, mode);
  };
  lauf.OnTreffer = [&](int64_t g, int32_t) {
    if (index_.OnFilterRequest) {
      bool zeigen = true;
      index_.OnFilterRequest(index_.ReadGameHeader(g), zeigen);
      if (!zeigen) return;
    }
    spiele.push_back(g);
  };
  try {
    StellungSuchen(index_, suche, nullptr, lauf);
  } catch (const std::bad_alloc&) {
    // the games found so far are listed
  }
  suchlauf_ = false;
  index_.SetRows(spiele);
  gefunden_ = suche;
  ersterBericht_ = true;
}

void TPGN::SortBy(uint8_t key) {
  if (Busy() || !IsOpen() || RowCount() == 0) return;
  Sanduhr sanduhr;
  vorgang_ = Vorgang::Sort;
  index_.SortBy(key);
  vorgang_ = Vorgang::None;
  // The rows show other games now: marks and the current row go.
  model_.Angleichen(true);
}

void TPGN::GetGame(int64_t gameIndex, int64_t& gameId, std::string& pgnGame) const {
  Sanduhr sanduhr;
  index_.GetGame(gameIndex, gameId, pgnGame);
}

int64_t TPGN::CurrentRow() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? i.row() : -1;
}

void TPGN::MarkOnly(int64_t row) {
  if (row < 0 || row >= model_.Angezeigt()) return;
  const QModelIndex i = model_.index(static_cast<int>(row));
  selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
  scrollTo(i);
}

void TPGN::StepMark(int64_t row) {
  if (row < 0 || row >= model_.Angezeigt()) return;
  QItemSelectionModel* auswahl = selectionModel();
  const QModelIndex alt = auswahl->currentIndex();
  if (alt.isValid() && alt.row() != row) auswahl->select(alt, QItemSelectionModel::Deselect);
  const QModelIndex i = model_.index(static_cast<int>(row));
  auswahl->setCurrentIndex(i, QItemSelectionModel::Select);
  scrollTo(i);
}

std::vector<int64_t> TPGN::MarkedRows() const {
  std::vector<int64_t> rows;
  for (const QItemSelectionRange& r : selectionModel()->selection()) {
    for (int row = r.top(); row <= r.bottom(); ++row) rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

void TPGN::OpenCurrentGame() {
  const int64_t row = CurrentRow();
  if (row < 0 || !IsOpen() || !OnPGNDblClick) return;
  int64_t gameId = -1;
  std::string text;
  GetGame(GameOfRow(row), gameId, text);
  if (!text.empty() && gameId != -1) OnPGNDblClick(this, text, gameId);
}

void TPGN::PaintRow(QPainter& painter, const QStyleOptionViewItem& option, int row) {
  if (index_.NoPaint()) return;
  const bool markiert = option.state & QStyle::State_Selected;
  const QPalette& pal = option.palette;
  painter.save();
  painter.fillRect(option.rect, markiert ? pal.highlight() : pal.base());
  painter.setPen(markiert ? pal.highlightedText().color() : pal.text().color());
  painter.setFont(font());
  const int64_t spiel = GameOfRow(row);
  const TEventData& kopf = index_.ReadGameHeader(spiel);
  if (OnPGNDrawItem) {
    OnPGNDrawItem(this, painter, row, option.rect, kopf, spiel);
  } else {
    painter.drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     PGNText(kopf.White + " - " + kopf.Black));
  }
  painter.restore();
  if (option.state & QStyle::State_HasFocus) {
    QStyleOptionFocusRect fokus;
    fokus.QStyleOption::operator=(option);
    fokus.backgroundColor = markiert ? pal.highlight().color() : pal.base().color();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &fokus, &painter, this);
  }
}

void TPGN::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      selectionModel()->hasSelection()) {
    OpenCurrentGame();
    event->accept();
    return;
  }
  QListView::keyPressEvent(event);
}

void TPGN::mouseDoubleClickEvent(QMouseEvent* event) {
  QListView::mouseDoubleClickEvent(event);
  OpenCurrentGame();
}

void TPGN::startDrag(Qt::DropActions) {
  // The drop target asks the list for its marked rows; the drag only says
  // how many there are, so marking a million rows costs no million items.
  if (Busy() || !selectionModel()->hasSelection()) return;
  auto* daten = new QMimeData;
  daten->setData(GamesMimeType, QByteArray::number(static_cast<qlonglong>(MarkedRows().size())));
  auto* drag = new QDrag(this);
  drag->setMimeData(daten);
  drag->exec(Qt::CopyAction);
}

}  // namespace brevaro
