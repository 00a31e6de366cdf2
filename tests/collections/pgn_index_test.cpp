// The index of a PGN file: scan, rows, filter, sort and reading games back.
// GCC 12 warns falsely (-Wrestrict) about std::string code it inlines in
// optimised builds of these tests.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ == 12
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
#include "collections/pgn_index.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <tuple>

#include "collections/game_list.h"
#include "collections/pgn_file.h"
#include "game_starts_reference.h"
#include "testfiles.h"

using namespace brevaro;
using brevaro::test::ScratchDir;
using brevaro::test::Spiel;
using namespace std::string_literals;

namespace {

std::vector<int64_t> Zeilen(const TPGNIndex& index) {
  std::vector<int64_t> r;
  for (int64_t i = 0; i < index.RowCount(); ++i) r.push_back(index.GameOfRow(i));
  return r;
}

}  // namespace

class Index : public ScratchDir {};

// ---------------------------------------------------------------------------
// Scanning

TEST_F(Index, GamesEndWhereTheNextBegins) {
  const std::string a = Spiel("A", "B", "", "1. e4 *", "\r\n");
  const std::string b = Spiel("C", "D", "", "1. d4 *", "\r\n");
  TPGNIndex index;
  index.SetFileName(Schreiben("t.pgn", a + b));
  ASSERT_EQ(index.GameCount(), 2);
  EXPECT_TRUE(index.IndexComplete());
  const int64_t n = static_cast<int64_t>(a.size());
  EXPECT_EQ(std::tuple(index.Entry(0).StartPos, index.Entry(0).EndPos), std::tuple(0, n));
  EXPECT_EQ(std::tuple(index.Entry(1).StartPos, index.Entry(1).EndPos, index.Entry(1).GameID),
            std::tuple(n, n + static_cast<int64_t>(b.size()), 1));
  EXPECT_EQ(index.ReadGameText(0), a.substr(0, a.size() - 4));
  EXPECT_EQ(index.ReadGameHeader(1).Black, "D");
}

TEST_F(Index, StartsStraddlingBlockAndReadBoundariesAreFoundOnce) {
  // Place the line feed before "[Event " at every offset around the ends of
  // the first blocks and of the first read.
  for (int64_t grenze : {ScanBlock, 64 * ScanBlock, 128 * ScanBlock}) {
    for (int64_t verschiebung = -9; verschiebung <= 2; ++verschiebung) {
      const std::string erstes = Spiel("A", "B");
      std::string text = erstes;
      text += "{" +
              std::string(static_cast<size_t>(grenze + verschiebung) - erstes.size() - 3, 'x') +
              "}\n";
      ASSERT_EQ(static_cast<int64_t>(text.size()), grenze + verschiebung);
      text += Spiel("C", "D");
      TPGNIndex index;
      index.SetFileName(Schreiben("t.pgn", text));
      ASSERT_EQ(index.GameCount(), 2) << grenze << " " << verschiebung;
      EXPECT_EQ(index.Entry(1).StartPos, grenze + verschiebung);
      EXPECT_EQ(index.ReadGameHeader(1).White, "C");
    }
  }
  // The first tag line, and a tag line of the tag section, may straddle a
  // read boundary, and so may its line end and the blanks before it.
  for (int64_t verschiebung : {-260, -256, -255, -129, -12, -8, -7, -1, 0}) {
    for (const std::string vorn : {"\n", "\n  ", "\r\n\t"}) {
      TPGNIndex index;
      const std::string leer = std::string(64 * ScanBlock + verschiebung, ' ') + vorn;
      index.SetFileName(Schreiben(
          "t.pgn", leer + "[Event \"e\"]" + leer + "[Event \"f\"]" + leer + "[White \"A\"]\n"));
      ASSERT_EQ(index.GameCount(), 2) << verschiebung;
      EXPECT_EQ(index.Entry(0).StartPos, static_cast<int64_t>(leer.size()));
      EXPECT_EQ(index.ReadGameHeader(1).Event, "f");
    }
  }
}

