#pragma once

#include <utility>
#include <windows.h>

// Owns one kernel object handle and closes it when it goes away. Both null and
// INVALID_HANDLE_VALUE (what the system returns for "none", depending on the call) are no handle.
class UniqueHandle
{
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : FHandle(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(std::exchange(other.FHandle, nullptr));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return FHandle; }
    bool Valid() const { return FHandle != nullptr && FHandle != INVALID_HANDLE_VALUE; }
    HANDLE Release() { return std::exchange(FHandle, nullptr); }
    void Reset(HANDLE handle = nullptr)
    {
        if (Valid())
            ::CloseHandle(FHandle);
        FHandle = handle;
    }

private:
    HANDLE FHandle = nullptr;
};
