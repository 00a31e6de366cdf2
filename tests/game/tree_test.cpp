#include "game/tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/notation_model.h"

using namespace brevaro;

namespace {

// The UCI-like name of a node's move ("e2e4").
std::string Name(const TBaum* n) {
  return std::string(FeldnameVonIndex(n->Zug.Von)) + std::string(FeldnameVonIndex(n->Zug.Nach));
}

std::vector<std::string> Linie(const TBaum* n) {
  std::vector<std::string> namen;
  for (; n; n = n->Naechster) namen.push_back(Name(n));
  return namen;
}

using Namen = std::vector<std::string>;

}  // namespace

TEST(Baum, VariationHangsFromTheMoveItReplaces) {
  TNotationModell m;
  ASSERT_EQ(m.LadePartie("[Event \"x\"]\n\n1.e4 e5 (1...c5 2.Nf3) 2.Nf3 *\n"), 0);
  ASSERT_NE(m.Wurzel, nullptr);
  EXPECT_EQ(m.Wurzel->Naechste, nullptr);
  EXPECT_EQ(m.Wurzel->Vorige, nullptr);
  const TBaum* e4 = m.Wurzel->Erster;
  EXPECT_EQ(Linie(e4), (Namen{"e2e4", "e7e5", "g1f3"}));
  EXPECT_EQ(e4->Zurueck, nullptr);
  const TBaum* e5 = e4->Naechster;
  EXPECT_EQ(e5->Zurueck, e4);
  ASSERT_NE(e5->Varianten, nullptr);
  EXPECT_EQ(e5->Varianten->Naechste, nullptr);
  const TBaum* c5 = e5->Varianten->Erster;
  EXPECT_EQ(Linie(c5), (Namen{"c7c5", "g1f3"}));
  EXPECT_EQ(c5->Zurueck, e5);
  EXPECT_EQ(c5->Naechster->Zurueck, c5);
  EXPECT_EQ(e5->Naechster->Zurueck, e5);
}

TEST(Baum, SiblingVariationsStayInReadingOrder) {
  TNotationModell m;
  ASSERT_EQ(m.LadePartie("[Event \"x\"]\n\n1.e4 (1.d4) (1.c4) e5 *"), 0);
  TBaum* e4 = m.Wurzel->Erster;
  TVariante* erste = e4->Varianten;
  ASSERT_NE(erste, nullptr);
  TVariante* zweite = erste->Naechste;
  ASSERT_NE(zweite, nullptr);
  EXPECT_EQ(zweite->Vorige, erste);
  EXPECT_EQ(erste->Vorige, nullptr);
  EXPECT_EQ(zweite->Naechste, nullptr);
  EXPECT_EQ(Name(erste->Erster), "d2d4");
  EXPECT_EQ(Name(zweite->Erster), "c2c4");
  EXPECT_EQ(Linie(e4), (Namen{"e2e4", "e7e5"}));

  // Disposing of the first makes the second the head of the list.
  LinieFreigeben(e4->Varianten);
  ASSERT_EQ(e4->Varianten, zweite);
  EXPECT_EQ(zweite->Vorige, nullptr);
  EXPECT_EQ(Name(zweite->Erster), "c2c4");
}

TEST(Baum, DisposingOfMiddleAndLastCellsRelinksNeighbours) {
  TNotationModell m;
  ASSERT_EQ(m.LadePartie("[Event \"x\"]\n\n1.e4 (1.d4) (1.c4) (1.Nf3) *"), 0);
  TBaum* e4 = m.Wurzel->Erster;
  TVariante* a = e4->Varianten;
  TVariante* c = a->Naechste->Naechste;
  LinieFreigeben(a->Naechste);  // the middle one, through its neighbour's link
  EXPECT_EQ(a->Naechste, c);
  EXPECT_EQ(c->Vorige, a);
  LinieFreigeben(a->Naechste);  // the last one
  EXPECT_EQ(a->Naechste, nullptr);
  LinieFreigeben(e4->Varianten);  // the only one
  EXPECT_EQ(e4->Varianten, nullptr);
  TVariante* leer = nullptr;
  LinieFreigeben(leer);  // a no-op
  EXPECT_EQ(leer, nullptr);
}

TEST(Baum, NestedVariationHangsFromTheVariationsMove) {
  TNotationModell m;
  ASSERT_EQ(m.LadePartie("[Event \"x\"]\n\n1.e4 e5 (1...c5 2.Nf3 (2.c3 d5) d6) 2.Nf3 *"), 0);
  const TBaum* c5 = m.Wurzel->Erster->Naechster->Varianten->Erster;
  const TBaum* nf3 = c5->Naechster;
  ASSERT_NE(nf3->Varianten, nullptr);
  const TBaum* c3 = nf3->Varianten->Erster;
  EXPECT_EQ(c3->Zurueck, nf3);
  EXPECT_EQ(Linie(c3), (Namen{"c2c3", "d7d5"}));
  EXPECT_EQ(Linie(c5), (Namen{"c7c5", "g1f3", "d7d6"}));
}