// Each case marks where its games start with "@".
TEST_F(Index, GamesStartAtTagLinesAfterMovetextOrARepeatedTag) {
  const char* faelle[] = {
      "@[White \"a\"]\n[Black \"b\"]\n\n1. e4 *\n\n@[White \"c\"]\n\n1. d4 *\n",
      "@[White \u201Ca\u201D]\n@[White\u201Eb\u201C]\n[Black \u2018b\u2019]\n@[Site \"s\"]\n",
      "@[Site \"s\"]\n[Event \"e\"]\n\n1. e4 *\n@[Event \"f\"]\n1. d4 *",
      "@[Event \"A\"]\n[Result \"*\"]\n\n@[Event \"B\"]\n\n1. e4 *\n",
      "@[Event \"X\"]\n\n[White \"w\"]\n\n[Black \"b\"]\n% note\n\n1. e4 *\n",
      "@[Event \"A\"]\n\n{ [%clk 0:03:00] }\n[%clk 0:03:00]\n1. e4\n  @[Event \"B\"]\n",
      "@[Event\"A\"]\r@[Event \"B\"]\r\r1. e4 *\r@[White \"C\"]\r",
      "@[Event \"A\"]\r\n1. e4 *\r\n@[Round \"1\"]\r\n[Round_2 \"2\"]\r\n\r\n*",
      "\xEF\xBB\xBF@[Event \"A\"]\n1. e4 *\n",
      "text [Event \"A\"]\n@[Event \"B\"]\n[event \"b\"]\n1. e4 *\n@[Event \"C\"\n[% \"x\"]",
      "[Event \"A\"]\n1. e4 *",  // blanks before the first "@" below
      "no tag line [Event here\n[ Event \"x\"]\n[Event x]\n",
      // A game without tags begins the file: "1." and a move, after empty and "%" lines only.
      "\xEF\xBB\xBF\n%x\n  @1.Nf3 d5 *\n\n@[Event \"B\"]\n\n1. d4 *\n",
      "\r\n@1. O-O *\n",
      "@1.\xC2\xA0"
      "e4 *\n\n@1.\xA0"
      "d4 *\n",  // no-break spaces
      "@1. \u2658f3 d5 *\n",
      "1. \u2658 *\n@[Event \"A\"]\n",
      "Title 1. e4\n@[Event \"A\"]\n1. e4 *\n",
      // Comments before its first move belong to it.
      "@; Sf3 is German\n%x\n\n1.d4 Nf6 2. Sf3 *\n",
      "\n @{a\n b} {c} 1. e4 *\n",
      "; x\n@[Event \"A\"]\n1. e4 *\n{open\n1. e4 *\n",
      // Further games without tags: "1." and a move at a line start after a result.
      "23. Qxf7+ Kh8 1-0\n@1. e4\n@[Event \"A\"]\n1. e4 *\n",
      ("@[Event \"A\"]\n\n1. e4 e5 1-0\n\n@1. d4 d5 0-1\r\n@1.Nf3 *\n\n\t\n@1. \u2658f3 1/2-1/2\n"
       "1... e5 *\n 1. e4 {1-0}\n1. e4 x1-0\n1. 1-0\n"),
      "% 1-0\n@1. e4 *\n",
      ("@1. d4 0-1 {lost on time} {x}\n\n@1. c4 1/2-1/2 {a\n}\n@1. e4 e5 {1-0}\n1. e4 1-0 }\n"
       "1. d4 *\n"),
      "1. 1-0 [Event\n@[Event \"A\"]\n1. e4 *\n",
      // A result inside a comment ends no game.
      ("@1. e4 {ends 1-0\n1. e4 is better} e5 *\n@1. d4 ; 1-0\n1. d4 c5\n{a;b} 1-0\n"
       "@1. c4 *\n"),
  };
  for (std::string fall : faelle) {
    if (fall == "[Event \"A\"]\n1. e4 *") {
      // The quote of a tag line stands among the first TagZeilenKopf bytes.
      fall = std::string(TagZeilenKopf - 8, ' ') + "@" + fall + "\n" +
             std::string(TagZeilenKopf - 7, ' ') + "[Event \"B\"]\n";
    }
    std::vector<int64_t> starts;
    std::string text;
    for (char c : fall) {
      if (c == '@')
        starts.push_back(static_cast<int64_t>(text.size()));
      else
        text += c;
    }
    TPGNIndex index;
    index.SetFileName(Schreiben("t.pgn", text));
    ASSERT_TRUE(index.IsOpen()) << fall;
    std::vector<int64_t> gefunden;
    for (int64_t g = 0; g < index.GameCount(); ++g) gefunden.push_back(index.Entry(g).StartPos);
    EXPECT_EQ(gefunden, starts) << fall;
    EXPECT_EQ(Referenz(text), starts) << fall;
  }
  // Long tag sections find a repeated tag name as well, short or long.
  std::string lang = "[Event \"A\"]\n";
  for (int i = 0; i < 100; ++i)
    lang += "[T" + std::to_string(i) + "_long_name \"x\"]\n[S" + std::to_string(i) + " \"y\"]\n";
  const size_t zweites = lang.size();
  lang += "[S7 \"z\"]\n[T3_long_name \"x\"]\n";
  const size_t drittes = lang.size();
  lang += "[T3_long_name \"x\"]\n";
  TPGNIndex lange;
  lange.SetFileName(Schreiben("t.pgn", lang));
  ASSERT_EQ(lange.GameCount(), 3);
  EXPECT_EQ(lange.Entry(1).StartPos, static_cast<int64_t>(zweites));
  EXPECT_EQ(lange.Entry(2).StartPos, static_cast<int64_t>(drittes));
  // The tag section may hold empty and "%" lines: one game, read whole.
  TPGNIndex index;
  index.SetFileName(
      Schreiben("t.pgn", "[Event \"X\"]\n\n[White \"w\"]\n%c\n\n[Black \"b\"]\n1. e4"));
  EXPECT_EQ(index.ReadGameHeader(0).Black, "b");
  // Several tag pairs on a line, movetext after the last one.
  index.SetFileName(Schreiben("u.pgn", "[Event \"X\"][White \"w\"] [Date \" 1990\"] 1. e4\n"));
  const TEventData& kopf = index.ReadGameHeader(0);
  EXPECT_EQ(std::tie(kopf.Event, kopf.White, kopf.Year), std::make_tuple("X", "w", 1990));
}

TEST_F(Index, AGameWithoutTagsIsListedAndAppendedWithATag) {
  const std::string p =
      Schreiben("t.pgn", "1. e4 e5 2. Nf3 1-0\n\n1. d4 d5 0-1\n\n[White \"W\"]\n\n1. d4 *\n");
  TPGNIndex index;
  index.SetFileName(p);
  ASSERT_EQ(index.GameCount(), 3);
  EXPECT_EQ(index.ReadGameHeader(0).White, "N.N.");
  EXPECT_EQ(index.ReadGameText(1), "1. d4 d5 0-1");
  // The list shows the result the movetext ends with where the tags give none.
  EXPECT_EQ(index.ReadGameHeader(0).Result, "1-0");
  EXPECT_EQ(index.ReadGameHeader(1).Result, "0-1");
  EXPECT_EQ(index.ReadGameHeader(2).Result, "*");
  EXPECT_EQ(index.ReadGameHeader(2).White, "W");
  const std::string anhang = AppendText(index, {0, 2}, "\n");
  EXPECT_EQ(anhang, "\n\n[Event \"?\"]\n\n1. e4 e5 2. Nf3 1-0\n\n" + index.ReadGameText(2));
  // Appended to a file of games, it is a game of its own there.
  const std::string ziel = Schreiben("z.pgn", Spiel("A", "B"));
  ASSERT_TRUE(AnPGNDateiAnhaengen(ziel, anhang));
  TPGNIndex neu;
  neu.SetFileName(ziel);
  ASSERT_EQ(neu.GameCount(), 3);
  EXPECT_EQ(neu.ReadGameText(1), "[Event \"?\"]\n\n1. e4 e5 2. Nf3 1-0");
}

