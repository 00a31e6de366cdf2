#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "test_util.h"

using namespace brevaro;

namespace {

using S = TSchrift;
using Zeilen = std::vector<std::pair<std::string, TSchrift>>;

Zeilen Aufgeteilt(const TNotationModell& m) {
  Zeilen z;
  const auto& anfaenge = m.Zeilenanfaenge();
  for (size_t i = 0; i < anfaenge.size(); ++i) {
    const size_t von = static_cast<size_t>(anfaenge[i].Pos - 1);
    const size_t bis = i + 1 < anfaenge.size() ? static_cast<size_t>(anfaenge[i + 1].Pos - 1)
                                               : m.Notationstext.size();
    z.emplace_back(m.Notationstext.substr(von, bis - von), anfaenge[i].Schrift);
  }
  return z;
}

std::string Pgn(const std::string& kopf, const std::string& zuege) {
  return "[Event \"E\"]\n" + kopf + "\n" + zuege + "\n";
}

}  // namespace

TEST(Notation, MainLineCommentAndFirstLevelVariation) {
  TNotationModell m;
  m.SetEnglish(true);
  ASSERT_EQ(
      m.LadePartie(Pgn("[Result \"1-0\"]", "1.e4 e5 2.Nf3 {good} Nc6 (2...d6 3.d4) 3.Bb5 1-0")), 0);
  EXPECT_EQ(Aufgeteilt(m), (Zeilen{{"1.e4 e5 2.Nf3 {good} Nc6 ", S::HauptFett},
                                   {"[2...d6 3.d4] ", S::Variante1},
                                   {"3.Bb5  ", S::HauptFett},
                                   {" ", S::Haupt},
                                   {"1-0", S::Kopf}}));
  auto text = [&m](int32_t pos, int32_t laenge) {
    return m.Notationstext.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(laenge));
  };
  ASSERT_EQ(m.Kommentarbereiche().size(), 1u);
  EXPECT_EQ(text(m.Kommentarbereiche()[0].Pos, m.Kommentarbereiche()[0].Laenge), "{good}");
  // The move fields the display and the clicks use; a comment is no part of its move.
  for (const auto& [weg, erwartet, nummer] :
       {std::tuple<std::vector<int>, const char*, int>{{2}, "2.Nf3", 2},
        {{3, -1}, "2...d6", 2},
        {{4}, "3.Bb5", 3}}) {
    const TBaum* n = Knoten(m, weg);
    EXPECT_EQ(text(n->TextPos, n->TextLaenge), erwartet);
    EXPECT_EQ(n->Zugnummer, nummer);
  }
}

struct AufteilungsFall {
  const char* zuege;
  bool fett;
  Zeilen zeilen;
};

class Aufteilung : public ::testing::TestWithParam<AufteilungsFall> {};

TEST_P(Aufteilung, LinesAndFontsFollowTheDepth) {
  TNotationModell m;
  m.AutoBold = GetParam().fett;
  m.SetEnglish(true);
  ASSERT_EQ(m.LadePartie(Pgn("", GetParam().zuege)), 0);
  EXPECT_EQ(Aufgeteilt(m), GetParam().zeilen);
}

INSTANTIATE_TEST_SUITE_P(
    Notation, Aufteilung,
    ::testing::Values(AufteilungsFall{"1.e4 (1.d4) e5 *",
                                      false,
                                      {{"1.e4 ", S::Haupt},
                                       {"[1.d4] ", S::Variante1},
                                       {"1...e5  ", S::Haupt},
                                       {" ", S::Haupt},
                                       {"*", S::Kopf}}},
                      // Deeper variations run on inside the second level.
                      AufteilungsFall{"1.e4 e5 (1...c5 2.Nf3 (2.c3 d5 (2...Nf6)) 2...d6) 2.Nf3 *",
                                      true,
                                      {{"1.e4 e5 ", S::HauptFett},
                                       {"[1...c5 2.Nf3 ", S::Variante1},
                                       {"(2.c3 d5 (2...Nf6)) ", S::Variante2},
                                       {"2...d6] ", S::Variante1},
                                       {"2.Nf3  ", S::HauptFett},
                                       {" ", S::Haupt},
                                       {"*", S::Kopf}}},
                      // A second level at the end closes on the same line.
                      AufteilungsFall{"1.e4 e5 (1...c5 2.Nf3 (2.c3)) (1...e6) 2.Nf3 *",
                                      true,
                                      {{"1.e4 e5 ", S::HauptFett},
                                       {"[1...c5 2.Nf3 ", S::Variante1},
                                       {"(2.c3)] ", S::Variante2},
                                       {"[1...e6] ", S::Variante1},
                                       {"2.Nf3  ", S::HauptFett},
                                       {" ", S::Haupt},
                                       {"*", S::Kopf}}}));

