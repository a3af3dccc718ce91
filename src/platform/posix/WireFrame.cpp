#include "WireFrame.h"

#include "FileIo.h"
#include "platform/MessageWindow.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

// How long to wait for the next bytes: one stall's time-out, cut short by the frame's deadline.
int StallTimeout(Deadline deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(
        std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, kFrameTimeoutMilliseconds));
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
    if (seals < 0 || (static_cast<unsigned>(seals) & WireFrame::kRequiredSeals) != WireFrame::kRequiredSeals)
        return false;
    // The sender's writes left the shared file offset at the end.
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return false;
    bytes.assign(length, '\0');
    return ReadAll(fd, bytes) == length;
}

} // namespace

std::array<char, WireFrame::kHeaderSize> WireFrame::Encode() const
{
    std::array<char, kHeaderSize> header{};
    PutWord(header.data(), Magic);
    PutWord(header.data() + 4, From);
    PutWord(header.data() + 8, To);
    PutWord(header.data() + 12, DataWord);
    PutWord(header.data() + 16, Length);
    return header;
}

WireFrame WireFrame::Decode(const char* header)
{
    return {GetWord(header), GetWord(header + 4), GetWord(header + 8), GetWord(header + 12),
            GetWord(header + 16)};
}

UniqueFd SharedBody(std::string_view bytes)
{
    UniqueFd fd(::memfd_create("mentix-message", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (!fd.Valid())
        return fd;
    if (WriteAll(fd.Get(), bytes) != bytes.size())
        return UniqueFd();
    if (::fcntl(fd.Get(), F_ADD_SEALS, WireFrame::kRequiredSeals | F_SEAL_SEAL) != 0)
        return UniqueFd();
    return fd;
}

Progress WriteSome(int fd, const std::array<char, WireFrame::kHeaderSize>& header, std::string_view bytes,
                   int attach, std::size_t& written)
{
    constexpr std::size_t kHeader = WireFrame::kHeaderSize;
    const std::size_t total = kHeader + bytes.size();
    while (written < total) {
        iovec parts[2];
        int count = 0;
        if (written < kHeader)
            parts[count++] = {const_cast<char*>(header.data() + written), kHeader - written};
        const std::size_t bodyDone = written < kHeader ? 0 : written - kHeader;
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

Progress ReadAck(int fd)
{
    char ack = 0;
    for (;;) {
        const ssize_t n = ::recv(fd, &ack, 1, 0);
        if (n == 1)
            return ack == WireFrame::kAck ? Progress::Done : Progress::Failed;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return Progress::Pending;
        return Progress::Failed;
    }
}

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

bool ReadBody(int connection, const char* first, std::size_t got, PassedFds& passed, Deadline deadline,
              std::string& bytes)
{
    const WireFrame frame = WireFrame::Decode(first);
    if (passed.Truncated || frame.Length > kMaxMessageBytes)
        return false;
    if (frame.Magic == WireFrame::kSharedMagic)
        return passed.Fds.size() == 1 && ReadSharedBody(passed.Fds.front().Get(), frame.Length, bytes);
    if (frame.Magic != WireFrame::kInlineMagic || !passed.Fds.empty())
        return false;
    // Bytes after the message, which a well-behaved sender never sends, are ignored.
    const std::size_t early = std::min<std::size_t>(got - WireFrame::kHeaderSize, frame.Length);
    bytes.assign(frame.Length, '\0');
    std::memcpy(bytes.data(), first + WireFrame::kHeaderSize, early);
    std::size_t rest = 0;
    return early == frame.Length || (ReadAtLeast(connection, bytes.data() + early, frame.Length - early,
                                                 frame.Length - early, rest, passed, deadline) &&
                                     passed.Fds.empty());
}
