#include "game/move_text.h"

#include "core/position.h"

namespace brevaro {

namespace {

constexpr std::array<uint16_t, 17> SymbolNags = {22, 8,  18,  16, 14, 11,  13, 15, 17,
                                                 19, 44, 132, 36, 40, 138, 32, 146};
constexpr uint8_t ErstesSymbol = 128;
// How each symbol is shown, in the order of SymbolNags.
constexpr std::array<std::string_view, 17> SymbolAnzeigen = {
    "\u2A00", "\u25A1",   "+-",     "\u00B1", "+=",     "=",      "\u221E", "=+", "\u2213",
    "-+",     "=/\u221E", "\u21C6", "\u2191", "\u2192", "\u2295", "\u27F3", "N"};

}  // namespace

std::string_view ZugbewertungText(uint8_t zugbewertung) {
  static constexpr std::array<std::string_view, 7> texte = {"", "!", "!!", "?", "??", "!?", "?!"};
  return zugbewertung < texte.size() ? texte[zugbewertung] : std::string_view();
}

uint8_t BewertungsZeichen(uint16_t stellungsbewertung) {
  // Indexed by the NAG number; 0 where a number has no symbol.
  static constexpr auto zeichen = [] {
    std::array<uint8_t, 147> z{};
    for (size_t i = 0; i < SymbolNags.size(); ++i)
      z[SymbolNags[i]] = static_cast<uint8_t>(ErstesSymbol + i);
    return z;
  }();
  return stellungsbewertung < zeichen.size() ? zeichen[stellungsbewertung] : 0;
}

uint16_t BewertungAusZeichen(uint8_t zeichen) {
  if (zeichen < ErstesSymbol || zeichen >= ErstesSymbol + SymbolNags.size()) return 0;
  return SymbolNags[zeichen - ErstesSymbol];
}

std::string_view SymbolAnzeige(uint8_t zeichen) {
  if (zeichen < ErstesSymbol || zeichen >= ErstesSymbol + SymbolAnzeigen.size()) return {};
  return SymbolAnzeigen[zeichen - ErstesSymbol];
}

std::string_view Figurenbuchstabe(int art, bool english) {
  if (art < 0 || art > Koenig) return {};
  const auto& buchstaben = english ? EnglischeFigurenbuchstaben : DeutscheFigurenbuchstaben;
  const char& b = buchstaben[static_cast<size_t>(art)];
  return b == '\0' ? std::string_view() : std::string_view(&b, 1);
}

int EigenerBuchstabenIndex(int art) {
  switch (art) {
    case Koenig:
      return 0;
    case Dame:
      return 1;
    case Turm:
      return 2;
    case Laeufer:
      return 3;
    case Springer:
      return 4;
    case Bauer:
      return 5;
    default:
      return -1;
  }
}

int FigurAusBuchstabe(char c) {
  static constexpr auto arten = [] {
    std::array<uint8_t, 256> a{};
    for (char f = 'a'; f <= 'h'; ++f) a[static_cast<unsigned char>(f)] = Bauer;
    a['P'] = Bauer;
    a['K'] = Koenig;
    a['D'] = a['Q'] = Dame;
    a['T'] = a['R'] = Turm;
    a['L'] = a['B'] = Laeufer;
    a['S'] = a['N'] = Springer;
    return a;
  }();
  return arten[static_cast<unsigned char>(c)];
}

char FigurinenBuchstabe(std::string_view t, size_t p) {
  if (p >= t.size() || t.size() - p < 3 || t[p] != '\xE2' || t[p + 1] != '\x99') return 0;
  const unsigned c = static_cast<unsigned char>(t[p + 2]);
  return c >= 0x94 && c <= 0x9F ? "KQRBNP"[(c - 0x94) % 6] : '\0';
}

}  // namespace brevaro
