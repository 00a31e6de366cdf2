// Position search: the first hit in a game, and the threaded search of a file.
#include "collections/position_search.h"

#include <string>
#include <vector>

#include "testfiles.h"

using namespace brevaro;
using brevaro::test::ScratchDir;

namespace {

// After 1. e4 e5 2. Nf3 Nc6, white to move.
const char* const kSpanisch = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
// After 1. e4, black to move.
const char* const kE4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1";

TStellungssuche Suche(const std::string& fen, bool varianten) {
  TSchachbrett brett = LeeresBrett;
  TZug zug;
  uint16_t n = 1;
  EXPECT_TRUE(FENToStellung(fen, brett, zug, n)) << fen;
  return TStellungssuche(brett, zug.AmZug, varianten);
}

struct TFall {
  const char* name;
  std::string fen;
  std::string partie;  // tags and movetext
  int32_t hauptlinie;  // ply of the first hit without variations
  int32_t mitVarianten;
};

}  // namespace

TEST(PositionSearch, FirstHitInAGame) {
  const std::vector<TFall> faelle = {
      {"main line", kSpanisch, "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 *", 4, 4},
      {"only the side not to move", "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b - - 0 1",
       "1. e4 e5 2. Nf3 Nc6 3. Bb5 *", -1, -1},
      {"start position is ply 0", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1",
       "1. e4 *", 0, 0},
      {"only in a variation", kSpanisch, "1. e4 e5 2. Nf3 d6 (2... Nc6) 3. d4 *", -1, 4},
      {"a main-line hit beats an earlier variation", kE4,
       "1. Nf3 (1. e4) 1... Nf6 2. Ng1 Ng8 3. e4 *", 5, 5},
      {"variations in the order written", kE4,
       "1. d4 (1. Nf3 Nf6 2. Ng1 (2. Nc3 Ng8) 2... Ng8 3. e4) (1. e4) *", -1, 5},
      // The capture in the main line loses material the target has; the
      // variation before it still counts.
      {"variation before a capture", "rnbqkbnr/ppp1pppp/8/3p4/4P3/2N5/PPPP1PPP/R1BQKBNR b - - 0 1",
       "1. e4 d5 2. exd5 (2. Nc3) 2... Qxd5 *", -1, 3},
      {"promotion makes a second queen", "k3Q3/8/8/8/8/8/8/K2Q4 b - - 0 1",
       "[FEN \"k7/4P3/8/8/8/8/8/K2Q4 w - - 0 1\"]\n\n1. e8=Q+ Kb7 *", 1, 1},
      // "x" onto an empty square is read as a move that takes nothing.
      {"capture sign without a capture",
       "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b - - 0 1", "1. Nxf3 e5 2. e4 *", 3, 3},
      // A result or an unclosed comment in a variation ends only the
      // variation's reading, at its ")".
      {"result in a variation", kSpanisch, "1. e4 e5 (1... d5 1-0) 2. Nf3 Nc6 *", 4, 4},
      {"unclosed comment in a variation", kSpanisch, "1. e4 e5 (1... d5 {x) 2. Nf3 Nc6 *", 4, 4},
      {"variation with a comment that holds brackets", kSpanisch,
       "1. e4 e5 (1... d5 {(a} 2. exd5) 2. Nf3 Nc6 *", 4, 4},
      // Reading stops at the move that cannot be played; moves read before it count.
      {"game read in part, hit before the error", kSpanisch, "1. e4 e5 2. Nf3 Nc6 3. Qxh8 Nf6 *", 4,
       4},
      {"game read in part, position after the error", kSpanisch, "1. e4 e5 2. Nf3 Qa5 Nc6 *", -1,
       -1},
  };
  for (const TFall& f : faelle) {
    const std::string text = "[Event \"x\"]\n" + f.partie + "\n";
    TNotationModell modell;
    modell.LadePartie(text, TLadeart::OhneNotationstext);
    const TTreffer haupt = Suche(f.fen, false).ErsterTreffer(modell);
    const TTreffer alle = Suche(f.fen, true).ErsterTreffer(modell);
    EXPECT_EQ(haupt.Ply, f.hauptlinie) << f.name;
    EXPECT_EQ(alle.Ply, f.mitVarianten) << f.name;
    // The node is the move that leads to the position.
    if (alle.Ply > 0) {
      ASSERT_NE(alle.Knoten, nullptr) << f.name;
      EXPECT_EQ(alle.Knoten->Zug.AmZug, Suche(f.fen, true).AmZug()) << f.name;
    }
    // As the file search reads a game for its main line: that line alone, up
    // to the move that leaves fewer pieces than the target.
    const TStellungssuche suche = Suche(f.fen, false);
    TNotationModell teil;
    teil.MindestFiguren = suche.Figuren();
    teil.OhneVarianten = true;
    teil.Weiterlesen = [&](const TSchachbrett& brett) { return suche.Erreichbar(brett); };
    teil.LadePartie(suche.Lesetext(text), TLadeart::OhneNotationstext);
    EXPECT_EQ(suche.ErsterTreffer(teil).Ply, f.hauptlinie) << f.name << " (main line read alone)";
  }
}

