// Language files (*.lng): line n + 1 holds the text of row n, a line break
// inside a text is the byte 0xA7 ("§" in Windows-1252). The program writes
// Windows-1252 with CR LF; it reads UTF-8 when the bytes are valid UTF-8,
// otherwise Windows-1252, with CR LF, LF or CR line ends. Texts in memory are
// UTF-8 with "\r" line breaks. Reading never yields more than LanguageRowCount texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brevaro {

// The most bytes read from a language file; the rest of a larger file is
// ignored (a few hundred lines of text never need that much).
inline constexpr size_t MaxLanguageFileBytes = 4 * 1024 * 1024;

// The bytes of a language file holding the given texts, one line each.
std::string EncodeLanguageFile(const std::vector<std::string>& texts);
// The texts of a language file's bytes: at most LanguageRowCount, with line breaks as "\r".
std::vector<std::string> DecodeLanguageFile(std::string_view bytes);

// The bytes of English.lng: the built-in English column.
std::string EnglishLanguageFile();

// Writes English.lng (the built-in English column) to path, replacing it.
bool WriteEnglishLanguageFile(const std::string& path, std::string* error = nullptr);

// Reads a language file's texts; false with the system's error text when the
// file cannot be read (missing, a directory, no permission).
bool ReadLanguageFile(const std::string& path, std::vector<std::string>& texts,
                      std::string* error = nullptr);

}  // namespace brevaro
