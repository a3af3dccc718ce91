// The program as a user starts it: a process of its own on the offscreen platform.
#include "support/ChildGuard.h"
#include "support/PrivateEnvironment.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

// How a program is started besides its arguments.
struct Launch
{
    // Beside the private runtime, configuration and home folders.
    std::vector<std::string> Environment{"QT_QPA_PLATFORM=offscreen"};
    std::string Path = BYTESCOPE_PROGRAM;
};

#ifdef _WIN32
// Wine draws every window through the X display, which a Windows program never sees as missing.
const std::vector<std::string> kLeftOut{"QT_QPA_PLATFORM"};
#else
const std::vector<std::string> kLeftOut{"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};
#endif

// A started bytescope; stopped when the object goes, also when a test fails.
class Program
{
public:
    Program(const std::vector<std::string>& args, const std::filesystem::path& runtimeFolder,
            const std::filesystem::path& outputFolder, const Launch& launch = {})
        : FGuard(Arguments(launch.Path, args), outputFolder, {}, kLeftOut, Variables(runtimeFolder, launch))
    {
        FGuard.CloseInput();
    }

    // The exit code, or -1 when the program did not end (it is then killed).
    int Wait() { return FGuard.Wait(); }
    bool Running() { return FGuard.Running(); }
    std::string Output() const { return FGuard.Output(); }
    std::string Errors() const { return FGuard.Errors(); }

private:
    static std::vector<std::string> Arguments(const std::string& path, const std::vector<std::string>& args)
    {
        std::vector<std::string> argv{path};
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }
    static std::vector<std::string> Variables(const std::filesystem::path& runtimeFolder,
                                              const Launch& launch)
    {
        std::vector<std::string> variables{"XDG_RUNTIME_DIR=" + runtimeFolder.string(),
                                           "XDG_CONFIG_DIRS=" + runtimeFolder.string(),
                                           "HOME=" + runtimeFolder.string()};
        variables.insert(variables.end(), launch.Environment.begin(), launch.Environment.end());
        return variables;
    }

    ChildGuard FGuard;
};

std::filesystem::path PrivateRuntimeFolder(const TempDir& dir)
{
    const auto folder = dir / "runtime";
    std::filesystem::create_directory(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    return folder;
}

// Whether some process holds the single-instance lock of the program (on Linux, in that runtime
// folder; on Windows the mutex belongs to the whole desktop).
bool LockHeld([[maybe_unused]] const std::filesystem::path& runtimeFolder)
{
#ifdef _WIN32
    const std::string name = "MX_" + std::filesystem::path(BYTESCOPE_PROGRAM).filename().string();
    const HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    if (mutex == nullptr)
        return false;
    ::CloseHandle(mutex);
    return true;
#else
    const auto path = runtimeFolder / "mentix" / "mutex-MX_bytescope.lock";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
#endif
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
        Program program({help}, runtime, dir.Path());
        EXPECT_EQ(program.Wait(), 0) << help;
        EXPECT_EQ(program.Output().rfind("usage: bytescope", 0), 0u) << help;
    }
    Program version({"--version"}, runtime, dir.Path());
    EXPECT_EQ(version.Wait(), 0);
    EXPECT_EQ(version.Output(), "Bytescope 1.0\n");
}

// Without a display (nor a platform chosen) the program picks the offscreen one itself.
TEST(Program, ScreenshotsOfBothWindowsWithoutADisplay)
{
    TempDir dir;
    const auto runtime = PrivateRuntimeFolder(dir);
    Launch launch;
    launch.Environment.clear();
    Program program({"--screenshots", (dir / "shots").string()}, runtime, dir.Path(), launch);
    ASSERT_EQ(program.Wait(), 0) << program.Errors();
    EXPECT_EQ(program.Output(),
              (dir / "shots" / "about.png").string() + "\n" + (dir / "shots" / "main.png").string() + "\n");
    EXPECT_GT(std::filesystem::file_size(dir / "shots" / "about.png"), 1000u);
    EXPECT_GT(std::filesystem::file_size(dir / "shots" / "main.png"), 1000u);
}

TEST(Program, ALanguageFileThatNeverEndsIsSkippedWithOneLine)
{
#ifdef _WIN32
    GTEST_SKIP() << "links the language file to Linux's /dev/zero";
#endif
    TempDir dir;
    const auto runtime = PrivateRuntimeFolder(dir);
    Launch launch;
    launch.Path = CopyOfProgram(BYTESCOPE_PROGRAM, dir.Path());
    std::filesystem::create_symlink("/dev/zero", dir / "bytescope.itl");
    Program start({"--screenshots", (dir / "shots").string()}, runtime, dir.Path(), launch);
    ASSERT_EQ(start.Wait(), 0);
    EXPECT_EQ(start.Errors(), "The language file \"" + (dir / "bytescope.itl").string() +
                                  "\" was not loaded: The language file is larger than 64 MiB\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "shots" / "main.png"));
}

TEST(Program, SecondStartEndsAtOnceButScreenshotsAreTakenBesideTheRunningTrainer)
{
    TempDir dir;
    const auto runtime = PrivateRuntimeFolder(dir);
    Program first({}, runtime, dir.Path());
    // The first instance takes the lock while its main window is built, then waits in its About box.
    ASSERT_TRUE(WaitFor([&] { return LockHeld(runtime) || !first.Running(); }));
    ASSERT_TRUE(LockHeld(runtime)) << first.Errors();

    // Had the second start shown its About box, the probe would have said so on stdout.
    Launch probed;
    probed.Environment.push_back("BYTESCOPE_STARTUP_PROBE=1");
    Program second({"a parameter"}, runtime, dir.Path(), probed);
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_EQ(second.Output(), "");

    Program shots({"--screenshots", (dir / "shots").string()}, runtime, dir.Path());
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
    const auto run = [&dir](const std::filesystem::path& runtime, const Launch& launch) {
        Program program({}, runtime, dir.Path(), launch);
        EXPECT_EQ(program.Wait(), 1) << runtime;
        EXPECT_EQ(program.Output(), "") << runtime;
        return program.Errors();
    };
    const auto expectOneLine = [](const std::string& errors, const std::string& part) {
        EXPECT_EQ(errors.rfind("Bytescope: ", 0), 0u) << errors;
        EXPECT_EQ(errors.find('\n'), errors.size() - 1) << errors;
        EXPECT_NE(errors.find(part), std::string::npos) << errors;
    };

    const auto folder = [&dir](const std::string& name) {
        std::filesystem::create_directory(dir / name);
        std::filesystem::permissions(dir / name, std::filesystem::perms::owner_all);
        return dir / name;
    };

    // The server instance named by a value of a type that cannot name one.
    const auto typed = folder("typed");
#ifdef _WIN32
    PrivateEnvironment registry;
    registry.WriteViewerHandle("ViewerHandle=dword:00000001");
#else
    std::filesystem::create_directory(typed / "Norvane");
    WriteFileBytes(typed / "Norvane" / "valdora.conf", "[demon]\nViewerHandle=dword:00000001\n");
#endif
    expectOneLine(run(typed, {}), "ViewerHandle");

#ifndef _WIN32 // Linux's runtime folder and X server; Windows has neither
    // A runtime folder that others may enter is refused, so no server link can be made.
    const auto open = folder("open");
    std::filesystem::create_directory(open / "mentix");
    using std::filesystem::perms;
    std::filesystem::permissions(open / "mentix", perms::owner_all | perms::group_read | perms::group_exec |
                                                      perms::others_read | perms::others_exec);
    expectOneLine(run(open, {}), "is open to other users");

    // No display for the platform asked for: Qt's own words, then ours.
    Launch x11;
    x11.Environment = {"QT_QPA_PLATFORM=xcb"};
    const std::string errors = run(folder("x11"), x11);
    EXPECT_NE(errors.find("bytescope: no window system to show the trainer on"), std::string::npos) << errors;
#endif
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
        launch.Path = tool;
        Program run({"itl", "template", "--out", out.string()}, runtime, dir.Path(), launch);
        ASSERT_EQ(run.Wait(), 0) << tool << run.Errors();
        EXPECT_EQ(ReadFileBytes(out), expected) << tool;
        std::filesystem::remove(out);
    }
}
