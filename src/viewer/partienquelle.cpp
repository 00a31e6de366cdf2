#include "viewer/partienquelle.h"

#include <algorithm>

namespace brevaro {

TPartienquelle::~TPartienquelle() {
  AlleAbkoppeln();
}

void TPartienquelle::Verbinden(TQuellenNutzer* nutzer) {
  if (nutzer && std::find(Nutzer_.begin(), Nutzer_.end(), nutzer) == Nutzer_.end()) {
    Nutzer_.push_back(nutzer);
  }
}

void TPartienquelle::Trennen(TQuellenNutzer* nutzer) {
  Nutzer_.erase(std::remove(Nutzer_.begin(), Nutzer_.end(), nutzer), Nutzer_.end());
}

void TPartienquelle::AlleAbkoppeln() {
  // A user may unlink others while it is told; work on a copy.
  const std::vector<TQuellenNutzer*> nutzer = std::move(Nutzer_);
  Nutzer_.clear();
  for (TQuellenNutzer* n : nutzer) n->QuelleAbgekoppelt();
}

}  // namespace brevaro
