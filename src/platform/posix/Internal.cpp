#include "Internal.h"

#include "FileIo.h"
#include "UniqueFd.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

std::uint32_t RandomNonZero32()
{
    std::uint32_t value = 0;
    while (value == 0) {
        if (::getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value))
            value = 0;
    }
    return value;
}

bool WriteFileAtomically(const std::string& path, const std::string& contents)
{
    const auto slash = path.find_last_of('/');
    const std::string temporary =
        path.substr(0, slash + 1) + "." + path.substr(slash + 1) + "." + std::to_string(::getpid()) + ".tmp";
    UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.Valid())
        return false;
    if (WriteAll(fd.Get(), contents) != contents.size()) {
        ::unlink(temporary.c_str());
        return false;
    }
    fd.Reset();
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}
