#include "game/move_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/notation_model.h"

using namespace brevaro;

namespace {

uint8_t F(const char* name) {
  return static_cast<uint8_t>(21 + (name[0] - 'a') + 10 * (name[1] - '1'));
}

// A move on the board of `fen` (the position before it), as the reader completes it.
TZug Zug(const char* von, const char* nach, uint8_t zeichen = 0) {
  TZug z;
  z.Von = static_cast<int8_t>(F(von));
  z.Nach = static_cast<int8_t>(F(nach));
  z.Zeichen = zeichen;
  return z;
}

struct TextFall {
  const char* name;
  const char* fen;
  TZug zug;
  bool english;
  std::string text;
};

TZug Mit(TZug z, void (*f)(TZug&)) {
  f(z);
  return z;
}

class ZugTextTest : public ::testing::TestWithParam<TextFall> {};

TEST_P(ZugTextTest, BuildsTheShownText) {
  const TextFall& fall = GetParam();
  TNotationModell m;
  m.SetEnglish(fall.english);
  TZug state;
  uint16_t nummer = 0;
  ASSERT_TRUE(FENToStellung(fall.fen, m.Arbeitsbrett(), state, nummer));
  std::vector<std::string> fehler;
  m.OnError = [&](const std::string& f) { fehler.push_back(f); };
  EXPECT_EQ(m.ZugText(fall.zug), fall.text);
  EXPECT_TRUE(fehler.empty());
}

const char* Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

INSTANTIATE_TEST_SUITE_P(
    Zugtext, ZugTextTest,
    ::testing::Values(
        TextFall{"PawnPush", Start, Zug("e2", "e4"), true, "e4"},
        TextFall{
            "EnPassant", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1",
            Mit(Zug("e5", "d6"), [](TZug& z) { z.EPSchlagfeld = static_cast<int8_t>(F("d5")); }),
            true, "exd6"},
        TextFall{"KnightGerman", Start, Zug("g1", "f3"), false, "Sf3"},
        TextFall{"FileHint", "4k3/8/8/8/8/8/8/1N2K2N w - - 0 1", Zug("b1", "d2", ZeigtLinie), true,
                 "Nbd2"},
        TextFall{"SquareHint", "4k3/8/8/8/8/8/8/1N2K2N w - - 0 1", Zug("b1", "d2", ZeigtFeld), true,
                 "Nb1d2"},
        TextFall{"Capture", "4k3/8/8/8/3p4/5N2/8/4K3 w - - 0 1", Zug("f3", "d4"), true, "Nxd4"},
        TextFall{"PawnCapture", "4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", Zug("e4", "d5"), true, "exd5"},
        TextFall{"PromotionCheckEnglish", "8/4P3/8/8/8/8/k7/4K3 w - - 0 1",
                 Mit(Zug("e7", "e8", Schach), [](TZug& z) { z.Umwandlung = Dame; }), true, "e8=Q+"},
        TextFall{"PromotionCheckGerman", "8/4P3/8/8/8/8/k7/4K3 w - - 0 1",
                 Mit(Zug("e7", "e8", Schach), [](TZug& z) { z.Umwandlung = Dame; }), false,
                 "e8=D+"},
        TextFall{"Mate", "6k1/5ppp/8/8/8/8/8/R3K3 w - - 0 1", Zug("a1", "a8", Matt), true, "Ra8#"},
        TextFall{"FischerCastlingGood", Start,
                 Mit(Zug("e1", "g1"),
                     [](TZug& z) {
                       z.Rochade = FischerKurz;
                       z.Zugbewertung = 1;
                     }),
                 true, "o-o!"},
        TextFall{"CastlingLongCheck", Start,
                 Mit(Zug("e1", "c1", Schach), [](TZug& z) { z.Rochade = LangeRochade; }), true,
                 "O-O-O+"},
        TextFall{"AnnotationAndSymbol", Start,
                 Mit(Zug("e2", "e4"),
                     [](TZug& z) {
                       z.Zugbewertung = 5;
                       z.Stellungsbewertung = 18;
                     }),
                 true, std::string("e4!?") + static_cast<char>(130)}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Zugtext, OwnLettersUnlessWriting) {
  TNotationModell m;
  m.SetEnglish(true);
  m.Arbeitsbrett() = GrundstellungBrett;
  m.FigurenBuchstaben({"", "", "", "", "C", ""});
  EXPECT_TRUE(m.EigeneBuchstaben());
  m.Arbeitsbrett() = GrundstellungBrett;
  EXPECT_EQ(m.ZugText(Zug("g1", "f3")), "Cf3");
  EXPECT_EQ(m.ZugText(Zug("e2", "e4")), "e4");
  m.PGNModus = true;
  EXPECT_EQ(m.ZugText(Zug("g1", "f3")), "Nf3");
  m.SetEnglish(false);
  m.Arbeitsbrett() = GrundstellungBrett;
  EXPECT_EQ(m.ZugText(Zug("g1", "f3")), "Sf3");
}

TEST(Zugtext, LongOwnLettersKeepTheirPlace) {
  // Letters longer than a move's usual text, before and after the squares.
  TNotationModell m;
  m.SetEnglish(true);
  const std::string springer(40, 'S');
  const std::string dame = "Dame-mit-einem-sehr-langen-Namen";
  m.FigurenBuchstaben({"", dame, "", "", springer, ""});
  m.Arbeitsbrett() = GrundstellungBrett;
  TZug zug = Zug("g1", "f3", ZeigtLinie | Schach);
  zug.Zugbewertung = 5;
  EXPECT_EQ(m.ZugText(zug), springer + "gf3+!?");
  TZug stand;
  uint16_t nummer = 0;
  ASSERT_TRUE(FENToStellung("8/4P3/8/8/8/8/k7/4K3 w - - 0 1", m.Arbeitsbrett(), stand, nummer));
  zug = Zug("e7", "e8", Matt);
  zug.Umwandlung = Dame;
  zug.Zugbewertung = 2;
  EXPECT_EQ(m.ZugText(zug), "e8=" + dame + "#!!");
}

TEST(Zugtext, EmptyOriginIsReportedOnce) {
  TNotationModell m;
  std::vector<std::string> fehler;
  m.OnError = [&](const std::string& f) { fehler.push_back(f); };
  m.Arbeitsbrett() = GrundstellungBrett;
  m.ZugText(Zug("e3", "e4"));
  EXPECT_EQ(m.ZugText(Zug("e3", "e5")), "e5");
  ASSERT_EQ(fehler.size(), 1u);
  EXPECT_EQ(fehler[0], std::string(LesefehlerDeutsch) + "\r" + std::string(NichtSpeichernHinweis));
  EXPECT_TRUE(m.Lesefehler);
  m.Lesefehler = false;
  m.SetEnglish(true);
  m.Arbeitsbrett() = GrundstellungBrett;
  m.ZugText(Zug("e3", "e4"));
  ASSERT_EQ(fehler.size(), 2u);
  EXPECT_EQ(fehler[1], "Error reading moves.");
}

TEST(Zugtext, SymbolTableReadsBothWays) {
  for (int zeichen = 128; zeichen <= 144; ++zeichen)
    EXPECT_EQ(BewertungsZeichen(BewertungAusZeichen(static_cast<uint8_t>(zeichen))), zeichen);
  EXPECT_EQ(BewertungsZeichen(7) + BewertungAusZeichen(127) + BewertungAusZeichen(145), 0);
}

}  // namespace
