#pragma once

#include "platform/ProcessId.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The server's half of "start a program and let the client wait for it".
//
// On Linux only a parent can learn its child's exit code, but the program that waits for it (the
// client that asked the server) is not the parent. So the server, which is the parent, records the
// exit code of every program it started with the wait flag in a file "exit-<pid>" of
// RuntimeFolder() (the code as decimal text; written atomically). The record is written BEFORE the
// child is reaped, so while the process id can still be opened the record may be missing, but once
// the process is gone for good its record is there. ProcessWait.h is the client's half.

// Starts argv[0] with the arguments argv[1..] with posix_spawnp (no shell), signal dispositions and
// mask reset to the defaults. Returns the process id, or 0 with `errorNumber` set to the errno value.
// A stale exit record of the same process id is removed before the id is handed out.
ProcessId SpawnProgram(const std::vector<std::string>& argv, int& errorNumber);

// Kills a child we started and reaps it (for a child that cannot be watched: better not started
// than left a zombie with nobody to record its end).
void KillAndReap(ProcessId pid);

// Path of the exit record of a process id.
std::string ExitRecordPath(ProcessId pid);

// Reaps the programs the server started, all of them from one background thread, so none is left
// a zombie and the server does not grow with the number of programs it started; for those watched
// with `recordExitCode` it writes the exit record first (a program killed by a signal gets 128 +
// the signal number). The destructor stops watching: children that are still running are not
// killed and are not recorded.
class ChildReaper
{
public:
    ChildReaper();
    ~ChildReaper();

    ChildReaper(const ChildReaper&) = delete;
    ChildReaper& operator=(const ChildReaper&) = delete;

    // Takes the child over. False when it cannot be watched (no thread or no memory): the caller
    // still owns it and must reap it itself.
    [[nodiscard]] bool Watch(ProcessId pid, bool recordExitCode);

private:
    struct Impl;
    std::unique_ptr<Impl> FImpl;
};
