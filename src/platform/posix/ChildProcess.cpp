#include "platform/ChildProcess.h"

#include "Internal.h"
#include "Spawn.h"
#include "UniqueFd.h"
#include "platform/RuntimeFolder.h"

#include <cerrno>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

std::string ExitRecordPath(pid_t pid)
{
    return (RuntimeFolder() / ("exit-" + std::to_string(pid))).string();
}

pid_t SpawnProgram(const std::vector<std::string>& argv, int& errorNumber)
{
    const pid_t pid = SpawnArgv(argv, errorNumber);
    if (pid != 0)
        ::unlink(ExitRecordPath(pid).c_str());
    return pid;
}

namespace {

int ExitCodeOf(const siginfo_t& info)
{
    if (info.si_code == CLD_EXITED)
        return info.si_status;
    return 128 + info.si_status;
}

// Waits for the child to end (or for the stop event), records its code when asked, then reaps it.
void WatchChild(pid_t pid, bool recordExitCode, std::string recordPath, int stopEvent)
{
    const UniqueFd pidfd(OpenPidFd(pid));
    if (pidfd.Valid()) {
        pollfd waits[2] = {{pidfd.Get(), POLLIN, 0}, {stopEvent, POLLIN, 0}};
        for (;;) {
            const int ready = ::poll(waits, 2, -1);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0 || waits[1].revents != 0)
                return;
            if (waits[0].revents != 0)
                break;
        }
    }
    siginfo_t info{};
    // WNOWAIT leaves the child a zombie until its code is recorded, so a client that can no
    // longer open the process can count on finding the record.
    while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0) {
        if (errno != EINTR)
            return;
    }
    if (recordExitCode)
        WriteFileAtomically(recordPath, std::to_string(ExitCodeOf(info)));
    while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED) != 0 && errno == EINTR) {
    }
}

} // namespace

struct ChildReaper::Impl
{
    std::mutex Mutex;
    std::vector<std::thread> Threads;
    UniqueFd StopEvent{::eventfd(0, EFD_CLOEXEC)};
};

ChildReaper::ChildReaper() : FImpl(std::make_unique<Impl>()) {}

ChildReaper::~ChildReaper()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(FImpl->StopEvent.Get(), &one, sizeof one);
    for (std::thread& thread : FImpl->Threads)
        thread.join();
}

void ChildReaper::Watch(pid_t pid, bool recordExitCode)
{
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Threads.emplace_back(WatchChild, pid, recordExitCode, ExitRecordPath(pid), FImpl->StopEvent.Get());
}