TEST_F(Index, ResultFromTheEndOfTheMovetextWhereTheTagsGiveNone) {
  const std::pair<std::string, std::string> faelle[] = {
      {"[Event \"x\"]\n\n1. e4 1-0\n", "1-0"},
      {"[Result \"*\"]\r\n\r\n1. e4 0-1 {on time}\r\n\r\n", "0-1"},
      {"[Result \"0-1\"]\n\n1. e4 1-0\n", "0-1"},
      {"[Event \"x\"]\n1. e4 1/2-1/2 {a}{b} \n", "1/2-1/2"},
      {"[Event \"x\"]\n1. e4 \xC2\xBD\xE2\x80\x93\xC2\xBD\n", "1/2-1/2"},
      {"[Event \"x\"]\n1. e4 x1-0\n", "*"},
      {"[Event \"x\"]\n1. e4 1-0 2. d4\n", "*"},
      {"[Event \"x\"]\n1. e4 {1-0}\n", "*"},
      {"[Event \"x\"]\n1. e4 1-0 " + std::string(ErgebnisFenster, ' ') + "\n", "*"},
      {"[Event \"x\"]\n1. e4 {" + std::string(KopfGrenze, 'x') + "} 0-1\n", "0-1"},
  };
  std::string datei;
  for (const auto& fall : faelle) datei += fall.first;
  TPGNIndex index;
  index.SetFileName(Schreiben("t.pgn", datei));
  ASSERT_EQ(index.GameCount(), static_cast<int64_t>(std::size(faelle)));
  TTextFenster fenster;
  for (int64_t g = 0; g < index.GameCount(); ++g) {
    const std::string& ergebnis = faelle[g].second;
    TEventData voll, kopf;
    KopfAusText(faelle[g].first, voll);
    EXPECT_EQ(voll.Result, ergebnis) << g;
    EXPECT_EQ(index.ReadGameHeader(g).Result, ergebnis) << g;
    index.ReadGameHeader(g, kopf, fenster, false, true);
    EXPECT_EQ(kopf.Result, ergebnis) << g;
  }
}

TEST_F(Index, StretchesScannedAtOnceFindTheGamesOfAScanInOne) {
  // Random lines of tag sections and movetext; stretches of a few bytes end
  // inside tag sections, inside lines of many blanks and between CR and LF.
  const std::vector<std::string> zeilen = {"[Event \"A\"]",
                                           "[White \"w\"]",
                                           "[Black \"b\"]",
                                           "[Black \u201Cb\u201D]",
                                           "  [Site \"s\"]",
                                           "[%clk 0:01]",
                                           "% note",
                                           "",
                                           "   ",
                                           "1. e4 e5 *",
                                           "[Event x]",
                                           "{ [Event \"c\"] }",
                                           "1. d4 d5 1-0",
                                           "[Round \"2\"] *",
                                           "1.Nf3 *",
                                           "{ends 1-0",
                                           "; 0-1 }",
                                           std::string(300, ' '),
                                           std::string(300, ' ') + "[Round \"1\"]"};
  const std::vector<std::string> enden = {"\n", "\r\n", "\r"};
  std::mt19937 rng(11);
  for (int runde = 0; runde < 12; ++runde) {
    std::string text = runde % 4 == 0 ? "\xEF\xBB\xBF" : "";
    for (int i = 0; i < 160; ++i)
      text += zeilen[rng() % zeilen.size()] + enden[rng() % (runde % 3 == 0 ? 3 : 1)];
    const std::vector<int64_t> erwartet = Referenz(text);
    const std::string p = Schreiben("t.pgn", text);
    for (const char* threads : {"1", "2", "3", "8"}) {
      ::setenv("BREVARO_THREADS", threads, 1);
      for (const int64_t teil : {1, 7, 60, 700}) {
        TPGNIndex index;
        index.SetScanPart(teil);
        index.SetFileName(p);
        std::vector<int64_t> starts;
        for (int64_t g = 0; g < index.GameCount(); ++g) starts.push_back(index.Entry(g).StartPos);
        ASSERT_EQ(starts, erwartet)
            << "text " << runde << ", threads " << threads << ", part " << teil;
        ASSERT_EQ(index.Entry(index.GameCount() - 1).EndPos, static_cast<int64_t>(text.size()));
      }
    }
  }
  ::unsetenv("BREVARO_THREADS");
}

TEST_F(Index, EmptyAndBlankFilesHaveNoRows) {
  for (const std::string& inhalt : {std::string(), std::string("\r\n\n   \n"), std::string(" ")}) {
    TPGNIndex index;
    index.SetFileName(Schreiben("leer.pgn", inhalt));
    EXPECT_TRUE(index.IsOpen() && index.IndexComplete());
    EXPECT_EQ(std::tuple(index.GameCount(), index.RowCount(), index.GameOfRow(0)),
              std::tuple(0, 0, -1));
  }
}

