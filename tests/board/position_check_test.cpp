#include "board/position_check.h"

#include <gtest/gtest.h>

#include "board_test_util.h"

#include <string>

using namespace brevaro;
using namespace brevaro::test;

namespace {

TSchachbrett Brett(const std::string& platzierung, TZug* zug = nullptr) {
  TSchachbrett b = LeeresBrett;
  TZug z;
  uint16_t n = 1;
  EXPECT_TRUE(FENToStellung(platzierung + " w - - 0 1", b, z, n)) << platzierung;
  if (zug) *zug = z;
  return b;
}

}  // namespace

// Pawns in both directions, sliders free and blocked, king, knight, a corner.
TEST(Angegriffen, ByEachKindOfPiece) {
  struct {
    const char* platzierung;
    int koenig;  // 6 or -6
    const char* feld;
    bool angegriffen;
  } const faelle[] = {
      {"8/8/8/3p4/4K3/8/8/8", 6, "e4", true},   {"8/8/8/8/4K3/3p4/8/8", 6, "e4", false},
      {"8/8/8/4k3/3P4/8/8/8", -6, "e5", true},  {"8/8/3P4/4k3/8/8/8/8", -6, "e5", false},
      {"8/8/2p5/8/4K3/8/8/8", 6, "e4", false},  {"7b/8/8/8/3K4/8/8/8", 6, "d4", true},
      {"7b/8/5P2/8/3K4/8/8/8", 6, "d4", false}, {"8/8/8/8/3K4/8/1q6/8", 6, "d4", true},
      {"3r4/8/8/8/3K4/8/8/8", 6, "d4", true},   {"3r4/8/3N4/8/3K4/8/8/8", 6, "d4", false},
      {"8/8/8/8/Q6k/8/8/8", -6, "h4", true},    {"8/8/8/8/3K4/8/1r6/8", 6, "d4", false},
      {"3b4/8/8/8/3K4/8/8/8", 6, "d4", false},  {"8/8/8/3k4/3K4/8/8/8", 6, "d4", true},
      {"8/8/3k4/8/3K4/8/8/8", 6, "d4", false},  {"8/8/8/8/3K4/8/2n5/8", 6, "d4", true},
      {"8/8/8/8/3K4/8/2N5/8", 6, "d4", false},  {"8/8/8/8/8/8/8/K7", 6, "a1", false},
  };
  for (const auto& c : faelle)
    EXPECT_EQ(Angegriffen(Brett(c.platzierung), c.koenig, I(c.feld)), c.angegriffen)
        << c.platzierung;
}

TEST(StellungPruefen, Plausibility) {
  struct {
    const char* platzierung;
    int amZug;
    bool plausibel;
  } const faelle[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR", 1, true},
      {"4k3/8/8/8/8/8/8/4K3", 1, true},
      {"4k3/8/8/8/8/8/8/8", 1, false},
      {"8/8/8/8/8/8/8/8", 1, false},
      {"4k3/8/8/8/8/8/8/K3K3", 1, false},
      {"1P2k3/8/8/8/8/8/8/4K3", 1, false},
      {"4k3/8/8/8/8/8/8/p3K3", 1, false},
      {"4k3/8/8/8/8/8/QQQQQ3/QQQQK3", -1, true},
      {"4k3/8/8/8/8/8/QQQQQQ2/QQQQK3", -1, false},
      {"4k3/8/8/8/8/QQ6/PPPPPPPP/4K3", 1, false},
      {"4k3/8/8/8/8/8/PPPPPPPP/3QK3", 1, true},
      {"4k3/8/8/8/8/8/PPPPPPP1/RRR1K3", 1, true},
      {"4k3/8/8/8/8/8/PPPPPPPP/RRR1K3", 1, false},
      {"4k3/8/8/8/8/P7/PPPPPPPP/4K3", 1, false},
      {"4k3/8/8/8/8/NNN5/PPPPPPPP/RNBQKBNR", 1, false},
      {"8/8/8/8/8/8/8/3kK3", 1, false},
      {"8/8/8/8/8/8/8/3kK3", -1, false},
      {"4k3/8/8/8/8/8/8/4RK2", 1, false},
      {"4k3/8/8/8/8/8/8/4RK2", -1, true},
      {"4k3/8/8/8/8/8/3p4/4K3", -1, false},
      {"4k3/8/8/8/8/8/3p4/4K3", 1, true},
  };
  for (const auto& c : faelle) {
    TZug z;
    const TSchachbrett b = Brett(c.platzierung, &z);
    z.AmZug = static_cast<int8_t>(c.amZug);
    EXPECT_EQ(StellungPruefen(b, z), c.plausibel) << c.platzierung << " " << c.amZug;
  }
}

