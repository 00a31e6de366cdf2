#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "test_util.h"

using namespace brevaro;

namespace {

using Leser = Modell;

// Main-line plies and the first four FEN fields after the last main-line move.
std::pair<size_t, std::string> Endstellung(const TNotationModell& m) {
  TSchachbrett brett = m.Partiedaten.StartBrett;
  TZug zug = m.Partiedaten.StartZug;
  size_t plies = 0;
  for (const TBaum* n = m.Wurzel ? m.Wurzel->Erster : nullptr; n; n = n->Naechster) {
    ZugAusfuehren(brett, n->Zug, m.FischerInfo());
    zug = n->Zug;
    ++plies;
  }
  const std::string fen = StellungToFEN(brett, zug, 1, false);
  size_t pos = 0;
  for (int i = 0; i < 4 && pos != std::string::npos; ++i) pos = fen.find(' ', pos + 1);
  return {plies, fen.substr(0, pos)};
}

}  // namespace

// ---------------------------------------------------------------------------
// What is read

TEST(Leser, LoadResetsToTheStart) {
  Leser l;
  std::vector<bool> meldungen;
  l.m.OnMoveChange = [&](const TZug& z, const TSchachbrett& b, bool next) {
    meldungen.push_back(next);
    EXPECT_EQ(b, GrundstellungBrett);
    EXPECT_EQ(z.AmZug, 1);
  };
  EXPECT_EQ(l.Lade("1.e4 (1.d4) (1.c4) e5"), 0);
  EXPECT_EQ(meldungen, std::vector<bool>{false});  // the reset raises none
  EXPECT_EQ(l.m.Aktuell, nullptr);
  EXPECT_EQ(l.Lade(""), 0);
  EXPECT_EQ(l.m.Wurzel, nullptr);
  EXPECT_EQ(l.m.LadePartie("1.e4 e5"), 0);  // no tag line: all of it is movetext
  EXPECT_EQ(Hauptlinie(l.m).size(), 2u);
}

TEST(Leser, MateAndComments) {
  Leser l;
  EXPECT_EQ(l.Lade("1.e4 e5 2.Qh5 Nc6 3.Bc4 Nf6 4.Qxf7#"), 0);
  const TBaum* matt = Knoten(l.m, {6});
  EXPECT_EQ(matt->Zug.Zeichen & Matt, Matt);
  EXPECT_EQ(matt->Zug.Geschlagen, -Bauer);

  EXPECT_EQ(l.Lade("{Intro} 1.e4 { good } e5"), 0);
  EXPECT_EQ(l.m.Partiedaten.Vorkommentar, "{Intro} ");
  EXPECT_EQ(l.m.Wurzel->Erster->Kommentar, "{good}");
  EXPECT_EQ(l.Lade("{ a }{b} 1.e4"), 0);
  EXPECT_EQ(l.m.Partiedaten.Vorkommentar, "{a }{b} ");  // one blank each end of the whole
  // A further comment joins the move's first; one at the start of a
  // variation stands before the variation's first move.
  EXPECT_EQ(l.Lade("1.e4 {a} ({b} 1.d4) e5 {} {c} {} {d}"), 0);
  EXPECT_EQ(l.m.Wurzel->Erster->Kommentar, "{a}");
  EXPECT_EQ(l.m.Wurzel->Erster->Varianten->Kommentar, "{b}");
  EXPECT_EQ(l.m.Wurzel->Erster->Naechster->Kommentar, "{c d}");
  EXPECT_EQ(l.m.Wurzel->Erster->Varianten->Erster->Kommentar, "");
}

struct TokenFall {
  const char* zuege;
  const char* fen;
  const char* letzter;  // from-to of the last main-line move
  int8_t umwandlung;
  uint8_t rochade;
};

// Plain SAN with disambiguation, promotion and castling is read over the
// generated games below; here the other spellings and the hard cases.
class TokenTest : public ::testing::TestWithParam<TokenFall> {};

TEST_P(TokenTest, ReadsTheMove) {
  const TokenFall& f = GetParam();
  Leser l;
  ASSERT_EQ(l.Lade(f.zuege, std::string("[FEN \"") + f.fen + "\"]"), 0) << f.zuege;
  const Namen linie = Hauptlinie(l.m);
  ASSERT_FALSE(linie.empty()) << f.zuege;
  EXPECT_EQ(linie.back(), f.letzter) << f.zuege;
  const TBaum* n = l.m.Wurzel->Erster;
  while (n->Naechster) n = n->Naechster;
  EXPECT_EQ(n->Zug.Umwandlung, f.umwandlung) << f.zuege;
  EXPECT_EQ(n->Zug.Rochade, f.rochade) << f.zuege;
  EXPECT_TRUE(l.fehler.empty()) << f.zuege;
}

const char* Umw = "8/4P3/8/8/8/8/k7/4K3 w - - 0 1";
const char* Roch = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
const char* Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

INSTANTIATE_TEST_SUITE_P(
    Leser, TokenTest,
    ::testing::Values(TokenFall{"1.e8Q", Umw, "e7e8", Dame, 0},
                      TokenFall{"1.e8=D", Umw, "e7e8", Dame, 0},
                      TokenFall{"1.O-O!", Roch, "e1g1", 0, KurzeRochade},
                      TokenFall{"1.O-O-O?!", Roch, "e1c1", 0, LangeRochade},
                      TokenFall{"1.0-0", Roch, "e1g1", 0, KurzeRochade},
                      TokenFall{"1.OO", Roch, "e1g1", 0, KurzeRochade},
                      TokenFall{"1.OOO", Roch, "e1c1", 0, LangeRochade},
                      TokenFall{"1.Ng1xf3", "4k3/8/8/8/8/5p2/7N/4K1N1 w - - 0 1", "g1f3", 0, 0},
                      TokenFall{"1.Pe4", Start, "e2e4", 0, 0},
                      TokenFall{"1.e8=q", Umw, "e7e8", Dame, 0},
                      TokenFall{"1.e4 Nf6 2.e5 d5 3.exd6ep", Start, "e5d6", 0, 0},
                      TokenFall{"1.g1f3 g8f6 2.e2e4", Start, "e2e4", 0, 0},  // engines' squares
                      TokenFall{"1.e7e8n", Umw, "e7e8", Springer, 0},
                      TokenFall{"1.e1g1", Roch, "e1g1", 0, KurzeRochade},
                      TokenFall{"1.Ra2 e8c8", Roch, "e8c8", 0, LangeRochade},
                      TokenFall{"1.e4(1.d4)e5{c}(1...c5){d}2.Nf3", Start, "g1f3", 0, 0},  // glued
                      // In check: the knight that takes the checking rook is the one not
                      // pinned, though the rook still stands there before the move.
                      TokenFall{"1...Nxf5", "8/4n3/8/5Rk1/8/4n3/8/K1B5 b - - 0 1", "e7f5", 0, 0},
                      TokenFall{"1...Nxf5", "8/4n3/8/5Rk1/8/4n3/8/K7 b - - 0 1", "e3f5", 0, 0}));