TEST(Notation, EmptyGameShowsOnlyTheResult) {
  TNotationModell m;
  ASSERT_EQ(m.LadePartie(Pgn("[Result \"0-1\"]", "")), 0);
  EXPECT_EQ(m.Notationstext, " 0-1");
  EXPECT_EQ(Aufgeteilt(m), (Zeilen{{" ", S::Haupt}, {"0-1", S::Kopf}}));
  EXPECT_EQ(m.Zeilenanfang(0), 1);
  EXPECT_EQ(m.Zeilenanfang(1), 2);
  EXPECT_EQ(m.Zeilenanfang(2), -1);
  EXPECT_EQ(m.Zeilenanfang(-1), -1);
}

TEST(Notation, BlackFirstMoveAndLeadingComment) {
  TNotationModell m;
  m.SetEnglish(true);
  ASSERT_EQ(m.LadePartie(
                Pgn("[FEN \"4k3/8/8/8/8/8/8/4K3 b - - 0 23\"]", "{Start} 23...Kd7 24.Kd2 Kc6 *")),
            0);
  EXPECT_EQ(m.Partiedaten.Vorkommentar, "{Start} ");
  EXPECT_EQ(Aufgeteilt(m)[0].first, "{Start}  23...Kd7 24.Kd2 Kc6  ");
  ASSERT_EQ(m.Kommentarbereiche().size(), 1u);
  EXPECT_EQ(m.Kommentarbereiche()[0].Pos, 1);
  EXPECT_EQ(m.Kommentarbereiche()[0].Laenge, 7);
}

TEST(Notation, HeadingLines) {
  struct Fall {
    std::string kopf;
    Zeilen erwartet;
  };
  const std::vector<Fall> faelle = {
      {"[White \"Anand\"]\n[Black \"Kramnik\"]\n[Event \"?\"]\n[Site \"\"]",
       {{"Anand - Kramnik ", S::Kopf}, {" ", S::Kopf}, {" ", S::Haupt}, {"*", S::Kopf}}},
      {"[White \"\"]\n[Black \"Kramnik\"]",
       {{"Kramnik ", S::Kopf}, {" ", S::Kopf}, {" ", S::Haupt}, {"*", S::Kopf}}},
      {"[White \"A\"]\n[Black \"B\"]\n[Event \"Linares\"]\n[Site \"?\"]\n[Date \"1994.02.24\"]",
       {{"A - B ", S::Kopf},
        {"Linares, 1994 ", S::Kopf},
        {" ", S::Kopf},
        {" ", S::Haupt},
        {"*", S::Kopf}}},
  };
  for (const auto& f : faelle) {
    TNotationModell m;
    m.Ueberschrift = true;
    ASSERT_EQ(m.LadePartie("[Event \"?\"]\n" + f.kopf + "\n\n"), 0);
    EXPECT_EQ(Aufgeteilt(m), f.erwartet) << f.kopf;
  }
  TNotationModell m;
  m.Ueberschrift = true;
  m.SetEnglish(true);
  ASSERT_EQ(m.LadePartie("[White \"A\"]\n[Black \"B\"]\n\n1.e4 *"), 0);
  EXPECT_EQ(m.Kopflaenge, 7);
  EXPECT_EQ(m.Notationstext.substr(7), "1.e4   *");
  EXPECT_EQ(Knoten(m, {})->TextPos, 8);
}

TEST(Notation, CommentBlanksAreTrimmedOnceEachSide) {
  TNotationModell m;
  m.SetEnglish(true);
  ASSERT_EQ(m.LadePartie(Pgn("", "1.e4 {  good  } e5 {} *")), 0);
  EXPECT_EQ(Knoten(m, {})->Kommentar, "{good}");
  EXPECT_EQ(Knoten(m, {1})->Kommentar, "{}");
  EXPECT_EQ(Aufgeteilt(m)[0].first, "1.e4 {good} e5  ");
}

// One pixel a byte, none for the rest of a UTF-8 sequence, as the view
// measures a UTF-8 game.
class Utf8Breite : public TZeichenbreite {
 public:
  int Breite(TSchrift, unsigned char c) const override { return (c & 0xC0) == 0x80 ? 0 : 1; }
};

