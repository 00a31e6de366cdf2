#include "game/text_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace brevaro;

namespace {

// One step of a writer: a piece of text, a number, or bytes written in place.
struct Schritt {
  enum Art { Text, Zeichen, Zahl, Platz } art;
  std::string text;
  int64_t zahl = 0;
};

std::string Lang(size_t n, char c) {
  return std::string(n, c);
}

// Sequences that cross the buffer's end in every way: pieces that fill it
// exactly, that are one byte too long, longer than the whole buffer, and bytes
// written in place after a nearly full buffer.
class TextBuffer : public testing::TestWithParam<std::vector<Schritt>> {};

TEST_P(TextBuffer, KeepsEveryPieceInOrder) {
  std::string ziel = "vorher|";
  std::string erwartet = ziel;
  {
    TTextpuffer puffer(ziel);
    for (const Schritt& s : GetParam()) {
      switch (s.art) {
        case Schritt::Text:
          puffer += s.text;
          erwartet += s.text;
          break;
        case Schritt::Zeichen:
          puffer += s.text[0];
          erwartet += s.text[0];
          break;
        case Schritt::Zahl:
          puffer.Zahl(s.zahl);
          erwartet += std::to_string(s.zahl);
          break;
        case Schritt::Platz: {
          char* p = puffer.Platz(32);
          for (size_t i = 0; i < s.text.size(); ++i) p[i] = s.text[i];
          puffer.Geschrieben(s.text.size());
          erwartet += s.text;
          break;
        }
      }
      // The string and what the buffer holds make up the text so far.
      ASSERT_EQ(ziel.size() + puffer.Offen(), erwartet.size());
    }
  }
  EXPECT_EQ(ziel, erwartet);
}

INSTANTIATE_TEST_SUITE_P(Sequences, TextBuffer,
                         testing::Values(std::vector<Schritt>{{Schritt::Zahl, "", 12},
                                                              {Schritt::Text, "."},
                                                              {Schritt::Platz, "Nf3+"},
                                                              {Schritt::Zeichen, " "}},
                                         std::vector<Schritt>{{Schritt::Text, Lang(127, 'a')},
                                                              {Schritt::Zeichen, "b"},
                                                              {Schritt::Zeichen, "c"}},
                                         std::vector<Schritt>{
                                             {Schritt::Text, Lang(100, 'a')},
                                             {Schritt::Platz, Lang(32, 'p')},
                                             {Schritt::Zahl, "", -9223372036854775807 - 1}},
                                         std::vector<Schritt>{{Schritt::Zeichen, "x"},
                                                              {Schritt::Text, Lang(128, 'l')},
                                                              {Schritt::Text, Lang(129, 'm')},
                                                              {Schritt::Text, ""},
                                                              {Schritt::Text, "!"}},
                                         std::vector<Schritt>{{Schritt::Text, Lang(120, 'a')},
                                                              {Schritt::Zahl, "", 123456789},
                                                              {Schritt::Text, Lang(300, '{')},
                                                              {Schritt::Platz, ""}}));

}  // namespace
