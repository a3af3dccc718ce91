#include "platform/MessageWindow.h"
#include "PlatformTestSupport.h"
#include "platform/PlatformError.h"
#include "platform/RuntimeFolder.h"

#include <atomic>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

struct Received
{
    WindowHandle Sender = 0;
    std::uint32_t Word = 0;
    std::string Bytes;
    int Count = 0;
};

WindowProcedure Recorder(Received& into)
{
    return [&into](WindowHandle sender, std::uint32_t word, std::string_view bytes) {
        into = {sender, word, std::string(bytes), into.Count + 1};
    };
}

std::string HexName(WindowHandle handle)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", handle);
    return text;
}

// A raw connection to a window's socket, for peers that misbehave on purpose.
int RawConnect(const std::string& folder, WindowHandle handle)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = folder + "/" + HexName(handle) + ".sock";
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string Header(std::uint32_t from, std::uint32_t to, std::uint32_t word, std::uint32_t length)
{
    std::string header;
    for (const std::uint32_t value : {0x3146584Du, from, to, word, length})
        for (int i = 0; i < 4; ++i)
            header += static_cast<char>((value >> (8 * i)) & 0xFF);
    return header;
}

} // namespace

TEST(RuntimeFolder, IsCreatedPrivateAndRefusedWhenOthersCanEnter)
{
    PrivateRuntime runtime;
    const auto folder = RuntimeFolder();
    EXPECT_EQ(folder.string(), runtime.Folder());
    struct stat info
    {};
    ASSERT_EQ(::stat(runtime.Folder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    ::chmod(runtime.Folder().c_str(), 0755);
    EXPECT_THROW(RuntimeFolder(), PlatformError);
    EXPECT_THROW(MessageWindow("C", "N"), PlatformError);
    EXPECT_THROW(FindWindow("C", "N"), PlatformError);

    ::rmdir(runtime.Folder().c_str());
    std::filesystem::create_directory(runtime.Base() / "elsewhere");
    ::chmod((runtime.Base() / "elsewhere").c_str(), 0700);
    std::filesystem::create_directory_symlink(runtime.Base() / "elsewhere", runtime.Folder());
    EXPECT_THROW(RuntimeFolder(), PlatformError);
}

TEST(MessageWindow, RegistersFindsDeliversAndUnregisters)
{
    PrivateRuntime runtime;
    Received atA;
    Received atB;
    MessageWindow a("ClassA", "", Recorder(atA));
    auto b = std::make_unique<MessageWindow>("ClassB", "Name B", Recorder(atB));
    ASSERT_NE(a.Handle(), 0u);
    ASSERT_NE(a.Handle(), b->Handle());

    EXPECT_EQ(FindWindow("ClassA", ""), a.Handle());
    EXPECT_EQ(FindWindow("ClassB", "Name B"), b->Handle());
    EXPECT_EQ(FindWindow("ClassB", "name b"), 0u);
    EXPECT_EQ(FindWindow("ClassB", ""), 0u);
    EXPECT_TRUE(IsWindow(a.Handle()));
    EXPECT_FALSE(IsWindow(0));

    const std::string bytes("\0with zero\xff", 11);
    EXPECT_EQ(Send(a.Handle(), b->Handle(), 4101, bytes), SendResult::Delivered);
    EXPECT_EQ(atB.Count, 1);
    EXPECT_EQ(atB.Sender, a.Handle());
    EXPECT_EQ(atB.Word, 4101u);
    EXPECT_EQ(atB.Bytes, bytes);
    EXPECT_EQ(Send(b->Handle(), a.Handle(), 0xFFFFFFFFu, ""), SendResult::Delivered);
    EXPECT_EQ(atA.Word, 0xFFFFFFFFu);
    EXPECT_EQ(atA.Bytes, "");

    const WindowHandle gone = b->Handle();
    b.reset();
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(FindWindow("ClassB", "Name B"), 0u);
    EXPECT_EQ(Send(a.Handle(), gone, 1, "x"), SendResult::NoSuchWindow);
    EXPECT_EQ(Send(a.Handle(), 0, 1, "x"), SendResult::NoSuchWindow);
    EXPECT_FALSE(std::filesystem::exists(runtime.Folder() + "/" + HexName(gone) + ".win"));
    EXPECT_FALSE(std::filesystem::exists(runtime.Folder() + "/" + HexName(gone) + ".sock"));
}

TEST(MessageWindow, AProcedureMayDestroyItsOwnWindow)
{
    PrivateRuntime runtime;
    MessageWindow sender("S", "");
    std::unique_ptr<MessageWindow> doomed;
    int calls = 0;
    doomed = std::make_unique<MessageWindow>("D", "", [&](WindowHandle, std::uint32_t, std::string_view) {
        ++calls;
        doomed.reset();
    });
    const WindowHandle handle = doomed->Handle();
    EXPECT_EQ(Send(sender.Handle(), handle, 1, "bye"), SendResult::Delivered);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(doomed, nullptr);
    EXPECT_FALSE(IsWindow(handle));
}

TEST(MessageWindow, RefusesOversizedAndStalledMessages)
{
    PrivateRuntime runtime;
    Received got;
    MessageWindow window("C", "N", Recorder(got));
    EXPECT_EQ(Send(window.Handle(), window.Handle(), 1, std::string(kMaxMessageBytes + 1, 'x')),
              SendResult::TooLarge);

    // A header announcing too much is dropped unread and unanswered.
    int fd = RawConnect(runtime.Folder(), window.Handle());
    ASSERT_GE(fd, 0);
    const std::string big = Header(1, window.Handle(), 7, kMaxMessageBytes + 1);
    ASSERT_EQ(::send(fd, big.data(), big.size(), MSG_NOSIGNAL), static_cast<ssize_t>(big.size()));
    window.ServePending();
    char answer = 0;
    EXPECT_EQ(::recv(fd, &answer, 1, 0), 0);
    ::close(fd);

    // A peer that stops in the middle of a message is dropped after the time-out.
    fd = RawConnect(runtime.Folder(), window.Handle());
    ASSERT_GE(fd, 0);
    const std::string part = Header(1, window.Handle(), 7, 10) + "abc";
    ASSERT_EQ(::send(fd, part.data(), part.size(), MSG_NOSIGNAL), static_cast<ssize_t>(part.size()));
    window.ServePending();
    EXPECT_EQ(::recv(fd, &answer, 1, 0), 0);
    ::close(fd);
    EXPECT_EQ(got.Count, 0);

    // The window still works afterwards.
    EXPECT_EQ(Send(window.Handle(), window.Handle(), 3, "ok"), SendResult::Delivered);
    EXPECT_EQ(got.Bytes, "ok");
}

TEST(MessageWindow, ReplyFromAnotherProcessArrivesInsideTheSend)
{
    PrivateRuntime runtime;
    Peer echo({"echo", "EchoClass", "echo window"});
    const std::string ready = echo.ReadLine();
    ASSERT_EQ(ready.rfind("ready ", 0), 0u) << ready;
    const auto peerHandle = static_cast<WindowHandle>(std::stoul(ready.substr(6)));

    EXPECT_EQ(FindWindow("EchoClass", "echo window"), peerHandle);
    EXPECT_TRUE(IsWindow(peerHandle));

    Received reply;
    MessageWindow own("Own", "");
    own.SetWindowProcedure(Recorder(reply));
    EXPECT_EQ(Send(own.Handle(), peerHandle, 4100, "question"), SendResult::Delivered);
    // Nothing served the own window outside the send, so the reply came inside it.
    EXPECT_EQ(reply.Count, 1);
    EXPECT_EQ(reply.Sender, peerHandle);
    EXPECT_EQ(reply.Word, 4101u);
    EXPECT_EQ(reply.Bytes, "re:question");

    // A bigger message crosses in several pieces while both sides keep serving.
    const std::string large(3 * 1024 * 1024, 'q');
    EXPECT_EQ(Send(own.Handle(), peerHandle, 1, large), SendResult::Delivered);
    EXPECT_EQ(reply.Bytes, "re:" + large);
}

TEST(MessageWindow, KilledPeersWindowIsNeverFoundAndItsFilesGo)
{
    PrivateRuntime runtime;
    Peer echo({"echo", "Victim", ""});
    const std::string ready = echo.ReadLine();
    ASSERT_EQ(ready.rfind("ready ", 0), 0u) << ready;
    const auto handle = static_cast<WindowHandle>(std::stoul(ready.substr(6)));
    const std::string record = runtime.Folder() + "/" + HexName(handle) + ".win";
    const std::string socket = runtime.Folder() + "/" + HexName(handle) + ".sock";
    ASSERT_TRUE(std::filesystem::exists(record));

    echo.Kill();
    EXPECT_TRUE(std::filesystem::exists(record)); // nobody has looked yet
    EXPECT_EQ(FindWindow("Victim", ""), 0u);
    EXPECT_FALSE(std::filesystem::exists(record));
    EXPECT_FALSE(std::filesystem::exists(socket));
    EXPECT_FALSE(IsWindow(handle));
    MessageWindow own("Own", "");
    EXPECT_EQ(Send(own.Handle(), handle, 1, "anyone?"), SendResult::NoSuchWindow);
}

TEST(MessageWindow, SendReturnsWhenTheDestinationDiesDuringTheRequest)
{
    PrivateRuntime runtime;
    Peer hang({"hang", "Hang", ""});
    const std::string ready = hang.ReadLine();
    ASSERT_EQ(ready.rfind("ready ", 0), 0u) << ready;
    const auto handle = static_cast<WindowHandle>(std::stoul(ready.substr(6)));

    // Kill the peer once its procedure has the message; the send must come back.
    std::thread killer([&hang] {
        hang.ReadLine(); // "got", or nothing when the peer failed: kill it either way
        hang.Kill();
    });
    MessageWindow own("Own", "");
    const SendResult result = Send(own.Handle(), handle, 1, "never answered");
    killer.join();
    EXPECT_EQ(result, SendResult::Broken);
}

TEST(MessageWindow, HaltedProcessFlushesItsOutputAndLeavesNoWindowFiles)
{
    PrivateRuntime runtime;
    Peer halt({"halt"});
    EXPECT_EQ(halt.ReadToEnd(), "halting");
    const int status = halt.Wait();
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    for (const auto& entry : std::filesystem::directory_iterator(runtime.Folder())) {
        const auto extension = entry.path().extension();
        EXPECT_TRUE(extension != ".win" && extension != ".sock") << entry.path();
    }
}
