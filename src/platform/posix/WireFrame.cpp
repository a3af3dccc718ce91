#include "WireFrame.h"

#include "FileIo.h"
#include "util/LittleEndian.h"

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

std::array<char, WireFrame::kHeaderSize> WireFrame::Encode() const
{
    std::array<char, kHeaderSize> header{};
    PutLE32(header.data(), Magic);
    PutLE32(header.data() + 4, From);
    PutLE32(header.data() + 8, To);
    PutLE32(header.data() + 12, DataWord);
    PutLE32(header.data() + 16, Length);
    return header;
}

WireFrame WireFrame::Decode(const char* header)
{
    return {GetLE32(header), GetLE32(header + 4), GetLE32(header + 8), GetLE32(header + 12),
            GetLE32(header + 16)};
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
