#include "core/moves.h"

#include <algorithm>
#include <bit>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brevaro {

namespace {

// Whether a mailbox index is one of the 64 squares, by table: the move
// operations ask it several times per move. Indexed by the index as an
// unsigned byte, so a record's int8_t square needs no range check of its own.
constexpr auto Spielfelder = [] {
  std::array<bool, 256> felder{};
  for (int i = 21; i <= 98; ++i) felder[static_cast<size_t>(i)] = i % 10 >= 1 && i % 10 <= 8;
  return felder;
}();

bool IstSpielfeld(int index) {
  return static_cast<unsigned>(index) < 120 && Spielfelder[static_cast<size_t>(index)];
}

bool IstFeldByte(int8_t index) {
  return Spielfelder[static_cast<uint8_t>(index)];
}

// A record whose squares lie off the board (a castling from a king square that
// a FEN never set, a damaged record) is neither executed nor taken back, so
// the border of the board is never overwritten.
bool Ausfuehrbar(const TZug& zug) {
  if (!IstFeldByte(zug.Von) || !IstFeldByte(zug.Nach)) return false;
  if (zug.EPSchlagfeld != 0 && !IstFeldByte(zug.EPSchlagfeld)) return false;
  if (zug.Rochade == FischerKurz && !IstSpielfeld(zug.Nach - 1)) return false;
  if (zug.Rochade == FischerLang && !IstSpielfeld(zug.Nach + 1)) return false;
  return true;
}

// The searches walk from a square of the board. Every border square holds
// Rand, so a walk ends on the border at the latest; the range check only
// keeps a damaged board from being read outside its array.
bool ImBrett(int feld) {
  return static_cast<unsigned>(feld) < 120;
}

// The rook's and the bishop's directions are a part of the queen's, in the
// same order, so one table serves all three.
constexpr bool Teilfolge(const std::array<int, 4>& teil, size_t ab) {
  for (size_t i = 0; i < 4; ++i)
    if (DameKoenigRichtungen[ab + i] != teil[i]) return false;
  return true;
}
static_assert(Teilfolge(LaeuferRichtungen, 0) && Teilfolge(TurmRichtungen, 4));

// Square numbers (a1 = 0 .. h8 = 63) of the mailbox
// indices, and back (Indizes[n], or Felder[n + 1] with a border square on
// either side).
constexpr auto Nummern = [] {
  std::array<uint8_t, 256> n{};  // any byte may index it; off the board gives 0
  for (int i = 21; i <= 98; ++i)
    if (Spielfelder[static_cast<size_t>(i)])
      n[static_cast<size_t>(i)] = static_cast<uint8_t>((i / 10 - 2) * 8 + i % 10 - 1);
  return n;
}();
constexpr auto Indizes = [] {
  std::array<uint8_t, 64> f{};
  for (int n = 0; n < 64; ++n)
    f[static_cast<size_t>(n)] = static_cast<uint8_t>(21 + n / 8 * 10 + n % 8);
  return f;
}();
constexpr auto Felder = [] {
  std::array<uint8_t, 66> f{};
  for (size_t n = 0; n < 64; ++n) f[n + 1] = Indizes[n];
  return f;
}();

// The squares of each ray of Strahlen as bits of their square numbers.
constexpr auto StrahlBits = [] {
  std::array<std::array<uint64_t, 8>, 64> bits{};
  for (int n = 0; n < 64; ++n) {
    for (size_t d = 0; d < 8; ++d) {
      const int r = DameKoenigRichtungen[d];
      for (int f = Indizes[static_cast<size_t>(n)] + r; Spielfelder[static_cast<size_t>(f)]; f += r)
        bits[static_cast<size_t>(n)][d] |= uint64_t{1} << Nummern[static_cast<size_t>(f)];
    }
  }
  return bits;
}();

}  // namespace

namespace {

// The occupied squares: eight compares a row where the processor has them,
// one per square elsewhere.
uint64_t BelegteFelder(const TSchachbrett& brett) {
  uint64_t belegt = 0;
#if defined(__SSE2__)
  const __m128i leer = _mm_setzero_si128();
  auto laden = [&](int feld) {
    return _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(brett.data() + feld)),
                           leer);
  };
  for (int reihe = 0; reihe < 8; reihe += 2) {
    const int a = 21 + 10 * reihe, b = a + 10;
    const __m128i leere = _mm_packs_epi16(_mm_packs_epi32(laden(a), laden(a + 4)),
                                          _mm_packs_epi32(laden(b), laden(b + 4)));
    const auto maske = static_cast<uint16_t>(~_mm_movemask_epi8(leere));
    belegt |= static_cast<uint64_t>(maske) << (8 * reihe);
  }
#else
  for (size_t n = 0; n < 64; ++n) belegt |= static_cast<uint64_t>(brett[Indizes[n]] != Leer) << n;
#endif
  return belegt;
}

uint64_t Bit(int feld) {
  return uint64_t{1} << Nummern[static_cast<uint8_t>(feld)];
}

bool IstFigur(int32_t figur) {
  return static_cast<uint32_t>(figur + Koenig) <= 2 * Koenig;
}

}  // namespace

TBelegung Belegung(const TSchachbrett& brett) {
  TBelegung belegt;
  belegt.Alle = BelegteFelder(brett);
  for (uint64_t rest = belegt.Alle; rest != 0; rest &= rest - 1) {
    const int n = std::countr_zero(rest);
    const int32_t figur = brett[Indizes[static_cast<size_t>(n)]];
    if (IstFigur(figur)) belegt.Figuren[static_cast<size_t>(figur + 6)] |= uint64_t{1} << n;
  }
  return belegt;
}

