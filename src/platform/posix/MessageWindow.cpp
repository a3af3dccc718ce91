#include "platform/MessageWindow.h"

#include "Internal.h"
#include "UniqueFd.h"
#include "platform/LastError.h"
#include "platform/PlatformError.h"
#include "platform/RuntimeFolder.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

// Wire format of one message on a fresh connection to the destination's socket:
//   magic "MXF1", sender handle, destination handle, data word, byte count (each 4 bytes, little
//   endian), then the bytes. The destination answers one byte (1) after its window procedure has
//   returned and closes the connection; closing without that byte means the message was dropped.
// A block larger than kInlineBytes travels instead in a sealed memfd passed with the header
// (SCM_RIGHTS), under magic "MXFD" and with no bytes after the header. So the sender's write never
// waits for the receiver: two processes that send large blocks to each other at the same moment
// each read the other's whole message at once instead of both waiting for the other to read.

struct WindowTableAccess
{
    static int Socket(const MessageWindow& window) { return window.FSocket; }
    static const WindowProcedure& Procedure(const MessageWindow& window) { return window.FProcedure; }
    static const std::string& Folder(const MessageWindow& window) { return window.FFolder; }
};

namespace {

constexpr std::uint32_t kFrameMagic = 0x3146584D;       // "MXF1" read as little endian
constexpr std::uint32_t kSharedFrameMagic = 0x4446584D; // "MXFD"
constexpr std::size_t kHeaderSize = 20;
constexpr char kAck = 1;
// Well below a socket buffer, so an inline message is written whole into a fresh connection.
constexpr std::size_t kInlineBytes = 64u * 1024u;
constexpr unsigned kRequiredSeals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE;

// The windows of this process, so that a waiting Send() can serve them all. The system keeps this
// list on other platforms; here it is the one piece of process-wide state of the message windows.
struct WindowTable
{
    std::mutex Mutex;
    std::vector<std::pair<WindowHandle, MessageWindow*>> Windows;
    // Held open so that a pending connection can still be taken (and refused) when the process has
    // run out of descriptors; otherwise the listening socket stays readable and its watchers spin.
    UniqueFd Reserve{::open("/dev/null", O_RDONLY | O_CLOEXEC)};
};

WindowTable& Table()
{
    static WindowTable table;
    return table;
}

struct LiveWindow
{
    int Socket = -1;
    WindowProcedure Procedure;
};

bool LookUp(WindowHandle handle, LiveWindow& found, bool withProcedure)
{
    WindowTable& table = Table();
    std::lock_guard lock(table.Mutex);
    for (const auto& [h, window] : table.Windows) {
        if (h == handle) {
            found.Socket = WindowTableAccess::Socket(*window);
            if (withProcedure)
                found.Procedure = WindowTableAccess::Procedure(*window);
            return true;
        }
    }
    return false;
}

// The runtime folder of a window of this process, checked when the window was registered, or
// empty. Sends from our own windows use it, so that they need not check the folder again.
std::string OwnFolder(WindowHandle handle)
{
    WindowTable& table = Table();
    std::lock_guard lock(table.Mutex);
    for (const auto& [h, window] : table.Windows) {
        if (h == handle)
            return WindowTableAccess::Folder(*window);
    }
    return {};
}

std::vector<std::pair<WindowHandle, int>> OwnSockets()
{
    WindowTable& table = Table();
    std::lock_guard lock(table.Mutex);
    std::vector<std::pair<WindowHandle, int>> result;
    for (const auto& [h, window] : table.Windows)
        result.emplace_back(h, WindowTableAccess::Socket(*window));
    return result;
}

std::string HexName(WindowHandle handle)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", handle);
    return text;
}

std::string SocketPath(const std::string& folder, WindowHandle handle)
{
    return folder + "/" + HexName(handle) + ".sock";
}

std::string RecordPath(const std::string& folder, WindowHandle handle)
{
    return folder + "/" + HexName(handle) + ".win";
}

