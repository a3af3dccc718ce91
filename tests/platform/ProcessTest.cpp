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
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

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

TEST(ProcessWait, ClientReadsTheExitCodeTheServerRecorded)
{
    PrivateEnvironment runtime;
    ChildReaper reaper;
    int error = -1;
    const pid_t program = reaper.Start({PeerProgram(), "exit", "7"}, true, error);
    ASSERT_NE(program, 0);
    EXPECT_EQ(error, 0);

    // The waiting client is another process, as it is in real use.
    Peer client({"wait", std::to_string(program)});
    EXPECT_EQ(client.ReadLine(), "7");
    EXPECT_FALSE(std::filesystem::exists(ExitRecordPath(program))); // taken by the client

    // A program that is killed counts 128 + the signal; a waiter in this process works as well.
    Peer victim({"mutex", "MX_unused"});
    // Not a peer mode: those end by themselves when their standard input (ours) is at its end.
    const pid_t victimPid = reaper.Start({"/bin/sleep", "600"}, true, error);
    ASSERT_NE(victimPid, 0);
    const auto waiter = ProcessWaiter::Open(victimPid);
    ASSERT_NE(waiter, nullptr);
    ::kill(victimPid, SIGKILL);
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

TEST(ProcessWait, ProgramsThatCannotBeStartedOrOpened)
{
    PrivateEnvironment runtime;
    ChildReaper reaper;
    int error = 0;
    EXPECT_EQ(reaper.Start({"/no/such/program"}, true, error), 0);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(reaper.Start({}, true, error), 0);

    // A process that has ended and been reaped without a record cannot be opened.
    Peer gone({"exit", "0"});
    gone.Wait();
    EXPECT_EQ(ProcessWaiter::Open(gone.Pid()), nullptr);
    EXPECT_EQ(ProcessWaiter::Open(0), nullptr);
    EXPECT_EQ(ProcessWaiter::Open(-1), nullptr);
}

TEST(ProcessText, ErrorTextsAndCommandLine)
{
    EXPECT_EQ(ErrorText(ENOENT), "No such file or directory");
    EXPECT_EQ(ErrorText(123456), "(GetLastErrorString failed)");
    errno = EACCES;
    EXPECT_EQ(LastErrorText(), "Permission denied");

    const char* argv[] = {"/opt/bytescope/bytescope", "/serverhandle=12", "x y"};
    const CommandLine given(3, argv);
    EXPECT_EQ(given.Count(), 2);
    EXPECT_EQ(given.Arguments()[2], "x y");
    EXPECT_EQ(CommandLine().Count(), -1);
    const CommandLine own = CommandLine::OfThisProcess();
    ASSERT_GE(own.Count(), 0);
    EXPECT_NE(own.Arguments()[0].find("platform_test"), std::string::npos);
}
