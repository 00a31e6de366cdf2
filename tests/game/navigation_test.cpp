#include "game/navigation.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "test_util.h"

using namespace brevaro;

namespace {

// Answers the variation choice from a script and remembers the rows shown.
class Skriptwahl : public TVariantenwahlFrage {
 public:
  int Antwort = 0;
  std::vector<std::string> Zeilen;
  int Fragen = 0;
  int Waehlen(const std::vector<std::string>& zeilen, bool) override {
    Zeilen = zeilen;
    ++Fragen;
    return Antwort;
  }
};

// Position (1-based) of the `von`-th character of the first occurrence of
// `text` at or after `ab`.
int32_t Pos(const TNotationModell& m, const std::string& text, size_t von = 0, size_t ab = 0) {
  const size_t i = m.Notationstext.find(text, ab);
  EXPECT_NE(i, std::string::npos) << text;
  return static_cast<int32_t>(i + von + 1);
}

constexpr const char* Spiel =
    "{Intro} 1.e4 e5 2.Nf3 {good [sic] (really) move} Nc6 "
    "(2...d6 (2...f5 3.exf5) 3.d4 (3.Bc4 Be7 (3...h6)) 3...exd4) (2...Nf6 3.Nxe5) "
    "3.Bb5 a6 (3...Nf6 4.O-O) 4.Ba4 *";

class Navigation : public ::testing::Test {
 protected:
  void Laden(const std::string& zuege, bool ueberschrift = false, int breite = 0) {
    m.SetEnglish(true);
    m.Ueberschrift = ueberschrift;
    if (breite > 0) {
      m.Zeichenbreite = &feste;
      m.Breite = breite;
    }
    ASSERT_EQ(
        m.LadePartie("[White \"Anna\"]\n[Black \"Bert\"]\n[Event \"Cup 1.\"]\n\n" + zuege + "\n"),
        0);
    m.OnMoveChange = [this](const TZug&, const TSchachbrett& b, bool next) {
      ereignisse.push_back(next);
      EXPECT_EQ(b, m.Arbeitsbrett());
    };
    nav.Variantenwahl = &wahl;
    nav.Beep = [this] { ++beeps; };
  }
  void ErwarteAktuell(const TBaum* n) {
    EXPECT_EQ(m.Aktuell, n);
    EXPECT_EQ(m.Arbeitsbrett(), Nachgespielt(m, n));
    if (n) {
      EXPECT_EQ(m.AktuellerZug().Von, n->Zug.Von);
      EXPECT_EQ(m.AktuellerZug().Nach, n->Zug.Nach);
    } else {
      EXPECT_EQ(m.AktuellerZug().AmZug, m.Partiedaten.StartZug.AmZug);
    }
  }

  TNotationModell m;
  FesteBreite feste;
  TNavigation nav{m};
  Skriptwahl wahl;
  std::vector<bool> ereignisse;
  int beeps = 0;
};

}  // namespace

TEST(Klammern, PartnerSkipsCommentsAndNesting) {
  const std::string t = "a [b (c) {x ] y} d] e";
  EXPECT_EQ(Klammerpartner(t, ']', static_cast<int32_t>(t.find(" e"))), 3);
  EXPECT_EQ(Klammerpartner(t, ')', 8), 6);
  EXPECT_EQ(Klammerpartner(t, '}', 16), 10);
  EXPECT_EQ(Klammerpartner("x ] y", ']', 3), 1);  // no opener
}

struct Klick {
  const char* name;
  std::string text;  // clicked text (first occurrence)
  size_t zeichen;    // character of it clicked
  std::vector<int> weg;
  bool trifft;
};

class ZugAnPositionTest : public Navigation, public ::testing::WithParamInterface<Klick> {};

// Every move's own text, closed variations before it included, is clicked over
// generated games below; here a number, a blank and the texts that hold no move.
TEST_P(ZugAnPositionTest, LandsOnTheMoveAndItsPosition) {
  const Klick& k = GetParam();
  Laden(Spiel, true);
  const int32_t p = Pos(m, k.text, k.zeichen);
  EXPECT_EQ(nav.ZugAnPosition(p), k.trifft);
  ErwarteAktuell(k.trifft ? Knoten(m, k.weg) : nullptr);
}

