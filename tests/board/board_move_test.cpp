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

const char* const Rochadestellung = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
const char* const RochadestellungS = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";

const ZugFall Zuege[] = {
    {"WhiteShort", Rochadestellung, "e1", "g1", 0, false, 1, 24, 0, 0, 0, 0},
    {"WhiteLong", Rochadestellung, "e1", "c1", 0, false, 2, 24, 0, 0, 0, 0},
    {"BlackShort", RochadestellungS, "e8", "g8", 0, false, 1, 6, 0, 0, 0, 0},
    {"BlackLong", RochadestellungS, "e8", "c8", 0, false, 2, 6, 0, 0, 0, 0},
    {"KingStep", Rochadestellung, "e1", "f1", 0, false, 0, 24, 0, 0, 0, 0},
    {"RookH1", Rochadestellung, "h1", "h5", 0, false, 0, 28, 0, 0, 0, 0},
    {"RookA1", Rochadestellung, "a1", "a5", 0, false, 0, 26, 0, 0, 0, 0},
    {"RookH8", RochadestellungS, "h8", "h5", 0, false, 0, 22, 0, 0, 0, 0},
    {"RookA8", RochadestellungS, "a8", "a5", 0, false, 0, 14, 0, 0, 0, 0},
    {"RookTakesA8", Rochadestellung, "a1", "a8", 0, false, 0, 10, 0, 0, 0, -2},
    // Capturing on a8 with a bishop still takes black's queen-side right.
    {"BishopTakesA8", "n3k3/8/8/8/8/8/6B1/4K3 w q - 0 1", "g2", "a8", 0, false, 0, 0, 0, 0, 0, -4},
    {"DoubleStep", "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "e2", "e4", 0, false, 0, 0, 45, 0, 0, 0},
    {"BlackDoubleStep", "4k3/3p4/8/8/8/8/8/4K3 b - - 0 1", "d7", "d5", 0, false, 0, 0, 74, 0, 0, 0},
    {"EnPassant", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5", "d6", 0, false, 0, 0, 0, 64, 0, 0},
    {"BlackEnPassant", "4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "d4", "e3", 0, false, 0, 0, 0, 55, 0,
     0},
    {"OrdinaryCapture", "4k3/8/3p4/4P3/8/8/8/4K3 w - - 0 1", "e5", "d6", 0, false, 0, 0, 0, 0, 0,
     -1},
    {"PromotionAsks", "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7", "b8", -1, false, 0, 0, 0, 0, 5, 0},
    {"BlackPromotionAsks", "4k3/8/8/8/8/8/1p6/4K3 b - - 0 1", "b2", "b1", -1, false, 0, 0, 0, 0, -5,
     0},
    {"PromotionGiven", "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7", "b8", 4, false, 0, 0, 0, 0, 4, 0},
    {"NoAskBelowLastRank", "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "e2", "e3", -1, false, 0, 0, 0, 0, 0,
     0},
    // The Fischer flag without Fischer information: c1 / g1 still give the kinds 4 / 3.
    {"FischerFlagShort", Rochadestellung, "e1", "g1", 0, true, 3, 24, 0, 0, 0, 0}};

TEST(ZugBauenFall, BuildsTheRecord) {
  for (const ZugFall& c : Zuege) {
    SCOPED_TRACE(c.name);
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
    // Asked for the colour of a promotion only, and only when no piece is given.
    EXPECT_EQ(gefragt, c.umwandlung == -1 ? (c.umgewandelt > 0) - (c.umgewandelt < 0) : 0);
  }
}

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