void BelegungNach(TBelegung& belegt, const TSchachbrett& brett, const TZug& zug) {
  // The usual move: one piece leaves a square for another, taking what
  // stood there (or the pawn passed en passant). Castling, null moves and
  // damaged records are looked up on the board.
  const int geschlagenAuf = zug.EPSchlagfeld != 0 ? zug.EPSchlagfeld : zug.Nach;
  const int32_t figur = IstFeldByte(zug.Nach) ? brett[static_cast<uint8_t>(zug.Nach)] : Leer;
  const int32_t vorher = zug.Umwandlung != 0 ? -zug.AmZug * Bauer : figur;
  if (zug.Rochade != KeineRochade || !IstFeldByte(zug.Von) || figur == Leer || !IstFigur(figur) ||
      !IstFigur(vorher) || !IstFigur(zug.Geschlagen) ||
      !IstFeldByte(static_cast<int8_t>(geschlagenAuf))) {
    if (!IstNullzug(zug)) belegt = Belegung(brett);
    return;
  }
  const uint64_t von = Bit(zug.Von), nach = Bit(zug.Nach), weg = Bit(geschlagenAuf);
  belegt.Figuren[static_cast<size_t>(zug.Geschlagen + 6)] &= ~weg;
  belegt.Figuren[static_cast<size_t>(vorher + 6)] &= ~von;
  belegt.Figuren[static_cast<size_t>(figur + 6)] |= nach;
  belegt.Figuren[6] = 0;
  belegt.Alle = (belegt.Alle & ~von & ~weg) | nach;
}