bool FillAddress(sockaddr_un& address, const std::string& path)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void PutWord(char* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t GetWord(const char* at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(at[i]);
    return value;
}

bool PeerIsThisUser(int fd)
{
    // Nothing in this program changes its user, so asking once is enough.
    static const uid_t self = ::geteuid();
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return false;
    return credentials.uid == self;
}

// Descriptors that came along with a frame, owned here so that every path closes them.
struct PassedFds
{
    std::vector<UniqueFd> Fds;
    bool Truncated = false;
};

ssize_t ReceiveSome(int fd, char* buffer, std::size_t size, PassedFds& passed)
{
    alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))];
    iovec part{buffer, size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(fd, &message, MSG_CMSG_CLOEXEC);
    if (n < 0)
        return n;
    if ((message.msg_flags & MSG_CTRUNC) != 0)
        passed.Truncated = true;
    for (cmsghdr* item = CMSG_FIRSTHDR(&message); item != nullptr; item = CMSG_NXTHDR(&message, item)) {
        if (item->cmsg_level != SOL_SOCKET || item->cmsg_type != SCM_RIGHTS)
            continue;
        const std::size_t count = (item->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < count; ++i) {
            int received = -1;
            std::memcpy(&received, CMSG_DATA(item) + i * sizeof(int), sizeof received);
            passed.Fds.emplace_back(received);
        }
    }
    return n;
}

using Deadline = std::chrono::steady_clock::time_point;

// How long to wait for the next bytes: one stall's time-out, cut short by the frame's deadline.
int StallTimeout(Deadline deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(
        std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, kFrameTimeoutMilliseconds));
}

// Reads at least `minimum` and at most `capacity` bytes from a non-blocking socket into `buffer`,
// `done` of them; false when the peer closes, fails, makes no progress for
// kFrameTimeoutMilliseconds or reaches `deadline` before `minimum` is reached.
bool ReadAtLeast(int fd, char* buffer, std::size_t minimum, std::size_t capacity, std::size_t& done,
                 PassedFds& passed, Deadline deadline)
{
    done = 0;
    while (done < minimum) {
        const ssize_t n = ReceiveSome(fd, buffer + done, capacity - done, passed);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0)
            return false;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        pollfd wait{fd, POLLIN, 0};
        const int timeout = StallTimeout(deadline);
        const int ready = timeout > 0 ? ::poll(&wait, 1, timeout) : 0;
        if (ready == 0)
            return false;
        if (ready < 0 && errno != EINTR)
            return false;
    }
    return true;
}

// Reads a block passed as a memfd. Only a sealed file of exactly the announced size is taken: the
// seals keep it from changing under us while we read it.
bool ReadSharedBody(int fd, std::uint32_t length, std::string& bytes)
{
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size != static_cast<off_t>(length))
        return false;
    const int seals = ::fcntl(fd, F_GET_SEALS);
    if (seals < 0 || (static_cast<unsigned>(seals) & kRequiredSeals) != kRequiredSeals)
        return false;
    bytes.assign(length, '\0');
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, bytes.data() + done, length - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A small message arrives whole with its header in one read.
constexpr std::size_t kFirstReadBytes = kHeaderSize + 4096;

// Reads one frame's block: inline after the header, or from the memfd that came with it. Anything
// that is not what its header says is refused.
bool ReadBody(int connection, const char* first, std::size_t got, PassedFds& passed, Deadline deadline,
              std::string& bytes)
{
    const std::uint32_t magic = GetWord(first);
    const std::uint32_t length = GetWord(first + 16);
    if (passed.Truncated || length > kMaxMessageBytes)
        return false;
    if (magic == kSharedFrameMagic)
        return passed.Fds.size() == 1 && ReadSharedBody(passed.Fds.front().Get(), length, bytes);
    if (magic != kFrameMagic || !passed.Fds.empty())
        return false;
    // Bytes after the message, which a well-behaved sender never sends, are ignored.
    const std::size_t early = std::min<std::size_t>(got - kHeaderSize, length);
    bytes.assign(length, '\0');
    std::memcpy(bytes.data(), first + kHeaderSize, early);
    std::size_t rest = 0;
    return early == length || (ReadAtLeast(connection, bytes.data() + early, length - early, length - early,
                                           rest, passed, deadline) &&
                               passed.Fds.empty());
}

