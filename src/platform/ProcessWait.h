#pragma once

#include "platform/ProcessId.h"

#include <cstdint>
#include <memory>
#include <optional>

// The client's half of waiting for a program that the server started (see ChildProcess.h for how
// each system lets the client learn the exit code).
class ProcessWaiter
{
public:
    // Opens the process for waiting only (Linux: a pidfd, close-on-exec; Windows: a handle with
    // the right to wait and to ask for the exit code). nullptr when there is no such process,
    // unless (Linux) it has already ended and left its exit record.
    static std::unique_ptr<ProcessWaiter> Open(ProcessId pid);

    ~ProcessWaiter();

    ProcessWaiter(const ProcessWaiter&) = delete;
    ProcessWaiter& operator=(const ProcessWaiter&) = delete;

    // Blocks without a time limit until the process has ended (no messages are served meanwhile),
    // then returns its exit code (Linux: the server's record, which is removed). std::nullopt when
    // it cannot be learnt: on Linux nobody recorded one because the process was not started by our
    // server with the wait flag (given up when the ended process stays unrecorded for a few
    // seconds).
    std::optional<std::int32_t> WaitForExitCode();

private:
    ProcessWaiter(ProcessId pid, std::intptr_t handle) : FPid(pid), FHandle(handle) {}

    ProcessId FPid;
    // Linux: the pidfd, or -1 when the process had already gone and only its record is left.
    // Windows: the process handle.
    std::intptr_t FHandle;
};
