#pragma once

#include "support/TempDir.h"

#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// Points this process, and what it starts, at a private runtime folder (0700) and private config
// folders while the object lives; the environment is put back afterwards.
class PrivateEnvironment
{
public:
    PrivateEnvironment();
    ~PrivateEnvironment();
    PrivateEnvironment(const PrivateEnvironment&) = delete;
    PrivateEnvironment& operator=(const PrivateEnvironment&) = delete;

    const std::filesystem::path& Path() const { return FBase.Path(); }
    // Writes the server instance value (the ViewerHandle line as it stands in the file).
    void WriteViewerHandle(const std::string& line);

private:
    TempDir FBase;
    std::string FSavedRuntime;
    std::string FSavedConfig;
    bool FHadRuntime;
    bool FHadConfig;
};

// One started program. Its standard input is a pipe (closing it asks our test client to end),
// its standard output and error go to files. The object kills and reaps the process when it goes
// away, also when a test fails half-way.
class ChildGuard
{
public:
    // `workingFolder`: where the program starts (empty: ours); argv[0] is then looked up from
    // there, so "./prog" works.
    ChildGuard(const std::vector<std::string>& argv, const std::filesystem::path& outputFolder,
               const std::filesystem::path& workingFolder = {});
    ~ChildGuard();
    ChildGuard(const ChildGuard&) = delete;
    ChildGuard& operator=(const ChildGuard&) = delete;

    pid_t Pid() const { return FPid; }
    bool Running();
    void CloseInput();
    void Signal(int signalNumber);
    // Waits (with a generous bound) until the process ended; its exit code, or -1 when it was
    // killed or did not end.
    int Wait();
    std::string Output() const;
    std::string Errors() const;

private:
    bool Reap(bool block);

    pid_t FPid = 0;
    int FInput = -1;
    bool FReaped = false;
    int FStatus = 0;
    std::filesystem::path FOut;
    std::filesystem::path FErr;
};

// Waits for `condition` with a generous bound (a safety net against hanging, not a timing check).
bool WaitFor(const std::function<bool()>& condition);
