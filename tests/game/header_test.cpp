#include "game/header.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

using namespace brevaro;

namespace {

TEventData Gelesen(const std::vector<std::string>& zeilen, TTagListe* andere = nullptr) {
  TEventData kopf;
  kopf.OtherTags = andere;
  KopfdatenLoeschen(kopf);
  for (const auto& z : zeilen) TagZeileLesen(kopf, z);
  return kopf;
}

}  // namespace

TEST(Kopfdaten, LoeschenSetsDefaultsAndKeepsAttachedList) {
  TTagListe andere{"[Foo \"1\"]"};
  TEventData k = Gelesen({"[White \"Kasparov\"]", "[Date \"1999.01.02\"]", "[PlyCount \"9\"]",
                          "[FEN \"8/8/8/8/8/8/8/K1k5 w - - 0 1\"]", "[Event \"E\"]"});
  k.OtherTags = &andere;
  KopfdatenLoeschen(k);
  EXPECT_EQ(k.OtherTags, &andere);
  EXPECT_TRUE(andere.empty());
  EXPECT_EQ(std::tie(k.White, k.Black, k.Result, k.Event, k.FEN),
            std::tie("N.N.", "N.N.", "*", "", ""));
  EXPECT_EQ(k.Year + k.Month + k.Day + k.MoveCount, 0);
}

struct WertFall {
  const char* zeile;
  const char* wert;
};

class TagWertTest : public ::testing::TestWithParam<WertFall> {};

TEST_P(TagWertTest, CutsBetweenQuotes) {
  EXPECT_EQ(TagWert(GetParam().zeile), GetParam().wert);
}

INSTANTIATE_TEST_SUITE_P(Kopfdaten, TagWertTest,
                         ::testing::Values(WertFall{"[White \"Anand\"]", "Anand"},
                                           WertFall{"[White Anand]", ""},
                                           WertFall{"[White \"Anand]", "Anand]"},
                                           WertFall{"[White \u201EAnand\u201C]", "Anand"},
                                           WertFall{"[White \u201CAnand]", "Anand]"},
                                           WertFall{"[Result \"\"]", ""},
                                           WertFall{R"([Annotator "A \"B\" C"])", R"(A "B" C)"},
                                           WertFall{R"([Site "C:\\x\"])", R"(C:\x\)"},
                                           WertFall{R"([Site "C:\"])", R"(C:\)"}));

struct ZahlFall {
  const char* text;
  int32_t zahl;
};

class TagZahlTest : public ::testing::TestWithParam<ZahlFall> {};

TEST_P(TagZahlTest, WholeTextOrZero) {
  EXPECT_EQ(TagZahl(GetParam().text), GetParam().zahl);
}

INSTANTIATE_TEST_SUITE_P(
    Kopfdaten, TagZahlTest,
    ::testing::Values(ZahlFall{"3", 3}, ZahlFall{"  42", 42}, ZahlFall{"-7", -7}, ZahlFall{"+7", 7},
                      ZahlFall{"$1F", 31}, ZahlFall{"", 0}, ZahlFall{"?", 0}, ZahlFall{"-", 0},
                      ZahlFall{"3.1", 0}, ZahlFall{"3 ", 0}, ZahlFall{"2147483647", 2147483647},
                      ZahlFall{"-2147483648", INT32_MIN}, ZahlFall{"2147483648", 0},
                      ZahlFall{"99999999999999999999999", 0}, ZahlFall{"$", 0},
                      ZahlFall{"$FFFFFFFFF", 0}));

TEST(Kopfdaten, QuestionMarkClearsOnlyPlayersEventAndSite) {
  const TEventData k = Gelesen({"[White \"?\"]", "[Black \"?\"]", "[Event \"?\"]", "[Site \"?\"]",
                                "[Annotator \"?\"]", "[ECO \"?\"]", "[Result \"?\"]"});
  EXPECT_EQ(std::tie(k.White, k.Black, k.Event, k.Site), std::tie("", "", "", ""));
  EXPECT_EQ(std::tie(k.Annotator, k.ECO, k.Result), std::tie("?", "?", "?"));
  EXPECT_EQ(Gelesen({"[Result \"\"]"}).Result, "");
}

TEST(Kopfdaten, PlyCountGivesMoveCount) {
  const std::vector<std::pair<const char*, int32_t>> faelle = {{"80", 41}, {"79", 40}, {"1", 1},
                                                               {"0", 0},   {"x", 0},   {"-5", 0}};
  for (const auto& [wert, erwartet] : faelle) {
    EXPECT_EQ(Gelesen({std::string("[PlyCount \"") + wert + "\"]"}).MoveCount, erwartet) << wert;
  }
}

