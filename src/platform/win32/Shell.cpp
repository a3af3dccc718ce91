#include "platform/Shell.h"

#include "platform/ShellWords.h"
#include "platform/WindowsWords.h"

#include <cstdint>
#include <cstdlib>
#include <windows.h>

#include <shellapi.h>

namespace {

// Starts a program with a command line and lets it go.
void StartDetached(const std::vector<std::string>& argv)
{
    std::string commandLine = JoinWindowsCommandLine(argv);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &started)) {
        ::CloseHandle(started.hThread);
        ::CloseHandle(started.hProcess);
    }
}

// ShellExecute's "open"; its result above 32 is success, anything else one of its error numbers.
int ShellOpen(const std::string& file, const std::string& parameters)
{
    const HINSTANCE result =
        ::ShellExecuteA(nullptr, "open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                        nullptr, SW_SHOWNORMAL);
    const auto code = reinterpret_cast<std::intptr_t>(result);
    if (code > 32)
        return ssOk;
    return code == 0 ? ssOutOfMemory : static_cast<int>(code);
}

} // namespace

void OpenWebAddress(std::string_view url)
{
    const char* opener = std::getenv("BYTESCOPE_URL_OPENER");
    if (opener != nullptr && opener[0] != '\0')
        StartDetached({opener, std::string(url)});
    else
        ShellOpen(std::string(url), {});
}

int StartProgram(const std::vector<std::string>& argv)
{
    if (argv.empty() || argv[0].empty())
        return ssFileNotFound;
    std::string parameters;
    for (std::size_t i = 1; i < argv.size(); ++i)
        parameters += (i > 1 ? " " : "") + QuoteWindowsWord(argv[i]);
    return ShellOpen(argv[0], parameters);
}

int StartProgram(std::string_view program, std::string_view parameters)
{
    if (program.empty())
        return ssFileNotFound;
    return ShellOpen(std::string(program), std::string(parameters));
}

std::vector<std::string> SplitParameters(std::string_view text)
{
    return SplitWindowsWords(text);
}
