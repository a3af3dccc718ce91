#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// A named mutex for the single-instance rule: an flock'ed file "mutex-<name>.lock" in
// RuntimeFolder() (bytes outside A-Z a-z 0-9 . _ - are written as %XX; names are case-sensitive).
//
// Testing for a running instance and taking the mutex are one atomic step (a non-blocking flock),
// so of several processes that try at the same moment exactly one gets it. The lock is released by
// the kernel when the holder's process ends in any way, and the lock file is never removed (removing
// it would let two holders lock two different files).
class NamedMutex
{
public:
    // The mutex if nobody holds it (we hold it from now on), or nullptr when another holder has it,
    // also another NamedMutex of this same process. Throws PlatformError when the runtime folder is
    // refused or the lock file cannot be opened.
    static std::unique_ptr<NamedMutex> TryAcquire(std::string_view name);

    ~NamedMutex(); // releases the lock

    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // A non-zero 32-bit value that stands for this mutex inside this process (for a peer record);
    // it means nothing to other processes.
    std::uint32_t Handle() const { return FHandle; }

private:
    NamedMutex(int fd, std::uint32_t handle) : FFd(fd), FHandle(handle) {}

    int FFd;
    std::uint32_t FHandle;
};