namespace {

// The first piece on ray `d` of the square numbered `nummer`, as ErsteFigur
// finds it, from the occupied squares; a border square when there is none.
// Directions 9, 11, 1 and 10 raise the square number. A ray's bits leave bit
// 63 free once shifted down (bit 0 once shifted up), which takes a stop bit:
// no test for an empty ray.
[[gnu::always_inline]] inline int ErsteFigurBits(uint64_t belegt, int nummer, size_t d) {
  const uint64_t treffer = StrahlBits[static_cast<size_t>(nummer)][d] & belegt;
  const int hoch = std::countr_zero((treffer >> 1) | (uint64_t{1} << 63)) + 2;
  const int tief = 63 - std::countl_zero((treffer << 1) | 1);
  return Felder[static_cast<size_t>(DameKoenigRichtungen[d] > 0 ? hoch : tief)];
}

// The squares a piece reaches from each square in one step, as bits: by a
// knight's jump, a king's step, and the squares from which a pawn of the
// opponent of white (entry 0) or of black (entry 1) attacks the square.
template <size_t N>
constexpr std::array<uint64_t, 64> Schritte(const std::array<int, N>& schritte) {
  std::array<uint64_t, 64> bits{};
  for (size_t n = 0; n < 64; ++n)
    for (const int s : schritte) {
      const int f = Indizes[n] + s;
      if (Spielfelder[static_cast<size_t>(f)])
        bits[n] |= uint64_t{1} << Nummern[static_cast<size_t>(f)];
    }
  return bits;
}
constexpr auto SpringerBits = Schritte(SpringerSpruenge);
constexpr auto KoenigBits = Schritte(DameKoenigRichtungen);
constexpr std::array<std::array<uint64_t, 64>, 2> BauerBits = {
    Schritte(std::array<int, 2>{9, 11}), Schritte(std::array<int, 2>{-9, -11})};

// The squares on the lines through each square, straight and diagonal, and the
// squares strictly between two squares on a line (none for two squares on no
// common line).
constexpr auto Linien = [](size_t von, size_t bis) {
  std::array<uint64_t, 64> bits{};
  for (size_t n = 0; n < 64; ++n)
    for (size_t d = von; d < bis; ++d) bits[n] |= StrahlBits[n][d];
  return bits;
};
constexpr auto SchraegBits = Linien(0, 4);
constexpr auto GeradeBits = Linien(4, 8);
const auto Zwischen = [] {
  std::array<std::array<uint64_t, 64>, 64> zwischen{};
  for (size_t n = 0; n < 64; ++n)
    for (size_t d = 0; d < 8; ++d) {
      uint64_t weg = 0;  // the ray's squares passed so far
      for (uint64_t strahl = StrahlBits[n][d]; strahl != 0;) {
        // The ray's squares in walking order: nearest first.
        const int feld =
            DameKoenigRichtungen[d] > 0 ? std::countr_zero(strahl) : 63 - std::countl_zero(strahl);
        zwischen[n][static_cast<size_t>(feld)] = weg;
        weg |= uint64_t{1} << feld;
        strahl &= ~(uint64_t{1} << feld);
      }
    }
  return zwischen;
}();

// The squares of ray `d` from square number `nummer` up to and including the
// first occupied one. No find in a rising direction stops on bit 63, in a
// falling one on bit 0, whose rays that way are empty.
[[gnu::always_inline]] inline uint64_t StrahlAngriff(uint64_t belegt, int nummer, size_t d) {
  const uint64_t strahl = StrahlBits[static_cast<size_t>(nummer)][d];
  const uint64_t treffer = strahl & belegt;
  const int erste = DameKoenigRichtungen[d] > 0 ? std::countr_zero(treffer | (uint64_t{1} << 63))
                                                : 63 - std::countl_zero(treffer | 1);
  return strahl ^ StrahlBits[static_cast<size_t>(erste)][d];
}

// Whether a piece of the opponent of `seite` attacks the square numbered
// `nummer` when `belegt` are the occupied squares and the opponent's pieces
// on `weg` are taken. A line is looked along only when a slider of the kind
// stands on it.
// The side is a template argument, so every set is found at a fixed place.
template <int Seite>
[[gnu::always_inline]] inline bool AngegriffenVon(int nummer, uint64_t belegt, const TBelegung& b,
                                                  uint64_t weg) {
  constexpr int32_t g = -Seite;
  const auto n = static_cast<size_t>(nummer);
  if (((SpringerBits[n] & b.Von(g * Springer)) | (KoenigBits[n] & b.Von(g * Koenig)) |
       (BauerBits[Seite == 1 ? 0 : 1][n] & b.Von(g * Bauer))) &
      ~weg)
    return true;
  // The sliders on a line through the square: one of them attacks it when
  // nothing stands between them.
  const uint64_t dame = b.Von(g * Dame);
  uint64_t gleiter = (((b.Von(g * Turm) | dame) & GeradeBits[n]) |
                      ((b.Von(g * Laeufer) | dame) & SchraegBits[n])) &
                     ~weg;
  for (; gleiter != 0; gleiter &= gleiter - 1)
    if ((Zwischen[n][static_cast<size_t>(std::countr_zero(gleiter))] & belegt) == 0) return true;
  return false;
}

[[gnu::always_inline]] inline bool Angegriffen(int nummer, int seite, uint64_t belegt,
                                               const TBelegung& b, uint64_t weg) {
  return seite == 1 ? AngegriffenVon<1>(nummer, belegt, b, weg)
                    : AngegriffenVon<-1>(nummer, belegt, b, weg);
}

// The squares that a piece of kind `art` on the square numbered `nummer`
// reaches.
uint64_t Ziele(int art, int nummer, uint64_t belegt) {
  const auto n = static_cast<size_t>(nummer);
  uint64_t bits = 0;
  switch (art) {
    case Springer:
      return SpringerBits[n];
    case Koenig:
      return KoenigBits[n];
    case Laeufer:
    case Turm:
    case Dame:
#pragma GCC unroll 8
      for (size_t d = 0; d < 8; ++d)
        if ((d < 4 && art != Turm) || (d >= 4 && art != Laeufer))
          bits |= StrahlAngriff(belegt, nummer, d);
      return bits;
    default:
      return 0;
  }
}

// Appends the squares whose bits are set in `treffer`, lowest bit first.
void Eintragen(unsigned treffer, const int* felder, TKandidaten& kandidaten) {
  for (; treffer != 0; treffer &= treffer - 1)
    kandidaten.Hinzu(static_cast<uint8_t>(felder[std::countr_zero(treffer)]));
}

// Normal mode: every find is appended, in the order of the table.
template <size_t N>
bool GleitenSammeln(const TSchachbrett& brett, const std::array<int, N>& richtungen,
                    int32_t gesucht, int ziel, TKandidaten& kandidaten,
                    const uint64_t* bekannt = nullptr) {
  bool gefunden = false;
  if (IstSpielfeld(ziel)) {
    const size_t erste = richtungen[0] == TurmRichtungen[0] ? 4 : 0;
    const uint64_t belegt = bekannt ? *bekannt : BelegteFelder(brett);
    const int nummer = Nummern[static_cast<size_t>(ziel)];
    // Every ray first, the finds as bits; then the finds in table order.
    std::array<int, N> felder;
    unsigned treffer = 0;
#pragma GCC unroll 8
    for (size_t d = 0; d < N; ++d) {
      felder[d] = ErsteFigurBits(belegt, nummer, erste + d);
      treffer |= static_cast<unsigned>(brett[static_cast<size_t>(felder[d])] == gesucht) << d;
    }
    Eintragen(treffer, felder.data(), kandidaten);
    return treffer != 0;
  }
  for (const int r : richtungen) {
    int feld = ziel + r;
    while (ImBrett(feld) && brett[feld] == Leer) feld += r;
    if (ImBrett(feld) && brett[feld] == gesucht) {
      gefunden = true;
      kandidaten.Hinzu(static_cast<uint8_t>(feld));
    }
  }
  return gefunden;
}

template <size_t N>
bool SpringenSammeln(const TSchachbrett& brett, const std::array<int, N>& spruenge, int32_t gesucht,
                     int ziel, TKandidaten& kandidaten) {
  if (IstSpielfeld(ziel)) {
    // Every jump from a square of the board stays inside the array.
    std::array<int, N> felder;
    unsigned treffer = 0;
    for (size_t i = 0; i < N; ++i) {
      felder[i] = ziel + spruenge[i];
      treffer |= static_cast<unsigned>(brett[static_cast<size_t>(felder[i])] == gesucht) << i;
    }
    Eintragen(treffer, felder.data(), kandidaten);
    return treffer != 0;
  }
  bool gefunden = false;
  for (const int s : spruenge) {
    const int feld = ziel + s;
    if (ImBrett(feld) && brett[feld] == gesucht) {
      gefunden = true;
      kandidaten.Hinzu(static_cast<uint8_t>(feld));
    }
  }
  return gefunden;
}

// Attack mode: whether any direction ends on `gesucht`; the first hit decides.
template <size_t N>
bool GleitenTrifft(const TSchachbrett& brett, const std::array<int, N>& richtungen, int32_t gesucht,
                   int ziel) {
  for (const int r : richtungen) {
    int feld = ziel + r;
    while (ImBrett(feld) && brett[feld] == Leer) feld += r;
    if (ImBrett(feld) && brett[feld] == gesucht) return true;
  }
  return false;
}

template <size_t N>
bool SpringenTrifft(const TSchachbrett& brett, const std::array<int, N>& spruenge, int32_t gesucht,
                    int ziel) {
  for (const int s : spruenge) {
    const int feld = ziel + s;
    if (ImBrett(feld) && brett[feld] == gesucht) return true;
  }
  return false;
}

// Whether a slider of the opponent of `seite` reaches `koenig` once the piece
// on `von` stands on `nach`: `von` counts as empty, `nach` as the mover's own
// piece, which blocks every ray through it.
bool Gefesselt(const TSchachbrett& brett, int seite, int koenig, int von, int nach) {
  auto belegt = [&](int feld) -> int32_t {
    if (feld == nach) return seite;  // any code of the mover's colour
    if (feld == von) return Leer;
    return brett[feld];
  };
  auto strahl = [&](int r, int32_t art) {
    int feld = koenig + r;
    while (ImBrett(feld) && belegt(feld) == Leer) feld += r;
    if (!ImBrett(feld)) return false;
    const int32_t figur = belegt(feld);
    return figur == -seite * Dame || figur == -seite * art;
  };
  // The order of the three searches does not matter: any hit is a pin.
  for (const int r : TurmRichtungen)
    if (strahl(r, Turm)) return true;
  for (const int r : LaeuferRichtungen)
    if (strahl(r, Laeufer)) return true;
  return false;
}

template <size_t N>
bool Gleiten(const TSchachbrett& brett, const std::array<int, N>& richtungen, int32_t gesucht,
             int ziel, TKandidaten* kandidaten) {
  return kandidaten ? GleitenSammeln(brett, richtungen, gesucht, ziel, *kandidaten)
                    : GleitenTrifft(brett, richtungen, gesucht, ziel);
}

template <size_t N>
bool Springen(const TSchachbrett& brett, const std::array<int, N>& spruenge, int32_t gesucht,
              int ziel, TKandidaten* kandidaten) {
  return kandidaten ? SpringenSammeln(brett, spruenge, gesucht, ziel, *kandidaten)
                    : SpringenTrifft(brett, spruenge, gesucht, ziel);
}

int32_t Gesucht(int art, int seite, bool angriff) {
  return art * (angriff ? -seite : seite);
}

TKandidaten* Liste(bool angriff, TKandidaten* kandidaten) {
  return angriff ? nullptr : kandidaten;
}

}  // namespace

