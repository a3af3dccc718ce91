#include "WindowClassUse.h"

#include "platform/LastError.h"
#include "platform/PlatformError.h"

#include <map>
#include <mutex>

namespace {

// How many windows of each class this process has: the one piece of process-wide state a window
// class registration needs.
struct ClassCounts
{
    std::mutex Mutex;
    std::map<std::string, int> Uses;
};

ClassCounts& Counts()
{
    static ClassCounts counts;
    return counts;
}

} // namespace

WindowClassUse::WindowClassUse(std::string name, WNDPROC procedure, HINSTANCE module)
    : FName(std::move(name)), FModule(module)
{
    ClassCounts& counts = Counts();
    std::lock_guard lock(counts.Mutex);
    int& uses = counts.Uses[FName];
    if (uses == 0) {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = module;
        windowClass.lpszClassName = FName.c_str();
        if (::RegisterClassExA(&windowClass) == 0) {
            const std::string reason = LastErrorText();
            counts.Uses.erase(FName);
            throw PlatformError("Cannot register the window class " + FName + ": " + reason);
        }
    }
    ++uses;
}

WindowClassUse::~WindowClassUse()
{
    ClassCounts& counts = Counts();
    std::lock_guard lock(counts.Mutex);
    const auto entry = counts.Uses.find(FName);
    if (entry == counts.Uses.end() || --entry->second > 0)
        return;
    counts.Uses.erase(entry);
    ::UnregisterClassA(FName.c_str(), FModule);
}
