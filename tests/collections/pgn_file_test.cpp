// The PGN file check and appending games.
#include "collections/pgn_file.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "collections/pgn_index.h"
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
      {"lower case event", "[event \"x\"]\n[white \"a\"]\n\n1. e4 *\n", false},
      {"text", "just some words\n", false},
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
  EXPECT_FALSE(IstPGNDatei(Pfad("missing.pgn")));
  EXPECT_FALSE(IstPGNDatei(dir_.string()));
  // A named pipe with no writer must not block the check.
  ASSERT_EQ(::mkfifo(Pfad("pipe.pgn").c_str(), 0600), 0);
  EXPECT_FALSE(IstPGNDatei(Pfad("pipe.pgn")));
  EXPECT_FALSE(IstPGNDatei("/dev/zero"));
}

TEST_F(PgnFile, AppendAddsBlankLineAndKeepsExistingBytes) {
  const std::string alt = Spiel("A", "B");
  const std::string p = Schreiben("t.pgn", alt);
  ASSERT_TRUE(AnPGNDateiAnhaengen(p, Spiel("C", "D")));
  EXPECT_EQ(Lesen(p), alt + "\r\n\r\n" + Spiel("C", "D"));
  // A text that begins with CR gets nothing in front.
  ASSERT_TRUE(AnPGNDateiAnhaengen(p, "\r\n" + Spiel("E", "F")));
  EXPECT_EQ(Lesen(p), alt + "\r\n\r\n" + Spiel("C", "D") + "\r\n" + Spiel("E", "F"));
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

TEST_F(PgnFile, AppendToEmptyFileThenRescanFindsAllGames) {
  const std::string p = Schreiben("leer.pgn", "");
  ASSERT_TRUE(AnPGNDateiAnhaengen(p, "\r\n\r\n" + Spiel("A", "B") + "\r\n\r\n" + Spiel("C", "D")));
  EXPECT_EQ(Lesen(p).substr(0, 4), "\r\n\r\n");
  TPGNIndex index;
  index.SetFileName(p);
  ASSERT_EQ(index.GameCount(), 2);
  EXPECT_EQ(index.ReadGameHeader(0).White, "A");
  EXPECT_EQ(index.ReadGameHeader(1).White, "C");
  EXPECT_EQ(index.Entry(0).StartPos, 4);
}

TEST_F(PgnFile, FailedAppendLeavesFileUnchanged) {
  const std::string alt = Spiel("A", "B");
  const std::string p = Schreiben("t.pgn", alt);
  // A file-size limit just above the present size makes the write fail
  // half-way, as a full disk would.
  const auto altesSignal = std::signal(SIGXFSZ, SIG_IGN);
  rlimit alteGrenze{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &alteGrenze), 0);
  rlimit grenze = alteGrenze;
  grenze.rlim_cur = alt.size() + 10;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &grenze), 0);
  std::string grund;
  const bool ok = AnPGNDateiAnhaengen(p, std::string(5000, 'x') + "\n", &grund);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &alteGrenze), 0);
  std::signal(SIGXFSZ, altesSignal);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(grund.empty());
  EXPECT_EQ(Lesen(p), alt);
}
