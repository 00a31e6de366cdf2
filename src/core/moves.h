// Carrying out and taking back moves on a board, keeping castling rights up to
// date, finding the piece that makes a move a PGN text names only by kind,
// destination and an optional hint, and checking a move against the rules
// before it is executed. There is no legal-move generator.
// Invariant: ZugZuruecknehmen after ZugAusfuehren of the same record restores
// the board exactly.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/position.h"

namespace brevaro {

// Origin candidates of the last search: entries 1..Anzahl of Feld (entry 0 unused).
struct TKandidaten {
  std::array<uint8_t, 11> Feld{};
  uint8_t Anzahl = 0;
  void Leeren() { Anzahl = 0; }
  void Hinzu(uint8_t feld) {
    if (Anzahl < 10) Feld[++Anzahl] = feld;
  }
};

// Mailbox direction tables (their order fixes the order of the candidates).
inline constexpr std::array<int, 8> DameKoenigRichtungen = {-9, -11, 9, 11, -1, 10, 1, -10};
inline constexpr std::array<int, 4> TurmRichtungen = {-1, 10, 1, -10};
inline constexpr std::array<int, 4> LaeuferRichtungen = {-9, -11, 9, 11};
inline constexpr std::array<int, 8> SpringerSpruenge = {19, 21, 12, -8, -19, -21, -12, 8};

// ---------------------------------------------------------------------------
// Doing and undoing moves

// Applies a complete move (AmZug names the side to move after it). Fischer
// Random castling needs `fischer`; without it only the king moves.
void ZugAusfuehren(TSchachbrett& brett, const TZug& zug, const TFischerInfo* fischer);

// Takes back a complete move that ZugAusfuehren applied.
void ZugZuruecknehmen(TSchachbrett& brett, const TZug& zug, const TFischerInfo* fischer);

// Updates the castling rights of a move being built, before it is executed
// (brett[zug.Von] still holds the moving piece). Standard chess: a king move
// clears its side's rights, a rook leaving its corner or any move onto a corner
// the right of that corner. In a Fischer Random game (`fischer` set) a right is
// lost only when the king moves or a move leaves or lands on that right's rook
// square.
void RochaderechteAnpassen(const TSchachbrett& brett, TZug& zug,
                           const TFischerInfo* fischer = nullptr);

// ---------------------------------------------------------------------------
// The rules

// The board as sets of squares (a1 = bit 0, b1 = bit 1, .. h8 = bit 63): the
// occupied squares and those of each piece. A reader that keeps them from
// move to move passes them to the rules below (`belegt`), which otherwise
// look at the board square by square.
struct TBelegung {
  uint64_t Alle = 0;
  std::array<uint64_t, 13> Figuren{};  // by piece code + 6; entry 6 (Leer) stays empty
  uint64_t Von(int32_t figur) const { return Figuren[static_cast<size_t>(figur + 6)]; }
  friend bool operator==(const TBelegung&, const TBelegung&) = default;
};

TBelegung Belegung(const TSchachbrett& brett);

// Brings `belegt` from the position before the complete move `zug` to the one
// after it; `brett` shows the move executed (castling is looked up there).
void BelegungNach(TBelegung& belegt, const TSchachbrett& brett, const TZug& zug);

// ZugAusfuehren and BelegungNach in one.
void ZugAusfuehren(TSchachbrett& brett, const TZug& zug, const TFischerInfo* fischer,
                   TBelegung& belegt);

// Whether a piece of the opponent of `seite` attacks `feld`.
bool FeldAngegriffen(const TSchachbrett& brett, int feld, int seite);
bool FeldAngegriffen(const TSchachbrett& brett, int feld, int seite, const TBelegung& belegt);

// Whether the move being built obeys the rules in the position `brett` before
// it, whose en-passant square is `enPassant`: AmZug is the mover, Rochaderechte
// the rights before the move, and Von, Nach, Rochade, EPSchlagfeld and
// Umwandlung are set. The mover's piece stands on Von and can go to Nach (a
// clear path, a pawn's push, double step or capture, a promotion exactly on
// the last rank), it takes no king, and the mover's king is not attacked
// afterwards. Castling needs its right, its rook and king in place, the
// squares from start to destination of both empty but for those two, and no
// attack on the king's start, the squares it passes and its destination. A
// position without a king of the mover skips the check test (with several,
// the first in square order for white, the last for black is tested).
bool ZugErlaubt(const TSchachbrett& brett, const TZug& zug, uint8_t enPassant,
                const TFischerInfo* fischer, const TBelegung* belegt = nullptr);

// The same for a move whose origin FigurHerkunft found: that the piece
// reaches the destination is taken as given.
bool GefundenerZugErlaubt(const TSchachbrett& brett, const TZug& zug, uint8_t enPassant,
                          const TFischerInfo* fischer, const TBelegung* belegt = nullptr);

// A king move given by its two squares, as engines write moves, that is
// castling: in standard chess the king from e1 / e8 to g or c of its rank; in a
// Fischer Random game the king onto a rook of its side on its back rank, or
// two or more files along the back rank onto g or c. Then sets Rochade, Nach
// (the king's destination g or c) and Geschlagen (0) of the move being built
// and returns true; otherwise changes nothing.
bool KoenigszugAlsRochade(const TSchachbrett& brett, TZug& zug, const TFischerInfo* fischer);

// ---------------------------------------------------------------------------
// Origin searches. `seite` is the side that moves (+1/-1). In normal mode the
// sought piece is kind x seite and every find is appended to `kandidaten`; in
// attack mode (angriff) the opponent's piece is sought and nothing is appended.

bool SucheDame(const TSchachbrett& brett, int seite, int ziel, bool angriff,
               TKandidaten* kandidaten);
bool SucheTurm(const TSchachbrett& brett, int seite, int ziel, bool angriff,
               TKandidaten* kandidaten);
bool SucheLaeufer(const TSchachbrett& brett, int seite, int ziel, bool angriff,
                  TKandidaten* kandidaten);
bool SucheSpringer(const TSchachbrett& brett, int seite, int ziel, bool angriff,
                   TKandidaten* kandidaten);
bool SucheKoenig(const TSchachbrett& brett, int seite, int ziel, bool angriff,
                 TKandidaten* kandidaten);

// ---------------------------------------------------------------------------
// Origin resolution, as the move reader uses it. The record is being built:
// AmZug is the side that moves and Nach is set.

// A piece move (kind Koenig, Dame, Turm, Laeufer or Springer). `hinweis` is the
// text between the piece letter and the destination ("", "b", "1", "b1").
// Sets Von and the disambiguation bits of Zeichen; false when no piece fits
// (a square hint must name one of the pieces that reach the destination).
// The board is borrowed for the pin test and restored before returning.
bool FigurHerkunft(TSchachbrett& brett, TZug& zug, int art, std::string_view hinweis,
                   TKandidaten& kandidaten, const TBelegung* belegt = nullptr);

// A pawn move. `feldteil` is the hint plus the destination ("e4", "ed5",
// "e4d5"). Sets Von, and EPSchlagfeld/Geschlagen for an en-passant capture or
// EnPassant for a double step; false when the text cannot name an origin.
bool BauerHerkunft(const TSchachbrett& brett, TZug& zug, std::string_view feldteil);

// Castling: the squares are fixed (standard: the king from e1/e8 to g or c of
// its rank) or, for Fischer Random castling, the king starts on WeissKoenig /
// SchwarzKoenig of `fischer`. Sets Von, Nach, Rochade and Geschlagen (0);
// false for Fischer Random castling without a king square to start from.
bool RochadeHerkunft(TZug& zug, bool kurz, bool fischerRochade, const TFischerInfo* fischer);

// ---------------------------------------------------------------------------
// Null moves ("--" in PGN): the side to move passes. The record names no
// square (Von = Nach = 0), so ZugAusfuehren and ZugZuruecknehmen change no
// square; a record with Von = Nach would erase the piece standing there.

// Makes the record being built (AmZug is the side that passes) a null move:
// no squares, no castling, capture or promotion, and no en-passant square.
void NullzugSetzen(TZug& zug);

// Whether a complete record is a null move.
inline bool IstNullzug(const TZug& zug) {
  return zug.Von == 0 && zug.Nach == 0;
}

// ---------------------------------------------------------------------------
// The state the move operations work on, as the game owns it: the working
// board, the current move record, the candidate list and the optional Fischer
// Random information (absent for standard chess).
struct TZugzustand {
  TSchachbrett Arbeitsbrett = GrundstellungBrett;
  TZug AktuellerZug = GrundstellungZug();
  TKandidaten Kandidaten;
  const TFischerInfo* FischerInfo = nullptr;

