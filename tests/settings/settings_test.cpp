#include "settings/settings.h"
#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace brevaro;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct TempDir {
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "brevaro-ini-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~TempDir() { fs::remove_all(path); }
  std::string File(const std::string& name) const { return path + "/" + name; }
  size_t Count() const { return size_t(std::distance(fs::directory_iterator(path), {})); }
  std::string path;
};

// Sets (or with nullptr unsets) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TSettings EveryKeySet() {
  TSettings s;
  s.History = {HistoryEntry("/home/anna/pgn/games.pgn"), "games.pgn   \"C:\\pgn\\games.pgn\"",
               HistoryEntry("/tmp/a \"quoted\" name.pgn")};
  s.SaveDataBase = "C:\\pgn\\save.pgn";
  s.Koordinaten = s.Animation = false;
  s.English = 1;
  s.otherLang = "Francais";
  s.BrettHeight = 480, s.BrettWidth = 640, s.BrettSize = 320, s.PGNHeight = 300;
  s.PGNWidth = 700, s.DatabaseHeight = 200, s.DatabaseWidth = 250;
  s.MainHeight = 768, s.MainWidth = 1024, s.BlackSquare = 0x00408080, s.WhiteSquare = -1;
  s.fig = {"K", "D", "T", "L", "S", ""};
  s.MoveEntry = true;
  return s;
}

auto Fields(const TSettings& s) {
  return std::tie(s.History, s.SaveDataBase, s.Koordinaten, s.FontBold, s.CFontBold, s.English,
                  s.otherLang, s.Animation, s.BrettHeight, s.BrettWidth, s.BrettSize, s.PGNHeight,
                  s.PGNWidth, s.DatabaseHeight, s.DatabaseWidth, s.MainHeight, s.MainWidth,
                  s.BlackSquare, s.WhiteSquare, s.DatabaseWinEnabled, s.fig, s.MoveEntry);
}
#define EXPECT_SAME_SETTINGS(a, b) EXPECT_TRUE(Fields(a) == Fields(b))

}  // namespace

// ---------------------------------------------------------------------------
// Reading

TEST(Settings, IntegersAreReadAsDescribed) {
  const std::pair<const char*, int32_t> valid[] = {
      {"12", 12},
      {" 12 ", 12},
      {"-5", -5},
      {"+7", 7},
      {"0x1F", 31},
      {"0XfF", 255},
      {"0xFFFFFFFF", -1},
      {"-0x10", -16},
      {"2147483647", 2147483647},
      {"-2147483648", std::numeric_limits<int32_t>::min()}};
  for (auto [text, value] : valid) EXPECT_EQ(ParseIniInteger(text), value) << text;
  for (const char* text :
       {"2147483648", "99999999999999999999", "0x100000000", "0x", "", "-", "12a", "1.5"})
    EXPECT_EQ(ParseIniInteger(text), std::nullopt) << text;
}

TEST(Settings, ValuesAreReadByTheirTypeWithDefaultsOtherwise) {
  IniFile ini;
  ini.Parse("[Options]\nUnknown=1\n");
  EXPECT_SAME_SETTINGS(ReadSettings(ini), TSettings{});
  ini.Parse(
      "[history]\r\nfile0 = a.pgn   \"/x/a.pgn\"\r\n[Options]\r\n"
      "Koordinaten=0\r\nAnimation=2\r\nFontBold=yes\r\nEnglish= 1 \r\n"
      "BlackSquare=0x00FF00\r\nWhiteSquare=-1\r\nBrettSize=abc\r\nMainWidth=0x\r\n"
      "BrettWidth=-5\r\nMainHeight=32768\r\nPGNWidth=32767\r\nDatabaseWinEnabled=0\r\nfigK="
      "K\r\nfigQ= D \r\n");
  const TSettings s = ReadSettings(ini);
  EXPECT_EQ(s.History, std::vector<std::string>{"a.pgn   \"/x/a.pgn\""});
  EXPECT_TRUE(!s.Koordinaten && s.Animation);  // Animation: "not 0"
  EXPECT_FALSE(s.FontBold);                    // no integer: the default
  EXPECT_EQ(s.English, 1);
  EXPECT_EQ(s.BlackSquare, 0xFF00);
  // Sizes no window can have count as missing; colours may be negative.
  EXPECT_EQ(s.WhiteSquare, -1);
  for (int size : {s.BrettSize, s.MainWidth, s.BrettWidth, s.MainHeight}) EXPECT_EQ(size, 0);
  EXPECT_EQ(s.PGNWidth, 32767);
  EXPECT_FALSE(s.DatabaseWinEnabled);
  EXPECT_EQ(s.fig[0], "K");
  EXPECT_EQ(s.fig[1], "D");
  // History entries pass the check or drop out.
  ini.Parse(
      "[History]\nFile0=a.pgn   \"/x/a.pgn\"\nFile1=\nFile2=gone.pgn   \"/x/gone.pgn\"\n"
      "File3=b.pgn   \"/x/b.pgn\"\nFile8=c.pgn   \"/x/c.pgn\"\n");
  std::vector<std::string> asked;
  const TSettings h = ReadSettings(ini, [&](const std::string& path) {
    asked.push_back(path);
    return path != "/x/gone.pgn";
  });
  EXPECT_EQ(asked, (std::vector<std::string>{"/x/a.pgn", "/x/gone.pgn", "/x/b.pgn"}));
  EXPECT_EQ(h.History, (std::vector<std::string>{"a.pgn   \"/x/a.pgn\"", "b.pgn   \"/x/b.pgn\""}));
}

