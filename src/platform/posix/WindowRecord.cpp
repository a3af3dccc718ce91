#include "WindowRecord.h"

#include "FileIo.h"
#include "Internal.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// The record `fd` belongs to a dead process and we hold a lock on it: remove it and the socket,
// unless the path has meanwhile come to name another record.
void RemoveDeadWindow(const std::string& folder, std::uint32_t handle, int fd)
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

bool ParseRecordName(const char* name, std::uint32_t& handle)
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
        handle = (handle << 4) | static_cast<std::uint32_t>(digit);
    }
    return handle != 0;
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

UniqueFd LockFolder(const std::string& folder)
{
    UniqueFd fd(::open((folder + "/windows.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.Valid() || !LockExclusive(fd.Get()))
        return UniqueFd();
    return fd;
}

UniqueFd WriteLockedRecord(const std::string& path, const WindowRecord& record)
{
    const std::string temporary = path + ".tmp";
    UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.Valid() || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
        return UniqueFd();
    const std::string text = record.Encode();
    if (WriteAll(fd.Get(), text) != text.size() || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return UniqueFd();
    }
    return fd;
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
    std::vector<std::uint32_t> handles;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return handles;
    while (const dirent* entry = ::readdir(dir)) {
        std::uint32_t handle = 0;
        if (ParseRecordName(entry->d_name, handle))
            handles.push_back(handle);
    }
    ::closedir(dir);
    std::sort(handles.begin(), handles.end());
    return handles;
}

void RemoveWindowFiles(const std::string& folder, std::uint32_t handle)
{
    ::unlink(RecordPath(folder, handle).c_str());
    ::unlink(SocketPath(folder, handle).c_str());
}
