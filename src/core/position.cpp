#include "core/position.h"

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
  if (fen.empty()) return false;
  if (fischer) {
    fischer->Fischer = 0;
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

  // The fields after the placement, up to but not including the last character.
  for (; i + 1 < fen.size(); ++i) {
    const char c = fen[i];
    const char n = fen[i + 1];
    if (c == ' ' || (c >= '0' && c <= '9')) continue;
    if (n >= '0' && n <= '9') {
      if (c == 'f' && n == '1') {
        if (fischer) fischer->Fischer = 1;
        zugnummer = 1;
      } else {
        char gross = c;
        if (gross >= 'a' && gross <= 'z') gross = static_cast<char>(gross - 'a' + 'A');
        const int linie = gross - 'A';
        // Only files a..h name a square; any other letter names none.
        if (linie >= 0 && linie < 8) {
          zug.EnPassant = static_cast<uint8_t>((zug.AmZug == -1 ? 41 : 71) + linie);
        }
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
