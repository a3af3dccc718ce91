// Faults between processes: a server that dies in the middle of a request, and a server that
// is sent garbage on its socket and bad messages through the protocol.
#include "support/ChildGuard.h"
#include "support/PrivateEnvironment.h"
#include "support/WaitFor.h"

#include "platform/MessageWindow.h"
#include "platform/RuntimeFolder.h"
#include "serverlink/MentixCodes.h"
#include "serverlink/TkdbDemonClient.h"
#include "util/Stream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#ifndef _WIN32
#include <cerrno>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

std::filesystem::path MakeLogs(const PrivateEnvironment& env)
{
    const std::filesystem::path logs = env.Path() / "logs";
    std::filesystem::create_directories(logs);
    return logs;
}

std::unique_ptr<TkdbDemonClient> StartClient()
{
    auto demon =
        std::make_unique<TkdbDemonClient>(nullptr, CommandLine({"/opt/bytescope/fault-client"}), false);
    demon->SetAutoTranslate(false);
    return demon;
}

std::string Word(std::uint32_t value)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return bytes;
}

std::string Block(std::string_view payload)
{
    return std::string(8, '\x01') + std::string(payload);
}

// Linux's message windows are sockets that anyone of the user can write any bytes to; on Windows
// the system carries the messages, and only well-formed ones arrive.
#ifndef _WIN32
// A frame header as message windows put it on the wire.
std::string Header(std::uint32_t magic, std::uint32_t to, std::uint32_t code, std::uint32_t length)
{
    return Word(magic) + Word(0x1234) + Word(to) + Word(code) + Word(length);
}

constexpr std::uint32_t kMagic = 0x3146584D;

// A raw connection to a window's socket, closed when it goes away.
class RawPeer
{
public:
    explicit RawPeer(WindowHandle to)
    {
        char name[16];
        std::snprintf(name, sizeof name, "%08x.sock", to);
        const std::string path = (RuntimeFolder() / name).string();
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        FFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (FFd >= 0 && ::connect(FFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(FFd);
            FFd = -1;
        }
    }
    ~RawPeer()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;

    bool Connected() const { return FFd >= 0; }
    // Connected, and neither answered nor dropped.
    bool StillWaiting() const
    {
        char answer = 0;
        return ::recv(FFd, &answer, 1, MSG_DONTWAIT) < 0 && errno == EAGAIN;
    }
    void Write(std::string_view bytes)
    {
        [[maybe_unused]] auto n = ::send(FFd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }

private:
    int FFd = -1;
};
#endif

} // namespace

TEST(ServerLinkFaults, ServerKilledDuringRequestFailsTheRequest)
{
    PrivateEnvironment env;
    const auto logs = MakeLogs(env);
    // A server window that takes the request and never answers, until it is killed.
    ChildGuard server({PLATFORM_PEER, "hang", mentix::kServerWindowClass, mentix::kServerWindowName}, logs);
    ASSERT_TRUE(
        WaitFor([] { return FindWindow(mentix::kServerWindowClass, mentix::kServerWindowName) != 0; }));
    auto demon = StartClient();
    ASSERT_NE(demon->ServerEntity.Handle, 0u);

    std::jthread killer([&server](std::stop_token stop) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!stop.stop_requested() && server.Output().find("got") == std::string::npos &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        server.Kill();
    });

    std::string failure;
    try {
        demon->QueryServerString("are you there");
    } catch (const EReadError& error) {
        failure = error.what();
    }
    EXPECT_EQ(failure, "Stream read error");
    killer.join();
    EXPECT_EQ(server.Wait(), -1);

    // With the server gone, the next request fails the same way at once.
    failure.clear();
    try {
        demon->GetServerFileName("/opt/bytescope/bytescope");
    } catch (const EReadError& error) {
        failure = error.what();
    }
    EXPECT_EQ(failure, "Stream read error");
}

