#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// One started program. Its standard input is a pipe (closing it asks our test client to end),
// its standard output and error go to files. The object stops the process when it goes away, also
// when a test fails half-way; on Windows everything the program started in turn goes with it.
class ChildGuard
{
public:
    // `workingFolder`: where the program starts (empty: ours); a relative argv[0] is then looked up
    // from there, so "./prog" works. The program gets our environment less `withoutVariables`, with
    // the "NAME=value" entries of `variables` in place of ours.
    ChildGuard(const std::vector<std::string>& argv, const std::filesystem::path& outputFolder,
               const std::filesystem::path& workingFolder = {},
               const std::vector<std::string>& withoutVariables = {},
               const std::vector<std::string>& variables = {});
    ~ChildGuard();
    ChildGuard(const ChildGuard&) = delete;
    ChildGuard& operator=(const ChildGuard&) = delete;

    int Pid() const;
    bool Running();
    // Small inputs only (they must fit the pipe): the program may read them whenever it likes.
    void WriteInput(const std::string& bytes);
    void CloseInput();

    // How the system asks a resident program to stop: SIGTERM or SIGINT. Windows has one way that
    // reaches a program without a console: WM_CLOSE sent to its top-level windows.
    enum class Stop
    {
        Terminate,
        Interrupt
    };
    void RequestStop(Stop how = Stop::Terminate);
    // Ends the process at once; Wait() then gives -1. May be called from another thread.
    void Kill();

    // Waits (with a generous bound) until the process ended; its exit code, or -1 when it was
    // killed or did not end.
    int Wait();
    // What the program wrote to its standard output and error; on Windows each CR LF is read as
    // the LF that the program wrote in text mode.
    std::string Output() const;
    std::string Errors() const;

private:
    class Process; // the system's side: process, input pipe and, on Windows, the job
    std::unique_ptr<Process> FProcess;
    std::filesystem::path FOut;
    std::filesystem::path FErr;
};

// The path of a file as a started program sees it: a test program knows the other programs by the
// paths of the build, which under Wine are Linux paths; the programs themselves see "Z:\...".
std::string SystemPath(const std::filesystem::path& path);
