#include "viewer/game_source.h"

#include <algorithm>

namespace brevaro {

TPartienquelle::~TPartienquelle() {
  AlleAbkoppeln();
}

void TPartienquelle::Verbinden(TQuellenNutzer* nutzer) {
  if (nutzer && std::find(Nutzer_.begin(), Nutzer_.end(), nutzer) == Nutzer_.end()) {
    Nutzer_.push_back(nutzer);
    NutzerVerbunden(nutzer);
  }
}

void TPartienquelle::Trennen(TQuellenNutzer* nutzer) {
  const auto it = std::remove(Nutzer_.begin(), Nutzer_.end(), nutzer);
  if (it == Nutzer_.end()) return;
  Nutzer_.erase(it, Nutzer_.end());
  NutzerGetrennt(nutzer);
}

void TPartienquelle::Abkoppeln(TQuellenNutzer* nutzer) {
  const auto it = std::remove(Nutzer_.begin(), Nutzer_.end(), nutzer);
  if (it == Nutzer_.end()) return;
  Nutzer_.erase(it, Nutzer_.end());
  nutzer->QuelleAbgekoppelt();
}

void TPartienquelle::AlleAbkoppeln() {
  // A user may unlink others while it is told; work on a copy.
  const std::vector<TQuellenNutzer*> nutzer = std::move(Nutzer_);
  Nutzer_.clear();
  for (TQuellenNutzer* n : nutzer) n->QuelleAbgekoppelt();
}

}  // namespace brevaro