TEST_F(Index, ProgressOnlyAfterFiftyGamesAndAFinalZero) {
  std::string wenig, viel;
  for (int i = 0; i < 40; ++i) wenig += Spiel("A", "B");
  for (int i = 0; i < 3000; ++i) viel += Spiel("A" + std::to_string(i), "B");
  for (const auto& [text, mitFortschritt] : {std::pair{wenig, false}, std::pair{viel, true}}) {
    TPGNIndex index;
    std::vector<int> berichte;
    index.OnPGNTrace = [&](int p, TCancelMode& m) {
      berichte.push_back(p);
      EXPECT_EQ(m, cmContinue);
      EXPECT_EQ(index.Busy(), p != 0);
    };
    index.SetFileName(Schreiben("t.pgn", text));
    ASSERT_FALSE(berichte.empty());
    EXPECT_EQ(berichte.back(), 0);
    EXPECT_EQ(berichte.size() > 1, mitFortschritt);
  }
}

TEST_F(Index, CancelledScanKeepsFinishedGamesAndRescans) {
  std::string text;
  for (int i = 0; i < 60000; ++i) text += Spiel("W" + std::to_string(i), "B");
  const std::string p = Schreiben("t.pgn", text);
  TPGNIndex index;
  index.SetScanPart(1 << 20);
  index.SetScanSortKey(skWhite);
  bool abbrechen = true;
  index.OnPGNTrace = [&](int prozent, TCancelMode& m) {
    if (abbrechen && prozent > 0) m = cmCancel;
  };
  index.SetFileName(p);
  EXPECT_FALSE(index.IndexComplete());
  const int64_t teil = index.GameCount();
  ASSERT_GT(teil, 50);
  ASSERT_LT(teil, 60000);
  EXPECT_EQ(index.RowCount(), teil);
  abbrechen = false;
  index.SortBy(skWhite);  // "W0", "W1", "W10", ...: the keys are read after all
  EXPECT_EQ(index.GameOfRow(2), 10);
  abbrechen = true;
  // The last game found has an end; the game started after it is not listed.
  EXPECT_EQ(index.Entry(teil - 1).EndPos,
            index.Entry(teil - 1).StartPos + static_cast<int64_t>(Spiel("W0", "B").size()) +
                static_cast<int64_t>(std::to_string(teil - 1).size()) - 1);
  EXPECT_EQ(index.GameOfRow(teil), -1);
  abbrechen = false;
  index.SetFileName(p);  // same name, incomplete index: scanned again
  EXPECT_TRUE(index.IndexComplete());
  EXPECT_EQ(index.GameCount(), 60000);
  index.SortBy(skWhite);
  EXPECT_EQ(index.GameOfRow(2), 10);
  index.OnPGNTrace = [](int, TCancelMode& m) { m = cmCancel; };
  index.SetFileName(p);  // complete: nothing happens
  EXPECT_EQ(index.GameCount(), 60000);
}

// ---------------------------------------------------------------------------
// Setting the file name

TEST_F(Index, NewFileIsOfferedWithExtension) {
  TPGNIndex index;
  std::vector<std::string> gefragt;
  bool antwort = false;
  index.BeforeCreatePGNFile = [&](const std::string& name, bool& anlegen) {
    EXPECT_TRUE(anlegen);
    gefragt.push_back(name);
    anlegen = antwort;
  };
  const std::string gut = Schreiben("gut.pgn", Spiel("A", "B"));
  index.SetFileName(gut);
  index.SetFileName(Pfad("games"));
  ASSERT_EQ(gefragt.size(), 1u);
  EXPECT_EQ(gefragt[0], Pfad("games.pgn"));
  EXPECT_EQ(index.FileName(), gut) << "declined: the previous file stays";
  EXPECT_FALSE(std::filesystem::exists(Pfad("games.pgn")));

  antwort = true;
  index.SetFileName(Pfad("NEU.PGN"));
  EXPECT_EQ(gefragt.back(), Pfad("NEU.PGN"));
  EXPECT_TRUE(std::filesystem::exists(Pfad("NEU.PGN")));
  EXPECT_EQ(index.FileName(), Pfad("NEU.PGN"));
  EXPECT_TRUE(index.IndexComplete());
  // A name without extension of an existing file is not created anew.
  gefragt.clear();
  index.SetFileName(Pfad("gut"));
  EXPECT_TRUE(gefragt.empty());
  EXPECT_EQ(index.FileName(), gut);
  EXPECT_EQ(Lesen(gut), Spiel("A", "B"));
}

TEST_F(Index, EmptyNameClosesAndUnreadableOrNonPgnFilesKeepThePrevious) {
  const std::string gut = Schreiben("gut.pgn", Spiel("A", "B"));
  TPGNIndex index;
  index.SetFileName(gut);
  if (::geteuid() != 0) {
    const std::string gesperrt = Schreiben("gesperrt.pgn", Spiel("C", "D"));
    ::chmod(gesperrt.c_str(), 0);
    index.SetFileName(gesperrt);
    EXPECT_EQ(index.FileName(), gut);
    EXPECT_EQ(index.LastError(), std::strerror(EACCES));
  }
  // Text files are no PGN files: the previous file stays listed.
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "a line of text\n";
  index.SetFileName(Schreiben("text.pgn", text + Spiel("C", "D")));
  EXPECT_EQ(index.FileName(), gut);
  EXPECT_EQ(index.GameCount(), 1);
  index.SetFileName("");
  EXPECT_FALSE(index.IsOpen());
  EXPECT_EQ(index.FileName(), "");
  EXPECT_EQ(index.RowCount() + index.GameCount(), 0);
}

// ---------------------------------------------------------------------------
// Reading games

