// The POSIX transport of message windows seen from below: its files in the runtime folder, its
// wire frames and memory files, its locks and time-outs. None of it exists on Windows, where the
// system carries the messages, so this file is built on POSIX systems only.
#include "Peer.h"
#include "PeerPattern.h"
#include "RawWire.h"
#include "Recorder.h"
#include "platform/MessageWindow.h"
#include "platform/PlatformError.h"
#include "platform/RuntimeFolder.h"
#include "platform/posix/RuntimeFolderPlaces.h"
#include "support/PrivateEnvironment.h"
#include "support/TempDir.h"

#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Serves `window` as an event loop would until `done` says so (or a generous safety net, not a
// timing check, runs out).
void ServeUntil(MessageWindow& window, const std::function<bool()>& done)
{
    for (int round = 0; round < 6000 && !done(); ++round) {
        pollfd wait{window.FileDescriptor(), POLLIN, 0};
        if (::poll(&wait, 1, 10) > 0)
            window.ServePending();
    }
}

bool NoWindowFiles(const std::string& folder)
{
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const auto extension = entry.path().extension();
        if (extension == ".win" || extension == ".sock")
            return false;
    }
    return true;
}

} // namespace

TEST(RuntimeFolder, IsCreatedPrivateAndRefusedWhenOthersCanEnter)
{
    PrivateEnvironment runtime;
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
    std::filesystem::create_directory(runtime.Path() / "elsewhere");
    ::chmod((runtime.Path() / "elsewhere").c_str(), 0700);
    std::filesystem::create_directory_symlink(runtime.Path() / "elsewhere", runtime.Folder());
    EXPECT_THROW(RuntimeFolder(), PlatformError);
}

TEST(MessageWindow, DropsOversizedAndStalledFrames)
{
    PrivateEnvironment runtime;
    Received got;
    MessageWindow window("C", "N", Recorder(got));
    // A header announcing too much is dropped unread and unanswered.
    int fd = RawConnect(runtime.Folder(), window.Handle());
    ASSERT_GE(fd, 0);
    const std::string big = Header(1, window.Handle(), 7, kMaxMessageBytes + 1);
    ASSERT_TRUE(SendAll(fd, big));
    window.ServePending();
    EXPECT_TRUE(HungUp(fd));
    ::close(fd);

    // A peer that stops in the middle of a message is dropped after the time-out, while the window
    // serves others.
    fd = RawConnect(runtime.Folder(), window.Handle());
    ASSERT_GE(fd, 0);
    const std::string part = Header(1, window.Handle(), 7, 10) + "abc";
    ASSERT_TRUE(SendAll(fd, part));
    const int other = RawConnect(runtime.Folder(), window.Handle());
    ASSERT_GE(other, 0);
    const std::string whole = Header(2, window.Handle(), 3, 9) + "meanwhile";
    ASSERT_TRUE(SendAll(other, whole));
    window.ServePending();
    EXPECT_TRUE(Acknowledged(other));
    ::close(other);
    EXPECT_EQ(got.Bytes, "meanwhile");
    EXPECT_FALSE(HungUp(fd));
    ServeUntil(window, [fd] { return HungUp(fd); });
    EXPECT_TRUE(HungUp(fd));
    ::close(fd);
    EXPECT_EQ(got.Count, 1);
    got = {};

    // The window still works afterwards.
    EXPECT_EQ(Send(window.Handle(), window.Handle(), 3, "ok"), SendResult::Delivered);
    EXPECT_EQ(got.Bytes, "ok");
}

TEST(MessageWindow, AWindowsFilesGoWithItWithItsKilledProcessAndWithAHalt)
{
    PrivateEnvironment runtime;
    auto own = std::make_unique<MessageWindow>("Own", "");
    const WindowHandle unregistered = own->Handle();
    EXPECT_TRUE(std::filesystem::exists(WindowFile(runtime.Folder(), unregistered, ".win")));
    own.reset();
    EXPECT_FALSE(std::filesystem::exists(WindowFile(runtime.Folder(), unregistered, ".win")));
    EXPECT_FALSE(std::filesystem::exists(WindowFile(runtime.Folder(), unregistered, ".sock")));

    Peer echo({"echo", "Victim", ""});
    const WindowHandle handle = echo.ReadReadyHandle();
    ASSERT_NE(handle, 0u);
    const std::string record = WindowFile(runtime.Folder(), handle, ".win");
    const std::string socket = WindowFile(runtime.Folder(), handle, ".sock");
    ASSERT_TRUE(std::filesystem::exists(record));
    echo.Kill();
    EXPECT_TRUE(std::filesystem::exists(record)); // nobody has looked yet
    EXPECT_EQ(FindWindow("Victim", ""), 0u);
    EXPECT_FALSE(std::filesystem::exists(record));
    EXPECT_FALSE(std::filesystem::exists(socket));

    Peer halt({"halt", "HaltClass"});
    EXPECT_EQ(halt.ReadToEnd(), "halting");
    EXPECT_EQ(halt.Wait(), 0);
    EXPECT_TRUE(NoWindowFiles(runtime.Folder()));
}

