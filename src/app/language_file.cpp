#include "app/language_file.h"

#include "app/atomic_file.h"
#include "app/language_table.h"

#include <array>
#include <cstdint>

namespace brevaro {

namespace {

// Unicode code points of the bytes 0x80..0x9F in Windows-1252; the five
// unassigned bytes map to the control character of the same number.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr unsigned char kLineBreakByte = 0xA7;  // "§"
constexpr std::string_view kLineBreakUtf8 = "\xC2\xA7";

void AppendUtf8(std::string& out, char32_t c) {
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

// Decodes one UTF-8 sequence at s[i]; returns its length, 0 when invalid
// (overlong forms, surrogates and values above U+10FFFF are invalid).
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& c) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  size_t len;
  char32_t min;
  if (b0 < 0x80) {
    c = b0;
    return 1;
  } else if ((b0 & 0xE0) == 0xC0) {
    len = 2, c = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, c = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, c = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return len;
}

// Every "§" (U+00A7) of a UTF-8 text becomes "\r".
std::string LineBreaksFromFile(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, kLineBreakUtf8.size()) == kLineBreakUtf8) {
      out += '\r';
      i += kLineBreakUtf8.size() - 1;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  char32_t c;
  for (size_t i = 0; i < bytes.size();) {
    const size_t n = DecodeUtf8(bytes, i, c);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b < 0xA0)
      AppendUtf8(out, kHighControls[b - 0x80]);
    else
      AppendUtf8(out, b);
  }
  return out;
}

std::string Utf8ToWindows1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t c;
    size_t n = DecodeUtf8(text, i, c);
    if (n == 0) {
      out += '?';
      ++i;
      continue;
    }
    i += n;
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out += static_cast<char>(c);
      continue;
    }
    char mapped = '?';
    for (size_t k = 0; k < kHighControls.size(); ++k)
      if (kHighControls[k] == c) mapped = static_cast<char>(0x80 + k);
    out += mapped;
  }
  return out;
}

std::string EncodeLanguageFile(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& text : texts) {
    std::string line = Utf8ToWindows1252(text);
    for (char& ch : line)
      if (ch == '\r') ch = static_cast<char>(kLineBreakByte);
    // A line feed cannot stand inside a line either.
    for (char& ch : line)
      if (ch == '\n') ch = static_cast<char>(kLineBreakByte);
    out += line;
    out += "\r\n";
  }
  return out;
}

std::vector<std::string> DecodeLanguageFile(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF" && IsValidUtf8(bytes)) bytes.remove_prefix(3);
  // Cut the raw lines first (line ends are the same bytes in both encodings).
  std::vector<std::string_view> raw;
  size_t start = 0;
  while (start < bytes.size() && raw.size() < static_cast<size_t>(LanguageRowCount)) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      raw.push_back(bytes.substr(start));
      break;
    }
    raw.push_back(bytes.substr(start, end - start));
    start = end + 1;
    if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
  }
  bool utf8 = true;
  for (std::string_view line : raw)
    if (!IsValidUtf8(line)) utf8 = false;
  std::vector<std::string> texts;
  texts.reserve(raw.size());
  for (std::string_view line : raw) {
    texts.push_back(LineBreaksFromFile(utf8 ? std::string(line) : Windows1252ToUtf8(line)));
  }
  return texts;
}

std::string EnglishLanguageFile() {
  std::vector<std::string> texts;
  for (int row = 0; row < LanguageRowCount; ++row) texts.emplace_back(BuiltInText(row, 1));
  return EncodeLanguageFile(texts);
}

bool WriteEnglishLanguageFile(const std::string& path, std::string* error) {
  return WriteFileAtomically(path, EnglishLanguageFile(), error);
}

bool ReadLanguageFile(const std::string& path, std::vector<std::string>& texts,
                      std::string* error) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes, MaxLanguageFileBytes, error)) return false;
  texts = DecodeLanguageFile(bytes);
  return true;
}

}  // namespace brevaro
