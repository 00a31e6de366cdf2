#include "app/settings.h"
#include "app/ini_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

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

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "brevaro-ini-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() { fs::remove_all(path_); }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  size_t Count() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(path_), {}));
  }

 private:
  std::string path_;
};

// Sets an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TSettings EveryKeySet() {
  TSettings s;
  s.History = {HistoryEntry("/home/anna/pgn/games.pgn"), "games.pgn   \"C:\\pgn\\games.pgn\"",
               HistoryEntry("/tmp/a \"quoted\" name.pgn")};
  s.SaveDataBase = "C:\\pgn\\save.pgn";
  s.Koordinaten = false;
  s.English = 1;
  s.otherLang = "Francais";
  s.Animation = false;
  s.BrettHeight = 480;
  s.BrettWidth = 640;
  s.BrettSize = 320;
  s.PGNHeight = 300;
  s.PGNWidth = 700;
  s.DatabaseHeight = 200;
  s.DatabaseWidth = 250;
  s.MainHeight = 768;
  s.MainWidth = 1024;
  s.BlackSquare = 0x00408080;
  s.WhiteSquare = -1;
  s.fig = {"K", "D", "T", "L", "S", ""};
  return s;
}

void ExpectSameSettings(const TSettings& a, const TSettings& b) {
  EXPECT_EQ(a.History, b.History);
  EXPECT_EQ(a.SaveDataBase, b.SaveDataBase);
  EXPECT_EQ(a.Koordinaten, b.Koordinaten);
  EXPECT_EQ(a.FontBold, b.FontBold);
  EXPECT_EQ(a.CFontBold, b.CFontBold);
  EXPECT_EQ(a.English, b.English);
  EXPECT_EQ(a.otherLang, b.otherLang);
  EXPECT_EQ(a.Animation, b.Animation);
  EXPECT_EQ(a.BrettHeight, b.BrettHeight);
  EXPECT_EQ(a.BrettWidth, b.BrettWidth);
  EXPECT_EQ(a.BrettSize, b.BrettSize);
  EXPECT_EQ(a.PGNHeight, b.PGNHeight);
  EXPECT_EQ(a.PGNWidth, b.PGNWidth);
  EXPECT_EQ(a.DatabaseHeight, b.DatabaseHeight);
  EXPECT_EQ(a.DatabaseWidth, b.DatabaseWidth);
  EXPECT_EQ(a.MainHeight, b.MainHeight);
  EXPECT_EQ(a.MainWidth, b.MainWidth);
  EXPECT_EQ(a.BlackSquare, b.BlackSquare);
  EXPECT_EQ(a.WhiteSquare, b.WhiteSquare);
  EXPECT_EQ(a.DatabaseWinEnabled, b.DatabaseWinEnabled);
  EXPECT_EQ(a.fig, b.fig);
}

}  // namespace

// ---------------------------------------------------------------------------
// Values

struct IntegerCase {
  const char* text;
  std::optional<int32_t> value;
};

class IniInteger : public testing::TestWithParam<IntegerCase> {};

