#include "core/position.h"

#include <array>
#include <charconv>

namespace brevaro {

namespace {

constexpr TSchachbrett MacheLeeresBrett() {
  TSchachbrett b{};
  for (int i = 0; i < 120; ++i) {
    const int zeile = i / 10, spalte = i % 10;
    const bool rand = zeile < 2 || zeile > 9 || spalte == 0 || spalte == 9;
    b[i] = rand ? Rand : Leer;
  }
  return b;
}

constexpr TSchachbrett MacheGrundstellung() {
  TSchachbrett b = MacheLeeresBrett();
  constexpr int32_t grundreihe[8] = {Turm,   Springer, Laeufer,  Dame,
                                     Koenig, Laeufer,  Springer, Turm};
  for (int f = 0; f < 8; ++f) {
    b[21 + f] = grundreihe[f];
    b[31 + f] = Bauer;
    b[81 + f] = -Bauer;
    b[91 + f] = -grundreihe[f];
  }
  return b;
}

constexpr std::array<std::string_view, 64> MacheFeldnamen() {
  constexpr std::string_view alle =
      "a1b1c1d1e1f1g1h1a2b2c2d2e2f2g2h2a3b3c3d3e3f3g3h3a4b4c4d4e4f4g4h4"
      "a5b5c5d5e5f5g5h5a6b6c6d6e6f6g6h6a7b7c7d7e7f7g7h7a8b8c8d8e8f8g8h8";
  std::array<std::string_view, 64> namen{};
  for (int i = 0; i < 64; ++i) namen[i] = alle.substr(2 * i, 2);
  return namen;
}

constexpr bool IstSpielfeld(int index) {
  return index >= 21 && index <= 98 && index % 10 >= 1 && index % 10 <= 8;
}

// Castling rights in bit order with the side and wing they belong to.
struct TRecht {
  uint8_t Bit;
  bool Weiss;
  bool Kurz;
};
constexpr TRecht Rechte[4] = {{WeissKurz, true, true},
                              {WeissLang, true, false},
                              {SchwarzKurz, false, true},
                              {SchwarzLang, false, false}};

int Grundreihe(bool weiss) {
  return weiss ? 20 : 90;
}

// The square of the side's king on its back rank, 0 when it stands elsewhere.
int KoenigAufGrundreihe(const TSchachbrett& brett, bool weiss) {
  const int basis = Grundreihe(weiss);
  for (int linie = 1; linie <= 8; ++linie)
    if (brett[basis + linie] == (weiss ? Koenig : -Koenig)) return basis + linie;
  return 0;
}

// The rook of a castling right: `genannt` when it holds a rook of the side,
// else (genannt 0) the outermost rook of the side on that wing of the king.
int RochadeTurm(const TSchachbrett& brett, int koenig, const TRecht& r, int genannt) {
  const int basis = Grundreihe(r.Weiss);
  if (koenig <= basis || koenig > basis + 8) return 0;  // no king on the back rank
  const int32_t turm = r.Weiss ? Turm : -Turm;
  if (genannt != 0) return brett[genannt] == turm ? genannt : 0;
  if (r.Kurz) {
    for (int feld = basis + 8; feld > koenig; --feld)
      if (brett[feld] == turm) return feld;
  } else {
    for (int feld = basis + 1; feld < koenig; ++feld)
      if (brett[feld] == turm) return feld;
  }
  return 0;
}

uint8_t& TurmSlot(TFischerInfo& f, const TRecht& r) {
  return r.Weiss ? (r.Kurz ? f.WeissTurm2 : f.WeissTurm1)
                 : (r.Kurz ? f.SchwarzTurm2 : f.SchwarzTurm1);
}

uint8_t TurmSlot(const TFischerInfo& f, const TRecht& r) {
  return r.Weiss ? (r.Kurz ? f.WeissTurm2 : f.WeissTurm1)
                 : (r.Kurz ? f.SchwarzTurm2 : f.SchwarzTurm1);
}

// Gives each right of `rechte` its rook in `f` (`genannt`: rooks a castling
// field names by file, by right) and drops a right without one.
void TuermeAusRechten(const TSchachbrett& brett, uint8_t& rechte, TFischerInfo& f,
                      const std::array<uint8_t, 4>& genannt) {
  const int koenige[2] = {KoenigAufGrundreihe(brett, true), KoenigAufGrundreihe(brett, false)};
  if (koenige[0] != 0) f.WeissKoenig = static_cast<uint8_t>(koenige[0]);
  if (koenige[1] != 0) f.SchwarzKoenig = static_cast<uint8_t>(koenige[1]);
  for (size_t k = 0; k < 4; ++k) {
    const TRecht& r = Rechte[k];
    if (!(rechte & r.Bit)) continue;
    const int turm = RochadeTurm(brett, koenige[r.Weiss ? 0 : 1], r, genannt[k]);
    if (turm == 0) {
      rechte &= static_cast<uint8_t>(~r.Bit);
    } else {
      TurmSlot(f, r) = static_cast<uint8_t>(turm);
    }
  }
}

// Whether every right of `rechte` belongs to a king on e1/e8 and a rook in
// the corner of its wing.
bool StandardRechte(const TSchachbrett& brett, uint8_t rechte) {
  for (const TRecht& r : Rechte) {
    if (!(rechte & r.Bit)) continue;
    const int basis = Grundreihe(r.Weiss);
    const int32_t seite = r.Weiss ? 1 : -1;
    if (brett[basis + 5] != seite * Koenig || brett[basis + (r.Kurz ? 8 : 1)] != seite * Turm)
      return false;
  }
  return true;
}

}  // namespace

const TSchachbrett LeeresBrett = MacheLeeresBrett();
const TSchachbrett GrundstellungBrett = MacheGrundstellung();
const std::array<std::string_view, 64> Feldnamen = MacheFeldnamen();

uint8_t FeldIndex(uint8_t n) {
  return static_cast<uint8_t>((n / 8) * 10 + (n % 8) + 21);
}

uint8_t FeldNummer(uint8_t m) {
  return static_cast<uint8_t>((m / 10 - 2) * 8 + (m % 10) - 1);
}

std::string_view FeldnameVonIndex(int index) {
  // By mailbox index: one look-up per name, as move lists ask it twice per move.
  static constexpr auto namen = [] {
    std::array<std::string_view, 120> n{};
    for (int i = 0; i < 120; ++i)
      if (IstSpielfeld(i))
        n[static_cast<size_t>(i)] = MacheFeldnamen()[(i / 10 - 2) * 8 + i % 10 - 1];
    return n;
  }();
  if (static_cast<unsigned>(index) >= 120) return {};
  return namen[static_cast<size_t>(index)];
}

TZug GrundstellungZug() {
  TZug z;
  z.Rochaderechte = AlleRochaderechte;
  z.AmZug = 1;
  return z;
}

// ---------------------------------------------------------------------------
// FEN string output

namespace {

// The castling field of a Fischer Random position in X-FEN or Shredder-FEN.
void FischerRochadefeld(const TSchachbrett& brett, const TZug& zug, const TFischerInfo& f,
                        std::string& fen) {
  const size_t anfang = fen.size();
  for (const TRecht& r : Rechte) {
    if (!(zug.Rochaderechte & r.Bit)) continue;
    const int turm = TurmSlot(f, r);
    const int koenig = r.Weiss ? f.WeissKoenig : f.SchwarzKoenig;
    const bool aussen = f.Fischer != FischerShredder && IstSpielfeld(turm) &&
                        turm == RochadeTurm(brett, koenig, r, 0);
    if (aussen) {
      fen += r.Weiss ? (r.Kurz ? 'K' : 'Q') : (r.Kurz ? 'k' : 'q');
    } else if (IstSpielfeld(turm)) {
      fen += static_cast<char>((r.Weiss ? 'A' : 'a') + turm % 10 - 1);
    }
  }
  if (fen.size() == anfang) fen += '-';
}

}  // namespace

std::string StellungToFEN(const TSchachbrett& brett, const TZug& zug, int32_t zugnummer,
                          const TFischerInfo* fischer) {
  if (!fischer || fischer->Fischer == KeinFischer)
    return StellungToFEN(brett, zug, zugnummer, false);
  if (fischer->Fischer == FischerMarke) return StellungToFEN(brett, zug, zugnummer, true);
  std::string fen = StellungToFEN(brett, zug, zugnummer, false);
  // Placement and side stay; the castling field is replaced.
  const size_t seite = fen.find(' ');
  const size_t feld = seite + 3;
  const size_t ende = fen.find(' ', feld);
  std::string rest = fen.substr(ende);
  fen.resize(feld);
  FischerRochadefeld(brett, zug, *fischer, fen);
  fen += rest;
  return fen;
}

std::string StellungToFEN(const TSchachbrett& brett, const TZug& zug, int32_t zugnummer,
                          bool fischer) {
  std::string fen;
  fen.reserve(90);
  for (int reihe = 7; reihe >= 0; --reihe) {
    int leere = 0;
    for (int linie = 0; linie < 8; ++linie) {
      const int32_t code = brett[21 + reihe * 10 + linie];
      if (code >= -6 && code <= 6 && code != 0) {
        if (leere > 0) fen += static_cast<char>('0' + leere);
        leere = 0;
        fen += FigurenZeichen[code + 6];
      } else {
        ++leere;
      }
    }
    if (leere > 0) fen += static_cast<char>('0' + leere);
    if (reihe > 0) fen += '/';
  }
  fen += zug.AmZug == 1 ? " w " : " b ";
  if (zug.Rochaderechte == 0) {
    fen += '-';
  } else {
    if (zug.Rochaderechte & WeissKurz) fen += 'K';
    if (zug.Rochaderechte & WeissLang) fen += 'Q';
    if (zug.Rochaderechte & SchwarzKurz) fen += 'k';
    if (zug.Rochaderechte & SchwarzLang) fen += 'q';
  }
  if (fischer) {
    fen += " f1 0";
  } else if (zug.EnPassant != 0 && IstSpielfeld(zug.EnPassant)) {
    fen += ' ';
    fen += FeldnameVonIndex(zug.EnPassant);
    fen += " 0";
  } else {
    fen += " - 0";
  }
  fen += ' ';
  fen += std::to_string(zugnummer);
  return fen;
}

// ---------------------------------------------------------------------------
// FEN string input

bool FENToStellung(std::string_view fen, TSchachbrett& brett, TZug& zug, uint16_t& zugnummer,
                   TFischerInfo* fischer) {
  // Blanks before the placement ("[FEN \" rnbqkbnr/...\"]") are no squares.
  while (!fen.empty() && static_cast<unsigned char>(fen.front()) <= ' ') fen.remove_prefix(1);
  if (fen.empty()) return false;
  if (fischer) {
    fischer->Fischer = KeinFischer;
    fischer->WeissTurm1 = fischer->WeissTurm2 = 0;
    fischer->SchwarzTurm1 = fischer->SchwarzTurm2 = 0;
  }

  TSchachbrett arbeit = LeeresBrett;
  // 64-bit counters: a text of millions of "/" must not overflow them.
  int64_t feld = 55;  // one before a8
  int64_t trenner = 0;
  int64_t gefuellt = 0;
  size_t i = 0;
  for (; i < fen.size(); ++i) {
    const char c = fen[i];
    if (c == '/') {
      ++trenner;
      feld -= 16;
    } else if (c >= '1' && c <= '8') {
      feld += c - '0';
      gefuellt += c - '0';
      if (c == '8' && i + 1 < fen.size() && fen[i + 1] == '8') {
        ++trenner;
        feld -= 16;
      }
    } else {
      ++gefuellt;
      ++feld;
      if (feld < 0 || feld > 63) return false;
      const size_t pos = std::string_view("kqnbrp PRBNQK").find(c);
      if (pos != std::string_view::npos && c != ' ') {
        const int32_t code = static_cast<int32_t>(pos) - 6;
        const uint8_t index = FeldIndex(static_cast<uint8_t>(feld));
        arbeit[index] = code;
        if (fischer) {
          if (code == Koenig) fischer->WeissKoenig = index;
          if (code == -Koenig) fischer->SchwarzKoenig = index;
          if (code == Turm) {
            (fischer->WeissTurm1 == 0 ? fischer->WeissTurm1 : fischer->WeissTurm2) = index;
          }
          if (code == -Turm) {
            (fischer->SchwarzTurm1 == 0 ? fischer->SchwarzTurm1 : fischer->SchwarzTurm2) = index;
          }
        }
      }
    }
    if (gefuellt >= 64) {
      ++i;
      break;
    }
  }
  // Squares named by a digit that runs past h8 or below a1 never reach the
  // board; a piece there was refused above.
  if (trenner != 7) return false;

  brett = arbeit;
  zug.Rochaderechte = 0;
  zug.EnPassant = 0;
  zug.AmZug = 1;
  zug.EPSchlagfeld = 0;
  zug.Rochade = 0;
  zug.Umwandlung = 0;
  zug.Geschlagen = 0;
  zug.Zeichen = 0;
  zug.Zugbewertung = 0;

  // The castling field is the second word after the placement when it holds
  // castling letters only; it is read whole. In the other fields a letter
  // before a digit names the en-passant square; any other letter is read alone.
  size_t feldAnfang = i, feldEnde = i;
  {
    size_t k = i;
    while (k < fen.size() && fen[k] == ' ') ++k;
    while (k < fen.size() && fen[k] != ' ') ++k;
    while (k < fen.size() && fen[k] == ' ') ++k;
    size_t e = k;
    while (e < fen.size() && fen[e] != ' ') ++e;
    constexpr std::string_view rochadezeichen = "KQkqABCDEFGHabcdefgh-";
    if (e > k && fen.substr(k, e - k).find_first_not_of(rochadezeichen) == std::string_view::npos) {
      feldAnfang = k;
      feldEnde = e;
    }
  }
  bool marke = false;
  int epLinie = -1;  // the file of the en-passant square; its rank follows the side to move
  for (; i < fen.size(); ++i) {
    if (i == feldAnfang && feldEnde > feldAnfang) {
      i = feldEnde - 1;
      continue;
    }
    const char c = fen[i];
    const char n = i + 1 < fen.size() ? fen[i + 1] : ' ';  // "... b" ends with the side to move
    if (c == ' ' || (c >= '0' && c <= '9')) continue;
    if (n >= '0' && n <= '9') {
      if (c == 'f' && n == '1') {
        marke = true;
        zugnummer = 1;
      } else {
        char gross = c;
        if (gross >= 'a' && gross <= 'z') gross = static_cast<char>(gross - 'a' + 'A');
        const int linie = gross - 'A';
        // Only files a..h name a square; any other letter names none.
        if (linie >= 0 && linie < 8) epLinie = linie;
      }
      continue;
    }
    switch (c) {
      case 'K':
        zug.Rochaderechte |= WeissKurz;
        break;
      case 'Q':
        zug.Rochaderechte |= WeissLang;
        break;
      case 'k':
        zug.Rochaderechte |= SchwarzKurz;
        break;
      case 'q':
        zug.Rochaderechte |= SchwarzLang;
        break;
      case 'w':
        zug.AmZug = 1;
        break;
      case 'b':
        zug.AmZug = -1;
        break;
      default:
        break;
    }
  }

  if (epLinie >= 0) zug.EnPassant = static_cast<uint8_t>((zug.AmZug == -1 ? 41 : 71) + epLinie);
  // The Fischer Random mark stands in the en-passant field, so a square named
  // beside it is none: the mark is all that can be written back.
  if (marke) zug.EnPassant = 0;
  // An en-passant square needs the pawn that has just stepped past it: that
  // square and the one the pawn came from empty, the pawn in front of it.
  // Otherwise it names none (a capture there would take from an empty square).
  if (zug.EnPassant != 0) {
    const int seite = zug.AmZug == -1 ? -1 : 1;  // the side that may capture
    const int ep = zug.EnPassant;
    if (arbeit[static_cast<size_t>(ep)] != Leer ||
        arbeit[static_cast<size_t>(ep + 10 * seite)] != Leer ||
        arbeit[static_cast<size_t>(ep - 10 * seite)] != -seite * Bauer)
      zug.EnPassant = 0;
  }

  // The castling field: "KQkq" letters, and rook files (Shredder-FEN, or
  // X-FEN for a rook that is not the outermost one).
  std::array<uint8_t, 4> genannt{};
  bool dateien = false, buchstaben = false;
  for (size_t k = feldAnfang; k < feldEnde; ++k) {
    const char c = fen[k];
    const bool weiss = c >= 'A' && c <= 'Z';
    const size_t pos = std::string_view("KQkq").find(c);
    if (pos != std::string_view::npos) {
      zug.Rochaderechte |= Rechte[pos].Bit;
      buchstaben = true;
      continue;
    }
    if (c == '-') continue;
    const int linie = (weiss ? c - 'A' : c - 'a') + 1;
    const int koenig = KoenigAufGrundreihe(arbeit, weiss);
    if (koenig == 0 || koenig % 10 == linie) continue;
    const size_t k2 = (weiss ? 0 : 2) + (linie > koenig % 10 ? 0 : 1);
    zug.Rochaderechte |= Rechte[k2].Bit;
    genannt[k2] = static_cast<uint8_t>(Grundreihe(weiss) + linie);
    dateien = true;
  }
  if (fischer) {
    uint8_t stil = KeinFischer;
    if (marke) {
      stil = FischerMarke;
    } else if (dateien) {
      stil = buchstaben ? FischerXFEN : FischerShredder;
    } else if (!StandardRechte(arbeit, zug.Rochaderechte)) {
      // Rights that only a displaced king or rook can hold.
      TFischerInfo probe = *fischer;
      uint8_t rechte = zug.Rochaderechte;
      TuermeAusRechten(arbeit, rechte, probe, genannt);
      if (!StandardRechte(arbeit, rechte)) stil = FischerXFEN;
    }
    if (stil != KeinFischer) {
      fischer->Fischer = stil;
      TuermeAusRechten(arbeit, zug.Rochaderechte, *fischer, genannt);
    }
  }

  const size_t wortanfang = fen.find_last_of(' ');
  std::string_view wort = wortanfang == std::string_view::npos ? fen : fen.substr(wortanfang + 1);
  // A number that does not fit the 16-bit move number is not taken (rather
  // than wrapped round to some other move number).
  int64_t wert = 0;
  const auto [ende, fehler] = std::from_chars(wort.data(), wort.data() + wort.size(), wert);
  if (fehler == std::errc() && ende == wort.data() + wort.size() && wert >= 0 &&
      wert <= UINT16_MAX) {
    zugnummer = static_cast<uint16_t>(wert);
  }
  return true;
}

}  // namespace brevaro

namespace brevaro {

void FischerInfoSetzen(const TSchachbrett& brett, TZug& zug, TFischerInfo& fischer, uint8_t stil) {
  fischer.Fischer = stil;
  TuermeAusRechten(brett, zug.Rochaderechte, fischer, {});
}

}  // namespace brevaro
