// Any bytes as tag lines: reading them into a header, the list's row texts and
// the filter's decisions must neither crash nor hang. A disabled filter lets
// every game through.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "collections/game_list.h"
#include "game/header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  brevaro::TTagListe others;
  brevaro::TEventData kopf;
  kopf.OtherTags = &others;
  // The first line configures a filter; the others are tag lines.
  const size_t first = text.find('\n');
  const std::string_view config = text.substr(0, first);
  brevaro::TFilterSettings filter;
  filter.Player = std::string(config.substr(0, config.size() / 3));
  filter.Event = std::string(config.substr(config.size() / 3, config.size() / 3));
  filter.Eco = std::string(config.substr(2 * (config.size() / 3)));
  filter.As = static_cast<brevaro::TPlayerColour>(size % 3);
  filter.YearRange = size % 2;
  filter.Win = size % 5 == 0;
  filter.Draw = size % 7 == 0;
  filter.Loss = size % 11 == 0;
  text.remove_prefix(first == std::string_view::npos ? text.size() : first + 1);
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    brevaro::TagZeileLesen(kopf, line);
    (void)brevaro::TagWert(line);
    (void)brevaro::TagZahl(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  (void)brevaro::RowTexts(kopf, static_cast<int64_t>(size));
  if (!brevaro::FilterRequest(filter, kopf)) __builtin_trap();  // disabled: passes
  filter.Enabled = true;
  (void)brevaro::FilterRequest(filter, kopf);
  return 0;
}