// Reads one message from an accepted connection, runs the window procedure and acknowledges.
void ServeConnection(UniqueFd connection, WindowHandle handle)
{
    if (!PeerIsThisUser(connection.Get()))
        return;
    // A peer that trickles its frame would otherwise hold this thread for a stall's time per byte.
    const Deadline deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kFrameDeadlineMilliseconds);
    char first[kFirstReadBytes];
    std::size_t got = 0;
    PassedFds passed;
    if (!ReadAtLeast(connection.Get(), first, kHeaderSize, sizeof first, got, passed, deadline))
        return;
    std::string bytes;
    if (GetWord(first + 8) != handle || !ReadBody(connection.Get(), first, got, passed, deadline, bytes))
        return;
    passed.Fds.clear();
    // The procedure may destroy its own window, so it runs from a copy.
    LiveWindow window;
    if (!LookUp(handle, window, true))
        return;
    if (window.Procedure)
        window.Procedure(GetWord(first + 4), GetWord(first + 12), bytes);
    ::send(connection.Get(), &kAck, 1, MSG_NOSIGNAL);
}

// Out of descriptors: frees the reserve to take one pending connection and close it at once (its
// sender sees Broken), then takes the reserve back. False when not even that worked.
bool RefuseWithReserve(int listening)
{
    WindowTable& table = Table();
    std::lock_guard lock(table.Mutex);
    table.Reserve.Reset();
    const int fd = ::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0)
        ::close(fd);
    table.Reserve.Reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    return fd >= 0;
}

// Accepts and serves one pending connection of a window of this process; false when none is
// pending or the window is gone.
bool ServeOne(WindowHandle handle)
{
    LiveWindow window;
    if (!LookUp(handle, window, false))
        return false;
    for (;;) {
        const int fd = ::accept4(window.Socket, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            ServeConnection(UniqueFd(fd), handle);
            return true;
        }
        if (errno == EINTR)
            continue;
        // A connection that was reset before we took it is not a reason to stop serving.
        if (errno == ECONNABORTED || errno == EPROTO)
            return true;
        if (errno == EMFILE || errno == ENFILE)
            return RefuseWithReserve(window.Socket);
        return false;
    }
}

struct WindowRecord
{
    long Pid = 0;
    std::string ClassName;
    std::string WindowName;
};

std::string EncodeRecord(const WindowRecord& record)
{
    return "pid " + std::to_string(record.Pid) + "\nclass " + std::to_string(record.ClassName.size()) + " " +
           record.ClassName + "\nname " + std::to_string(record.WindowName.size()) + " " + record.WindowName +
           "\n";
}

// Reads "<label> <length> <bytes>\n" at `at`; false when malformed.
bool DecodeCounted(const std::string& text, std::size_t& at, const std::string& label, std::string& value)
{
    if (text.compare(at, label.size() + 1, label + " ") != 0)
        return false;
    at += label.size() + 1;
    std::size_t length = 0;
    bool digits = false;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        length = length * 10 + static_cast<std::size_t>(text[at++] - '0');
        digits = true;
        if (length > text.size())
            return false;
    }
    if (!digits || at >= text.size() || text[at] != ' ' || text.size() - at - 1 < length + 1)
        return false;
    value = text.substr(at + 1, length);
    at += 1 + length;
    return text[at++] == '\n';
}

bool DecodeRecord(const std::string& text, WindowRecord& record)
{
    std::string pid;
    std::size_t at = text.find('\n');
    if (text.compare(0, 4, "pid ") != 0 || at == std::string::npos)
        return false;
    record.Pid = std::strtol(text.c_str() + 4, nullptr, 10);
    ++at;
    return DecodeCounted(text, at, "class", record.ClassName) &&
           DecodeCounted(text, at, "name", record.WindowName);
}

std::string ReadAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return text;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > 2 * 1024 * 1024)
            return {};
    }
}

