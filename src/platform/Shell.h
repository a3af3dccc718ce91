#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the Windows shell's "open" does for a hyperlink, without ever passing text to a shell.

// Opens a web address with the desktop's default handler: starts "xdg-open URL" (or the program
// named by the environment variable BYTESCOPE_URL_OPENER, for tests) with posix_spawnp. The result
// is not examined; the started process is reaped in the background.
void OpenWebAddress(std::string_view url);

// The error numbers that the Windows shell reports for a program that cannot be started.
enum ShellStartError : int
{
    ssOk = 0,
    ssFileNotFound = 2,
    ssPathNotFound = 3,
    ssAccessDenied = 5,
    ssOutOfMemory = 8,
    ssBadFormat = 11
};

// Starts argv[0] with the arguments argv[1..] (posix_spawnp: a name without "/" is searched along
// PATH) and does not wait for it; it is reaped in the background. Returns ssOk, or the error the
// Windows shell would give: 2 file not found, 3 a folder of the path is missing, 5 access denied
// (also a folder or anything else that cannot be run), 8 out of memory or processes, 11 not an
// executable format (no shell is tried for scripts without "#!"). An empty argv gives 2.
int StartProgram(const std::vector<std::string>& argv);

// StartProgram with the program and its parameter text split by SplitShellWords.
int StartProgram(std::string_view program, std::string_view parameters);

// The shell error number for an errno value of a failed start (see StartProgram).
int ShellErrorFromErrno(int errorNumber, std::string_view program);
