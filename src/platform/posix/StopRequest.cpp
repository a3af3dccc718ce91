#include "platform/StopRequest.h"

#include "platform/LastError.h"
#include "platform/MessageWindow.h"
#include "platform/PlatformError.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace {

// A signal handler can reach nothing but these: the write end of the self-pipe and the number of
// stop requests so far.
int gSignalPipe = -1;                        // NOLINT
volatile std::sig_atomic_t gStopSignals = 0; // NOLINT

extern "C" void OnStopSignal(int)
{
    if (gStopSignals > 0)
        ::_exit(0);
    gStopSignals = 1;
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe, &byte, 1);
    errno = saved;
}

bool RouteStopSignals()
{
    struct sigaction action
    {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGTERM); // the handler counts: it must not run inside itself
    sigaddset(&action.sa_mask, SIGINT);
    action.sa_flags = SA_RESTART;
    struct sigaction ignore
    {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGPIPE, &ignore, nullptr) == 0;
}

// No loop waits for a request any more: from now on one ends the process at once.
void StopWatching(int readEnd)
{
    gStopSignals = 1;
    ::close(std::exchange(gSignalPipe, -1));
    ::close(readEnd);
}

} // namespace

StopRequest::StopRequest()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw PlatformError("cannot watch for signals: " + LastErrorText());
    FWakeUp = fds[0];
    gSignalPipe = fds[1];
    gStopSignals = 0;
    if (!RouteStopSignals()) {
        const std::string reason = LastErrorText();
        StopWatching(fds[0]);
        throw PlatformError("cannot watch for signals: " + reason);
    }
}

StopRequest::~StopRequest()
{
    StopWatching(static_cast<int>(FWakeUp));
}

bool StopRequest::Wait(const MessageWindow& window)
{
    for (;;) {
        pollfd fds[2] = {{window.FileDescriptor(), POLLIN, 0}, {static_cast<int>(FWakeUp), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            throw PlatformError("poll: " + LastErrorText());
        }
        if (fds[1].revents != 0)
            return false;
        if (fds[0].revents != 0)
            return true;
    }
}
