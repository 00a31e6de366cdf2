#include "collections/encoding.h"

#include <array>

namespace brevaro {

namespace {

// Windows-1252 code points of the bytes 0x80..0x9F (undefined bytes map to
// themselves, as the platform's conversion does).
constexpr std::array<char16_t, 32> Cp1252Hoch = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Cp1252(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return Cp1252Hoch[b - 0x80];
  return b;
}

// Length of the UTF-8 sequence at text[i] and its code point; 0 when the
// bytes there are not well-formed UTF-8.
size_t Utf8Zeichen(std::string_view text, size_t i, char32_t& c) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  if (b0 < 0x80) {
    c = b0;
    return 1;
  }
  size_t laenge;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    laenge = 2;
    c = b0 & 0x1F;
    min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    laenge = 3;
    c = b0 & 0x0F;
    min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    laenge = 4;
    c = b0 & 0x07;
    min = 0x10000;
  } else {
    return 0;
  }
  if (i + laenge > text.size()) return 0;
  for (size_t k = 1; k < laenge; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return laenge;
}

void Utf8Anhaengen(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IstAscii(std::string_view text) {
  for (char ch : text)
    if (static_cast<unsigned char>(ch) >= 0x80) return false;
  return true;
}

}  // namespace

bool IstUtf8(std::string_view text) {
  char32_t c;
  for (size_t i = 0; i < text.size();) {
    const size_t n = Utf8Zeichen(text, i, c);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

namespace {

// Dekodieren into `out`, which keeps its room from call to call.
void DekodierenIn(std::string_view text, std::u32string& out) {
  out.clear();
  out.reserve(text.size());
  if (IstUtf8(text)) {
    char32_t c;
    for (size_t i = 0; i < text.size();) {
      i += Utf8Zeichen(text, i, c);
      out += c;
    }
  } else {
    for (char ch : text) out += Cp1252(static_cast<unsigned char>(ch));
  }
}

}  // namespace

std::u32string Dekodieren(std::string_view text) {
  std::u32string out;
  DekodierenIn(text, out);
  return out;
}

std::string AlsUtf8(std::string_view text) {
  if (IstUtf8(text)) return std::string(text);
  return Windows1252ZuUtf8(text);
}

std::string Windows1252ZuUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (char ch : bytes) Utf8Anhaengen(out, Cp1252(static_cast<unsigned char>(ch)));
  return out;
}

std::string Utf8ZuWindows1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t c;
    const size_t n = Utf8Zeichen(text, i, c);
    if (n == 0) {
      out += '?';
      ++i;
      continue;
    }
    i += n;
    char byte = '?';
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      byte = static_cast<char>(c);
    } else {
      for (size_t k = 0; k < Cp1252Hoch.size(); ++k)
        if (Cp1252Hoch[k] == c) byte = static_cast<char>(0x80 + k);
    }
    out += byte;
  }
  return out;
}

char32_t Grossbuchstabe(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
  if (c < 0x100) {
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
    if (c == 0xFF) return 0x178;
    if (c == 0xB5) return 0x39C;
    return c;
  }
  // Latin Extended-A: pairs of upper and lower case.
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c & ~char32_t{1};
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
  if (c == 0x131) return 'I';
  if (c == 0x17F) return 'S';
  // Latin Extended-B, the letters of Vietnamese and Romanian names among them.
  if (c == 0x1A1 || c == 0x1B0) return c - 1;
  if (c >= 0x1CD && c <= 0x1DC) return (c & 1) ? c : c - 1;
  if ((c >= 0x1DE && c <= 0x1EF) || (c >= 0x1F8 && c <= 0x21F)) return c & ~char32_t{1};
  // Greek
  if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? 0x3A3 : c - 32;
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return c - 37;
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return c - 63;
  // Cyrillic
  if (c >= 0x430 && c <= 0x44F) return c - 32;
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
    return c & ~char32_t{1};
  if (c >= 0x4C1 && c <= 0x4CE) return (c & 1) ? c : c - 1;
  // Latin Extended Additional (Vietnamese)
  if ((c >= 0x1E00 && c <= 0x1E95) || (c >= 0x1EA0 && c <= 0x1EFF)) return c & ~char32_t{1};
  return c;
}

std::u32string GrossDekodiert(std::string_view text) {
  std::u32string out = Dekodieren(text);
  for (char32_t& c : out) c = Grossbuchstabe(c);
  return out;
}

bool EnthaeltOhneFall(std::string_view heuhaufen, const std::u32string& nadel) {
  if (nadel.empty()) return true;
  if (IstAscii(heuhaufen)) {
    // The common case without decoding: ASCII text can only contain an ASCII needle.
    if (nadel.size() > heuhaufen.size()) return false;
    for (size_t i = 0; i + nadel.size() <= heuhaufen.size(); ++i) {
      size_t k = 0;
      while (k < nadel.size() &&
             Grossbuchstabe(static_cast<unsigned char>(heuhaufen[i + k])) == nadel[k])
        ++k;
      if (k == nadel.size()) return true;
    }
    return false;
  }
  // Decoded into room kept by the thread: a filter tests every game's names.
  thread_local std::u32string text;
  DekodierenIn(heuhaufen, text);
  for (char32_t& c : text) c = Grossbuchstabe(c);
  return text.find(nadel) != std::u32string::npos;
}

std::string_view Getrimmt(std::string_view text) {
  size_t a = 0, e = text.size();
  while (a < e && static_cast<unsigned char>(text[a]) <= ' ') ++a;
  while (e > a && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return text.substr(a, e - a);
}

}  // namespace brevaro
