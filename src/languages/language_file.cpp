#include "languages/language_file.h"

#include "collections/encoding.h"
#include "languages/language_table.h"
#include "settings/atomic_file.h"

#include <array>
#include <cstdint>

namespace brevaro {

namespace {

constexpr unsigned char kLineBreakByte = 0xA7;  // "§"
constexpr std::string_view kLineBreakUtf8 = "\xC2\xA7";

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

std::string EncodeLanguageFile(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& text : texts) {
    std::string line = Utf8ZuWindows1252(text);
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
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF" && IstUtf8(bytes)) bytes.remove_prefix(3);
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
    if (!IstUtf8(line)) utf8 = false;
  std::vector<std::string> texts;
  texts.reserve(raw.size());
  for (std::string_view line : raw) {
    texts.push_back(LineBreaksFromFile(utf8 ? std::string(line) : Windows1252ZuUtf8(line)));
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
