#include "game/header.h"

#include <gtest/gtest.h>

#include <string>
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

TEST(Kopfdaten, EmptyTagSectionKeepsDefaults) {
  const TEventData k = Gelesen({});
  EXPECT_EQ(k.White, "N.N.");
  EXPECT_EQ(k.Black, "N.N.");
  EXPECT_EQ(k.Result, "*");
  EXPECT_EQ(k.Event, "");
  EXPECT_EQ(k.Year, 0);
  EXPECT_EQ(k.MoveCount, 0);
  EXPECT_EQ(k.FEN, "");
}

TEST(Kopfdaten, LoeschenEmptiesButKeepsAttachedList) {
  TTagListe andere{"[Foo \"1\"]"};
  TEventData k;
  k.OtherTags = &andere;
  k.White = "Kasparov";
  k.Year = 1999;
  KopfdatenLoeschen(k);
  EXPECT_EQ(k.OtherTags, &andere);
  EXPECT_TRUE(andere.empty());
  EXPECT_EQ(k.White, "N.N.");
  EXPECT_EQ(k.Year, 0);
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
  EXPECT_EQ(k.White, "");
  EXPECT_EQ(k.Black, "");
  EXPECT_EQ(k.Event, "");
  EXPECT_EQ(k.Site, "");
  EXPECT_EQ(k.Annotator, "?");
  EXPECT_EQ(k.ECO, "?");
  EXPECT_EQ(k.Result, "?");
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
  TEventData k = Gelesen({"[Date \"1992.??.??\"]"});
  EXPECT_EQ(k.Year, 1992);
  EXPECT_EQ(k.Month, 0);
  EXPECT_EQ(k.Day, 0);
  k = Gelesen({"[Date \"????.??.??\"]"});
  EXPECT_EQ(k.Year + k.Month + k.Day, 0);
  k = Gelesen({"[Date \"2001.02.03\"]"});
  EXPECT_EQ(k.Year, 2001);
  EXPECT_EQ(k.Month, 2);
  EXPECT_EQ(k.Day, 3);
  k = Gelesen({"[Date \"2001\"]"});
  EXPECT_EQ(k.Year, 2001);
  EXPECT_EQ(k.Month, 0);
  k = Gelesen({"[Event \"Linares\"]", "[EventDate \"1994.02.24\"]"});
  EXPECT_EQ(k.Event, "Linares");
  EXPECT_EQ(k.EventYear, 1994);
  EXPECT_EQ(k.EventMonth, 2);
  EXPECT_EQ(k.EventDay, 24);
  EXPECT_EQ(k.Year, 0);
}

TEST(Kopfdaten, NumbersAndTexts) {
  const TEventData k =
      Gelesen({"[Round \"3\"]", "[WhiteElo \"2780\"]", "[BlackElo \"?\"]", "[ECO \"B90\"]",
               "[FEN \"8/8/8/8/8/8/8/K1k5 w - - 0 1\"]", "[Annotator \"Tal\"]"});
  EXPECT_EQ(k.Round, 3);
  EXPECT_EQ(k.WhiteElo, 2780);
  EXPECT_EQ(k.BlackElo, 0);
  EXPECT_EQ(k.ECO, "B90");
  EXPECT_EQ(k.FEN, "8/8/8/8/8/8/8/K1k5 w - - 0 1");
  EXPECT_EQ(k.Annotator, "Tal");
  EXPECT_EQ(Gelesen({"[Round \"3.1\"]"}).Round, 0);
  EXPECT_EQ(Gelesen({"[Round \"3.1\"]"}).RoundText, "3.1");  // kept for the writer
}

TEST(Kopfdaten, TagNamesIgnoreCaseAndNeedOneBlank) {
  TTagListe andere;
  const TEventData k =
      Gelesen({"[event \"E\"]", "[site \"S\"]", "[white  \"W\"]", "[Black\"B\"]", "[Black\t\"B\"]"},
              &andere);
  EXPECT_EQ(k.Event, "E");
  EXPECT_EQ(k.Site, "S");
  EXPECT_EQ(k.White, "W");
  EXPECT_EQ(k.Black, "N.N.");
  EXPECT_EQ(andere, (TTagListe{"[Black\"B\"]", "[Black\t\"B\"]"}));
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
