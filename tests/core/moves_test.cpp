// Executing and taking back moves, castling rights, origin searches and
// resolution, and a replay of generated legal games checked against an
// independent chess library's results (tests/data/core-games.tsv).
#include "core/moves.h"

#include <gtest/gtest.h>

#include "fen_setup.h"

#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

using namespace brevaro;

namespace {

// Mailbox index of a square name such as "e4".
int F(std::string_view name) {
  return 21 + (name[1] - '1') * 10 + (name[0] - 'a');
}

// Sets up a board from "Ke1 Nd2 ng1 ..." (upper case white, lower case black).
TSchachbrett Brett(const std::string& figuren) {
  TSchachbrett b = LeeresBrett;
  std::istringstream in(figuren);
  std::string w;
  while (in >> w) {
    const size_t pos = FigurenZeichen.find(w[0]);
    b[F(std::string_view(w).substr(1))] = static_cast<int32_t>(pos) - 6;
  }
  return b;
}

// A move being built: state of the position plus the side that moves.
TZug Bau(int seite, int nach, uint8_t rechte = 0) {
  TZug z;
  z.AmZug = static_cast<int8_t>(seite);
  z.Nach = static_cast<int8_t>(nach);
  z.Rochaderechte = rechte;
  return z;
}

// Completes a move the way the move reader does and executes it.
void Abschliessen(TSchachbrett& b, TZug& z, const TFischerInfo* f = nullptr) {
  RochaderechteAnpassen(b, z);
  z.AmZug = static_cast<int8_t>(-z.AmZug);
  ZugAusfuehren(b, z, f);
}

}  // namespace

// ---------------------------------------------------------------------------
// Pawn moves, en passant, promotion

// Each resolved move is executed and taken back; en passant takes the pawn
// beside it, a promotion becomes a queen.
struct BauerFall {
  const char* figuren;  // "" for the initial position
  int seite;
  const char* text;
  const char* nach;
  const char* von;          // "" when the origin must not be found
  const char* ep;           // the en-passant square the move leaves ("" for none)
  const char* schlagfeld;   // the pawn taken en passant ("" for none)
  bool umwandlung = false;  // to a queen
};

TEST(Pawns, OriginExecuteAndTakeBack) {
  const BauerFall faelle[] = {
      {"", 1, "e4", "e4", "e2", "e3", ""},
      {"", 1, "e3", "e3", "e2", "", ""},
      {"", -1, "d5", "d5", "d7", "d6", ""},
      {"Ke1 ke8 Pe4 pd5", 1, "ed5", "d5", "e4", "", ""},
      {"Ke1 ke8 Pe4 pd5", 1, "e4d5", "d5", "e4", "", ""},
      {"Ke1 ke8 Pe4 pd5", 1, "xd5", "d5", "", "", ""},
      {"Ke1 ke8 Pa4", 1, "`a5", "a5", "", "", ""},  // a capture from a file off the board
      {"Ke1 ke8 Pe5 pd5", 1, "ed6", "d6", "e5", "", "d5"},
      {"Ka1 kh8 Pe7 rd8", 1, "ed8", "d8", "e7", "", "", true},
      {"Ka1 kh8 pe2 Rd1", -1, "e1", "e1", "e2", "", "", true},
  };
  for (const BauerFall& c : faelle) {
    SCOPED_TRACE(std::string(c.figuren) + " " + c.text);
    TSchachbrett b = *c.figuren ? Brett(c.figuren) : GrundstellungBrett;
    const TSchachbrett vorher = b;
    TZug z = Bau(c.seite, F(c.nach));
    if (!*c.von) {
      EXPECT_FALSE(BauerHerkunft(b, z, c.text));
      continue;
    }
    ASSERT_TRUE(BauerHerkunft(b, z, c.text));
    EXPECT_EQ(z.Von, F(c.von));
    EXPECT_EQ(z.EnPassant, *c.ep ? F(c.ep) : 0);
    EXPECT_EQ(z.EPSchlagfeld, *c.schlagfeld ? F(c.schlagfeld) : 0);
    EXPECT_EQ(z.Geschlagen, b[F(*c.schlagfeld ? c.schlagfeld : c.nach)]);
    if (c.umwandlung) z.Umwandlung = static_cast<int8_t>(c.seite * Dame);
    Abschliessen(b, z);
    TBelegung belegt = Belegung(vorher);
    BelegungNach(belegt, b, z);
    EXPECT_EQ(belegt, Belegung(b));
    EXPECT_EQ(b[F(c.nach)], c.seite * (c.umwandlung ? Dame : Bauer));
    EXPECT_EQ(b[F(c.von)], Leer);
    if (*c.schlagfeld) {
      EXPECT_EQ(b[F(c.schlagfeld)], Leer);
    }
    ZugZuruecknehmen(b, z, nullptr);
    EXPECT_EQ(b, vorher);
  }
}

