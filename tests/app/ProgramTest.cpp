// The program as a user starts it: a process of its own on the offscreen platform.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

// A started bytescope; stopped and reaped when the object goes, also when a test fails.
class Program
{
public:
    Program(const std::vector<std::string>& args, const std::filesystem::path& runtimeFolder,
            const std::filesystem::path& output, const char* program = BYTESCOPE_PROGRAM)
    {
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> argp;
        for (auto& a : argv)
            argp.push_back(a.data());
        argp.push_back(nullptr);
        std::vector<std::string> env{"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + runtimeFolder.string(),
                                     "XDG_CONFIG_DIRS=" + runtimeFolder.string(),
                                     "HOME=" + runtimeFolder.string(), "PATH=/usr/bin:/bin"};
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const int error = posix_spawn(&FPid, argp[0], &actions, nullptr, argp.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0)
            FPid = 0;
    }

    ~Program()
    {
        if (FPid > 0 && !FReaped) {
            ::kill(FPid, SIGKILL);
            ::waitpid(FPid, nullptr, 0);
        }
    }

    bool Started() const { return FPid > 0; }

    // The exit code, or -1 when the program did not end within `limit` (it is then killed).
    int Wait(std::chrono::seconds limit = std::chrono::seconds(120))
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            const pid_t done = ::waitpid(FPid, &status, WNOHANG);
            if (done == FPid) {
                FReaped = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    bool Running()
    {
        int status = 0;
        return !FReaped && ::waitpid(FPid, &status, WNOHANG) == 0;
    }

private:
    pid_t FPid = 0;
    bool FReaped = false;
};

std::filesystem::path PrivateRuntimeFolder(const TempDir& dir)
{
    const auto folder = dir / "runtime";
    std::filesystem::create_directory(folder);
    ::chmod(folder.c_str(), 0700);
    return folder;
}

// Whether some process holds the single-instance lock of the program in that runtime folder.
bool LockHeld(const std::filesystem::path& runtimeFolder)
{
    const auto path = runtimeFolder / "mentix" / "mutex-MX_bytescope.lock";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

} // namespace

TEST(Program, HelpAndVersionAnswerOnStdoutAndEnd)
{
    TempDir dir;
    const auto runtime = PrivateRuntimeFolder(dir);
    {
        Program help({"--help"}, runtime, dir / "help.txt");
        ASSERT_TRUE(help.Started());
        EXPECT_EQ(help.Wait(), 0);
    }
    EXPECT_EQ(ReadFileBytes(dir / "help.txt").rfind("usage: bytescope", 0), 0u);
    {
        Program version({"--version"}, runtime, dir / "version.txt");
        EXPECT_EQ(version.Wait(), 0);
    }
    EXPECT_EQ(ReadFileBytes(dir / "version.txt"), "Bytescope 1.0\n");
}

TEST(Program, ScreenshotsOfBothWindowsWithoutADisplay)
{
    TempDir dir;
    const auto runtime = PrivateRuntimeFolder(dir);
    Program program({"--screenshots", (dir / "shots").string()}, runtime, dir / "out.txt");
    ASSERT_EQ(program.Wait(), 0);
    EXPECT_EQ(ReadFileBytes(dir / "out.txt"),
              (dir / "shots" / "about.png").string() + "\n" + (dir / "shots" / "main.png").string() + "\n");
    EXPECT_GT(std::filesystem::file_size(dir / "shots" / "about.png"), 1000u);
    EXPECT_GT(std::filesystem::file_size(dir / "shots" / "main.png"), 1000u);
}

TEST(Program, SecondStartEndsAtOnceWithZeroAndShowsNothing)
{
    TempDir dir;
    const auto runtime = PrivateRuntimeFolder(dir);
    Program first({}, runtime, dir / "first.txt");
    ASSERT_TRUE(first.Started());
    // The first instance takes the lock while its main window is built, then waits in its About box.
    for (int i = 0; i < 6000 && !LockHeld(runtime) && first.Running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(LockHeld(runtime));

    Program second({"--screenshots", (dir / "second").string(), "a parameter"}, runtime, dir / "second.txt");
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "second")); // no window was ever shown
    EXPECT_EQ(ReadFileBytes(dir / "second.txt"), "");
    EXPECT_TRUE(first.Running());
}

TEST(Program, ItlTemplateListsEveryKeyInFirstMissedOrder)
{
    TempDir dir;
    const auto runtime = PrivateRuntimeFolder(dir);
    Program tool({"itl", "template", "--out", (dir / "template.itl").string()}, runtime, dir / "out.txt",
                 BYTESCOPE_TOOL);
    ASSERT_EQ(tool.Wait(), 0);
    std::string expected;
    for (const char* key : {"ASCII Encoding", "Info", "Exit", "Binary", "ASCII", "Explain", "AppIconName",
                            "HomePageURL", "$dlglanguage$", "About", "HomePage", "OK"})
        expected += std::string("[") + key + "]=" + key + "|$$\r\n";
    EXPECT_EQ(ReadFileBytes(dir / "template.itl"), expected);
}
