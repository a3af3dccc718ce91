#include "platform/NamedMutex.h"
#include "Peer.h"
#include "support/PrivateEnvironment.h"

#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace {

// On Windows a named mutex belongs to the whole session, so every name a test takes is its own.
std::string Unique(const std::string& name)
{
    static const std::string suffix = "." + std::to_string(std::random_device()());
    return name + suffix;
}

} // namespace

TEST(NamedMutex, OneHolderAtATimeAndTheLockDiesWithItsHolder)
{
    PrivateEnvironment runtime;
    auto first = NamedMutex::TryAcquire(Unique("MX_bytescope"));
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first->Handle(), 0u);
    EXPECT_EQ(NamedMutex::TryAcquire(Unique("MX_bytescope")), nullptr);
    EXPECT_NE(NamedMutex::TryAcquire(Unique("MX_Bytescope")), nullptr); // names are case-sensitive
    EXPECT_NE(NamedMutex::TryAcquire(Unique("MX_a/b\\c d")), nullptr);
    first.reset();
    EXPECT_NE(NamedMutex::TryAcquire(Unique("MX_bytescope")), nullptr);

    Peer holder({"mutex", Unique("MX_held")});
    ASSERT_EQ(holder.ReadLine(), "got");
    EXPECT_EQ(NamedMutex::TryAcquire(Unique("MX_held")), nullptr);
    holder.Kill();
    EXPECT_NE(NamedMutex::TryAcquire(Unique("MX_held")), nullptr);
}

TEST(NamedMutex, TwentyProcessesStartedAtOnceLeaveExactlyOneHolder)
{
    PrivateEnvironment runtime;
    std::vector<std::unique_ptr<Peer>> peers;
    for (int i = 0; i < 20; ++i)
        peers.push_back(std::make_unique<Peer>(std::vector<std::string>{"mutex", Unique("MX_race")}));
    int got = 0;
    int busy = 0;
    for (const auto& peer : peers) {
        const std::string answer = peer->ReadLine();
        got += answer == "got" ? 1 : 0;
        busy += answer == "busy" ? 1 : 0;
    }
    EXPECT_EQ(got, 1);
    EXPECT_EQ(busy, 19);
}
