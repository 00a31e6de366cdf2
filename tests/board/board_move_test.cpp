#include "board/board_move.h"

#include <gtest/gtest.h>

#include "board_test_util.h"

#include <string>

using namespace brevaro;
using namespace brevaro::test;

struct ZugFall {
  const char* name;
  const char* fen;
  const char* von;
  const char* nach;
  int umwandlung;  // -1 asks
  bool fischer;
  // expected
  uint8_t rochade;
  uint8_t rechte;
  int enPassant;     // mailbox, 0 none
  int epSchlagfeld;  // mailbox, 0 none
  int umgewandelt;
  int geschlagen;
};

class ZugBauenFall : public ::testing::TestWithParam<ZugFall> {};

TEST_P(ZugBauenFall, BuildsTheRecord) {
  const ZugFall& c = GetParam();
  TZug zug;
  const TSchachbrett b = AusFen(c.fen, zug);
  zug.Zeichen = Schach;
  zug.Zugbewertung = 3;
  const int8_t seite = zug.AmZug;
  int gefragt = 0;
  ZugBauen(b, zug, I(c.von), I(c.nach), c.umwandlung, c.fischer, nullptr, [&](int farbe) {
    gefragt = farbe;
    return 5 * farbe;
  });
  EXPECT_EQ(zug.Von, I(c.von));
  EXPECT_EQ(zug.Nach, I(c.nach));
  EXPECT_EQ(zug.Rochade, c.rochade);
  EXPECT_EQ(zug.Rochaderechte, c.rechte);
  EXPECT_EQ(zug.EnPassant, c.enPassant);
  EXPECT_EQ(zug.EPSchlagfeld, c.epSchlagfeld);
  EXPECT_EQ(zug.Umwandlung, c.umgewandelt);
  EXPECT_EQ(zug.Geschlagen, c.geschlagen);
  EXPECT_EQ(zug.Zeichen, 0);
  EXPECT_EQ(zug.Zugbewertung, 0);
  EXPECT_EQ(zug.AmZug, -seite);
  if (c.umwandlung == -1 && c.umgewandelt != 0) {
    EXPECT_EQ(gefragt, c.umgewandelt > 0 ? 1 : -1);
  }
  if (c.umwandlung != -1) {
    EXPECT_EQ(gefragt, 0);
  }
}

const char* const Rochadestellung = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
const char* const RochadestellungS = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";

