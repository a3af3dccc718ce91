#pragma once

#include <string>
#include <windows.h>

// This process's use of a window class: the first use of a class name registers the class with
// `procedure`, and the end of the last one unregisters it. A class is registered once per name and
// process; the system knows it by name alone.
class WindowClassUse
{
public:
    // Throws PlatformError when the class cannot be registered.
    WindowClassUse(std::string name, WNDPROC procedure, HINSTANCE module);
    // Destroy every window of the class first: the system keeps a class that still has one.
    ~WindowClassUse();

    WindowClassUse(const WindowClassUse&) = delete;
    WindowClassUse& operator=(const WindowClassUse&) = delete;

    const std::string& Name() const { return FName; }

private:
    std::string FName;
    HINSTANCE FModule;
};