// A move given by its squares is written with the origin's file, rank or
// square wherever the piece letter alone would be read as another piece.
TEST(Leser, EnginesSquaresAreWrittenSoThatTheyReadBack) {
  for (const auto& [fen, zug, geschrieben] :
       {std::tuple{"4k3/8/8/8/8/5N2/8/1N4K1 w - - 0 1", "f3d2", "1.Nfd2 "},
        std::tuple{"4k3/8/8/8/8/5N2/8/1N4K1 w - - 0 1", "b1d2", "1.Nbd2 "},
        std::tuple{"4k3/8/8/8/8/R7/8/R5K1 w - - 0 1", "a1a2", "1.R1a2 "},
        std::tuple{"4k3/8/8/8/8/Q7/8/Q1Q3K1 w - - 0 1", "a1b2", "1.Qa1b2 "}}) {
    Leser l;
    ASSERT_EQ(l.Lade(std::string("1.") + zug, std::string("[FEN \"") + fen + "\"]"), 0) << zug;
    EXPECT_NE(l.m.PGNSchreiben().find(geschrieben), std::string::npos) << l.m.PGNSchreiben();
  }
}

// The common short forms ("e4", "exd5", "Nf3", "Nxd5", with "+" or "#") are
// read on a shorter path than other tokens; spelled so that they take the
// general one ("=" after the token, long algebraic) they must give the same.
struct SchreibweisenFall {
  const char* kurz;
  const char* allgemein;
};

class SchreibweisenTest : public ::testing::TestWithParam<SchreibweisenFall> {};

TEST_P(SchreibweisenTest, ShortFormsReadLikeTheirOtherSpellings) {
  const SchreibweisenFall& f = GetParam();
  Leser a, b;
  EXPECT_EQ(a.Lade(f.kurz), b.Lade(f.allgemein)) << f.kurz;
  EXPECT_EQ(a.fehler, b.fehler) << f.kurz;
  // After a reading error the rest is kept as written, in either spelling.
  if (a.fehler.empty()) {
    EXPECT_EQ(a.m.Notationstext, b.m.Notationstext) << f.kurz;
  }
  const TBaum* x = a.m.Wurzel ? a.m.Wurzel->Erster : nullptr;
  const TBaum* y = b.m.Wurzel ? b.m.Wurzel->Erster : nullptr;
  for (; x && y; x = x->Naechster, y = y->Naechster)
    EXPECT_EQ(std::memcmp(&x->Zug, &y->Zug, sizeof(TZug)), 0) << f.kurz << " at " << Name(x);
  EXPECT_EQ(x, nullptr) << f.kurz;
  EXPECT_EQ(y, nullptr) << f.kurz;
}

