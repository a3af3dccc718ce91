#pragma once

// The system's requests that a resident program stop (SIGTERM and SIGINT), turned into something
// its main loop can wait for beside its message window.
//
// The first request is answered by Wait() returning false, so the program can shut down in order.
// Shutting down may wait on a peer that never answers, and only another request can get the
// program past that: the second one ends the process at once with exit code 0. While it watches,
// a write to a peer that has gone fails instead of killing the program (SIGPIPE is ignored).
//
// One per process, for the life of its main loop.
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

    // Blocks until `windowDescriptor` (MessageWindow::FileDescriptor()) has something to do
    // (true) or a stop has been requested (false). Throws PlatformError when waiting fails.
    bool Wait(int windowDescriptor);

private:
    int FReadEnd = -1;
};