// ---------------------------------------------------------------------------
// Writing

TEST(Settings, NewFileHoldsEveryKeyInTableOrderAndReadsBack) {
  IniFile ini;
  WriteSettings(EveryKeySet(), ini);
  EXPECT_EQ(ini.Bytes(),
            "[History]\n"
            "File0=games.pgn   \"/home/anna/pgn/games.pgn\"\n"
            "File1=games.pgn   \"C:\\pgn\\games.pgn\"\n"
            "File2=a \"quoted\" name.pgn   \"/tmp/a \"quoted\" name.pgn\"\n"
            "File3=\nFile4=\nFile5=\nFile6=\nFile7=\n"
            "SaveDataBase=C:\\pgn\\save.pgn\n"
            "\n"
            "[Options]\n"
            "Koordinaten=0\nFontBold=0\nCFontBold=0\nEnglish=1\notherLang=Francais\n"
            "Animation=0\nBrettHeight=480\nBrettWidth=640\nBrettSize=320\nPGNHeight=300\n"
            "PGNWidth=700\nDatabaseHeight=200\nDatabaseWidth=250\nMainHeight=768\n"
            "MainWidth=1024\nBlackSquare=4227200\nWhiteSquare=-1\n"
            "figK=K\nfigQ=D\nfigR=T\nfigB=L\nfigN=S\nfigP=\nMoveEntry=1\n");
  // Through a file: every key back, and written again the same bytes.
  TempDir dir;
  const std::string path = dir.File("brevaro.ini");
  TSettings written = EveryKeySet();
  written.FontBold = true;  // never written as 1
  ASSERT_TRUE(SaveSettings(path, written));
  TSettings read;
  ASSERT_TRUE(LoadSettings(path, read));
  written.FontBold = false;
  EXPECT_SAME_SETTINGS(read, written);
  EXPECT_EQ(HistoryPath(read.History[2]), "/tmp/a \"quoted\" name.pgn");
  const std::string first = ReadAll(path);
  ASSERT_TRUE(SaveSettings(path, read));
  EXPECT_EQ(ReadAll(path), first);
}

TEST(Settings, DatabaseWinEnabledIsNeverWrittenButKept) {
  TempDir dir;
  const std::string path = dir.File("brevaro.ini");
  WriteAll(path,
           "; my settings\r\n[Options]\r\nDatabaseWinEnabled=0\r\nkoordinaten=1\r\n"
           "[Extra]\r\nKeep=me\r\n");
  TSettings s;
  ASSERT_TRUE(LoadSettings(path, s));
  EXPECT_FALSE(s.DatabaseWinEnabled);
  s.DatabaseWinEnabled = true;
  s.Koordinaten = false;
  ASSERT_TRUE(SaveSettings(path, s));
  const std::string bytes = ReadAll(path);
  EXPECT_EQ(bytes.rfind("; my settings\n[Options]\nDatabaseWinEnabled=0\nkoordinaten=0\n", 0), 0u)
      << bytes;
  EXPECT_NE(bytes.find("[Extra]\nKeep=me\n"), std::string::npos);
}

TEST(Settings, LineBreaksCannotEnterTheFile) {
  IniFile ini, again;
  TSettings s;
  s.History = {HistoryEntry("/x/evil\nFile1=injected.pgn")};
  s.fig[0] = "K\r\n[Options]";
  s.SaveDataBase = " /pgn/a \r\n";  // the blank before the break is no longer at the end
  WriteSettings(s, ini);
  again.Parse(ini.Bytes());
  const TSettings r = ReadSettings(again);
  ASSERT_EQ(r.History.size(), 1u);
  EXPECT_EQ(r.fig[0], "K[Options]");
  EXPECT_EQ(again.Value("History", "File1"), "");
  // What is kept in memory is what a reload reads.
  EXPECT_EQ(r.SaveDataBase, "/pgn/a");
  EXPECT_EQ(ReadSettings(ini).SaveDataBase, "/pgn/a");
}

