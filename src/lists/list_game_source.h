// The game-list window as the source of its game windows: TListenQuelle
// implements TPartienquelle over a TMDIPGN (rows, current row, games) and
// joins the list's own links, so that the list detaching its game windows
// (closing, another file) detaches them here too.
// Invariant: one TListenQuelle per list, a child of the list, living exactly
// as long as it; every user linked here is attached to the list as well.
#pragma once

#include <QObject>
#include <QPointer>

#include "viewer/game_source.h"

namespace brevaro {

class TMDIPGN;

class TListenQuelle : public QObject, public TPartienquelle {
  Q_OBJECT

 public:
  explicit TListenQuelle(TMDIPGN* liste);
  ~TListenQuelle() override;

  int64_t RowCount() const override;
  int64_t CurrentRow() const override;
  void SetCurrentRow(int64_t row) override;
  int64_t GameOfRow(int64_t row) const override;
  std::string GetGame(int64_t game) override;
  const TStellungssuche* Stellungssuche() const override;
  void PositionSuchen(const TSchachbrett& brett, const TZug& zug) override;
  TMDIPGN* Liste() const { return Liste_; }

 protected:
  void NutzerVerbunden(TQuellenNutzer* nutzer) override;
  void NutzerGetrennt(TQuellenNutzer* nutzer) override;

 private:
  QPointer<TMDIPGN> Liste_;
};

// The source of `liste`'s game windows, made on first use; nullptr for nullptr.
// The frame opens a game of a list with
//   TMDIBrett::Oeffnen(area, ListenQuelle(list), gameId, text, rahmen).
TListenQuelle* ListenQuelle(TMDIPGN* liste);

}  // namespace brevaro
