// Decoding file bytes (UTF-8 or Windows-1252), case folding and UTF-8 output.
#include "collections/encoding.h"

#include <gtest/gtest.h>

using namespace brevaro;

TEST(Encoding, Utf8Validity) {
  EXPECT_TRUE(IstUtf8(""));
  EXPECT_TRUE(IstUtf8("Kasparov"));
  EXPECT_TRUE(IstUtf8("M\xC3\xBCller"));      // Müller
  EXPECT_TRUE(IstUtf8("Nguy\xE1\xBB\x85n"));  // Nguyễn
  EXPECT_TRUE(IstUtf8("\xF0\x9F\x98\x80"));   // a four-byte character
  EXPECT_FALSE(IstUtf8("M\xFCller"));         // Windows-1252
  EXPECT_FALSE(IstUtf8("\xC3"));              // cut short
  EXPECT_FALSE(IstUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IstUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IstUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
}

TEST(Encoding, AlsUtf8KeepsUtf8AndConvertsWindows1252) {
  EXPECT_EQ(AlsUtf8("M\xC3\xBCller"), "M\xC3\xBCller");
  EXPECT_EQ(AlsUtf8("M\xFCller"), "M\xC3\xBCller");
  EXPECT_EQ(AlsUtf8("\x80 \x8A\x9F"), "\xE2\x82\xAC \xC5\xA0\xC5\xB8");  // € Š Ÿ
  EXPECT_EQ(AlsUtf8("plain"), "plain");
}

struct FallFall {
  const char* heuhaufen;
  const char* nadel;
  bool enthalten;
};

class CaseInsensitive : public testing::TestWithParam<FallFall> {};

TEST_P(CaseInsensitive, Contains) {
  const FallFall& c = GetParam();
  EXPECT_EQ(EnthaeltOhneFall(c.heuhaufen, GrossDekodiert(c.nadel)), c.enthalten)
      << c.heuhaufen << " / " << c.nadel;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CaseInsensitive,
    testing::Values(FallFall{"Kasparov, Garry", "kasp", true},
                    FallFall{"Kasparov, Garry", "", true}, FallFall{"Kasparov", "kasparovs", false},
                    // UTF-8 file, UTF-8 needle
                    FallFall{"M\xC3\x9CLLER", "m\xC3\xBCller", true},
                    FallFall{"Mueller", "m\xC3\xBCller", false},
                    // Windows-1252 file, UTF-8 needle
                    FallFall{"M\xFCller", "M\xC3\x9CLLER", true},
                    FallFall{"M\xDCLLER", "m\xC3\xBC", true},
                    FallFall{"\x8Akoda", "\xC5\xA1KODA", true},  // Škoda / škoda
                    // Windows-1252 needle from a Windows-1252 source
                    FallFall{"M\xC3\xBCller", "m\xFC", true},
                    FallFall{"\xC3\x87"
                             "elik",
                             "\xC3\xA7"
                             "el",
                             true},                                            // Çelik / çel
                    FallFall{"Nguy\xE1\xBB\x84N", "nguy\xE1\xBB\x85n", true},  // Nguyễn
                    FallFall{"\xD0\x9A\xD0\xB0\xD1\x80\xD0\xBF\xD0\xBE\xD0\xB2",
                             "\xD0\xBA\xD0\xB0\xD1\x80", true},  // Карпов / кар
                    FallFall{"Stra\xC3\x9F"
                             "e",
                             "STRASSE", false}));  // ß has no one-letter capital

TEST(Encoding, Getrimmt) {
  EXPECT_EQ(Getrimmt("  \t[Event \"x\"]\r\n"), "[Event \"x\"]");
  EXPECT_EQ(Getrimmt("\x01\x1F"), "");
  EXPECT_EQ(Getrimmt("\xA0x\xA0"), "\xA0x\xA0");  // bytes above 127 stay
}
