#include "game/tree_edit.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <unordered_map>

#include "round_trip.h"
#include "test_util.h"

namespace brevaro {
namespace {

int F(const char* name) {
  return 21 + (name[1] - '1') * 10 + (name[0] - 'a');
}

// The movetext as written, lines joined.
std::string Zugtext(TNotationModell& m) {
  const std::string pgn = m.PGNSchreiben();
  return WeissraumZusammengefasst(pgn.substr(pgn.find("\r\n\r\n") + 4));
}

// The game written and read again is the same game.
::testing::AssertionResult LiestSichZurueck(TNotationModell& m) {
  Modell zurueck;
  zurueck.m.LadePartie(m.PGNSchreiben());
  const std::string d = SpielUnterschied(m, zurueck.m);
  if (d.empty() && !zurueck.m.Lesefehler) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << d << " in " << m.PGNSchreiben();
}

// Every move of every game (variations too) entered on an empty copy in the
// order the reader reads them gives the same tree: the records, their check
// and disambiguation marks and the places of new variations are the reader's.
TEST(Baumbearbeitung, EnteringEveryMoveRebuildsTheGame) {
  int spiele = 0;
  for (const std::string& text : Partien(DateiLesen(BREVARO_TEST_DATA "/game_synthetic_lf.pgn"))) {
    Modell quelle, kopie;
    ASSERT_EQ(quelle.m.LadePartie(text), 0);
    // The copy starts from the same position, without moves.
    kopie.m.LadePartie(text.substr(0, text.find("\n\n") + 2) + "*\n");
    TBaumbearbeitung b(kopie.m);
    std::unordered_map<const TBaum*, TBaum*> neu{{nullptr, nullptr}};
    std::vector<const TBaum*> offen;
    if (quelle.m.Wurzel && quelle.m.Wurzel->Erster) offen.push_back(quelle.m.Wurzel->Erster);
    bool verschachtelt = false;
    while (!offen.empty() && !verschachtelt) {
      const TBaum* o = offen.back();
      offen.pop_back();
      // A variation hanging from a variation's first move is entered beside
      // it, at the same point of the game: such games are left out.
      const TBaum* m = o->Zurueck;
      verschachtelt = m && m->Naechster != o && m->Zurueck && m->Zurueck->Naechster != m;
      if (verschachtelt) break;
      if (o->Naechster) offen.push_back(o->Naechster);
      // The variations after the move, the first one first.
      std::vector<const TBaum*> varianten;
      for (const TVariante* v = o->Varianten; v; v = v->Naechste) varianten.push_back(v->Erster);
      offen.insert(offen.end(), varianten.rbegin(), varianten.rend());
      kopie.m.Aktuell = neu.at(Vorgaenger(o));
      kopie.m.NotationAufbauen();
      const TZug& z = o->Zug;
      const bool fischer = z.Rochade == FischerKurz || z.Rochade == FischerLang;
      ASSERT_NE(b.ZugEingeben(z.Von, z.Nach, std::abs(z.Umwandlung), fischer), TEingabe::Abgelehnt)
          << text;
      neu[o] = kopie.m.Aktuell;
      neu[o]->Zug.Zugbewertung = z.Zugbewertung;
      neu[o]->Zug.Stellungsbewertung = z.Stellungsbewertung;
      neu[o]->Kommentar = o->Kommentar;
      if (m && m->Naechster != o) {  // a variation's first move: the comment before it
        const TVariante* q = m->Varianten;
        while (q->Erster != o) q = q->Naechste;
        TVariante* k = neu[o]->Zurueck->Varianten;
        while (k->Erster != neu[o]) k = k->Naechste;
        k->Kommentar = q->Kommentar;
      }
    }
    if (verschachtelt) continue;
    ASSERT_EQ(BaumUnterschied(quelle.m.Wurzel, kopie.m.Wurzel), "") << text;
    ++spiele;
  }
  EXPECT_GT(spiele, 180);  // of 250
}

// Each step's movetext as written; the written game reads back to the same
// tree, and undoing every step goes back through the same texts.
TEST(Baumbearbeitung, EditsReadBackAndUndoToTheLoadedGame) {
  Modell s;
  s.Lade("1.e4 e5 2.Nf3 Nc6 3.Bb5 a6 *");
  TBaumbearbeitung b(s.m);
  auto gehe = [&s](std::vector<int> weg) {
    s.m.Aktuell = Knoten(s.m, weg);
    s.m.NotationAufbauen();
  };
  auto zug = [&b](const char* von, const char* nach) {
    return b.ZugEingeben(F(von), F(nach), 0, false);
  };
  const std::pair<std::function<bool()>, std::string> schritte[] = {
      {[&] {
         gehe({1});
         return zug("g1", "f3") == TEingabe::Naechster && zug("b8", "c6") == TEingabe::Naechster &&
                zug("f1", "c4") == TEingabe::NeueVariante &&
                zug("f8", "c5") == TEingabe::Verlaengert && zug("a1", "a3") == TEingabe::Abgelehnt;
       },
       "1.e4 e5 2.Nf3 Nc6 3.Bb5 (3.Bc4 Bc5) 3...a6 *"},
      {[&] {
         gehe({3});
         return zug("f1", "c4") == TEingabe::Variante && zug("g8", "f6") == TEingabe::NeueVariante;
       },
       "1.e4 e5 2.Nf3 Nc6 3.Bb5 (3.Bc4 Bc5 (3...Nf6)) 3...a6 *"},
      {[&] { return b.VarianteHeraufstufen(); },
       "1.e4 e5 2.Nf3 Nc6 3.Bb5 (3.Bc4 Nf6 (3...Bc5)) 3...a6 *"},
      {[&] { return b.VarianteHeraufstufen() && !b.VarianteHeraufstufen(); },
       "1.e4 e5 2.Nf3 Nc6 3.Bc4 (3.Bb5 a6) 3...Nf6 (3...Bc5) *"},
      {[&] {
         return zug("f3", "g5") == TEingabe::Verlaengert && b.ZugbewertungSetzen(5) &&
                b.StellungsbewertungSetzen(14) && b.KommentarSetzen("Fried liver") &&
                !b.KommentarSetzen("a } b");
       },
       "1.e4 e5 2.Nf3 Nc6 3.Bc4 (3.Bb5 a6) 3...Nf6 (3...Bc5) 4.Ng5 $5 $14 {Fried liver} *"},
      {[&] {
         gehe({5, -1});
         return b.VarianteLoeschen() && s.m.Aktuell == Knoten(s.m, {4});
       },
       "1.e4 e5 2.Nf3 Nc6 3.Bc4 (3.Bb5 a6) 3...Nf6 4.Ng5 $5 $14 {Fried liver} *"},
      {[&] {
         gehe({4, -1, 1});
         return b.RestLoeschen() && s.m.Aktuell == Knoten(s.m, {4, -1});
       },
       "1.e4 e5 2.Nf3 Nc6 3.Bc4 (3.Bb5) 3...Nf6 4.Ng5 $5 $14 {Fried liver} *"},
      {[&] {
         gehe({0});
         return b.RestLoeschen() && !s.m.Aktuell && !b.RestLoeschen();
       },
       "*"},
  };
  std::vector<std::string> texte{Zugtext(s.m)};
  for (const auto& [tun, erwartet] : schritte) {
    ASSERT_TRUE(tun()) << erwartet;
    EXPECT_EQ(Zugtext(s.m), erwartet);
    EXPECT_TRUE(LiestSichZurueck(s.m));
    EXPECT_TRUE(s.m.GameChanged());
    texte.push_back(erwartet);
  }
  EXPECT_EQ(b.Schritte(), 12u);  // moves that add to the tree, and the edits
  ASSERT_TRUE(b.Rueckgaengig());
  EXPECT_EQ(Zugtext(s.m), texte[texte.size() - 2]);
  while (b.Rueckgaengig()) {
  }
  // Nothing goes after text kept from a reading error.
  Modell fehler;
  fehler.Lade("1.e4 e5 2.Qxz9 Nf6 *");
  fehler.m.Aktuell = Knoten(fehler.m, {1});
  fehler.m.NotationAufbauen();
  EXPECT_EQ(TBaumbearbeitung(fehler.m).ZugEingeben(F("g1"), F("f3"), 0, false),
            TEingabe::Abgelehnt);
  EXPECT_FALSE(b.Rueckgaengig());
  EXPECT_EQ(Zugtext(s.m), texte.front());
  EXPECT_FALSE(s.m.GameChanged());
  Modell geladen;
  geladen.Lade("1.e4 e5 2.Nf3 Nc6 3.Bb5 a6 *");
  EXPECT_EQ(SpielUnterschied(s.m, geladen.m), "");
}

// A comment before a variation's first move is written there, and promoting
// the variation keeps it before that move: after the move before it, before
// the line it now starts, or before the game's first move. Undo restores it,
// and the further NAG of the line's first move.
TEST(Baumbearbeitung, PromotionKeepsTheCommentBeforeTheLine) {
  const std::string geladen =
      "1.e4 ({A} 1.d4 $140 d5 ({B} 1...Nf6) (1...c5 ({C} 1...e5))) 1...e5 *";
  Modell s;
  s.Lade(geladen);
  TBaumbearbeitung b(s.m);
  EXPECT_EQ(Zugtext(s.m), geladen);
  const std::pair<std::vector<int>, std::string> schritte[] = {
      {{0, -1, 1, -1}, "1.e4 ({A} 1.d4 $140 {B} Nf6 (1...d5) (1...c5 ({C} 1...e5))) 1...e5 *"},
      {{0, -1, 1, -2, -1}, "1.e4 ({A} 1.d4 $140 {B} Nf6 (1...d5) ({C} 1...e5 (1...c5))) 1...e5 *"},
      {{0, -1}, "{A} 1.d4 $140 {B} (1.e4 e5) 1...Nf6 (1...d5) ({C} 1...e5 (1...c5)) *"},
  };
  for (const auto& [weg, erwartet] : schritte) {
    s.m.Aktuell = Knoten(s.m, weg);
    ASSERT_TRUE(b.VarianteHeraufstufen()) << erwartet;
    EXPECT_EQ(Zugtext(s.m), erwartet);
    EXPECT_TRUE(LiestSichZurueck(s.m));
  }
  while (b.Rueckgaengig()) {
  }
  EXPECT_EQ(Zugtext(s.m), geladen);
}

struct RegelFall {
  const char* fen;
  const char* zuege;
  int32_t wiederholungen;
  int32_t halbzuege;
};

// Repetitions count the en-passant square only where a capture there is
// possible; the ply count starts at the start position.
TEST(Baumbearbeitung, RuleCountsAlongThePath) {
  const RegelFall faelle[] = {
      {"", "1.Nf3 Nf6 2.Ng1 Ng8 3.Nf3 Nf6 4.Ng1 Ng8 *", 3, 8},
      {"", "1.Nf3 Nf6 2.Ng1 Ng8 3.Nf3 Nf6 4.Ng1 (4.Nc3) 4...Ng8 *", 3, 8},
      {"4k3/8/8/8/p7/8/4P3/4K3 w - - 7 1", "1.e4 Kd8 2.Kd1 Ke8 3.Ke1 *", 2, 4},
      {"4k3/8/8/8/5p2/8/4P3/4K3 w - - 7 1", "1.e4 Kd8 2.Kd1 Ke8 3.Ke1 *", 1, 4},
      {"4k3/8/8/8/8/8/8/R3K3 w - - 99 1", "1.Ra2 *", 1, 1},
  };
  for (const RegelFall& f : faelle) {
    Modell s;
    s.Lade(f.zuege, *f.fen ? std::string("[FEN \"") + f.fen + "\"]" : "");
    const TBaum* n = s.m.Wurzel->Erster;
    while (n->Naechster) n = n->Naechster;
    const TRegelstand r = RegelstandNach(s.m, n);
    EXPECT_EQ(r.Wiederholungen, f.wiederholungen) << f.zuege;
    EXPECT_EQ(r.Halbzuege, f.halbzuege) << f.zuege;
  }
}

TEST(Baumbearbeitung, NoticesComeOnceByTheMoveThatReachesThem) {
  Modell s;
  s.Lade("*", "[FEN \"4k3/8/8/8/8/8/8/R3K3 w - - 0 1\"]");
  std::vector<int> dreifach, fuenfzig;
  int ply = 0;
  s.m.On3Repetition = [&] { dreifach.push_back(ply); };
  s.m.On50MovesRule = [&] { fuenfzig.push_back(ply); };
  TBaumbearbeitung b(s.m);
  const char* zyklus[][2] = {{"a1", "a2"}, {"e8", "d8"}, {"a2", "a1"}, {"d8", "e8"}};
  for (ply = 1; ply <= 104; ++ply) {
    const auto& z = zyklus[(ply - 1) % 4];
    ASSERT_EQ(b.ZugEingeben(F(z[0]), F(z[1]), 0, false), TEingabe::Verlaengert);
  }
  EXPECT_EQ(dreifach, std::vector<int>{8});
  EXPECT_EQ(fuenfzig, std::vector<int>{100});
}

// The other square: the next move of the line first, else the only legal move.
TEST(Baumbearbeitung, MoveSuggestion) {
  Modell s;
  s.Lade("1.e4 e5 *");
  const std::tuple<int, const char*, int> faelle[] = {
      {0, "e2", F("e4")}, {0, "e4", F("e2")}, {0, "g1", 0}, {0, "a2", 0},
      {1, "e7", F("e5")}, {1, "e6", F("e7")}, {1, "f6", 0}};
  for (const auto& [plies, feld, vorschlag] : faelle) {
    s.m.Aktuell = plies ? s.m.Wurzel->Erster : nullptr;
    s.m.NotationAufbauen();
    EXPECT_EQ(Zugvorschlag(s.m, static_cast<uint8_t>(F(feld))), vorschlag) << feld;
  }
}

}  // namespace
}  // namespace brevaro
