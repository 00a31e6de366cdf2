#include "lists/database_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPointer>
#include <QVBoxLayout>

#include "collections/pgn_file.h"
#include "languages/language_switcher.h"
#include "lists/game_list_view.h"
#include "lists/game_list_window.h"
#include "lists/window_host.h"
#include "settings/settings.h"
#include "viewer/game_window.h"

namespace brevaro {

namespace {

QString Deutsch(int row) {
  return QString::fromUtf8(LayoutGerman(row).data(),
                           static_cast<qsizetype>(LayoutGerman(row).size()));
}

// Two names of one file: the same text, or the same existing file reached
// through links or dots.
bool GleicheDatei(const QString& a, const QString& b) {
  if (a == b) return true;
  const QString ka = QFileInfo(a).canonicalFilePath();
  return !ka.isEmpty() && ka == QFileInfo(b).canonicalFilePath();
}

// The window that holds a game list: its game-list window, else the list.
QWidget* ListenFenster(TPGN* list) {
  for (QWidget* w = list; w; w = w->parentWidget()) {
    if (auto* fenster = qobject_cast<TMDIPGN*>(w)) return fenster;
  }
  return list;
}

}  // namespace

TMDIDatabase::TMDIDatabase(TCollectionHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  setWindowTitle(Deutsch(60));
  lbDatabase = new QListWidget(this);
  lbDatabase->setObjectName(QStringLiteral("lbDatabase"));
  QFont fett = lbDatabase->font();
  fett.setBold(true);
  lbDatabase->setFont(fett);
  lbDatabase->setUniformItemSizes(true);
  lbDatabase->setSelectionMode(QAbstractItemView::SingleSelection);
  lbDatabase->setDragDropMode(QAbstractItemView::NoDragDrop);
  lbDatabase->viewport()->setAcceptDrops(true);
  SetHint(lbDatabase, Deutsch(61));
  auto* spalte = new QVBoxLayout(this);
  spalte->setContentsMargins(0, 0, 0, 0);
  spalte->addWidget(lbDatabase);
  resize(275, 147);
  connect(lbDatabase, &QListWidget::itemDoubleClicked, this, [this] { lbDatabaseDblClick(); });
  lbDatabase->installEventFilter(this);
  lbDatabase->viewport()->installEventFilter(this);
  Localization().RegisterWindow(this, LanguageWindowKind::DatabaseWindow,
                                {PropertyText(60, this, "windowTitle"), HintOf(61, lbDatabase)});
}

void TMDIDatabase::SetHistory(const std::vector<std::string>& history) {
  const int gewaehlt = lbDatabase->currentRow();
  lbDatabase->clear();
  for (const std::string& eintrag : history) lbDatabase->addItem(PfadText(eintrag));
  if (gewaehlt >= 0 && gewaehlt < lbDatabase->count()) lbDatabase->setCurrentRow(gewaehlt);
}

QString TMDIDatabase::EntryPath(int row) const {
  const QListWidgetItem* item = lbDatabase->item(row);
  if (!item) return {};
  return PfadText(HistoryPath(PfadBytes(item->text())));
}

int TMDIDatabase::EntryAt(const QPoint& viewportPos) const {
  const QListWidgetItem* item = lbDatabase->itemAt(viewportPos);
  return item ? lbDatabase->row(item) : -1;
}

void TMDIDatabase::lbDatabaseDblClick() {
  const QString pfad = EntryPath(lbDatabase->currentRow());
  if (!pfad.isEmpty()) host_.OpenPGNFile(pfad);
}

void TMDIDatabase::DropGames(TPGN* source, int row) {
  if (!source || collecting_ || source->Busy()) return;
  const QString ziel = EntryPath(row);
  if (ziel.isEmpty()) return;
  if (GleicheDatei(ziel, PfadText(source->FileName()))) return;
  const std::vector<int64_t> markiert = source->MarkedRows();
  if (markiert.empty()) return;
  // A file that another program rewrote no longer holds the listed games
  // where the list has them; their bytes would land broken in the target.
  if (source->FileChanged()) {
    host_.Error(this, RowText(RowSourceChanged));
    return;
  }
  for (const QString& titel : host_.ChildWindowTitles()) {
    if (GleicheDatei(titel, ziel)) {
      host_.Error(this, RowText(15) + ziel + RowText(16));
      return;
    }
  }
  if (!host_.Question(this, RowText(17) + ziel + RowText(18))) return;

  QApplication::setOverrideCursor(Qt::WaitCursor);
  QPointer<TPGN> quelle(source);
  QPointer<QWidget> quellFenster(ListenFenster(source));
  setEnabled(false);
  quellFenster->setEnabled(false);
  host_.SetStopFlag(false);
  collecting_ = true;
  std::string text;
  // The separators follow the target's line ends.
  const std::string_view zeilenende = Zeilenende(PfadBytes(ziel));
  int64_t fertig = 0;
  const int64_t anzahl = static_cast<int64_t>(markiert.size());
  for (int64_t zeile : markiert) {
    if (quelle.isNull()) break;  // the list went meanwhile
    int64_t gameId = -1;
    std::string spiel;
    quelle->GetGame(quelle->GameOfRow(zeile), gameId, spiel);
    ++fertig;
    if (spiel.empty()) continue;
    AnhangHinzu(text, spiel, zeilenende);
    TCancelMode modus = cmContinue;
    host_.Progress(Prozent(fertig, anzahl), modus);
    if (host_.StopFlag() || modus == cmCancel) break;
  }
  TCancelMode ende = cmContinue;
  host_.Progress(0, ende);
  std::string fehler;
  // (The file may also have been rewritten while the games were collected.)
  const bool geaendert = quelle && quelle->FileChanged();
  const bool gelungen = !geaendert && AnPGNDateiAnhaengen(PfadBytes(ziel), text, &fehler);
  collecting_ = false;
  setEnabled(true);
  if (quellFenster) quellFenster->setEnabled(true);
  QApplication::restoreOverrideCursor();
  if (geaendert) {
    host_.Error(this, RowText(RowSourceChanged));
  } else if (!gelungen) {
    QString meldung = RowText(19);
    if (!fehler.empty()) meldung += QLatin1Char('\n') + QString::fromStdString(fehler);
    host_.Error(this, meldung);
  }
}

void TMDIDatabase::closeEvent(QCloseEvent* event) {
  if (host_.ProgressRunning() || collecting_) {
    event->ignore();
    return;
  }
  const QWidget* rahmen = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
  host_.StoreDatabaseSize(rahmen->height(), rahmen->width());
  event->accept();
}

bool TMDIDatabase::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      const int taste = static_cast<QKeyEvent*>(event)->key();
      if (taste == Qt::Key_Escape) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
          sub->close();
        } else {
          close();
        }
        return true;
      }
      if ((taste == Qt::Key_Return || taste == Qt::Key_Enter) && watched == lbDatabase &&
          lbDatabase->currentRow() >= 0) {
        lbDatabaseDblClick();
        return true;
      }
      break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      if (watched != lbDatabase->viewport()) break;
      auto* e = static_cast<QDragMoveEvent*>(event);
      const int row = EntryAt(e->position().toPoint());
      if (row >= 0) lbDatabase->setCurrentRow(row);
      // Marked games of a list, or the game of a game window.
      const bool quelle = qobject_cast<TPGN*>(e->source()) || qobject_cast<TMDIBrett*>(e->source());
      if (row >= 0 && quelle) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
      } else {
        // DragEnter must be accepted for the moves over the other entries to follow.
        if (event->type() == QEvent::DragEnter && quelle) {
          e->accept();
        } else {
          e->ignore();
        }
      }
      return true;
    }
    case QEvent::Drop: {
      if (watched != lbDatabase->viewport()) break;
      auto* e = static_cast<QDropEvent*>(event);
      auto* quelle = qobject_cast<TPGN*>(e->source());
      const int row = EntryAt(e->position().toPoint());
      if (auto* spiel = qobject_cast<TMDIBrett*>(e->source()); spiel && row >= 0) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
        spiel->PartieAnhaengen(EntryPath(row));  // with the game window's refusals and question
        return true;
      }
      if (!quelle || row < 0) {
        e->ignore();
        return true;
      }
      e->setDropAction(Qt::CopyAction);
      e->accept();
      DropGames(quelle, row);
      return true;
    }
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace brevaro
