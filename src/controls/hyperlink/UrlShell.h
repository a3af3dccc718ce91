#pragma once

#include <string>

// How a hyperlink label reaches the desktop. Labels use DefaultUrlShell() unless one is given to
// them; tests give them a fake that records what would have been opened.
class TUrlShell
{
public:
    virtual ~TUrlShell() = default;

    // Opens a web address with the desktop's default handler. Whether that worked is not reported.
    virtual void OpenAddress(const std::string& url) = 0;

    // Starts the program at `path` with `params` split into words as a shell would split them.
    // Returns a code as the Windows shell gives it: above 32 on success; 2 file not found, 3 path
    // not found, 5 access denied, 8 out of memory, 11 not an executable format.
    virtual int StartProgram(const std::string& path, const std::string& params) = 0;
};

// The real desktop (platform/Shell.h): xdg-open for addresses, posix_spawn for programs, never
// a shell.
TUrlShell& DefaultUrlShell();
