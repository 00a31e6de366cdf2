// Any bytes as a game's text: loading, laying out with wrapping and freeing must
// neither crash nor hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "game/notation_model.h"

namespace {

class Masse : public brevaro::TZeichenbreite {
 public:
  int Breite(brevaro::TSchrift, unsigned char c) const override { return 1 + c % 9; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  static const Masse breite;
  brevaro::TNotationModell m;
  brevaro::TFischerInfo fischer;
  m.OnFischerInfo = [&](const brevaro::TFischerInfo& info) {
    fischer = info;
    m.SetFischerInfo(info.Fischer ? &fischer : nullptr);
  };
  m.Zeichenbreite = &breite;
  m.Breite = 120;
  m.Ueberschrift = groesse % 2 == 0;
  m.LadePartie(std::string_view(reinterpret_cast<const char*>(daten), groesse));
  m.SetEnglish(true);  // lays out again
  return 0;
}
