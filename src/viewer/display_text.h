// Turning the bytes of PGN text into characters for display: valid UTF-8 is
// read as UTF-8, anything else as Windows-1252; in move text the bytes
// 128..144 stand for evaluation symbols. The bytes themselves never change.
// Invariant: the pieces of Zerlegen cover the bytes exactly, in order.
#pragma once

#include <QString>
#include <string_view>
#include <vector>

namespace brevaro {

// A whole text (a name, an event, a caption): UTF-8 when valid, else 1252.
QString AnzeigeText(std::string_view bytes);

// The display form of an evaluation symbol byte (128..144); empty otherwise.
QString SymbolText(unsigned char zeichen);

// One displayed character and the number of bytes it stands for.
struct TAnzeigezeichen {
  QString Text;
  int Bytes = 1;
};

// Splits bytes into displayed characters. utf8: the text came from valid
// UTF-8 (multi-byte sequences form one character). symbole: the bytes are
// move text, so a lone byte 128..144 is an evaluation symbol. Control
// characters (line ends inside comments) show as blanks.
std::vector<TAnzeigezeichen> Zerlegen(std::string_view bytes, bool utf8, bool symbole);
QString Zusammen(std::string_view bytes, bool utf8, bool symbole);

// Length of the valid UTF-8 sequence starting at bytes[i] (2..4), 0 if none.
int Utf8Folge(std::string_view bytes, size_t i);

}  // namespace brevaro
