// Any bytes as a game's text: loading, laying out with wrapping and freeing must
// neither crash nor hang. Read for a search of the main line alone (variations
// passed over, reading ended below a number of pieces), the main line is the
// one the whole reading gives, up to where the pieces fall below that number.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "game/notation_model.h"

namespace {

// Widths by byte; measured as in a UTF-8 game, continuation bytes have none.
class Masse : public brevaro::TZeichenbreite {
 public:
  explicit Masse(bool utf8) : Utf8(utf8) {}
  int Breite(brevaro::TSchrift, unsigned char c) const override {
    return Utf8 && (c & 0xC0) == 0x80 ? 0 : 1 + c % 9;
  }
  bool Utf8;
};

// The main line's moves as read, and the pieces on the board after each.
struct THauptlinie {
  std::vector<brevaro::TZug> Zuege;
  std::vector<int> Figuren;
};

THauptlinie Lesen(std::string_view text, bool ohneVarianten, int32_t mindest) {
  brevaro::TNotationModell m;
  brevaro::TFischerInfo fischer;
  m.OnFischerInfo = [&](const brevaro::TFischerInfo& info) {
    fischer = info;
    m.SetFischerInfo(info.Fischer ? &fischer : nullptr);
  };
  m.OhneVarianten = ohneVarianten;
  m.MindestFiguren = mindest;
  m.LadePartie(text, brevaro::TLadeart::OhneNotationstext);
  THauptlinie h;
  int figuren = 0;
  for (const int32_t f : m.Partiedaten.StartBrett)
    figuren += f != brevaro::Leer && f >= -brevaro::Koenig && f <= brevaro::Koenig;
  h.Figuren.push_back(figuren);
  for (const brevaro::TBaum* k = m.Wurzel ? m.Wurzel->Erster : nullptr; k; k = k->Naechster) {
    h.Zuege.push_back(k->Zug);
    figuren -= k->Zug.Geschlagen != 0;
    h.Figuren.push_back(figuren);
  }
  return h;
}

bool Gleich(const brevaro::TZug& a, const brevaro::TZug& b) {
  return a.Von == b.Von && a.Nach == b.Nach && a.AmZug == b.AmZug && a.Rochade == b.Rochade &&
         a.Umwandlung == b.Umwandlung && a.EPSchlagfeld == b.EPSchlagfeld &&
         a.Geschlagen == b.Geschlagen && a.Rochaderechte == b.Rochaderechte;
}

void HauptlinieAlleinPruefen(std::string_view text, int32_t mindest) {
  const THauptlinie ganz = Lesen(text, false, 0);
  const THauptlinie allein = Lesen(text, true, mindest);
  // Where the whole main line falls below `mindest` pieces, reading ends.
  size_t ende = 0;
  while (ende < ganz.Zuege.size() && (mindest == 0 || ganz.Figuren[ende] >= mindest)) ++ende;
  if (allein.Zuege.size() != ende) __builtin_trap();
  for (size_t i = 0; i < ende; ++i)
    if (!Gleich(allein.Zuege[i], ganz.Zuege[i])) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, size_t groesse) {
  const Masse breite(groesse % 3 == 0);
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
  const std::string_view text(reinterpret_cast<const char*>(daten), groesse);
  HauptlinieAlleinPruefen(text, groesse > 0 ? daten[0] % 34 : 0);
  return 0;
}
