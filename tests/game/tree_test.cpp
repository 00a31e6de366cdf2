#include "game/tree.h"

#include <gtest/gtest.h>

#include "test_util.h"

using namespace brevaro;

// How variations hang from the move they replace is checked by the reader's,
// the writer's and the navigation's tests over generated games, freeing long
// lines and deep nesting by the reader's; here: the list links and resetting.
TEST(Baum, DisposingOfAVariationRelinksItsNeighbours) {
  TNotationModell m;
  ASSERT_EQ(m.LadePartie("[Event \"x\"]\n\n1.e4 (1.d4) (1.c4) (1.Nf3) (1.b3) *"), 0);
  TBaum* e4 = m.Wurzel->Erster;
  TVariante* c4 = e4->Varianten->Naechste;
  TVariante* nf3 = c4->Naechste;
  EXPECT_EQ(nf3->Vorige, c4);
  LinieFreigeben(e4->Varianten);  // the first: the second becomes the head
  ASSERT_EQ(e4->Varianten, c4);
  EXPECT_EQ(c4->Vorige, nullptr);
  LinieFreigeben(c4->Naechste);  // the middle one, through its neighbour's link
  ASSERT_EQ(c4->Naechste->Vorige, c4);
  EXPECT_EQ(Name(c4->Naechste->Erster), "b2b3");
  LinieFreigeben(c4->Naechste);  // the last one
  EXPECT_EQ(c4->Naechste, nullptr);
  LinieFreigeben(e4->Varianten);  // the only one
  EXPECT_EQ(e4->Varianten, nullptr);
  TVariante* leer = nullptr;
  LinieFreigeben(leer);  // a no-op
  EXPECT_EQ(leer, nullptr);
}

TEST(Baum, NeuePartieResetsHeaderAndStartAndReportsStart) {
  TNotationModell m;
  int geaendert = 0;
  m.OnGameChanged = [&] { ++geaendert; };
  m.LadePartie(
      "[White \"A\"]\n[FEN \"4k3/8/8/8/8/8/8/4K3 b - - 0 30\"]\n[Foo \"bar\"]\n\n{x} 30...Kd7 *");
  m.SetGameChanged(true);
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
}
