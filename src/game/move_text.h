// The pieces of a move's text: piece letters per language, the annotation
// suffix ("!", "?!", ...) and the one-byte symbols 128..144 that stand for an
// evaluation NAG in the notation text. The tables read both ways.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace brevaro {

// Zugbewertung 1..6 as text; "" for 0 and other values.
std::string_view ZugbewertungText(uint8_t zugbewertung);

// Evaluation NAG number to its symbol character (128..144); 0 when it has none.
uint8_t BewertungsZeichen(uint16_t stellungsbewertung);

// Symbol character back to its NAG number; 0 for any other character.
uint16_t BewertungAusZeichen(uint8_t zeichen);

// How a symbol character is shown, as UTF-8 ("\u00B1" for NAG 16); empty for any
// other character.
std::string_view SymbolAnzeige(uint8_t zeichen);

// Letter of a piece kind (1 pawn .. 6 king) in German or English; none for a
// pawn or an unknown kind.
std::string_view Figurenbuchstabe(int art, bool english);

// The same letters as characters by kind (none, pawn, rook, bishop, knight,
// queen, king); '\0' where a kind has none.
inline constexpr std::array<char, 7> DeutscheFigurenbuchstaben = {'\0', '\0', 'T', 'L',
                                                                  'S',  'D',  'K'};
inline constexpr std::array<char, 7> EnglischeFigurenbuchstaben = {'\0', '\0', 'R', 'B',
                                                                   'N',  'Q',  'K'};

// The user's own letters in the order king, queen, rook, bishop, knight, pawn.
using TEigeneBuchstaben = std::array<std::string, 6>;

// Index into TEigeneBuchstaben of a piece kind, -1 for an unknown kind.
int EigenerBuchstabenIndex(int art);

// Reader's piece-letter table: the kind of a letter (German or English piece
// letters, "P", or a file "a".."h" for a pawn); 0 for anything else.
int FigurAusBuchstabe(char c);

// The piece letter of a chess figurine at `p` (U+2654 to U+265F, white or
// black, as some programs write moves: "♘f3"), 0 for none.
char FigurinenBuchstabe(std::string_view t, size_t p);

}  // namespace brevaro
