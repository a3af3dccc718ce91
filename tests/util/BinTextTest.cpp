#include "util/BinText.h"

#include <gtest/gtest.h>

TEST(IntToBinText, WritesLowBitsMostSignificantFirst)
{
    EXPECT_EQ(IntToBinText(65, 8), "01000001");
    EXPECT_EQ(IntToBinText(0, 8), "00000000");
    EXPECT_EQ(IntToBinText(255, 8), "11111111");
    EXPECT_EQ(IntToBinText(256, 8), "00000000"); // the ninth bit is dropped
    EXPECT_EQ(IntToBinText(5, 2), "01");
    EXPECT_EQ(IntToBinText(0x80000000u, 32), "1" + std::string(31, '0'));
}

TEST(IntToBinText, ClampsTheDigitCount)
{
    EXPECT_EQ(IntToBinText(5, 0), "1");
    EXPECT_EQ(IntToBinText(0xFFFFFFFFu, 40), std::string(32, '1'));
    EXPECT_EQ(IntToBinText(1, 33), std::string(31, '0') + "1");
    EXPECT_EQ(IntToBinText(0, 255).size(), 32u);
}