TEST(Kopfdaten, DatesTakeFixedCharacterRanges) {
  const std::pair<const char*, std::array<int32_t, 3>> faelle[] = {{"1992.??.??", {1992, 0, 0}},
                                                                   {"????.??.??", {0, 0, 0}},
                                                                   {"2001.02.03", {2001, 2, 3}},
                                                                   {"2001", {2001, 0, 0}},
                                                                   {" 2001.02.03", {2001, 2, 3}}};
  for (const auto& [datum, erwartet] : faelle) {
    const TEventData k = Gelesen({std::string("[Date \"") + datum + "\"]"});
    EXPECT_EQ((std::array<int32_t, 3>{k.Year, k.Month, k.Day}), erwartet) << datum;
  }
  const TEventData k = Gelesen({"[EventDate \"1994.02.24\"]"});
  EXPECT_EQ((std::array<int32_t, 4>{k.EventYear, k.EventMonth, k.EventDay, k.Year}),
            (std::array<int32_t, 4>{1994, 2, 24, 0}));
}

TEST(Kopfdaten, SeveralTagPairsOrMovetextOnOneLine) {
  const std::pair<std::string, size_t> faelle[] = {
      {R"([Event "a"][Site "b"])", 11},
      {R"([Event "a"]  [Site "b"] [White "c"])", 11},
      {R"([Result "*"] 1. e4 *)", 12},
      {R"([Event "a"] words)", 17},  // no tag pair, no digit: one line as before
      {R"([Event "a "b"] c"])", 18},
      {R"([Event "a \"] [Site \"b"])", 25},  // escaped quotes are the value's
      {R"([Event "a"])", 11},
      {R"([Event a] [Site "b"])", 20},
      {R"([Event "a"][E")", 14},  // "[E\"" alone is no tag line
      {"[Event \u201Ca\u201D] [Site \u201Cb\u201D]", 15},
      {"[Result \u201C*\u201D] 1. e4 *", 16}};
  for (const auto& [zeile, laenge] : faelle) EXPECT_EQ(ErstesTagpaar(zeile), laenge) << zeile;
}

TEST(Kopfdaten, NumbersAndTexts) {
  const TEventData k =
      Gelesen({"[Round \"3\"]", "[WhiteElo \"2780\"]", "[BlackElo \"?\"]", "[ECO \"B90\"]",
               "[FEN \"8/8/8/8/8/8/8/K1k5 w - - 0 1\"]", "[Annotator \"Tal\"]"});
  EXPECT_EQ((std::array<int32_t, 3>{k.Round, k.WhiteElo, k.BlackElo}),
            (std::array<int32_t, 3>{3, 2780, 0}));
  EXPECT_EQ(std::tie(k.ECO, k.FEN, k.Annotator),
            std::tie("B90", "8/8/8/8/8/8/8/K1k5 w - - 0 1", "Tal"));
  const TEventData runde = Gelesen({"[Round \"3.1\"]"});
  EXPECT_EQ(runde.Round, 0);
  EXPECT_EQ(runde.RoundText, "3.1");  // kept for the writer
}

// A tag name is followed by blanks or at once by the value, as the file index
// reads tag lines: kept as another tag, "[Event\"E\"]" would be written beside
// the writer's own "[Event \"?\"]", which the index takes for a new game.
TEST(Kopfdaten, TagNamesIgnoreCaseAndBlanksBeforeTheValue) {
  TTagListe andere;
  const TEventData k = Gelesen({"[event \"E\"]", "[site\t\"S\"]", "[white  \"W\"]", "[Black\"B\"]",
                                "[BlackElo\"2000\"]", "[ECO\u201CB90\u201D]", "[Blackx \"X\"]"},
                               &andere);
  EXPECT_EQ(std::tie(k.Event, k.Site, k.White, k.Black), std::tie("E", "S", "W", "B"));
  EXPECT_EQ(std::tie(k.BlackElo, k.ECO), std::make_tuple(2000, "B90"));
  EXPECT_EQ(andere, (TTagListe{"[Blackx \"X\"]"}));
}

TEST(Kopfdaten, MetaTagsAreJoinedSetUpIsDropped) {
  TTagListe andere;
  const TEventData k =
      Gelesen({"[MetaKeywords \"a\"]", "[MetaKeywords \"b\"]", "[MetaDescription \"x\"]",
               "[MetaDescription \"y\"]", "[SetUp \"1\"]", "[TimeControl \"40/7200\"]"},
              &andere);
  EXPECT_EQ(k.MetaKeywords, "ab");
  EXPECT_EQ(k.MetaDescription, "xy");
  EXPECT_EQ(andere, (TTagListe{"[TimeControl \"40/7200\"]"}));
  EXPECT_EQ(Gelesen({"[TimeControl \"40/7200\"]"}).OtherTags, nullptr);  // no list: dropped
}
