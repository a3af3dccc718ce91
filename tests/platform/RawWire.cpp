#include "RawWire.h"

#include "platform/posix/WireFrame.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

sockaddr_un SocketAddress(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    return address;
}

std::string Encoded(std::uint32_t magic, std::uint32_t from, std::uint32_t to, std::uint32_t word,
                    std::uint32_t length)
{
    const auto header = WireFrame{magic, from, to, word, length}.Encode();
    return std::string(header.data(), header.size());
}

} // namespace

std::string HexName(WindowHandle handle)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", handle);
    return text;
}

std::string WindowFile(const std::string& folder, WindowHandle handle, const char* extension)
{
    return folder + "/" + HexName(handle) + extension;
}

int RawConnect(const std::string& folder, WindowHandle handle)
{
    const sockaddr_un address = SocketAddress(WindowFile(folder, handle, ".sock"));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string Header(std::uint32_t from, std::uint32_t to, std::uint32_t word, std::uint32_t length)
{
    return Encoded(WireFrame::kInlineMagic, from, to, word, length);
}

std::string Shared(std::uint32_t from, std::uint32_t to, std::uint32_t word, std::uint32_t length)
{
    return Encoded(WireFrame::kSharedMagic, from, to, word, length);
}

bool SendAll(int socket, const std::string& bytes)
{
    return ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

bool SendWithFile(int socket, const std::string& header, int file)
{
    std::array<char, WireFrame::kHeaderSize> encoded{};
    if (header.size() != encoded.size())
        return false;
    std::copy(header.begin(), header.end(), encoded.begin());
    std::size_t written = 0;
    return WriteSome(socket, encoded, {}, file, written) == Progress::Done;
}

int MemoryFile(const std::string& bytes, bool sealed)
{
    const int fd = ::memfd_create("test", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        return -1;
    if (sealed)
        ::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
    return fd;
}

bool HungUp(int socket)
{
    char answer = 0;
    return ::recv(socket, &answer, 1, MSG_DONTWAIT) == 0;
}

bool Acknowledged(int socket)
{
    char answer = 0;
    return ::recv(socket, &answer, 1, 0) == 1;
}

bool ClosedWithoutAnswer(int socket)
{
    char answer = 0;
    return ::recv(socket, &answer, 1, 0) == 0;
}

std::size_t OpenDescriptors()
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

int BoundSocket(const std::string& path, bool listening)
{
    const sockaddr_un address = SocketAddress(path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << path;
    if (listening) {
        EXPECT_EQ(::listen(fd, 4), 0);
        return fd;
    }
    ::close(fd);
    return -1;
}
