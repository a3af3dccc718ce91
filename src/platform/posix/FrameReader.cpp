#include "FrameReader.h"

#include "FileIo.h"
#include "platform/MessageWindow.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

Progress FrameReader::ReadFrom(int fd, bool& progressed)
{
    for (;;) {
        char buffer[64 * 1024];
        alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))];
        iovec part{buffer, sizeof buffer};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(fd, &message, MSG_CMSG_CLOEXEC);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK ? Progress::Pending : Progress::Failed;
        FTruncated = FTruncated || (message.msg_flags & MSG_CTRUNC) != 0;
        for (cmsghdr* item = CMSG_FIRSTHDR(&message); item != nullptr; item = CMSG_NXTHDR(&message, item)) {
            if (item->cmsg_level != SOL_SOCKET || item->cmsg_type != SCM_RIGHTS)
                continue;
            const std::size_t count = (item->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (std::size_t i = 0; i < count; ++i) {
                int received = -1;
                std::memcpy(&received, CMSG_DATA(item) + i * sizeof(int), sizeof received);
                FPassed.emplace_back(received);
            }
        }
        if (n == 0)
            return Progress::Failed; // closed before the frame was whole
        progressed = true;
        const Progress progress = Consume(buffer, static_cast<std::size_t>(n));
        if (progress != Progress::Pending)
            return progress;
    }
}

Progress FrameReader::Consume(const char* data, std::size_t size)
{
    if (FHeaderBytes < FHeader.size()) {
        const std::size_t take = std::min(size, FHeader.size() - FHeaderBytes);
        std::memcpy(FHeader.data() + FHeaderBytes, data, take);
        FHeaderBytes += take;
        data += take;
        size -= take;
        if (FHeaderBytes < FHeader.size())
            return Progress::Pending;
        const Progress progress = HeaderComplete();
        if (progress != Progress::Pending)
            return progress;
    }
    if (FTruncated || !FPassed.empty())
        return Progress::Failed; // descriptors with an inline frame
    // Bytes after the message, which a well-behaved sender never sends, are ignored.
    FBytes.append(data, std::min<std::size_t>(size, FFrame.Length - FBytes.size()));
    return FBytes.size() == FFrame.Length ? Progress::Done : Progress::Pending;
}

Progress FrameReader::HeaderComplete()
{
    FFrame = WireFrame::Decode(FHeader.data());
    if (FTruncated || FFrame.To != FWindow || FFrame.Length > kMaxMessageBytes)
        return Progress::Failed;
    if (FFrame.Magic == WireFrame::kSharedMagic) {
        const bool taken =
            FPassed.size() == 1 && ReadSharedBody(FPassed.front().Get(), FFrame.Length, FBytes);
        FPassed.clear();
        return taken ? Progress::Done : Progress::Failed;
    }
    if (FFrame.Magic != WireFrame::kInlineMagic)
        return Progress::Failed;
    // Grown as the bytes come, so that a header announcing much costs nothing until it is sent.
    FBytes.reserve(std::min<std::size_t>(FFrame.Length, WireFrame::kInlineBytes));
    return Progress::Pending;
}
