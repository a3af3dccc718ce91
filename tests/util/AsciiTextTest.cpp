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
