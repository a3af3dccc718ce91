#include "platform/ChildProcess.h"

#include "UniqueHandle.h"
#include "platform/WindowsWords.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>
#include <windows.h>

namespace {

// How long an ended program started with the wait flag is kept for its client. The client opens
// it as soon as it has its id, so this only has to outlast a busy moment.
constexpr ULONGLONG kKeepEndedMilliseconds = 60 * 1000;

// How often programs that do not fit in one wait are looked at.
constexpr DWORD kCrowdPollMilliseconds = 100;

struct HeldProgram
{
    UniqueHandle Process;
    ULONGLONG EndedAt = 0; // 0 while it runs
};

bool HasEnded(HANDLE process)
{
    return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

} // namespace

// One thread keeps the programs that a client may wait for, however many they are: while each runs
// and for kKeepEndedMilliseconds after its end. `WakeEvent` tells the thread that the list changed
// or that it must stop.
struct ChildReaper::Impl
{
    std::mutex Mutex;
    std::vector<HeldProgram> Programs; // guarded by Mutex; only the thread removes entries
    bool Stopping = false;             // guarded by Mutex
    UniqueHandle WakeEvent{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    std::thread Thread;

    // The handles to wait on (the wake event first) and how long to wait at most.
    DWORD Prepare(std::vector<HANDLE>& waits, ULONGLONG now)
    {
        waits.assign(1, WakeEvent.Get());
        DWORD timeout = INFINITE;
        for (const HeldProgram& program : Programs) {
            if (program.EndedAt != 0) {
                const ULONGLONG due = program.EndedAt + kKeepEndedMilliseconds;
                timeout = std::min<DWORD>(timeout, due > now ? static_cast<DWORD>(due - now) : 0);
            } else if (waits.size() < MAXIMUM_WAIT_OBJECTS) {
                waits.push_back(program.Process.Get());
            } else {
                timeout = std::min(timeout, kCrowdPollMilliseconds);
            }
        }
        return timeout;
    }

    void Sweep(ULONGLONG now)
    {
        for (HeldProgram& program : Programs) {
            if (program.EndedAt == 0 && HasEnded(program.Process.Get()))
                program.EndedAt = now;
        }
        std::erase_if(Programs, [now](const HeldProgram& program) {
            return program.EndedAt != 0 && now - program.EndedAt >= kKeepEndedMilliseconds;
        });
    }

    void Run()
    {
        std::vector<HANDLE> waits;
        for (;;) {
            DWORD timeout = INFINITE;
            {
                std::lock_guard lock(Mutex);
                if (Stopping)
                    return;
                timeout = Prepare(waits, ::GetTickCount64());
            }
            ::WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE, timeout);
            std::lock_guard lock(Mutex);
            Sweep(::GetTickCount64());
        }
    }

    // Takes the process over; leaves it with the caller when it cannot be kept.
    bool Hold(UniqueHandle& process)
    {
        if (!WakeEvent.Valid())
            return false;
        try {
            std::lock_guard lock(Mutex);
            if (!Thread.joinable())
                Thread = std::thread([this] { Run(); });
            Programs.reserve(Programs.size() + 1); // so that a failed push leaves the process with the caller
            Programs.push_back({std::move(process), 0});
        } catch (const std::exception&) {
            return false;
        }
        ::SetEvent(WakeEvent.Get());
        return true;
    }
};

ChildReaper::ChildReaper() : FImpl(std::make_unique<Impl>()) {}

ChildReaper::~ChildReaper()
{
    {
        std::lock_guard lock(FImpl->Mutex);
        FImpl->Stopping = true;
    }
    ::SetEvent(FImpl->WakeEvent.Get());
    if (FImpl->Thread.joinable())
        FImpl->Thread.join();
}

ProcessId ChildReaper::Start(const std::vector<std::string>& argv, bool recordExitCode, int& errorNumber)
{
    if (argv.empty() || argv[0].empty()) {
        errorNumber = ERROR_FILE_NOT_FOUND;
        return 0;
    }
    std::string commandLine = JoinWindowsCommandLine(argv);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // No application name: the system finds the program as a command line would (its folder, the
    // current folder, the system folders, PATH; ".exe" added).
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started)) {
        errorNumber = static_cast<int>(::GetLastError());
        return 0;
    }
    ::CloseHandle(started.hThread);
    UniqueHandle process(started.hProcess);
    errorNumber = 0;
    // A program nobody waits for needs no one to see it end.
    if (recordExitCode && !FImpl->Hold(process)) {
        ::TerminateProcess(process.Get(), 1);
        errorNumber = ERROR_NOT_ENOUGH_MEMORY;
        return 0;
    }
    return static_cast<ProcessId>(started.dwProcessId);
}
