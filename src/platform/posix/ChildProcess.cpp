#include "platform/ChildProcess.h"

#include "Internal.h"
#include "Spawn.h"
#include "UniqueFd.h"
#include "platform/RuntimeFolder.h"

#include <cerrno>
#include <csignal>
#include <exception>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <thread>
#include <type_traits>
#include <unistd.h>

static_assert(std::is_same_v<pid_t, ProcessId>, "process ids travel in messages as 32-bit numbers");

std::string ExitRecordPath(ProcessId pid)
{
    return (RuntimeFolder() / ("exit-" + std::to_string(pid))).string();
}

namespace {

void KillAndReap(pid_t pid)
{
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

namespace {

int ExitCodeOf(const siginfo_t& info)
{
    if (info.si_code == CLD_EXITED)
        return info.si_status;
    return 128 + info.si_status;
}

// How often children without a pidfd are looked at; only a kernel without pidfd_open has them.
constexpr int kFallbackPollMilliseconds = 100;

struct WatchedChild
{
    pid_t Pid = 0;
    bool RecordExitCode = false;
    std::string RecordPath; // found when the child is handed over: the thread must not throw
    UniqueFd PidFd;         // invalid when pidfd_open failed: the child is then checked every so often
};

// Whether the child has ended, without reaping it and without blocking.
bool HasEnded(pid_t pid)
{
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
        if (errno != EINTR)
            return true; // not our child (any more): nothing left to wait for
    }
    return info.si_pid != 0;
}

// Records the ended child's code when asked, then reaps it.
void Finish(const WatchedChild& child)
{
    siginfo_t info{};
    // WNOWAIT leaves the child a zombie until its code is recorded, so a client that can no
    // longer open the process can count on finding the record.
    while (::waitid(P_PID, static_cast<id_t>(child.Pid), &info, WEXITED | WNOWAIT) != 0) {
        if (errno != EINTR)
            return;
    }
    if (child.RecordExitCode)
        WriteFileAtomically(child.RecordPath, std::to_string(ExitCodeOf(info)));
    while (::waitid(P_PID, static_cast<id_t>(child.Pid), &info, WEXITED) != 0 && errno == EINTR) {
    }
}

} // namespace

// One thread watches every child, so a server that starts many programs keeps one thread (and
// its stack) however many it started. `WakeEvent` tells the thread that the list changed or that
// it must stop.
struct ChildReaper::Impl
{
    std::mutex Mutex;
    std::vector<WatchedChild> Children; // guarded by Mutex
    bool Stopping = false;              // guarded by Mutex
    UniqueFd WakeEvent{::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)};
    std::thread Thread;

    void Wake() const
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(WakeEvent.Get(), &one, sizeof one);
    }

    void Run()
    {
        std::vector<pollfd> waits;
        for (;;) {
            bool fallback = false;
            waits.assign(1, {WakeEvent.Get(), POLLIN, 0});
            {
                std::lock_guard lock(Mutex);
                if (Stopping)
                    return;
                for (const WatchedChild& child : Children) {
                    waits.push_back({child.PidFd.Get(), POLLIN, 0}); // fd -1 is skipped by poll
                    fallback = fallback || !child.PidFd.Valid();
                }
            }
            const int ready = ::poll(waits.data(), waits.size(), fallback ? kFallbackPollMilliseconds : -1);
            if (ready < 0 && errno != EINTR) // out of memory: no child may be given up for that
                ::poll(nullptr, 0, kFallbackPollMilliseconds);
            if (waits[0].revents != 0) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t ignored = ::read(WakeEvent.Get(), &count, sizeof count);
            }
            FinishEnded(waits);
        }
    }

    bool Watch(pid_t pid, bool recordExitCode)
    {
        if (!WakeEvent.Valid())
            return false;
        try {
            std::string recordPath = ExitRecordPath(pid);
            ::unlink(recordPath.c_str()); // stale, from an earlier process of the same id
            if (!recordExitCode)
                recordPath.clear();
            std::lock_guard lock(Mutex);
            if (!Thread.joinable())
                Thread = std::thread([this] { Run(); });
            Children.push_back({pid, recordExitCode, std::move(recordPath), UniqueFd(OpenPidFd(pid))});
        } catch (const std::exception&) {
            return false; // no thread, no memory or no runtime folder: the caller takes care of it
        }
        Wake();
        return true;
    }

    // Children are only ever appended while the thread polls, so the first entries of the list
    // are the ones that `waits` (after the wake event) stands for.
    void FinishEnded(const std::vector<pollfd>& waits)
    {
        std::vector<WatchedChild> ended;
        {
            std::lock_guard lock(Mutex);
            for (std::size_t i = Children.size(); i-- > 0;) {
                const bool polled = i + 1 < waits.size();
                const bool signalled = polled && Children[i].PidFd.Valid() && waits[i + 1].revents != 0;
                const bool gone = !Children[i].PidFd.Valid() && HasEnded(Children[i].Pid);
                if (signalled || gone) {
                    ended.push_back(std::move(Children[i]));
                    Children.erase(Children.begin() + static_cast<std::ptrdiff_t>(i));
                }
            }
        }
        for (const WatchedChild& child : ended)
            Finish(child);
    }
};

ChildReaper::ChildReaper() : FImpl(std::make_unique<Impl>()) {}

ChildReaper::~ChildReaper()
{
    {
        std::lock_guard lock(FImpl->Mutex);
        FImpl->Stopping = true;
    }
    FImpl->Wake();
    if (FImpl->Thread.joinable())
        FImpl->Thread.join();
}

ProcessId ChildReaper::Start(const std::vector<std::string>& argv, bool recordExitCode, int& errorNumber)
{
    const pid_t pid = SpawnArgv(argv, errorNumber);
    if (pid == 0)
        return 0;
    if (!FImpl->Watch(pid, recordExitCode)) {
        // Better not started than left a zombie with nobody to record its end.
        KillAndReap(pid);
        errorNumber = EAGAIN;
        return 0;
    }
    return pid;
}