TEST(Notation, WrapsAtBlanksAndCutsLongWords) {
  FesteBreite breite;
  TNotationModell m;
  m.SetEnglish(true);
  m.Zeichenbreite = &breite;
  m.Breite = 14;  // 12 characters after the indent of 2
  ASSERT_EQ(m.LadePartie(Pgn("", "1.e4 e5 2.Nf3 Nc6 3.Bb5 a6 *")), 0);
  EXPECT_EQ(Aufgeteilt(m), (Zeilen{{"1.e4 e5 ", S::Haupt},
                                   {"2.Nf3 Nc6 ", S::Haupt},
                                   {"3.Bb5 a6  ", S::Haupt},
                                   {" ", S::Haupt},
                                   {"*", S::Kopf}}));
  // A comment word wider than the line is cut three characters before the overflow.
  ASSERT_EQ(m.LadePartie(Pgn("", "1.e4 {abcdefghijklmnopqrstuvwxyz} *")), 0);
  const Zeilen z = Aufgeteilt(m);
  ASSERT_GE(z.size(), 3u);
  EXPECT_EQ(z[0].first, "1.e4 {abcd");  // braces take no width
  EXPECT_EQ(z[1].first, "efghijklm");
  EXPECT_EQ(z[2].first, "nopqrstuv");
  // In UTF-8 the cut falls between characters: no line begins inside one.
  Utf8Breite utf8;
  m.Zeichenbreite = &utf8;
  std::string wort;
  for (int i = 0; i < 10; ++i) wort += "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x99\x82";
  ASSERT_EQ(m.LadePartie(Pgn("", "1.e4 {" + wort + "} *")), 0);
  ASSERT_GE(Aufgeteilt(m).size(), 4u);
  for (const auto& [zeile, schrift] : Aufgeteilt(m))
    EXPECT_NE(static_cast<unsigned char>(zeile[0]) & 0xC0, 0x80) << zeile;
  m.Zeichenbreite = &breite;
  // A variation line is measured with its own indent.
  m.Indent1Var = 4;
  ASSERT_EQ(m.LadePartie(Pgn("", "1.e4 (1.d4 d5 2.c4) e5 *")), 0);
  EXPECT_EQ(Aufgeteilt(m)[1], (std::pair<std::string, TSchrift>{"[1.d4 d5 ", S::Variante1}));
  EXPECT_EQ(Aufgeteilt(m)[2], (std::pair<std::string, TSchrift>{"2.c4] ", S::Variante1}));
  m.Breite = 1000;
  m.NotationAufbauen();
  EXPECT_EQ(Aufgeteilt(m)[1].first, "[1.d4 d5 2.c4] ");
}

// One pixel a character until it fails after a number of measurements.
class VersagendeBreite : public TZeichenbreite {
 public:
  explicit VersagendeBreite(int bis) : bis_(bis) {}
  int Breite(TSchrift, unsigned char) const override {
    if (--bis_ < 0) throw std::runtime_error("measuring failed");
    return 1;
  }

 private:
  mutable int bis_;
};

TEST(Notation, AFailureWhileWrappingKeepsTheLinesFoundSoFar) {
  const std::string pgn = Pgn("", "1.e4 e5 2.Nf3 Nc6 3.Bb5 a6 4.Ba4 Nf6 *");
  FesteBreite fest;
  TNotationModell ganz;
  ganz.Zeichenbreite = &fest;
  ganz.Breite = 14;
  ASSERT_EQ(ganz.LadePartie(pgn), 0);
  const Zeilen alle = Aufgeteilt(ganz);

  VersagendeBreite versagend(20);  // enough for the first break only
  TNotationModell m;
  m.Zeichenbreite = &versagend;
  m.Breite = 14;
  ASSERT_EQ(m.LadePartie(pgn), 0);
  const Zeilen z = Aufgeteilt(m);
  EXPECT_EQ(m.Notationstext, ganz.Notationstext);
  ASSERT_EQ(z.size(), 4u);
  EXPECT_EQ(z[0], alle[0]);
  EXPECT_EQ(z[1].first, "2.Sf3 Sc6 3.Lb5 a6 4.La4 Sf6  ");
  EXPECT_EQ(z[3], (std::pair<std::string, TSchrift>{"*", S::Kopf}));
  EXPECT_GT(alle.size(), z.size());
}

TEST(Notation, ZeroWidthAndHugeWordsEndTheWrapping) {
  FesteBreite breite;
  TNotationModell m;
  m.Zeichenbreite = &breite;
  m.Breite = 0;  // no wrapping at all
  ASSERT_EQ(m.LadePartie(Pgn("", "1.e4 e5 *")), 0);
  EXPECT_EQ(m.Zeilenanfaenge().size(), 3u);
  m.Breite = 102;  // 100 characters a line
  ASSERT_EQ(m.LadePartie(Pgn("", "1.e4 {" + std::string(1000000, 'a') + "} *")), 0);
  // Each cut line keeps all but the last three characters of its width.
  EXPECT_GT(m.Zeilenanfaenge().size(), 1000000u / 98);
  EXPECT_LT(m.Zeilenanfaenge().size(), 1000000u / 96);
}
