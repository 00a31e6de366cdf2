// The game list's filter decision on start positions and its row texts.
// GCC 12 warns falsely (-Wrestrict) about std::string code it inlines in
// optimised builds of these tests.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ == 12
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
#include "collections/game_list.h"

#include <gtest/gtest.h>

#include <tuple>

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

// The filter fields are checked end to end by the game list window's tests;
// here the parts it cannot reach: an unreadable FEN and the row texts.
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
  EXPECT_EQ(std::tie(t.Number, t.Players, t.Source, t.Year, t.Result),
            std::tie("1", "Kasparov - Topalov", "Linares, Wijk aan Zee NED", "1993", "1-0"));
  k.Event = "?";
  k.Year = 0;
  t = RowTexts(k, 41);
  EXPECT_EQ(std::tie(t.Number, t.Source, t.Year), std::tie("42", "Wijk aan Zee NED", ""));
  k.Event = "Linares";
  k.Site = "?";
  EXPECT_EQ(RowTexts(k, 0).Source, "Linares");
  k.Event = "";
  EXPECT_EQ(RowTexts(k, 0).Source, "");
}

TEST(RowTexts, CutValuesAreMarkedAndFilteredByTheirStart) {
  TEventData k = Kopf(std::string(ListenWertGrenze, 'a'), "Topalov");
  k.Site = std::string(ListenWertGrenze, '\xE9');  // Windows-1252
  TRowTexts t = RowTexts(k, 0, gkWhite | gkSite);
  EXPECT_EQ(t.Players, std::string(ListenWertGrenze, 'a') + "\xE2\x80\xA6 - Topalov");
  EXPECT_EQ(t.Source, "Linares, " + k.Site + "\x85");
  EXPECT_EQ(RowTexts(k, 0).Players, k.White + " - Topalov");
  // The filter looks at the first ListenWertGrenze bytes of a value only.
  TFilterSettings f = An();
  f.Player = "Kasparov";
  k.White = std::string(ListenWertGrenze - 4, 'x') + "Kasparov";
  EXPECT_FALSE(FilterRequest(f, k));
  f.Player = "Kasp";
  EXPECT_TRUE(FilterRequest(f, k));
}