// ---------------------------------------------------------------------------
// Doing and undoing moves

namespace {

// Castling, en passant and promotion: kept out of ZugAusfuehren, so the usual
// move costs no more than its two squares.
[[gnu::noinline]] void BesondererZug(TSchachbrett& brett, const TZug& zug,
                                     const TFischerInfo* fischer) {
  if (!Ausfuehrbar(zug)) return;
  const int s = zug.AmZug;  // side to move after the move; the mover is -s
  const bool weiss = s == -1;
  brett[zug.Nach] = brett[zug.Von];
  brett[zug.Von] = Leer;
  if (zug.EPSchlagfeld != 0) brett[zug.EPSchlagfeld] = Leer;
  switch (zug.Rochade) {
    case KurzeRochade:
      if (weiss) {
        brett[28] = Leer;
        brett[26] = Turm;
      } else {
        brett[98] = Leer;
        brett[96] = -Turm;
      }
      break;
    case LangeRochade:
      if (weiss) {
        brett[21] = Leer;
        brett[24] = Turm;
      } else {
        brett[91] = Leer;
        brett[94] = -Turm;
      }
      break;
    case FischerKurz:
    case FischerLang: {
      if (!fischer) return;
      const bool kurz = zug.Rochade == FischerKurz;
      const uint8_t turmfeld = weiss ? (kurz ? fischer->WeissTurm2 : fischer->WeissTurm1)
                                     : (kurz ? fischer->SchwarzTurm2 : fischer->SchwarzTurm1);
      if (IstSpielfeld(turmfeld)) brett[turmfeld] = Leer;
      brett[zug.Nach + (kurz ? -1 : 1)] = s * -Turm;
      brett[zug.Nach] = s * -Koenig;
      break;
    }
    default:
      break;
  }
  if (zug.Umwandlung != 0) brett[zug.Nach] = zug.Umwandlung;
}

}  // namespace

void ZugAusfuehren(TSchachbrett& brett, const TZug& zug, const TFischerInfo* fischer) {
  if (zug.Rochade == KeineRochade && zug.EPSchlagfeld == 0 && zug.Umwandlung == 0) {
    // The usual move: one piece changes its square.
    if (!IstFeldByte(zug.Von) || !IstFeldByte(zug.Nach)) return;
    brett[zug.Nach] = brett[zug.Von];
    brett[zug.Von] = Leer;
    return;
  }
  BesondererZug(brett, zug, fischer);
}

void ZugAusfuehren(TSchachbrett& brett, const TZug& zug, const TFischerInfo* fischer,
                   TBelegung& belegt) {
  if (zug.Rochade == KeineRochade && zug.EPSchlagfeld == 0 && zug.Umwandlung == 0 &&
      zug.Von != zug.Nach && IstFeldByte(zug.Von) && IstFeldByte(zug.Nach)) {
    // The usual move, board and sets together; what stood on the destination
    // is taken from the board, not from the record.
    const int32_t figur = brett[static_cast<uint8_t>(zug.Von)];
    const int32_t ziel = brett[static_cast<uint8_t>(zug.Nach)];
    brett[static_cast<uint8_t>(zug.Nach)] = figur;
    brett[static_cast<uint8_t>(zug.Von)] = Leer;
    if (figur != Leer && IstFigur(figur) && IstFigur(ziel)) {
      const uint64_t von = Bit(zug.Von), nach = Bit(zug.Nach);
      belegt.Figuren[static_cast<size_t>(ziel + 6)] &= ~nach;
      belegt.Figuren[static_cast<size_t>(figur + 6)] ^= von | nach;
      belegt.Figuren[6] = 0;
      belegt.Alle = (belegt.Alle & ~von) | nach;
    } else {
      belegt = Belegung(brett);
    }
    return;
  }
  ZugAusfuehren(brett, zug, fischer);
  BelegungNach(belegt, brett, zug);
}

