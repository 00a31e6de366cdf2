#include "board/stellungpruefen.h"

#include <gtest/gtest.h>

#include <string>

using namespace brevaro;

namespace {

TSchachbrett Brett(const std::string& platzierung, TZug* zug = nullptr) {
  TSchachbrett b = LeeresBrett;
  TZug z;
  uint16_t n = 1;
  EXPECT_TRUE(FENToStellung(platzierung + " w - - 0 1", b, z, n)) << platzierung;
  if (zug) *zug = z;
  return b;
}

int I(const char* feld) {
  return (feld[0] - 'a') + 21 + 10 * (feld[1] - '1');
}

}  // namespace

struct AngriffFall {
  const char* name;
  const char* platzierung;
  int koenig;  // 6 or -6
  const char* feld;
  bool angegriffen;
};

class AngegriffenFall : public ::testing::TestWithParam<AngriffFall> {};

TEST_P(AngegriffenFall, Attack) {
  const AngriffFall& c = GetParam();
  EXPECT_EQ(Angegriffen(Brett(c.platzierung), c.koenig, I(c.feld)), c.angegriffen);
}

INSTANTIATE_TEST_SUITE_P(
    Angriffe, AngegriffenFall,
    ::testing::Values(
        AngriffFall{"BlackPawnAttacksWhiteKingFromAbove", "8/8/8/3p4/4K3/8/8/8", 6, "e4", true},
        AngriffFall{"BlackPawnBelowDoesNot", "8/8/8/8/4K3/3p4/8/8", 6, "e4", false},
        AngriffFall{"WhitePawnAttacksBlackKingFromBelow", "8/8/8/4k3/3P4/8/8/8", -6, "e5", true},
        AngriffFall{"WhitePawnAboveDoesNot", "8/8/3P4/4k3/8/8/8/8", -6, "e5", false},
        AngriffFall{"PawnTwoSquaresAwayDoesNot", "8/8/2p5/8/4K3/8/8/8", 6, "e4", false},
        AngriffFall{"BishopFar", "7b/8/8/8/3K4/8/8/8", 6, "d4", true},
        AngriffFall{"BishopBlocked", "7b/8/5P2/8/3K4/8/8/8", 6, "d4", false},
        AngriffFall{"QueenDiagonal", "8/8/8/8/3K4/8/1q6/8", 6, "d4", true},
        AngriffFall{"RookOnLine", "3r4/8/8/8/3K4/8/8/8", 6, "d4", true},
        AngriffFall{"RookBlockedByOwnPiece", "3r4/8/3N4/8/3K4/8/8/8", 6, "d4", false},
        AngriffFall{"QueenOnRank", "8/8/8/8/Q6k/8/8/8", -6, "h4", true},
        AngriffFall{"RookDoesNotMoveDiagonally", "8/8/8/8/3K4/8/1r6/8", 6, "d4", false},
        AngriffFall{"BishopDoesNotMoveStraight", "3b4/8/8/8/3K4/8/8/8", 6, "d4", false},
        AngriffFall{"KingNext", "8/8/8/3k4/3K4/8/8/8", 6, "d4", true},
        AngriffFall{"KingTwoAway", "8/8/3k4/8/3K4/8/8/8", 6, "d4", false},
        AngriffFall{"Knight", "8/8/8/8/3K4/8/2n5/8", 6, "d4", true},
        AngriffFall{"KnightOwnColour", "8/8/8/8/3K4/8/2N5/8", 6, "d4", false},
        AngriffFall{"CornerKingAlone", "8/8/8/8/8/8/8/K7", 6, "a1", false}),
    [](const auto& fall) { return std::string(fall.param.name); });

struct PruefFall {
  const char* name;
  const char* platzierung;
  int amZug;
  bool plausibel;
};

class StellungPruefenFall : public ::testing::TestWithParam<PruefFall> {};

TEST_P(StellungPruefenFall, Plausibility) {
  const PruefFall& c = GetParam();
  TZug z;
  const TSchachbrett b = Brett(c.platzierung, &z);
  z.AmZug = static_cast<int8_t>(c.amZug);
  EXPECT_EQ(StellungPruefen(b, z), c.plausibel);
}

