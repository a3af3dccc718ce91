#include "platform/RuntimeFolder.h"

#include "platform/LastError.h"
#include "platform/PlatformError.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::filesystem::path ChosenFolder()
{
    const char* base = std::getenv("XDG_RUNTIME_DIR");
    if (base != nullptr && base[0] == '/')
        return std::filesystem::path(base) / "mentix";
    return std::filesystem::path("/tmp") / ("mentix-" + std::to_string(::geteuid()));
}

} // namespace

std::filesystem::path RuntimeFolder()
{
    const std::filesystem::path folder = ChosenFolder();
    const std::string name = folder.string();
    if (::mkdir(name.c_str(), 0700) != 0 && errno != EEXIST) {
        const int error = errno;
        throw PlatformError("Cannot create the runtime folder " + name + ": " + ErrorText(error), error);
    }
    struct stat info
    {};
    if (::lstat(name.c_str(), &info) != 0) {
        const int error = errno;
        throw PlatformError("Cannot examine the runtime folder " + name + ": " + ErrorText(error), error);
    }
    if (!S_ISDIR(info.st_mode))
        throw PlatformError("The runtime folder " + name + " is not a folder");
    if (info.st_uid != ::geteuid())
        throw PlatformError("The runtime folder " + name + " belongs to another user");
    if ((info.st_mode & 077) != 0)
        throw PlatformError("The runtime folder " + name + " is open to other users");
    return folder;
}
