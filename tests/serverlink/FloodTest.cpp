// One client window flooded with messages by four processes at once: every message arrives once
// and intact, and the process does not grow with the number of messages it handled.
#include "FloodPayload.h"
#include "support/ChildGuard.h"
#include "support/PrivateEnvironment.h"

#include "serverlink/TkdbDemonClient.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true; // freed memory is held in quarantine, so the size says nothing
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr std::uint32_t kSenders = 4;
constexpr std::uint32_t kPerSender = 25000;
constexpr std::uint32_t kWarmUpSeed = kSenders + 1;
constexpr std::uint32_t kWarmUpCount = 10000;

// The resident size, from Linux's /proc; -1 on Windows, where the memory check is left out.
long ResidentBytes()
{
#ifdef _WIN32
    return -1;
#else
    long pages = 0;
    long resident = 0;
    if (std::FILE* file = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(file, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(file);
    }
    return resident * ::sysconf(_SC_PAGESIZE);
#endif
}

struct Tally
{
    std::vector<bool> Seen = std::vector<bool>(kSenders * kPerSender);
    std::uint32_t Received = 0;
    std::uint32_t WarmUp = 0;
    std::uint32_t Wrong = 0;
    std::uint32_t Repeated = 0;
    std::uint64_t Checksum = 0;

    void Count(const TMentixMessageStream& msg)
    {
        const auto seed = static_cast<std::uint32_t>(msg.Date);
        const auto index = static_cast<std::uint32_t>(msg.Time);
        const bool known = (seed >= 1 && seed <= kSenders && index < kPerSender) ||
                           (seed == kWarmUpSeed && index < kWarmUpCount);
        if (!known || msg.Code != flood::Code(index) || msg.Bytes() != flood::Payload(seed, index)) {
            ++Wrong;
            return;
        }
        if (seed == kWarmUpSeed) {
            ++WarmUp;
            return;
        }
        ++Received;
        Checksum += flood::Hash(msg.Bytes());
        const std::size_t slot = (seed - 1) * kPerSender + index;
        if (Seen[slot])
            ++Repeated;
        Seen[slot] = true;
    }
};

// Runs the event loop (which serves the window) until every sender has ended, with a generous
// bound against hanging.
void ServeUntilDone(std::vector<std::unique_ptr<ChildGuard>>& senders)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        bool running = false;
        for (const auto& sender : senders)
            running = sender->Running() || running;
        if (!running || std::chrono::steady_clock::now() > deadline)
            loop.quit();
    });
    check.start(20);
    loop.exec();
}

std::vector<std::unique_ptr<ChildGuard>> StartSenders(WindowHandle to, std::uint32_t firstSeed,
                                                      std::uint32_t senders, std::uint32_t count,
                                                      const std::filesystem::path& logs)
{
    std::vector<std::unique_ptr<ChildGuard>> started;
    for (std::uint32_t seed = firstSeed; seed < firstSeed + senders; ++seed)
        started.push_back(std::make_unique<ChildGuard>(
            std::vector<std::string>{MENTIX_FLOOD_PEER, std::to_string(to), std::to_string(seed),
                                     std::to_string(count)},
            logs));
    return started;
}

} // namespace

TEST(ServerLinkFlood, FourProcessesHundredThousandMessagesNothingLostMemoryFlat)
{
    PrivateEnvironment env;
    const std::filesystem::path logs = env.Path() / "logs";
    std::filesystem::create_directories(logs);
    auto demon =
        std::make_unique<TkdbDemonClient>(nullptr, CommandLine({"/opt/bytescope/flood-receiver"}), false);
    demon->SetUseValdoraServer(false);
    Tally tally;
    demon->OnGotAMessage = [&tally](TkdbCustomDemon&, TMentixMessageStream& msg) {
        tally.Count(msg);
    };
    const WindowHandle window = demon->OwnEntity.Handle;
    ASSERT_NE(window, 0u);

    {
        auto warmUp = StartSenders(window, kWarmUpSeed, 1, kWarmUpCount, logs);
        ServeUntilDone(warmUp);
        EXPECT_EQ(warmUp[0]->Wait(), 0) << warmUp[0]->Output();
    }
    ASSERT_EQ(tally.WarmUp, kWarmUpCount);
    const long afterWarmUp = ResidentBytes();

    auto senders = StartSenders(window, 1, kSenders, kPerSender, logs);
    ServeUntilDone(senders);
    for (const auto& sender : senders)
        EXPECT_EQ(sender->Wait(), 0) << sender->Output();
    const long afterFlood = ResidentBytes();

    std::uint64_t expected = 0;
    for (std::uint32_t seed = 1; seed <= kSenders; ++seed) {
        for (std::uint32_t index = 0; index < kPerSender; ++index)
            expected += flood::Hash(flood::Payload(seed, index));
    }
    EXPECT_EQ(tally.Received, kSenders * kPerSender);
    EXPECT_EQ(tally.Wrong, 0u);
    EXPECT_EQ(tally.Repeated, 0u);
    EXPECT_EQ(tally.Checksum, expected);
    EXPECT_EQ(demon->PendingReplyCount(), 0u);

    // Ten times as many messages as the warm-up may not cost more than a few pages of heap; a
    // leak of even one small block per message would be several megabytes.
    const long growth = afterFlood - afterWarmUp;
    RecordProperty("rss_growth_bytes", std::to_string(growth));
    if (!kSanitized && afterWarmUp >= 0) {
        EXPECT_LT(growth, 4L * 1024 * 1024)
            << "resident size grew from " << afterWarmUp << " to " << afterFlood;
    }
}