INSTANTIATE_TEST_SUITE_P(
    Leser, SchreibweisenTest,
    ::testing::Values(
        SchreibweisenFall{"1.e4 e5 2.Nf3 Nc6 3.Bb5 a6 4.Bxc6 dxc6 5.d4 exd4 6.Qxd4 Qxd4 7.Nxd4 *",
                          "1.e4= e5= 2.Nf3= Nc6= 3.Bb5= a6= 4.Bxc6= dxc6= 5.d4= exd4= 6.Qxd4= "
                          "Qxd4= 7.Nxd4= *"},
        SchreibweisenFall{"1.f3 e5 2.g4 Qh4# 0-1", "1.f3= e5= 2.g4= Qh4#= 0-1"},
        SchreibweisenFall{"1.e4 d5 2.exd5 Qxd5 3.Nc3 Qe5+ 4.Be2 *",
                          "1.e2-e4 d7-d5 2.e4xd5 Qd8xd5 3.Nb1-c3 Qd5-e5+ 4.Bf1-e2 *"},
        SchreibweisenFall{"1.e4 Nf6 2.e5 d5 3.exd6 *", "1.e2-e4 Ng8-f6 2.e4-e5 d7-d5 3.e5xd6 *"},
        // Without piece letters: the piece on the first square, not a pawn.
        SchreibweisenFall{"1.e4 e5 2.Nf3 Nc6 3.Bc4 Bc5 4.O-O Nf6 5.Nxe5 O-O *",
                          "1.e2-e4 e7-e5 2.g1-f3 b8-c6 3.f1-c4 f8-c5 4.e1-g1 g8-f6 5.f3:e5 "
                          "e8-g8 *"},
        // "P" with only the square taken: the one pawn that can take there; "x" as ":".
        SchreibweisenFall{"1.e4 d5 2.exd5 Nf6 3.c4 e6 4.dxe6 Bb4 5.Nc3 Bxc3 *",
                          "1.e4 d5 2.Pxd5 Nf6 3.c4 e6 4.d5:e6 Bb4 5.Nc3 B:c3 *"},
        SchreibweisenFall{"1.e4 d5 2.c4 Nf6 3.Xxd5 *", "1.e4 d5 2.c4 Nf6 3.Pxd5 *"},
        // A promotion letter written small without "=", also after a capture;
        // a "b" after a square where the token goes on is a file.
        SchreibweisenFall{"1.a4 h5 2.a5 h4 3.a6 h3 4.axb7 hxg2 5.bxa8=N gxh1=B 6.Nc3 Rh6 7.Rb1 *",
                          "1.a4 h5 2.a5 h4 3.a6 h3 4.axb7 hxg2 5.bxa8n gxh1b 6.Nc3 Rh6 7.Ra1b1 *"},
        // Figurines of either colour for the piece letters, typeset "×" and "–".
        SchreibweisenFall{"1.e4 e5 2.Nf3 Nc6 3.Bb5 a6 4.Bxc6 dxc6 5.Ke2 Qe7 *",
                          "1.e4 e5 2.\u2658f3 \u265Ec6 3.\u2657b5 a6 4.\u265Dxc6 dxc6 5.\u2654e2 "
                          "\u265Be7 *"},
        SchreibweisenFall{"1.a4 h5 2.a5 h4 3.a6 h3 4.axb7 hxg2 5.bxa8=Q gxh1=N *",
                          "1.a4 h5 2.\u2659a5 h4 3.a6 h3 4.axb7 hxg2 5.bxa8=\u2655 gxh1\u265E *"},
        SchreibweisenFall{
            "1.e4 e5 2.Nf3 Nc6 3.Bb5 Nf6 4.O-O Bc5 5.Bxc6 dxc6 *",
            "1.e2\u2013e4 e5 2.Nf3 Nc6 3.Bb5 Nf6 4.O\u2013O Bc5 5.B\u00D7c6 d\u00D7c6 *"},
        SchreibweisenFall{"1.e4 e5 2.Nf3 Nc6 3.Bc4 Bc5 4.O-O Nf6 *",
                          "1.e4 e5 2.Nf3 Nc6 3.Bc4 Bc5 4.0\u20130 Nf6 *"},
        SchreibweisenFall{"1.Sf3 Sf6 2.Tg1 Tg8 *", "1.Sf3= Sf6= 2.Tg1= Tg8= *"},
        SchreibweisenFall{"1.e4 (1.d4 d5) e5 (e6)*", "1.e4= (1.d4= d5=) e5= (e6=)*"},
        SchreibweisenFall{"1.e4 e5 2.Nd4 *", "1.e4 e5 2.Nd4= *"},  // no knight reaches d4
        SchreibweisenFall{"1.e5 *", "1.e5= *"},                    // no pawn behind e5
        SchreibweisenFall{"1.e4 e5 2.Kxe5 *", "1.e4 e5 2.Kxe5= *"},
        SchreibweisenFall{"1.a4 h5 2.a5 h4 3.a6 h3 4.axb7 hxg2 5.bxa8 *",
                          "1.a4= h5= 2.a5= h4= 3.a6= h3= 4.axb7= hxg2= 5.bxa8= *"}));

// Chess960 in the castling-field styles other programs write (X-FEN with a
// Variant tag or displaced rooks, Shredder-FEN) and in this program's own
// dialect: king and rook squares after castling, the rights after rook moves
// and captures, the FEN written in the game's style and the notation's form.
struct Chess960Fall {
  const char* name;
  const char* kopf;
  const char* zuege;
  int32_t ergebnis;
  Namen hauptlinie;
  const char* fen;       // the first four fields after the main line
  const char* notation;  // a part of the notation text
};

class Chess960Test : public ::testing::TestWithParam<Chess960Fall> {};

TEST_P(Chess960Test, CastlesWithTheRooksOfTheCastlingField) {
  const Chess960Fall& c = GetParam();
  Leser l;
  EXPECT_EQ(l.Lade(c.zuege, c.kopf), c.ergebnis);
  EXPECT_EQ(Hauptlinie(l.m), c.hauptlinie);
  ASSERT_NE(l.m.FischerInfo(), nullptr);
  const TBaum* letzter = l.m.Wurzel->Erster;
  while (letzter->Naechster) letzter = letzter->Naechster;
  const std::string fen =
      StellungToFEN(Nachgespielt(l.m, letzter), letzter->Zug, 1, l.m.FischerInfo());
  EXPECT_EQ(fen.substr(0, fen.rfind(' ', fen.rfind(' ') - 1)), c.fen);
  EXPECT_NE(l.m.Notationstext.find(c.notation), std::string::npos) << l.m.Notationstext;
}

