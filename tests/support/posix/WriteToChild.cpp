#include "support/WriteToChild.h"

#include "platform/posix/FileIo.h"

#include <cerrno>
#include <csignal>
#include <pthread.h>

bool WriteToChild(std::intptr_t input, std::string_view bytes)
{
    const int fd = static_cast<int>(input);
    if (fd < 0)
        return false;
    // Block the signal for the write and take back one that it raised.
    sigset_t pipeSignal;
    sigset_t saved;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &saved);
    const bool whole = WriteAll(fd, bytes) == bytes.size();
    const timespec now{};
    while (::sigtimedwait(&pipeSignal, nullptr, &now) < 0 && errno == EINTR) {
    }
    ::pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    return whole;
}
