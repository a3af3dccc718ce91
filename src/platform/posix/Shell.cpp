#include "platform/Shell.h"

#include "Spawn.h"
#include "platform/ShellWords.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace {

// The shell error number for an errno value of a failed start (see StartProgram).
int ShellErrorFromErrno(int errorNumber, std::string_view program)
{
    switch (errorNumber) {
    case 0:
        return ssOk;
    case ENOENT: {
        // A missing folder on the way is "path not found", a missing file in an existing folder
        // "file not found".
        const auto slash = program.find_last_of('/');
        if (slash == std::string_view::npos || slash == 0)
            return ssFileNotFound;
        struct stat info
        {};
        const std::string folder(program.substr(0, slash));
        return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? ssFileNotFound : ssPathNotFound;
    }
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return ssPathNotFound;
    case ENOMEM:
    case EAGAIN:
    case E2BIG:
        return ssOutOfMemory;
    case ENOEXEC:
    case ELIBBAD:
        return ssBadFormat;
    default:
        return ssAccessDenied;
    }
}

} // namespace

void OpenWebAddress(std::string_view url)
{
    const char* opener = std::getenv("BYTESCOPE_URL_OPENER");
    const std::string program = opener != nullptr && opener[0] != '\0' ? opener : "xdg-open";
    int error = 0;
    const pid_t pid = SpawnArgv({program, std::string(url)}, error);
    if (pid != 0)
        ReapInBackground(pid);
}

int StartProgram(const std::vector<std::string>& argv)
{
    if (argv.empty())
        return ssFileNotFound;
    int error = 0;
    const pid_t pid = SpawnArgv(argv, error);
    if (pid == 0)
        return ShellErrorFromErrno(error == 0 ? ENOENT : error, argv[0]);
    ReapInBackground(pid);
    return ssOk;
}

int StartProgram(std::string_view program, std::string_view parameters)
{
    std::vector<std::string> argv{std::string(program)};
    for (std::string& word : SplitParameters(parameters))
        argv.push_back(std::move(word));
    return StartProgram(argv);
}

std::vector<std::string> SplitParameters(std::string_view text)
{
    return SplitShellWords(text);
}
