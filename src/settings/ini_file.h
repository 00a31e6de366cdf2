// A plain ini file: "[Section]" lines and "Key=Value" lines, looked up by
// section and key ignoring ASCII case. Values are kept raw (no quoting or
// escaping; only surrounding blanks are trimmed), so quotes and backslashes
// are written and read back exactly. Lines the file had that are not
// rewritten (comments, other keys and sections) are kept as they were.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevaro {

// An ini integer: optional sign, then decimal digits or "0x" and up to eight
// hexadecimal digits (read as 32 bits, so 0xFFFFFFFF is -1). Anything else,
// or a decimal value outside 32 bits, is no integer.
std::optional<int32_t> ParseIniInteger(std::string_view text);

class IniFile {
 public:
  // Replaces the contents with the parsed bytes (any line ends).
  void Parse(std::string_view bytes);
  // Loads a file; a missing file gives an empty ini and true. False with the
  // system's error text when the file exists but cannot be read (or is larger
  // than any settings file, 16 MiB).
  bool Load(const std::string& path, std::string* error = nullptr);
  // Writes the file atomically; false (old file untouched) on failure.
  bool Save(const std::string& path, std::string* error = nullptr) const;
  // The file's bytes, lines ending in "\n".
  std::string Bytes() const;

  // The first value of key in the first section of that name.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  // An integer that is not 0; the default when the value is no integer.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // Sets a value, adding the key (at the end of its section) or the section
  // (at the end of the file) when missing. A line break cannot be stored in a
  // value: CR and LF are dropped from it.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

 private:
  struct Line {
    std::string raw;    // the line as read or built
    std::string key;    // empty for a section header, comment or other line
    std::string value;  // trimmed value of a key line
  };
  struct Section {
    std::string name;
    std::string header;  // the "[name]" line as read
    std::vector<Line> lines;
  };
  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);

  std::vector<Line> preamble_;  // lines before the first section
  std::vector<Section> sections_;
};

}  // namespace brevaro