TEST_P(IniInteger, IsReadAsDescribed) {
  EXPECT_EQ(ParseIniInteger(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IniInteger,
    testing::Values(IntegerCase{"12", 12}, IntegerCase{" 12 ", 12}, IntegerCase{"-5", -5},
                    IntegerCase{"+7", 7}, IntegerCase{"0", 0}, IntegerCase{"0x1F", 31},
                    IntegerCase{"0XfF", 255}, IntegerCase{"0x00408080", 0x00408080},
                    IntegerCase{"0xFFFFFFFF", -1}, IntegerCase{"-0x10", -16},
                    IntegerCase{"2147483647", 2147483647},
                    IntegerCase{"-2147483648", std::numeric_limits<int32_t>::min()},
                    IntegerCase{"2147483648", std::nullopt},
                    IntegerCase{"99999999999999999999", std::nullopt},
                    IntegerCase{"0x100000000", std::nullopt}, IntegerCase{"0x", std::nullopt},
                    IntegerCase{"", std::nullopt}, IntegerCase{"-", std::nullopt},
                    IntegerCase{"12a", std::nullopt}, IntegerCase{"1.5", std::nullopt},
                    IntegerCase{"abc", std::nullopt}, IntegerCase{"true", std::nullopt}));

TEST(Settings, MissingKeysGiveTheDefaults) {
  IniFile ini;
  ini.Parse("[Options]\nUnknown=1\n");
  const TSettings s = ReadSettings(ini);
  ExpectSameSettings(s, TSettings{});
  EXPECT_TRUE(s.Koordinaten);
  EXPECT_TRUE(s.Animation);
  EXPECT_TRUE(s.DatabaseWinEnabled);
  EXPECT_EQ(s.otherLang, "English");
  EXPECT_EQ(s.English, 0);
  EXPECT_TRUE(s.History.empty());
}

TEST(Settings, ValuesAreReadByTheirType) {
  IniFile ini;
  ini.Parse(
      "[history]\r\nfile0 = a.pgn   \"/x/a.pgn\"\r\n"
      "[Options]\r\n"
      "Koordinaten=0\r\nAnimation=2\r\nFontBold=yes\r\nEnglish= 1 \r\n"
      "BlackSquare=0x00FF00\r\nWhiteSquare=-1\r\nBrettSize=abc\r\nMainWidth=0x\r\n"
      "DatabaseWinEnabled=0\r\nfigK=K\r\nfigQ= D \r\n");
  const TSettings s = ReadSettings(ini);
  EXPECT_EQ(s.History, std::vector<std::string>{"a.pgn   \"/x/a.pgn\""});
  EXPECT_FALSE(s.Koordinaten);
  EXPECT_TRUE(s.Animation);  // "not 0"
  EXPECT_FALSE(s.FontBold);  // no integer: the default
  EXPECT_EQ(s.English, 1);
  EXPECT_EQ(s.BlackSquare, 0xFF00);
  EXPECT_EQ(s.WhiteSquare, -1);
  EXPECT_EQ(s.BrettSize, 0);
  EXPECT_EQ(s.MainWidth, 0);
  EXPECT_FALSE(s.DatabaseWinEnabled);
  EXPECT_EQ(s.fig[0], "K");
  EXPECT_EQ(s.fig[1], "D");
}

TEST(Settings, HistoryEntriesPassTheCheckOrDropOut) {
  IniFile ini;
  ini.Parse(
      "[History]\nFile0=a.pgn   \"/x/a.pgn\"\nFile1=\nFile2=gone.pgn   \"/x/gone.pgn\"\n"
      "File3=b.pgn   \"/x/b.pgn\"\nFile8=c.pgn   \"/x/c.pgn\"\n");
  std::vector<std::string> asked;
  const TSettings s = ReadSettings(ini, [&](const std::string& path) {
    asked.push_back(path);
    return path != "/x/gone.pgn";
  });
  EXPECT_EQ(asked, (std::vector<std::string>{"/x/a.pgn", "/x/gone.pgn", "/x/b.pgn"}));
  EXPECT_EQ(s.History, (std::vector<std::string>{"a.pgn   \"/x/a.pgn\"", "b.pgn   \"/x/b.pgn\""}));
}

// ---------------------------------------------------------------------------
// Writing

TEST(Settings, NewFileHoldsEveryKeyInTableOrderWithRawValues) {
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
            "figK=K\nfigQ=D\nfigR=T\nfigB=L\nfigN=S\nfigP=\n");
}

TEST(Settings, RoundTripThroughAFileKeepsEveryKey) {
  TempDir dir;
  const std::string path = dir.File("brevaro.ini");
  TSettings written = EveryKeySet();
  written.FontBold = true;  // never written as 1
  ASSERT_TRUE(SaveSettings(path, written));
  TSettings read;
  ASSERT_TRUE(LoadSettings(path, read));
  written.FontBold = false;
  ExpectSameSettings(read, written);
  EXPECT_EQ(HistoryPath(read.History[2]), "/tmp/a \"quoted\" name.pgn");
  // Written again, the file is the same.
  const std::string first = ReadAll(path);
  ASSERT_TRUE(SaveSettings(path, read));
  EXPECT_EQ(ReadAll(path), first);
}

TEST(Settings, DatabaseWinEnabledIsNeverWrittenButKept) {
  TempDir dir;
  const std::string path = dir.File("brevaro.ini");
  ASSERT_TRUE(SaveSettings(path, TSettings{}));
  EXPECT_EQ(ReadAll(path).find("DatabaseWinEnabled"), std::string::npos);

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
  ASSERT_TRUE(LoadSettings(path, s));
  EXPECT_FALSE(s.DatabaseWinEnabled);
  EXPECT_FALSE(s.Koordinaten);
}

TEST(Settings, LineBreaksCannotEnterTheFile) {
  IniFile ini;
  TSettings s;
  s.History = {HistoryEntry("/x/evil\nFile1=injected.pgn")};
  s.fig[0] = "K\r\n[Options]";
  WriteSettings(s, ini);
  IniFile again;
  again.Parse(ini.Bytes());
  const TSettings r = ReadSettings(again);
  ASSERT_EQ(r.History.size(), 1u);
  EXPECT_EQ(r.fig[0], "K[Options]");
  EXPECT_EQ(again.Value("History", "File1"), "");
}

TEST(Settings, FailedWriteLeavesTheOldFileIntact) {
  TempDir dir;
  const std::string path = dir.File("brevaro.ini");
  WriteAll(path, "[Options]\nEnglish=1\n");
  TSettings big;
  big.SaveDataBase = std::string(64 * 1024, 'x');
  // Writes beyond 4 KiB fail (as on a full disk).
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old;
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit limited = old;
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

TEST(Settings, UnreadableFileIsNotOverwritten) {
  TempDir dir;
  fs::create_directory(dir.File("brevaro.ini"));  // a directory cannot be read
  TSettings s;
  std::string error;
  EXPECT_FALSE(LoadSettings(dir.File("brevaro.ini"), s, {}, &error));
  ExpectSameSettings(s, TSettings{});
  EXPECT_FALSE(SaveSettings(dir.File("brevaro.ini"), s, &error));
  EXPECT_TRUE(fs::is_directory(dir.File("brevaro.ini")));
  // A missing file is no error: the defaults.
  EXPECT_TRUE(LoadSettings(dir.File("none.ini"), s, {}, &error));
}

TEST(IniFile, ArbitraryBytesParseAndRewriteSafely) {
  std::mt19937 rng(99);
  const char alphabet[] = "[]=;\r\n \tabcK\"\\\xE4\x00";
  for (int round = 0; round < 300; ++round) {
    std::string bytes(rng() % 2000, ' ');
    for (char& c : bytes) c = alphabet[rng() % (sizeof alphabet - 1)];
    IniFile ini;
    ini.Parse(bytes);
    TSettings s = ReadSettings(ini);
    WriteSettings(s, ini);
    IniFile again;
    again.Parse(ini.Bytes());
    ExpectSameSettings(ReadSettings(again), ReadSettings(ini));
  }
}

// ---------------------------------------------------------------------------
// History

TEST(History, EntryAndPath) {
  EXPECT_EQ(HistoryEntry("/home/anna/games.pgn"), "games.pgn   \"/home/anna/games.pgn\"");
  EXPECT_EQ(HistoryPath("games.pgn   \"C:\\pgn\\games.pgn\""), "C:\\pgn\\games.pgn");
  EXPECT_EQ(HistoryPath(HistoryEntry("/x/a\"b.pgn")), "/x/a\"b.pgn");
  EXPECT_EQ(HistoryPath(HistoryEntry("/x/a   \"b.pgn")), "/x/a   \"b.pgn");
  EXPECT_EQ(HistoryPath(HistoryEntry("/x/\"")), "/x/\"");
  EXPECT_EQ(HistoryPath("/x/hand-written.pgn"), "/x/hand-written.pgn");
  EXPECT_EQ(HistoryPath("a.pgn   \"/x/unclosed.pgn"), "/x/unclosed.pgn");
  EXPECT_EQ(HistoryPath(""), "");
}

TEST(History, KeepsTheEightNewestAndLeavesKnownFilesInPlace) {
  std::vector<std::string> h;
  for (int i = 1; i <= 9; ++i) EXPECT_TRUE(AddHistory(h, "/p/f" + std::to_string(i) + ".pgn"));
  ASSERT_EQ(h.size(), 8u);
  EXPECT_EQ(HistoryPath(h.front()), "/p/f9.pgn");
  EXPECT_EQ(HistoryPath(h.back()), "/p/f2.pgn");
  EXPECT_FALSE(AddHistory(h, "/p/f5.pgn"));
  EXPECT_EQ(HistoryPath(h[4]), "/p/f5.pgn");
  EXPECT_FALSE(AddHistory(h, ""));
  // File names are case-sensitive: another letter case is another file.
  EXPECT_TRUE(AddHistory(h, "/p/F5.pgn"));
  EXPECT_EQ(HistoryPath(h.front()), "/p/F5.pgn");
  EXPECT_TRUE(RemoveFromHistory(h, "/p/f5.pgn"));
  EXPECT_FALSE(RemoveFromHistory(h, "/p/f5.pgn"));
  EXPECT_EQ(h.size(), 7u);
}

// ---------------------------------------------------------------------------
// Where the settings live

TEST(Location, ConfigDirOptionIsTakenOutOfTheArguments) {
  std::vector<std::string> args = {"games.pgn", "--config-dir", "/tmp/c", "3"};
  EXPECT_EQ(TakeConfigDirOption(args), "/tmp/c");
  EXPECT_EQ(args, (std::vector<std::string>{"games.pgn", "3"}));
  args = {"--config-dir=/tmp/d", "games.pgn"};
  EXPECT_EQ(TakeConfigDirOption(args), "/tmp/d");
  EXPECT_EQ(args, std::vector<std::string>{"games.pgn"});
  args = {"games.pgn", "--config-dir"};
  EXPECT_EQ(TakeConfigDirOption(args), "");
  EXPECT_EQ(args, std::vector<std::string>{"games.pgn"});
  args = {"games.pgn"};
  EXPECT_EQ(TakeConfigDirOption(args), "");
}

TEST(Location, ChoosesOptionThenVariableThenProgramDirThenUserConfig) {
  TempDir dir;
  const std::string program = dir.File("program");
  fs::create_directory(program);
  const std::string unwritable = dir.File("no-such/program");
  ScopedEnv xdg("XDG_CONFIG_HOME", dir.File("xdg").c_str());
  {
    ScopedEnv var("BREVARO_CONFIG_DIR", nullptr);
    EXPECT_EQ(ChooseSettingsDirectory(program), program);
    EXPECT_EQ(ChooseSettingsDirectory(unwritable), dir.File("xdg") + "/brevaro");
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
}

TEST(Location, UserConfigDirectoryFollowsXdgRules) {
  ScopedEnv home("HOME", "/home/anna");
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(UserConfigDirectory(), "/cfg/brevaro");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/cfg");  // not absolute: ignored
    EXPECT_EQ(UserConfigDirectory(), "/home/anna/.config/brevaro");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(UserConfigDirectory(), "/home/anna/.config/brevaro");
    ScopedEnv no_home("HOME", nullptr);
    EXPECT_EQ(UserConfigDirectory(), "");
  }
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
  TSettings r;
  ASSERT_TRUE(LoadSettings(dir.File("dotfiles/brevaro.ini"), r));
  EXPECT_EQ(r.English, 1);
}

TEST(Settings, OversizedOrSpecialFilesAreNotRewritten) {
  TempDir dir;
  const std::string big = dir.File("big.ini");
  WriteAll(big, std::string(16 * 1024 * 1024 + 10, '\n'));
  std::string error;
  EXPECT_FALSE(SaveSettings(big, TSettings{}, &error));
  EXPECT_EQ(fs::file_size(big), 16u * 1024 * 1024 + 10);
  const std::string fifo = dir.File("fifo.ini");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  TSettings s;
  EXPECT_FALSE(LoadSettings(fifo, s, {}, &error));  // returns at once, no writer needed
  EXPECT_FALSE(error.empty());
}