TEST_F(Index, GameTextIsCutAtZeroAndTrimmedAndNoneBeyondTheEnd) {
  TPGNIndex index;
  int64_t id = 7;
  std::string text = "x";
  index.GetGame(0, id, text);
  EXPECT_EQ(id, -1);
  EXPECT_EQ(text, "");
  index.SetFileName(Schreiben("t.pgn", "[Event \"a\"]\n\n1. e4 *\n\n\n" +
                                           std::string("[Event \"b\"]\n\n1. d4") +
                                           std::string(1, '\0') + " garbage\n"));
  ASSERT_EQ(index.GameCount(), 2);
  EXPECT_EQ(index.ReadGameText(0), "[Event \"a\"]\n\n1. e4 *");
  EXPECT_EQ(index.ReadGameText(1), "[Event \"b\"]\n\n1. d4");
  EXPECT_EQ(index.GameTextView(1), index.ReadGameText(1));
  index.GetGame(1, id, text);
  EXPECT_EQ(std::tie(id, text), std::tuple(1, index.ReadGameText(1)));
  for (int64_t g : {int64_t{2}, int64_t{-1}, int64_t{1} << 40}) {
    index.GetGame(g, id, text);
    EXPECT_EQ(id, -1);
    EXPECT_EQ(text, "");
  }
}

TEST_F(Index, GameTextViewGivesTheTextOfEveryGameInAnyOrder) {
  // Small games over several windows and one longer than a window holds.
  std::string text;
  for (int g = 0; g < 3000; ++g)
    text += Spiel("W" + std::to_string(g), "B", "",
                  "1. e4 e5 2. Nf3 {" + std::string(2000, 'x') + "} *");
  text += Spiel("Lang", "B", "", "1. d4 {" + std::string(3 << 20, 'y') + "} *");
  text += Spiel("Z", "B");
  TPGNIndex index;
  index.SetFileName(Schreiben("t.pgn", text));
  ASSERT_EQ(index.GameCount(), 3002);
  for (int64_t g = 0; g < index.GameCount(); ++g)
    ASSERT_EQ(index.GameTextView(g), index.ReadGameText(g)) << g;
  for (int64_t g = index.GameCount() - 1; g >= 0; g -= 7)
    ASSERT_EQ(index.GameTextView(g), index.ReadGameText(g)) << g;
  EXPECT_EQ(index.GameTextView(index.GameCount()), "");
  // Windows of their own, read in turn as two threads would, each keep theirs.
  TTextFenster a, b;
  for (int64_t g = 0; g + 1500 < index.GameCount(); g += 5) {
    const std::string_view erstes = index.GameTextView(g, a);
    ASSERT_EQ(index.GameTextView(g + 1500, b), index.ReadGameText(g + 1500)) << g;
    ASSERT_EQ(erstes, index.ReadGameText(g)) << g;
  }
  // Another file opened in the same index is not read through the old window.
  index.SetFileName(Schreiben("u.pgn", Spiel("Neu", "B") + Spiel("C", "D")));
  EXPECT_EQ(index.GameTextView(0), index.ReadGameText(0));
  EXPECT_NE(index.GameTextView(0).find("Neu"), std::string_view::npos);
}

TEST_F(Index, FileTruncatedOrGrownUnderAnOpenIndex) {
  const std::string a = Spiel("A", "B"),
                    b = Spiel("C", "D", "", "1. e4 {" + std::string(5000, 'x') + "} *");
  const std::string p = Schreiben("t.pgn", a + b);
  // (Written an hour ago: a write now changes its time.)
  std::filesystem::last_write_time(p, std::filesystem::last_write_time(p) - std::chrono::hours(1));
  TPGNIndex index;
  EXPECT_FALSE(index.FileChanged());
  index.SetFileName(p);
  ASSERT_EQ(index.GameCount(), 2);
  EXPECT_FALSE(index.FileChanged());
  { std::ofstream(p, std::ios::binary) << Spiel("X", "B") + b; }
  EXPECT_TRUE(index.FileChanged()) << "rewritten in place, as long as before";
  { std::ofstream(p, std::ios::binary) << a + b; }
  { std::ofstream(p, std::ios::binary | std::ios::app) << Spiel("E", "F"); }
  EXPECT_FALSE(index.FileChanged()) << "appended to";
  {
    std::ofstream(p, std::ios::binary)
        << a + Spiel("C", "D", "", "1. e4 {" + std::string(5000, 'y') + "} *") + Spiel("E", "F");
  }
  EXPECT_TRUE(index.FileChanged()) << "rewritten and grown: the last bytes listed changed";
  std::filesystem::resize_file(p, a.size() + 10);
  EXPECT_TRUE(index.FileChanged());
  EXPECT_EQ(index.ReadGameText(1), b.substr(0, 10));
  std::filesystem::resize_file(p, 5);
  EXPECT_EQ(index.ReadGameText(1), "");
  EXPECT_EQ(index.ReadGameText(0), "[Even");
  int64_t id = 0;
  std::string text;
  index.GetGame(1, id, text);
  EXPECT_EQ(id, -1);
  EXPECT_EQ(index.ReadGameHeader(1).White, "Error");
  index.SortBy(skWhite);  // reads every header: must not fail either
  EXPECT_EQ(index.RowCount(), 2);
  std::filesystem::resize_file(p, 0);
  { std::ofstream(p, std::ios::binary) << a + b + Spiel("E", "F"); }
  EXPECT_EQ(index.ReadGameHeader(1).White, "C");
  EXPECT_EQ(index.GameCount(), 2) << "a grown file is not rescanned by itself";
  EXPECT_FALSE(index.FileChanged());
  // A file saved under the name anew leaves the one read open.
  std::filesystem::rename(Schreiben("neu.pgn", b), p);
  EXPECT_FALSE(index.FileChanged());
  EXPECT_EQ(index.ReadGameHeader(0).White, "A");
  // Set again, the name is listed anew; then once more, nothing changes.
  EXPECT_EQ(index.FileState(), TPGNIndex::TDateiStand::Erneuert);
  index.SetFileName(p);
  EXPECT_EQ(index.GameCount(), 1);
  EXPECT_EQ(index.ReadGameHeader(0).White, "C");
  EXPECT_EQ(index.FileState(), TPGNIndex::TDateiStand::Unveraendert);
}