// Registration and clean-up of a handle's files are serialised by this folder-wide lock, so that a
// clean-up never removes the files of a window that took the same handle meanwhile.
UniqueFd LockFolder(const std::string& folder)
{
    UniqueFd fd(::open((folder + "/windows.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.Valid() || !LockExclusive(fd.Get()))
        return UniqueFd();
    return fd;
}

// The record `fd` (opened from `path`) belongs to a dead process and we hold its lock: remove it
// and the socket, unless the path has meanwhile come to name another record.
void RemoveDeadWindow(const std::string& folder, WindowHandle handle, int fd)
{
    // Without the lock, the handle may meanwhile belong to a newly registered window.
    const UniqueFd folderLock = LockFolder(folder);
    if (!folderLock.Valid())
        return;
    const std::string path = RecordPath(folder, handle);
    struct stat opened
    {};
    struct stat current
    {};
    if (::fstat(fd, &opened) != 0 || ::stat(path.c_str(), &current) != 0)
        return;
    if (opened.st_ino != current.st_ino || opened.st_dev != current.st_dev)
        return;
    ::unlink(path.c_str());
    ::unlink(SocketPath(folder, handle).c_str());
}

enum class Liveness
{
    Missing,
    Dead,
    Alive
};

// Opens a window's record; a record whose lock we can share belongs to a dead process and is
// removed. The owner holds the lock exclusively, so a shared probe fails only against a live owner,
// never against another probe of the same record.
Liveness ProbeRecord(const std::string& folder, WindowHandle handle, WindowRecord* record)
{
    UniqueFd fd(::open(RecordPath(folder, handle).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd.Valid())
        return Liveness::Missing;
    int locked = 0;
    do
        locked = ::flock(fd.Get(), LOCK_SH | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked == 0) {
        RemoveDeadWindow(folder, handle, fd.Get());
        return Liveness::Dead;
    }
    if (errno != EWOULDBLOCK)
        return Liveness::Missing;
    if (record != nullptr && !DecodeRecord(ReadAll(fd.Get()), *record))
        return Liveness::Missing;
    return Liveness::Alive;
}

bool ParseRecordName(const char* name, WindowHandle& handle)
{
    if (std::strlen(name) != 12 || std::strcmp(name + 8, ".win") != 0)
        return false;
    handle = 0;
    for (int i = 0; i < 8; ++i) {
        const char c = name[i];
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        handle = (handle << 4) | static_cast<WindowHandle>(digit);
    }
    return handle != 0;
}

std::vector<WindowHandle> RecordedHandles(const std::string& folder)
{
    std::vector<WindowHandle> handles;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return handles;
    while (const dirent* entry = ::readdir(dir)) {
        WindowHandle handle = 0;
        if (ParseRecordName(entry->d_name, handle))
            handles.push_back(handle);
    }
    ::closedir(dir);
    std::sort(handles.begin(), handles.end());
    return handles;
}

UniqueFd ListeningSocket(const std::string& path, bool& inUse)
{
    inUse = false;
    sockaddr_un address{};
    if (!FillAddress(address, path))
        throw PlatformError("The runtime folder's path is too long for a socket: " + path);
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.Valid())
        throw PlatformError("Cannot create a socket: " + LastErrorText(), errno);
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno == EADDRINUSE) {
            inUse = true;
            return UniqueFd();
        }
        throw PlatformError("Cannot create the socket " + path + ": " + LastErrorText(), errno);
    }
    if (::listen(fd.Get(), SOMAXCONN) != 0) {
        const int error = errno;
        ::unlink(path.c_str());
        throw PlatformError("Cannot listen on " + path + ": " + ErrorText(error), error);
    }
    return fd;
}

UniqueFd WriteLockedRecord(const std::string& path, const WindowRecord& record)
{
    const std::string temporary = path + ".tmp";
    UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.Valid() || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
        return UniqueFd();
    const std::string text = EncodeRecord(record);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd.Get(), text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    if (done != text.size() || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return UniqueFd();
    }
    return fd;
}

} // namespace

MessageWindow::MessageWindow(std::string_view className, std::string_view windowName,
                             WindowProcedure procedure)
    : FClassName(className), FWindowName(windowName), FFolder(RuntimeFolder().string()),
      FProcedure(std::move(procedure))
{
    const UniqueFd folderLock = LockFolder(FFolder);
    if (!folderLock.Valid())
        throw PlatformError("Cannot lock the runtime folder " + FFolder + ": " + LastErrorText(), errno);
    UniqueFd socket;
    for (int attempt = 0; attempt < 100 && !socket.Valid(); ++attempt) {
        FHandle = RandomNonZero32();
        bool inUse = false;
        socket = ListeningSocket(SocketPath(FFolder, FHandle), inUse);
    }
    if (!socket.Valid())
        throw PlatformError("No free window handle in " + FFolder);
    UniqueFd record = WriteLockedRecord(RecordPath(FFolder, FHandle), {::getpid(), FClassName, FWindowName});
    if (!record.Valid()) {
        const int error = errno;
        ::unlink(SocketPath(FFolder, FHandle).c_str());
        throw PlatformError("Cannot write the window record in " + FFolder + ": " + ErrorText(error), error);
    }
    FSocket = socket.Release();
    FRecordLock = record.Release();
    WindowTable& table = Table();
    std::lock_guard lock(table.Mutex);
    table.Windows.emplace_back(FHandle, this);
}

