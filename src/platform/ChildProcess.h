#pragma once

#include "platform/ProcessId.h"

#include <memory>
#include <string>
#include <vector>

// The server's half of "start a program and let the client wait for it" (ProcessWait.h is the
// client's half).
//
// On Linux only a parent can learn its child's exit code, but the program that waits for it (the
// client that asked the server) is not the parent. So the server, which is the parent, records the
// exit code of every program it started with the wait flag in a file "exit-<pid>" of
// RuntimeFolder() (the code as decimal text; written atomically). The record is written BEFORE the
// child is reaped, so while the process id can still be opened the record may be missing, but once
// the process is gone for good its record is there.
//
// On Windows any process may open another and read its exit code, as long as somebody holds the
// process object. So the server keeps its handle of a program started with the wait flag for a
// while after the program has ended, long enough for the client, which opens the process as soon
// as it learns its id, to hold its own; nothing is recorded.

// Path of the exit record of a process id (Linux only: Windows keeps no records).
std::string ExitRecordPath(ProcessId pid);

// Starts programs without a shell and sees each one to its end from one background thread, so
// none is left a zombie and the server does not grow with the number of programs it started. A
// program started with `recordExitCode` has its exit code kept for a client (a program killed by a
// signal gets 128 + the signal number). The destructor stops watching: programs that are still
// running are not killed and not recorded.
class ChildReaper
{
public:
    ChildReaper();
    ~ChildReaper();

    ChildReaper(const ChildReaper&) = delete;
    ChildReaper& operator=(const ChildReaper&) = delete;

    // Starts argv[0] with the arguments argv[1..] (Linux: posix_spawnp with the signal dispositions
    // and mask reset; Windows: CreateProcess with the arguments quoted as the C runtime splits
    // them) and watches it. Returns the process id, or 0 with `errorNumber` set to the system's
    // error number (errno, or GetLastError), for which ErrorText gives the reason. A program that
    // was started but cannot be watched (no thread or no memory) is killed at once and counts as
    // not started. A stale exit record of the same process id is removed before the id is handed
    // out.
    ProcessId Start(const std::vector<std::string>& argv, bool recordExitCode, int& errorNumber);

private:
    struct Impl;
    std::unique_ptr<Impl> FImpl;
};
