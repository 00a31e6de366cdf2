#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "round_trip.h"
#include "test_util.h"

using namespace brevaro;

namespace {

std::vector<std::string> Zeilen(const std::string& pgn) {
  std::vector<std::string> z;
  size_t a = 0;
  while (a < pgn.size()) {
    const size_t e = pgn.find("\r\n", a);
    EXPECT_NE(e, std::string::npos) << "every line ends in CR LF";
    if (e == std::string::npos) break;
    z.push_back(pgn.substr(a, e - a));
    a = e + 2;
  }
  return z;
}

// Lines of the movetext (after the empty line).
std::vector<std::string> Zugzeilen(const std::string& pgn) {
  std::vector<std::string> z = Zeilen(pgn);
  size_t i = 0;
  while (i < z.size() && !z[i].empty()) ++i;
  return std::vector<std::string>(z.begin() + static_cast<long>(std::min(i + 1, z.size())),
                                  z.end());
}

std::string Verbunden(const std::vector<std::string>& z) {
  std::string s;
  for (const auto& x : z) s += (s.empty() ? "" : " ") + x;
  return s;
}

// Same moves, annotations, comments, text kept after a reading error and
// variation structure.
::testing::AssertionResult GleicherBaum(const TVariante* a, const TVariante* b) {
  const std::string unterschied = BaumUnterschied(a, b);
  if (unterschied.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << unterschied;
}

}  // namespace

// ---------------------------------------------------------------------------
// Tag section

TEST(Schreiber, NewGameWritesTheSevenTagRosterWithoutUnknowns) {
  Modell s;
  EXPECT_EQ(s.m.PGNSchreiben(),
            "[Event \"?\"]\r\n[Site \"?\"]\r\n[White \"N.N.\"]\r\n[Black \"N.N.\"]\r\n"
            "[Result \"*\"]\r\n\r\n *\r\n");
}

TEST(Schreiber, TagsInOrderAndForm) {
  Modell s;
  std::string meta(400, 'm');
  for (size_t i = 0; i < meta.size(); ++i) meta[i] = static_cast<char>('a' + i % 26);
  const std::string kw = std::string(149, 'k') + "\xC3\xA9z";  // "é" across byte 150
  ASSERT_EQ(s.m.LadePartie("[Event \"Linares\"]\n[Site \"\"]\n[Date \"1999.03.??\"]\n"
                           "[Round \"4\"]\n[White \"A\"]\n[Black \"\"]\n[Result \"1-0\"]\n"
                           "[WhiteElo \"2700\"]\n[ECO \"B90\"]\n[Annotator \"X \\\"Y\"]\n"
                           "[EventDate \"1999.??.??\"]\n[MetaKeywords \"" +
                           kw + "\"]\n[MetaDescription \"" + meta +
                           "\"]\n[TimeControl \"40/7200\"]\n[SetUp \"0\"]\n\n1.e4 1-0\n"),
            0);
  // The Annotator's quote is escaped both ways; long meta values take lines of
  // 150 bytes, cut between UTF-8 characters.
  EXPECT_EQ(s.m.PGNSchreiben(),
            "[Event \"Linares\"]\r\n[Site \"?\"]\r\n[Date \"1999.03.??\"]\r\n[Round \"4\"]\r\n"
            "[White \"A\"]\r\n[Black \"?\"]\r\n[Result \"1-0\"]\r\n[WhiteElo \"2700\"]\r\n"
            "[ECO \"B90\"]\r\n[Annotator \"X \\\"Y\"]\r\n[EventDate \"1999.??.??\"]\r\n"
            "[MetaKeywords \"" +
                kw.substr(0, 149) + "\"]\r\n[MetaKeywords \"\xC3\xA9z\"]\r\n[MetaDescription \"" +
                meta.substr(0, 150) + "\"]\r\n[MetaDescription \"" + meta.substr(150, 150) +
                "\"]\r\n[MetaDescription \"" + meta.substr(300) +
                "\"]\r\n[TimeControl \"40/7200\"]\r\n\r\n1.e4   1-0\r\n");
}

TEST(Schreiber, SetUpAndFenOnlyForAnotherStart) {
  Modell s;
  // Castling rights and move number alone make no set-up position.
  ASSERT_EQ(s.m.LadePartie("[Event \"E\"]\n[FEN \"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - "
                           "- 5 9\"]\n\n9.e4 *"),
            0);
  EXPECT_EQ(s.m.PGNSchreiben().find("[FEN"), std::string::npos);
  ASSERT_EQ(s.m.LadePartie("[Event \"E\"]\n[FEN \"4k3/8/8/8/8/8/8/4K3 b - - 7 23\"]\n\n23...Kd7 *"),
            0);
  const std::string pgn = s.m.PGNSchreiben();
  EXPECT_NE(pgn.find("[SetUp \"1\"]\r\n[FEN \"4k3/8/8/8/8/8/8/4K3 b - - 0 23\"]\r\n"),
            std::string::npos);
  EXPECT_NE(pgn.find("\r\n23...Kd7"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Movetext

struct ZugtextFall {
  bool english;
  const char* kopf;
  const char* zuege;
  const char* erwartet;
};

class Zugtext : public ::testing::TestWithParam<ZugtextFall> {};

TEST_P(Zugtext, IsWrittenInEnglishLetters) {
  const ZugtextFall& f = GetParam();
  Modell s(f.english);
  if (!f.english) s.m.FigurenBuchstaben({"X", "Y", "Z", "V", "W", ""});  // never written
  ASSERT_EQ(s.Lade(f.zuege, f.kopf), 0);
  const std::string text = s.m.Notationstext;
  EXPECT_EQ(Verbunden(Zugzeilen(s.m.PGNSchreiben())), f.erwartet);
  EXPECT_EQ(s.m.Notationstext, text);  // the display keeps its own letters
  EXPECT_FALSE(s.m.PGNModus);
}

INSTANTIATE_TEST_SUITE_P(
    Schreiber, Zugtext,
    ::testing::Values(
        ZugtextFall{false, "",
                    "1.e4 e5 2.Sf3 $5 $18 $146 $140 Sc6 (2...d6 $7 3.d4 (3.Lc4)) 3.Lb5 {Ein "
                    "Läufer, kein Springer [gut]} Sf6? 4.O-O!! *",
                    "1.e4 e5 2.Nf3 $5 $18 $146 $140 Nc6 (2...d6 $7 3.d4 (3.Bc4)) 3.Bb5 {Ein "
                    "Läufer, kein Springer [gut]} Nf6 $2 4.O-O $3   *"},
        ZugtextFall{false, "[FEN \"8/4P3/8/8/8/8/k7/4K3 w - - 0 1\"]", "1.e8=D+ *", "1.e8=Q+   *"},
        ZugtextFall{true, "[FEN \"rk2r3/pppppppp/8/8/8/8/PPPPPPPP/1R2K2R w KQkq f1 0 1\"]",
                    "1.o-o o-o-o 2.d4 *", "1.o-o o-o-o 2.d4   *"}));

// Text kept after a reading error is written as it was read: no letters
// translated, no "!" made a NAG, no brackets changed, with or without heading.
TEST(Schreiber, KeptTextIsWrittenAsRead) {
  for (const bool ueberschrift : {false, true}) {
    Modell s;
    s.m.Ueberschrift = ueberschrift;
    ASSERT_EQ(s.Lade("1.e4 e5 (1...c5 2.Lxh8 [x] !) 2.Lxh8 {a} Sc6! 1-0", "[Result \"0-0\"]"), -1);
    EXPECT_EQ(Verbunden(Zugzeilen(s.m.PGNSchreiben())),
              "1.e4 e5 (1...c5 2.Lxh8 [x] !) 2.Lxh8 {a} Sc6!   *");
  }
  // A comment the game's text leaves open is closed before the result.
  for (const char* zuege : {"1.e4 e5 2.Lxh8 {a} e6 {open } {", "{open"}) {
    Modell s;
    ASSERT_EQ(s.Lade(zuege), -1);
    EXPECT_EQ(Verbunden(Zugzeilen(s.m.PGNSchreiben())), std::string(zuege) + "}   *");
  }
}

TEST(Schreiber, BreaksOnlyAtBlanksAfterColumn80) {
  Modell s;
  std::string zuege;
  const char* runde[] = {"Nf3", "Nf6", "Ng1", "Ng8"};
  for (int ply = 0; ply < 80; ++ply) {
    if (ply % 2 == 0) zuege += std::to_string(ply / 2 + 1) + ".";
    zuege += runde[ply % 4];
    zuege += " ";
  }
  const std::string wort(120, 'w');
  ASSERT_EQ(s.m.LadePartie("[Event \"E\"]\n\n" + zuege + "{" + wort + " a  b\n  [c] d} *"), 0);
  const std::vector<std::string> z = Zugzeilen(s.m.PGNSchreiben());
  ASSERT_GE(z.size(), 3u);
  for (size_t i = 0; i + 1 < z.size(); ++i) {
    const std::string& zeile = z[i];
    if (zeile.find(wort) != std::string::npos) continue;
    EXPECT_GE(zeile.size(), 81u) << zeile;
    EXPECT_LE(zeile.size(), 90u) << zeile;
  }
  const std::string alles = Verbunden(z);
  EXPECT_NE(alles.find("{" + wort + " a b [c] d}"), std::string::npos) << alles;
}

TEST(Schreiber, CommentLineEndsBecomeBlanks) {
  Modell s;
  ASSERT_EQ(s.Lade("1.e4 {a} *"), 0);
  s.m.Wurzel->Erster->Kommentar = "{one\r\n   two\nthree}";
  EXPECT_EQ(Verbunden(Zugzeilen(s.m.PGNSchreiben())), "1.e4 {one two three}   *");
}

// A game read in Chess960 notation is written in it: its FEN tag as read, the
// Variant tag, castling as "O-O"; the program's own dialect stays "o-o". The
// copy through the clipboard is the written text and pastes as the same game.
struct Form960Fall {
  const char* kopf;
  const char* zuege;
  std::vector<std::string> geschrieben;  // parts of the written text
};

class Chess960Form : public ::testing::TestWithParam<Form960Fall> {};

TEST_P(Chess960Form, SurvivesReadWriteRead) {
  const Form960Fall& c = GetParam();
  Modell a, b;
  ASSERT_EQ(a.Lade(c.zuege, c.kopf), 0);
  Ablage ablage;
  a.m.PGNKopieren(ablage);
  const std::string erst = a.m.PGNSchreiben();
  EXPECT_EQ(ablage.text, erst);
  for (const std::string& teil : c.geschrieben)
    EXPECT_NE(erst.find(teil), std::string::npos) << teil << "\n" << erst;
  ASSERT_TRUE(b.m.PGNEinfuegen(ablage)) << erst;
  EXPECT_TRUE(GleicherBaum(a.m.Wurzel, b.m.Wurzel)) << erst;
  ASSERT_NE(b.m.FischerInfo(), nullptr);
  EXPECT_EQ(std::memcmp(b.m.FischerInfo(), a.m.FischerInfo(), sizeof(TFischerInfo)), 0);
  EXPECT_EQ(b.m.PGNSchreiben(), erst);
}

INSTANTIATE_TEST_SUITE_P(
    Schreiber, Chess960Form,
    ::testing::Values(
        Form960Fall{
            "[Variant \"Chess960\"]\n[FEN \"nrkbbqrn/pppppppp/8/8/8/8/PPPPPPPP/NRK3RN w KQkq - 0 "
            "1\"]",
            "1.O-O e5 *",
            {"[Variant \"Chess960\"]",
             "[FEN \"nrkbbqrn/pppppppp/8/8/8/8/PPPPPPPP/NRK3RN w KQkq - 0 1\"]", "1.O-O e5"}},
        Form960Fall{
            "[FEN \"nrkbbqrn/pppppppp/8/8/8/8/PPPPPPPP/NRK3RN w GBgb - 3 7\"]",
            "7.O-O-O *",
            {"[FEN \"nrkbbqrn/pppppppp/8/8/8/8/PPPPPPPP/NRK3RN w GBgb - 3 7\"]", "7.O-O-O"}},
        // The standard start as a Chess960 position: no FEN, the Variant tag.
        Form960Fall{"[Variant \"Chess960\"]",
                    "1.e4 e5 2.Nf3 Nf6 3.Bc4 Bc5 4.O-O O-O *",
                    {"[Variant \"Chess960\"]", "4.O-O O-O"}},
        Form960Fall{
            "[FEN \"nrkbbqrn/pppppppp/8/8/8/8/PPPPPPPP/NRK3RN w KQkq f1 0 1\"]",
            "1.o-o *",
            {"[FEN \"nrkbbqrn/pppppppp/8/8/8/8/PPPPPPPP/NRK3RN w KQkq f1 0 1\"]", "1.o-o"}}));

TEST(Schreiber, Chess960NewStartPositionWritesItsOwnFen) {
  Modell s;
  ASSERT_EQ(s.Lade("1.O-O *", "[FEN \"nrkbbqrn/pppppppp/8/8/8/8/PPPPPPPP/NRK3RN w GBgb - 0 1\"]"),
            0);
  TSchachbrett b = LeeresBrett;
  TZug z;
  uint16_t n = 0;
  ASSERT_TRUE(FENToStellung("1rk3r1/8/8/8/8/8/8/1RK3R1 b KQkq - 0 1", b, z, n));
  s.m.NeueStellung(b, z, 5);
  EXPECT_NE(s.m.PGNSchreiben().find("[FEN \"1rk3r1/8/8/8/8/8/8/1RK3R1 b GBgb - 0 5\"]"),
            std::string::npos)
      << s.m.PGNSchreiben();
}

// ---------------------------------------------------------------------------
// Round trips: read, write, read gives the same game; writing again the same text.

class RundreiseTest : public ::testing::TestWithParam<std::string> {};

TEST_P(RundreiseTest, ReadWriteReadKeepsTheGame) {
  const std::vector<std::string> partien = Partien(DateiLesen(GetParam()));
  ASSERT_FALSE(partien.empty());
  for (size_t i = 0; i < partien.size(); ++i) {
    for (const bool english : {true, false}) {
      Modell a(english), b(english);
      // A game read with an error reads back with the same error at the same move.
      const int32_t gelesen = a.m.LadePartie(partien[i]);
      const std::string erst = a.m.PGNSchreiben();
      ASSERT_EQ(b.m.LadePartie(erst), gelesen) << "game " << i << "\n" << erst;
      EXPECT_EQ(SpielUnterschied(a.m, b.m), "") << "game " << i << "\n" << erst;
      EXPECT_EQ(b.m.PGNSchreiben(), erst) << "game " << i;
      EXPECT_EQ(a.fehler, b.fehler) << "game " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Schreiber, RundreiseTest,
    ::testing::Values(std::string(BREVARO_SAMPLES) + "/classics.pgn",
                      std::string(BREVARO_TEST_DATA) + "/game_synthetic_lf.pgn",
                      std::string(BREVARO_TEST_DATA) + "/game_synthetic_crlf.pgn",
                      std::string(BREVARO_TEST_DATA) + "/game_import_forms.pgn"));

// ---------------------------------------------------------------------------
// New start position

TEST(NeueStellung, EmptiesTheMovesAndKeepsHeaderAndLeadingComment) {
  Modell s;
  int geaendert = 0, bewegt = 0;
  ASSERT_EQ(s.m.LadePartie("[Event \"E\"]\n[White \"A\"]\n[Result \"1-0\"]\n\n{Hi} 1.e4 e5 1-0"),
            0);
  s.m.OnGameChanged = [&] { ++geaendert; };
  s.m.OnMoveChange = [&](const TZug&, const TSchachbrett&, bool) { ++bewegt; };
  TSchachbrett b;
  TZug z;
  uint16_t n = 0;
  ASSERT_TRUE(FENToStellung("4k3/8/8/8/8/8/8/4K3 b - - 0 30", b, z, n));
  s.m.NeueStellung(b, z, 23);
  EXPECT_EQ(geaendert, 1);
  EXPECT_EQ(bewegt, 0);
  EXPECT_TRUE(s.m.GameChanged());
  EXPECT_EQ(s.m.Wurzel, nullptr);
  EXPECT_EQ(s.m.Arbeitsbrett(), b);
  EXPECT_EQ(s.m.AktuellerZug().AmZug, -1);
  EXPECT_EQ(s.m.Partiedaten.StartZugNummer, 23);
  EXPECT_EQ(s.m.Partiedaten.Kopf.White, "A");
  EXPECT_EQ(s.m.Partiedaten.Vorkommentar, "{Hi} ");
  EXPECT_EQ(s.m.Notationstext, "{Hi}    1-0");
  s.m.NeueStellung(b, z, 0);
  EXPECT_EQ(s.m.Partiedaten.StartZugNummer, 1);
  s.m.NeueStellung(b, z, 100000);
  EXPECT_NE(s.m.PGNSchreiben().find("[FEN \"4k3/8/8/8/8/8/8/4K3 b - - 0 65535\"]"),
            std::string::npos);
}