MessageWindow::~MessageWindow()
{
    {
        WindowTable& table = Table();
        std::lock_guard lock(table.Mutex);
        std::erase_if(table.Windows, [this](const auto& entry) { return entry.second == this; });
    }
    ::unlink(RecordPath(FFolder, FHandle).c_str());
    ::unlink(SocketPath(FFolder, FHandle).c_str());
    ::close(FSocket);
    ::close(FRecordLock);
}

void MessageWindow::SetWindowProcedure(WindowProcedure procedure)
{
    WindowTable& table = Table();
    std::lock_guard lock(table.Mutex);
    FProcedure = std::move(procedure);
}

void MessageWindow::ServePending()
{
    const WindowHandle handle = FHandle;
    while (ServeOne(handle)) {
    }
}

WindowHandle FindWindow(std::string_view className, std::string_view windowName)
{
    const std::string folder = RuntimeFolder().string();
    for (const WindowHandle handle : RecordedHandles(folder)) {
        WindowRecord record;
        if (ProbeRecord(folder, handle, &record) == Liveness::Alive && record.ClassName == className &&
            record.WindowName == windowName)
            return handle;
    }
    return 0;
}

bool IsWindow(WindowHandle handle)
{
    if (handle == 0)
        return false;
    return ProbeRecord(RuntimeFolder().string(), handle, nullptr) == Liveness::Alive;
}

namespace {

// Connects to a window's socket in `folder`; an invalid descriptor and the reason when that fails.
// The socket is non-blocking from the start; only when the destination's queue of connections is
// full does the connect wait, blocking, for room.
UniqueFd Connect(const std::string& folder, WindowHandle to, SendResult& failure)
{
    failure = SendResult::NoSuchWindow;
    sockaddr_un address{};
    if (!FillAddress(address, SocketPath(folder, to)))
        return UniqueFd();
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) {
        failure = SendResult::Broken;
        return UniqueFd();
    }
    const auto* target = reinterpret_cast<const sockaddr*>(&address);
    int result = 0;
    do
        result = ::connect(fd.Get(), target, sizeof address);
    while (result != 0 && errno == EINTR);
    if (result != 0 && errno == EAGAIN) {
        if (::fcntl(fd.Get(), F_SETFL, 0) != 0) {
            failure = SendResult::Broken;
            return UniqueFd();
        }
        do
            result = ::connect(fd.Get(), target, sizeof address);
        while (result != 0 && errno == EINTR);
        if (result == 0 && ::fcntl(fd.Get(), F_SETFL, O_NONBLOCK) != 0) {
            failure = SendResult::Broken;
            return UniqueFd();
        }
    }
    if (result != 0)
        return UniqueFd();
    if (!PeerIsThisUser(fd.Get())) {
        failure = SendResult::Broken;
        return UniqueFd();
    }
    return fd;
}

enum class Progress
{
    Pending,
    Done,
    Failed
};

// Pushes more of the message out; Done when all of it is written. `attach`, when valid, goes with
// the first bytes of the header.
Progress WriteSome(int fd, const char* header, std::string_view bytes, int attach, std::size_t& written)
{
    const std::size_t total = kHeaderSize + bytes.size();
    while (written < total) {
        iovec parts[2];
        int count = 0;
        if (written < kHeaderSize)
            parts[count++] = {const_cast<char*>(header + written), kHeaderSize - written};
        const std::size_t bodyDone = written < kHeaderSize ? 0 : written - kHeaderSize;
        if (bodyDone < bytes.size())
            parts[count++] = {const_cast<char*>(bytes.data() + bodyDone), bytes.size() - bodyDone};
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = static_cast<std::size_t>(count);
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
        if (attach >= 0 && written == 0) {
            message.msg_control = control;
            message.msg_controllen = sizeof control;
            cmsghdr* item = CMSG_FIRSTHDR(&message);
            item->cmsg_level = SOL_SOCKET;
            item->cmsg_type = SCM_RIGHTS;
            item->cmsg_len = CMSG_LEN(sizeof(int));
            std::memcpy(CMSG_DATA(item), &attach, sizeof attach);
        }
        const ssize_t n = ::sendmsg(fd, &message, MSG_NOSIGNAL);
        if (n >= 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR)
            continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? Progress::Pending : Progress::Failed;
    }
    return Progress::Done;
}

