#include "lists/list_game_source.h"

#include "lists/game_list_view.h"
#include "lists/game_list_window.h"

namespace brevaro {

TListenQuelle::TListenQuelle(TMDIPGN* liste) : QObject(liste), Liste_(liste) {}

TListenQuelle::~TListenQuelle() {
  AlleAbkoppeln();
}

int64_t TListenQuelle::RowCount() const {
  return Liste_ ? Liste_->PGN1->RowCount() : 0;
}

int64_t TListenQuelle::CurrentRow() const {
  return Liste_ ? Liste_->PGN1->CurrentRow() : -1;
}

void TListenQuelle::SetCurrentRow(int64_t row) {
  if (Liste_) Liste_->PGN1->StepMark(row);
}

int64_t TListenQuelle::GameOfRow(int64_t row) const {
  return Liste_ ? Liste_->PGN1->GameOfRow(row) : -1;
}

std::string TListenQuelle::GetGame(int64_t game) {
  int64_t id = -1;
  std::string text;
  if (Liste_) Liste_->PGN1->GetGame(game, id, text);
  return text;
}

const TStellungssuche* TListenQuelle::Stellungssuche() const {
  return Liste_ ? Liste_->PGN1->Stellungssuche() : nullptr;
}

void TListenQuelle::PositionSuchen(const TSchachbrett& brett, const TZug& zug) {
  if (Liste_) Liste_->PositionSuchen(brett, zug);
}

void TListenQuelle::NutzerVerbunden(TQuellenNutzer* nutzer) {
  auto* fenster = dynamic_cast<QObject*>(nutzer);
  if (!Liste_ || !fenster) return;
  Liste_->AttachGameWindow(fenster, [this, nutzer] { Abkoppeln(nutzer); });
}

void TListenQuelle::NutzerGetrennt(TQuellenNutzer* nutzer) {
  auto* fenster = dynamic_cast<QObject*>(nutzer);
  if (Liste_ && fenster) Liste_->ForgetGameWindow(fenster);
}

TListenQuelle* ListenQuelle(TMDIPGN* liste) {
  if (!liste) return nullptr;
  if (auto* q = liste->findChild<TListenQuelle*>(QString(), Qt::FindDirectChildrenOnly)) return q;
  return new TListenQuelle(liste);
}

}  // namespace brevaro
