// The PGN file check and appending games.
#include "collections/pgn_file.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>

#include "testfiles.h"

using namespace brevaro;
using brevaro::test::ScratchDir;
using brevaro::test::Spiel;

using PgnFile = ScratchDir;

TEST_F(PgnFile, CheckAcceptsAndRefuses) {
  struct Fall {
    const char* name;
    std::string bytes;
    bool pgn;
  };
  const Fall faelle[] = {
      {"empty", "", true},
      {"blank lines", "\n\r\n  \n\t\n", true},
      {"game", Spiel("A", "B"), true},
      {"crlf game", Spiel("A", "B", "", "1. e4 *", "\r\n"), true},
      {"cr only", "[Event \"x\"]\r[White \"a\"]\r", true},
      {"event mid line", "% note [Event \"x\"]\n", true},
      {"lower case tags", "[event \"x\"]\n[white \"a\"]\n\n1. e4 *\n", true},
      {"no event tag", "\xEF\xBB\xBF  [White\t\"a\"]\n", true},
      {"typeset quotes", "[White \u201Ca\u201D]\n", true},
      {"no tag line", "[%clk 1:00]\n[ White \"a\"]\n[White a]\n[White\n", false},
      {"text", "just some words\n", false},
      {"moves only", "\n%x\n1. e4 e5 2. Nf3 *\n", true},
      {"numbered text", "1. Introduction\n", false},
      {"no line feed at end", "words", false},
      // At most a thousand lines are read, and a bounded number of bytes.
      {"event on line 1000", std::string(999, '\n') + "[Event \"x\"]\n", true},
      {"text before line 1000", std::string(999, '\n') + "x\n[Event \"x\"]\n", false},
      {"binary without lines",
       std::string(static_cast<size_t>(IstPGNDateiGrenze) + 4096, 'x') + "[Event \"x\"]\n", false},
  };
  for (const Fall& f : faelle) {
    EXPECT_EQ(IstPGNDatei(Schreiben("f.pgn", f.bytes)), f.pgn) << f.name;
  }
  // The system's reason when the file cannot be read, none for a text file.
  std::string grund = "x";
  EXPECT_FALSE(IstPGNDatei(Pfad("missing.pgn"), &grund));
  EXPECT_EQ(grund, std::strerror(ENOENT));
  EXPECT_FALSE(IstPGNDatei(dir_.string(), &grund));
  EXPECT_EQ(grund, std::strerror(EISDIR));
  EXPECT_FALSE(IstPGNDatei(Schreiben("t.txt", "words\n"), &grund));
  EXPECT_EQ(grund, "");
  if (::geteuid() != 0) {
    const std::string gesperrt = Schreiben("gesperrt.pgn", Spiel("A", "B"));
    ::chmod(gesperrt.c_str(), 0);
    EXPECT_FALSE(IstPGNDatei(gesperrt, &grund));
    EXPECT_EQ(grund, std::strerror(EACCES));
  }
  // A named pipe with no writer must not block the check.
  ASSERT_EQ(::mkfifo(Pfad("pipe.pgn").c_str(), 0600), 0);
  EXPECT_FALSE(IstPGNDatei(Pfad("pipe.pgn")));
  EXPECT_FALSE(IstPGNDatei("/dev/zero"));
}

// The target's last line end decides the separator: LF without CR gives LF,
// everything else CR LF. The existing bytes and the game's bytes stay as they are.
TEST_F(PgnFile, AppendSeparatesWithTheTargetsLineEnds) {
  const std::string lang(65535, 'y');  // puts the last line end at a read boundary
  const std::pair<std::string, std::string_view> faelle[] = {
      {"[Event \"A\"]\r\n\r\n1. e4 *\r\n", "\r\n"},
      {"[Event \"A\"]\n\n1. e4 *\n", "\n"},
      {"[Event \"A\"]\n\n1. e4 *", "\n"},
      {"[Event \"A\"]\r\r1. e4 *\r", "\r\n"},
      {"[Event \"A\"] 1. e4 *", "\r\n"},
      {"", "\r\n"},
      {"[Event \"A\"]\n" + lang, "\n"},
      {"[Event \"A\"]\r\n" + lang, "\r\n"}};
  const std::string neu = "[Event \"N\"]\r\n\r\n1. d4 *";
  for (const auto& [alt, ende] : faelle) {
    const std::string p = Schreiben("t.pgn", alt);
    EXPECT_EQ(Zeilenende(p), ende) << alt.substr(0, 30);
    ASSERT_TRUE(AnPGNDateiAnhaengen(p, neu));
    EXPECT_EQ(Lesen(p), alt + std::string(ende) + std::string(ende) + neu) << alt.substr(0, 30);
  }
  // A text that begins with a line end brings its own separator.
  const std::string p = Schreiben("t.pgn", Spiel("A", "B"));
  ASSERT_TRUE(AnPGNDateiAnhaengen(p, "\n" + Spiel("E", "F")));
  EXPECT_EQ(Lesen(p), Spiel("A", "B") + "\n" + Spiel("E", "F"));
}

