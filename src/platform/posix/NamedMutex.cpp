#include "platform/NamedMutex.h"

#include "Internal.h"
#include "UniqueFd.h"
#include "platform/LastError.h"
#include "platform/PlatformError.h"
#include "platform/RuntimeFolder.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Any name becomes a safe file name; distinct names stay distinct.
std::string EncodedName(std::string_view name)
{
    std::string encoded;
    for (const char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '.' || c == '_' || c == '-';
        if (plain) {
            encoded += c;
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(c));
            encoded += escape;
        }
    }
    return encoded;
}

} // namespace

std::unique_ptr<NamedMutex> NamedMutex::TryAcquire(std::string_view name)
{
    const std::string path = (RuntimeFolder() / ("mutex-" + EncodedName(name) + ".lock")).string();
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.Valid())
        throw PlatformError("Cannot open the lock file " + path + ": " + LastErrorText());
    while (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            return nullptr;
        if (errno != EINTR)
            throw PlatformError("Cannot lock " + path + ": " + LastErrorText());
    }
    return std::unique_ptr<NamedMutex>(new NamedMutex(fd.Release(), RandomNonZero32()));
}

NamedMutex::~NamedMutex()
{
    ::close(static_cast<int>(FSystemHandle));
}
