#include "ConnectionSet.h"

#include "platform/LastError.h"
#include "platform/MessageWindow.h"
#include "platform/PlatformError.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

// One descriptor held by the process while it has windows, so that a pending connection can still
// be taken (and refused) when the process has run out of descriptors; otherwise the connection
// would stay pending and the listening socket readable, and whoever watches it would spin.
struct DescriptorReserve
{
    std::mutex Mutex;
    UniqueFd Fd{::open("/dev/null", O_RDONLY | O_CLOEXEC)};
};

DescriptorReserve& Reserve()
{
    static DescriptorReserve reserve;
    return reserve;
}

// Out of descriptors: frees the reserve to take one pending connection and close it at once (its
// sender sees Broken), then takes the reserve back.
bool RefuseWithReserve(int listening)
{
    DescriptorReserve& reserve = Reserve();
    std::lock_guard lock(reserve.Mutex);
    reserve.Fd.Reset();
    const UniqueFd refused(::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC));
    reserve.Fd.Reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    return refused.Valid();
}

void WatchAlways(int epoll, int fd)
{
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    if (::epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event) != 0)
        throw PlatformError("Cannot watch a window's socket: " + LastErrorText());
}

} // namespace

ConnectionSet::ConnectionSet(int listening, std::uint32_t window)
    : FListening(listening), FWindow(window), FEpoll(::epoll_create1(EPOLL_CLOEXEC)),
      FTimer(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC))
{
    if (!FEpoll.Valid() || !FTimer.Valid())
        throw PlatformError("Cannot watch a window's socket: " + LastErrorText());
    WatchAlways(FEpoll.Get(), FListening);
    WatchAlways(FEpoll.Get(), FTimer.Get());
    Reserve(); // taken now, while descriptors are to be had
}

std::vector<CompletedFrame> ConnectionSet::Collect(bool everyPending)
{
    std::vector<CompletedFrame> done;
    // With no connection in progress and the timer not due, only the listening socket can have
    // woken the caller: no need to ask the set.
    if (FIncoming.empty() && (FArmedFor == Clock::time_point{} || Clock::now() < FArmedFor)) {
        AcceptPending(done, everyPending);
        if (!FIncoming.empty())
            ArmTimer();
        return done;
    }
    constexpr int kEvents = 64;
    epoll_event events[kEvents];
    for (;;) {
        const int n = ::epoll_wait(FEpoll.Get(), events, kEvents, 0);
        if (n < 0 && errno == EINTR)
            continue;
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            if (fd == FListening) {
                AcceptPending(done, everyPending);
            } else if (fd == FTimer.Get()) {
                std::uint64_t expirations = 0;
                [[maybe_unused]] const ssize_t ignored = ::read(fd, &expirations, sizeof expirations);
            } else {
                Advance(fd, done);
            }
        }
        if (n < kEvents)
            break;
    }
    DropExpired();
    ArmTimer();
    return done;
}

void ConnectionSet::AcceptPending(std::vector<CompletedFrame>& done, bool everyPending)
{
    for (;;) {
        UniqueFd connection(::accept4(FListening, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!connection.Valid()) {
            // A connection that was reset before we took it is not a reason to stop.
            if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO)
                continue;
            if ((errno == EMFILE || errno == ENFILE) && RefuseWithReserve(FListening))
                continue;
            return;
        }
        if (!PeerIsThisUser(connection.Get()))
            continue;
        const auto now = Clock::now();
        Incoming incoming{std::move(connection), FrameReader(FWindow),
                          now + std::chrono::milliseconds(kFrameDeadlineMilliseconds),
                          now + std::chrono::milliseconds(kFrameTimeoutMilliseconds)};
        // A small frame is usually there already: it then never needs watching.
        bool progressed = false;
        const Progress progress = incoming.Reader.ReadFrom(incoming.Connection.Get(), progressed);
        if (progress == Progress::Done)
            done.push_back(
                {std::move(incoming.Connection), incoming.Reader.Frame(), incoming.Reader.TakeBytes()});
        if (progress == Progress::Pending)
            Watch(std::move(incoming));
        // One per round is enough where the caller watches the set anyway: it stays readable.
        if (!everyPending)
            return;
    }
}

void ConnectionSet::Watch(Incoming incoming)
{
    // One event, then the connection is left out until it is armed again: a connection whose frame
    // is whole needs no call to leave the set (closing it does that), and one that is being
    // served cannot wake a nested wait while its procedure runs.
    const int fd = incoming.Connection.Get();
    epoll_event event{};
    event.events = EPOLLIN | EPOLLONESHOT;
    event.data.fd = fd;
    if (::epoll_ctl(FEpoll.Get(), EPOLL_CTL_ADD, fd, &event) == 0)
        FIncoming.emplace(fd, std::move(incoming));
    // Otherwise it is dropped, and its sender sees Broken.
}

void ConnectionSet::Advance(int fd, std::vector<CompletedFrame>& done)
{
    const auto at = FIncoming.find(fd);
    if (at == FIncoming.end())
        return;
    Incoming& incoming = at->second;
    bool progressed = false;
    const Progress progress = incoming.Reader.ReadFrom(fd, progressed);
    if (progressed)
        incoming.NextBytesBy = Clock::now() + std::chrono::milliseconds(kFrameTimeoutMilliseconds);
    if (progress == Progress::Pending) {
        epoll_event event{};
        event.events = EPOLLIN | EPOLLONESHOT;
        event.data.fd = fd;
        if (::epoll_ctl(FEpoll.Get(), EPOLL_CTL_MOD, fd, &event) != 0)
            FIncoming.erase(at);
        return;
    }
    if (progress == Progress::Done)
        done.push_back(
            {std::move(incoming.Connection), incoming.Reader.Frame(), incoming.Reader.TakeBytes()});
    FIncoming.erase(at);
}

void ConnectionSet::DropExpired()
{
    const auto now = Clock::now();
    for (auto at = FIncoming.begin(); at != FIncoming.end();) {
        const auto next = std::next(at);
        if (now >= std::min(at->second.WholeBy, at->second.NextBytesBy))
            FIncoming.erase(at); // closing it takes it out of the set
        at = next;
    }
}

void ConnectionSet::ArmTimer()
{
    // Peers' time-outs only move later, so a timer that is set stays right until it is due; it is
    // set again only then, or for a time-out before it, rather than twice for every connection.
    const auto now = Clock::now();
    const bool pending = FArmedFor != Clock::time_point{} && now < FArmedFor;
    Clock::time_point earliest{};
    for (const auto& [fd, incoming] : FIncoming) {
        const auto expiry = std::min(incoming.WholeBy, incoming.NextBytesBy);
        if (earliest == Clock::time_point{} || expiry < earliest)
            earliest = expiry;
    }
    if (pending && (earliest == Clock::time_point{} || earliest >= FArmedFor))
        return;
    if (!pending && earliest == FArmedFor)
        return;
    // The steady clock is CLOCK_MONOTONIC, so its time points serve as the timer's absolute time.
    const auto since = earliest.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
    itimerspec when{};
    when.it_value.tv_sec = seconds.count();
    when.it_value.tv_nsec = std::chrono::duration_cast<std::chrono::nanoseconds>(since - seconds).count();
    if (::timerfd_settime(FTimer.Get(), TFD_TIMER_ABSTIME, &when, nullptr) == 0)
        FArmedFor = earliest;
}
