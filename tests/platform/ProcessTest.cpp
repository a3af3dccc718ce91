#include "Peer.h"
#include "platform/ChildProcess.h"
#include "platform/CommandLine.h"
#include "platform/LastError.h"
#include "platform/ProcessWait.h"
#include "support/MappingCount.h"
#include "support/PrivateEnvironment.h"
#include "support/WaitFor.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace {

// Error numbers are the system's own: errno values on Linux, GetLastError values on Windows.
#ifdef _WIN32
constexpr int kNoSuchFile = ERROR_FILE_NOT_FOUND;
constexpr int kAccessDenied = ERROR_ACCESS_DENIED;
void SetLastErrorNumber(int error)
{
    ::SetLastError(static_cast<DWORD>(error));
}
#else
constexpr int kNoSuchFile = ENOENT;
constexpr int kAccessDenied = EACCES;
void SetLastErrorNumber(int error)
{
    errno = error;
}
#endif

} // namespace

TEST(ProcessWait, ClientReadsTheExitCodeOfAProgramTheServerStarted)
{
    PrivateEnvironment runtime;
    ChildReaper reaper;
    int error = -1;
    const ProcessId program = reaper.Start({PeerProgram(), "exit", "7"}, true, error);
    ASSERT_NE(program, 0);
    EXPECT_EQ(error, 0);

    // The waiting client is another process, as it is in real use.
    Peer client({"wait", std::to_string(program)});
    EXPECT_EQ(client.ReadLine(), "7");

    // A waiter in this process works as well, also once the program has long ended.
    const ProcessId second = reaper.Start({PeerProgram(), "exit", "42"}, true, error);
    ASSERT_NE(second, 0);
    const auto early = ProcessWaiter::Open(second);
    ASSERT_NE(early, nullptr);
    EXPECT_EQ(early->WaitForExitCode(), 42);
#ifndef _WIN32
    // The record is taken by the first waiter.
    EXPECT_FALSE(std::filesystem::exists(ExitRecordPath(program)));
#else
    // The server keeps what a client may still wait for.
    const auto late = ProcessWaiter::Open(second);
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(late->WaitForExitCode(), 42);
#endif
}

// Linux only: signals, /proc and the records exist there alone.
#ifndef _WIN32
namespace {

int ThreadCount()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Threads:"))
            return std::stoi(line.substr(8));
    }
    return -1;
}

bool Reaped(pid_t pid)
{
    return ::kill(pid, 0) != 0 && errno == ESRCH; // a zombie still answers
}

} // namespace

TEST(ProcessWait, AKilledProgramCountsTheSignal)
{
    PrivateEnvironment runtime;
    ChildReaper reaper;
    int error = 0;
    // Not a peer mode: those end by themselves when their standard input (ours) is at its end.
    const pid_t victim = reaper.Start({"/bin/sleep", "600"}, true, error);
    ASSERT_NE(victim, 0);
    const auto waiter = ProcessWaiter::Open(victim);
    ASSERT_NE(waiter, nullptr);
    ::kill(victim, SIGKILL);
    EXPECT_EQ(waiter->WaitForExitCode(), 128 + SIGKILL);
}

TEST(ProcessWait, ManyProgramsLeaveTheReaperSmall)
{
    PrivateEnvironment runtime;
    ChildReaper reaper;
    int error = 0;
    const pid_t first = reaper.Start({"/bin/true"}, false, error);
    ASSERT_NE(first, 0);
    ASSERT_TRUE(WaitFor([&] { return Reaped(first); }));
    const int threadsBefore = ThreadCount();
    const int mappingsBefore = MappingCount();

    std::vector<pid_t> programs;
    for (int i = 0; i < 300; ++i) {
        const pid_t pid = reaper.Start({"/bin/true"}, i % 2 == 0, error);
        ASSERT_NE(pid, 0) << ErrorText(error);
        programs.push_back(pid);
    }
    EXPECT_TRUE(WaitFor([&] { return std::all_of(programs.begin(), programs.end(), Reaped); }));
    for (std::size_t i = 0; i < programs.size(); i += 2)
        EXPECT_EQ(ReadFileBytes(ExitRecordPath(programs[i])), "0");
    // Nothing per program is kept once it has been reaped (a thread stack would be two mappings).
    EXPECT_LE(ThreadCount(), threadsBefore);
    EXPECT_LE(MappingCount(), mappingsBefore + 30);
}

TEST(ProcessWait, RecordWinsOverAProcessThatReusedTheId)
{
    PrivateEnvironment runtime;
    // Our program ended and was reaped; its id now belongs to an unrelated process.
    Peer unrelated({"mutex", "MX_reuse"});
    ASSERT_EQ(unrelated.ReadLine(), "got");
    WriteFileBytes(ExitRecordPath(unrelated.Pid()), "5");
    Peer client({"wait", std::to_string(unrelated.Pid())});
    EXPECT_EQ(client.ReadLine(), "5");
    EXPECT_FALSE(std::filesystem::exists(ExitRecordPath(unrelated.Pid())));
}
#endif

TEST(ProcessWait, ProgramsThatCannotBeStartedOrOpened)
{
    PrivateEnvironment runtime;
    ChildReaper reaper;
    int error = 0;
    const std::string missing = (runtime.Path() / "no-such-program").string();
    EXPECT_EQ(reaper.Start({missing}, true, error), 0);
    EXPECT_EQ(error, kNoSuchFile);
    EXPECT_EQ(reaper.Start({}, true, error), 0);
    EXPECT_EQ(reaper.Start({""}, true, error), 0);

    // Nobody keeps a program that nobody waits for: once it has ended it cannot be opened.
    const ProcessId gone = reaper.Start({PeerProgram(), "exit", "0"}, false, error);
    ASSERT_NE(gone, 0);
    EXPECT_TRUE(WaitFor([&] { return ProcessWaiter::Open(gone) == nullptr; }));
    EXPECT_EQ(ProcessWaiter::Open(0), nullptr);
    EXPECT_EQ(ProcessWaiter::Open(-1), nullptr);
}

TEST(ProcessText, ErrorTextsAndCommandLine)
{
#ifndef _WIN32
    EXPECT_EQ(ErrorText(ENOENT), "No such file or directory");
#endif
    // The system's own words (Windows and Wine word them differently), without the line break
    // that Windows puts after them.
    const std::string noFile = ErrorText(kNoSuchFile);
    EXPECT_FALSE(noFile.empty());
    EXPECT_NE(noFile, "(GetLastErrorString failed)");
    EXPECT_NE(noFile.back(), '\n');
    EXPECT_NE(noFile, ErrorText(kAccessDenied));
    EXPECT_EQ(ErrorText(123456), "(GetLastErrorString failed)");
    SetLastErrorNumber(kAccessDenied);
    EXPECT_EQ(LastErrorText(), ErrorText(kAccessDenied));

    const char* argv[] = {"/opt/bytescope/bytescope", "/serverhandle=12", "x y"};
    const CommandLine given(3, argv);
    EXPECT_EQ(given.Count(), 2);
    EXPECT_EQ(given.Arguments()[2], "x y");
    EXPECT_EQ(CommandLine().Count(), -1);
    const CommandLine own = CommandLine::OfThisProcess();
    ASSERT_GE(own.Count(), 0);
    EXPECT_NE(own.Arguments()[0].find("platform_test"), std::string::npos);
}
