#pragma once

#include <utility>
#include <windows.h>

// Owns one window and destroys it when it goes away. Only the thread that made the window may
// destroy it, so the object belongs to that thread too.
class UniqueWindow
{
public:
    UniqueWindow() = default;
    explicit UniqueWindow(HWND window) : FWindow(window) {}
    ~UniqueWindow() { Reset(); }

    UniqueWindow(UniqueWindow&& other) noexcept : FWindow(std::exchange(other.FWindow, nullptr)) {}
    UniqueWindow& operator=(UniqueWindow&& other) noexcept
    {
        if (this != &other)
            Reset(std::exchange(other.FWindow, nullptr));
        return *this;
    }
    UniqueWindow(const UniqueWindow&) = delete;
    UniqueWindow& operator=(const UniqueWindow&) = delete;

    HWND Get() const { return FWindow; }
    bool Valid() const { return FWindow != nullptr; }
    void Reset(HWND window = nullptr)
    {
        if (FWindow != nullptr)
            ::DestroyWindow(FWindow);
        FWindow = window;
    }

private:
    HWND FWindow = nullptr;
};
