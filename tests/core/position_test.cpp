#include "core/position.h"

#include <gtest/gtest.h>

using namespace brevaro;

TEST(Fen, StartPositionRoundTrip) {
  const std::string start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  EXPECT_EQ(StellungToFEN(GrundstellungBrett, GrundstellungZug(), 1, false), start);
  TSchachbrett b = LeeresBrett;
  TZug z;
  uint16_t n = 0;
  ASSERT_TRUE(FENToStellung(start, b, z, n));
  EXPECT_EQ(b, GrundstellungBrett);
  EXPECT_EQ(z.Rochaderechte, 30);
  EXPECT_EQ(n, 1);
}
