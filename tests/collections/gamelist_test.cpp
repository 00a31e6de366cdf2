// The game list's filter decision and row texts.
#include "collections/gamelist.h"

#include <gtest/gtest.h>

#include <functional>

using namespace brevaro;

namespace {

TEventData Kopf(const std::string& white, const std::string& black) {
  TEventData k;
  k.White = white;
  k.Black = black;
  k.Event = "Linares";
  k.ECO = "B90";
  k.Year = 1993;
  k.Result = "1-0";
  return k;
}

TFilterSettings An() {
  TFilterSettings f;
  f.Enabled = true;
  return f;
}

}  // namespace

struct FilterFall {
  const char* name;
  std::function<void(TFilterSettings&)> einstellen;
  std::function<void(TEventData&)> aendern;
  bool zeigen;
};

class Filter : public testing::TestWithParam<FilterFall> {};

TEST_P(Filter, Decides) {
  TFilterSettings f = An();
  GetParam().einstellen(f);
  TEventData k = Kopf("Kasparov, Garry", "M\xC3\xBCller, Hans");
  if (GetParam().aendern) GetParam().aendern(k);
  EXPECT_EQ(FilterRequest(f, k), GetParam().zeigen);
}

const auto Nichts = [](TEventData&) {};

INSTANTIATE_TEST_SUITE_P(
    Cases, Filter,
    testing::Values(
        FilterFall{"NoSettingsPass", [](TFilterSettings&) {}, Nichts, true},
        FilterFall{"DisabledPassesAll",
                   [](TFilterSettings& f) {
                     f.Enabled = false;
                     f.Player = "nobody";
                   },
                   Nichts, true},
        FilterFall{"PlayerEitherColour", [](TFilterSettings& f) { f.Player = "kasp"; }, Nichts,
                   true},
        FilterFall{"PlayerAsBlackOnly",
                   [](TFilterSettings& f) {
                     f.Player = "kasp";
                     f.As = TPlayerColour::Black;
                   },
                   Nichts, false},
        FilterFall{"PlayerAsWhite",
                   [](TFilterSettings& f) {
                     f.Player = "KASPAROV";
                     f.As = TPlayerColour::White;
                   },
                   Nichts, true},
        FilterFall{"Utf8Umlaut", [](TFilterSettings& f) { f.Player = "m\xC3\xBCller"; }, Nichts,
                   true},
        FilterFall{"Utf8UmlautUpper", [](TFilterSettings& f) { f.Player = "M\xC3\x9CLLER"; },
                   Nichts, true},
        FilterFall{"Windows1252Name", [](TFilterSettings& f) { f.Player = "m\xC3\xBCller"; },
                   [](TEventData& k) { k.Black = "M\xFCller, Hans"; }, true},
        FilterFall{"TrailingBlankNotTrimmed", [](TFilterSettings& f) { f.Player = "garry "; },
                   Nichts, false},
        FilterFall{"TrailingBlankInName", [](TFilterSettings& f) { f.Player = "kasparov, "; },
                   Nichts, true},
        FilterFall{"EventTrimmed", [](TFilterSettings& f) { f.Event = "  linar "; }, Nichts, true},
        FilterFall{"EventMissing", [](TFilterSettings& f) { f.Event = "Wijk"; }, Nichts, false},
        FilterFall{"EcoGroup", [](TFilterSettings& f) { f.Eco = "b"; }, Nichts, true},
        FilterFall{"EcoOtherGroup", [](TFilterSettings& f) { f.Eco = "C"; }, Nichts, false},
        FilterFall{"YearsInside",
                   [](TFilterSettings& f) {
                     f.YearRange = true;
                     f.FromYear = 1990;
                     f.ToYear = 1993;
                   },
                   Nichts, true},
        FilterFall{"YearsOutside",
                   [](TFilterSettings& f) {
                     f.YearRange = true;
                     f.FromYear = 1994;
                     f.ToYear = 2000;
                   },
                   Nichts, false},
        FilterFall{"UnknownYearFails",
                   [](TFilterSettings& f) {
                     f.YearRange = true;
                     f.FromYear = 1990;
                     f.ToYear = 1995;
                   },
                   [](TEventData& k) { k.Year = 0; }, false},
        FilterFall{"UnknownYearFromZero",
                   [](TFilterSettings& f) {
                     f.YearRange = true;
                     f.FromYear = 0;
                     f.ToYear = 1995;
                   },
                   [](TEventData& k) { k.Year = 0; }, true},
        FilterFall{"OnlyDrawsHidesWin", [](TFilterSettings& f) { f.Draw = true; }, Nichts, false},
        FilterFall{"OnlyDrawsExactText", [](TFilterSettings& f) { f.Draw = true; },
                   [](TEventData& k) { k.Result = "1/2"; }, false},
        FilterFall{"OnlyDrawsHidesStar", [](TFilterSettings& f) { f.Draw = true; },
                   [](TEventData& k) { k.Result = "*"; }, false},
        FilterFall{"WinOrLoss",
                   [](TFilterSettings& f) {
                     f.Win = true;
                     f.Loss = true;
                   },
                   Nichts, true}));

TEST(Filter, StartPosition) {
  TFilterSettings f = An();
  f.Position = true;
  f.SearchBoard = LeeresBrett;
  TEventData ohneFen = Kopf("A", "B");
  TEventData turmendspiel = Kopf("A", "B");
  turmendspiel.FEN = "8/8/4k3/8/R7/8/4K3/8 w - - 0 50";
  // An empty search board lets every game pass.
  EXPECT_TRUE(FilterRequest(f, ohneFen));
  EXPECT_TRUE(FilterRequest(f, turmendspiel));
  f.SearchBoard[51] = Turm;  // a4
  EXPECT_TRUE(FilterRequest(f, turmendspiel));
  EXPECT_FALSE(FilterRequest(f, ohneFen));
  f.SearchBoard[51] = -Turm;
  EXPECT_FALSE(FilterRequest(f, turmendspiel));
  // A FEN that cannot be read is an empty board.
  turmendspiel.FEN = "garbage";
  f.SearchBoard[51] = Turm;
  EXPECT_FALSE(FilterRequest(f, turmendspiel));
  // Without the check box the board is not looked at.
  f.Position = false;
  EXPECT_TRUE(FilterRequest(f, ohneFen));
}

TEST(RowTexts, AsTheListShowsThem) {
  TEventData k = Kopf("Kasparov", "Topalov");
  k.Site = "Wijk aan Zee NED";
  TRowTexts t = RowTexts(k, 0);
  EXPECT_EQ(t.Number, "1");
  EXPECT_EQ(t.Players, "Kasparov - Topalov");
  EXPECT_EQ(t.Source, "Linares, Wijk aan Zee NED");
  EXPECT_EQ(t.Year, "1993");
  EXPECT_EQ(t.Result, "1-0");
  k.Event = "?";
  k.Year = 0;
  t = RowTexts(k, 41);
  EXPECT_EQ(t.Number, "42");
  EXPECT_EQ(t.Source, "Wijk aan Zee NED");
  EXPECT_EQ(t.Year, "");
  k.Event = "Linares";
  k.Site = "?";
  EXPECT_EQ(RowTexts(k, 0).Source, "Linares");
  k.Event = "";
  EXPECT_EQ(RowTexts(k, 0).Source, "");
}
