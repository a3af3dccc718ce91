#include "platform/MessageWindow.h"

#include "ConnectionSet.h"
#include "Internal.h"
#include "UniqueFd.h"
#include "WindowRecord.h"
#include "WireFrame.h"
#include "platform/LastError.h"
#include "platform/PlatformError.h"
#include "platform/RuntimeFolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

struct MessageWindow::Impl
{
    WindowHandle Handle = 0;
    std::string ClassName;
    std::string WindowName;
    std::string Folder;
    WindowProcedure Procedure;
    UniqueFd Socket;
    UniqueFd RecordLock;
    std::optional<ConnectionSet> Connections;
};

namespace {

// The windows of this process, so that a waiting Send() can serve them all. The system keeps this
// list on other platforms; here it is the one piece of process-wide state of the message windows.
struct WindowTable
{
    std::mutex Mutex;
    std::vector<MessageWindow::Impl*> Windows;
};

WindowTable& Table()
{
    static WindowTable table;
    return table;
}

// The procedure of a window of this process, copied: a procedure may destroy its own window.
bool LookUpProcedure(WindowHandle handle, WindowProcedure& procedure)
{
    WindowTable& table = Table();
    std::lock_guard lock(table.Mutex);
    for (const MessageWindow::Impl* window : table.Windows) {
        if (window->Handle == handle) {
            procedure = window->Procedure;
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
    for (const MessageWindow::Impl* window : table.Windows) {
        if (window->Handle == handle)
            return window->Folder;
    }
    return {};
}

// What a waiting Send() watches of each window of this process: the listening socket alone while
// no peer is half-way through a frame (the common case, which spares every message the detour of a
// wake-up through the set), the whole set otherwise.
std::vector<std::pair<WindowHandle, int>> OwnWatches()
{
    WindowTable& table = Table();
    std::lock_guard lock(table.Mutex);
    std::vector<std::pair<WindowHandle, int>> result;
    for (const MessageWindow::Impl* window : table.Windows) {
        const ConnectionSet& connections = *window->Connections;
        result.emplace_back(window->Handle,
                            connections.Idle() ? window->Socket.Get() : connections.Descriptor());
    }
    return result;
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

std::vector<CompletedFrame> CollectFrames(WindowHandle handle, bool everyPending)
{
    WindowTable& table = Table();
    std::lock_guard lock(table.Mutex);
    for (MessageWindow::Impl* window : table.Windows) {
        if (window->Handle == handle)
            return window->Connections->Collect(everyPending);
    }
    return {};
}

// Serves what has arrived for a window of this process: each whole frame's procedure runs, then
// its sender is released. Should a procedure destroy the window, the frames still waiting are
// dropped unanswered, as a destroyed window's pending messages are.
void ServeWindow(WindowHandle handle, bool everyPending)
{
    for (CompletedFrame& frame : CollectFrames(handle, everyPending)) {
        WindowProcedure procedure;
        if (!LookUpProcedure(handle, procedure))
            return;
        if (procedure)
            procedure(frame.Frame.From, frame.Frame.DataWord, frame.Bytes);
        ::send(frame.Connection.Get(), &WireFrame::kAck, 1, MSG_NOSIGNAL);
    }
}

// The window's listening socket; invalid when the socket file is there already (left by a window
// that died while it unregistered, and not yet cleaned up).
UniqueFd ListeningSocket(const std::string& path)
{
    sockaddr_un address{};
    if (!FillAddress(address, path))
        throw PlatformError("The runtime folder's path is too long for a socket: " + path);
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.Valid())
        throw PlatformError("Cannot create a socket: " + LastErrorText());
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno == EADDRINUSE)
            return UniqueFd();
        throw PlatformError("Cannot create the socket " + path + ": " + LastErrorText());
    }
    if (::listen(fd.Get(), SOMAXCONN) != 0) {
        const int error = errno;
        ::unlink(path.c_str());
        throw PlatformError("Cannot listen on " + path + ": " + ErrorText(error));
    }
    return fd;
}

// Takes a free handle: its record first, then its socket.
void Register(MessageWindow::Impl& self)
{
    const WindowRecord record{::getpid(), self.ClassName, self.WindowName};
    for (int attempt = 0; attempt < 100; ++attempt) {
        self.Handle = RandomNonZero32();
        const Creation created = CreateRecord(self.Folder, self.Handle, record, self.RecordLock);
        if (created == Creation::Failed) {
            throw PlatformError("Cannot write the window record in " + self.Folder + ": " + LastErrorText());
        }
        if (created == Creation::Taken)
            continue;
        try {
            self.Socket = ListeningSocket(SocketPath(self.Folder, self.Handle));
        } catch (...) {
            ::unlink(RecordPath(self.Folder, self.Handle).c_str());
            throw;
        }
        if (self.Socket.Valid())
            return;
        ::unlink(RecordPath(self.Folder, self.Handle).c_str());
        self.RecordLock.Reset();
    }
    throw PlatformError("No free window handle in " + self.Folder);
}

} // namespace

