#include "platform/Shell.h"
#include "Peer.h"
#include "platform/ShellWords.h"
#include "support/PrivateEnvironment.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using Words = std::vector<std::string>;

TEST(ShellWords, SplitsAsAShellWouldWithoutExpanding)
{
    EXPECT_EQ(SplitShellWords(""), Words{});
    EXPECT_EQ(SplitShellWords("  \t "), Words{});
    EXPECT_EQ(SplitShellWords(" a  b\tc\n"), (Words{"a", "b", "c"}));
    EXPECT_EQ(SplitShellWords("'a b' \"c d\""), (Words{"a b", "c d"}));
    EXPECT_EQ(SplitShellWords("x\"a\"'b'c"), (Words{"xabc"}));
    EXPECT_EQ(SplitShellWords("'' \"\""), (Words{"", ""}));
    EXPECT_EQ(SplitShellWords("a\\ b \\'q"), (Words{"a b", "'q"}));
    EXPECT_EQ(SplitShellWords("\"\\\"x\\\\ \\n $HOME\""), (Words{"\"x\\ \\n $HOME"}));
    EXPECT_EQ(SplitShellWords("'\\n' $HOME *.txt ~ `id`"), (Words{"\\n", "$HOME", "*.txt", "~", "`id`"}));
    EXPECT_EQ(SplitShellWords("a\\\nb"), (Words{"ab"}));
    EXPECT_EQ(SplitShellWords("'open end"), (Words{"open end"}));
    EXPECT_EQ(SplitShellWords("end\\"), (Words{"end\\"}));
}

TEST(Shell, StartProgramReportsTheShellsErrorNumbers)
{
    TempDir dir;
    EXPECT_EQ(StartProgram({"no-such-program-anywhere"}), ssFileNotFound);
    EXPECT_EQ(StartProgram({(dir / "missing").string()}), ssFileNotFound);
    EXPECT_EQ(StartProgram({(dir / "no-folder" / "missing").string()}), ssPathNotFound);
    WriteFileBytes(dir / "plain", "not a program");
    EXPECT_EQ(StartProgram({(dir / "plain").string()}), ssAccessDenied);
    ::chmod((dir / "plain").c_str(), 0700);
    EXPECT_EQ(StartProgram({(dir / "plain").string()}), ssBadFormat);
    EXPECT_EQ(StartProgram(std::vector<std::string>{}), ssFileNotFound);
    EXPECT_EQ(StartProgram(PeerProgram(), "exit 3"), ssOk);
}

TEST(Shell, WebAddressesGoToTheOpener)
{
    TempDir dir;
    const std::string record = (dir / "opened").string();
    ::setenv("PLATFORM_PEER_RECORD", record.c_str(), 1);
    ::setenv("BYTESCOPE_URL_OPENER", PeerProgram().c_str(), 1);
    OpenWebAddress("https://example.org/a b?c=$d");
    ::unsetenv("BYTESCOPE_URL_OPENER");
    ::unsetenv("PLATFORM_PEER_RECORD");
    // The opener runs on its own; look for its record for a generous while.
    for (int i = 0; i < 3000 && ReadFileBytes(record).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadFileBytes(record), "https://example.org/a b?c=$d\n");
}