TEST(PositionSearch, NeverUnreachableWhileTheTargetCanStillArise) {
  const TStellungssuche suche = Suche(kSpanisch, false);
  TSchachbrett brett = GrundstellungBrett;
  EXPECT_TRUE(suche.Erreichbar(brett));
  brett[30 + 4] = Leer;  // the d2 pawn the target has on its square stepped on
  brett[40 + 4] = Bauer;
  EXPECT_FALSE(suche.Erreichbar(brett));
  brett[20 + 3] = Bauer;  // unless a pawn on the first rank (c1) can step there
  EXPECT_FALSE(suche.Erreichbar(brett));
  EXPECT_TRUE(suche.Erreichbar(brett, false));
  brett = GrundstellungBrett;
  brett[20 + 1] = Leer;  // a rook fewer, no pawn to spare: pawns cannot come back
  EXPECT_FALSE(suche.Erreichbar(brett, false));
  // A pawn of the target comes from a pawn behind it, at most as many files
  // aside as ranks behind.
  const TStellungssuche a5 = Suche("4k3/8/8/P7/8/8/8/4K3 w - - 0 1", false);
  for (const auto& [fen, erreichbar] : {std::pair{"4k3/8/8/8/8/2P5/8/4K3 w - - 0 1", true},
                                        std::pair{"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", false},
                                        std::pair{"4k3/8/P7/8/8/8/8/4K3 w - - 0 1", false}}) {
    TZug zug;
    uint16_t n = 1;
    ASSERT_TRUE(FENToStellung(fen, brett = LeeresBrett, zug, n));
    EXPECT_EQ(a5.Erreichbar(brett), erreichbar) << fen;
  }
}

TEST(PositionSearch, AMainLineSearchReadsOneTagLineWithoutAnotherStart) {
  const TStellungssuche suche = Suche(kSpanisch, false);
  const std::string zuege = "1. e4 d5 *";
  EXPECT_EQ(suche.Lesetext("[Event \"x\"]\r\n\r\n" + zuege), "[Event \"x\"]\r\n\r\n" + zuege);
  EXPECT_EQ(suche.Lesetext("[Event \"x\"]\n%escaped\n\n[Site \"y\"]\n" + zuege),
            "[Site \"y\"]\n" + zuege);
  for (const std::string& text :
       {"[FEN \"" + std::string(kSpanisch) + "\"]\n\n3. Bb5 *",
        std::string("[Event \"x\"]\n[Variant \"Chess960\"]\n\n1. e4 *"),
        "[Event \"x\"] [FEN \"" + std::string(kSpanisch) + "\"]\n[Site \"y\"]\n\n3. Bb5 *", zuege})
    EXPECT_EQ(suche.Lesetext(text), text);
  EXPECT_EQ(Suche(kSpanisch, true).Lesetext("[Event \"x\"]\n\n" + zuege),
            "[Event \"x\"]\n\n" + zuege);
}

class FileSearch : public ScratchDir {};

TEST_F(FileSearch, SameHitsForAnyNumberOfThreadsAndAStopKeepsAFirstPart) {
  // Three kinds of game in turn; those of the first kind reach the target in
  // the main line, those of the second only in a variation.
  std::string text;
  const int spiele = 12000;
  for (int g = 0; g < spiele; ++g) {
    text += "[Event \"" + std::to_string(g) + "\"]\n\n";
    switch (g % 3) {
      case 0:
        text += "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 *\n\n";
        break;
      case 1:
        text += "1. e4 c5 (1... e5 2. Nf3 Nc6) 2. Nf3 d6 3. d4 cxd4 *\n\n";
        break;
      default:
        text += "1. c4 e5 2. Nc3 Nf6 3. Nf3 Nc6 4. g3 d5 *\n\n";
    }
  }
  TPGNIndex index;
  index.SetFileName(Schreiben("viele.pgn", text));
  ASSERT_EQ(index.GameCount(), spiele);

  for (const bool varianten : {false, true}) {
    const TStellungssuche suche = Suche(kSpanisch, varianten);
    std::vector<std::pair<int64_t, int32_t>> erwartet;
    for (int g = 0; g < spiele; ++g)
      if (g % 3 == 0 || (varianten && g % 3 == 1)) erwartet.emplace_back(g, 4);
    for (const int threads : {1, 2, 8}) {
      std::vector<std::pair<int64_t, int32_t>> treffer;
      TSuchlauf lauf;
      lauf.Threads = threads;
      lauf.OnTreffer = [&](int64_t g, int32_t ply) { treffer.emplace_back(g, ply); };
      EXPECT_EQ(StellungSuchen(index, suche, nullptr, lauf), spiele);
      EXPECT_EQ(treffer, erwartet) << threads << " threads";
    }
  }

  // A subset of the games, and a stop at the first progress report.
  const TStellungssuche suche = Suche(kSpanisch, false);
  std::vector<int64_t> teil;
  for (int g = 0; g < spiele; g += 2) teil.push_back(g);
  std::vector<int64_t> gefunden;
  TSuchlauf lauf;
  lauf.Threads = 2;
  lauf.OnTreffer = [&](int64_t g, int32_t) { gefunden.push_back(g); };
  int berichte = 0;
  lauf.OnTrace = [&](int prozent, TCancelMode& modus) {
    if (prozent > 0 && ++berichte == 1) modus = cmCancel;
  };
  const int64_t geprueft = StellungSuchen(index, suche, &teil, lauf);
  EXPECT_LT(geprueft, static_cast<int64_t>(teil.size()));
  std::vector<int64_t> erwartet;
  for (int64_t i = 0; i < geprueft; ++i)
    if (teil[i] % 3 == 0) erwartet.push_back(teil[i]);
  EXPECT_EQ(gefunden, erwartet);
}
