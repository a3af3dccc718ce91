#include "ServedFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Closes a descriptor on every way out.
class Fd
{
public:
    explicit Fd(int fd) : FFd(fd) {}
    ~Fd()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return FFd; }

private:
    int FFd;
};

// The name as a relative path with "/" separators, or nothing when it is absolute or climbs up.
std::optional<std::string> RelativeName(std::string_view name)
{
    std::string relative(name);
    for (char& c : relative) {
        if (c == '\\')
            c = '/';
    }
    const bool drive = relative.size() >= 2 && relative[1] == ':';
    if (relative.empty() || relative.front() == '/' || drive || relative.find('\0') != std::string::npos)
        return std::nullopt;
    for (const auto& part : std::filesystem::path(relative)) {
        if (part == "..")
            return std::nullopt;
    }
    return relative;
}

// Opens `relative` below `folder` for reading; the kernel refuses any way out of the folder,
// also through symbolic links. -1 when refused or missing.
int OpenBeneath(const std::filesystem::path& folder, const std::string& relative)
{
    const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() < 0)
        return -1;
    open_how how{};
    how.flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    const long fd = ::syscall(SYS_openat2, dir.Get(), relative.c_str(), &how, sizeof how);
    if (fd >= 0 || errno != ENOSYS)
        return static_cast<int>(fd);

    // A kernel without openat2: resolve the links ourselves and check where they lead.
    std::error_code error;
    const auto base = std::filesystem::canonical(folder, error);
    const auto target = std::filesystem::canonical(folder / relative, error);
    if (error)
        return -1;
    const auto [baseEnd, targetAt] = std::mismatch(base.begin(), base.end(), target.begin(), target.end());
    if (baseEnd != base.end())
        return -1;
    return ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

} // namespace

ServedFiles::ServedFiles(std::filesystem::path folder) : FFolder(std::move(folder)) {}

std::optional<std::string> ServedFiles::Read(std::string_view name, std::size_t maxBytes) const
{
    if (FFolder.empty())
        return std::nullopt;
    const auto relative = RelativeName(name);
    if (!relative)
        return std::nullopt;
    const Fd file(OpenBeneath(FFolder, *relative));
    struct stat info
    {};
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    // Refused before reading, so a huge file costs neither the time nor the memory.
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        return std::nullopt;
    std::string bytes;
    char block[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(file.Get(), block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        bytes.append(block, static_cast<std::size_t>(n));
        if (bytes.size() > maxBytes)
            return std::nullopt; // it grew while we read
    }
    return bytes;
}
