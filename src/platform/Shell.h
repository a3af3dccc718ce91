#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the Windows shell's "open" does for a hyperlink, without ever passing text to a shell.

// Opens a web address with the desktop's default handler (Linux: starts "xdg-open URL" with
// posix_spawnp and reaps it in the background; Windows: ShellExecute "open"), or starts the program
// named by the environment variable BYTESCOPE_URL_OPENER with the address as its one argument (for
// tests). The result is not examined.
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

// Starts argv[0] with the arguments argv[1..] and does not wait for it. Returns ssOk, or the error
// the Windows shell gives: 2 file not found, 3 a folder of the path is missing, 5 access denied
// (also a folder or anything else that cannot be run), 8 out of memory or processes, 11 not an
// executable format. An empty argv gives 2.
// Linux: posix_spawnp (a name without "/" is searched along PATH; no shell is tried for scripts
// without "#!"); the program is reaped in the background.
// Windows: ShellExecute "open" with the arguments quoted as the C runtime splits them; any other
// number it reports at or below 32 (26 sharing violation, 31 no association, ...) is returned as
// it is, and its 0 (out of memory) as 8.
int StartProgram(const std::vector<std::string>& argv);

// StartProgram with the program and its parameter text: split by SplitParameters on Linux, handed
// to the program as it is on Windows.
int StartProgram(std::string_view program, std::string_view parameters);