MessageWindow::MessageWindow(std::string_view className, std::string_view windowName,
                             WindowProcedure procedure)
    : FImpl(std::make_unique<Impl>())
{
    Impl& self = *FImpl;
    self.ClassName = className;
    self.WindowName = windowName;
    self.Folder = RuntimeFolder().string();
    self.Procedure = std::move(procedure);
    Register(self);
    try {
        self.Connections.emplace(self.Socket.Get(), self.Handle);
    } catch (...) {
        RemoveWindowFiles(self.Folder, self.Handle);
        throw;
    }
    WindowTable& table = Table();
    std::lock_guard lock(table.Mutex);
    table.Windows.push_back(&self);
}

MessageWindow::~MessageWindow()
{
    {
        WindowTable& table = Table();
        std::lock_guard lock(table.Mutex);
        std::erase(table.Windows, FImpl.get());
    }
    RemoveWindowFiles(FImpl->Folder, FImpl->Handle);
}

WindowHandle MessageWindow::Handle() const
{
    return FImpl->Handle;
}

const std::string& MessageWindow::ClassName() const
{
    return FImpl->ClassName;
}

const std::string& MessageWindow::WindowName() const
{
    return FImpl->WindowName;
}

int MessageWindow::FileDescriptor() const
{
    return FImpl->Connections->Descriptor();
}

void MessageWindow::SetWindowProcedure(WindowProcedure procedure)
{
    WindowTable& table = Table();
    std::lock_guard lock(table.Mutex);
    FImpl->Procedure = std::move(procedure);
}

void MessageWindow::ServePending()
{
    ServeWindow(FImpl->Handle, true);
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

// Sends to a window of this process by calling its procedure, as the system does for a window of
// the sending thread; the socket would only add a way to fail. False when `to` is not ours.
bool SendToOwnWindow(const std::string& folder, WindowHandle from, WindowHandle to, std::uint32_t dataWord,
                     std::string_view bytes)
{
    if (OwnFolder(to) != folder)
        return false;
    WindowProcedure procedure;
    if (!LookUpProcedure(to, procedure))
        return false;
    // The procedure gets its own copy, as from another process: it may change what the caller sent.
    const std::string copy(bytes);
    if (procedure)
        procedure(from, dataWord, copy);
    return true;
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
    const UniqueFd shared = bytes.size() > WireFrame::kInlineBytes ? SharedBody(bytes) : UniqueFd();
    const std::string_view inlineBytes = shared.Valid() ? std::string_view() : bytes;
    const WireFrame frame{shared.Valid() ? WireFrame::kSharedMagic : WireFrame::kInlineMagic, from, to,
                          dataWord, static_cast<std::uint32_t>(bytes.size())};
    const auto header = frame.Encode();
    // A fresh connection has room for a small message: write before waiting for anything.
    std::size_t written = 0;
    const Progress first = WriteSome(connection.Get(), header, inlineBytes, shared.Get(), written);
    if (first == Progress::Failed)
        return SendResult::Broken;
    bool sent = first == Progress::Done;

    for (;;) {
        // Until the destination has answered, serve whatever arrives for our own windows: the
        // destination may be waiting for us (a reply, or a message of its own).
        const auto own = OwnWatches();
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
                ServeWindow(own[i - 1].first, false);
        }
    }
}

void ServeMessages(int timeoutMilliseconds)
{
    const auto own = OwnWatches();
    std::vector<pollfd> waits;
    for (const auto& entry : own)
        waits.push_back({entry.second, POLLIN, 0});
    if (::poll(waits.data(), waits.size(), timeoutMilliseconds < 0 ? -1 : timeoutMilliseconds) <= 0)
        return;
    for (std::size_t i = 0; i < waits.size(); ++i) {
        if (waits[i].revents != 0)
            ServeWindow(own[i].first, true);
    }
}

void RemoveWindowFilesOfThisProcess()
{
    WindowTable& table = Table();
    std::lock_guard lock(table.Mutex);
    for (const MessageWindow::Impl* window : table.Windows)
        RemoveWindowFiles(window->Folder, window->Handle);
}
