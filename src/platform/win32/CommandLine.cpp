#include "platform/CommandLine.h"

#include "platform/WindowsWords.h"

#include <windows.h>

CommandLine::CommandLine(int argc, const char* const* argv)
{
    for (int i = 0; i < argc; ++i)
        FArguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
}

CommandLine CommandLine::OfThisProcess()
{
    // Split here by the runtime's rules, so the bytes are the ANSI code page's whatever the
    // runtime's own copy of argv holds.
    const char* text = ::GetCommandLineA();
    return CommandLine(SplitWindowsCommandLine(text != nullptr ? text : ""));
}