TEST(Settings, TemporaryFilesOfAnInterruptedSaveAreRemovedWhenOld) {
  TempDir dir;
  const std::string path = dir.File("brevaro.ini");
  const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(2);
  for (const char* name : {"brevaro.ini.tmp-AbC123", "brevaro.ini.tmp-new123",
                           "brevaro.ini.tmp-toolong", "other.ini.tmp-AbC123"}) {
    WriteAll(dir.File(name), "x");
    if (std::string(name) != "brevaro.ini.tmp-new123") fs::last_write_time(dir.File(name), old);
  }
  TSettings s;
  EXPECT_TRUE(LoadSettings(path, s));
  EXPECT_FALSE(fs::exists(dir.File("brevaro.ini.tmp-AbC123")));
  EXPECT_TRUE(fs::exists(dir.File("brevaro.ini.tmp-new123")));  // a save may still be running
  EXPECT_TRUE(fs::exists(dir.File("brevaro.ini.tmp-toolong")));
  EXPECT_TRUE(fs::exists(dir.File("other.ini.tmp-AbC123")));
}

TEST(Settings, FailedWriteLeavesTheOldFileIntact) {
  TempDir dir;
  const std::string path = dir.File("brevaro.ini");
  WriteAll(path, "[Options]\nEnglish=1\n");
  TSettings big;
  big.SaveDataBase = std::string(64 * 1024, 'x');
  // Writes beyond 4 KiB fail (as on a full disk).
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old, limited;
  ::getrlimit(RLIMIT_FSIZE, &old);
  limited = old;
  limited.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  std::string error;
  const bool saved = SaveSettings(path, big, &error);
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(saved);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadAll(path), "[Options]\nEnglish=1\n");
  EXPECT_EQ(dir.Count(), 1u) << "temporary file left behind";
  EXPECT_FALSE(SaveSettings(dir.File("missing/brevaro.ini"), big, &error));
}

TEST(Settings, UnreadableOversizedOrSpecialFilesAreNotRewritten) {
  TempDir dir;
  TSettings s;
  std::string error;
  fs::create_directory(dir.File("brevaro.ini"));  // a directory cannot be read
  EXPECT_FALSE(LoadSettings(dir.File("brevaro.ini"), s, {}, &error));
  EXPECT_SAME_SETTINGS(s, TSettings{});
  EXPECT_FALSE(SaveSettings(dir.File("brevaro.ini"), s, &error));
  EXPECT_TRUE(fs::is_directory(dir.File("brevaro.ini")));
  EXPECT_TRUE(LoadSettings(dir.File("none.ini"), s, {}, &error));  // missing: the defaults
  const std::string big = dir.File("big.ini");
  WriteAll(big, std::string(16 * 1024 * 1024 + 10, '\n'));
  EXPECT_FALSE(SaveSettings(big, TSettings{}, &error));
  EXPECT_EQ(fs::file_size(big), 16u * 1024 * 1024 + 10);
  const std::string fifo = dir.File("fifo.ini");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  error.clear();
  EXPECT_FALSE(LoadSettings(fifo, s, {}, &error));  // returns at once, no writer needed
  EXPECT_FALSE(error.empty());
}

TEST(Settings, SymbolicLinkStaysALink) {
  TempDir dir;
  fs::create_directory(dir.File("dotfiles"));
  WriteAll(dir.File("dotfiles/brevaro.ini"), "[Options]\nEnglish=0\n");
  fs::create_symlink(dir.File("dotfiles/brevaro.ini"), dir.File("brevaro.ini"));
  TSettings s;
  s.English = 1;
  ASSERT_TRUE(SaveSettings(dir.File("brevaro.ini"), s));
  EXPECT_TRUE(fs::is_symlink(dir.File("brevaro.ini")));
  ASSERT_TRUE(LoadSettings(dir.File("dotfiles/brevaro.ini"), s));
  EXPECT_EQ(s.English, 1);
}

// ---------------------------------------------------------------------------
// History

