#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// A named mutex for the single-instance rule. Testing for a running instance and taking the mutex
// are one atomic step, so of several processes that try at the same moment exactly one gets it, and
// the system releases it when the holder's process ends in any way.
//
// Linux: an flock'ed file "mutex-<name>.lock" in RuntimeFolder() (bytes outside A-Z a-z 0-9 . _ -
// are written as %XX; names are case-sensitive), taken with a non-blocking flock. The lock file is
// never removed (removing it would let two holders lock two different files).
//
// Windows: the system's named mutex (CreateMutex; whoever finds it already there does not hold it).
// Names are case-sensitive there too; a "\" in a name is a namespace separator to the system, so
// it is written as "/" ("\" is not allowed in a mutex name).
class NamedMutex
{
public:
    // The mutex if nobody holds it (we hold it from now on), or nullptr when another holder has it,
    // also another NamedMutex of this same process. Throws PlatformError when the runtime folder is
    // refused or the lock file cannot be opened (Linux), or the mutex cannot be created (Windows).
    static std::unique_ptr<NamedMutex> TryAcquire(std::string_view name);

    ~NamedMutex(); // releases the lock

    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // A non-zero 32-bit value that stands for this mutex inside this process (for a peer record);
    // it means nothing to other processes.
    std::uint32_t Handle() const { return FHandle; }

private:
    NamedMutex(std::intptr_t systemHandle, std::uint32_t handle)
        : FSystemHandle(systemHandle), FHandle(handle)
    {}

    std::intptr_t FSystemHandle; // the locked file's descriptor, or the mutex's handle
    std::uint32_t FHandle;
};
