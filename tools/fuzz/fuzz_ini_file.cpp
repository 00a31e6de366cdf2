// Any bytes as brevaro.ini: parsing, reading the settings, writing them back
// must neither crash nor hang, and a file written once reads back to the same
// bytes (writing is stable).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/ini_file.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  brevaro::IniFile ini;
  ini.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  const brevaro::TSettings settings = brevaro::ReadSettings(ini);
  brevaro::WriteSettings(settings, ini);
  const std::string written = ini.Bytes();
  brevaro::IniFile again;
  again.Parse(written);
  brevaro::WriteSettings(brevaro::ReadSettings(again), again);
  if (again.Bytes() != written) __builtin_trap();
  return 0;
}
