#include "settings/settings.h"

#include "settings/atomic_file.h"

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace brevaro {

namespace {

constexpr std::string_view kHistory = "History";
constexpr std::string_view kOptions = "Options";

std::string FileKey(int i) {
  return "File" + std::to_string(i);
}

// The integer settings of [Options] in table order, after Animation.
struct IntegerKey {
  std::string_view key;
  int32_t TSettings::*member;
};
constexpr IntegerKey kSizes[] = {
    {"BrettHeight", &TSettings::BrettHeight},     {"BrettWidth", &TSettings::BrettWidth},
    {"BrettSize", &TSettings::BrettSize},         {"PGNHeight", &TSettings::PGNHeight},
    {"PGNWidth", &TSettings::PGNWidth},           {"DatabaseHeight", &TSettings::DatabaseHeight},
    {"DatabaseWidth", &TSettings::DatabaseWidth}, {"MainHeight", &TSettings::MainHeight},
    {"MainWidth", &TSettings::MainWidth},         {"BlackSquare", &TSettings::BlackSquare},
    {"WhiteSquare", &TSettings::WhiteSquare},
};

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

TSettings ReadSettings(const IniFile& ini,
                       const std::function<bool(const std::string&)>& accept_history_path) {
  TSettings s;
  for (int i = 0; i < HistoryMax; ++i) {
    std::string entry = ini.ReadString(kHistory, FileKey(i), "");
    if (entry.empty()) continue;
    if (accept_history_path && !accept_history_path(HistoryPath(entry))) continue;
    s.History.push_back(std::move(entry));
  }
  s.SaveDataBase = ini.ReadString(kHistory, "SaveDataBase", "");
  s.Koordinaten = ini.ReadBool(kOptions, "Koordinaten", true);
  s.FontBold = ini.ReadBool(kOptions, "FontBold", false);
  s.CFontBold = ini.ReadBool(kOptions, "CFontBold", false);
  s.English = ini.ReadInteger(kOptions, "English", 0);
  s.otherLang = ini.ReadString(kOptions, "otherLang", "English");
  s.Animation = ini.ReadBool(kOptions, "Animation", true);
  for (const IntegerKey& k : kSizes) s.*k.member = ini.ReadInteger(kOptions, k.key, 0);
  // A size no window can have (negative, beyond 32767) counts as missing.
  for (int32_t TSettings::*groesse :
       {&TSettings::BrettHeight, &TSettings::BrettWidth, &TSettings::BrettSize,
        &TSettings::PGNHeight, &TSettings::PGNWidth, &TSettings::DatabaseHeight,
        &TSettings::DatabaseWidth, &TSettings::MainHeight, &TSettings::MainWidth}) {
    if (s.*groesse < 0 || s.*groesse > MaxStoredSize) s.*groesse = 0;
  }
  s.DatabaseWinEnabled = ini.ReadBool(kOptions, "DatabaseWinEnabled", true);
  for (size_t i = 0; i < PieceLetterKeys.size(); ++i)
    s.fig[i] = ini.ReadString(kOptions, PieceLetterKeys[i], "");
  s.MoveEntry = ini.ReadBool(kOptions, "MoveEntry", false);
  return s;
}

void WriteSettings(const TSettings& s, IniFile& ini) {
  for (int i = 0; i < HistoryMax; ++i) {
    const bool present = i < static_cast<int>(s.History.size());
    ini.WriteString(kHistory, FileKey(i), present ? s.History[static_cast<size_t>(i)] : "");
  }
  ini.WriteString(kHistory, "SaveDataBase", s.SaveDataBase);
  ini.WriteBool(kOptions, "Koordinaten", s.Koordinaten);
  ini.WriteBool(kOptions, "FontBold", false);
  ini.WriteBool(kOptions, "CFontBold", false);
  ini.WriteInteger(kOptions, "English", s.English);
  ini.WriteString(kOptions, "otherLang", s.otherLang);
  ini.WriteBool(kOptions, "Animation", s.Animation);
  for (const IntegerKey& k : kSizes) ini.WriteInteger(kOptions, k.key, s.*k.member);
  // DatabaseWinEnabled is never written: the user sets it by hand.
  for (size_t i = 0; i < PieceLetterKeys.size(); ++i)
    ini.WriteString(kOptions, PieceLetterKeys[i], s.fig[i]);
  ini.WriteBool(kOptions, "MoveEntry", s.MoveEntry);
}

bool LoadSettings(const std::string& path, TSettings& settings,
                  const std::function<bool(const std::string&)>& accept_history_path,
                  std::string* error) {
  // A save interrupted by a crash or kill leaves its temporary file behind.
  RemoveStaleTemporaryFiles(path);
  IniFile ini;
  const bool ok = ini.Load(path, error);
  settings = ReadSettings(ini, accept_history_path);
  return ok;
}

bool SaveSettings(const std::string& path, const TSettings& settings, std::string* error) {
  IniFile ini;
  // A file that cannot be read is not overwritten: its other keys would be lost.
  if (!ini.Load(path, error)) return false;
  WriteSettings(settings, ini);
  return ini.Save(path, error);
}

// ---------------------------------------------------------------------------

std::string HistoryEntry(const std::string& path) {
  return FileName(path) + "   \"" + path + "\"";
}

std::string HistoryPath(const std::string& entry) {
  // A file name may itself hold double quotes: take the split into name,
  // three blanks and quoted path whose path ends in that name.
  constexpr std::string_view kSeparator = "   \"";
  if (entry.size() >= kSeparator.size() + 1 && entry.back() == '"') {
    for (size_t k = entry.find(kSeparator); k != std::string::npos;
         k = entry.find(kSeparator, k + 1)) {
      const size_t start = k + kSeparator.size();
      if (start > entry.size() - 1) break;
      std::string path = entry.substr(start, entry.size() - 1 - start);
      if (FileName(path) == entry.substr(0, k)) return path;
    }
  }
  const size_t quote = entry.find('"');
  if (quote == std::string::npos) return entry;
  std::string path = entry.substr(quote + 1);
  if (!path.empty() && path.back() == '"') path.pop_back();
  return path;
}

bool SamePath(const std::string& a, const std::string& b) {
  return a == b;
}

bool AddHistory(std::vector<std::string>& history, const std::string& path) {
  if (path.empty()) return false;
  for (const std::string& entry : history)
    if (SamePath(HistoryPath(entry), path)) return false;
  history.insert(history.begin(), HistoryEntry(path));
  if (history.size() > static_cast<size_t>(HistoryMax)) history.resize(HistoryMax);
  return true;
}

bool RemoveFromHistory(std::vector<std::string>& history, const std::string& path) {
  for (auto it = history.begin(); it != history.end(); ++it) {
    if (SamePath(HistoryPath(*it), path)) {
      history.erase(it);
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------

std::string UserConfigDirectory() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/brevaro";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config/brevaro";
  return {};
}

bool IsWritableDirectory(const std::string& dir) {
  if (dir.empty()) return false;
  std::string probe = dir + "/.brevaro-probe-XXXXXX";
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

std::string ChooseSettingsDirectory(const std::string& program_dir,
                                    const std::string& explicit_dir) {
  // A directory that exists or can be made and can hold brevaro.ini.
  auto usable = [](const std::string& dir) -> std::string {
    if (dir.empty()) return {};
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return std::filesystem::is_directory(dir, ec) && IsWritableDirectory(dir) ? dir : std::string();
  };
  std::string chosen;
  const char* env = std::getenv(std::string(ConfigDirVariable).c_str());
  if (!explicit_dir.empty()) {
    chosen = usable(explicit_dir);
  } else if (env && env[0]) {
    chosen = usable(env);
  } else if (IsWritableDirectory(program_dir)) {
    return program_dir;
  }
  return chosen.empty() ? usable(UserConfigDirectory()) : chosen;
}

}  // namespace brevaro
