#include "util/ReplaceAll.h"

#include <gtest/gtest.h>

TEST(ReplaceAll, ReplacesLeftToRightAndNeverInsideAReplacement)
{
    EXPECT_EQ(ReplaceAll("a\\nb\\nc", "\\n", "\r\n", false), "a\r\nb\r\nc");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b", false), "ba");
    // A replacement that holds the searched text is not searched again.
    EXPECT_EQ(ReplaceAll("xax", "a", "aa", false), "xaax");
    EXPECT_EQ(ReplaceAll("abc", "", "z", false), "abc");
    EXPECT_EQ(ReplaceAll("", "a", "z", true), "");
    EXPECT_EQ(ReplaceAll("abc", "abc", "", false), "");
}

TEST(ReplaceAll, IgnoringCaseFoldsOnlyAsciiLettersAndKeepsTheSource)
{
    EXPECT_EQ(ReplaceAll("Hi <%AppName%> and <%APPNAME%>!", "<%appname%>", "Bytescope", true),
              "Hi Bytescope and Bytescope!");
    EXPECT_EQ(ReplaceAll("Hi <%AppName%>", "<%appname%>", "X", false), "Hi <%AppName%>");
    EXPECT_EQ(ReplaceAll("NAME name", "e", "_", true), "NAM_ nam_");
    // \xC4 is a capital A umlaut, \xE4 its small letter: not folded.
    EXPECT_EQ(ReplaceAll("\xC4rger", "\xE4", "a", true), "\xC4rger");
    // The case-sensitive "\n" escape leaves a backslash with a capital N alone.
    EXPECT_EQ(ReplaceAll("a\\Nb", "\\n", "\r\n", false), "a\\Nb");
}
