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

// How a program is started besides its arguments.
struct Launch
{
    // Beside the private runtime, configuration and home folders; no DISPLAY in any case.
    std::vector<std::string> Environment{"QT_QPA_PLATFORM=offscreen"};
    std::filesystem::path Errors = "/dev/null"; // where stderr goes
    const char* Path = BYTESCOPE_PROGRAM;
};

// A started bytescope; stopped and reaped when the object goes, also when a test fails.
class Program
{
public:
    Program(const std::vector<std::string>& args, const std::filesystem::path& runtimeFolder,
            const std::filesystem::path& output, const Launch& launch = {})
    {
        std::vector<std::string> argv{launch.Path};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> argp;
        for (auto& a : argv)
            argp.push_back(a.data());
        argp.push_back(nullptr);
        std::vector<std::string> env{"XDG_RUNTIME_DIR=" + runtimeFolder.string(),
                                     "XDG_CONFIG_DIRS=" + runtimeFolder.string(),
                                     "HOME=" + runtimeFolder.string(), "PATH=/usr/bin:/bin"};
        env.insert(env.end(), launch.Environment.begin(), launch.Environment.end());
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, launch.Errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
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

// A copy of a built program in `folder`, so that files can be put beside it.
std::string CopyOfProgram(const std::string& program, const std::filesystem::path& folder)
{
    const auto copy = folder / std::filesystem::path(program).filename();
    std::filesystem::copy_file(program, copy);
    return copy.string();
}

} // namespace

TEST(Program, HelpAndVersionAnswerOnStdoutAndEnd)
{
    TempDir dir;
    const auto runtime = PrivateRuntimeFolder(dir);
    for (const char* help : {"--help", "-h"}) {
        {
            Program program({help}, runtime, dir / "help.txt");
            ASSERT_TRUE(program.Started());
            EXPECT_EQ(program.Wait(), 0) << help;
        }
        EXPECT_EQ(ReadFileBytes(dir / "help.txt").rfind("usage: bytescope", 0), 0u) << help;
    }
    {
        Program version({"--version"}, runtime, dir / "version.txt");
        EXPECT_EQ(version.Wait(), 0);
    }
    EXPECT_EQ(ReadFileBytes(dir / "version.txt"), "Bytescope 1.0\n");
}

// Without a display (nor a platform chosen) the program picks the offscreen one itself.
TEST(Program, ScreenshotsOfBothWindowsWithoutADisplay)
{
    TempDir dir;
    const auto runtime = PrivateRuntimeFolder(dir);
    Launch launch;
    launch.Environment.clear();
    Program program({"--screenshots", (dir / "shots").string()}, runtime, dir / "out.txt", launch);
    ASSERT_EQ(program.Wait(), 0);
    EXPECT_EQ(ReadFileBytes(dir / "out.txt"),
              (dir / "shots" / "about.png").string() + "\n" + (dir / "shots" / "main.png").string() + "\n");
    EXPECT_GT(std::filesystem::file_size(dir / "shots" / "about.png"), 1000u);
    EXPECT_GT(std::filesystem::file_size(dir / "shots" / "main.png"), 1000u);
}

TEST(Program, ALanguageFileThatNeverEndsIsSkippedWithOneLine)
{
    TempDir dir;
    const auto runtime = PrivateRuntimeFolder(dir);
    const std::string program = CopyOfProgram(BYTESCOPE_PROGRAM, dir.Path());
    std::filesystem::create_symlink("/dev/zero", dir / "bytescope.itl");
    Launch launch;
    launch.Path = program.c_str();
    launch.Errors = dir / "err.txt";
    Program start({"--screenshots", (dir / "shots").string()}, runtime, dir / "out.txt", launch);
    ASSERT_EQ(start.Wait(), 0);
    EXPECT_EQ(ReadFileBytes(dir / "err.txt"),
              "The language file \"" + (dir / "bytescope.itl").string() +
                  "\" was not loaded: The language file is larger than 64 MiB\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "shots" / "main.png"));
}

TEST(Program, SecondStartEndsAtOnceButScreenshotsAreTakenBesideTheRunningTrainer)
{
    TempDir dir;
    const auto runtime = PrivateRuntimeFolder(dir);
    Program first({}, runtime, dir / "first.txt");
    ASSERT_TRUE(first.Started());
    // The first instance takes the lock while its main window is built, then waits in its About box.
    for (int i = 0; i < 6000 && !LockHeld(runtime) && first.Running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(LockHeld(runtime));

    // Had the second start shown its About box, the probe would have said so on stdout.
    Launch probed;
    probed.Environment.push_back("BYTESCOPE_STARTUP_PROBE=1");
    Program second({"a parameter"}, runtime, dir / "second.txt", probed);
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_EQ(ReadFileBytes(dir / "second.txt"), "");

    Program shots({"--screenshots", (dir / "shots").string()}, runtime, dir / "shots.txt");
    EXPECT_EQ(shots.Wait(), 0);
    EXPECT_GT(std::filesystem::file_size(dir / "shots" / "about.png"), 1000u);
    EXPECT_GT(std::filesystem::file_size(dir / "shots" / "main.png"), 1000u);
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(LockHeld(runtime));
}

// A start that fails says why, as the error box would (caption: text) with no one to see a box,
// and ends with exit code 1: no abort, no core dump.
TEST(Program, FailedStartsAreReportedAndEndWithExitCodeOne)
{
    TempDir dir;
    const auto run = [&dir](const std::string& name, const std::filesystem::path& runtime,
                            const Launch& launch) {
        Launch reported = launch;
        reported.Errors = dir / (name + ".err");
        Program program({}, runtime, dir / (name + ".out"), reported);
        EXPECT_EQ(program.Wait(), 1) << name;
        EXPECT_EQ(ReadFileBytes(dir / (name + ".out")), "") << name;
        return ReadFileBytes(dir / (name + ".err"));
    };
    const auto expectOneLine = [](const std::string& errors, const std::string& part) {
        EXPECT_EQ(errors.rfind("Bytescope: ", 0), 0u) << errors;
        EXPECT_EQ(errors.find('\n'), errors.size() - 1) << errors;
        EXPECT_NE(errors.find(part), std::string::npos) << errors;
    };

    const auto folder = [&dir](const std::string& name) {
        std::filesystem::create_directory(dir / name);
        ::chmod((dir / name).c_str(), 0700);
        return dir / name;
    };

    // A runtime folder that others may enter is refused, so no server link can be made.
    const auto open = folder("open");
    std::filesystem::create_directory(open / "mentix");
    ::chmod((open / "mentix").c_str(), 0755);
    expectOneLine(run("open", open, {}), "is open to other users");

    // The server instance named by a value of a type that cannot name one.
    const auto typed = folder("typed");
    std::filesystem::create_directory(typed / "Norvane");
    WriteFileBytes(typed / "Norvane" / "valdora.conf", "[demon]\nViewerHandle=dword:00000001\n");
    expectOneLine(run("typed", typed, {}), "ViewerHandle");

    // No display for the platform asked for: Qt's own words, then ours.
    Launch x11;
    x11.Environment = {"QT_QPA_PLATFORM=xcb"};
    const std::string errors = run("x11", folder("x11"), x11);
    EXPECT_NE(errors.find("bytescope: no window system to show the trainer on"), std::string::npos) << errors;
}

TEST(Program, ItlTemplateListsEveryKeyInFirstMissedOrderWhateverLiesBesideTheTool)
{
    TempDir dir;
    const auto runtime = PrivateRuntimeFolder(dir);
    std::string expected;
    // The stored texts of the main window, its tooltips and screen-reader texts, then the About box's.
    for (const char* key : {"ASCII Encoding",
                            "Info",
                            "Exit",
                            "Binary",
                            "ASCII",
                            "Explain",
                            "Step down: code minus 1 (Ctrl+Down or -)",
                            "Step down",
                            "Step up: code plus 1 (Ctrl+Up or +)",
                            "Step up",
                            "Jump to <%1%>: code <%2%> (type <%1%>)",
                            "Jump to <%1%>",
                            "Bit <%1%>",
                            "Counts <%1%> when it is 1",
                            "Explanation",
                            "The code in binary, bit 7 first",
                            "<%1%>, code <%2%>",
                            "<%1%>; decimal <%2%>, hexadecimal <%3%>, octal <%4%>",
                            "AppIconName",
                            "HomePageURL",
                            "$dlglanguage$",
                            "About",
                            "HomePage",
                            "OK"})
        expected += std::string("[") + key + "]=" + key + "|$$\r\n";
    // The built tool, and a copy with a language file of its own name beside it.
    const std::string copy = CopyOfProgram(BYTESCOPE_TOOL, dir.Path());
    WriteFileBytes(dir / "bytescope-tool.itl", "[Exit]=Ende|$$[OK]=Gut|$$[$dlglanguage$]=lgGerman|$$");
    for (const std::string& tool : {std::string(BYTESCOPE_TOOL), copy}) {
        const auto out = dir / "template.itl";
        Launch launch;
        launch.Path = tool.c_str();
        Program run({"itl", "template", "--out", out.string()}, runtime, dir / "out.txt", launch);
        ASSERT_EQ(run.Wait(), 0) << tool;
        EXPECT_EQ(ReadFileBytes(out), expected) << tool;
        std::filesystem::remove(out);
    }
}
