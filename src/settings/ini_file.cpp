#include "settings/ini_file.h"

#include "settings/atomic_file.h"

#include <sys/stat.h>
#include <cerrno>
#include <limits>
#include <utility>

namespace brevaro {

namespace {

// An ini file larger than this is not a settings file of ours.
constexpr size_t kMaxIniBytes = 16 * 1024 * 1024;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// "key=value". Built by appending: GCC 12 warns falsely (-Wrestrict) on
// `"literal" + std::string` chains in optimised builds.
std::string KeyLine(std::string_view key, std::string_view value) {
  std::string line;
  line.reserve(key.size() + 1 + value.size());
  line.append(key).append(1, '=').append(value);
  return line;
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::optional<int32_t> ParseIniInteger(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    if (text.size() > 8) return std::nullopt;
    uint32_t v = 0;
    for (char c : text) {
      const int d = HexDigit(c);
      if (d < 0) return std::nullopt;
      v = v * 16 + static_cast<uint32_t>(d);
    }
    if (negative) v = 0u - v;
    return static_cast<int32_t>(v);
  }
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
    if (v > int64_t{std::numeric_limits<int32_t>::max()} + 1) return std::nullopt;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(v);
}

void IniFile::Parse(std::string_view bytes) {
  preamble_.clear();
  sections_.clear();
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view raw = bytes.substr(start, end - start);
    start = end + 1;
    if (end < bytes.size() && bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
      ++start;
    const std::string_view t = Trim(raw);
    if (!t.empty() && t.front() == '[') {
      std::string_view name = t.substr(1);
      const size_t close = name.find(']');
      if (close != std::string_view::npos) name = name.substr(0, close);
      sections_.push_back({std::string(Trim(name)), std::string(raw), {}});
      continue;
    }
    Line line{std::string(raw), {}, {}};
    const size_t eq = t.find('=');
    if (!t.empty() && t.front() != ';' && eq != std::string_view::npos &&
        !Trim(t.substr(0, eq)).empty()) {
      line.key = std::string(Trim(t.substr(0, eq)));
      line.value = std::string(Trim(t.substr(eq + 1)));
    }
    (sections_.empty() ? preamble_ : sections_.back().lines).push_back(std::move(line));
  }
}

bool IniFile::Load(const std::string& path, std::string* error) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) {
    Parse({});
    return true;
  }
  std::string bytes;
  if (!ReadFileBytes(path, bytes, kMaxIniBytes + 1, error)) {
    Parse({});
    return false;
  }
  if (bytes.size() > kMaxIniBytes) {  // not ours; rewriting it would cut it short
    if (error) *error = path + ": file too large";
    Parse({});
    return false;
  }
  Parse(bytes);
  return true;
}

bool IniFile::Save(const std::string& path, std::string* error) const {
  return WriteFileAtomically(path, Bytes(), error);
}

std::string IniFile::Bytes() const {
  std::string out;
  for (const Line& line : preamble_) out += line.raw + "\n";
  for (const Section& section : sections_) {
    out += section.header + "\n";
    for (const Line& line : section.lines) out += line.raw + "\n";
  }
  return out;
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  for (const Section& s : sections_)
    if (EqualNoCase(s.name, name)) return &s;
  return nullptr;
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  for (Section& s : sections_)
    if (EqualNoCase(s.name, name)) return &s;
  return nullptr;
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return std::nullopt;
  for (const Line& line : s->lines)
    if (!line.key.empty() && EqualNoCase(line.key, key)) return line.value;
  return std::nullopt;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  std::optional<std::string> v = Value(section, key);
  return v ? *v : std::string(def);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  std::optional<std::string> v = Value(section, key);
  if (!v) return def;
  return ParseIniInteger(*v).value_or(def);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  // Line breaks go first, so the value kept is the one a reload reads.
  std::string joined;
  for (char c : value)
    if (c != '\r' && c != '\n') joined += c;
  const std::string clean(Trim(joined));
  Section* s = FindSection(section);
  if (!s) {
    if (!preamble_.empty() || !sections_.empty()) {
      std::vector<Line>& last = sections_.empty() ? preamble_ : sections_.back().lines;
      if (last.empty() || !Trim(last.back().raw).empty()) last.push_back({"", {}, {}});
    }
    std::string header(1, '[');
    header.append(section).append(1, ']');
    sections_.push_back({std::string(section), std::move(header), {}});
    s = &sections_.back();
  }
  for (Line& line : s->lines) {
    if (!line.key.empty() && EqualNoCase(line.key, key)) {
      line.value = clean;
      line.raw = KeyLine(line.key, clean);
      return;
    }
  }
  // New keys go after the section's last non-blank line.
  size_t at = s->lines.size();
  while (at > 0 && Trim(s->lines[at - 1].raw).empty()) --at;
  s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at),
                  Line{KeyLine(key, clean), std::string(key), clean});
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

}  // namespace brevaro