INSTANTIATE_TEST_SUITE_P(Klicks, ZugAnPositionTest,
                         ::testing::Values(Klick{"FirstMoveNumber", "1.e4", 0, {}, true},
                                           Klick{"BlankSelectsNextMove", "} Nc6", 1, {3}, true},
                                           Klick{"HeadingEvent", "Cup 1.", 4, {}, false},
                                           Klick{"BracketInsideComment", "[sic]", 0, {}, false},
                                           Klick{"OpeningBrace", "{good", 0, {}, false},
                                           Klick{"ClosingBrace", "move}", 4, {}, false},
                                           Klick{"Result", "*", 0, {}, false}),
                         [](const ::testing::TestParamInfo<Klick>& i) {
                           return std::string(i.param.name);
                         });

TEST_F(Navigation, PathFollowingStopsAtAnEmptyPathOrLine) {
  Laden(Spiel);
  nav.PfadFolgen("", 4);
  ErwarteAktuell(Knoten(m, {3}));
  nav.PfadFolgen("1", 5);  // enters 2...d6, then 3.d4
  ErwarteAktuell(Knoten(m, {3, -1, 1}));
  nav.PfadFolgen("01", 5);  // second variation of Nc6
  ErwarteAktuell(Knoten(m, {3, -2, 1}));
  nav.PfadFolgen("00", 5);  // both passed: the main line
  ErwarteAktuell(Knoten(m, {4}));
  nav.PfadFolgen("", 0);
  ErwarteAktuell(nullptr);
  nav.PfadFolgen("", 1000);  // past the end: the last move
  ErwarteAktuell(Knoten(m, {6}));
}

TEST_F(Navigation, ForwardAndBackThroughTheMainLineAndOutOfAVariation) {
  Laden(Spiel);
  wahl.Antwort = 0;
  for (int i = 0; i < 7; ++i) nav.ZugVor();
  ErwarteAktuell(Knoten(m, {6}));
  EXPECT_EQ(wahl.Fragen, 2);  // at Nc6 and at a6
  EXPECT_EQ(ereignisse, std::vector<bool>(7, true));
  ereignisse.clear();
  for (int i = 0; i < 7; ++i) nav.ZugZurueck();
  ErwarteAktuell(nullptr);
  EXPECT_EQ(ereignisse, std::vector<bool>(7, false));
  nav.ZugZurueck();  // nothing at the start
  EXPECT_EQ(ereignisse.size(), 7u);
  // Forward at the end of a variation jumps to the next numbered move.
  nav.ZugAnPosition(Pos(m, "3.Nxe5", 3));
  ereignisse.clear();
  nav.ZugVor();
  ErwarteAktuell(Knoten(m, {4}));  // 3.Bb5
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(ereignisse, std::vector<bool>{false});
  // At the end of the main line nothing happens.
  nav.ZumEnde();
  ereignisse.clear();
  nav.ZugVor();
  ErwarteAktuell(Knoten(m, {6}));
  EXPECT_TRUE(ereignisse.empty());
  EXPECT_EQ(beeps, 1);
}

// A null move is stepped over and clicked like any move: the board keeps
// every piece, only the side to move changes.
TEST_F(Navigation, NullMovesStepAndClick) {
  Laden("1.e4 -- 2.d4 (2.Nf3 --) 2...e5 *");
  for (int i = 0; i < 3; ++i) nav.ZugVor();
  ErwarteAktuell(Knoten(m, {2}));
  EXPECT_EQ(m.AktuellerZug().AmZug, -1);
  nav.ZugZurueck();
  ErwarteAktuell(Knoten(m, {1}));
  EXPECT_EQ(m.AktuellerZug().AmZug, 1);
  EXPECT_EQ(m.Arbeitsbrett(), Nachgespielt(m, Knoten(m, {0})));
  EXPECT_TRUE(nav.ZugAnPosition(Pos(m, "--", 0, m.Notationstext.find("Nf3"))));
  ErwarteAktuell(Knoten(m, {2, -1, 1}));
  EXPECT_TRUE(nav.ZugAnPosition(Pos(m, "e5")));
  ErwarteAktuell(Knoten(m, {3}));
}

