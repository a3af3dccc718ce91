#include "util/Stream.h"

#include <gtest/gtest.h>

#include <string>

TEST(Stream, MemoryStreamReadsWritesAndSeeks)
{
    TMemoryStream stream;
    stream.WriteBytes("abcdef");
    EXPECT_EQ(stream.Size(), 6);
    EXPECT_EQ(stream.Position(), 6);
    stream.SetPosition(2);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 4u);
    EXPECT_EQ(std::string(buffer, 4), "cdef");
    EXPECT_EQ(stream.Read(buffer, 1), 0u);
    stream.SetPosition(4);
    stream.WriteBytes("XYZ");
    EXPECT_EQ(stream.Bytes(), "abcdXYZ");
    EXPECT_EQ(stream.Seek(-100, SeekOrigin::Current), 0);
}

TEST(Stream, CheckedReadPastTheEndRaises)
{
    TMemoryStream stream(std::string("abc"));
    char buffer[4];
    stream.ReadBuffer(buffer, 3);
    try {
        stream.ReadBuffer(buffer, 1);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
}
