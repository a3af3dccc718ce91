#include "controls/TFont.h"

#include <gtest/gtest.h>

TEST(TFont, FiresOncePerAttributeSet)
{
    TFont font;
    int changes = 0;
    font.OnChange = [&](TFont&) {
        ++changes;
    };
    font.SetName("Courier New");
    font.SetHeight(-27);
    font.SetStyle(fsBold);
    font.SetColor(clBlue);
    font.SetCharset(ANSI_CHARSET);
    EXPECT_EQ(changes, 5);
    font.SetHeight(-27); // the same value is still a change of the font
    EXPECT_EQ(changes, 6);
    TFont other;
    font.Assign(other);
    EXPECT_EQ(changes, 7);
    EXPECT_TRUE(font.SameAttributes(other));
}

TEST(TFont, HeightAndSizeAreOneValue)
{
    TFont font;
    font.SetHeight(-16);
    EXPECT_EQ(font.Size(), 12); // at 96 pixels per inch
    font.SetSize(8);
    EXPECT_EQ(font.Height(), -11);
    EXPECT_TRUE(TFont(font).SameAttributes(font));
    EXPECT_FALSE(static_cast<bool>(TFont(font).OnChange));
}
