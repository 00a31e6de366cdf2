// A chess position and a move as held everywhere in the program: the 10 x 12
// mailbox board, the packed move record that also carries the state of the
// position after the move, the two square numberings, and FEN in and out.
// Invariant: every border square of a TSchachbrett holds Rand (100).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brevaro {

// ---------------------------------------------------------------------------
// Piece codes. The colour of a piece is its sign, its kind its absolute value.

inline constexpr int32_t Leer = 0;
inline constexpr int32_t Bauer = 1;
inline constexpr int32_t Turm = 2;
inline constexpr int32_t Laeufer = 3;
inline constexpr int32_t Springer = 4;
inline constexpr int32_t Dame = 5;
inline constexpr int32_t Koenig = 6;
inline constexpr int32_t Rand = 100;

// FEN letter of a piece code c is FigurenZeichen[c + 6] (code 0 gives ' ').
inline constexpr std::string_view FigurenZeichen = "kqnbrp PRBNQK";

// A position's board: 12 rows of 10, a1 = 21, h1 = 28, a8 = 91, h8 = 98.
using TSchachbrett = std::array<int32_t, 120>;

// ---------------------------------------------------------------------------
// The move record. While a move is being built AmZug names the side that
// moves; in a completed move (as stored in the game tree) it names the side
// to move after the move.

// Rochaderechte bits
inline constexpr uint8_t WeissKurz = 2;     // FEN "K"
inline constexpr uint8_t WeissLang = 4;     // FEN "Q"
inline constexpr uint8_t SchwarzKurz = 8;   // FEN "k"
inline constexpr uint8_t SchwarzLang = 16;  // FEN "q"
inline constexpr uint8_t AlleRochaderechte = 30;

// Rochade kinds
inline constexpr uint8_t KeineRochade = 0;
inline constexpr uint8_t KurzeRochade = 1;
inline constexpr uint8_t LangeRochade = 2;
inline constexpr uint8_t FischerKurz = 3;
inline constexpr uint8_t FischerLang = 4;

// Zeichen flags
inline constexpr uint8_t ZeigtLinie = 16;  // from-file shown in the move text
inline constexpr uint8_t ZeigtReihe = 32;  // from-rank shown
inline constexpr uint8_t ZeigtFeld = 48;   // both
inline constexpr uint8_t Schach = 64;      // "+"
inline constexpr uint8_t Matt = 128;       // "#"

#pragma pack(push, 1)
struct TZug {
  uint8_t Rochaderechte = 0;        // castling rights after the move
  uint8_t EnPassant = 0;            // mailbox index of the en-passant target, 0 = none
  int8_t AmZug = 1;                 // +1 white, -1 black
  int8_t Von = 0;                   // from-square (mailbox), the king's for castling
  int8_t Nach = 0;                  // to-square (mailbox), the king's for castling
  int8_t EPSchlagfeld = 0;          // square of the pawn taken en passant, 0 = none
  uint8_t Rochade = 0;              // KeineRochade .. FischerLang
  int8_t Umwandlung = 0;            // signed piece code after promotion, 0 = none
  int8_t Geschlagen = 0;            // signed code of the piece taken, 0 = none
  uint8_t Zeichen = 0;              // ZeigtLinie | ZeigtReihe | Schach | Matt
  uint8_t Zugbewertung = 0;         // 0 none, 1 "!", 2 "!!", 3 "?", 4 "??", 5 "!?", 6 "?!"
  uint16_t Stellungsbewertung = 0;  // evaluation NAG number, 0 = none
};

// TFischerInfo::Fischer: standard chess, or a Fischer Random (Chess960) game
// and the way its FEN writes it.
inline constexpr uint8_t KeinFischer = 0;
inline constexpr uint8_t FischerMarke = 1;     // this program's en-passant mark "f1", "o-o"
inline constexpr uint8_t FischerXFEN = 2;      // castling field "KQkq", a rook file where needed
inline constexpr uint8_t FischerShredder = 3;  // castling field of rook files, "HAha"

// Fischer Random Chess start information, filled by the FEN reader. The rook
// squares are those of the castling rights: the rook a Shredder-FEN letter
// names, else the outermost rook of that side of the king on its back rank;
// without such a right, the rooks in FEN placement order.
struct TFischerInfo {
  uint8_t Fischer = 0;     // KeinFischer .. FischerShredder; non-zero is a Fischer Random game
  uint8_t WeissTurm1 = 0;  // the queen-side castling rook
  uint8_t WeissTurm2 = 0;  // the king-side castling rook
  uint8_t SchwarzTurm1 = 0;
  uint8_t SchwarzTurm2 = 0;
  uint8_t WeissKoenig = 0;
  uint8_t SchwarzKoenig = 0;
};
#pragma pack(pop)

static_assert(sizeof(TZug) == 13);
static_assert(offsetof(TZug, Zeichen) == 9);
static_assert(offsetof(TZug, Stellungsbewertung) == 11);
static_assert(sizeof(TFischerInfo) == 7);
static_assert(offsetof(TFischerInfo, SchwarzKoenig) == 6);

// ---------------------------------------------------------------------------
// Square numberings: square number 0..63 (a1 = 0, h8 = 63) and mailbox index.

uint8_t FeldIndex(uint8_t feldnummer);
uint8_t FeldNummer(uint8_t index);

// Square names by square number: "a1", "b1", ..., "h8".
extern const std::array<std::string_view, 64> Feldnamen;

// Name of a mailbox index ("e4"); "" for a border or out-of-range index.
std::string_view FeldnameVonIndex(int index);

extern const TSchachbrett LeeresBrett;
extern const TSchachbrett GrundstellungBrett;

// The start state of a standard game: all castling rights, white to move.
TZug GrundstellungZug();

// ---------------------------------------------------------------------------
// FEN string input/output

// Reads only Rochaderechte, EnPassant and AmZug of `zug`. The halfmove clock is
// always written as 0; `fischer` writes the en-passant field "f1", this
// program's mark of a Fischer Random Chess position.
std::string StellungToFEN(const TSchachbrett& brett, const TZug& zug, int32_t zugnummer,
                          bool fischer);

// The same in the style of a game's Fischer Random information: standard
// without it (or with KeinFischer), the mark "f1" for FischerMarke, and for
// FischerXFEN / FischerShredder the castling field in that style (rooks from
// `fischer`) with the real en-passant square.
std::string StellungToFEN(const TSchachbrett& brett, const TZug& zug, int32_t zugnummer,
                          const TFischerInfo* fischer);

// Returns false for a text it cannot read; then `brett` is unchanged (the other
// outputs may have been written in part). On success sets the state fields of
// `zug` (Von, Nach and Stellungsbewertung untouched), the move number when the
// last word is a number, and `fischer` when given. The castling field may name
// rook files (Shredder-FEN "HAha", X-FEN "KQkq" with file letters); such a
// field, or rights that no king on e1/e8 with rooks on a/h can hold, make the
// position a Fischer Random one, as the mark "f1" does. In a Fischer Random
// position a right without a rook of its side on the back rank is dropped.

bool FENToStellung(std::string_view fen, TSchachbrett& brett, TZug& zug, uint16_t& zugnummer,
                   TFischerInfo* fischer = nullptr);

// Makes `fischer` the information of a Fischer Random game in `stil` for the
// position `brett` with the rights of `zug`: king squares, and the rooks of the
// rights as the castling field "KQkq" names them (the outermost rook of that
// side); rights without such a rook are taken from `zug`.
void FischerInfoSetzen(const TSchachbrett& brett, TZug& zug, TFischerInfo& fischer, uint8_t stil);

}  // namespace brevaro