// The choice lists the move and its variations; an empty variation keeps its
// letter and the rows map to the cells. A cancelled choice moves nothing.
TEST_F(Navigation, ChoiceListsTheMoveAndItsVariations) {
  struct Fall {
    const char* zuege;
    const char* klick;  // the move before the choice, none: the start
    std::vector<std::string> zeilen;
    int antwort;
    std::vector<int> weg;
  };
  const Fall faelle[] = {
      {Spiel, "2.Nf3", {"A) 2...Nc6", "B) 2...d6", "C) 2...Nf6"}, 1, {3, -1}},
      {"1.e4 (1.d4 d5) (1.c4) e5 *", nullptr, {"A) 1.e4", "B) 1.d4", "C) 1.c4"}, 2, {0, -2}},
      {"1.e4 () (1.d4) e5 *", nullptr, {"A) 1.e4", "C) 1.d4"}, 1, {0, -2}},
  };
  for (const Fall& f : faelle) {
    Laden(f.zuege);
    if (f.klick) nav.ZugAnPosition(Pos(m, f.klick, 2));
    const TBaum* vorher = m.Aktuell;
    ereignisse.clear();
    wahl.Antwort = -1;
    nav.ZugVor();
    EXPECT_EQ(wahl.Zeilen, f.zeilen);
    ErwarteAktuell(vorher);
    EXPECT_TRUE(ereignisse.empty());
    wahl.Antwort = f.antwort;
    nav.ZugVor();
    ErwarteAktuell(Knoten(m, f.weg));
    EXPECT_EQ(ereignisse, std::vector<bool>{true});
  }
}

TEST_F(Navigation, ManyVariationsKeepReadableLetters) {
  EXPECT_EQ(Zeilenbuchstabe(0), "A");
  EXPECT_EQ(Zeilenbuchstabe(25), "Z");
  EXPECT_EQ(Zeilenbuchstabe(26), "AA");
  EXPECT_EQ(Zeilenbuchstabe(26 + 26 * 26), "AAA");
  std::string zuege = "1.e4";
  for (const char* z : {"a3", "a4", "b3", "b4", "c3", "c4", "d3", "d4", "e3", "f3", "f4", "g3",
                        "g4", "h3", "h4", "Na3", "Nc3", "Nf3", "Nh3"}) {
    for (int i = 0; i < 2 && zuege.size() < 400; ++i) zuege += std::string(" (1.") + z + ")";
  }
  Laden(zuege + " e5 *");
  wahl.Antwort = 30;
  nav.ZugVor();
  ASSERT_EQ(wahl.Zeilen.size(), 39u);
  EXPECT_EQ(wahl.Zeilen[27], "AB) 1.h3");
  EXPECT_EQ(wahl.Zeilen[38], "AM) 1.Nh3");
  ErwarteAktuell(Knoten(m, {0, -30}));
}

TEST_F(Navigation, JumpsBetweenBranchPointsAndBackOutOfVariations) {
  Laden(Spiel);
  nav.NaechsteVariante();  // stops just before Nc6, the first move with alternatives
  ErwarteAktuell(Knoten(m, {2}));
  nav.NaechsteVariante();  // over Nc6 to just before a6
  ErwarteAktuell(Knoten(m, {4}));
  nav.NaechsteVariante();
  ErwarteAktuell(Knoten(m, {6}));
  nav.NaechsteVariante();  // at the end: stays, no event
  ErwarteAktuell(Knoten(m, {6}));
  EXPECT_EQ(ereignisse, std::vector<bool>(3, false));

  nav.VorigeVariante();  // before a6
  ErwarteAktuell(Knoten(m, {4}));
  nav.VorigeVariante();  // before Nc6
  ErwarteAktuell(Knoten(m, {2}));
  nav.VorigeVariante();
  ErwarteAktuell(nullptr);
  nav.VorigeVariante();  // nothing at the start
  EXPECT_EQ(ereignisse.size(), 6u);

  // Inside a variation: back to the position before the move it replaces.
  nav.ZugAnPosition(Pos(m, "3...exd4", 5));
  nav.VorigeVariante();
  ErwarteAktuell(Knoten(m, {3, -1}));  // before 3.d4, which has alternatives
  nav.ZugAnPosition(Pos(m, "2...f5", 4));
  ErwarteAktuell(Knoten(m, {3, -1, -1}));
  nav.ZugZurueck();  // f5 replaces d6, which replaces Nc6: back to after 2.Nf3
  ErwarteAktuell(Knoten(m, {2}));
  nav.ZugAnPosition(Pos(m, "3.exf5", 3));
  nav.VorigeVariante();
  ErwarteAktuell(Knoten(m, {2}));
}

