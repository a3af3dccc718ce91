#pragma once

#include "platform/ProcessId.h"

#include <cstdint>
#include <memory>
#include <optional>

// The client's half of waiting for a program that the server started (see ChildProcess.h for why
// the exit code comes from a record of the server and not from the system).
class ProcessWaiter
{
public:
    // Opens the process for waiting only (a pidfd, close-on-exec). nullptr when there is no such
    // process, unless it has already ended and left its exit record.
    static std::unique_ptr<ProcessWaiter> Open(ProcessId pid);

    ~ProcessWaiter();

    ProcessWaiter(const ProcessWaiter&) = delete;
    ProcessWaiter& operator=(const ProcessWaiter&) = delete;

    // Blocks without a time limit until the process has ended (no messages are served meanwhile),
    // then returns its recorded exit code and removes the record. std::nullopt when nobody recorded
    // one: the process was not started by our server with the wait flag (given up when the ended
    // process stays unrecorded for a few seconds).
    std::optional<std::int32_t> WaitForExitCode();

private:
    ProcessWaiter(ProcessId pid, int pidfd) : FPid(pid), FPidFd(pidfd) {}

    ProcessId FPid;
    int FPidFd; // -1 when the process had already gone and only its record is left
};