// A sealed memfd holding `bytes`, or an invalid descriptor when one cannot be made.
UniqueFd SharedBody(std::string_view bytes)
{
    UniqueFd fd(::memfd_create("mentix-message", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (!fd.Valid())
        return fd;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return UniqueFd();
        done += static_cast<std::size_t>(n);
    }
    if (::fcntl(fd.Get(), F_ADD_SEALS, kRequiredSeals | F_SEAL_SEAL) != 0)
        return UniqueFd();
    return fd;
}

// Sends to a window of this process by calling its procedure, as the system does for a window of
// the sending thread; the socket would only add a way to fail. False when `to` is not ours.
bool SendToOwnWindow(const std::string& folder, WindowHandle from, WindowHandle to, std::uint32_t dataWord,
                     std::string_view bytes)
{
    if (OwnFolder(to) != folder)
        return false;
    LiveWindow window;
    if (!LookUp(to, window, true))
        return false;
    // The procedure gets its own copy, as from another process: it may change what the caller sent.
    const std::string copy(bytes);
    if (window.Procedure)
        window.Procedure(from, dataWord, copy);
    return true;
}

Progress ReadAck(int fd)
{
    char ack = 0;
    for (;;) {
        const ssize_t n = ::recv(fd, &ack, 1, 0);
        if (n == 1)
            return ack == kAck ? Progress::Done : Progress::Failed;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return Progress::Pending;
        return Progress::Failed;
    }
}

} // namespace

SendResult Send(WindowHandle from, WindowHandle to, std::uint32_t dataWord, std::string_view bytes)
{
    if (to == 0)
        return SendResult::NoSuchWindow;
    if (bytes.size() > kMaxMessageBytes)
        return SendResult::TooLarge;
    std::string folder = OwnFolder(from);
    if (folder.empty())
        folder = RuntimeFolder().string();
    if (SendToOwnWindow(folder, from, to, dataWord, bytes))
        return SendResult::Delivered;
    SendResult failure = SendResult::NoSuchWindow;
    const UniqueFd connection = Connect(folder, to, failure);
    if (!connection.Valid())
        return failure;

    // Should no memfd be available, a large block goes inline, as small ones do.
    const UniqueFd shared = bytes.size() > kInlineBytes ? SharedBody(bytes) : UniqueFd();
    const std::string_view inlineBytes = shared.Valid() ? std::string_view() : bytes;
    char header[kHeaderSize];
    PutWord(header, shared.Valid() ? kSharedFrameMagic : kFrameMagic);
    PutWord(header + 4, from);
    PutWord(header + 8, to);
    PutWord(header + 12, dataWord);
    PutWord(header + 16, static_cast<std::uint32_t>(bytes.size()));
    // A fresh connection has room for a small message: write before waiting for anything.
    std::size_t written = 0;
    const Progress first = WriteSome(connection.Get(), header, inlineBytes, shared.Get(), written);
    if (first == Progress::Failed)
        return SendResult::Broken;
    bool sent = first == Progress::Done;

    for (;;) {
        // Until the destination has answered, serve whatever arrives for our own windows: the
        // destination may be waiting for us (a reply, or a message of its own).
        const auto own = OwnSockets();
        std::vector<pollfd> waits;
        waits.push_back({connection.Get(), static_cast<short>(sent ? POLLIN : POLLOUT), 0});
        for (const auto& entry : own)
            waits.push_back({entry.second, POLLIN, 0});
        if (::poll(waits.data(), waits.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return SendResult::Broken;
        }
        if (waits[0].revents != 0) {
            const Progress progress =
                sent ? ReadAck(connection.Get())
                     : WriteSome(connection.Get(), header, inlineBytes, shared.Get(), written);
            if (progress == Progress::Failed)
                return SendResult::Broken;
            if (progress == Progress::Done) {
                if (sent)
                    return SendResult::Delivered;
                sent = true;
            }
        }
        for (std::size_t i = 1; i < waits.size(); ++i) {
            if (waits[i].revents != 0)
                ServeOne(own[i - 1].first);
        }
    }
}

void RemoveWindowFilesOfThisProcess()
{
    WindowTable& table = Table();
    std::lock_guard lock(table.Mutex);
    for (const auto& [handle, window] : table.Windows) {
        const std::string& folder = WindowTableAccess::Folder(*window);
        ::unlink(RecordPath(folder, handle).c_str());
        ::unlink(SocketPath(folder, handle).c_str());
    }
}
