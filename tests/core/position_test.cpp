// Square numberings, the fixed boards, and FEN in and out.
#include "core/position.h"

#include <gtest/gtest.h>

#include "fen_setup.h"

#include <string>

using namespace brevaro;

namespace {

constexpr const char* kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

bool RandIntakt(const TSchachbrett& b) {
  for (int i = 0; i < 120; ++i) {
    const bool rand = i < 21 || i > 98 || i % 10 == 0 || i % 10 == 9;
    if (rand && b[i] != Rand) return false;
    if (!rand && (b[i] < -6 || b[i] > 6)) return false;
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Square numberings and fixed boards

TEST(Squares, NumberingsAreInverseAndFixedBoardsKeepTheirBorder) {
  EXPECT_EQ(FeldIndex(0), 21);
  EXPECT_EQ(FeldIndex(63), 98);
  for (int n = 0; n < 64; ++n) {
    const uint8_t m = FeldIndex(static_cast<uint8_t>(n));
    EXPECT_EQ(FeldNummer(m), n);
    EXPECT_EQ(Feldnamen[n], FeldnameVonIndex(m));
    EXPECT_EQ(Feldnamen[n], (std::string{char('a' + n % 8), char('1' + n / 8)}));
  }
  for (int rand : {0, 20, 200}) EXPECT_EQ(FeldnameVonIndex(static_cast<uint8_t>(rand)), "");
  // Their pieces are checked through FEN below.
  EXPECT_TRUE(RandIntakt(LeeresBrett));
  EXPECT_TRUE(RandIntakt(GrundstellungBrett));
}

// ---------------------------------------------------------------------------
// FEN output

TEST(FenWriter, FischerMarkRightsOrderAndBadEnPassant) {
  TSchachbrett b = GrundstellungBrett;
  b[35] = Leer;
  b[55] = Bauer;
  TZug z = GrundstellungZug();
  z.AmZug = -1;
  z.EnPassant = 45;
  // The Fischer Random mark replaces the en-passant field.
  EXPECT_EQ(StellungToFEN(b, z, 7, true),
            "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq f1 0 7");
  z = TZug();
  z.Rochaderechte = SchwarzLang | WeissKurz;
  z.EnPassant = 9;  // a border square is not written
  EXPECT_EQ(StellungToFEN(LeeresBrett, z, 12, false), "8/8/8/8/8/8/8/8 w Kq - 0 12");
}

// ---------------------------------------------------------------------------
// FEN input

TEST(FenReader, StartPositionAndFischerRandomMark) {
  TSchachbrett b = LeeresBrett;
  TZug z;
  z.Von = 33;
  z.Nach = 44;
  z.Geschlagen = 5;
  z.Zeichen = 64;
  z.Stellungsbewertung = 14;
  uint16_t n = 0;
  ASSERT_TRUE(FENToStellung(kStart, b, z, n));
  EXPECT_EQ(b, GrundstellungBrett);
  EXPECT_EQ(z.Rochaderechte, 30);
  EXPECT_EQ(z.AmZug, 1);
  EXPECT_EQ(z.EnPassant, 0);
  EXPECT_EQ(n, 1);
  // Bytes 5..10 are cleared; Von, Nach and Stellungsbewertung are kept.
  EXPECT_EQ(z.Geschlagen, 0);
  EXPECT_EQ(z.Zeichen, 0);
  EXPECT_EQ(z.Von, 33);
  EXPECT_EQ(z.Nach, 44);
  EXPECT_EQ(uint16_t{z.Stellungsbewertung}, 14);  // a copy: the field is packed

  TFischerInfo f;
  // The last word overrides the move number 1 of the mark.
  ASSERT_TRUE(
      FENToStellung("bqnbrkrn/pppppppp/8/8/8/8/PPPPPPPP/BQNBRKRN w KQkq f1 0 17", b, z, n, &f));
  EXPECT_EQ(n, 17);

  // A later standard FEN clears the flag and the rooks.
  ASSERT_TRUE(FENToStellung("4k3/8/8/8/8/8/8/4K3 w - - 0 3", b, z, n, &f));
  EXPECT_EQ(f.Fischer, 0);
  EXPECT_EQ(f.WeissTurm1, 0);
  EXPECT_EQ(f.SchwarzTurm2, 0);
  EXPECT_EQ(f.WeissKoenig, 25);

  // Without an info record the mark is read and nothing else happens.
  ASSERT_TRUE(FENToStellung("bqnbrkrn/pppppppp/8/8/8/8/PPPPPPPP/BQNBRKRN w KQkq f1 0 9", b, z, n));
  EXPECT_EQ(z.EnPassant, 0);
  EXPECT_EQ(n, 9);
}

struct LeseFall {
  const char* fen;
  bool gelesen;
  const char* stellung;  // the FEN written after reading, without its move number
                         // ("": the FEN as read)
  uint16_t nummer;       // the move number after reading; it is 5 before
};

class FenInput : public testing::TestWithParam<LeseFall> {};

TEST_P(FenInput, ReadsOrRefusesWithoutTouchingTheBoard) {
  const LeseFall& f = GetParam();
  TSchachbrett b = GrundstellungBrett;
  TZug z;
  uint16_t n = 5;
  EXPECT_EQ(FENToStellung(f.fen, b, z, n), f.gelesen);
  EXPECT_EQ(n, f.nummer);
  if (!f.gelesen) {
    EXPECT_EQ(b, GrundstellungBrett);
    return;
  }
  // The en-passant field is none or a square of the board.
  EXPECT_TRUE(z.EnPassant == 0 || !FeldnameVonIndex(z.EnPassant).empty()) << int{z.EnPassant};
  const std::string fen = StellungToFEN(b, z, 1, false);
  const std::string gelesen(f.fen);
  EXPECT_EQ(fen.substr(0, fen.size() - 2),  // written with number 1
            *f.stellung ? f.stellung : gelesen.substr(0, gelesen.rfind(' ')));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FenInput,
    testing::Values(
        LeseFall{"8888/8/8/8/8 w - - 0 1", true, "8/8/8/8/8/8/8/8 w - - 0", 1},
        // Only the placement: side +1, no rights, move number kept.
        LeseFall{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR", true,
                 "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0", 5},
        // Blanks before it, and a side to move that ends the text.
        LeseFall{" \t4k3/8/8/8/8/8/8/4K3 b", true, "4k3/8/8/8/8/8/8/4K3 b - - 0", 5},
        // Shredder-FEN rook files give the rights; their "b" is no side to move.
        LeseFall{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 4", true,
                 "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0", 4},
        // A castling field that ends the text is read whole.
        LeseFall{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", true,
                 "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0", 5},
        // "9", "0" and "x" stand for one empty square each; the scan ends once
        // 64 squares are filled, so a ninth rank is not read.
        LeseFall{"9k6/8/8/8/8/8/8/x0K5 w - - 0 1", true, "1k6/8/8/8/8/8/8/2K5 w - - 0", 1},
        LeseFall{"8/8/8/8/8/8/8/8/8 w - - 0 1", true, "8/8/8/8/8/8/8/8 w - - 0", 1},
        // Move numbers out of range are not taken.
        LeseFall{"8/8/8/8/8/8/8/8 w - - 0 65535", true, "8/8/8/8/8/8/8/8 w - - 0", 65535},
        LeseFall{"8/8/8/8/8/8/8/8 w - - 0 65536", true, "8/8/8/8/8/8/8/8 w - - 0", 5},
        LeseFall{"8/8/8/8/8/8/8/8 w - - 0 -3", true, "8/8/8/8/8/8/8/8 w - - 0", 5},
        LeseFall{"8/8/8/8/8/8/8/8 w - - 0 99999999999999999999999", true, "8/8/8/8/8/8/8/8 w - - 0",
                 5},
        // Written back as read.
        LeseFall{kStart, true, "", 1},
        LeseFall{"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b Kq - 0 1", true, "", 1},
        LeseFall{"8/8/8/8/8/8/8/8 b - - 0 300", true, "", 300},
        // The en-passant square: its rank comes from the side to move.
        LeseFall{"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", true, "", 1},
        LeseFall{"rnbqkbnr/ppppppp1/8/7p/8/8/PPPPPPPP/RNBQKBNR w KQkq h6 0 1", true, "", 1},
        LeseFall{"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 41", true, "", 41},
        LeseFall{"rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e3 0 1", true,
                 "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0", 1},
        LeseFall{"rnbqkbnr/pppppppp/8/8/P7/8/1PPPPPPP/RNBQKBNR b KQkq A3 0 1", true,
                 "rnbqkbnr/pppppppp/8/8/P7/8/1PPPPPPP/RNBQKBNR b KQkq a3 0", 1},
        // No pawn has just stepped past the square, or a letter past h: none.
        LeseFall{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq h6 0 1", true,
                 "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0", 1},
        LeseFall{"rnbqkbnr/ppppppp1/7p/7p/8/8/PPPPPPPP/RNBQKBNR w KQkq h6 0 1", true,
                 "rnbqkbnr/ppppppp1/7p/7p/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0", 1},
        LeseFall{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq z6 0 1", true,
                 "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0", 1},
        // The side named last sets the rank, also for a square named before it.
        LeseFall{"4k3/8/8/8/8/8/5p2/4K3 b - f3 w 1", true, "4k3/8/8/8/8/8/5p2/4K3 w - - 0", 1},
        // The Fischer Random mark takes the en-passant field: a square named
        // beside it is none, as the mark is all that can be written back.
        LeseFall{"rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 f1 0 1", true,
                 "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0", 1},
        LeseFall{"", false, "", 5}, LeseFall{"8/8/8/8/8/8/8 w - - 0 1", false, "", 5},
        LeseFall{"k/8/8/8/8/8/8/8/8 w - - 0 1", false, "", 5},   // eight before 64 squares
        LeseFall{"8k/8/8/8/8/8/8/8 w - - 0 1", false, "", 5}));  // a piece past h8

TEST(FenReader, DigitsPastTheBoardAndHugeTexts) {
  TSchachbrett b = LeeresBrett;
  TZug z;
  uint16_t n = 1;
  // A rank of more than eight squares runs on into the next rank.
  ASSERT_TRUE(FENToStellung("8/8/8/8/8/8/8/8 w - - 0 1", b, z, n));
  EXPECT_FALSE(FENToStellung("8/8/8/8/8/8/8/88888888k w", b, z, n));
  EXPECT_TRUE(RandIntakt(b));

  // Millions of separators: the counters must not overflow.
  std::string riesig(3'000'000, '/');
  riesig += "k w - - 0 1";
  EXPECT_FALSE(FENToStellung(riesig, b, z, n));
  std::string ziffern(3'000'000, '7');
  EXPECT_FALSE(FENToStellung(ziffern, b, z, n));
  EXPECT_TRUE(RandIntakt(b));
}

// Chess960 castling fields: the style, the rights, the castling rooks, and
// the field written back in the same style.
struct FischerFenFall {
  const char* name;
  const char* fen;
  uint8_t stil;
  uint8_t rechte;
  const char* figuren;  // WeissTurm1 WeissTurm2 WeissKoenig, the same for black; "-" for 0
  const char* zurueck;  // written with the game's style ("" : as read)
};

class FischerFen : public testing::TestWithParam<FischerFenFall> {};

std::string Feldname(uint8_t index) {
  return index == 0 ? "-" : std::string(FeldnameVonIndex(index));
}

TEST_P(FischerFen, ReadsStyleRightsRooksAndKings) {
  const FischerFenFall& c = GetParam();
  FenAufbau a(c.fen);
  ASSERT_TRUE(a.gelesen);
  TSchachbrett& b = a.brett;
  TZug& z = a.zug;
  TFischerInfo& f = a.fischer;
  EXPECT_EQ(f.Fischer, c.stil);
  EXPECT_EQ(z.Rochaderechte, c.rechte);
  EXPECT_EQ(z.AmZug, 1);
  if (c.stil == KeinFischer) return;
  std::string figuren;
  for (uint8_t feld :
       {f.WeissTurm1, f.WeissTurm2, f.WeissKoenig, f.SchwarzTurm1, f.SchwarzTurm2, f.SchwarzKoenig})
    figuren += (figuren.empty() ? "" : " ") + Feldname(feld);
  EXPECT_EQ(figuren, c.figuren);
  EXPECT_EQ(StellungToFEN(b, z, a.nummer, &f), *c.zurueck ? c.zurueck : c.fen);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FischerFen,
    testing::Values(FischerFenFall{"Shredder",
                                   "nrkbbqrn/pppppppp/8/8/8/8/PPPPPPPP/NRKBBQRN w GBgb - 0 1",
                                   FischerShredder, AlleRochaderechte, "b1 g1 c1 b8 g8 c8", ""},
                    FischerFenFall{"XFenDisplacedRooks",
                                   "nrkbbqrn/pppppppp/8/8/8/8/PPPPPPPP/NRKBBQRN w KQkq - 0 1",
                                   FischerXFEN, AlleRochaderechte, "b1 g1 c1 b8 g8 c8", ""},
                    // X-FEN names an inner rook by its file.
                    FischerFenFall{"XFenInnerRook", "4k2r/8/8/8/8/8/8/2K1R2R w Ek - 0 1",
                                   FischerXFEN, WeissKurz | SchwarzKurz, "e1 e1 c1 h8 h8 e8", ""},
                    // A right without a rook of its side on the back rank is dropped.
                    FischerFenFall{"RightWithoutRook", "2k3rn/8/8/8/8/8/8/1RK3R1 w KQkq - 0 9",
                                   FischerXFEN, AlleRochaderechte - SchwarzLang,
                                   "b1 g1 c1 g8 g8 c8", "2k3rn/8/8/8/8/8/8/1RK3R1 w KQk - 0 9"},
                    // The program's own mark keeps its form, rooks as the rights name them.
                    FischerFenFall{"OwnMark", "1r1k2r1/8/8/8/8/8/R7/1R1K2R1 w KQkq f1 0 1",
                                   FischerMarke, AlleRochaderechte, "b1 g1 d1 b8 g8 d8", ""},
                    // Standard rights stay standard, also without the pieces they need.
                    FischerFenFall{"Standard", kStart, KeinFischer, AlleRochaderechte, "", ""},
                    FischerFenFall{"BareKings", "4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1", KeinFischer,
                                   AlleRochaderechte, "", ""}),
    [](const auto& p) { return std::string(p.param.name); });