TEST_F(Navigation, StartAndEnd) {
  Laden("*");  // no moves: no steps
  nav.ZugVor();
  nav.NaechsteVariante();
  nav.ZumEnde();
  nav.ZugZurueck();
  EXPECT_TRUE(ereignisse.empty());
  EXPECT_FALSE(nav.ZugAnPosition(1));
  Laden(Spiel);
  ereignisse.clear();  // the load's reset
  nav.ZumAnfang();     // already there: no event
  EXPECT_TRUE(ereignisse.empty());
  nav.ZugAnPosition(Pos(m, "Be7", 1));
  nav.ZumEnde();  // from inside a variation to the main line's end
  ErwarteAktuell(Knoten(m, {6}));
  nav.ZumAnfang();
  ErwarteAktuell(nullptr);
  EXPECT_EQ(ereignisse, (std::vector<bool>{false, false}));
}

TEST_F(Navigation, LineChangeUpAndDown) {
  // 20 pixels wide: several lines of main line moves.
  Laden("1.e4 e5 2.Nf3 Nc6 3.Bb5 a6 4.Ba4 Nf6 5.O-O Be7 6.Re1 b5 *", false, 20);
  ASSERT_GE(m.Zeilenanfaenge().size(), 5u);
  nav.ZugAnPosition(Pos(m, "Nc6", 0));
  const int64_t zeile = ZeileVonZug(m, m.Aktuell);
  const int64_t zeilen = static_cast<int64_t>(m.Zeilenanfaenge().size());
  EXPECT_EQ(nav.ZeileWechseln(1, 1, zeilen), TZeilenwechsel::ZugGefunden);
  EXPECT_EQ(ZeileVonZug(m, m.Aktuell), zeile + 1);
  ErwarteAktuell(m.Aktuell);
  EXPECT_EQ(nav.ZeileWechseln(-1, 1, zeilen), TZeilenwechsel::ZugGefunden);
  EXPECT_EQ(ZeileVonZug(m, m.Aktuell), zeile);
  // Up from the first line: nothing above.
  nav.ZugAnPosition(Pos(m, "1.e4", 1));
  EXPECT_EQ(nav.ZeileWechseln(-1, 1, zeilen), TZeilenwechsel::Nichts);
  // Without a current move nothing happens.
  m.Aktuell = nullptr;
  EXPECT_EQ(nav.ZeileWechseln(1, 1, zeilen), TZeilenwechsel::Nichts);
  // Up into the heading: no move there.
  Laden("1.e4 e5 *", true);
  nav.ZugAnPosition(Pos(m, "1.e4", 1));
  EXPECT_EQ(nav.ZeileWechseln(-1, 1, static_cast<int64_t>(m.Zeilenanfaenge().size())),
            TZeilenwechsel::KeinZug);
  ErwarteAktuell(Knoten(m, {}));
}

TEST(Anzeige, LineOfMoveAndScrollTarget) {
  TNotationModell m;
  m.SetEnglish(true);
  ASSERT_EQ(m.LadePartie("[Event \"E\"]\n\n1.e4 (1.d4) e5 *\n"), 0);
  ASSERT_NE(m.Wurzel->Erster, nullptr);
  int32_t start = 0;
  EXPECT_EQ(ZeileVonZug(m, m.Wurzel->Erster, &start), 0);
  EXPECT_EQ(start, 1);
  EXPECT_EQ(ZeileVonZug(m, m.Wurzel->Erster->Varianten->Erster, &start), 1);
  EXPECT_EQ(ZeileVonZug(m, m.Wurzel->Erster->Naechster), 2);
  EXPECT_EQ(ZeileVonZug(m, nullptr), -1);

  struct Fall {
    int64_t zeile, erste, letzte, ziel;
  };
  for (const Fall& f :
       {Fall{-1, 1, 10, -1}, Fall{-1, 5, 14, 0}, Fall{3, 1, 10, -1}, Fall{10, 1, 10, 6},
        Fall{25, 1, 11, 20}, Fall{2, 5, 15, 0}, Fall{8, 11, 21, 3}, Fall{9, 10, 20, -1}}) {
    EXPECT_EQ(Scrollziel(f.zeile, f.erste, f.letzte), f.ziel)
        << f.zeile << " " << f.erste << " " << f.letzte;
  }
}

