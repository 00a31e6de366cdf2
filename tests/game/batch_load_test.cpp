// Loading without notation text (TLadeart::OhneNotationstext) against the
// normal load: the same tree, header, boards, error state and events.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

using namespace brevaro;

namespace {

std::string Zugbild(const TZug& z) {
  std::ostringstream s;
  s << int{z.Rochaderechte} << ',' << int{z.EnPassant} << ',' << int{z.AmZug} << ',' << int{z.Von}
    << ',' << int{z.Nach} << ',' << int{z.EPSchlagfeld} << ',' << int{z.Rochade} << ','
    << int{z.Umwandlung} << ',' << int{z.Geschlagen} << ',' << int{z.Zeichen} << ','
    << int{z.Zugbewertung} << ',' << z.Stellungsbewertung;
  return s.str();
}

std::string Brettbild(const TSchachbrett& b) {
  std::string s;
  for (const auto feld : b) s += std::to_string(int{feld}) + ' ';
  return s;
}

// The tree in reading order, variations in brackets; walked with a stack.
std::string Baumbild(const TVariante* wurzel) {
  std::string s;
  struct TOffen {
    const TBaum* Knoten;
    const TVariante* Zelle;  // next variation of Knoten to write
  };
  std::vector<TOffen> stapel;
  const TBaum* n = wurzel ? wurzel->Erster : nullptr;
  if (wurzel) s += '<';
  while (true) {
    if (n) {
      s += '[' + Zugbild(n->Zug) + ' ' + n->Kommentar + ']';
      stapel.push_back({n, n->Varianten});
    }
    // Next: a variation of the newest open node, else its successor.
    while (!stapel.empty()) {
      TOffen& o = stapel.back();
      if (o.Zelle) {
        const TVariante* v = o.Zelle;
        o.Zelle = v->Naechste;
        s += '(';
        n = v->Erster;
        if (!n) s += ')';
        break;
      }
      const TBaum* fertig = o.Knoten;
      stapel.pop_back();
      n = fertig->Naechster;
      if (n) break;
      if (!stapel.empty()) s += ')';  // a variation's last move
    }
    if (stapel.empty() && !n) break;
  }
  return s;
}

// Everything a load leaves beside the notation text, plus the events raised.
struct TLadung {
  TNotationModell m;
  TFischerInfo fischer;
  std::vector<std::string> ereignisse;
  explicit TLadung(bool englisch) {
    m.SetEnglish(englisch);
    m.OnFischerInfo = [this](const TFischerInfo& info) {
      fischer = info;
      m.SetFischerInfo(info.Fischer ? &fischer : nullptr);
      ereignisse.push_back("fischer " + std::to_string(info.Fischer));
    };
    m.OnError = [this](const std::string& f) { ereignisse.push_back("error " + f); };
    m.OnMoveChange = [this](const TZug& z, const TSchachbrett& b, bool naechster) {
      ereignisse.push_back("move " + Zugbild(z) + ' ' + Brettbild(b) + std::to_string(naechster));
    };
  }
  std::string Laden(std::string_view text, TLadeart art) {
    ereignisse.clear();
    m.SetFischerInfo(nullptr);
    const int32_t ergebnis = m.LadePartie(text, art);
    const TEventData& k = m.Partiedaten.Kopf;
    std::ostringstream s;
    s << "result " << ergebnis << "\nlesefehler " << m.Lesefehler << "\nkopf " << k.White << '|'
      << k.Black << '|' << k.Event << '|' << k.Annotator << '|' << k.Site << '|' << k.Result << '|'
      << k.ECO << '|' << k.Year << '.' << k.Month << '.' << k.Day << '|' << k.Round << '|'
      << k.WhiteElo << '|' << k.BlackElo << '|' << k.MoveCount << '|' << k.EventYear << '|' << k.FEN
      << '|' << k.MetaDescription << '|' << k.MetaKeywords << "\nandere ";
    for (const std::string& t : m.AndereTags) s << t << '|';
    s << "\nvorkommentar " << m.Partiedaten.Vorkommentar << "\nstart "
      << Brettbild(m.Partiedaten.StartBrett) << Zugbild(m.Partiedaten.StartZug) << ' '
      << m.Partiedaten.StartZugNummer << "\naktuell " << (m.Aktuell == nullptr) << ' '
      << (m.AktuelleLinie == nullptr) << "\nbrett " << Brettbild(m.Arbeitsbrett())
      << Zugbild(m.AktuellerZug()) << "\nbaum " << Baumbild(m.Wurzel) << '\n';
    for (const std::string& e : ereignisse) s << e << '\n';
    return s.str();
  }
};

// Both loads of each game, each model reused from game to game as a batch
// would; after the load without text, NotationAufbauen gives the normal text.
void Vergleichen(const std::vector<std::string>& partien, bool englisch) {
  TLadung normal(englisch), ohne(englisch);
  for (size_t i = 0; i < partien.size(); ++i) {
    SCOPED_TRACE("game " + std::to_string(i) + ":\n" + partien[i].substr(0, 300));
    const std::string erwartet = normal.Laden(partien[i], TLadeart::MitNotationstext);
    ASSERT_EQ(ohne.Laden(partien[i], TLadeart::OhneNotationstext), erwartet);
    EXPECT_TRUE(ohne.m.Notationstext.empty());
    EXPECT_TRUE(ohne.m.Zeilenanfaenge().empty());
    ohne.m.NotationAufbauen();
    normal.m.NotationAufbauen();
    ASSERT_EQ(ohne.m.Notationstext, normal.m.Notationstext);
    ASSERT_EQ(ohne.m.Zeilenanfaenge().size(), normal.m.Zeilenanfaenge().size());
    ASSERT_EQ(ohne.m.Kommentarbereiche().size(), normal.m.Kommentarbereiche().size());
    EXPECT_EQ(Baumbild(ohne.m.Wurzel), Baumbild(normal.m.Wurzel));
  }
}

class BatchDateiTest : public ::testing::TestWithParam<std::string> {};

TEST_P(BatchDateiTest, GleichWieNormalesLaden) {
  const std::vector<std::string> partien = Partien(DateiLesen(GetParam()));
  ASSERT_GT(partien.size(), 0u);
  Vergleichen(partien, true);
}

INSTANTIATE_TEST_SUITE_P(
    Dateien, BatchDateiTest,
    ::testing::Values(std::string(BREVARO_SAMPLES) + "/classics.pgn",
                      std::string(BREVARO_TEST_DATA) + "/game_synthetic_lf.pgn",
                      std::string(BREVARO_TEST_DATA) + "/game_synthetic_crlf.pgn",
                      std::string(BREVARO_TEST_DATA) + "/game_import_forms.pgn"));

// Games with reading errors (with and without moves before them), comments
// with blanks the layout trims, empty and nested variations, FEN starts, in
// both languages of the error message; the models run through them in order,
// so each load also starts from the previous game's state.
TEST(BatchLaden, FehlerUndRandfaelleGleichWieNormalesLaden) {
  const std::vector<std::string> partien = {
      "[Event \"A\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Qxz9 Nf6 *\n",
      "[Event \"B\"]\n\n( 1. e4 ) *\n",
      "[Event \"C\"]\n\n1. e4 {never closed\n",
      "[Event \"D\"]\n\n{  lead  } 1. e4 {  two blanks  } e5 {   three   } ({ }) 2. Nf3 {x} *\n",
      "[Event \"E\"]\n\n1. e4 ( ) ( 1. d4 d5 ( 1... Nf6 2. c4 ( 2. Nf3 ) ) ) e5 $1 $14 2. Ke2 *\n",
      "[Event \"F\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 w - - 0 40\"]\n\n40. e4 Kd7 41. e5 *\n",
      "[Event \"G\"]\n[FEN \"not a position\"]\n\n1. e4 *\n",
      "[Event \"H\"]\n\n1. e4 e5 2. o-o *\n",
      "[Event \"I\"]\n[White \"W\"]\n[Foo \"bar\"]\n\n{only a comment}\n",
      "1. e4 e5 without tags\n",
      "[Event \"J\"]\n\n1. e4 e5 2. Bb7 Nc6 ( 2... Nf6 3. Zz4 ) *\n",
      "[Event \"K\"]\n\n",
      "[Event \"L\"]\n\n1. f3 e5 2. g4 Qh4# 0-1\n",
  };
  Vergleichen(partien, true);
  Vergleichen(partien, false);
}

// Loads of both kinds mixed on one model leave no trace of the other kind.
TEST(BatchLaden, WechselDerLadeartAufEinemModell) {
  const std::string mitKommentar = "[Event \"A\"]\n\n1. e4 {  c  } e5 ( 1... c5 ) 2. Nf3 *\n";
  const std::string andere = "[Event \"B\"]\n\n1. d4 d5 2. c4 *\n";
  TLadung frisch(true), gemischt(true);
  frisch.Laden(mitKommentar, TLadeart::MitNotationstext);
  gemischt.Laden(andere, TLadeart::MitNotationstext);
  gemischt.Laden(andere, TLadeart::OhneNotationstext);
  EXPECT_EQ(gemischt.Laden(mitKommentar, TLadeart::MitNotationstext),
            frisch.Laden(mitKommentar, TLadeart::MitNotationstext));
  EXPECT_EQ(gemischt.m.Notationstext, frisch.m.Notationstext);
  EXPECT_EQ(gemischt.m.Zeilenanfaenge().size(), frisch.m.Zeilenanfaenge().size());
}

}  // namespace