TEST(MessageWindow, RefusesBlocksWhoseMemoryFileIsNotWhatTheHeaderSays)
{
    PrivateEnvironment runtime;
    Received got;
    MessageWindow window("C", "N", Recorder(got));
    const std::string block = PatternBytes(100, 4);
    const std::size_t before = OpenDescriptors();
    enum class Attached
    {
        Nothing,
        SealedFile,
        OpenFile // could change while it is read
    };
    struct Forgery
    {
        const char* What;
        std::string Header;
        Attached File;
    };
    const Forgery forgeries[] = {
        {"file shorter than announced", Shared(1, window.Handle(), 7, 101), Attached::SealedFile},
        {"file longer than announced", Shared(1, window.Handle(), 7, 99), Attached::SealedFile},
        {"file not sealed", Shared(1, window.Handle(), 7, 100), Attached::OpenFile},
        {"inline frame with a file", Header(1, window.Handle(), 7, 100), Attached::SealedFile},
        {"oversized", Shared(1, window.Handle(), 7, kMaxMessageBytes + 1), Attached::SealedFile},
        {"shared frame without its file", Shared(1, window.Handle(), 7, 100), Attached::Nothing},
    };
    for (const Forgery& forgery : forgeries) {
        const int fd = RawConnect(runtime.Folder(), window.Handle());
        ASSERT_GE(fd, 0) << forgery.What;
        if (forgery.File == Attached::Nothing) {
            ASSERT_TRUE(SendAll(fd, forgery.Header)) << forgery.What;
        } else {
            const int file = MemoryFile(block, forgery.File == Attached::SealedFile);
            ASSERT_GE(file, 0) << forgery.What;
            EXPECT_TRUE(SendWithFile(fd, forgery.Header, file)) << forgery.What;
            ::close(file);
        }
        window.ServePending();
        EXPECT_TRUE(ClosedWithoutAnswer(fd)) << forgery.What;
        ::close(fd);
    }
    EXPECT_EQ(got.Count, 0);
    // Every file that came with a refused frame was closed.
    EXPECT_EQ(OpenDescriptors(), before);

    // A frame that is what it claims is served.
    const int fd = RawConnect(runtime.Folder(), window.Handle());
    ASSERT_GE(fd, 0);
    const int file = MemoryFile(block, true);
    EXPECT_TRUE(SendWithFile(fd, Shared(5, window.Handle(), 7, 100), file));
    ::close(file);
    window.ServePending();
    EXPECT_TRUE(Acknowledged(fd));
    ::close(fd);
    EXPECT_EQ(got.Count, 1);
    EXPECT_EQ(got.Sender, 5u);
    EXPECT_TRUE(got.Bytes == block);
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(MessageWindow, DeadWindowStaysDeadForConcurrentProbesAndIsRemovedOnlyUnderTheFolderLock)
{
    PrivateEnvironment runtime;
    Peer echo({"echo", "Victim", ""});
    const WindowHandle handle = echo.ReadReadyHandle();
    ASSERT_NE(handle, 0u);
    const std::string record = WindowFile(runtime.Folder(), handle, ".win");
    echo.Kill();

    // Another probe holds its lock on the dead record at the same moment.
    const int probe = ::open(record.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(probe, 0);
    ASSERT_EQ(::flock(probe, LOCK_SH | LOCK_NB), 0);

    // While the folder lock cannot be had, the dead window is not found but its files stay.
    const std::string folderLock = runtime.Folder() + "/windows.lock";
    std::filesystem::remove(folderLock);
    std::filesystem::create_directory(folderLock);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(FindWindow("Victim", ""), 0u);
    EXPECT_TRUE(std::filesystem::exists(record));

    std::filesystem::remove(folderLock);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(std::filesystem::exists(record));
    ::close(probe);
}

// Stands for a process that took the folder lock and stopped: it never lets go.
class HeldFolderLock
{
public:
    explicit HeldFolderLock(const std::string& folder)
        : FFd(::open((folder + "/windows.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        EXPECT_EQ(::flock(FFd, LOCK_EX | LOCK_NB), 0);
    }
    ~HeldFolderLock() { Release(); }
    HeldFolderLock(const HeldFolderLock&) = delete;
    HeldFolderLock& operator=(const HeldFolderLock&) = delete;
    void Release()
    {
        if (FFd >= 0)
            ::close(FFd);
        FFd = -1;
    }

private:
    int FFd;
};

TEST(MessageWindow, AStoppedHolderOfTheFolderLockHoldsUpNoRegistrationAndNoProbe)
{
    PrivateEnvironment runtime;
    Peer victim({"echo", "Victim", ""});
    const WindowHandle dead = victim.ReadReadyHandle();
    ASSERT_NE(dead, 0u);
    victim.Kill();
    const std::string deadRecord = WindowFile(runtime.Folder(), dead, ".win");

    HeldFolderLock held(runtime.Folder());
    // Another process registers (where it used to wait for the lock for ever), and is found.
    Peer late({"echo", "Late", ""});
    const WindowHandle handle = late.ReadReadyHandle();
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(FindWindow("Late", ""), handle);
    MessageWindow own("Own", "");
    EXPECT_EQ(Send(own.Handle(), handle, 1, "x"), SendResult::Delivered);
    // The dead window is not found; its files wait for the lock.
    EXPECT_EQ(FindWindow("Victim", ""), 0u);
    EXPECT_FALSE(IsWindow(dead));
    EXPECT_TRUE(std::filesystem::exists(deadRecord));

    held.Release();
    EXPECT_EQ(FindWindow("Victim", ""), 0u);
    EXPECT_FALSE(std::filesystem::exists(deadRecord));
    EXPECT_FALSE(std::filesystem::exists(WindowFile(runtime.Folder(), dead, ".sock")));
}

TEST(MessageWindow, LeftoversOfARegistrationWhoseProcessDiedAreRemoved)
{
    PrivateEnvironment runtime;
    MessageWindow live("Live", "");
    const std::string folder = runtime.Folder() + "/";
    // Killed before its record was linked: the record's temporary file, no longer locked.
    WriteFileBytes(folder + "0000abcd.win.tmp", "pid 1\n");
    // Still writing it: locked.
    WriteFileBytes(folder + "0000abce.win.tmp", "pid 2\n");
    const int writing = ::open((folder + "0000abce.win.tmp").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(writing, LOCK_EX | LOCK_NB), 0);
    // Killed between binding its socket and writing its record, as older programs registered.
    BoundSocket(folder + "0000abcf.sock", false);
    // Such a program still at work: someone listens.
    const int listening = BoundSocket(folder + "0000abd0.sock", true);

    EXPECT_EQ(FindWindow("Live", ""), live.Handle());
    EXPECT_FALSE(std::filesystem::exists(folder + "0000abcd.win.tmp"));
    EXPECT_TRUE(std::filesystem::exists(folder + "0000abce.win.tmp"));
    EXPECT_FALSE(std::filesystem::exists(folder + "0000abcf.sock"));
    EXPECT_TRUE(std::filesystem::exists(folder + "0000abd0.sock"));
    EXPECT_TRUE(std::filesystem::exists(WindowFile(runtime.Folder(), live.Handle(), ".win")));
    EXPECT_TRUE(std::filesystem::exists(WindowFile(runtime.Folder(), live.Handle(), ".sock")));
    EXPECT_TRUE(IsWindow(live.Handle()));
    ::close(writing);
    ::close(listening);
}

TEST(MessageWindow, APeerThatTricklesItsMessageIsDropped)
{
    PrivateEnvironment runtime;
    Received got;
    MessageWindow window("C", "N", Recorder(got));
    const int fd = RawConnect(runtime.Folder(), window.Handle());
    ASSERT_GE(fd, 0);
    // One byte at a time, each well within a stall's time-out, the whole far beyond a frame's.
    const std::string frame = Header(1, window.Handle(), 7, 30) + std::string(30, 't');
    std::atomic<bool> droppedBeforeTheEnd = false;
    std::jthread trickler([&](std::stop_token stop) {
        const int pause = kFrameTimeoutMilliseconds / 4;
        for (std::size_t i = 0; i < frame.size() && !stop.stop_requested(); ++i) {
            pollfd wait{fd, POLLIN, 0};
            if (::send(fd, &frame[i], 1, MSG_NOSIGNAL) != 1 || ::poll(&wait, 1, pause) > 0) {
                droppedBeforeTheEnd = true;
                return;
            }
        }
    });
    static_assert((20 + 30) * (kFrameTimeoutMilliseconds / 4) > 2 * kFrameDeadlineMilliseconds);
    ServeUntil(window, [&] { return droppedBeforeTheEnd.load(); });
    EXPECT_EQ(got.Count, 0);
    trickler.request_stop();
    trickler.join();
    EXPECT_TRUE(droppedBeforeTheEnd);
    ::close(fd);

    EXPECT_EQ(Send(window.Handle(), window.Handle(), 3, "ok"), SendResult::Delivered);
    MessageWindow other("O", "");
    EXPECT_EQ(Send(other.Handle(), window.Handle(), 4, "after"), SendResult::Delivered);
    EXPECT_EQ(got.Bytes, "after");
}

TEST(MessageWindow, AProcessOutOfDescriptorsRefusesConnectionsInsteadOfLeavingThemPending)
{
    PrivateEnvironment runtime;
    Peer peer({"fdlimit", "Full", ""});
    const WindowHandle handle = peer.ReadReadyHandle();
    ASSERT_NE(handle, 0u);
    MessageWindow own("Own", "");

    EXPECT_EQ(Send(own.Handle(), handle, 1, "no room"), SendResult::Broken);
    EXPECT_EQ(peer.ReadLine(), "served");

    peer.WriteLine("free");
    EXPECT_EQ(peer.ReadLine(), "freed");
    EXPECT_EQ(Send(own.Handle(), handle, 1, "room again"), SendResult::Delivered);
    // The connection may wake the peer before its frame does: a round then serves nothing yet.
    std::string line = peer.ReadLine();
    while (line == "served")
        line = peer.ReadLine();
    EXPECT_EQ(line, "got");
    EXPECT_EQ(peer.ReadLine(), "served");
}

TEST(RuntimeFolder, WithoutXdgRuntimeDirANameTakenByAnotherUserLeadsToAPrivateFolder)
{
    TempDir base;
    std::filesystem::create_directory(base / "tmp");
    ::chmod((base / "tmp").c_str(), 01777);
    std::filesystem::create_directory(base / "home");
    const uid_t user = ::geteuid();
    const RuntimeFolderPlaces places{"", (base / "tmp").string(), (base / "home").string(), "lab7", user};
    const std::filesystem::path shared = base / "tmp" / ("mentix-" + std::to_string(user));
    const std::filesystem::path fallback = base / "home" / ".cache" / "mentix-lab7";
    const auto isPrivate = [user](const std::filesystem::path& folder) {
        struct stat info
        {};
        return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == user &&
               (info.st_mode & 0777) == 0700;
    };

    // A free name is made ours; a relative XDG_RUNTIME_DIR counts as none.
    EXPECT_EQ(ChooseRuntimeFolder(places), shared);
    EXPECT_TRUE(isPrivate(shared));
    RuntimeFolderPlaces relative = places;
    relative.XdgRuntimeDir = "run/user";
    EXPECT_EQ(ChooseRuntimeFolder(relative), shared);
    std::filesystem::remove(shared);

    // Whatever holds the name, every start of the user comes to the same private folder.
    std::filesystem::create_directory(base / "elsewhere");
    const std::vector<std::pair<const char*, std::function<void()>>> takers{
        {"a file",
         [&] {
             WriteFileBytes(shared, "x");
         }},
        {"a link to a folder",
         [&] {
             std::filesystem::create_directory_symlink(base / "elsewhere", shared);
         }},
        {"another user's folder",
         [&] {
             std::filesystem::create_directory(shared);
             ::chmod(shared.c_str(), 0700);
             if (::chown(shared.c_str(), 65534, 65534) != 0) // only root can give a folder away
                 ::chmod(shared.c_str(), 0755);
         }},
    };
    for (const auto& [what, take] : takers) {
        take();
        EXPECT_EQ(ChooseRuntimeFolder(places), fallback) << what;
        EXPECT_EQ(ChooseRuntimeFolder(places), fallback) << what;
        EXPECT_TRUE(isPrivate(fallback)) << what;
        std::filesystem::remove(shared);
    }

    // Our own folder open to others is refused, not left for the fallback: only we could have
    // opened it.
    std::filesystem::create_directory(shared);
    ::chmod(shared.c_str(), 0755);
    EXPECT_THROW(ChooseRuntimeFolder(places), PlatformError);
    std::filesystem::remove(shared);

    // When the fallback cannot be used either, the error names both folders.
    WriteFileBytes(shared, "x");
    ::chmod(fallback.c_str(), 0750);
    try {
        ChooseRuntimeFolder(places);
        FAIL() << "no error";
    } catch (const PlatformError& e) {
        EXPECT_EQ(std::string(e.what()), "The runtime folder " + shared.string() +
                                             " is not a folder; The runtime folder " + fallback.string() +
                                             " is open to other users");
    }
}