// ---------------------------------------------------------------------------
// Castling

struct FischerFall {
  const char* name;
  const char* fen;
  int seite;
  bool kurz;
  const char* koenigNach;
  const char* turmNach;
  const char* bleibt;  // a square whose piece must not change ("" for none)
};

class Castling : public testing::TestWithParam<FischerFall> {};

TEST_P(Castling, ExecuteAndTakeBack) {
  const FischerFall& c = GetParam();
  FenAufbau a(c.fen);
  ASSERT_TRUE(a.gelesen);
  ASSERT_TRUE(a.fischer.Fischer);
  TSchachbrett& b = a.brett;
  const TFischerInfo* fischer = &a.fischer;
  const TSchachbrett vorher = b;
  TZug z = a.zug;
  z.AmZug = static_cast<int8_t>(c.seite);
  ASSERT_TRUE(RochadeHerkunft(z, c.kurz, true, fischer));
  EXPECT_EQ(z.Von, c.seite == 1 ? fischer->WeissKoenig : fischer->SchwarzKoenig);
  EXPECT_EQ(z.Nach, F(c.koenigNach));
  Abschliessen(b, z, fischer);
  TBelegung belegt = Belegung(vorher);
  BelegungNach(belegt, b, z);
  EXPECT_EQ(belegt, Belegung(b));
  EXPECT_EQ(b[F(c.koenigNach)], c.seite * Koenig);
  EXPECT_EQ(b[F(c.turmNach)], c.seite * Turm);
  if (*c.bleibt) {
    EXPECT_EQ(b[F(c.bleibt)], vorher[F(c.bleibt)]);
  }
  int figuren = 0, vorherFiguren = 0;
  for (int i = 21; i <= 98; ++i) {
    figuren += b[i] != Leer;
    vorherFiguren += vorher[i] != Leer;
  }
  EXPECT_EQ(figuren, vorherFiguren);
  ZugZuruecknehmen(b, z, fischer);
  EXPECT_EQ(b, vorher);
}

