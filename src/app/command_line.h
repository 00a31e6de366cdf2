// The desktop program's command line: the program's own options (the
// screenshot file, the settings directory) and the positional parameters,
// "file.pgn [row]" repeated for several files. Plain C++.
// Invariant: taking an option out leaves the other arguments in their order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevaro {

// Removes every "NAME VALUE" and "NAME=VALUE" from the arguments and returns
// the value of the last one; nullopt when there is none. An option without a
// value gives an empty text.
std::optional<std::string> TakeOption(std::vector<std::string>& args, std::string_view name);

// "--screenshot FILE.png" or "--screenshot=FILE.png": start up, render the
// frame window into FILE.png, exit.
inline constexpr std::string_view ScreenshotOption = "--screenshot";

// Removes every "--screenshot" option from the arguments and returns the
// value of the last one; nullopt when there is none. An option without a
// value gives an empty text.
std::optional<std::string> TakeScreenshotOption(std::vector<std::string>& args);

// Command-line option naming the settings directory: "--config-dir=DIR" or
// "--config-dir DIR".
inline constexpr std::string_view ConfigDirOption = "--config-dir";

// Removes the settings-directory option from the arguments (so that the
// positional parameters keep their places) and returns its value, or empty.
std::string TakeConfigDirOption(std::vector<std::string>& args);

// A decimal row number: optional blanks around ASCII digits, nothing else, and
// small enough for 64 bits.
std::optional<int64_t> ParseRowNumber(const std::string& text);

// A file to open and, when given, the row of its list whose game opens at once.
struct TOpenRequest {
  std::string Path;
  int64_t Row = -1;  // -1: only the list
  bool operator==(const TOpenRequest&) const = default;
};

// The positional parameters as files to open: every parameter names a file,
// except a decimal number right after a file, which is that file's row
// ("a.pgn 0 b.pgn c.pgn 3"). A number with no file before it, or a second
// number after a file, is ignored; so are empty parameters.
std::vector<TOpenRequest> ParseParameters(const std::vector<std::string>& params);

}  // namespace brevaro
