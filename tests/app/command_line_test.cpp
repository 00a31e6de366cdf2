// The desktop program's command line: its options and "file.pgn [row]" pairs.
#include "app/command_line.h"

#include <gtest/gtest.h>

using namespace brevaro;

namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, FilesAndTheirRows) {
  const std::pair<Args, std::vector<TOpenRequest>> cases[] = {
      {{}, {}},
      {{"games.pgn"}, {{"games.pgn", -1}}},
      {{"games.pgn", "0"}, {{"games.pgn", 0}}},
      {{"games.pgn", " 12 "}, {{"games.pgn", 12}}},
      {{"a.pgn", "b.pgn"}, {{"a.pgn", -1}, {"b.pgn", -1}}},
      {{"a.pgn", "3", "b.pgn", "c.pgn", "0"}, {{"a.pgn", 3}, {"b.pgn", -1}, {"c.pgn", 0}}},
      {{"a.pgn", "1", "2"}, {{"a.pgn", 1}}},  // a second number is ignored
      {{"7", "a.pgn"}, {{"a.pgn", -1}}},      // so is a number first
      // What is no row number is a file.
      {{"a.pgn", "1x"}, {{"a.pgn", -1}, {"1x", -1}}},
      {{"a.pgn", "+1"}, {{"a.pgn", -1}, {"+1", -1}}},
      {{"a.pgn", "99999999999999999999"}, {{"a.pgn", -1}, {"99999999999999999999", -1}}},
      {{"", "a.pgn", "", "4"}, {{"a.pgn", -1}}}};  // empty parameters skipped
  for (const auto& [params, expected] : cases)
    EXPECT_EQ(ParseParameters(params), expected) << testing::PrintToString(params);
}

TEST(CommandLine, RowNumbers) {
  const std::pair<const char*, std::optional<int64_t>> cases[] = {
      {"0", 0},
      {"9223372036854775807", INT64_MAX},
      {"9223372036854775808", {}},
      {"", {}},
      {"  ", {}},
      {"-1", {}},
      {"0x10", {}}};
  for (auto [text, row] : cases) EXPECT_EQ(ParseRowNumber(text), row) << text;
}

TEST(CommandLine, ScreenshotOptionIsTakenOut) {
  const std::tuple<Args, std::optional<std::string>, Args> cases[] = {
      {{"a.pgn", "--screenshot", "shot.png", "0"}, "shot.png", {"a.pgn", "0"}},
      {{"--screenshot=x.png", "a.pgn", "--screenshot=y.png"}, "y.png", {"a.pgn"}},
      {{"a.pgn", "--screenshot"}, "", {"a.pgn"}},
      {{"a.pgn", "--screenshots"}, std::nullopt, {"a.pgn", "--screenshots"}}};
  for (auto [args, file, rest] : cases) {
    EXPECT_EQ(TakeScreenshotOption(args), file);
    EXPECT_EQ(args, rest);
  }
}

TEST(CommandLine, ConfigDirOptionIsTakenOutBesideTheScreenshotOption) {
  Args args{"a.pgn", "--config-dir", "/tmp/c", "--screenshot=s.png", "3", "--config-dir"};
  EXPECT_EQ(TakeConfigDirOption(args), "");  // the last one counts, even without a value
  EXPECT_EQ(TakeScreenshotOption(args), "s.png");
  EXPECT_EQ(args, (Args{"a.pgn", "3"}));
}

}  // namespace
