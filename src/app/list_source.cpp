#include "app/list_source.h"

#include <QPointer>

#include "collections/pgn_widget.h"
#include "collections/pgn_window.h"
#include "viewer/brettfenster.h"

namespace brevaro {

TListenQuelle::TListenQuelle(TMDIPGN& list) : QObject(&list), list_(list) {
  setObjectName(QStringLiteral("ListenQuelle"));
}

TListenQuelle* TListenQuelle::Of(TMDIPGN& list) {
  if (auto* source = list.findChild<TListenQuelle*>(QString(), Qt::FindDirectChildrenOnly))
    return source;
  return new TListenQuelle(list);
}

int64_t TListenQuelle::RowCount() const {
  return list_.PGN1->RowCount();
}

int64_t TListenQuelle::CurrentRow() const {
  return list_.PGN1->CurrentRow();
}

void TListenQuelle::SetCurrentRow(int64_t row) {
  list_.PGN1->MarkOnly(row);
}

int64_t TListenQuelle::GameOfRow(int64_t row) const {
  return list_.PGN1->GameOfRow(row);
}

std::string TListenQuelle::GetGame(int64_t game) {
  int64_t gameId = -1;
  std::string text;
  list_.PGN1->GetGame(game, gameId, text);
  return text;
}

void TListenQuelle::Attach(TMDIBrett* window) {
  if (!window || window->GameList() != this) return;
  QPointer<TMDIBrett> w(window);
  QPointer<TListenQuelle> self(this);
  list_.AttachGameWindow(window, [w, self] {
    if (!w) return;
    if (self) self->Trennen(w);
    if (self && w->GameList() == self) w->QuelleAbgekoppelt();
  });
}

}  // namespace brevaro
