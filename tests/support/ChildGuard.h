#pragma once

#include <filesystem>
#include <string>
#include <vector>

// One started program. Its standard input is a pipe (closing it asks our test client to end),
// its standard output and error go to files. The object kills and reaps the process when it goes
// away, also when a test fails half-way.
class ChildGuard
{
public:
    // `workingFolder`: where the program starts (empty: ours); argv[0] is then looked up from
    // there, so "./prog" works. The program gets our environment less `withoutVariables`.
    ChildGuard(const std::vector<std::string>& argv, const std::filesystem::path& outputFolder,
               const std::filesystem::path& workingFolder = {},
               const std::vector<std::string>& withoutVariables = {});
    ~ChildGuard();
    ChildGuard(const ChildGuard&) = delete;
    ChildGuard& operator=(const ChildGuard&) = delete;

    int Pid() const { return FPid; }
    bool Running();
    // Small inputs only (they must fit the pipe): the program may read them whenever it likes.
    void WriteInput(const std::string& bytes);
    void CloseInput();
    void Signal(int signalNumber);
    // Waits (with a generous bound) until the process ended; its exit code, or -1 when it was
    // killed or did not end.
    int Wait();
    std::string Output() const;
    std::string Errors() const;

private:
    bool Reap(bool block);

    int FPid = 0;
    int FInput = -1;
    bool FReaped = false;
    int FStatus = 0;
    std::filesystem::path FOut;
    std::filesystem::path FErr;
};