TEST_F(PgnFile, AppendRefusesMissingNonPgnReadOnlyAndEmptyText) {
  std::string grund;
  EXPECT_FALSE(AnPGNDateiAnhaengen(Pfad("missing.pgn"), Spiel("A", "B"), &grund));
  EXPECT_FALSE(std::filesystem::exists(Pfad("missing.pgn")));
  const std::string text = Schreiben("text.pgn", "no games here\n");
  EXPECT_FALSE(AnPGNDateiAnhaengen(text, Spiel("A", "B"), &grund));
  EXPECT_EQ(Lesen(text), "no games here\n");
  const std::string leer = Schreiben("leer.pgn", "");
  EXPECT_FALSE(AnPGNDateiAnhaengen(leer, ""));
  EXPECT_EQ(Lesen(leer), "");
  if (::geteuid() != 0) {  // root may write read-only files
    const std::string ro = Schreiben("ro.pgn", Spiel("A", "B"));
    ::chmod(ro.c_str(), 0444);
    EXPECT_FALSE(AnPGNDateiAnhaengen(ro, Spiel("C", "D")));
    EXPECT_EQ(Lesen(ro), Spiel("A", "B"));
  }
}

namespace {

// Runs `f` in a child process and returns its exit code, or -1 when a signal
// ended it. The child reports through the exit code only.
int ImKind(const std::function<int()>& f) {
  const pid_t kind = ::fork();
  if (kind == 0) ::_exit(f());
  int status = 0;
  if (kind < 0 || ::waitpid(kind, &status, 0) != kind) return -2;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr int Uebersprungen = 77;

// Appends `text` to `pfad` as the programs do (SIGXFSZ ignored): 0 when it
// failed with `grund` and left the file as it was, 1 when it failed otherwise,
// 2 when it succeeded.
int AnhaengenMussScheitern(const std::string& pfad, const std::string& text, const char* grund) {
  std::signal(SIGXFSZ, SIG_IGN);
  std::ifstream in(pfad, std::ios::binary);
  const std::string alt(std::istreambuf_iterator<char>(in), {});
  std::string fehler;
  if (AnPGNDateiAnhaengen(pfad, text, &fehler)) return 2;
  std::ifstream neu(pfad, std::ios::binary);
  const std::string danach(std::istreambuf_iterator<char>(neu), {});
  return danach == alt && fehler == grund ? 0 : 1;
}

}  // namespace

// A file-size limit makes the write fail half-way, as a full disk would.
TEST_F(PgnFile, AppendBeyondAFileSizeLimitLeavesTheFileAsItWas) {
  const std::string alt = Spiel("A", "B");
  const std::string p = Schreiben("t.pgn", alt);
  for (size_t frei : {size_t{0}, size_t{3}, size_t{10}, size_t{4000}}) {
    EXPECT_EQ(ImKind([&] {
                rlimit grenze{alt.size() + frei, alt.size() + frei};
                if (::setrlimit(RLIMIT_FSIZE, &grenze) != 0) return Uebersprungen;
                return AnhaengenMussScheitern(p, std::string(5000, 'x'), std::strerror(EFBIG));
              }),
              0)
        << frei;
  }
  EXPECT_EQ(Lesen(p), alt);
}

// A full file system, made in a mount namespace of a child where the system
// allows one; skipped elsewhere.
TEST_F(PgnFile, AppendToAFullFileSystemLeavesTheFileAsItWas) {
  const std::string mnt = Pfad("voll");
  std::filesystem::create_directory(mnt);
  const int code = ImKind([&] {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(CLONE_NEWNS) != 0) {
      if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return Uebersprungen;
      std::ofstream("/proc/self/setgroups") << "deny";
      std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
      std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
    }
    // Keep the mount from reaching the parent's namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("none", mnt.c_str(), "tmpfs", 0, "size=16k") != 0)
      return Uebersprungen;
    const std::string ziel = mnt + "/t.pgn";
    { std::ofstream(ziel, std::ios::binary) << Spiel("A", "B"); }
    {
      // Fill every other page: the append writes part of its text into the
      // page the file has, then finds no room.
      std::ofstream fueller(mnt + "/fueller", std::ios::binary);
      const std::string block(1024, 'f');
      for (int i = 0; i < 64 && fueller; ++i) fueller << block << std::flush;
    }
    return AnhaengenMussScheitern(ziel, std::string(9000, 'x'), std::strerror(ENOSPC));
  });
  if (code == Uebersprungen) GTEST_SKIP() << "no file system of our own here";
  EXPECT_EQ(code, 0);
}
