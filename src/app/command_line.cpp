#include "app/command_line.h"

#include <limits>

namespace brevaro {

std::optional<std::string> TakeOption(std::vector<std::string>& args, std::string_view name) {
  const std::string prefix = std::string(name) + "=";
  std::optional<std::string> value;
  for (size_t i = 0; i < args.size();) {
    if (args[i].rfind(prefix, 0) == 0) {
      value = args[i].substr(prefix.size());
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
    } else if (args[i] == name) {
      const bool has_value = i + 1 < args.size();
      value = has_value ? args[i + 1] : std::string();
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                 args.begin() + static_cast<std::ptrdiff_t>(i + (has_value ? 2 : 1)));
    } else {
      ++i;
    }
  }
  return value;
}

std::optional<std::string> TakeScreenshotOption(std::vector<std::string>& args) {
  return TakeOption(args, ScreenshotOption);
}

std::string TakeConfigDirOption(std::vector<std::string>& args) {
  return TakeOption(args, ConfigDirOption).value_or(std::string());
}

std::optional<int64_t> ParseRowNumber(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  if (begin == end) return std::nullopt;
  int64_t n = 0;
  for (size_t i = begin; i < end; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    const int digit = c - '0';
    if (n > (std::numeric_limits<int64_t>::max() - digit) / 10) return std::nullopt;
    n = n * 10 + digit;
  }
  return n;
}

std::vector<TOpenRequest> ParseParameters(const std::vector<std::string>& params) {
  std::vector<TOpenRequest> requests;
  bool row_allowed = false;  // the previous parameter was a file
  for (const std::string& p : params) {
    if (p.empty()) {
      row_allowed = false;
      continue;
    }
    if (const std::optional<int64_t> row = ParseRowNumber(p)) {
      if (row_allowed) requests.back().Row = *row;
      row_allowed = false;
      continue;
    }
    requests.push_back({p, -1});
    row_allowed = true;
  }
  return requests;
}

}  // namespace brevaro
