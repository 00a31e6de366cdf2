#include "board/board_geometry.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace brevaro;

TEST(FeldUnterPunkt, FindsTheSquare) {
  const TFeldrechtecke f = FelderBerechnen(40);
  // The square number on a press and on a release (-1: outside).
  struct {
    int x, y;
    bool gedreht;
    int druecken, loslassen;
  } const faelle[] = {{5, 315, false, 0, 0},     // a1
                      {5, 315, true, 63, 63},    // rotated: h8 there
                      {40, 300, false, 0, 0},    // border a1|b1: lower index
                      {40, 280, false, 0, 0},    // corner of a1, b1, a2, b2
                      {319, 5, false, 63, 63},   // h8
                      {320, 320, false, 7, 7},   // outer corner, edges included
                      {321, 5, false, 63, -1},   // right of the board
                      {-1, 100, true, 0, -1},    // left of a rotated board
                      {100, 400, true, 0, -1}};  // below it: press falls back to display 63
  for (const auto& c : faelle) {
    EXPECT_EQ(FeldBeimDruecken(f, c.gedreht, c.x, c.y), c.druecken) << c.x << "," << c.y;
    EXPECT_EQ(FeldBeimLoslassen(f, c.gedreht, c.x, c.y), c.loslassen) << c.x << "," << c.y;
  }
}

TEST(Runden, HalvesGoToTheEvenNeighbour) {
  // 9.5, 10.5 and 16.5 go to the even neighbour.
  for (auto [z, n, e] :
       {std::tuple{19, 2, 10}, {21, 2, 10}, {33, 2, 16}, {202, 2, 101}, {7, 3, 2}, {-3, 2, -2}})
    EXPECT_EQ(RundenGerade(z, n), e) << z << "/" << n;
}

TEST(AnimationSchritte, StepsAndCounts) {
  const TFeldrechtecke f = FelderBerechnen(32);
  struct {
    int von, nach;  // display indexes at size 32
    int sh, sv;
    std::size_t zwischen;
    int durchlaeufe;
  } const faelle[] = {{0, 7, -4, 0, 55, 56},    // a1-h1: 224 px, 4 a step
                      {7, 0, 4, 0, 55, 56},     // h1-a1
                      {12, 28, 0, 4, 15, 16},   // e2-e4: 64 px
                      {52, 36, 0, -4, 15, 16},  // e7-e5
                      {2, 38, -4, 4, 31, 32},   // c1-g5 diagonal
                      {1, 11, -4, 2, 15, 16},   // b1-d2: long side horizontal
                      {5, 5, 4, 0, 0, 0}};      // same square: no pass
  for (const auto& c : faelle) {
    SCOPED_TRACE(testing::Message() << c.von << "-" << c.nach);
    const TAnimation p = AnimationPlanen(f[c.von], f[c.nach]);
    EXPECT_EQ(p.SchrittH, c.sh);
    EXPECT_EQ(p.SchrittV, c.sv);
    EXPECT_EQ(p.Zwischen.size(), c.zwischen);
    EXPECT_EQ(p.Durchlaeufe, c.durchlaeufe);
    // Every intermediate rectangle lies between the two squares.
    if (!p.Zwischen.empty()) {  // the first step and the last intermediate rectangle
      EXPECT_EQ(p.Zwischen[0], f[c.von].Verschoben(-c.sh, -c.sv));
      EXPECT_EQ(p.Zwischen.back(), f[c.nach].Verschoben(c.sh, c.sv));
    }
    for (const TRechteck& r : p.Zwischen) {
      EXPECT_GE(r.Left, std::min(f[c.von].Left, f[c.nach].Left));
      EXPECT_LE(r.Left, std::max(f[c.von].Left, f[c.nach].Left));
      EXPECT_GE(r.Top, std::min(f[c.von].Top, f[c.nach].Top));
      EXPECT_LE(r.Top, std::max(f[c.von].Top, f[c.nach].Top));
    }
  }
}

// Steps grow with the squares, so a slide takes as many passes at any size.
TEST(AnimationSchritte, ScaleWithTheSquares) {
  for (auto [g, schritt] : {std::pair{16, 4}, {33, 4}, {66, 8}, {117, 14}})
    EXPECT_EQ(AnimationsSchritt(g), schritt) << g;
  const TFeldrechtecke f = FelderBerechnen(66);
  const TAnimation p = AnimationPlanen(f[0], f[7], AnimationsSchritt(66));
  EXPECT_EQ(p.SchrittH, -8);
  EXPECT_EQ(p.Durchlaeufe, 58);  // 7 x 66 pixels, 8 a pass
}

TEST(Bildschirm, WindowIsMovedBackOntoTheScreen) {
  const TRechteck s{0, 0, 1024, 768};
  EXPECT_EQ(InDenBildschirm({100, 100}, 200, 50, s), (TPunkt{100, 100}));
  EXPECT_EQ(InDenBildschirm({900, 100}, 200, 50, s), (TPunkt{824, 100}));
  EXPECT_EQ(InDenBildschirm({900, 750}, 200, 50, s), (TPunkt{824, 718}));
  EXPECT_EQ(InDenBildschirm({-20, -5}, 200, 50, s), (TPunkt{0, 0}));
}
