#pragma once

#include <cstdint>

class MessageWindow;

// The system's requests that a resident program stop, turned into something its main loop can
// wait for beside its message window: SIGTERM and SIGINT on POSIX; Ctrl+C, Ctrl+Break, the
// console's close and WM_QUIT on Windows.
//
// The first request is answered by Wait() returning false, so the program can shut down in order.
// Shutting down may wait on a peer that never answers, and only another request can get the
// program past that: the second one ends the process at once with exit code 0. While it watches,
// a write to a peer that has gone fails instead of killing the program (POSIX: SIGPIPE is ignored).
//
// One per process, for the life of its main loop, on the thread that made its message window.
class StopRequest
{
public:
    // Throws PlatformError when the requests cannot be watched.
    StopRequest();
    // Stops watching. The requests stay with this program until it ends: one that comes later ends
    // it at once with exit code 0, as nothing waits to shut it down in order.
    ~StopRequest();

    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    // Blocks until `window` has something to do (true: call its ServePending()) or a stop has
    // been requested (false). Throws PlatformError when waiting fails.
    bool Wait(const MessageWindow& window);

private:
    // The read end of the signal pipe (POSIX) or the event the console's handler sets (Windows).
    std::intptr_t FWakeUp = -1;
};