TEST(RochadeMoeglich, KingAndRookOnTheirHomeSquares) {
  const TSchachbrett b = Brett("r3k2r/8/8/8/8/8/8/R3K2R");
  for (uint8_t r : {WeissKurz, WeissLang, SchwarzKurz, SchwarzLang})
    EXPECT_TRUE(RochadeMoeglich(b, r));
  const TSchachbrett k = Brett("r3k3/8/8/8/8/8/8/R4K1R");
  EXPECT_FALSE(RochadeMoeglich(k, WeissKurz));
  EXPECT_FALSE(RochadeMoeglich(k, WeissLang));
  EXPECT_FALSE(RochadeMoeglich(k, SchwarzKurz));
  EXPECT_TRUE(RochadeMoeglich(k, SchwarzLang));
  // A rook of the other colour on the corner does not count.
  EXPECT_FALSE(RochadeMoeglich(Brett("4k3/8/8/8/8/8/8/4K2r"), WeissKurz));
}

TEST(NaechsteAufbauFigur, Cycle) {
  int f = Koenig;
  for (int e : {5, 4, 3, 2, 1, -6, -5, -4, -3, -2, -1, 6}) EXPECT_EQ(f = NaechsteAufbauFigur(f), e);
}

TEST(ZugAusEingaben, EnPassantSquareAndSide) {
  struct {
    const char* platzierung;
    bool weiss;
    const char* ep;
    int feld;  // mailbox, 0 none
  } const faelle[] = {
      {"4k3/8/8/3p4/8/8/8/4K3", true, "d", 74},  {"4k3/8/8/3p4/8/8/8/4K3", true, "D", 74},
      {"4k3/3n4/8/3p4/8/8/8/4K3", true, "d", 0}, {"4k3/8/3n4/3p4/8/8/8/4K3", true, "d", 0},
      {"4k3/8/8/8/8/8/8/4K3", true, "d", 0},     {"4k3/8/8/8/4P3/8/8/4K3", false, "e", 45},
      {"4k3/8/8/3p4/8/8/8/4K3", false, "d", 0},  {"4k3/8/8/3p4/8/8/8/4K3", true, "x", 0},
      {"4k3/8/8/3p4/8/8/8/4K3", true, "", 0},
  };
  for (const auto& c : faelle) {
    TZug z;
    const TSchachbrett b = Brett(c.platzierung, &z);
    z.EnPassant = 77;
    ZugAusEingaben(b, z, {true, false, true, false}, c.weiss, c.ep);
    EXPECT_EQ(z.EnPassant, c.feld) << c.platzierung << " " << c.ep;
    EXPECT_EQ(z.AmZug, c.weiss ? 1 : -1);
  }
}

TEST(ZugAusEingaben, CastlingBoxesSetAndClearTheirBitsOnly) {
  TZug z;
  z.Rochaderechte = 1 | WeissLang | SchwarzKurz;
  ZugAusEingaben(LeeresBrett, z, {true, false, false, true}, true, "");
  EXPECT_EQ(z.Rochaderechte, 1 | WeissKurz | SchwarzLang);
}
