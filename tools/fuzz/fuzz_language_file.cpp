// Any bytes as a language file: decoding and putting the texts into the table
// must neither crash nor hang, no more texts are read than the table has rows,
// and each text is UTF-8 without a line feed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "collections/encoding.h"
#include "languages/language_file.h"
#include "languages/language_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> texts =
      brevaro::DecodeLanguageFile(std::string_view(reinterpret_cast<const char*>(data), size));
  if (texts.size() > static_cast<size_t>(brevaro::LanguageRowCount)) __builtin_trap();
  for (const std::string& text : texts)
    if (!brevaro::IstUtf8(text) || text.find('\n') != std::string::npos) __builtin_trap();
  brevaro::LanguageTable table;
  table.SetSecondColumn(texts);
  table.SetLanguageIndex(1);
  for (int row = 0; row < brevaro::LanguageRowCount; ++row) (void)table.LanguageText(row);
  return 0;
}
