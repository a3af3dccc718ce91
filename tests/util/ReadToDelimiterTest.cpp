#include "util/ReadToDelimiter.h"

#include "util/Stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace {

// A stream that hands over at most `perRead` bytes a read, as a pipe does, and whose reads fail
// after `good` bytes, in the manner of a file on a vanished disk.
class TFailingStream : public TMemoryStream
{
public:
    TFailingStream(std::string bytes, std::size_t good, bool raise, std::size_t perRead = SIZE_MAX)
        : TMemoryStream(std::move(bytes)), FGood(good), FRaise(raise), FPerRead(perRead)
    {}
    std::size_t Read(void* buffer, std::size_t count) override
    {
        const auto position = static_cast<std::size_t>(Position());
        if (position >= FGood) {
            if (FRaise)
                throw EReadError();
            return 0;
        }
        return TMemoryStream::Read(buffer, std::min({count, FGood - position, FPerRead}));
    }

private:
    std::size_t FGood;
    bool FRaise;
    std::size_t FPerRead;
};

} // namespace

TEST(ReadToDelimiter, FindsADelimiterAtEveryPositionAroundABlockBoundary)
{
    for (std::size_t at = 250; at <= 516; ++at) {
        const std::string bytes = std::string(at, 'x') + "|$$" + std::string(300, 'y');
        TMemoryStream stream(bytes);
        const TDelimitedText read = ReadToDelimiter(stream, "|$$");
        ASSERT_TRUE(read.Found) << at;
        EXPECT_EQ(read.Text, bytes.substr(0, at + 3)) << at;
        EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(at + 3)) << at;
    }
}

TEST(ReadToDelimiter, StartsAtThePositionAndStopsAfterTheFirstDelimiter)
{
    TMemoryStream stream(std::string("skip[a]=b|$$[c]=d|$$tail"));
    stream.SetPosition(4);
    TDelimitedText read = ReadToDelimiter(stream, "|$$");
    EXPECT_TRUE(read.Found);
    EXPECT_EQ(read.Text, "[a]=b|$$");
    EXPECT_EQ(stream.Position(), 12);
    read = ReadToDelimiter(stream, "|$$");
    EXPECT_EQ(read.Text, "[c]=d|$$");
    EXPECT_FALSE(ReadToDelimiter(stream, "|$$").Found);
}

TEST(ReadToDelimiter, ComparesAsciiLettersWithoutCaseAndKeepsTheBytes)
{
    TMemoryStream stream(std::string("one EnD two end"));
    const TDelimitedText read = ReadToDelimiter(stream, "END");
    EXPECT_TRUE(read.Found);
    EXPECT_EQ(read.Text, "one EnD");
    EXPECT_EQ(stream.Position(), 7);
    TMemoryStream umlaut(std::string("\xC4\xE4"));
    EXPECT_FALSE(ReadToDelimiter(umlaut, "\xE4\xE4").Found);
}

TEST(ReadToDelimiter, ReportsNotFoundAtTheEndAndForAnEmptyDelimiter)
{
    for (std::size_t size : {0u, 1u, 255u, 256u, 512u, 1000u}) {
        TMemoryStream stream(std::string(size, 'x') + "|$");
        EXPECT_FALSE(ReadToDelimiter(stream, "|$$").Found) << size;
    }
    TMemoryStream stream(std::string("abc"));
    EXPECT_FALSE(ReadToDelimiter(stream, "").Found);
}

TEST(ReadToDelimiter, OnlyAnEmptyOrFailingReadEndsTheStream)
{
    const std::string bytes = std::string(600, 'x') + "|$$" + "[next]";
    for (bool raise : {false, true}) {
        TFailingStream stream(bytes, 300, raise);
        EXPECT_FALSE(ReadToDelimiter(stream, "|$$").Found);
        TFailingStream enough(bytes, 603, raise);
        EXPECT_TRUE(ReadToDelimiter(enough, "|$$").Found);
    }
    // Short reads are not the end: the delimiter is found across many of them.
    for (std::size_t perRead : {1u, 2u, 10u, 255u}) {
        TFailingStream trickle(bytes, bytes.size(), false, perRead);
        const TDelimitedText read = ReadToDelimiter(trickle, "|$$");
        ASSERT_TRUE(read.Found) << perRead;
        EXPECT_EQ(read.Text, bytes.substr(0, 603)) << perRead;
        EXPECT_EQ(trickle.Position(), 603) << perRead;
    }
}
