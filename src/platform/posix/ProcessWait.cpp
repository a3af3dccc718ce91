#include "platform/ProcessWait.h"

#include "Spawn.h"
#include "platform/ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

// How long an ended process may stay unrecorded before we stop expecting a record.
constexpr auto kRecordPatience = std::chrono::seconds(5);

std::optional<std::int32_t> TakeRecord(pid_t pid)
{
    const std::string path = ExitRecordPath(pid);
    std::ifstream in(path);
    if (!in)
        return std::nullopt;
    long code = 0;
    in >> code;
    ::unlink(path.c_str());
    return static_cast<std::int32_t>(code);
}

bool RecordExists(pid_t pid)
{
    struct stat info
    {};
    return ::stat(ExitRecordPath(pid).c_str(), &info) == 0;
}

// Whether the process has been reaped by its parent (a zombie still answers signal 0).
bool Reaped(int pidfd)
{
    return ::syscall(SYS_pidfd_send_signal, pidfd, 0, nullptr, 0) != 0 && errno == ESRCH;
}

} // namespace

std::unique_ptr<ProcessWaiter> ProcessWaiter::Open(ProcessId pid)
{
    if (pid <= 0)
        return nullptr;
    // A record means our program has ended (the server removes stale ones before it hands a
    // process id out), even when its id now belongs to an unrelated process that a pidfd would
    // open.
    if (RecordExists(pid))
        return std::unique_ptr<ProcessWaiter>(new ProcessWaiter(pid, -1));
    const int pidfd = OpenPidFd(pid);
    if (pidfd >= 0)
        return std::unique_ptr<ProcessWaiter>(new ProcessWaiter(pid, pidfd));
    // It may have ended and been recorded between the two looks.
    if (RecordExists(pid))
        return std::unique_ptr<ProcessWaiter>(new ProcessWaiter(pid, -1));
    return nullptr;
}

ProcessWaiter::~ProcessWaiter()
{
    if (FHandle >= 0)
        ::close(static_cast<int>(FHandle));
}

std::optional<std::int32_t> ProcessWaiter::WaitForExitCode()
{
    if (FHandle < 0)
        return TakeRecord(FPid);
    const int pidfd = static_cast<int>(FHandle);
    pollfd wait{pidfd, POLLIN, 0};
    while (::poll(&wait, 1, -1) < 0 && errno == EINTR) {
    }
    const auto giveUp = std::chrono::steady_clock::now() + kRecordPatience;
    for (;;) {
        if (auto code = TakeRecord(FPid))
            return code;
        if (Reaped(pidfd))
            return TakeRecord(FPid);
        if (std::chrono::steady_clock::now() > giveUp)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
