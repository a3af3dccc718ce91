#include "PlatformTestSupport.h"
#include "platform/ChildProcess.h"
#include "platform/CommandLine.h"
#include "platform/LastError.h"
#include "platform/ProcessWait.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

TEST(ProcessWait, ClientReadsTheExitCodeTheServerRecorded)
{
    PrivateRuntime runtime;
    ChildReaper reaper;
    int error = -1;
    const pid_t program = SpawnProgram({PeerProgram(), "exit", "7"}, error);
    ASSERT_NE(program, 0);
    EXPECT_EQ(error, 0);
    reaper.Watch(program, true);

    // The waiting client is another process, as it is in real use.
    Peer client({"wait", std::to_string(program)});
    EXPECT_EQ(client.ReadLine(), "7");
    EXPECT_FALSE(std::filesystem::exists(ExitRecordPath(program))); // taken by the client

    // A program that is killed counts 128 + the signal; a waiter in this process works as well.
    Peer victim({"mutex", "MX_unused"});
    const pid_t victimPid = SpawnProgram({PeerProgram(), "hang", "C", ""}, error);
    ASSERT_NE(victimPid, 0);
    reaper.Watch(victimPid, true);
    const auto waiter = ProcessWaiter::Open(victimPid);
    ASSERT_NE(waiter, nullptr);
    ::kill(victimPid, SIGKILL);
    EXPECT_EQ(waiter->WaitForExitCode(), 128 + SIGKILL);
}

TEST(ProcessWait, ProgramsThatCannotBeStartedOrOpened)
{
    PrivateRuntime runtime;
    int error = 0;
    EXPECT_EQ(SpawnProgram({"/no/such/program"}, error), 0);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(SpawnProgram({}, error), 0);

    // A process that has ended and been reaped without a record cannot be opened.
    const pid_t gone = SpawnProgram({PeerProgram(), "exit", "0"}, error);
    ASSERT_NE(gone, 0);
    int status = 0;
    ::waitpid(gone, &status, 0);
    EXPECT_EQ(ProcessWaiter::Open(gone), nullptr);
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
