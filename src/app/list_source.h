// The game list of a game-list window as the source of its game windows: rows,
// the current row and the games' texts read through the window's PGN1, and
// the links of the game windows kept in step on both sides.
// Invariant: a game window linked to this source is also attached to the
// game-list window, so the list's close query knows of it and a detach from
// either side unlinks both.
#pragma once

#include <QObject>
#include <cstdint>
#include <string>

#include "viewer/partienquelle.h"

namespace brevaro {

class TMDIBrett;
class TMDIPGN;

class TListenQuelle : public QObject, public TPartienquelle {
  Q_OBJECT

 public:
  // The source of a game-list window; made on first use, it lives as long as
  // the window.
  static TListenQuelle* Of(TMDIPGN& list);

  int64_t RowCount() const override;
  int64_t CurrentRow() const override;
  void SetCurrentRow(int64_t row) override;
  int64_t GameOfRow(int64_t row) const override;
  std::string GetGame(int64_t game) override;

  // Attaches a game window that has linked itself to this source to the
  // game-list window: when the list lets go of it, it is unlinked here and
  // told so.
  void Attach(TMDIBrett* window);

  TMDIPGN& List() const { return list_; }

 private:
  explicit TListenQuelle(TMDIPGN& list);
  TMDIPGN& list_;
};

}  // namespace brevaro
