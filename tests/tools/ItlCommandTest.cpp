// Black-box tests of `bytescope-tool itl`: the program is started as translators start it.
#include "platform/BytePath.h"
#include "support/ChildGuard.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

using ::testing::HasSubstr;

namespace {

struct TRun
{
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

// Runs the tool in `workDir` with `args` and waits for it. With `input`, the tool's stdin holds
// those bytes and then ends.
TRun RunTool(const std::filesystem::path& workDir, const std::vector<std::string>& args,
             const std::optional<std::string>& input = std::nullopt)
{
    std::vector<std::string> argv = {BYTESCOPE_TOOL, "itl"};
    argv.insert(argv.end(), args.begin(), args.end());
    const TempDir logs;
    ChildGuard tool(argv, logs.Path(), workDir);
    if (input.has_value())
        tool.WriteInput(*input);
    tool.CloseInput();
    const int exitCode = tool.Wait();
    return {exitCode, tool.Output(), tool.Errors()};
}

} // namespace

TEST(ItlCommand, DumpPrintsEachEntryWithExactBytes)
{
    TempDir dir;
    WriteFileBytes(dir / "de.itl", "\xEF\xBB\xBF[OK]=Okay|$$\r\n"
                                   "[Quote\"Back\\]=\xC4rger \x80\\n\x7F|$$\r\n"
                                   "[lost]=no terminator");
    const TRun run = RunTool(dir.Path(), {"dump", "de.itl"});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, "{\"key\": \"ok\", \"text\": \"Okay\"}\n"
                       "{\"key\": \"quote\\u0022back\\u005C\", "
                       "\"text\": \"\\u00C4rger \\u0080\\u000D\\u000A\\u007F\"}\n");

    const TRun empty = RunTool(dir.Path(), {"dump", "de.itl", "extra"});
    EXPECT_EQ(empty.ExitCode, 2);
}

TEST(ItlCommand, PipesAndDevicesLoadOrFailWithOneLine)
{
#ifdef _WIN32
    GTEST_SKIP() << "reads Linux's /dev/stdin, /dev/null and /dev/zero";
#endif
    TempDir dir;
    const std::string file = "[OK]=Okay|$$\r\n[Exit]=Ende|$$";
    struct TCase
    {
        const char* What;
        std::vector<std::string> Args;
        std::optional<std::string> Input;
        int ExitCode;
        std::string Out;
        std::optional<std::string> Err;
    };
    const std::string dumped =
        "{\"key\": \"ok\", \"text\": \"Okay\"}\n{\"key\": \"exit\", \"text\": \"Ende\"}\n";
    const std::string tooLarge = "bytescope-tool: itl: /dev/zero: The language file is larger than 64 MiB\n";
    const std::nullopt_t none = std::nullopt;
    const TCase cases[] = {
        {"a pipe is dumped", {"dump", "/dev/stdin"}, file, 0, dumped, none},
        {"a pipe is looked up", {"lookup", "/dev/stdin", "exit"}, file, 0, "\"Ende\"\n", none},
        {"an empty device", {"dump", "/dev/null"}, none, 0, "", none},
        // Cut off with a reason, not read until memory runs out.
        {"a device that never ends", {"dump", "/dev/zero"}, none, 1, "", tooLarge},
    };
    for (const TCase& c : cases) {
        const TRun run = RunTool(dir.Path(), c.Args, c.Input);
        EXPECT_EQ(run.ExitCode, c.ExitCode) << c.What << ": " << run.Err;
        EXPECT_EQ(run.Out, c.Out) << c.What;
        if (c.Err.has_value()) {
            EXPECT_EQ(run.Err, *c.Err) << c.What;
        }
    }
}

TEST(ItlCommand, LookupTakesUtf8KeysAndParameters)
{
    TempDir dir;
    WriteFileBytes(dir / "de.itl", "[\xC4rger]=Zorn <%1%>/<%2%>|$$");
    TRun run = RunTool(dir.Path(), {"lookup", "de.itl", "\xC3\x84RGER", "\xC3\xA4", "<%1%>"});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, "\"Zorn \\u00E4/<%1%>\"\n");

    run = RunTool(dir.Path(), {"lookup", "-", "Missing <%1%>", "x"});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, "\"Missing x\"\n");
}

TEST(ItlCommand, GenerateWritesTheFileTheEngineWouldWrite)
{
    TempDir dir;
    WriteFileBytes(dir / "de.itl", "[OK]=Ok\\nay|$$");
    const TRun run =
        RunTool(dir.Path(), {"generate", "de.itl", "--out", "gen.itl", "Exit", "ok", "EXIT", "About"});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(ReadFileBytes(dir / "gen.itl"), "[Exit]=Exit|$$\r\n[About]=About|$$\r\n[ok]=Ok\r\nay|$$\r\n");
    // Only OUT is written: nothing lands in the current directory under the tool's own name.
    EXPECT_FALSE(std::filesystem::exists(dir / "bytescope-tool.itl"));

    const TRun none = RunTool(dir.Path(), {"generate", "-", "--out", "none.itl"});
    EXPECT_EQ(none.ExitCode, 0) << none.Err;
    EXPECT_TRUE(std::filesystem::exists(dir / "none.itl"));
    EXPECT_EQ(std::filesystem::file_size(dir / "none.itl"), 0u);

    const TRun unwritable = RunTool(dir.Path(), {"generate", "-", "--out", "no/such/dir.itl", "x"});
    EXPECT_EQ(unwritable.ExitCode, 1);
    EXPECT_THAT(unwritable.Err, HasSubstr("no/such/dir.itl"));

    // Arguments are bytes: a file name that is not UTF-8 is kept; a KEY that looks like an option
    // comes after "--", and may be "--out" itself.
    const TRun dashed =
        RunTool(dir.Path(), {"generate", "-", "Exit", "--out=dash-\xFF.itl", "--", "-k", "--out"});
    EXPECT_EQ(dashed.ExitCode, 0) << dashed.Err;
    EXPECT_EQ(ReadFileBytes(dir.Path() / PathFromBytes("dash-\xFF.itl")),
              "[Exit]=Exit|$$\r\n[-k]=-k|$$\r\n[--out]=--out|$$\r\n");
}

TEST(ItlCommand, FailuresAndBadUsageHaveTheirExitCodes)
{
    TempDir dir;
    TRun run = RunTool(dir.Path(), {"dump", "missing.itl"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_THAT(run.Err, HasSubstr("missing.itl"));
    EXPECT_EQ(run.Out, "");
    run = RunTool(dir.Path(), {"lookup", "missing.itl", "key"});
    EXPECT_EQ(run.ExitCode, 1);
    run = RunTool(dir.Path(), {"dump", "-"});
    EXPECT_EQ(run.ExitCode, 1);

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"dump"},
                                               {"lookup", "-"},
                                               {"generate", "-", "Exit"},
                                               {"generate", "-", "--out"},
                                               {"generate", "-", "--out", "a.itl", "-k"},
                                               {"generate", "-", "--out", "a.itl", "--out", "b.itl"}}) {
        EXPECT_EQ(RunTool(dir.Path(), args).ExitCode, 2) << ::testing::PrintToString(args);
    }
    EXPECT_EQ(RunTool(dir.Path(), {"--help"}).ExitCode, 0);
}