TEST_F(Index, LongTagSectionsAreReadWhole) {
  // Tag sections longer than the first read, with a CR LF split across reads.
  std::string tags;
  for (int i = 0; i < 200; ++i)
    tags += "[Tag" + std::to_string(i) + " \"" + std::string(i % 17, 'v') + "\"]\r\n";
  for (size_t zusatz = 0; zusatz < 40; ++zusatz) {
    const std::string spiel = "[Event \"e\"]\r\n" + std::string(zusatz, ' ') + tags +
                              "[White \"Late\"]\r\n\r\n1. e4 *\r\n\r\n";
    TPGNIndex index;
    index.SetFileName(Schreiben("t.pgn", spiel + spiel));
    ASSERT_EQ(index.GameCount(), 2);
    for (int64_t g = 0; g < 2; ++g) {
      TEventData voll;
      KopfAusText(index.ReadGameText(g), voll);
      EXPECT_EQ(voll.White, "Late");
      EXPECT_EQ(index.ReadGameHeader(g).White, "Late");
      EXPECT_EQ(index.GameHeader().OtherTags->size(), 200u);
    }
  }
}

TEST_F(Index, ZeroByteEndsTheTagSectionWhereverItStands) {
  for (size_t vor : {size_t{10}, size_t{1500}, size_t{5000}}) {
    std::string tags;
    while (tags.size() < vor) tags += "[Tag" + std::to_string(tags.size()) + " \"x\"]\n";
    const std::string spiel = "[Event \"e\"]\n" + tags + "[White \"Vorher\"]" +
                              std::string(1, '\0') + "\n[Black \"Nachher\"]\n\n1. e4 *\n\n";
    TPGNIndex index;
    index.SetFileName(Schreiben("t.pgn", spiel + Spiel("A", "B")));
    ASSERT_EQ(index.GameCount(), 2);
    EXPECT_EQ(index.ReadGameHeader(0).White, "Vorher") << vor;
    EXPECT_EQ(index.ReadGameHeader(0).Black, "N.N.") << vor;
    EXPECT_EQ(index.ReadGameHeader(1).White, "A");
  }
}

TEST_F(Index, LongValuesAreCutForTheListOnly) {
  const std::string lang(100000, 'e');
  std::string utf8 = "x";
  for (int i = 0; i < 2500; ++i) utf8 += "\xC3\xA9";
  const std::string erstes = "[Event \"" + lang + "\"]\n[White \"w\"]\n\n1. e4 *\n\n";
  TPGNIndex index;
  index.SetFileName(Schreiben("t.pgn", erstes + "[Event \"" + utf8 + "\"]\n[White \"" +
                                           std::string(4096, 'w') + "\"]\n\n1. e4 *\n"));
  ASSERT_EQ(index.GameCount(), 2);
  const TEventData& kopf = index.ReadGameHeader(0);
  EXPECT_EQ(kopf.Event, lang.substr(0, ListenWertGrenze));
  EXPECT_EQ(kopf.White, "N.N.") << "read from the first 64 KiB only";
  EXPECT_EQ(index.HeaderCut(), gkEvent);
  // Not in the middle of a UTF-8 sequence; a value of 4096 bytes is whole.
  EXPECT_EQ(index.ReadGameHeader(1).Event, utf8.substr(0, ListenWertGrenze - 1));
  EXPECT_EQ(index.GameHeader().White.size(), ListenWertGrenze);
  EXPECT_EQ(index.HeaderCut(), gkEvent);
  TEventData voll;
  voll.White = lang;
  EXPECT_EQ(TPGNIndex::SortKeyText(voll, skWhite).size(), ListenWertGrenze);
  // The game's text and what is appended keep the whole value.
  EXPECT_EQ(index.ReadGameText(0) + "\n\n", erstes);
  EXPECT_EQ(AppendText(index, {0}), "\r\n\r\n" + index.ReadGameText(0));
}

TEST_F(Index, GameTextIsNotReadBeyondItsFirstZeroByte) {
  const std::string spiel = Spiel("A", "B");
  const std::string p = Schreiben("t.pgn", spiel);
  std::filesystem::resize_file(p, int64_t{1} << 28);  // 256 MiB of zeros, sparse
  TPGNIndex index;
  index.SetFileName(p);
  ASSERT_EQ(index.GameCount(), 1);
  rusage vorher{}, nachher{};
  ::getrusage(RUSAGE_SELF, &vorher);
  EXPECT_EQ(index.ReadGameText(0), spiel.substr(0, spiel.size() - 2));
  ::getrusage(RUSAGE_SELF, &nachher);
  EXPECT_LT(nachher.ru_maxrss - vorher.ru_maxrss, 64 * 1024) << "kilobytes";
}

// ---------------------------------------------------------------------------
// Filter and sort

TEST_F(Index, FilterAsksForEveryGameButNotDuringTheScan) {
  std::string text;
  for (int i = 0; i < 10; ++i) text += Spiel(i % 2 ? "Odd" : "Even", "X" + std::to_string(i));
  TPGNIndex index;
  int gefragt = 0;
  index.OnFilterRequest = [&](const TEventData& kopf, bool& zeigen) {
    ++gefragt;
    EXPECT_TRUE(zeigen);
    zeigen = kopf.White == "Odd";
  };
  index.SetFileName(Schreiben("t.pgn", text));
  EXPECT_EQ(gefragt, 0);
  EXPECT_EQ(index.RowCount(), 10);
  index.SortBy(skBlack);
  index.ApplyFilter();
  EXPECT_EQ(gefragt, 10);
  EXPECT_EQ(index.SortKey(), skNumber);
  EXPECT_EQ(Zeilen(index), (std::vector<int64_t>{1, 3, 5, 7, 9}));
}

