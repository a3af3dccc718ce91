#include "util/Cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, EveryByteRoundTripsThroughUnicode)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    EXPECT_EQ(Utf16ToCp1252(Cp1252ToUtf16(all)), all);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(Cp1252, MapsTheUpperHalf)
{
    EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(Cp1252ToUnicode(0x9F), U'\u0178');
    EXPECT_EQ(Cp1252ToUnicode(0x81), U'\u0081'); // undefined: kept as a control code point
    EXPECT_EQ(Cp1252ToUnicode(0xC4), U'\u00C4');
    EXPECT_EQ(Utf8ToCp1252("\xC3\x84rger"), "\xC4rger");
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");
}

TEST(Cp1252, ReplacesWhatHasNoByte)
{
    EXPECT_EQ(Utf8ToCp1252("a\xE2\x86\x92z"), "a?z"); // an arrow
    EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80"), "?"); // outside the BMP
    EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");             // cut-off sequence
    EXPECT_EQ(Utf16ToCp1252(u"\U0001F600x"), "?x");   // surrogate pair is one character
    EXPECT_EQ(Utf8ToCp1252("\xFF", '_'), "_");
}
