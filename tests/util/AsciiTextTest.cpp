#include "util/AsciiText.h"

#include <gtest/gtest.h>

TEST(AsciiText, FoldsOnlyAToZ)
{
    EXPECT_EQ(AsciiLower("Ascii ENCODING 09[]"), "ascii encoding 09[]");
    // Capital umlauts of the upper half stay as they are, and so do the bytes around A and Z.
    EXPECT_EQ(AsciiLower("\xC4rger@[`{"), "\xC4rger@[`{");
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    const std::string lower = AsciiLower(all);
    for (int c = 0; c < 256; ++c) {
        const int expected = (c >= 'A' && c <= 'Z') ? c + 32 : c;
        EXPECT_EQ(static_cast<unsigned char>(lower[static_cast<std::size_t>(c)]), expected) << c;
    }
}

TEST(AsciiText, TrimsBlanksOnly)
{
    EXPECT_EQ(TrimBlanks("  http://x  "), "http://x");
    EXPECT_EQ(TrimBlanks("\t a \t"), "\t a \t");
    EXPECT_EQ(TrimBlanks("    "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimBlanks(" a b "), "a b");
}

TEST(AsciiText, ComparesWithoutCaseOfAToZ)
{
    EXPECT_TRUE(AsciiStartsWithNoCase("HTTP://example", "http://"));
    EXPECT_FALSE(AsciiStartsWithNoCase("http:/", "http://"));
    EXPECT_TRUE(AsciiEqualNoCase("Run.EXE", "run.exe"));
    EXPECT_FALSE(AsciiEqualNoCase("\xC4", "\xE4"));
}

TEST(AsciiFindNoCase, FindsWithAToZFoldedOnBothSidesOnly)
{
    EXPECT_EQ(AsciiFindNoCase("xx<%AppName%>", "<%APPNAME%>"), 2u);
    EXPECT_EQ(AsciiFindNoCase("aAbAB", "ab"), 1u);    // a miss on the lower case, a hit on the upper
    EXPECT_EQ(AsciiFindNoCase("aAbAB", "AB", 2), 3u); // from a later start
    EXPECT_EQ(AsciiFindNoCase("abc", "abcd"), std::string_view::npos);
    EXPECT_EQ(AsciiFindNoCase("abc", ""), std::string_view::npos);
    EXPECT_EQ(AsciiFindNoCase("abc", "c", 7), std::string_view::npos);
    EXPECT_EQ(AsciiFindNoCase("\xC4x", "\xE4X"), std::string_view::npos); // no folding above Z
    EXPECT_EQ(AsciiFindNoCase("a|$|$$", "|$$"), 3u);
    EXPECT_EQ(AsciiFindNoCase("zzzzzzzzzZ", "Zq"), std::string_view::npos);
}

TEST(AsciiText, ReadsHexDigitsOfEitherCase)
{
    EXPECT_EQ(HexDigitValue('0'), 0);
    EXPECT_EQ(HexDigitValue('9'), 9);
    EXPECT_EQ(HexDigitValue('a'), 10);
    EXPECT_EQ(HexDigitValue('F'), 15);
    EXPECT_EQ(HexDigitValue('g'), -1);
    EXPECT_EQ(HexDigitValue('/'), -1);
    EXPECT_EQ(HexDigitValue('\xC4'), -1);
}
