#include "platform/NamedMutex.h"

#include "UniqueHandle.h"
#include "platform/LastError.h"
#include "platform/PlatformError.h"

#include <windows.h>

namespace {

// "\" separates the system's namespaces ("Local\", "Global\") and is refused inside a name.
std::string SystemName(std::string_view name)
{
    std::string systemName(name);
    for (char& c : systemName) {
        if (c == '\\')
            c = '/';
    }
    return systemName;
}

} // namespace

std::unique_ptr<NamedMutex> NamedMutex::TryAcquire(std::string_view name)
{
    const std::string systemName = SystemName(name);
    // Creating and finding it there already are one step of the system's, so of two processes
    // exactly one creates it.
    UniqueHandle mutex(::CreateMutexA(nullptr, TRUE, systemName.c_str()));
    if (!mutex.Valid())
        throw PlatformError("Cannot create the mutex " + systemName + ": " + LastErrorText());
    if (::GetLastError() == ERROR_ALREADY_EXISTS)
        return nullptr;
    // A handle is a small non-zero number, as a peer record expects.
    const auto handle = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(mutex.Get()));
    return std::unique_ptr<NamedMutex>(
        new NamedMutex(reinterpret_cast<std::intptr_t>(mutex.Release()), handle));
}

NamedMutex::~NamedMutex()
{
    const auto mutex = reinterpret_cast<HANDLE>(FSystemHandle);
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
}