// Standard castling of either side is replayed in the generated games below.
INSTANTIATE_TEST_SUITE_P(
    Cases, Castling,
    testing::Values(
        // King f1 between rooks e1 and g1: king takes the rook's square g1.
        FischerFall{"KingToRookSquare", "bqnbrkrn/pppppppp/8/8/8/8/PPPPPPPP/BQNBRKRN w KQkq f1 0 1",
                    1, true, "g1", "f1", "e1"},
        // King already on g1: only the rook moves, h1 to f1.
        FischerFall{"KingAlreadyOnTarget", "4k3/8/8/8/8/8/8/4R1KR w - f1 0 1", 1, true, "g1", "f1",
                    "e1"},
        // Rook already on d1: only the king moves, e1 to c1.
        FischerFall{"RookAlreadyOnTarget", "4k3/8/8/8/8/8/8/3RK2R w - f1 0 1", 1, false, "c1", "d1",
                    "h1"},
        // Rook d1 -> d1 and king b1 -> c1 for black: king moves right on the long side.
        FischerFall{"BlackLongKingMovesRight", "rk6/8/8/8/8/8/8/RK6 b KQkq f1 0 1", -1, false, "c8",
                    "d8", ""},
        // Long castling where the rook's target is the king's start square.
        FischerFall{"RookToKingStart", "r2k3r/8/8/8/8/8/8/R2K3R b KQkq f1 0 1", -1, false, "c8",
                    "d8", "h8"},
        // King d1 and rook c1 swap squares.
        FischerFall{"KingAndRookSwap", "4k3/8/8/8/8/8/8/2RK3R w - f1 0 1", 1, false, "c1", "d1",
                    "h1"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(CastlingEdges, FischerWithoutInfoMovesOnlyTheKing) {
  TSchachbrett b = Brett("Kf1 Rg1 Re1 ke8");
  const TSchachbrett vorher = b;
  TZug z = Bau(1, 0);
  EXPECT_FALSE(RochadeHerkunft(z, true, true, nullptr));
  z.Von = static_cast<int8_t>(F("f1"));
  z.Nach = static_cast<int8_t>(F("g1"));
  z.Geschlagen = Turm;
  z.Rochade = FischerKurz;
  Abschliessen(b, z, nullptr);
  EXPECT_EQ(b[F("g1")], Koenig);
  EXPECT_EQ(b[F("f1")], Leer);
  ZugZuruecknehmen(b, z, nullptr);
  EXPECT_EQ(b, vorher);
}

TEST(CastlingEdges, MissingKingSquareIsRefusedAndBoardStaysWhole) {
  TFischerInfo f;  // a FEN without kings: no king squares
  TZug z = Bau(1, 0);
  EXPECT_FALSE(RochadeHerkunft(z, true, true, &f));
  // A record with off-board squares is neither executed nor taken back.
  TSchachbrett b = Brett("Ke1 ke8");
  const TSchachbrett vorher = b;
  z.Von = 0;
  z.Nach = 27;
  z.Rochade = FischerKurz;
  ZugAusfuehren(b, z, &f);
  EXPECT_EQ(b, vorher);
  ZugZuruecknehmen(b, z, &f);
  EXPECT_EQ(b, vorher);
  z.Von = 25;
  z.Nach = 27;
  z.Rochade = KeineRochade;
  z.EPSchlagfeld = 110;
  ZugAusfuehren(b, z, &f);
  EXPECT_EQ(b, vorher);
}

// A null move from a record that held a capture, castling and an en-passant
// square: none of it may reach the board, and the turn passes.
TEST(NullMove, ChangesNoSquareEitherWay) {
  TSchachbrett b = Brett("Ke1 Rh1 Pe5 ke8 pd5");
  const TSchachbrett vorher = b;
  TZug z = Bau(1, F("d6"), WeissKurz);
  z.Von = static_cast<int8_t>(F("e5"));
  z.EPSchlagfeld = static_cast<int8_t>(F("d5"));
  z.EnPassant = static_cast<uint8_t>(F("d6"));
  z.Rochade = KurzeRochade;
  z.Geschlagen = -Bauer;
  z.Umwandlung = Dame;
  NullzugSetzen(z);
  RochaderechteAnpassen(b, z);
  z.AmZug = static_cast<int8_t>(-z.AmZug);
  EXPECT_TRUE(IstNullzug(z));
  EXPECT_EQ(z.EnPassant, 0);
  EXPECT_EQ(z.Rochaderechte, WeissKurz);
  EXPECT_EQ(z.AmZug, -1);
  ZugAusfuehren(b, z, nullptr);
  EXPECT_EQ(b, vorher);
  ZugZuruecknehmen(b, z, nullptr);
  EXPECT_EQ(b, vorher);
}

// ---------------------------------------------------------------------------
// Castling rights

// A king move takes both rights of its side; in standard chess a move from
// or onto a corner takes that corner's right, in a Fischer Random game a right
// goes with its rook, not with a corner.
TEST(CastlingRights, FollowTheKingsAndTheRooks) {
  const std::string standard = "r3k2r/1b6/8/8/8/8/6B1/R2QKR1R w KQkq - 0 1";
  const std::string fischer = "rk4rb/8/8/8/8/8/8/RK4RB w KQkq - 0 1";
  constexpr uint8_t alle = AlleRochaderechte;
  const struct {
    const std::string& fen;
    const char *von, *nach;
    uint8_t danach;
  } faelle[] = {
      {standard, "h1", "h5", alle - WeissKurz},
      {standard, "a1", "a5", alle - WeissLang},
      {standard, "h8", "h5", alle - SchwarzKurz},
      {standard, "a8", "a5", alle - SchwarzLang},
      {standard, "e1", "f2", alle - WeissKurz - WeissLang},
      {standard, "e8", "d7", alle - SchwarzKurz - SchwarzLang},
      {standard, "g2", "a8", alle - SchwarzLang},  // the rook is taken
      {standard, "b7", "h1", alle - WeissKurz},
      {standard, "f1", "f5", alle},  // a rook off the corners
      {standard, "d1", "d5", alle},
      {fischer, "g1", "g5", alle - WeissKurz},              // the king-side rook moves
      {fischer, "h8", "h1", alle},                          // a move onto a corner
      {fischer, "h1", "g8", alle - SchwarzKurz},            // the black rook is taken on g8
      {fischer, "b1", "c2", alle - WeissKurz - WeissLang},  // the king
      {fischer, "a1", "a8", alle - WeissLang - SchwarzLang},
  };
  for (const auto& fall : faelle) {
    FenAufbau a(fall.fen);
    ASSERT_TRUE(a.gelesen);
    ASSERT_EQ(a.fischer.Fischer, &fall.fen == &fischer ? FischerXFEN : KeinFischer);
    TZug z = a.zug;
    z.Von = static_cast<int8_t>(F(fall.von));
    z.Nach = static_cast<int8_t>(F(fall.nach));
    RochaderechteAnpassen(a.brett, z, a.fischer.Fischer ? &a.fischer : nullptr);
    EXPECT_EQ(z.Rochaderechte, fall.danach) << fall.von << fall.nach;
  }
}

// ---------------------------------------------------------------------------
// Origin searches and resolution

struct HerkunftFall {
  const char* name;
  const char* figuren;
  int seite;
  int art;
  const char* hinweis;
  const char* nach;
  const char* von;  // "" when resolution must fail
  uint8_t zeichen;
};

class PieceOrigin : public testing::TestWithParam<HerkunftFall> {};

TEST_P(PieceOrigin, Resolves) {
  const HerkunftFall& c = GetParam();
  TSchachbrett b = Brett(c.figuren);
  const TSchachbrett vorher = b;
  TZug z = Bau(c.seite, F(c.nach));
  TKandidaten k;
  const bool ok = FigurHerkunft(b, z, c.art, c.hinweis, k);
  EXPECT_EQ(b, vorher) << "the pin test must put every piece back";
  if (*c.von == 0) {
    EXPECT_FALSE(ok);
    return;
  }
  ASSERT_TRUE(ok);
  EXPECT_EQ(z.Von, F(c.von));
  EXPECT_EQ(z.Zeichen, c.zeichen);
  EXPECT_EQ(z.Geschlagen, vorher[F(c.nach)]);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PieceOrigin,
    testing::Values(
        HerkunftFall{"NoHintLastWins", "Ke1 Nb1 Nf3 ke8", 1, Springer, "", "d2", "b1", 0},
        HerkunftFall{"FileHintF", "Ke1 Nb1 Nf3 ke8", 1, Springer, "f", "d2", "f3", 16},
        HerkunftFall{"RankHint", "Ke1 Ra1 Ra5 ke8", 1, Turm, "1", "a3", "a1", 32},
        HerkunftFall{"RankHintNoMatch", "Ke1 Ra1 Ra5 ke8", 1, Turm, "3", "a3", "", 0},
        HerkunftFall{"FileHintNoMatch", "Ke1 Nb1 Nf3 ke8", 1, Springer, "c", "d2", "", 0},
        HerkunftFall{"SquareHint", "Ke1 Qa1 Qa5 Qd1 ke8", 1, Dame, "a1", "d4", "a1", 48},
        HerkunftFall{"BadSquareHint", "Ke1 Qa1 Qa5 Qd1 ke8", 1, Dame, "1a", "d4", "", 0},
        HerkunftFall{"SingleCandidateIgnoresHint", "Ke1 Ng1 ke8", 1, Springer, "b", "f3", "g1", 0},
        HerkunftFall{"NoCandidate", "Ke1 Ng1 ke8", 1, Laeufer, "", "f3", "", 0},
        HerkunftFall{"Pin", "Ke1 Nd2 Ng1 ke8 ba5", 1, Springer, "", "f3", "g1", 0},
        HerkunftFall{"PinOnFile", "Kh1 ke8 nd7 ne6 Re1", -1, Springer, "", "c5", "d7", 0},
        // King in check by a rook: only the knight that blocks on the
        // destination is legal; the other one is pinned.
        HerkunftFall{"BlockCheck", "Ke1 Nc3 Nf2 Bb2 re8 bh4 kh8", 1, Springer, "", "e4", "c3", 0},
        // A rook pinned along a file may move along it.
        HerkunftFall{"MoveAlongPin", "Ke1 Re2 Rg3 bh4 re7 ke8", 1, Turm, "", "e3", "e2", 0},
        HerkunftFall{"AllPinned", "Ke1 Nd2 Nf2 ba5 bh4 kh8", 1, Springer, "", "e4", "", 0},
        HerkunftFall{"NoKingUsesE1", "Nd2 Ng1 ba5", 1, Springer, "", "f3", "g1", 0},
        // A piece of its own between the king and the bishop: no pin, so the
        // last candidate wins.
        HerkunftFall{"OwnPieceShieldsThePin", "Ke1 Nd2 Ng1 Pc3 ke8 ba5", 1, Springer, "", "f3",
                     "d2", 0},
        HerkunftFall{"PinByQueenOnDiagonal", "Ke1 Nd2 Ng1 ke8 qa5", 1, Springer, "", "f3", "g1", 0},
        HerkunftFall{"PinByQueenOnRank", "Ka1 Nc1 Nd4 ke8 qh1", 1, Springer, "", "b3", "d4", 0},
        // A rook attacks only along its own lines.
        HerkunftFall{"RookOnDiagonalPinsNothing", "Ke1 Nd2 Ng1 ke8 ra5", 1, Springer, "", "f3",
                     "d2", 0}),
    [](const auto& p) { return std::string(p.param.name); });

// ---------------------------------------------------------------------------
// Generated legal games, replayed by an independent chess library: every
// main-line move goes through origin resolution and execution, must find the
// library's from- and to-square, and the final position must match; then every
// move is taken back, each step restoring the board it came from.

namespace {

struct Partie {
  std::string startFen;  // "-" for the initial position
  std::string endFen4;
  std::vector<std::pair<std::string, std::string>> zuege;  // SAN, UCI
};

std::vector<Partie> LiesPartien() {
  std::vector<Partie> partien;
  std::ifstream in(std::string(BREVARO_TEST_DATA) + "/core-games.tsv", std::ios::binary);
  std::string zeile;
  while (std::getline(in, zeile)) {
    if (zeile.empty() || zeile[0] == '#') continue;
    Partie p;
    const size_t t1 = zeile.find('\t'), t2 = zeile.find('\t', t1 + 1);
    p.startFen = zeile.substr(0, t1);
    p.endFen4 = zeile.substr(t1 + 1, t2 - t1 - 1);
    std::istringstream zuege(zeile.substr(t2 + 1));
    std::string san, uci;
    while (zuege >> san >> uci) p.zuege.emplace_back(san, uci);
    partien.push_back(std::move(p));
  }
  return partien;
}

// The fields of a FEN text, split at blanks.
std::vector<std::string> Felder(const std::string& fen) {
  std::vector<std::string> teile;
  std::istringstream in(fen);
  std::string t;
  while (in >> t) teile.push_back(t);
  return teile;
}

// Resolves one SAN move the way the move reader does: `z` is the record being
// built (AmZug = the mover). Returns an empty string or a description of the fault.
std::string Aufloesen(TZugzustand& st, std::string san) {
  TZug& z = st.AktuellerZug;
  while (!san.empty() && (san.back() == '+' || san.back() == '#')) san.pop_back();
  if (san == "O-O" || san == "O-O-O") {
    const bool fischer = st.FischerInfo && st.FischerInfo->Fischer;
    return st.Rochieren(san == "O-O", fischer) ? "" : "castling refused";
  }
  std::string promo;
  if (const size_t eq = san.find('='); eq != std::string::npos) {
    promo = san.substr(eq + 1);
    san.erase(eq);
  }
  std::erase(san, 'x');
  if (san.size() < 2) return "short move";
  const std::string nach = san.substr(san.size() - 2);
  z.Nach = static_cast<int8_t>(F(nach));
  const size_t art = std::string_view("PRBNQK").find(san[0]);
  if (art != std::string_view::npos && art > 0) {
    const std::string hinweis = san.substr(1, san.size() - 3);
    if (!st.Figur(static_cast<int>(art) + 1, hinweis)) return "no piece found";
  } else {
    if (!st.Bauer(san)) return "no pawn origin";
    if (!promo.empty()) {
      const size_t p = std::string_view("PRBNQK").find(promo[0]);
      z.Umwandlung = static_cast<int8_t>(z.AmZug * (static_cast<int>(p) + 1));
    }
  }
  return "";
}

}  // namespace

TEST(GeneratedGames, MatchTheIndependentLibrary) {
  const std::vector<Partie> partien = LiesPartien();
  ASSERT_GE(partien.size(), 200u);
  size_t zuegeGesamt = 0, fischerPartien = 0;
  for (size_t nr = 0; nr < partien.size(); ++nr) {
    const Partie& p = partien[nr];
    SCOPED_TRACE("game " + std::to_string(nr));
    TZugzustand st;
    TFischerInfo fischer;
    uint16_t zugnummer = 1;
    if (p.startFen != "-") {
      ASSERT_TRUE(FENToStellung(p.startFen, st.Arbeitsbrett, st.AktuellerZug, zugnummer, &fischer));
      if (fischer.Fischer) {
        st.FischerInfo = &fischer;
        ++fischerPartien;
      }
    }
    const TSchachbrett start = st.Arbeitsbrett;
    std::vector<TSchachbrett> bretter;
    std::vector<TZug> gespielt;
    TBelegung belegt = Belegung(st.Arbeitsbrett);
    for (const auto& [san, uci] : p.zuege) {
      SCOPED_TRACE(san + " " + uci);
      // Start building from the position's state: the mover, the rights.
      TZug& z = st.AktuellerZug;
      const uint8_t ep = z.EnPassant;
      z.Von = z.Nach = z.EPSchlagfeld = z.Umwandlung = z.Geschlagen = 0;
      z.EnPassant = z.Rochade = z.Zeichen = 0;
      const int seite = z.AmZug;
      const std::string fehler = Aufloesen(st, san);
      ASSERT_EQ(fehler, "");
      EXPECT_EQ(z.Von, F(uci.substr(0, 2)));
      if (z.Rochade == FischerKurz || z.Rochade == FischerLang) {
        // The library writes the castling as the king taking its own rook.
        const bool kurz = z.Rochade == FischerKurz;
        const int turm = seite == 1 ? (kurz ? fischer.WeissTurm2 : fischer.WeissTurm1)
                                    : (kurz ? fischer.SchwarzTurm2 : fischer.SchwarzTurm1);
        EXPECT_EQ(turm, F(uci.substr(2, 2)));
      } else {
        EXPECT_EQ(z.Nach, F(uci.substr(2, 2)));
        const size_t art = std::string_view("PRBNQK").find(san[0]);
        const int kind = z.Rochade                       ? Koenig
                         : art == std::string_view::npos ? Bauer
                                                         : static_cast<int>(art) + 1;
        EXPECT_EQ(st.Arbeitsbrett[z.Von], seite * kind) << "the origin must hold the mover's piece";
      }
      if (uci.size() == 5) {
        EXPECT_EQ(z.Umwandlung, seite * static_cast<int>(std::string_view(" prbnqk").find(uci[4])));
      }
      // Every move of a legal game passes the rules, with the sets kept from move
      // to move as the reader keeps them.
      EXPECT_TRUE(ZugErlaubt(st.Arbeitsbrett, z, ep, st.FischerInfo));
      const bool figur = !z.Rochade && std::string_view("RBNQK").find(san[0]) != std::string::npos;
      EXPECT_TRUE(st.Erlaubt(ep, figur, &belegt));
      bretter.push_back(st.Arbeitsbrett);
      st.RechteAnpassen();
      z.AmZug = static_cast<int8_t>(-z.AmZug);
      st.Ausfuehren(belegt);
      ASSERT_EQ(belegt, Belegung(st.Arbeitsbrett));
      gespielt.push_back(z);
      ++zuegeGesamt;
    }
    // Written in X-FEN, as the library writes Chess960 castling rights.
    TFischerInfo xfen = fischer;
    if (xfen.Fischer) xfen.Fischer = FischerXFEN;
    const auto ist = Felder(StellungToFEN(st.Arbeitsbrett, st.AktuellerZug, 1, &xfen));
    const auto soll = Felder(p.endFen4);
    ASSERT_EQ(soll.size(), 4u);
    EXPECT_EQ(ist[0], soll[0]) << "placement";
    EXPECT_EQ(ist[1], soll[1]) << "side to move";
    EXPECT_EQ(ist[3], soll[3]) << "en passant";
    EXPECT_EQ(ist[2], soll[2]) << "castling rights";
    for (size_t i = gespielt.size(); i-- > 0;) {
      st.Zuruecknehmen(gespielt[i]);
      ASSERT_EQ(st.Arbeitsbrett, bretter[i]) << "taking back move " << i + 1;
    }
    EXPECT_EQ(st.Arbeitsbrett, start);
  }
  EXPECT_GT(zuegeGesamt, 10000u);
  EXPECT_GE(fischerPartien, 40u);
}

// ---------------------------------------------------------------------------
// The rules checked before a move is executed

struct RegelFall {
  const char* name;
  const char* fen;
  const char* von;
  const char* nach;
  uint8_t rochade;  // KeineRochade .. FischerLang
  int umwandlung;   // piece kind, 0 for none
  const char* ep;   // the en-passant capture square, "" for none
  bool erlaubt;
};

class Rules : public testing::TestWithParam<RegelFall> {};

TEST_P(Rules, AreCheckedBeforeExecution) {
  const RegelFall& c = GetParam();
  FenAufbau a(c.fen);
  ASSERT_TRUE(a.gelesen);
  TZug& z = a.zug;
  const uint8_t enPassant = z.EnPassant;
  z.Von = static_cast<int8_t>(F(c.von));
  z.Nach = static_cast<int8_t>(F(c.nach));
  z.Rochade = c.rochade;
  z.Umwandlung = static_cast<int8_t>(c.umwandlung * z.AmZug);
  if (*c.ep) z.EPSchlagfeld = static_cast<int8_t>(F(c.ep));
  EXPECT_EQ(ZugErlaubt(a.brett, z, enPassant, a.fischer.Fischer ? &a.fischer : nullptr), c.erlaubt);
}

constexpr const char* kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* kRochaden = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
constexpr const char* kFischer = "nrkbbqrn/pppppppp/8/8/8/8/PPPPPPPP/NRK3RN w KQkq - 0 1";

// Every move of the generated games above passes these rules; here the moves
// they refuse and the legal moves near them.
INSTANTIATE_TEST_SUITE_P(
    Cases, Rules,
    testing::Values(
        RegelFall{"OpponentsPiece", kStart, "e7", "e5", 0, 0, "", false},
        RegelFall{"DoubleStepNotFromSecondRank", "4k3/8/8/8/8/4P3/8/4K3 w - - 0 1", "e3", "e5", 0,
                  0, "", false},
        RegelFall{"DoubleStepBlocked", "4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1", "e2", "e4", 0, 0, "",
                  false},
        RegelFall{"PushOntoAPiece", "4k3/8/8/4p3/4P3/8/8/4K3 w - - 0 1", "e4", "e5", 0, 0, "",
                  false},
        RegelFall{"CaptureOfNothing", kStart, "e2", "d3", 0, 0, "d2", false},
        RegelFall{"EnPassantOnAnotherSquare", "4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1", "e5", "d6", 0, 0,
                  "d5", false},
        RegelFall{"PromotionUnnamed", "4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7", "a8", 0, 0, "",
                  false},
        RegelFall{"PromotionBeforeTheLastRank", "4k3/8/P7/8/8/8/8/4K3 w - - 0 1", "a6", "a7", 0,
                  Dame, "", false},
        RegelFall{"SliderThroughAPiece", kStart, "a1", "a3", 0, 0, "", false},
        RegelFall{"OntoOwnPiece", kStart, "g1", "e2", 0, 0, "", false},
        RegelFall{"KnightWrongJump", kStart, "g1", "g3", 0, 0, "", false},
        RegelFall{"PinnedPiece", "4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1", "e2", "c3", 0, 0, "", false},
        RegelFall{"KingIntoCheck", "4k3/8/8/8/8/8/3r4/4K3 w - - 0 1", "e1", "f2", 0, 0, "", false},
        RegelFall{"KingTakesTheChecker", "4k3/8/8/8/8/8/3r4/4K3 w - - 0 1", "e1", "d2", 0, 0, "",
                  true},
        RegelFall{"KingNextToKing", "8/8/8/8/8/4k3/8/4K3 w - - 0 1", "e1", "e2", 0, 0, "", false},
        RegelFall{"KingIsNeverTaken", "6nk/6P1/8/8/8/8/8/K7 w - - 0 1", "g7", "h8", 0, Dame, "",
                  false},
        RegelFall{"CheckByAPawnRemains", "4k3/8/8/8/8/8/3p4/1N2K3 w - - 0 1", "b1", "a3", 0, 0, "",
                  false},
        RegelFall{"EnPassantUncoversCheck", "8/8/8/K2pP2r/8/8/8/4k3 w - d6 0 1", "e5", "d6", 0, 0,
                  "d5", false},
        RegelFall{"CastlingWithoutRight", "r3k2r/8/8/8/8/8/8/R3K2R w Qkq - 0 1", "e1", "g1",
                  KurzeRochade, 0, "", false},
        RegelFall{"CastlingThroughAPiece", kStart, "e1", "g1", KurzeRochade, 0, "", false},
        RegelFall{"CastlingLongThroughB1", "r3k2r/8/8/8/8/8/8/RN2K2R w KQkq - 0 1", "e1", "c1",
                  LangeRochade, 0, "", false},
        RegelFall{"CastlingOutOfCheck", "r3k2r/8/8/8/8/8/4r3/R3K2R w KQkq - 0 1", "e1", "g1",
                  KurzeRochade, 0, "", false},
        RegelFall{"CastlingThroughAttack", "r3k2r/8/8/8/8/8/5r2/R3K2R w KQkq - 0 1", "e1", "g1",
                  KurzeRochade, 0, "", false},
        RegelFall{"CastlingIntoAttack", "r3k2r/8/8/8/8/8/6r1/R3K2R w KQkq - 0 1", "e1", "g1",
                  KurzeRochade, 0, "", false},
        // b1 is attacked, but only the rook passes it.
        RegelFall{"CastlingLongRookPassesAttack", "r3k2r/8/8/8/8/8/1r6/R3K2R w KQkq - 0 1", "e1",
                  "c1", LangeRochade, 0, "", true},
        RegelFall{"FischerLongKingStays", kFischer, "c1", "c1", FischerLang, 0, "", true},
        RegelFall{"FischerWithoutRight", "nrkbbqrn/pppppppp/8/8/8/8/PPPPPPPP/NRK3RN w Kkq - 0 1",
                  "c1", "c1", FischerLang, 0, "", false},
        RegelFall{"FischerRookPathBlocked",
                  "nrkbbqrn/pppppppp/8/8/8/8/PPPPPPPP/NRKB2RN w KQkq - 0 1", "c1", "g1",
                  FischerKurz, 0, "", false},
        // The rook leaving b1 opens the rank to the king's destination c1.
        RegelFall{"FischerDestinationAttackedOnceTheRookMoves",
                  "1rk2qrn/pppppppp/8/8/8/8/1PPPPPPP/qRK3RN w KQkq - 0 1", "c1", "c1", FischerLang,
                  0, "", false}),
    [](const auto& p) { return std::string(p.param.name); });

struct UciFall {
  const char* name;
  const char* fen;
  const char* von;
  const char* nach;
  uint8_t rochade;   // KeineRochade: not castling
  const char* ziel;  // the king's destination afterwards
};

class KingMoveAsCastling : public testing::TestWithParam<UciFall> {};

TEST_P(KingMoveAsCastling, IsRecognised) {
  const UciFall& c = GetParam();
  FenAufbau a(c.fen);
  ASSERT_TRUE(a.gelesen);
  TZug& z = a.zug;
  z.Von = static_cast<int8_t>(F(c.von));
  z.Nach = static_cast<int8_t>(F(c.nach));
  EXPECT_EQ(KoenigszugAlsRochade(a.brett, z, a.fischer.Fischer ? &a.fischer : nullptr),
            c.rochade != KeineRochade);
  EXPECT_EQ(z.Rochade, c.rochade);
  EXPECT_EQ(z.Nach, F(c.ziel));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KingMoveAsCastling,
    testing::Values(UciFall{"E1G1", kRochaden, "e1", "g1", KurzeRochade, "g1"},
                    UciFall{"E8C8", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8", "c8",
                            LangeRochade, "c8"},
                    UciFall{"KingStep", kRochaden, "e1", "f1", KeineRochade, "f1"},
                    UciFall{"NotTheKing", kRochaden, "a1", "c1", KeineRochade, "c1"},
                    UciFall{"FischerOntoOwnRook", kFischer, "c1", "g1", FischerKurz, "g1"},
                    UciFall{"FischerOntoAdjacentRook", kFischer, "c1", "b1", FischerLang, "c1"},
                    UciFall{"FischerKingStep", "nrk3rn/8/8/8/8/8/8/NRK3RN w KQkq - 0 1", "c1", "d1",
                            KeineRochade, "d1"}),
    [](const auto& p) { return std::string(p.param.name); });