void ZugZuruecknehmen(TSchachbrett& brett, const TZug& zug, const TFischerInfo* fischer) {
  if (!Ausfuehrbar(zug)) return;
  const int s = zug.AmZug;
  const bool weiss = s == -1;
  brett[zug.Von] = zug.Umwandlung != 0 ? -s * Bauer : brett[zug.Nach];
  if (zug.EPSchlagfeld != 0) {
    brett[zug.EPSchlagfeld] = s * Bauer;
    brett[zug.Nach] = Leer;
  } else {
    brett[zug.Nach] = zug.Geschlagen;
  }
  switch (zug.Rochade) {
    case KurzeRochade:
      if (weiss) {
        brett[26] = Leer;
        brett[28] = Turm;
      } else {
        brett[96] = Leer;
        brett[98] = -Turm;
      }
      break;
    case LangeRochade:
      if (weiss) {
        brett[24] = Leer;
        brett[21] = Turm;
      } else {
        brett[94] = Leer;
        brett[91] = -Turm;
      }
      break;
    case FischerKurz:
    case FischerLang: {
      if (!fischer) break;
      const bool kurz = zug.Rochade == FischerKurz;
      const uint8_t turmfeld = weiss ? (kurz ? fischer->WeissTurm2 : fischer->WeissTurm1)
                                     : (kurz ? fischer->SchwarzTurm2 : fischer->SchwarzTurm1);
      brett[zug.Nach + (kurz ? -1 : 1)] = Leer;
      if (IstSpielfeld(turmfeld)) brett[turmfeld] = s * -Turm;
      brett[zug.Von] = s * -Koenig;
      break;
    }
    default:
      break;
  }
}