INSTANTIATE_TEST_SUITE_P(
    Stellungen, StellungPruefenFall,
    ::testing::Values(
        PruefFall{"Initial", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR", 1, true},
        PruefFall{"TwoKings", "4k3/8/8/8/8/8/8/4K3", 1, true},
        PruefFall{"NoWhiteKing", "4k3/8/8/8/8/8/8/8", 1, false},
        PruefFall{"NoKings", "8/8/8/8/8/8/8/8", 1, false},
        PruefFall{"TwoWhiteKings", "4k3/8/8/8/8/8/8/K3K3", 1, false},
        PruefFall{"WhitePawnOnRank8", "1P2k3/8/8/8/8/8/8/4K3", 1, false},
        PruefFall{"BlackPawnOnRank1", "4k3/8/8/8/8/8/8/p3K3", 1, false},
        PruefFall{"NineQueensNoPawns", "4k3/8/8/8/8/8/QQQQQ3/QQQQK3", -1, true},
        PruefFall{"TenQueens", "4k3/8/8/8/8/8/QQQQQQ2/QQQQK3", -1, false},
        PruefFall{"EightPawnsTwoQueens", "4k3/8/8/8/8/QQ6/PPPPPPPP/4K3", 1, false},
        PruefFall{"EightPawnsOneQueen", "4k3/8/8/8/8/8/PPPPPPPP/3QK3", 1, true},
        PruefFall{"ThreeRooksSevenPawns", "4k3/8/8/8/8/8/PPPPPPP1/RRR1K3", 1, true},
        PruefFall{"ThreeRooksEightPawns", "4k3/8/8/8/8/8/PPPPPPPP/RRR1K3", 1, false},
        PruefFall{"NinePawns", "4k3/8/8/8/8/P7/PPPPPPPP/4K3", 1, false},
        PruefFall{"SeventeenPieces", "4k3/8/8/8/8/NNN5/PPPPPPPP/RNBQKBNR", 1, false},
        PruefFall{"KingsSideBySide", "8/8/8/8/8/8/8/3kK3", 1, false},
        PruefFall{"KingsSideBySideBlackToMove", "8/8/8/8/8/8/8/3kK3", -1, false},
        PruefFall{"BlackInCheckWhiteToMove", "4k3/8/8/8/8/8/8/4RK2", 1, false},
        PruefFall{"BlackInCheckBlackToMove", "4k3/8/8/8/8/8/8/4RK2", -1, true},
        PruefFall{"WhiteInCheckFromPawnBlackToMove", "4k3/8/8/8/8/8/3p4/4K3", -1, false},
        PruefFall{"WhiteInCheckFromPawnWhiteToMove", "4k3/8/8/8/8/8/3p4/4K3", 1, true}),
    [](const auto& fall) { return std::string(fall.param.name); });

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
  const int erwartet[] = {5, 4, 3, 2, 1, -6, -5, -4, -3, -2, -1, 6};
  for (int e : erwartet) {
    f = NaechsteAufbauFigur(f);
    EXPECT_EQ(f, e);
  }
}

struct EpFall {
  const char* name;
  const char* platzierung;
  bool weiss;
  const char* ep;
  int feld;  // mailbox, 0 none
};

class EnPassantFall : public ::testing::TestWithParam<EpFall> {};

TEST_P(EnPassantFall, Square) {
  const EpFall& c = GetParam();
  TZug z;
  z.EnPassant = 77;
  const TSchachbrett b = Brett(c.platzierung, &z);
  z.EnPassant = 77;
  ZugAusEingaben(b, z, {true, false, true, false}, c.weiss, c.ep);
  EXPECT_EQ(z.EnPassant, c.feld);
  EXPECT_EQ(z.AmZug, c.weiss ? 1 : -1);
}

INSTANTIATE_TEST_SUITE_P(
    EnPassant, EnPassantFall,
    ::testing::Values(EpFall{"BlackPawnD5", "4k3/8/8/3p4/8/8/8/4K3", true, "d", 74},
                      EpFall{"UpperCase", "4k3/8/8/3p4/8/8/8/4K3", true, "D", 74},
                      EpFall{"D7Occupied", "4k3/3n4/8/3p4/8/8/8/4K3", true, "d", 0},
                      EpFall{"D6Occupied", "4k3/8/3n4/3p4/8/8/8/4K3", true, "d", 0},
                      EpFall{"NoPawn", "4k3/8/8/8/8/8/8/4K3", true, "d", 0},
                      EpFall{"WhitePawnE4", "4k3/8/8/8/4P3/8/8/4K3", false, "e", 45},
                      EpFall{"WrongSide", "4k3/8/8/3p4/8/8/8/4K3", false, "d", 0},
                      EpFall{"NotAFile", "4k3/8/8/3p4/8/8/8/4K3", true, "x", 0},
                      EpFall{"Empty", "4k3/8/8/3p4/8/8/8/4K3", true, "", 0}),
    [](const auto& fall) { return std::string(fall.param.name); });

TEST(ZugAusEingaben, CastlingBoxesSetAndClearTheirBitsOnly) {
  TZug z;
  z.Rochaderechte = 1 | WeissLang | SchwarzKurz;
  ZugAusEingaben(LeeresBrett, z, {true, false, false, true}, true, "");
  EXPECT_EQ(z.Rochaderechte, 1 | WeissKurz | SchwarzLang);
}
