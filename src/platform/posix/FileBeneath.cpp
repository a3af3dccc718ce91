#include "platform/FileBeneath.h"

#include "FileIo.h"
#include "UniqueFd.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <deque>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

// Never waits on a FIFO, never makes a terminal ours, never follows a final link.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
constexpr int kPassFlags = O_PATH | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;

// Puts the parts of `path` in front of `pending`, its first part first.
void PrependParts(std::deque<std::string>& pending, std::string_view path)
{
    std::vector<std::string> parts;
    for (std::size_t at = 0;;) {
        const std::size_t slash = path.find('/', at);
        parts.emplace_back(path.substr(at, slash - at));
        if (slash == std::string_view::npos)
            break;
        at = slash + 1;
    }
    pending.insert(pending.begin(), parts.begin(), parts.end());
}

// Where the symbolic link `name` in `dir` points, or nothing when it is no link.
std::optional<std::string> LinkTarget(int dir, const std::string& name)
{
    char target[PATH_MAX];
    const ssize_t length = ::readlinkat(dir, name.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target)
        return std::nullopt;
    return std::string(target, static_cast<std::size_t>(length));
}

// Every step opens one name in a directory we already hold, so whatever is swapped in meanwhile,
// the kernel never resolves more than that one name, and never through a link. ".." goes back to
// the directory we came from instead of asking the kernel, so a directory moved out of the folder
// while we stand in it still cannot lead further out.
UniqueFd OpenByComponents(UniqueFd folder, std::string_view relative)
{
    std::vector<UniqueFd> walked; // from the folder down to where we stand
    walked.push_back(std::move(folder));
    std::deque<std::string> pending;
    PrependParts(pending, relative);
    int links = 0;
    while (!pending.empty()) {
        const std::string part = std::move(pending.front());
        pending.pop_front();
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (walked.size() == 1)
                return {};
            walked.pop_back();
            continue;
        }
        // More parts to come (even a trailing "/"): only a directory will do, and passing through
        // it needs no more right than the kernel asks for (search, not read).
        const int flags = pending.empty() ? kOpenFlags : kPassFlags;
        UniqueFd next(::openat(walked.back().Get(), part.c_str(), flags));
        if (next.Valid()) {
            if (pending.empty())
                return next;
            walked.push_back(std::move(next));
            continue;
        }
        // A link gives ELOOP as the last part and ENOTDIR before others.
        if (errno != ELOOP && errno != ENOTDIR)
            return {};
        const auto target = LinkTarget(walked.back().Get(), part);
        if (!target || target->front() == '/' || ++links > kMaxLinks)
            return {};
        PrependParts(pending, *target);
    }
    return std::move(walked.back());
}

UniqueFd OpenByKernel(UniqueFd folder, std::string_view relative)
{
    const std::string name(relative);
    open_how how{};
    how.flags = static_cast<std::uint64_t>(O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    const long fd = ::syscall(SYS_openat2, folder.Get(), name.c_str(), &how, sizeof how);
    if (fd >= 0)
        return UniqueFd(static_cast<int>(fd));
    // No openat2 (old kernel), a sandbox that forbids it, or a rename elsewhere in the folder
    // that the kernel will not vouch for: the walk gives the same answer.
    if (errno == ENOSYS || errno == EPERM || errno == EAGAIN)
        return OpenByComponents(std::move(folder), relative);
    return {};
}

std::optional<std::string> ReadRegular(int fd, std::size_t maxBytes)
{
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    // Refused before reading, so a huge file costs neither the time nor the memory.
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        return std::nullopt;
    std::string bytes;
    char block[64 * 1024];
    for (;;) {
        const std::size_t n = ReadAll(fd, block);
        bytes.append(block, n);
        if (bytes.size() > maxBytes)
            return std::nullopt; // it grew while we read
        if (n < sizeof block)
            return errno == 0 ? std::optional(std::move(bytes)) : std::nullopt;
    }
}

} // namespace

std::optional<std::string> ReadFileBeneath(const std::filesystem::path& folder, std::string_view relative,
                                           std::size_t maxBytes, BeneathResolution resolution)
{
    // The kernel takes no longer names either, so both ways refuse the same.
    if (relative.empty() || relative.front() == '/' || relative.size() >= PATH_MAX ||
        relative.find('\0') != std::string_view::npos)
        return std::nullopt;
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.Valid())
        return std::nullopt;
    const UniqueFd file = resolution == BeneathResolution::Kernel
                              ? OpenByKernel(std::move(dir), relative)
                              : OpenByComponents(std::move(dir), relative);
    if (!file.Valid())
        return std::nullopt;
    return ReadRegular(file.Get(), maxBytes);
}