void RochaderechteAnpassen(const TSchachbrett& brett, TZug& zug, const TFischerInfo* fischer) {
  if (zug.Rochaderechte == 0) return;  // nothing left to take away
  const int32_t figur = brett[zug.Von];
  if (figur == Koenig) zug.Rochaderechte &= ~(WeissKurz | WeissLang);
  if (figur == -Koenig) zug.Rochaderechte &= ~(SchwarzKurz | SchwarzLang);
  if (fischer && fischer->Fischer) {
    const std::pair<uint8_t, uint8_t> turm[4] = {{fischer->WeissTurm2, WeissKurz},
                                                 {fischer->WeissTurm1, WeissLang},
                                                 {fischer->SchwarzTurm2, SchwarzKurz},
                                                 {fischer->SchwarzTurm1, SchwarzLang}};
    for (const auto& [feld, recht] : turm) {
      if (feld != 0 && (zug.Von == feld || zug.Nach == feld))
        zug.Rochaderechte &= static_cast<uint8_t>(~recht);
    }
    return;
  }
  if (figur == Turm && zug.Von == 28) zug.Rochaderechte &= ~WeissKurz;
  if (figur == Turm && zug.Von == 21) zug.Rochaderechte &= ~WeissLang;
  if (figur == -Turm && zug.Von == 98) zug.Rochaderechte &= ~SchwarzKurz;
  if (figur == -Turm && zug.Von == 91) zug.Rochaderechte &= ~SchwarzLang;
  switch (zug.Nach) {
    case 21:
      zug.Rochaderechte &= ~WeissLang;
      break;
    case 28:
      zug.Rochaderechte &= ~WeissKurz;
      break;
    case 91:
      zug.Rochaderechte &= ~SchwarzLang;
      break;
    case 98:
      zug.Rochaderechte &= ~SchwarzKurz;
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// The rules

bool FeldAngegriffen(const TSchachbrett& brett, int feld, int seite) {
  return IstSpielfeld(feld) && FeldAngegriffen(brett, feld, seite, Belegung(brett));
}

bool FeldAngegriffen(const TSchachbrett&, int feld, int seite, const TBelegung& belegt) {
  return IstSpielfeld(feld) &&
         Angegriffen(Nummern[static_cast<size_t>(feld)], seite, belegt.Alle, belegt, 0);
}

namespace {

// What a difference between two squares (ziel - feld, -77..77) allows: the
// step of the line from one to the other (+-1, +-10 for a rook, +-9, +-11 for
// a bishop; a difference of less than 8 across ranks gives +-1 as well, and a
// walk along it meets the border first) and the pieces that reach it in one
// move, as bits.
constexpr uint8_t ReichtSpringer = 1, ReichtKoenig = 2, ReichtWeisserBauer = 4,
                  ReichtSchwarzerBauer = 8, ReichtGerade = 16, ReichtSchraeg = 32;
struct TAbstand {
  int8_t Schritt = 0;
  uint8_t Reicht = 0;
};
constexpr auto Abstaende = [] {
  std::array<TAbstand, 155> t{};
  for (const int schritt : {1, 10, 9, 11}) {
    const uint8_t art = schritt == 1 || schritt == 10 ? ReichtGerade : ReichtSchraeg;
    for (int k = 1; k <= 7; ++k) {
      t[static_cast<size_t>(77 + k * schritt)] = {static_cast<int8_t>(schritt), art};
      t[static_cast<size_t>(77 - k * schritt)] = {static_cast<int8_t>(-schritt), art};
    }
  }
  for (const int s : SpringerSpruenge) t[static_cast<size_t>(77 + s)].Reicht |= ReichtSpringer;
  for (const int s : DameKoenigRichtungen) t[static_cast<size_t>(77 + s)].Reicht |= ReichtKoenig;
  for (const int s : {9, 11}) {
    t[static_cast<size_t>(77 + s)].Reicht |= ReichtWeisserBauer;
    t[static_cast<size_t>(77 - s)].Reicht |= ReichtSchwarzerBauer;
  }
  return t;
}();

// The bits of Abstaende that a piece code (index code + 6) can use.
constexpr std::array<uint8_t, 13> Reichweite = {ReichtKoenig,
                                                ReichtGerade | ReichtSchraeg,
                                                ReichtSpringer,
                                                ReichtSchraeg,
                                                ReichtGerade,
                                                ReichtSchwarzerBauer,
                                                0,
                                                ReichtWeisserBauer,
                                                ReichtGerade,
                                                ReichtSchraeg,
                                                ReichtSpringer,
                                                ReichtGerade | ReichtSchraeg,
                                                ReichtKoenig};

const TAbstand& Abstand(int von, int nach) {
  static constexpr TAbstand keiner{};
  const int d = nach - von;
  return d < -77 || d > 77 ? keiner : Abstaende[static_cast<size_t>(d + 77)];
}

// Whether the squares between `von` and `nach` on the line of `schritt` are
// empty and `nach` lies on it.
bool LinieFrei(const TSchachbrett& brett, int von, int nach, int schritt) {
  int feld = von + schritt;
  for (; feld != nach; feld += schritt)
    if (brett[static_cast<size_t>(feld)] != Leer) return false;  // a piece or the border
  return true;
}

// Whether the piece `figur` on `feld` attacks `ziel`.
bool Greift(const TSchachbrett& brett, int32_t figur, int feld, int ziel) {
  if (figur < -Koenig || figur > Koenig) return false;
  const TAbstand& a = Abstand(feld, ziel);
  const uint8_t treffer = a.Reicht & Reichweite[static_cast<size_t>(figur + 6)];
  if (treffer == 0) return false;
  if (treffer & (ReichtGerade | ReichtSchraeg)) return LinieFrei(brett, feld, ziel, a.Schritt);
  return true;
}

// The square of the king of `seite`, 0 without a king; with several, white's
// first and black's last in square order.
int KoenigFinden(const TBelegung& belegt, int seite) {
  const uint64_t koenige = belegt.Von(seite * Koenig);
  if (koenige == 0) return 0;
  return Indizes[static_cast<size_t>(seite == 1 ? std::countr_zero(koenige)
                                                : 63 - std::countl_zero(koenige))];
}

bool BauerRegeln(const TSchachbrett& brett, const TZug& zug, uint8_t enPassant) {
  const int s = zug.AmZug;
  const int von = zug.Von, nach = zug.Nach;
  const int d = (nach - von) * s;
  const int32_t ziel = brett[static_cast<size_t>(nach)];
  if (zug.EPSchlagfeld != 0) {
    return (d == 9 || d == 11) && nach == enPassant && ziel == Leer &&
           zug.EPSchlagfeld == nach - 10 * s &&
           brett[static_cast<size_t>(zug.EPSchlagfeld)] == -s * Bauer;
  }
  if (d == 10) return ziel == Leer;
  if (d == 20) {
    const int reihe = von / 10 - 2;
    return reihe == (s == 1 ? 1 : 6) && ziel == Leer &&
           brett[static_cast<size_t>(von + 10 * s)] == Leer;
  }
  if (d == 9 || d == 11) return ziel != Leer && ziel * s < 0;
  return false;
}

bool RochadeRegeln(const TSchachbrett& brett, const TZug& zug, const TFischerInfo* fischer,
                   const TBelegung* belegt) {
  const int s = zug.AmZug;
  const bool weiss = s == 1;
  const bool kurz = zug.Rochade == KurzeRochade || zug.Rochade == FischerKurz;
  const uint8_t recht = weiss ? (kurz ? WeissKurz : WeissLang) : (kurz ? SchwarzKurz : SchwarzLang);
  if (!(zug.Rochaderechte & recht)) return false;
  const int grundreihe = weiss ? 20 : 90;
  const int koenig = zug.Von, koenigZiel = zug.Nach;
  int turm = grundreihe + (kurz ? 8 : 1);
  if (zug.Rochade == FischerKurz || zug.Rochade == FischerLang) {
    if (!fischer) return false;
    turm = weiss ? (kurz ? fischer->WeissTurm2 : fischer->WeissTurm1)
                 : (kurz ? fischer->SchwarzTurm2 : fischer->SchwarzTurm1);
  }
  const int turmZiel = koenigZiel + (kurz ? -1 : 1);
  if (!IstSpielfeld(koenig) || !IstSpielfeld(turm) || koenig / 10 != grundreihe / 10 ||
      turm / 10 != grundreihe / 10 || koenigZiel / 10 != grundreihe / 10)
    return false;
  if (brett[static_cast<size_t>(koenig)] != s * Koenig ||
      brett[static_cast<size_t>(turm)] != s * Turm)
    return false;
  if (kurz ? turm < koenig : turm > koenig) return false;
  auto frei = [&](int a, int b) {
    for (int feld = std::min(a, b); feld <= std::max(a, b); ++feld) {
      if (feld != koenig && feld != turm && brett[static_cast<size_t>(feld)] != Leer) return false;
    }
    return true;
  };
  if (!frei(koenig, koenigZiel) || !frei(turm, turmZiel)) return false;
  // The king's start; the squares it passes and its destination with the
  // king taken off; the destination again once king and rook stand there.
  const TBelegung b = belegt ? *belegt : Belegung(brett);
  if (Angegriffen(Nummern[static_cast<size_t>(koenig)], s, b.Alle, b, 0)) return false;
  const uint64_t ohneKoenig = b.Alle & ~Bit(koenig);
  bool angegriffen = false;
  const int schritt = koenigZiel > koenig ? 1 : -1;
  for (int feld = koenig; feld != koenigZiel && !angegriffen;) {
    feld += schritt;
    angegriffen = Angegriffen(Nummern[static_cast<size_t>(feld)], s, ohneKoenig, b, 0);
  }
  if (!angegriffen) {
    const uint64_t danach = (ohneKoenig & ~Bit(turm)) | Bit(turmZiel) | Bit(koenigZiel);
    angegriffen = Angegriffen(Nummern[static_cast<size_t>(koenigZiel)], s, danach, b, 0);
  }
  return !angegriffen;
}

}  // namespace

namespace {

// Whether the king of `s` on `koenig` is safe once the piece on `von` stands on
// `nach` (and the pawn on `epFeld`, if any, is taken).
bool KoenigSicher(const TBelegung& b, int s, int koenig, int von, int nach, int epFeld) {
  uint64_t weg = Bit(nach), alle = (b.Alle & ~Bit(von)) | Bit(nach);
  if (epFeld != 0) {
    weg = Bit(epFeld);
    alle &= ~weg;
  }
  return !Angegriffen(Nummern[static_cast<size_t>(koenig)], s, alle, b, weg);
}

[[gnu::always_inline]] inline bool Regeln(const TSchachbrett& brett, const TZug& zug,
                                          uint8_t enPassant, const TFischerInfo* fischer,
                                          bool reichweite, const TBelegung* belegt) {
  const int s = zug.AmZug;
  const int von = zug.Von, nach = zug.Nach;
  if ((s != 1 && s != -1) || !IstSpielfeld(von) || !IstSpielfeld(nach)) return false;
  if (zug.Rochade != KeineRochade) return RochadeRegeln(brett, zug, fischer, belegt);
  const int32_t figur = brett[static_cast<size_t>(von)];
  const int32_t ziel = brett[static_cast<size_t>(nach)];
  if (figur * s <= 0 || ziel * s > 0) return false;  // not the mover's piece, or onto its own
  // A king is never taken: that happens only in a position read from a FEN
  // whose side not to move is in check.
  if (ziel == -s * Koenig) return false;
  const int art = figur * s;
  if (art == Bauer) {
    if (!BauerRegeln(brett, zug, enPassant)) return false;
    const bool letzte = nach / 10 == (s == 1 ? 9 : 2);
    const int umwandlung = zug.Umwandlung * s;
    if (letzte != (zug.Umwandlung != 0)) return false;
    if (letzte && (umwandlung < Turm || umwandlung > Dame)) return false;
  } else if (zug.Umwandlung != 0 || zug.EPSchlagfeld != 0 ||
             (reichweite && !Greift(brett, figur, von, nach))) {
    return false;
  }
  // The mover's king after the move, tested by the sets as they will be.
  if (belegt) {
    const int koenig = art == Koenig ? nach : KoenigFinden(*belegt, s);
    return koenig == 0 || KoenigSicher(*belegt, s, koenig, von, nach, zug.EPSchlagfeld);
  }
  const TBelegung b = Belegung(brett);
  const int koenig = art == Koenig ? nach : KoenigFinden(b, s);
  return koenig == 0 || KoenigSicher(b, s, koenig, von, nach, zug.EPSchlagfeld);
}

}  // namespace

bool ZugErlaubt(const TSchachbrett& brett, const TZug& zug, uint8_t enPassant,
                const TFischerInfo* fischer, const TBelegung* belegt) {
  return Regeln(brett, zug, enPassant, fischer, true, belegt);
}

bool GefundenerZugErlaubt(const TSchachbrett& brett, const TZug& zug, uint8_t enPassant,
                          const TFischerInfo* fischer, const TBelegung* belegt) {
  return Regeln(brett, zug, enPassant, fischer, false, belegt);
}

bool KoenigszugAlsRochade(const TSchachbrett& brett, TZug& zug, const TFischerInfo* fischer) {
  const int s = zug.AmZug;
  const int von = zug.Von, nach = zug.Nach;
  if (!IstSpielfeld(von) || !IstSpielfeld(nach) || brett[static_cast<size_t>(von)] != s * Koenig)
    return false;
  const int grundreihe = s == 1 ? 20 : 90;
  if (von / 10 != grundreihe / 10 || nach / 10 != grundreihe / 10) return false;
  const bool kurz = nach > von;
  if (fischer && fischer->Fischer) {
    const bool aufTurm = brett[static_cast<size_t>(nach)] == s * Turm;
    const bool weit = (nach - von) * (kurz ? 1 : -1) >= 2 && nach == grundreihe + (kurz ? 7 : 3);
    if (!aufTurm && !weit) return false;
    zug.Rochade = kurz ? FischerKurz : FischerLang;
  } else {
    if (von != grundreihe + 5 || (nach != grundreihe + 7 && nach != grundreihe + 3)) return false;
    zug.Rochade = kurz ? KurzeRochade : LangeRochade;
  }
  zug.Nach = static_cast<int8_t>(grundreihe + (kurz ? 7 : 3));
  zug.Geschlagen = 0;
  return true;
}

// ---------------------------------------------------------------------------
// Origin searches

bool SucheDame(const TSchachbrett& brett, int seite, int ziel, bool angriff, TKandidaten* k) {
  return Gleiten(brett, DameKoenigRichtungen, Gesucht(Dame, seite, angriff), ziel,
                 Liste(angriff, k));
}

bool SucheTurm(const TSchachbrett& brett, int seite, int ziel, bool angriff, TKandidaten* k) {
  return Gleiten(brett, TurmRichtungen, Gesucht(Turm, seite, angriff), ziel, Liste(angriff, k));
}

bool SucheLaeufer(const TSchachbrett& brett, int seite, int ziel, bool angriff, TKandidaten* k) {
  return Gleiten(brett, LaeuferRichtungen, Gesucht(Laeufer, seite, angriff), ziel,
                 Liste(angriff, k));
}

bool SucheSpringer(const TSchachbrett& brett, int seite, int ziel, bool angriff, TKandidaten* k) {
  return Springen(brett, SpringerSpruenge, Gesucht(Springer, seite, angriff), ziel,
                  Liste(angriff, k));
}

bool SucheKoenig(const TSchachbrett& brett, int seite, int ziel, bool angriff, TKandidaten* k) {
  return Springen(brett, DameKoenigRichtungen, Gesucht(Koenig, seite, angriff), ziel,
                  Liste(angriff, k));
}

// ---------------------------------------------------------------------------
// Origin resolution

bool FigurHerkunft(TSchachbrett& brett, TZug& zug, int art, std::string_view hinweis,
                   TKandidaten& kandidaten, const TBelegung* belegt) {
  const int seite = zug.AmZug;
  const int ziel = zug.Nach;
  if (!IstSpielfeld(ziel)) return false;
  zug.Geschlagen = static_cast<int8_t>(brett[ziel]);
  kandidaten.Leeren();
  if (belegt && (seite == 1 || seite == -1) && art >= Turm && art <= Koenig) {
    // The usual case, a single piece that reaches the destination, by the
    // sets; several are searched for in table order below.
    const uint64_t treffer =
        Ziele(art, Nummern[static_cast<size_t>(ziel)], belegt->Alle) & belegt->Von(seite * art);
    if (treffer == 0) return false;
    if ((treffer & (treffer - 1)) == 0) {
      kandidaten.Hinzu(Indizes[static_cast<size_t>(std::countr_zero(treffer))]);
      zug.Von = static_cast<int8_t>(kandidaten.Feld[1]);
      return true;
    }
  }
  const uint64_t* alle = belegt ? &belegt->Alle : nullptr;
  switch (art) {
    case Dame:
      GleitenSammeln(brett, DameKoenigRichtungen, seite * Dame, ziel, kandidaten, alle);
      break;
    case Turm:
      GleitenSammeln(brett, TurmRichtungen, seite * Turm, ziel, kandidaten, alle);
      break;
    case Laeufer:
      GleitenSammeln(brett, LaeuferRichtungen, seite * Laeufer, ziel, kandidaten, alle);
      break;
    case Springer:
      SpringenSammeln(brett, SpringerSpruenge, seite * Springer, ziel, kandidaten);
      break;
    case Koenig:
      SpringenSammeln(brett, DameKoenigRichtungen, seite * Koenig, ziel, kandidaten);
      break;
    default:
      return false;
  }
  if (kandidaten.Anzahl == 0) return false;
  if (kandidaten.Anzahl == 1) {
    zug.Von = static_cast<int8_t>(kandidaten.Feld[1]);
    return true;
  }

  if (hinweis.size() >= 2) {
    const char linie = hinweis[0], reihe = hinweis[1];
    if (linie < 'a' || linie > 'h' || reihe < '1' || reihe > '8') return false;
    const int von = 21 + (reihe - '1') * 10 + (linie - 'a');
    // Only a piece that reaches the destination can be meant.
    bool gefunden = false;
    for (int i = 1; i <= kandidaten.Anzahl; ++i) gefunden |= kandidaten.Feld[i] == von;
    if (!gefunden) return false;
    zug.Von = static_cast<int8_t>(von);
    zug.Zeichen |= ZeigtFeld;
    return true;
  }

  int von = 0;
  if (hinweis.size() == 1) {
    const char c = hinweis[0];
    const bool reihe = c >= '1' && c <= '8';
    // The last candidate on the named file or rank wins.
    for (int i = kandidaten.Anzahl; i >= 1 && von == 0; --i) {
      const int feld = kandidaten.Feld[i];
      if (reihe ? feld / 10 - 2 == c - '1' : feld % 10 - 1 == c - 'a') von = feld;
    }
    zug.Zeichen |= reihe ? ZeigtReihe : ZeigtLinie;
  } else {
    // Pin test: the last candidate that leaves its king safe from sliders
    // wins. The piece is tried on the destination, so a move that blocks a
    // check or takes the checking piece is found as well. The board is not
    // written: the walk sees the candidate's square as empty and the
    // destination as taken by the moving piece.
    int koenig = 25;
    for (int index = 98; index >= 21; --index) {  // the last king in square order
      if (brett[index] == seite * Koenig && IstSpielfeld(index)) {
        koenig = index;
        break;
      }
    }
    for (int i = kandidaten.Anzahl; i >= 1 && von == 0; --i) {
      const int feld = kandidaten.Feld[i];
      if (!Gefesselt(brett, seite, koenig, feld, ziel)) von = feld;
    }
  }
  if (von == 0) return false;
  zug.Von = static_cast<int8_t>(von);
  return true;
}

bool BauerHerkunft(const TSchachbrett& brett, TZug& zug, std::string_view feldteil) {
  const int s = zug.AmZug;
  const int nach = zug.Nach;
  if (!IstSpielfeld(nach)) return false;
  const int r = nach / 10 - 2;
  zug.Geschlagen = static_cast<int8_t>(brett[nach]);
  // "ed5" or "e4d5": a capture from the file named first.
  if (feldteil.size() == 3 || feldteil.size() == 4) {
    const char linie = feldteil[0];
    if (linie < 'a' || linie > 'h') return false;
    const int von = 21 + (r - s) * 10 + (linie - 'a');
    if (!IstSpielfeld(von)) return false;
    zug.Von = static_cast<int8_t>(von);
    if (brett[nach] == Leer) {
      zug.EPSchlagfeld = static_cast<int8_t>(nach - 10 * s);
      zug.Geschlagen = static_cast<int8_t>(-s * Bauer);
    }
    return true;
  }
  const int hinter = nach - 10 * s;
  if (brett[hinter] != Leer) {
    if (!IstSpielfeld(hinter)) return false;
    zug.Von = static_cast<int8_t>(hinter);
    return true;
  }
  const int von = nach - 20 * s;
  if (!IstSpielfeld(von)) return false;
  zug.Von = static_cast<int8_t>(von);
  zug.EnPassant = static_cast<uint8_t>(hinter);
  return true;
}

bool RochadeHerkunft(TZug& zug, bool kurz, bool fischerRochade, const TFischerInfo* fischer) {
  const bool weiss = zug.AmZug == 1;
  const int grundreihe = weiss ? 20 : 90;
  int von = grundreihe + 5;  // e1 / e8
  if (fischerRochade) {
    if (!fischer) return false;
    von = weiss ? fischer->WeissKoenig : fischer->SchwarzKoenig;
    if (!IstSpielfeld(von)) return false;
  }
  zug.Von = static_cast<int8_t>(von);
  zug.Nach = static_cast<int8_t>(grundreihe + (kurz ? 7 : 3));  // g / c
  zug.Rochade =
      fischerRochade ? (kurz ? FischerKurz : FischerLang) : (kurz ? KurzeRochade : LangeRochade);
  zug.Geschlagen = 0;
  return true;
}

// ---------------------------------------------------------------------------
// Null moves

void NullzugSetzen(TZug& zug) {
  zug.Von = 0;
  zug.Nach = 0;
  zug.EnPassant = 0;
  zug.EPSchlagfeld = 0;
  zug.Rochade = KeineRochade;
  zug.Umwandlung = 0;
  zug.Geschlagen = 0;
}

}  // namespace brevaro