INSTANTIATE_TEST_SUITE_P(
    Zuege, ZugBauenFall,
    ::testing::Values(
        ZugFall{"WhiteShort", Rochadestellung, "e1", "g1", 0, false, 1, 24, 0, 0, 0, 0},
        ZugFall{"WhiteLong", Rochadestellung, "e1", "c1", 0, false, 2, 24, 0, 0, 0, 0},
        ZugFall{"BlackShort", RochadestellungS, "e8", "g8", 0, false, 1, 6, 0, 0, 0, 0},
        ZugFall{"BlackLong", RochadestellungS, "e8", "c8", 0, false, 2, 6, 0, 0, 0, 0},
        ZugFall{"KingStep", Rochadestellung, "e1", "f1", 0, false, 0, 24, 0, 0, 0, 0},
        ZugFall{"RookH1", Rochadestellung, "h1", "h5", 0, false, 0, 28, 0, 0, 0, 0},
        ZugFall{"RookA1", Rochadestellung, "a1", "a5", 0, false, 0, 26, 0, 0, 0, 0},
        ZugFall{"RookH8", RochadestellungS, "h8", "h5", 0, false, 0, 22, 0, 0, 0, 0},
        ZugFall{"RookA8", RochadestellungS, "a8", "a5", 0, false, 0, 14, 0, 0, 0, 0},
        ZugFall{"RookTakesA8", Rochadestellung, "a1", "a8", 0, false, 0, 10, 0, 0, 0, -2},
        // Capturing on a8 with a bishop still takes black's queen-side right.
        ZugFall{"BishopTakesA8", "n3k3/8/8/8/8/8/6B1/4K3 w q - 0 1", "g2", "a8", 0, false, 0, 0, 0,
                0, 0, -4},
        ZugFall{"DoubleStep", "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "e2", "e4", 0, false, 0, 0, 45, 0,
                0, 0},
        ZugFall{"BlackDoubleStep", "4k3/3p4/8/8/8/8/8/4K3 b - - 0 1", "d7", "d5", 0, false, 0, 0,
                74, 0, 0, 0},
        ZugFall{"EnPassant", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5", "d6", 0, false, 0, 0, 0, 64,
                0, 0},
        ZugFall{"BlackEnPassant", "4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "d4", "e3", 0, false, 0, 0,
                0, 55, 0, 0},
        ZugFall{"PawnCapture", "4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1", "e5", "d6", 0, false, 0, 0, 0,
                64, 0, 0},
        ZugFall{"OrdinaryCapture", "4k3/8/3p4/4P3/8/8/8/4K3 w - - 0 1", "e5", "d6", 0, false, 0, 0,
                0, 0, 0, -1},
        ZugFall{"PromotionAsks", "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7", "b8", -1, false, 0, 0, 0,
                0, 5, 0},
        ZugFall{"BlackPromotionAsks", "4k3/8/8/8/8/8/1p6/4K3 b - - 0 1", "b2", "b1", -1, false, 0,
                0, 0, 0, -5, 0},
        ZugFall{"PromotionGiven", "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7", "b8", 4, false, 0, 0, 0,
                0, 4, 0},
        ZugFall{"NoAskBelowLastRank", "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "e2", "e3", -1, false, 0,
                0, 0, 0, 0, 0},
        // The Fischer flag without Fischer information: c1 / g1 still give the kinds 4 / 3.
        ZugFall{"FischerFlagShort", Rochadestellung, "e1", "g1", 0, true, 3, 24, 0, 0, 0, 0}),
    [](const auto& fall) { return std::string(fall.param.name); });

TEST(ZugBauenFischer, UsesTheStartSquaresOfTheGame) {
  // Fischer Random start: king b1, rooks a1 and c1 (and on the black side).
  TZug zug;
  TSchachbrett b = AusFen("rkr5/8/8/8/8/8/8/RKR5 w KQkq - 0 1", zug);
  TFischerInfo info{1, 21, 23, 91, 93, 22, 92};
  TZug z = zug;
  ZugBauen(b, z, 22, 27, 0, true, &info, nullptr);  // king b1 to g1 with Ctrl
  EXPECT_EQ(z.Rochade, FischerKurz);
  EXPECT_EQ(z.Rochaderechte & (WeissKurz | WeissLang), 0);
  z = zug;
  ZugBauen(b, z, 22, 23, 0, true, &info, nullptr);  // b1 to c1: long castling
  EXPECT_EQ(z.Rochade, FischerLang);
  z = zug;
  ZugBauen(b, z, 22, 27, 0, false, &info, nullptr);  // without Ctrl: start square e1 only
  EXPECT_EQ(z.Rochade, KeineRochade);
  z = zug;
  ZugBauen(b, z, 23, 24, 0, false, &info, nullptr);  // rook c1 is the king-side rook
  EXPECT_EQ(z.Rochaderechte, AlleRochaderechte & ~WeissKurz);
  z = zug;
  ZugBauen(b, z, 21, 31, 0, false, &info, nullptr);  // rook a1: queen side
  EXPECT_EQ(z.Rochaderechte, AlleRochaderechte & ~WeissLang);
  // A record without the Fischer flag counts as standard chess.
  const TFischerInfo leer{};
  b = AusFen(Rochadestellung, zug);
  ZugBauen(b, zug, 28, 38, 0, false, &leer, nullptr);  // h1 rook moves
  EXPECT_EQ(zug.Rochaderechte, AlleRochaderechte & ~WeissKurz);
}
