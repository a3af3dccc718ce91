#include "platform/ProcessWait.h"

#include "UniqueHandle.h"

#include <windows.h>

std::unique_ptr<ProcessWaiter> ProcessWaiter::Open(ProcessId pid)
{
    if (pid <= 0)
        return nullptr;
    // The system keeps an ended process, exit code and all, while anybody holds it; the server
    // holds the programs it started with the wait flag long enough for us to get here.
    UniqueHandle process(
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
    if (!process.Valid())
        return nullptr;
    return std::unique_ptr<ProcessWaiter>(
        new ProcessWaiter(pid, reinterpret_cast<std::intptr_t>(process.Release())));
}

ProcessWaiter::~ProcessWaiter()
{
    ::CloseHandle(reinterpret_cast<HANDLE>(FHandle));
}

std::optional<std::int32_t> ProcessWaiter::WaitForExitCode()
{
    const auto process = reinterpret_cast<HANDLE>(FHandle);
    if (::WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    if (!::GetExitCodeProcess(process, &code))
        return std::nullopt;
    return static_cast<std::int32_t>(code);
}
