#include "WindowRecord.h"

#include "FileIo.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Records are a few hundred bytes; anything far larger is not one of ours.
constexpr off_t kMaxRecordBytes = 2 * 1024 * 1024;

std::string HexName(std::uint32_t handle)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", handle);
    return text;
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

bool ReadRecord(int fd, WindowRecord& record)
{
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || info.st_size > kMaxRecordBytes)
        return false;
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    return ReadAll(fd, text) == text.size() && WindowRecord::Decode(text, record);
}

// Serialises the clean-up of dead windows' files; only tried, so a process that holds it and
// never lets go (stopped, say) leaves dead files for later instead of stopping anyone.
UniqueFd TryLockFolder(const std::string& folder)
{
    UniqueFd fd(::open((folder + "/windows.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    int locked = -1;
    do
        locked = fd.Valid() ? ::flock(fd.Get(), LOCK_EX | LOCK_NB) : -1;
    while (locked != 0 && errno == EINTR);
    return locked == 0 ? std::move(fd) : UniqueFd();
}

bool SameFile(int fd, const std::string& path)
{
    struct stat opened
    {};
    struct stat current
    {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &current) == 0 &&
           opened.st_ino == current.st_ino && opened.st_dev == current.st_dev;
}

// The record `fd` belongs to a dead process: remove its socket and then the record, unless the name
// has meanwhile come to name another record.
void RemoveDeadWindow(const std::string& folder, std::uint32_t handle, int fd)
{
    const UniqueFd folderLock = TryLockFolder(folder);
    if (!folderLock.Valid() || !SameFile(fd, RecordPath(folder, handle)))
        return;
    ::unlink(SocketPath(folder, handle).c_str());
    ::unlink(RecordPath(folder, handle).c_str());
}

std::string TemporaryPath(const std::string& folder, std::uint32_t handle)
{
    return RecordPath(folder, handle) + ".tmp";
}

// A record's temporary file whose writer died before it was linked under the record's name: its
// writer locks it at once, so a lock we can share means the writer is gone.
void RemoveDeadTemporary(const std::string& folder, std::uint32_t handle)
{
    const std::string path = TemporaryPath(folder, handle);
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd.Valid() || ::flock(fd.Get(), LOCK_SH | LOCK_NB) != 0)
        return;
    const UniqueFd folderLock = TryLockFolder(folder);
    if (folderLock.Valid() && SameFile(fd.Get(), path))
        ::unlink(path.c_str());
}

// A socket without a record: its process died between binding it and writing the record (an older
// program's order), or was killed while it removed its files. Nobody listens on it any more.
void RemoveOrphanSocket(const std::string& folder, std::uint32_t handle)
{
    const UniqueFd folderLock = TryLockFolder(folder);
    struct stat record
    {};
    if (!folderLock.Valid() || ::lstat(RecordPath(folder, handle).c_str(), &record) == 0 || errno != ENOENT)
        return;
    const std::string path = SocketPath(folder, handle);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return;
    path.copy(address.sun_path, path.size());
    const UniqueFd probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (probe.Valid() &&
        ::connect(probe.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
        errno == ECONNREFUSED)
        ::unlink(path.c_str());
}

// The handle of a name "<8 lower-case hex digits><suffix>", or 0.
std::uint32_t ParseName(const std::string_view name, std::string_view suffix)
{
    if (name.size() != 8 + suffix.size() || !name.ends_with(suffix))
        return 0;
    std::uint32_t handle = 0;
    for (const char c : name.substr(0, 8)) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return 0;
        handle = (handle << 4) | static_cast<std::uint32_t>(digit);
    }
    return handle;
}

struct FolderListing
{
    std::vector<std::uint32_t> Records;
    std::vector<std::uint32_t> Temporaries;
    std::vector<std::uint32_t> Sockets;
};

FolderListing ListFolder(const std::string& folder)
{
    FolderListing listing;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return listing;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (const std::uint32_t handle = ParseName(name, ".win"))
            listing.Records.push_back(handle);
        else if (const std::uint32_t temporary = ParseName(name, ".win.tmp"))
            listing.Temporaries.push_back(temporary);
        else if (const std::uint32_t socket = ParseName(name, ".sock"))
            listing.Sockets.push_back(socket);
    }
    ::closedir(dir);
    std::sort(listing.Records.begin(), listing.Records.end());
    return listing;
}

} // namespace

std::string WindowRecord::Encode() const
{
    return "pid " + std::to_string(Pid) + "\nclass " + std::to_string(ClassName.size()) + " " + ClassName +
           "\nname " + std::to_string(WindowName.size()) + " " + WindowName + "\n";
}

bool WindowRecord::Decode(const std::string& text, WindowRecord& record)
{
    std::size_t at = text.find('\n');
    if (text.compare(0, 4, "pid ") != 0 || at == std::string::npos)
        return false;
    record.Pid = std::strtol(text.c_str() + 4, nullptr, 10);
    ++at;
    return DecodeCounted(text, at, "class", record.ClassName) &&
           DecodeCounted(text, at, "name", record.WindowName);
}

std::string SocketPath(const std::string& folder, std::uint32_t handle)
{
    return folder + "/" + HexName(handle) + ".sock";
}

std::string RecordPath(const std::string& folder, std::uint32_t handle)
{
    return folder + "/" + HexName(handle) + ".win";
}

Creation CreateRecord(const std::string& folder, std::uint32_t handle, const WindowRecord& record,
                      UniqueFd& lock)
{
    // Written under a temporary name and linked under the record's name: a link never replaces a
    // file, so of two processes that chose the same handle only one gets it, and readers see a
    // whole record or none.
    const std::string temporary = TemporaryPath(folder, handle);
    UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.Valid())
        return errno == EEXIST ? Creation::Taken : Creation::Failed;
    // A clean-up that met the file before we locked it holds it now and takes it for a dead one.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
        return Creation::Taken;
    const std::string text = record.Encode();
    if (WriteAll(fd.Get(), text) != text.size()) {
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
        return Creation::Failed;
    }
    const int linked = ::link(temporary.c_str(), RecordPath(folder, handle).c_str());
    const int error = errno;
    ::unlink(temporary.c_str());
    if (linked != 0) {
        errno = error;
        // ENOENT: a clean-up took our temporary file for a dead one before we had locked it.
        return error == EEXIST || error == ENOENT ? Creation::Taken : Creation::Failed;
    }
    lock = std::move(fd);
    return Creation::Created;
}

Liveness ProbeRecord(const std::string& folder, std::uint32_t handle, WindowRecord* record)
{
    // A record whose lock we can share belongs to a dead process. The owner holds the lock
    // exclusively, so a shared probe fails only against a live owner, never against another probe
    // of the same record.
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
    if (record != nullptr && !ReadRecord(fd.Get(), *record))
        return Liveness::Missing;
    return Liveness::Alive;
}

std::vector<std::uint32_t> RecordedHandles(const std::string& folder)
{
    FolderListing listing = ListFolder(folder);
    for (const std::uint32_t handle : listing.Temporaries)
        RemoveDeadTemporary(folder, handle);
    for (const std::uint32_t handle : listing.Sockets) {
        if (!std::binary_search(listing.Records.begin(), listing.Records.end(), handle))
            RemoveOrphanSocket(folder, handle);
    }
    return std::move(listing.Records);
}

void RemoveWindowFiles(const std::string& folder, std::uint32_t handle)
{
    ::unlink(SocketPath(folder, handle).c_str());
    ::unlink(RecordPath(folder, handle).c_str());
}
