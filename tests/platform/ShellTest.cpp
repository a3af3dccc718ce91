#include "platform/Shell.h"
#include "Peer.h"
#include "platform/ShellWords.h"
#include "platform/WindowsWords.h"
#include "support/PrivateEnvironment.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using Words = std::vector<std::string>;

namespace {

void SetEnvironment(const char* name, const std::string& value)
{
#ifdef _WIN32
    ::_putenv_s(name, value.c_str()); // an empty value removes the variable
#else
    if (value.empty())
        ::unsetenv(name);
    else
        ::setenv(name, value.c_str(), 1);
#endif
}

} // namespace

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

TEST(WindowsWords, SplitsAndQuotesAsTheCRuntimeDoes)
{
    EXPECT_EQ(SplitWindowsWords(""), Words{});
    EXPECT_EQ(SplitWindowsWords(" a  b\tc"), (Words{"a", "b", "c"}));
    EXPECT_EQ(SplitWindowsWords("\"a b\" x\"c d\"y \"\""), (Words{"a b", "xc dy", ""}));
    // Backslashes are only special before a quote.
    EXPECT_EQ(SplitWindowsWords("C:\\dir\\ \\\\server\\share"), (Words{"C:\\dir\\", "\\\\server\\share"}));
    EXPECT_EQ(SplitWindowsWords("a\\\"b \"c\\\\\" d\\\\\\\"e"), (Words{"a\"b", "c\\", "d\\\"e"}));
    EXPECT_EQ(SplitWindowsWords("\"a\"\"b\" 'c d'"), (Words{"a\"b", "'c", "d'"}));
    EXPECT_EQ(SplitWindowsWords("\"open end  "), (Words{"open end  "}));
    EXPECT_EQ(SplitWindowsWords("$HOME *.txt %PATH%"), (Words{"$HOME", "*.txt", "%PATH%"}));

    // The program name: quoted up to the next quote, else up to a blank; backslashes are plain.
    EXPECT_EQ(SplitWindowsCommandLine("\"C:\\Program Files\\b.exe\" /x \"y z\""),
              (Words{"C:\\Program Files\\b.exe", "/x", "y z"}));
    EXPECT_EQ(SplitWindowsCommandLine("C:\\b\\\"x y"), (Words{"C:\\b\\\"x", "y"}));
    EXPECT_EQ(SplitWindowsCommandLine(""), Words{});

    // Whatever an argument holds, quoting gives it back unchanged.
    const Words awkward{"C:\\Program Files\\b.exe",
                        "plain",
                        "",
                        "a b",
                        "end\\",
                        "sp ace\\",
                        "q\"t",
                        "\\\"",
                        "\\\\\"x\\\\",
                        "tab\there",
                        "\"",
                        "\xE9t\xE9"};
    EXPECT_EQ(SplitWindowsCommandLine(JoinWindowsCommandLine(awkward)), awkward);
    EXPECT_EQ(QuoteWindowsWord("plain"), "plain");
    EXPECT_EQ(QuoteWindowsWord("a b\\"), "\"a b\\\\\"");
}

TEST(Shell, StartProgramReportsTheShellsErrorNumbers)
{
    TempDir dir;
#ifdef _WIN32
    // Windows decides by the extension what to do with a file; these are programs by name.
    const std::string extension = ".exe";
#else
    const std::string extension;
#endif
    EXPECT_EQ(StartProgram({"no-such-program-anywhere" + extension}), ssFileNotFound);
    EXPECT_EQ(StartProgram({(dir / ("missing" + extension)).string()}), ssFileNotFound);
#ifdef _WIN32
    // The shell's own verdict: Windows names the missing folder, Wine 8 the missing file.
    EXPECT_THAT(StartProgram({(dir / "no-folder" / ("missing" + extension)).string()}),
                ::testing::AnyOf(ssPathNotFound, ssFileNotFound));
#else
    EXPECT_EQ(StartProgram({(dir / "no-folder" / ("missing" + extension)).string()}), ssPathNotFound);
#endif
    EXPECT_EQ(StartProgram(std::vector<std::string>{}), ssFileNotFound);
    EXPECT_EQ(StartProgram(PeerProgram(), "exit 3"), ssOk);
    EXPECT_EQ(StartProgram({PeerProgram(), "exit", "3"}), ssOk);
#ifndef _WIN32
    // Execute permission is a POSIX matter.
    WriteFileBytes(dir / "plain", "not a program");
    EXPECT_EQ(StartProgram({(dir / "plain").string()}), ssAccessDenied);
    ::chmod((dir / "plain").c_str(), 0700);
    EXPECT_EQ(StartProgram({(dir / "plain").string()}), ssBadFormat);
#endif
}

TEST(Shell, WebAddressesGoToTheOpener)
{
    TempDir dir;
    const std::string record = (dir / "opened").string();
    SetEnvironment("PLATFORM_PEER_RECORD", record);
    SetEnvironment("BYTESCOPE_URL_OPENER", PeerProgram());
    OpenWebAddress("https://example.org/a b?c=$d&e=\"f\"");
    SetEnvironment("BYTESCOPE_URL_OPENER", "");
    SetEnvironment("PLATFORM_PEER_RECORD", "");
    // The opener runs on its own; look for its record for a generous while.
    for (int i = 0; i < 3000 && ReadFileBytes(record).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::string opened = ReadFileBytes(record);
    std::erase(opened, '\r'); // the opener writes text lines, which end in CR LF on Windows
    EXPECT_EQ(opened, "https://example.org/a b?c=$d&e=\"f\"\n");
}