TEST(History, EntryPathAndTheEightNewest) {
  EXPECT_EQ(HistoryEntry("/home/anna/games.pgn"), "games.pgn   \"/home/anna/games.pgn\"");
  EXPECT_EQ(HistoryPath("games.pgn   \"C:\\pgn\\games.pgn\""), "C:\\pgn\\games.pgn");
  for (const char* path : {"/x/a\"b.pgn", "/x/a   \"b.pgn", "/x/\""})
    EXPECT_EQ(HistoryPath(HistoryEntry(path)), path);
  EXPECT_EQ(HistoryPath("/x/hand-written.pgn"), "/x/hand-written.pgn");
  EXPECT_EQ(HistoryPath("a.pgn   \"/x/unclosed.pgn"), "/x/unclosed.pgn");
  EXPECT_EQ(HistoryPath(""), "");
  // The eight newest are kept; a known file stays in its place.
  std::vector<std::string> h;
  for (int i = 1; i <= 9; ++i) EXPECT_TRUE(AddHistory(h, "/p/f" + std::to_string(i) + ".pgn"));
  ASSERT_EQ(h.size(), 8u);
  EXPECT_EQ(HistoryPath(h.front()), "/p/f9.pgn");
  EXPECT_EQ(HistoryPath(h.back()), "/p/f2.pgn");
  EXPECT_FALSE(AddHistory(h, "/p/f5.pgn"));
  EXPECT_EQ(HistoryPath(h[4]), "/p/f5.pgn");
  EXPECT_FALSE(AddHistory(h, ""));
  EXPECT_TRUE(AddHistory(h, "/p/F5.pgn"));  // case-sensitive: another file
  EXPECT_EQ(HistoryPath(h.front()), "/p/F5.pgn");
  EXPECT_TRUE(RemoveFromHistory(h, "/p/f5.pgn"));
  EXPECT_FALSE(RemoveFromHistory(h, "/p/f5.pgn"));
  EXPECT_EQ(h.size(), 7u);
}

// ---------------------------------------------------------------------------
// Where the settings live

TEST(Location, ChoosesOptionThenVariableThenProgramDirThenUserConfig) {
  TempDir dir;
  const std::string program = dir.File("program");
  fs::create_directory(program);
  ScopedEnv xdg("XDG_CONFIG_HOME", dir.File("xdg").c_str());
  {
    ScopedEnv var("BREVARO_CONFIG_DIR", nullptr);
    EXPECT_EQ(ChooseSettingsDirectory(program), program);
    EXPECT_EQ(ChooseSettingsDirectory(dir.File("no-such/program")), dir.File("xdg/brevaro"));
    EXPECT_TRUE(fs::is_directory(dir.File("xdg/brevaro")));
    EXPECT_EQ(ChooseSettingsDirectory(program, dir.File("opt/a")), dir.File("opt/a"));
    EXPECT_TRUE(fs::is_directory(dir.File("opt/a")));
  }
  {
    ScopedEnv var("BREVARO_CONFIG_DIR", dir.File("env").c_str());
    EXPECT_EQ(ChooseSettingsDirectory(program), dir.File("env"));
    EXPECT_TRUE(fs::is_directory(dir.File("env")));
    EXPECT_EQ(ChooseSettingsDirectory(program, dir.File("opt/b")), dir.File("opt/b"));
  }
  EXPECT_EQ(dir.Count(), 4u);  // program, xdg, opt, env and nothing else
  EXPECT_EQ(std::distance(fs::directory_iterator(program), {}), 0) << "probe file left";
  // A chosen directory that cannot hold the file falls back to the user's;
  // when that cannot either, there is none.
  WriteAll(dir.File("plain-file"), "x");
  EXPECT_EQ(ChooseSettingsDirectory(program, dir.File("plain-file")), dir.File("xdg/brevaro"));
  ScopedEnv noXdg("XDG_CONFIG_HOME", dir.File("plain-file").c_str());
  EXPECT_EQ(ChooseSettingsDirectory(program, dir.File("plain-file/sub")), "");
  EXPECT_EQ(ReadAll(dir.File("plain-file")), "x");
}

TEST(Location, UserConfigDirectoryFollowsXdgRules) {
  ScopedEnv home("HOME", "/home/anna");
  const std::pair<const char*, const char*> cases[] = {
      {"/cfg", "/cfg/brevaro"},
      {"relative/cfg", "/home/anna/.config/brevaro"},  // not absolute: ignored
      {nullptr, "/home/anna/.config/brevaro"}};
  for (auto [xdg_value, expected] : cases) {
    ScopedEnv xdg("XDG_CONFIG_HOME", xdg_value);
    EXPECT_EQ(UserConfigDirectory(), expected);
  }
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr), no_home("HOME", nullptr);
  EXPECT_EQ(UserConfigDirectory(), "");
}
