#include "viewer/display_text.h"

#include <array>

#include "collections/encoding.h"
#include "game/move_text.h"

namespace brevaro {

namespace {

QString Cp1252(unsigned char c) {
  static const std::array<QString, 256> tabelle = [] {
    std::array<QString, 256> t;
    for (int i = 0; i < 256; ++i) {
      const char b = static_cast<char>(i);
      t[static_cast<size_t>(i)] = QString::fromUtf8(Windows1252ZuUtf8(std::string_view(&b, 1)));
    }
    return t;
  }();
  return tabelle[c];
}

}  // namespace

QString AnzeigeText(std::string_view bytes) {
  return QString::fromStdString(AlsUtf8(bytes));
}

QString SymbolText(unsigned char zeichen) {
  const std::string_view text = SymbolAnzeige(zeichen);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int Utf8Folge(std::string_view b, size_t i) {
  const auto u = [&](size_t k) { return static_cast<unsigned char>(b[k]); };
  const unsigned char c = u(i);
  int n = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
  } else {
    return 0;
  }
  if (i + static_cast<size_t>(n) > b.size()) return 0;
  for (int k = 1; k < n; ++k) {
    if ((u(i + static_cast<size_t>(k)) & 0xC0) != 0x80) return 0;
  }
  // Overlong and surrogate forms are not UTF-8.
  if (c == 0xE0 && u(i + 1) < 0xA0) return 0;
  if (c == 0xED && u(i + 1) > 0x9F) return 0;
  if (c == 0xF0 && u(i + 1) < 0x90) return 0;
  if (c == 0xF4 && u(i + 1) > 0x8F) return 0;
  return n;
}

std::vector<TAnzeigezeichen> Zerlegen(std::string_view bytes, bool utf8, bool symbole) {
  std::vector<TAnzeigezeichen> z;
  z.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x20) {
      z.push_back({QStringLiteral(" "), 1});  // line ends and tabs in comments
      ++i;
      continue;
    }
    if (c < 0x80) {
      z.push_back({QString(QChar(c)), 1});
      ++i;
      continue;
    }
    if (symbole && c <= 144) {
      z.push_back({SymbolText(c), 1});
      ++i;
      continue;
    }
    if (utf8) {
      if (const int n = Utf8Folge(bytes, i)) {
        z.push_back({QString::fromUtf8(bytes.data() + i, n), n});
        i += static_cast<size_t>(n);
        continue;
      }
    }
    z.push_back({Cp1252(c), 1});
    ++i;
  }
  return z;
}

QString Zusammen(std::string_view bytes, bool utf8, bool symbole) {
  QString s;
  for (const TAnzeigezeichen& z : Zerlegen(bytes, utf8, symbole)) s += z.Text;
  return s;
}

}  // namespace brevaro