  void Ausfuehren() { ZugAusfuehren(Arbeitsbrett, AktuellerZug, FischerInfo); }
  void Ausfuehren(TBelegung& belegt) {
    ZugAusfuehren(Arbeitsbrett, AktuellerZug, FischerInfo, belegt);
  }
  void Zuruecknehmen(const TZug& zug) { ZugZuruecknehmen(Arbeitsbrett, zug, FischerInfo); }
  void RechteAnpassen() {
    if (AktuellerZug.Rochaderechte != 0)
      RochaderechteAnpassen(Arbeitsbrett, AktuellerZug, FischerInfo);
  }
  // `gefunden`: the origin of a piece move came from Figur, so its reach is
  // known; any other move is checked in full.
  // `belegt` (optional): the squares of Arbeitsbrett as sets.
  bool Erlaubt(uint8_t enPassant, bool gefunden, const TBelegung* belegt = nullptr) {
    return gefunden
               ? GefundenerZugErlaubt(Arbeitsbrett, AktuellerZug, enPassant, FischerInfo, belegt)
               : ZugErlaubt(Arbeitsbrett, AktuellerZug, enPassant, FischerInfo, belegt);
  }
  bool Figur(int art, std::string_view hinweis, const TBelegung* belegt = nullptr) {
    return FigurHerkunft(Arbeitsbrett, AktuellerZug, art, hinweis, Kandidaten, belegt);
  }
  bool Bauer(std::string_view feldteil) {
    return BauerHerkunft(Arbeitsbrett, AktuellerZug, feldteil);
  }
  bool Rochieren(bool kurz, bool fischerRochade) {
    return RochadeHerkunft(AktuellerZug, kurz, fischerRochade, FischerInfo);
  }
};

}  // namespace brevaro