TEST_F(Index, SortReversesOnTheSameKeyAndKeyZeroRestoresAndNumbersCompareAsText) {
  std::string text;
  const char* weiss[] = {"Carlsen", "anand", "Botvinnik", "Aljechin", "Carlsen"};
  const char* plies[] = {"38", "198", "0", "2000", "5"};
  for (int i = 0; i < 5; ++i)
    text += Spiel(weiss[i], "x", std::string("[PlyCount \"") + plies[i] + "\"]\n");
  TPGNIndex index;
  index.SetFileName(Schreiben("t.pgn", text));
  index.SortBy(skWhite);
  // Byte order, case-sensitive: upper case before lower case.
  const std::vector<int64_t> sortiert = Zeilen(index);
  EXPECT_EQ(sortiert[0], 3);
  EXPECT_EQ(sortiert[1], 2);
  EXPECT_EQ(sortiert[4], 1);
  index.SortBy(skWhite);
  EXPECT_EQ(Zeilen(index), std::vector<int64_t>(sortiert.rbegin(), sortiert.rend()));
  index.SortBy(skNumber);
  EXPECT_EQ(Zeilen(index), (std::vector<int64_t>{0, 1, 2, 3, 4}));
  index.SortBy(skNumber);
  EXPECT_EQ(Zeilen(index), (std::vector<int64_t>{0, 1, 2, 3, 4}));
  // Move counts 20, 100, 0 (unknown), 1001 and 3 compare as text.
  index.SortBy(skMoveCount);
  EXPECT_EQ(Zeilen(index), (std::vector<int64_t>{2, 1, 3, 0, 4}));
  EXPECT_EQ(TPGNIndex::SortKeyText(index.ReadGameHeader(3), skMoveCount), "1001");
}

