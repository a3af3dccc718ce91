#pragma once

#include <utility>
#include <windows.h>

// Owns one open registry key and closes it when it goes away.
class UniqueKey
{
public:
    UniqueKey() = default;
    explicit UniqueKey(HKEY key) : FKey(key) {}
    ~UniqueKey()
    {
        if (FKey != nullptr)
            ::RegCloseKey(FKey);
    }

    UniqueKey(UniqueKey&& other) noexcept : FKey(std::exchange(other.FKey, nullptr)) {}
    UniqueKey& operator=(UniqueKey&& other) noexcept
    {
        std::swap(FKey, other.FKey);
        return *this;
    }
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;

    HKEY Get() const { return FKey; }
    // For the calls that hand a key out through a pointer; whatever was held is closed first.
    HKEY* Receive()
    {
        *this = UniqueKey();
        return &FKey;
    }

private:
    HKEY FKey = nullptr;
};
