// Text of PGN files is bytes: valid UTF-8 is read as UTF-8, anything else as
// Windows-1252. These helpers decode such bytes, fold case on the decoded text
// and give UTF-8 for display. Invariant: the bytes themselves are never changed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brevaro {

// True when `text` is well-formed UTF-8 (pure ASCII included).
bool IstUtf8(std::string_view text);

// The code points of `text`: decoded as UTF-8 when it is valid UTF-8,
// otherwise byte by byte as Windows-1252.
std::u32string Dekodieren(std::string_view text);

// `text` as UTF-8: unchanged when it already is valid UTF-8, otherwise
// converted from Windows-1252.
std::string AlsUtf8(std::string_view text);

// Every byte of `bytes` decoded as Windows-1252, as UTF-8.
std::string Windows1252ZuUtf8(std::string_view bytes);

// UTF-8 text as Windows-1252 bytes; characters Windows-1252 cannot hold, and
// bytes that are not well-formed UTF-8, become '?'.
std::string Utf8ZuWindows1252(std::string_view text);

// Upper case of one code point (Latin, Greek, Cyrillic and the Latin
// extensions used by Vietnamese names); characters without a single-character
// upper case are returned unchanged ("ß" stays "ß").
char32_t Grossbuchstabe(char32_t c);

// The decoded text in upper case.
std::u32string GrossDekodiert(std::string_view text);

// Case-insensitive substring test on decoded text: is `nadel` (already in
// upper case, see GrossDekodiert) contained in `heuhaufen`? An empty needle is
// contained in everything.
bool EnthaeltOhneFall(std::string_view heuhaufen, const std::u32string& nadel);

// Leading and trailing bytes up to and including the blank removed.
std::string_view Getrimmt(std::string_view text);

}  // namespace brevaro