TEST(Tief, ClicksAndStepsInVariationsNestedThousandsDeep) {
  // 1.e4 (1.d4 (1.c4 (1.Nf3 ... ))) e5: every variation replaces White's first move.
  constexpr int Tiefe = 3000;
  const char* zuege[] = {"1.d4", "1.c4", "1.Nf3", "1.b3", "1.g3", "1.f4", "1.Nc3", "1.b4"};
  std::string text = "[Event \"E\"]\n\n1.e4 ";
  for (int i = 0; i < Tiefe; ++i) text += std::string("(") + zuege[i % 8] + " ";
  text += std::string(Tiefe, ')') + " e5 *\n";
  TNotationModell m;
  m.SetEnglish(true);
  ASSERT_EQ(m.LadePartie(text), 0);
  TNavigation nav(m);
  // The innermost variation's move.
  const size_t innen = m.Notationstext.rfind(zuege[(Tiefe - 1) % 8]);
  ASSERT_NE(innen, std::string::npos);
  ASSERT_TRUE(nav.ZugAnPosition(static_cast<int32_t>(innen) + 3));
  const TBaum* n = m.Wurzel->Erster;
  for (int i = 0; i < Tiefe; ++i) n = n->Varianten->Erster;
  EXPECT_EQ(m.Aktuell, n);
  nav.ZugZurueck();  // back to the start, through every replaced move
  EXPECT_EQ(m.Aktuell, nullptr);
  EXPECT_EQ(m.Arbeitsbrett(), m.Partiedaten.StartBrett);
  // After all of them: the main line's answer.
  ASSERT_TRUE(nav.ZugAnPosition(static_cast<int32_t>(m.Notationstext.rfind("e5")) + 1));
  EXPECT_EQ(m.Aktuell, m.Wurzel->Erster->Naechster);
}

// Generated games (tests/data): every move found at its own text, every click
// on a move's text landing on that move, and random steps keeping the board
// equal to the replayed path.
TEST(Synthetisch, ClicksAndStepsOverGeneratedGames) {
  std::mt19937 zufall(2026);
  FesteBreite feste;
  int spiele = 0;
  for (const std::string& spiel : Partien(DateiLesen(BREVARO_TEST_DATA "/game_synthetic_lf.pgn"))) {
    ++spiele;
    Modell modell(false);
    TNotationModell& m = modell.m;
    m.Zeichenbreite = &feste;
    m.Breite = 60;
    m.Ueberschrift = spiele % 2 == 0;
    ASSERT_EQ(m.LadePartie(spiel), 0) << spiele;
    TNavigation nav(m);
    Skriptwahl wahl;
    nav.Variantenwahl = &wahl;
    // Every node at its own text position.
    std::vector<TBaum*> stapel{m.Wurzel->Erster};
    while (!stapel.empty()) {
      TBaum* n = stapel.back();
      stapel.pop_back();
      if (!n) continue;
      ASSERT_TRUE(nav.ZugAnPosition(n->TextPos + n->TextLaenge - 1)) << spiele;
      ASSERT_EQ(m.Aktuell, n) << spiele << " at " << n->TextPos;
      ASSERT_EQ(m.Arbeitsbrett(), Nachgespielt(m, n)) << spiele;
      stapel.push_back(n->Naechster);
      for (TVariante* v = n->Varianten; v; v = v->Naechste) stapel.push_back(v->Erster);
    }

    // Random clicks and steps.
    const int32_t laenge = static_cast<int32_t>(m.Notationstext.size());
    const int64_t zeilen = static_cast<int64_t>(m.Zeilenanfaenge().size());
    for (int i = 0; i < 150; ++i) {
      switch (zufall() % 9) {
        case 0: {
          const int32_t p = 1 + static_cast<int32_t>(zufall() % static_cast<uint32_t>(laenge));
          const char c = m.Notationstext[static_cast<size_t>(p - 1)];
          if (nav.ZugAnPosition(p) && c != ' ' && c != '[' && c != '(' && c != ']' && c != ')') {
            ASSERT_LE(m.Aktuell->TextPos, p) << spiele;
            ASSERT_LT(p, m.Aktuell->TextPos + m.Aktuell->TextLaenge) << spiele;
          }
          break;
        }
        case 1:
        case 2:
          wahl.Antwort = static_cast<int>(zufall() % 4) - 1;
          nav.ZugVor();
          break;
        case 3:
          nav.ZugZurueck();
          break;
        case 4:
          nav.VorigeVariante();
          break;
        case 5:
          nav.NaechsteVariante();
          break;
        case 6:
          if (zufall() % 2) {
            nav.ZumAnfang();
          } else {
            nav.ZumEnde();
          }
          break;
        default:
          nav.ZeileWechseln(zufall() % 2 ? 1 : -1, 1, zeilen);
          break;
      }
      ASSERT_EQ(m.Arbeitsbrett(), Nachgespielt(m, m.Aktuell)) << spiele << " step " << i;
    }
  }
  EXPECT_GT(spiele, 200);
}
