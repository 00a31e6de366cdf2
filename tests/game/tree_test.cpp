#include "game/tree.h"

#include <gtest/gtest.h>

#include "test_util.h"

using namespace brevaro;

// How variations hang from the move they replace is checked by the reader's,
// the writer's and the navigation's tests over generated games; here: the list
// links, building by hand, resetting and freeing.
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