namespace {

// The sort as it was first written: every row's SortKeyText from its whole
// header, then the quicksort with the middle pivot. The index must order the
// rows exactly so, equal keys included.
std::vector<int64_t> AlteSortierung(TPGNIndex& index, uint8_t key) {
  std::vector<std::string> keys;
  std::vector<int64_t> order;
  for (int64_t r = 0; r < index.RowCount(); ++r) {
    keys.push_back(TPGNIndex::SortKeyText(index.ReadGameHeader(index.GameOfRow(r)), key));
    order.push_back(index.GameOfRow(r));
  }
  std::vector<std::pair<int64_t, int64_t>> stapel{{0, index.RowCount() - 1}};
  while (!stapel.empty()) {
    const auto [lo, hi] = stapel.back();
    stapel.pop_back();
    const std::string pivot = keys[(lo + hi) / 2];
    int64_t i = lo, j = hi;
    do {
      while (keys[i] < pivot) ++i;
      while (keys[j] > pivot) --j;
      if (i <= j) {
        std::swap(keys[i], keys[j]);
        std::swap(order[i], order[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (lo < j) stapel.emplace_back(lo, j);
    if (i < hi) stapel.emplace_back(i, hi);
  }
  return order;
}

}  // namespace

TEST_F(Index, SortOrdersEveryKeyAsTheWholeHeaderWouldWithAnyThreads) {
  // Headers that the tag reader treats in its own ways, mixed with many games
  // of few distinct keys, enough for two threads of rows.
  const std::string lang(9000, 'L');
  const std::vector<std::string> besondere = {
      "[white \"klein\"]\n[WHITEELO \"$7E4\"]\n",
      "[White\t\"Tab\"]\n[Date \"-1.02.03\"]\n",
      "[White \"?\"]\n[Event \"?\"]\n[Result \"?\"]\n[Annotator \"?\"]\n",
      "[White \"a\\\"b\\\\c\"]\n[Site \"x\\\"\"]\n",
      "[White \"" + lang + "\"]\n[ECO \"" + lang + "\"]\n",
      "%[White \"Kommentar\"]\n[PlyCount \"-4\"]\n\n[PlyCount \"2147483647\"]\n",
      "[White \"Erster\"]\n[white \"Zweiter\"]\n[Date \"20x1.??.??\"]\n",
      "[Result \"1-0\"]\r\n[ECO \"B17\"]\r\n[BlackElo \"12345678901\"]\r\n",
      "[Annotator \"\xC3\xA9" + std::string(4094, 'u') + "\"]\n",
      "[Site \"vor\0nach\"]\n"s,
      "[X \"" + std::string(70000, 'x') + "\"]\n[White \"hinter 64K\"]\n",
      "[White \"ohne Ende]\n[BlackElo \"\"]\n",
  };
  std::mt19937 rng(7);
  std::string text;
  for (size_t i = 0; i < 9000; ++i) {
    const std::string extra = i % 97 < besondere.size()
                                  ? besondere[i % 97]
                                  : "[Date \"" + std::to_string(1990 + rng() % 30) +
                                        ".01.01\"]\n[PlyCount \"" + std::to_string(rng() % 120) +
                                        "\"]\n[WhiteElo \"" + std::to_string(rng() % 3) + "\"]\n";
    // Results from the end of the movetext where the tags give none.
    static const std::string zuege[] = {"1. e4 e5 *", "1. e4 1-0", "1. d4 0-1 {Zeit}",
                                        "1. c4 \xC2\xBD-\xC2\xBD"};
    text += Spiel("S" + std::to_string(rng() % 40), "B" + std::to_string(rng() % 5), extra,
                  zuege[i % 4]);
  }
  TPGNIndex index, vorab;
  const std::string p = Schreiben("t.pgn", text);
  index.SetFileName(p);
  ASSERT_GT(index.GameCount(), 9000) << "a repeated White tag starts a game";
  for (const char* threads : {"1", "2", "3"}) {
    ::setenv("BREVARO_THREADS", threads, 1);
    for (uint8_t key = skWhite; key <= skMoveCount; ++key) {
      index.SortBy(skNumber);
      const std::vector<int64_t> erwartet = AlteSortierung(index, key);
      index.SortBy(key);
      ASSERT_EQ(Zeilen(index), erwartet) << "key " << int(key) << ", threads " << threads;
      // The same order from keys read while the file was scanned, in
      // stretches that end inside tag sections.
      vorab.SetScanPart(threads[0] == '1' ? int64_t{1} << 22 : 2500);
      vorab.SetScanSortKey(key);
      vorab.SetFileName("");
      vorab.SetFileName(p);
      vorab.SortBy(key);
      ASSERT_EQ(Zeilen(vorab), erwartet) << "key " << int(key) << " read during the scan";
    }
  }
  ::unsetenv("BREVARO_THREADS");
  // The row texts read from a game's header alone or through a window (one
  // that holds the game, or one that never holds any), whole or only the
  // fields a row shows, are those of the whole header.
  TTextFenster fenster, leer;
  TEventData kopf;
  for (int64_t g = 0; g < index.GameCount(); ++g) {
    const TRowTexts ganz = RowTexts(index.ReadGameHeader(g), g);
    for (const int art : {0, 1, 2, 3, 5, 7}) {
      index.ReadGameHeader(g, kopf, art & 4 ? leer : fenster, art & 1, art & 2);
      const TRowTexts t = RowTexts(kopf, g);
      ASSERT_EQ(std::tie(t.Players, t.Source, t.Year, t.Result),
                std::tie(ganz.Players, ganz.Source, ganz.Year, ganz.Result))
          << "game " << g << ", way " << art;
    }
  }
  // A filtered subset of the rows sorts the same way.
  index.OnFilterRequest = [](const TEventData& k, bool& zeigen) { zeigen = k.WhiteElo != 1; };
  index.ApplyFilter();
  const std::vector<int64_t> erwartet = AlteSortierung(index, skBlack);
  index.SortBy(skBlack);
  EXPECT_EQ(Zeilen(index), erwartet);
}

TEST_F(Index, CancelledFilterAndSortKeepTheRowsAndAreNotBusy) {
  std::string text;
  for (int i = 0; i < 400; ++i) text += Spiel("N" + std::to_string(400 - i), "B");
  const std::string p = Schreiben("t.pgn", text);
  TPGNIndex index;
  index.SetFileName(p);
  int grenze = 25;
  index.OnFilterRequest = [](const TEventData&, bool&) {};
  index.OnPGNTrace = [&](int prozent, TCancelMode& m) {
    if (grenze == 10) {
      EXPECT_TRUE(index.NoPaint() || prozent == 0);
    }
    if (prozent >= grenze) m = cmCancel;
  };
  index.ApplyFilter();
  EXPECT_EQ(index.RowCount(), 100) << "a cancelled filter keeps the rows so far";
  EXPECT_FALSE(index.Busy());
  grenze = 1000;
  index.SetFileName("");
  index.SetFileName(p);
  ASSERT_EQ(index.RowCount(), 400);
  grenze = 10;
  index.SortBy(skWhite);
  EXPECT_FALSE(index.Busy());
  EXPECT_FALSE(index.NoPaint());
  EXPECT_EQ(index.RowCount(), 400);
  EXPECT_EQ(index.SortKey(), skNumber) << "cancelled while collecting keys: still file order";
  EXPECT_EQ(index.GameOfRow(0), 0);
}

TEST_F(Index, NothingStartsWhileBusy) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += Spiel("W" + std::to_string(i), "B");
  const std::string p = Schreiben("t.pgn", text);
  const std::string q = Schreiben("q.pgn", Spiel("Q", "R"));
  TPGNIndex index;
  index.OnPGNTrace = [&](int prozent, TCancelMode&) {
    if (prozent == 0) return;
    index.SetFileName(q);
    index.SortBy(skWhite);
    index.ApplyFilter();
  };
  index.SetFileName(p);
  EXPECT_EQ(index.FileName(), p);
  EXPECT_EQ(index.GameCount(), 200);
  EXPECT_EQ(index.SortKey(), skNumber);
}

// Where every game begins with "[Event " at the start of a line, the games
// are where they always were: at the first "[Event " and after each line feed
// followed by "[Event ".
TEST_F(Index, FilesOfEventTagsSplitAsBefore) {
  for (const char* name : {"game_synthetic_lf.pgn", "game_synthetic_crlf.pgn"}) {
    std::ifstream in(std::string(BREVARO_TEST_DATA) + "/" + name, std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    std::vector<int64_t> vorher;
    for (size_t pos = text.find("[Event "); pos != std::string::npos;
         pos = text.find("\n[Event ", pos + 1)) {
      vorher.push_back(static_cast<int64_t>(text[pos] == '\n' ? pos + 1 : pos));
    }
    ASSERT_GT(vorher.size(), 10u);
    TPGNIndex index;
    index.SetFileName(Schreiben("t.pgn", text));
    std::vector<int64_t> jetzt;
    for (int64_t g = 0; g < index.GameCount(); ++g) jetzt.push_back(index.Entry(g).StartPos);
    EXPECT_EQ(jetzt, vorher) << name;
  }
}
