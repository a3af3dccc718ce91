#include "support/WriteAll.h"

#include <cerrno>
#include <csignal>
#include <pthread.h>
#include <unistd.h>

bool WriteAll(int fd, std::string_view bytes)
{
    // Block the signal for the write and take back one that it raised.
    sigset_t pipeSignal;
    sigset_t saved;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &saved);
    std::size_t done = 0;
    while (fd >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    const timespec now{};
    while (::sigtimedwait(&pipeSignal, nullptr, &now) < 0 && errno == EINTR) {
    }
    ::pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    return done == bytes.size();
}