TEST(Baum, AnhaengenAndNeueVarianteLinkAsReaderDoes) {
  TNotationModell m;
  m.Wurzel = new TVariante;
  m.AktuelleLinie = m.Wurzel;
  TZug z;
  z.Von = 35;
  z.Nach = 55;
  TBaum* a = m.NeuerKnoten(z);
  m.Anhaengen();
  EXPECT_EQ(m.Wurzel->Erster, a);
  EXPECT_EQ(a->Zurueck, nullptr);
  TBaum* b = m.NeuerKnoten(z);
  m.Anhaengen();
  EXPECT_EQ(a->Naechster, b);
  EXPECT_EQ(b->Zurueck, a);
  EXPECT_EQ(m.Aktuell, b);
  m.AktuelleLinie = b->Varianten;
  m.NeueVariante();
  ASSERT_NE(b->Varianten, nullptr);
  EXPECT_EQ(m.AktuelleLinie, b->Varianten);
  TBaum* c = m.NeuerKnoten(z);
  m.Anhaengen();
  EXPECT_EQ(b->Varianten->Erster, c);
  EXPECT_EQ(c->Zurueck, b);
  m.Aktuell = b;
  m.AktuelleLinie = b->Varianten;
  m.NeueVariante();
  EXPECT_EQ(b->Varianten->Naechste, m.AktuelleLinie);
  EXPECT_EQ(m.AktuelleLinie->Vorige, b->Varianten);
}

TEST(Baum, NeuePartieResetsHeaderAndStartAndReportsStart) {
  TNotationModell m;
  int geaendert = 0;
  m.OnGameChanged = [&] { ++geaendert; };
  m.LadePartie(
      "[White \"A\"]\n[FEN \"4k3/8/8/8/8/8/8/4K3 b - - 0 30\"]\n[Foo \"bar\"]\n\n{x} 30...Kd7 *");
  EXPECT_EQ(m.AndereTags.size(), 1u);
  m.SetGameChanged(true);
  EXPECT_EQ(geaendert, 1);
  m.SetGameChanged(false);
  EXPECT_EQ(geaendert, 1);
  int meldungen = 0;
  bool vorwaerts = true;
  m.OnMoveChange = [&](const TZug& zug, const TSchachbrett& brett, bool next) {
    ++meldungen;
    vorwaerts = next;
    EXPECT_EQ(zug.Rochaderechte, AlleRochaderechte);
    EXPECT_EQ(brett, GrundstellungBrett);
  };
  m.NeuePartie();
  EXPECT_EQ(meldungen, 1);
  EXPECT_FALSE(vorwaerts);
  EXPECT_FALSE(m.GameChanged());
  EXPECT_EQ(geaendert, 1);
  EXPECT_EQ(m.Partiedaten.Kopf.White, "N.N.");
  EXPECT_TRUE(m.AndereTags.empty());
  EXPECT_EQ(m.Partiedaten.Kopf.OtherTags, &m.AndereTags);
  EXPECT_EQ(m.Partiedaten.StartBrett, GrundstellungBrett);
  EXPECT_EQ(m.Partiedaten.StartZugNummer, 1);
  EXPECT_EQ(m.Partiedaten.StartZug.AmZug, 1);
  EXPECT_EQ(m.Partiedaten.Vorkommentar, "");
  EXPECT_EQ(m.Arbeitsbrett(), GrundstellungBrett);
}

// A line of 200,000 moves and variations nested 20,000 deep are built, laid
// out and freed without recursion.
TEST(Baum, DeepTreesAreFreedWithoutRecursion) {
  TVariante* wurzel = new TVariante;
  TBaum* letzter = nullptr;
  for (int i = 0; i < 200000; ++i) {
    auto* n = new TBaum;
    n->Zurueck = letzter;
    (letzter ? letzter->Naechster : wurzel->Erster) = n;
    letzter = n;
  }
  EXPECT_EQ(LinienLaenge(wurzel->Erster), 200000);
  // Nest 20,000 variations, each on the first move of the previous one.
  TBaum* an = wurzel->Erster;
  for (int i = 0; i < 20000; ++i) {
    auto* v = new TVariante;
    auto* n = new TBaum;
    n->Zurueck = an;
    v->Erster = n;
    an->Varianten = v;
    an = n;
  }
  LinieFreigeben(wurzel);
  EXPECT_EQ(wurzel, nullptr);
}