INSTANTIATE_TEST_SUITE_P(
    Leser, Chess960Test,
    ::testing::Values(
        Chess960Fall{"XFenVariant",
                     "[Variant \"chess 960\"]\n[FEN \"1rk3r1/pppppppp/8/8/8/8/PPPPPPPP/1RK3R1 w "
                     "KQkq - 0 1\"]",
                     "1.O-O O-O-O 2.a4", 0, Namen{"c1g1", "c8c8", "a2a4"},
                     "2kr2r1/pppppppp/8/8/P7/8/1PPPPPPP/1R3RK1 b - a3", "1.O-O O-O-O"},
        Chess960Fall{"Shredder", "[FEN \"1rk3r1/pppppppp/8/8/8/8/PPPPPPPP/1RK3R1 w GBgb - 0 1\"]",
                     "1.O-O-O O-O", 0, Namen{"c1c1", "c8g8"},
                     "1r3rk1/pppppppp/8/8/8/8/PPPPPPPP/2KR2R1 w - -", "1.O-O-O O-O"},
        Chess960Fall{"OwnDialect",
                     "[FEN \"1rk3r1/pppppppp/8/8/8/8/PPPPPPPP/1RK3R1 w KQkq f1 0 1\"]", "1.o-o o-o",
                     0, Namen{"c1g1", "c8g8"}, "1r3rk1/pppppppp/8/8/8/8/PPPPPPPP/1R3RK1 w - f1",
                     "1.o-o o-o"},
        // Rooks displaced from the corners: the rights follow the rooks.
        Chess960Fall{"RightsFollowTheRooks", "[FEN \"1r2k1r1/8/8/8/8/8/8/1R2K1R1 w KQkq - 0 1\"]",
                     "1.Rh1 Rg7 2.O-O-O", 0, Namen{"g1h1", "g8g7", "e1c1"},
                     "1r2k3/6r1/8/8/8/8/8/2KR3R b q -", "2.O-O-O"},
        Chess960Fall{"RookCapturedOnItsSquare",
                     "[Variant \"Chess960\"]\n[FEN \"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1\"]",
                     "1.Rxa8+ Kd7", 0, Namen{"a1a8", "e8d7"}, "R6r/3k4/8/8/8/8/8/4K2R w K -",
                     "1.Rxa8+"},
        // The rook on d1 attacks d8, which the black king passes.
        Chess960Fall{"CastlingThroughAttackIsAnError",
                     "[FEN \"1r2k1r1/8/8/8/8/8/8/1R2K1R1 w KQkq - 0 1\"]",
                     "1.Rh1 Rg7 2.O-O-O O-O-O", -1, Namen{"g1h1", "g8g7", "e1c1"},
                     "1r2k3/6r1/8/8/8/8/8/2KR3R b q -", "2.O-O-O"},
        Chess960Fall{"CastlingWithoutItsRightIsAnError",
                     "[FEN \"1r2k1r1/8/8/8/8/8/8/1R2K1R1 w KQkq - 0 1\"]", "1.Rh1 Rg7 2.O-O", -1,
                     Namen{"g1h1", "g8g7"}, "1r2k3/6r1/8/8/8/8/8/1R2K2R w Qq -", "Rg7"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Leser, FischerCastlingWithoutAKingFails) {
  Leser l;
  EXPECT_EQ(l.Lade("1.o-o", "[FEN \"r3k2r/8/8/8/8/8/8/R6R w KQkq f1 0 1\"]"), -1);
  ASSERT_NE(l.m.FischerInfo(), nullptr);  // the position was read as Fischer Random
  EXPECT_EQ(l.fehler.size(), 1u);
  EXPECT_EQ(l.m.Partiedaten.StartBrett[25], Leer);
}

// ---------------------------------------------------------------------------
// Failures

struct FehlerFall {
  const char* zuege;
  size_t gelesen;  // main-line moves that stay
  Namen reste;     // the text kept as read, in the order of the tree
};

// Every text kept after a reading error: the main line's, then per move its
// own and its variations', depth first.
Namen Reste(const TNotationModell& m) {
  Namen reste;
  if (!m.Wurzel) return reste;
  if (!m.Wurzel->Rest.empty()) reste.push_back(m.Wurzel->Rest.str());
  std::vector<const TBaum*> offen{m.Wurzel->Erster};
  while (!offen.empty()) {
    const TBaum* n = offen.back();
    offen.pop_back();
    for (; n; n = n->Naechster) {
      if (!n->Rest.empty()) reste.push_back(n->Rest.str());
      for (const TVariante* v = n->Varianten; v; v = v->Naechste) {
        if (!v->Rest.empty()) reste.push_back(v->Rest.str());
        if (v->Erster) offen.push_back(v->Erster);
      }
    }
  }
  return reste;
}

class FehlerTest : public ::testing::TestWithParam<FehlerFall> {};

TEST_P(FehlerTest, ReportsOnceAndKeepsWhatWasRead) {
  Leser l;
  EXPECT_EQ(l.Lade(GetParam().zuege), -1);
  EXPECT_EQ(l.fehler, std::vector<std::string>{"Error reading moves."});
  EXPECT_EQ(Hauptlinie(l.m).size(), GetParam().gelesen);
  EXPECT_EQ(l.m.Arbeitsbrett(), GrundstellungBrett);
  EXPECT_EQ(Reste(l.m), GetParam().reste);
  // Shown in the comment style.
  for (const std::string& rest : GetParam().reste) {
    const size_t pos = l.m.Notationstext.find(rest);
    ASSERT_NE(pos, std::string::npos) << rest;
    bool alsKommentar = false;
    for (const TKommentarbereich& k : l.m.Kommentarbereiche())
      alsKommentar = alsKommentar || (k.Pos == static_cast<int32_t>(pos) + 1 &&
                                      k.Laenge == static_cast<int32_t>(rest.size()));
    EXPECT_TRUE(alsKommentar) << rest;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Leser, FehlerTest,
    ::testing::Values(
        FehlerFall{"1.e4 e5 2.Xf3 Nc6 {c} 1-0", 2, {"2.Xf3 Nc6 {c}"}},
        FehlerFall{"1.e4 e5 2.Nf3 {unclosed", 3, {"{unclosed"}},
        FehlerFall{"1.e4 e5 2.Qd5", 2, {"2.Qd5"}},    // no queen reaches
        FehlerFall{"1.e4 e5 2.Q", 2, {"2.Q"}},        // too short
        FehlerFall{"1.e4 e5 2.Nf9", 2, {"2.Nf9"}},    // no square
        FehlerFall{"1.e4 e5 2.e8=X", 2, {"2.e8=X"}},  // promotion letter
        FehlerFall{"1.e4 e5 2.o-o", 2, {"2.o-o"}},    // no Fischer game
        FehlerFall{"1.(e4) e5", 0, {"1.(e4) e5"}},
        FehlerFall{"1.d4 d5 2.Nf3 Nf6 3.Nzd2", 4, {"3.Nzd2"}},
        // An error inside a variation ends only that variation.
        FehlerFall{"1.e4 e5 (1...c5 2.Xf3 (2.d4) d6) 2.Nf3 Nc6 *", 4, {"2.Xf3 (2.d4) d6"}},
        FehlerFall{"1.e4 (1.Xd4 d5) (1.c4 {x} Qq) e5 2.Qj4", 2, {"1.Xd4 d5", "2.Qj4", "Qq"}},
        // Illegal moves, each at the move it is read.
        FehlerFall{"1.e5", 0, {"1.e5"}},                      // nothing on e3 or e4
        FehlerFall{"1.O-O", 0, {"1.O-O"}},                    // through pieces
        FehlerFall{"1.e4 d5 2.exf5", 2, {"2.exf5"}},          // onto an empty square
        FehlerFall{"1.e4 e5 2.e5", 2, {"2.e5"}},              // onto a piece
        FehlerFall{"1.e4 e5 2.Ke2 Nc6 3.Ke4", 4, {"3.Ke4"}},  // into check
        FehlerFall{"1.d4 e5 2.Nd2 Bb4 3.Nb3", 4, {"3.Nb3"}},  // pinned
        FehlerFall{"1.e4 (1.e5) e5", 2, {"1.e5"}},            // in a variation
        FehlerFall{"1.a4 a5 2.a2", 2, {"2.a2"}},              // the rook on a1
        // Atomic chess: each line up to its first capture, which removes more.
        FehlerFall{"[Variant \"Atomic\"]\n1.e4 (1.d4 e5 2.dxe5 Nc6) 1...d5 2.exd5 *",
                   2,
                   {"2.exd5", "2.dxe5 Nc6"}},
        FehlerFall{"[Variant \"atomic-chess\"]\n1.e4 d5 2.Nc3 dxe4 1-0", 3, {"dxe4"}}));

TEST(Leser, ResultInAVariationIsKeptAndTheMainLineGoesOn) {
  Leser l;
  EXPECT_EQ(l.Lade("1.e4 (1.d4 d5 1-0) (1.c4 0-1 c5) e5 (1...c5 2.Nf3 *) 2.Nf3 1/2-1/2 3.d4"), 0);
  EXPECT_TRUE(l.fehler.empty());
  EXPECT_EQ(Hauptlinie(l.m), (Namen{"e2e4", "e7e5", "g1f3"}));
  EXPECT_EQ(Reste(l.m), (Namen{"1/2-1/2 3.d4", "*", "0-1 c5", "1-0"}));
  // The main line's result is the game's when no Result tag gives one.
  EXPECT_EQ(l.m.Partiedaten.Kopf.Result, "1/2-1/2");
  EXPECT_EQ(l.Lade("1.e4 \xC2\xBD-\xC2\xBD", "[Result \"*\"]\n"), 0);
  EXPECT_EQ(l.m.Partiedaten.Kopf.Result, "1/2-1/2");
  EXPECT_EQ(l.Lade("1.e4 1-0", "[Result \u201C0-1\u201D]\n"), 0);  // quotes as typeset
  EXPECT_EQ(l.m.Partiedaten.Kopf.Result, "0-1");
  EXPECT_EQ(l.Lade("1.e4 e5 2.Xf3 Nc6 0-1"), -1);  // also after a reading error
  EXPECT_EQ(l.m.Partiedaten.Kopf.Result, "0-1");
  // Typeset with an en dash, as pasted from a web page.
  EXPECT_EQ(l.Lade("1.e4 (1.d4 0\u20131) (1.c4 \u00BD\u2013\u00BD) e5 1\u20130 2.Nf3"), 0);
  EXPECT_EQ(Hauptlinie(l.m), (Namen{"e2e4", "e7e5"}));
  EXPECT_EQ(Reste(l.m), (Namen{"1\u20130 2.Nf3", "\u00BD\u2013\u00BD", "0\u20131"}));
  EXPECT_EQ(l.m.Partiedaten.Kopf.Result, "1-0");
  // Comments after the main line's result join its last move's (or, without
  // a move, the leading comment). Other text after them but a last result is
  // not read: it is kept from the result on, which reads the same again.
  EXPECT_EQ(l.Lade("1.e4 {a} 1-0 {b} {c} *"), 0);
  EXPECT_EQ(l.m.Wurzel->Erster->Kommentar, "{a b c}");
  EXPECT_EQ(l.Lade("* {x}"), 0);
  EXPECT_EQ(l.m.Partiedaten.Vorkommentar, "{x} ");
  EXPECT_EQ(l.Lade("1.e4 {a} 1-0 {b} 2.d4 {d} *"), 0);
  EXPECT_TRUE(l.fehler.empty());
  EXPECT_EQ(l.m.Wurzel->Erster->Kommentar, "{a}");
  EXPECT_EQ(Hauptlinie(l.m), Namen{"e2e4"});
  EXPECT_EQ(Reste(l.m), Namen{"1-0 {b} 2.d4 {d}"});
  EXPECT_EQ(l.m.Partiedaten.Kopf.Result, "1-0");
  EXPECT_EQ(l.Lade("0-1 {x} {y"), 0);
  EXPECT_EQ(Reste(l.m), Namen{"0-1 {x} {y"});
  // In a variation that is not closed the result ends the movetext.
  EXPECT_EQ(l.Lade("1.e4 (1.d4 d5 1-0 (1.c4"), 0);
  EXPECT_EQ(Reste(l.m), Namen{});
  EXPECT_EQ(l.m.Partiedaten.Kopf.Result, "*");
}

// The main line's moves with their Zugbewertung (z), Stellungsbewertung (s)
// and further NAGs (w): where the main line ends, annotations after a move and evaluation
// glyphs between moves.
struct AnmerkungFall {
  const char* zuege;
  const char* erwartet;
};

class MainLine : public ::testing::TestWithParam<AnmerkungFall> {};

TEST_P(MainLine, IsReadWithItsNags) {
  Leser l;
  ASSERT_EQ(l.Lade(GetParam().zuege), 0) << GetParam().zuege;
  EXPECT_TRUE(l.fehler.empty());
  std::string text;
  for (const TBaum* n = l.m.Wurzel->Erster; n; n = n->Naechster) {
    text += text.empty() ? "" : " ";
    text += IstNullzug(n->Zug) ? "--" : Name(n);
    if (n->Zug.Zugbewertung) text += "/z" + std::to_string(n->Zug.Zugbewertung);
    if (n->Zug.Stellungsbewertung) text += "/s" + std::to_string(n->Zug.Stellungsbewertung);
    const std::string& w = n->WeitereNags.str();
    for (size_t i = 0; i < w.size(); ++i)
      text += (i == 0 ? "/w" : ",") + std::to_string(static_cast<uint8_t>(w[i]));
  }
  EXPECT_EQ(text, GetParam().erwartet) << GetParam().zuege;
}

INSTANTIATE_TEST_SUITE_P(
    Leser, MainLine,
    ::testing::Values(
        AnmerkungFall{"1.e4 e5 2.Nf3 Nc6 1-0 3.Bb5", "e2e4 e7e5 g1f3 b8c6"},
        AnmerkungFall{"1.e4 e5 * 2.Nf3", "e2e4 e7e5"},
        AnmerkungFall{"1.e4 e5 (1...c5 2.Nf3 (2.d4", "e2e4 e7e5"},  // open
        AnmerkungFall{"1.e4 {a (1.d4) -- *} e5 *", "e2e4 e7e5"},
        AnmerkungFall{"e4 e5 Nf3", "e2e4 e7e5 g1f3"},
        // Of a group of NAGs the first of each kind takes the move's field, glued
        // ones too; the others (w), and those without a field, are kept once;
        // "$01" and "$256" are none.
        AnmerkungFall{"1.e4 $1 e5 $2 $16 2.Qh5 $5 $6 $01 $7 $6 $256 Nc6 $1$3 $1 3.Bc4 $14 $10 $146",
                      "e2e4/z1 e7e5/z3/s16 d1h5/z5/w6,7 b8c6/z1/w3 f1c4/s14/w10,146"},
        AnmerkungFall{"1.e4! e5? 2.Nf3!! Nc6?? 3.Bb5!? a6?!",
                      "e2e4/z1 e7e5/z3 g1f3/z2 b8c6/z4 f1b5/z5 a7a6/z6"},
        AnmerkungFall{"1.e4 +- e5 -+ 2.d4 +/- d5 -/+ 3.c4 +/= c6 =/+ 4.Nc3 = Nf6 += 5.Nf3 =+ "
                      "Nd7 $10",
                      "e2e4/s18 e7e5/s19 d2d4/s16 d7d5/s17 c2c4/s14 c7c6/s15 b1c3/s11 g8f6/s14 "
                      "g1f3/s15 b8d7/s11"},
        AnmerkungFall{"1.e4 \xC2\xB1 e5 \xE2\x88\x93 2.d4 \xE2\xA9\xB2 d5 \xE2\xA9\xB1 3.c4 "
                      "\xE2\x88\x9E c6 \xB1 4.Nc3 N",
                      "e2e4/s16 e7e5/s17 d2d4/s14 d7d5/s15 c2c4/s13 c7c6/s16 b1c3/s146"},
        // Null moves pass the turn; "-" and "+-+" alone neither end nor mark.
        AnmerkungFall{"1.e4 -- 2.d4 Z0 3.c4 - e5 +-+", "e2e4 -- d2d4 -- c2c4 e7e5"},
        // "0000" as engines write it, beside zeros of move numbers and castling.
        AnmerkungFall{"10.e4 0000 100.Nf3 (100.d4 0000) 0000 101.Bc4 0000 102.0-0 0-1",
                      "e2e4 -- g1f3 -- f1c4 -- e1g1"},
        AnmerkungFall{"1.e4 e5 \xC2\xBD-\xC2\xBD 2.Nf3", "e2e4 e7e5"},
        // No-break spaces of text copied from web pages, in UTF-8 and Windows-1252.
        AnmerkungFall{"1.\xC2\xA0"
                      "e4\xC2\xA0"
                      "e5!\xC2\xA0\xC2\xA0"
                      "2.Nf3+\xA0Nc6\xA0"
                      "3.Bc4\xC2\xA0*",
                      "e2e4 e7e5/z1 g1f3 b8c6 f1c4"}));

TEST(Leser, NullMoveAndEnPassantBoards) {
  Leser l;
  ASSERT_EQ(l.Lade("1.e4 -- 2.e5 d5 3.exd6 e.p. *"), 0);
  EXPECT_EQ(Endstellung(l.m).second, "rnbqkbnr/ppp1pppp/3P4/8/8/8/PPPP1PPP/RNBQKBNR b KQkq -");
  // The notation shows the null move, and the writer writes it.
  EXPECT_NE(l.m.Notationstext.find("1.e4 -- 2.e5"), std::string::npos) << l.m.Notationstext;
  EXPECT_NE(l.m.PGNSchreiben().find("1.e4 -- 2.e5"), std::string::npos);
}

TEST(Leser, SemicolonCommentsAndPercentLines) {
  Leser l;
  ASSERT_EQ(l.m.LadePartie("[Event \"E\"]\n\n1.e4 ; best {by far}\n%e5 skipped\n"
                           "e5 {a ; b\n%c} 2.Nf3 ;x\r\n*"),
            0);
  EXPECT_EQ(Hauptlinie(l.m), (Namen{"e2e4", "e7e5", "g1f3"}));
  EXPECT_EQ(Knoten(l.m, {0})->Kommentar, "{best {by far}");
  EXPECT_EQ(Knoten(l.m, {1})->Kommentar, "{a ; b %c}");
  EXPECT_EQ(Knoten(l.m, {2})->Kommentar, "{x}");
}

TEST(Leser, GermanMessageAndEmptyOriginReportedWhenLaidOutNotWhenWritten) {
  Leser l;
  l.m.SetEnglish(false);
  EXPECT_EQ(l.Lade("1.e4 e5 2.Xf3"), -1);
  EXPECT_EQ(l.fehler, std::vector<std::string>{std::string(LesefehlerDeutsch)});
  // A move from an empty square that reached the tree is reported by the layout.
  l.m.SetEnglish(true);
  EXPECT_EQ(l.Lade("1.e4"), 0);
  l.m.Wurzel->Erster->Zug.Von = 45;
  l.m.NotationAufbauen();
  EXPECT_EQ(l.fehler, std::vector<std::string>{"Error reading moves."});
  // Writing does not report it again; the next layout does.
  l.m.Lesefehler = false;
  l.m.PGNSchreiben();
  EXPECT_EQ(l.fehler.size(), 1u);
  l.m.NotationAufbauen();
  EXPECT_EQ(l.fehler.size(), 2u);
  // A failed load leaves the error marked, so a layout does not repeat it.
  EXPECT_EQ(l.Lade("1.e4 e5 2.Xf3"), -1);
  l.m.NotationAufbauen();
  EXPECT_EQ(l.fehler.size(), 1u);
}

TEST(Leser, TagSectionsLineEndsAndTextBeforeTheTags) {
  Leser l;
  // Empty and "%" lines inside the tag section.
  ASSERT_EQ(l.m.LadePartie("[Event \"A\"]\n\n[White \"B\"]\n% x\n\n[Black \"C\"]\n"
                           "[FEN \"4k3/8/8/8/8/8/8/4K3 w - - 0 0\"]\n\n1.Kd2 *"),
            0);
  EXPECT_EQ(std::tie(l.m.Partiedaten.Kopf.White, l.m.Partiedaten.Kopf.Black), std::tie("B", "C"));
  EXPECT_EQ(Hauptlinie(l.m), Namen{"e1d2"});
  EXPECT_EQ(l.m.Partiedaten.StartZugNummer, 1);  // a full-move number 0 starts at 1
  EXPECT_EQ(l.m.LadePartie("junk\r\n[White \"A\"]\r\n[Foo \"1\"]\r\n\r\n1.e4 e5\r\n2.Nf3 *\r\n"),
            0);
  EXPECT_EQ(l.m.Partiedaten.Kopf.White, "A");
  EXPECT_EQ(l.m.AndereTags, TTagListe{"[Foo \"1\"]"});
  EXPECT_EQ(Hauptlinie(l.m).size(), 3u);
  // A move split over two lines is two tokens; lines are joined with a blank.
  EXPECT_EQ(l.m.LadePartie("[White \"B\"]\n\n1.e4 e5 2.\nNf3 *"), 0);
  EXPECT_EQ(Hauptlinie(l.m).size(), 3u);
  // Several tag pairs on a line, and movetext right after the last one.
  EXPECT_EQ(
      l.m.LadePartie("[Event \"E\"][White \"W\"] [Foo \"1\"]\n[Black \"B\"] 1.e4 e5\n2.Nf3 *"), 0);
  EXPECT_EQ(
      std::tie(l.m.Partiedaten.Kopf.Event, l.m.Partiedaten.Kopf.White, l.m.Partiedaten.Kopf.Black),
      std::tie("E", "W", "B"));
  EXPECT_EQ(l.m.AndereTags, TTagListe{"[Foo \"1\"]"});
  EXPECT_EQ(Hauptlinie(l.m), (Namen{"e2e4", "e7e5", "g1f3"}));
}

// Every line end (LF, CR LF, CR, mixed) becomes one blank, a final one
// included; a comment across lines shows it.
struct ZeilenFall {
  const char* name;
  const char* text;
  const char* kommentar;
};

class LineEnds : public testing::TestWithParam<ZeilenFall> {};

TEST_P(LineEnds, JoinTheMovetextWithBlanks) {
  Leser l;
  ASSERT_EQ(l.m.LadePartie(GetParam().text), 0);
  ASSERT_NE(l.m.Wurzel, nullptr);
  EXPECT_EQ(l.m.Wurzel->Erster->Kommentar, GetParam().kommentar);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineEnds,
    testing::Values(ZeilenFall{"Lf", "[W \"A\"]\n\n1.e4 {a\nb\n\nc} e5 *\n", "{a b  c}"},
                    ZeilenFall{"CrLf", "[W \"A\"]\r\n\r\n1.e4 {a\r\nb\r\n\r\nc} e5 *\r\n",
                               "{a b  c}"},
                    ZeilenFall{"Cr", "[W \"A\"]\r\r1.e4 {a\rb\r\rc} e5 *\r", "{a b  c}"},
                    ZeilenFall{"Mixed", "[W \"A\"]\n\n1.e4 {a\r\nb\r\nc} e5 *\n", "{a b c}"},
                    ZeilenFall{"LfNoFinalEnd", "[W \"A\"]\n\n1.e4 {a\nb}", "{a b}"},
                    ZeilenFall{"LfCommentAtTheEnd", "[W \"A\"]\n\n1.e4 {a\n}\n", "{a}"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Leser, FenStartAndFischerInfoEveryGame) {
  Leser l;
  int gemeldet = 0;
  l.m.OnFischerInfo = [&](const TFischerInfo& info) {
    ++gemeldet;
    EXPECT_EQ(info.Fischer, 0);
  };
  EXPECT_EQ(l.Lade("23...Kd7 24.Kd2", "[FEN \"4k3/8/8/8/8/8/8/4K3 b - - 0 23\"]"), 0);
  EXPECT_EQ(l.m.Partiedaten.StartZugNummer, 23);
  EXPECT_EQ(l.m.Partiedaten.StartZug.AmZug, -1);
  EXPECT_EQ(Hauptlinie(l.m), (Namen{"e8d7", "e1d2"}));
  EXPECT_EQ(l.Lade("1.e4"), 0);
  EXPECT_EQ(gemeldet, 2);
}

TEST(Leser, PasteReadsAtMostTheFirst9999Characters) {
  Leser l;
  Ablage ablage;
  EXPECT_FALSE(l.m.PGNEinfuegen(ablage));
  std::string pgn = "[Event \"E\"]\n\n1.e4 e5 {";
  pgn += std::string(9999 - pgn.size(), 'x');
  pgn += "} 2.Nf3 *";  // the "}" is character 10,000
  ablage.text = pgn;
  EXPECT_TRUE(l.m.PGNEinfuegen(ablage));
  EXPECT_EQ(l.fehler, std::vector<std::string>{"Error reading moves."});
  EXPECT_EQ(Hauptlinie(l.m).size(), 2u);
  // A character across the cut is left out whole.
  ablage.text = pgn.replace(9998, 2, "\xC3\xA9");
  EXPECT_TRUE(l.m.PGNEinfuegen(ablage));
  EXPECT_EQ(l.m.PGNSchreiben().find('\xC3'), std::string::npos);
  ablage.text = "[Event \"E\"]\n\n1.d4 *";
  EXPECT_TRUE(l.m.PGNEinfuegen(ablage));
  EXPECT_EQ(Hauptlinie(l.m), (Namen{"d2d4"}));
}

// ---------------------------------------------------------------------------
// Real and generated games

// Generated games (tags, comments, NAGs, nested variations, FEN and Fischer
// Random starts, UTF-8 names) against the plies and final positions an
// independent chess library computed for them. See tests/data/README.md.
class GenerierteTest : public ::testing::TestWithParam<const char*> {};

TEST_P(GenerierteTest, MainLineMatchesTheReference) {
  const std::string basis = std::string(BREVARO_TEST_DATA) + "/" + GetParam();
  const std::vector<std::string> partien = Partien(DateiLesen(basis + ".pgn"));
  std::istringstream erwartet(DateiLesen(basis + ".expected"));
  ASSERT_GE(partien.size(), 100u);
  Leser l;
  size_t verglichen = 0;
  std::string zeile;
  while (std::getline(erwartet, zeile)) {
    std::istringstream felder(zeile);
    size_t index = 0, plies = 0;
    std::string fen;
    felder >> index >> plies;
    felder.ignore(1);
    std::getline(felder, fen);
    ASSERT_LT(index, partien.size());
    EXPECT_EQ(l.m.LadePartie(partien[index]), 0) << "game " << index;
    const auto [gelesen, endstellung] = Endstellung(l.m);
    EXPECT_EQ(gelesen, plies) << "game " << index;
    EXPECT_EQ(endstellung, fen) << "game " << index;
    ++verglichen;
  }
  EXPECT_EQ(verglichen, partien.size());
  EXPECT_TRUE(l.fehler.empty());
}

INSTANTIATE_TEST_SUITE_P(Leser, GenerierteTest,
                         ::testing::Values("game_synthetic_lf", "game_synthetic_crlf"));

// ---------------------------------------------------------------------------
// Size and depth

TEST(Leser, LongGameLoadsLaysOutAndIsFreed) {
  std::string zuege;
  const char* runde[] = {"Nf3", "Nf6", "Ng1", "Ng8"};
  for (int ply = 0; ply < 200000; ++ply) {
    if (ply % 2 == 0) zuege += std::to_string(ply / 2 + 1) + ".";
    zuege += runde[ply % 4];
    zuege += ply % 2 == 0 ? " " : " {c} ";
  }
  FesteBreite breite(7);
  Leser l;
  l.m.Zeichenbreite = &breite;
  l.m.Breite = 600;
  // A variation after ply 65,535 keeps its move number.
  ASSERT_EQ(l.Lade(zuege + "(100000...Nd5) 100001.Nf3 *"), 0);
  EXPECT_EQ(LinienLaenge(l.m.Wurzel->Erster), 200001);
  const TBaum* letzter = l.m.Wurzel->Erster;
  while (letzter->Naechster->Naechster) letzter = letzter->Naechster;
  ASSERT_NE(letzter->Varianten, nullptr);
  EXPECT_EQ(letzter->Varianten->Erster->Zugnummer, 100000);
  EXPECT_EQ(letzter->Naechster->Zugnummer, 100001);
  EXPECT_NE(l.m.Notationstext.find("[100000...Nd5] 100001.Nf3"), std::string::npos);
  EXPECT_GT(l.m.Zeilenanfaenge().size(), 10000u);
  EXPECT_EQ(l.m.Kommentarbereiche().size(), 100000u);
  l.m.Zuruecksetzen();
  EXPECT_EQ(l.m.Wurzel, nullptr);
}

// A variation that opens with a variation of its own goes on from its start
// afterwards: the replaced move is not played, the same side is to move.
TEST(Leser, VariationOpeningWithAVariationStaysAtItsStart) {
  Leser l;
  ASSERT_EQ(l.Lade("1.e4 e5 ((1...d5) 1...c5 2.Nf3) 2.Nf3 *"), 0);
  EXPECT_EQ(Name(Knoten(l.m, {1, -1})), "c7c5");
  EXPECT_EQ(Name(Knoten(l.m, {1, -1, 1})), "g1f3");
  EXPECT_EQ(Name(Knoten(l.m, {1, -2})), "d7d5");
}

TEST(Leser, DeeplyNestedVariationsLoadLayOutAndAreFreed) {
  const int tiefe = 20000;
  std::string zuege = "1.e4 e5";
  for (int i = 0; i < tiefe; ++i) zuege += i % 2 == 0 ? " (1...c5" : " (1...c6";
  zuege += std::string(tiefe, ')') + " 2.Nf3 *";
  FesteBreite breite(7);
  Leser l;
  l.m.Zeichenbreite = &breite;
  l.m.Breite = 600;
  ASSERT_EQ(l.Lade(zuege), 0);
  int gefunden = 0;
  for (const TBaum* n = l.m.Wurzel->Erster->Naechster; n->Varianten; n = n->Varianten->Erster)
    ++gefunden;
  EXPECT_EQ(gefunden, tiefe);
  EXPECT_EQ(Hauptlinie(l.m), (Namen{"e2e4", "e7e5", "g1f3"}));
  EXPECT_NE(l.m.Notationstext.find("2.Nf3"), std::string::npos);

  // Unclosed brackets, and a long run of "(" with no move in between.
  ASSERT_EQ(l.Lade("1.e4 e5 " + std::string(tiefe, '(')), 0);
  ASSERT_EQ(l.Lade("1.e4 e5 " + std::string(tiefe, '(') + "1...c5"), 0);
  ASSERT_EQ(l.Lade("1." + std::string(tiefe, '(') + "e4"), -1);
  // A variation before the first move replaces nothing: kept as read.
  ASSERT_EQ(l.Lade(std::string(tiefe, '(') + "1.e4"), -1);
  EXPECT_EQ(l.m.Wurzel->Rest.size(), static_cast<size_t>(tiefe) + 4);
}
