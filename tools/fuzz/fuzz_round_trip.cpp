// Any bytes as a game: reading it, writing it and reading the written text must
// give the same game (see round_trip.h), with the same reading error if the
// first read had one.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "game/notation_model.h"
#include "round_trip.h"

namespace {

struct Spiel {
  brevaro::TNotationModell m;
  brevaro::TFischerInfo fischer;
  Spiel() {
    m.SetEnglish(true);
    m.OnFischerInfo = [this](const brevaro::TFischerInfo& info) {
      fischer = info;
      m.SetFischerInfo(info.Fischer ? &fischer : nullptr);
    };
  }
};

// Whether a text kept in the game has brackets or braces that do not pair
// up; with `nurKommentar`, only whether one leaves a comment open. After a
// reading error such a text cannot always be written back so that it reads
// the same: a ")" that closes its variation, or a brace after it, may be taken
// as the text's own. A comment left open is closed when written, whether or
// not there was an error. Those games are not compared.
bool UngeschlosseneKlammer(const brevaro::TVariante* wurzel, bool nurKommentar) {
  auto offen = [nurKommentar](const std::string& text) {
    int tiefe = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '{') {
        const size_t zu = text.find('}', i);
        if (zu == std::string::npos) return true;
        i = zu;
      } else if (nurKommentar) {
        continue;
      } else if (text[i] == '}') {
        return true;
      } else if (text[i] == '(' || text[i] == ')') {
        tiefe += text[i] == '(' ? 1 : -1;
        if (tiefe < 0) return true;
      }
    }
    return tiefe != 0;
  };
  std::vector<const brevaro::TVariante*> linien{wurzel};
  while (!linien.empty()) {
    const brevaro::TVariante* v = linien.back();
    linien.pop_back();
    if (!v) continue;
    if (offen(v->Rest.str())) return true;
    for (const brevaro::TBaum* k = v->Erster; k; k = k->Naechster) {
      if (offen(k->Rest.str())) return true;
      for (const brevaro::TVariante* w = k->Varianten; w; w = w->Naechste) linien.push_back(w);
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Spiel a, b;
  const int32_t erst = a.m.LadePartie(std::string_view(reinterpret_cast<const char*>(data), size));
  if (UngeschlosseneKlammer(a.m.Wurzel, erst == 0)) return 0;
  const std::string text = a.m.PGNSchreiben();
  if (b.m.LadePartie(text) != erst) {
    std::fprintf(stderr, "reads back with another result:\n%s\n", text.c_str());
    __builtin_trap();
  }
  const std::string unterschied = brevaro::SpielUnterschied(a.m, b.m);
  if (!unterschied.empty()) {
    std::fprintf(stderr, "%s\n%s\n", unterschied.c_str(), text.c_str());
    __builtin_trap();
  }
  return 0;
}