TEST(ServerLinkFaults, ServerSentGarbageKeepsServingOthers)
{
    PrivateEnvironment env;
    const auto logs = MakeLogs(env);
    ChildGuard server({MENTIX_SERVER, "--verbose"}, logs);
    ASSERT_TRUE(
        WaitFor([&] { return server.Errors().find("ready") != std::string::npos || !server.Running(); }));
    ASSERT_TRUE(server.Running()) << server.Errors();
    const WindowHandle serverHandle = FindWindow(mentix::kServerWindowClass, mentix::kServerWindowName);
    ASSERT_NE(serverHandle, 0u);
    auto demon = StartClient();
    int pings = 0;
    const auto answers = [&] {
        const std::string text = "ping " + std::to_string(++pings);
        return demon->QueryServerString(text) == text;
    };
    ASSERT_TRUE(answers());

#ifndef _WIN32
    // Raw bytes on the socket: noise, nothing, cut-off headers and frames, lengths past the cap,
    // a wrong marker and a frame for another window.
    const std::vector<std::pair<const char*, std::string>> garbage{
        {"noise", std::string(1000, '\xA5')},
        {"nothing", {}},
        {"cut-off header", Header(kMagic, serverHandle, mentix::dmQueryString, 12).substr(0, 10)},
        {"cut-off frame", Header(kMagic, serverHandle, mentix::dmQueryString, 100) + "0123456789"},
        {"huge length", Header(kMagic, serverHandle, mentix::dmQueryString, 0xFFFFFFFF) + Block("x")},
        {"over the cap", Header(kMagic, serverHandle, mentix::dmQueryString,
                                static_cast<std::uint32_t>(kMaxMessageBytes) + 1)},
        {"wrong marker", Header(0x12345678, serverHandle, mentix::dmQueryString, 9) + Block("x")},
        {"other window", Header(kMagic, serverHandle + 1, mentix::dmQueryString, 9) + Block("x")},
    };
    for (const auto& [what, bytes] : garbage) {
        {
            RawPeer peer(serverHandle);
            ASSERT_TRUE(peer.Connected()) << what;
            peer.Write(bytes);
        }
        EXPECT_TRUE(answers()) << what;
    }

    // Twenty peers that stop half-way through a header or a frame and stay connected: a request is
    // answered while every one of them still waits (served one after the other, each would first
    // have had to be dropped after its time-out).
    {
        const std::string frame = Header(kMagic, serverHandle, mentix::dmQueryString, 9) + Block("x");
        std::vector<std::unique_ptr<RawPeer>> stalled;
        for (std::size_t i = 0; i < 20; ++i) {
            stalled.push_back(std::make_unique<RawPeer>(serverHandle));
            ASSERT_TRUE(stalled.back()->Connected());
            stalled.back()->Write(frame.substr(0, 1 + i % (frame.size() - 1)));
        }
        EXPECT_TRUE(answers()) << "beside stalled peers";
        for (const auto& peer : stalled)
            EXPECT_TRUE(peer->StillWaiting());
    }
#endif

    // Well-formed frames with bad contents: unknown and reserved codes, blocks shorter than their
    // stamp, cut-off records and strings, lengths past the end, an unknown selector.
    MessageWindow own("garbage-sender", "");
    const std::vector<std::pair<std::uint32_t, std::string>> bad{
        {0, Block("")},
        {0xFFFFFFFF, Block("x")},
        {mentix::dmQueryString, "abc"},
        {mentix::dmQuit, Block("\x01")},
        {mentix::dmReply, Block("")},
        {mentix::dmRegister, Block("\x01\x02\x03")},
        {mentix::dmUnregister, Block("")},
        {mentix::dmFindEntity, Block("\x07")},
        {mentix::dmFindEntity, Block("\x02" + Word(0x7FFFFFFF) + "t")},
        {mentix::dmGetFile, Block(Word(static_cast<std::uint32_t>(-5)))},
        {mentix::dmExecute, Block(Word(1) + "x" + Word(1000))},
        {mentix::dmServerValue, Block(Word(0x80000000))},
    };
    for (const auto& [code, block] : bad) {
        EXPECT_EQ(Send(own.Handle(), serverHandle, code, block), SendResult::Delivered) << code;
        EXPECT_TRUE(answers()) << "after code " << code;
    }

    EXPECT_TRUE(server.Running());
    EXPECT_NE(server.Errors().find("rejected"), std::string::npos) << server.Errors();
}
