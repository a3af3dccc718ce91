#include "platform/RuntimeFolder.h"

#include "RuntimeFolderPlaces.h"
#include "platform/LastError.h"
#include "platform/PlatformError.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

enum class Verdict
{
    Private, // a folder of the user's, closed to everyone else
    OwnButOpen,
    Unusable // missing and not creatable, or the name is held by something that is not ours
};

// Creates `folder` (0700) when missing and says whether it is a private folder of `user`; `why`
// gets the reason when it is not.
Verdict Examine(const std::string& folder, uid_t user, std::string& why)
{
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        why = "Cannot create the runtime folder " + folder + ": " + LastErrorText();
        return Verdict::Unusable;
    }
    struct stat info
    {};
    if (::lstat(folder.c_str(), &info) != 0) {
        why = "Cannot examine the runtime folder " + folder + ": " + LastErrorText();
        return Verdict::Unusable;
    }
    if (!S_ISDIR(info.st_mode)) {
        why = "The runtime folder " + folder + " is not a folder";
        return Verdict::Unusable;
    }
    if (info.st_uid != user) {
        why = "The runtime folder " + folder + " belongs to another user";
        return Verdict::Unusable;
    }
    if ((info.st_mode & 077) != 0) {
        why = "The runtime folder " + folder + " is open to other users";
        return Verdict::OwnButOpen;
    }
    return Verdict::Private;
}

// A folder of the user's own that nobody else can make first: under the home folder, and per
// machine, because a home folder may be shared between machines whose sockets and locks are not.
std::string PrivateFallback(const RuntimeFolderPlaces& places)
{
    const std::string cache = places.Home + "/.cache";
    ::mkdir(cache.c_str(), 0700);
    return cache + "/mentix-" + (places.Host.empty() ? std::string("localhost") : places.Host);
}

std::string HomeOf(uid_t user)
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/')
        return found->pw_dir;
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? home : "";
}

std::string HostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    std::string host(name);
    for (char& c : host) {
        if (c == '/')
            c = '_';
    }
    return host;
}

} // namespace

std::filesystem::path ChooseRuntimeFolder(const RuntimeFolderPlaces& places)
{
    std::string why;
    if (!places.XdgRuntimeDir.empty() && places.XdgRuntimeDir[0] == '/') {
        const std::string folder = places.XdgRuntimeDir + "/mentix";
        if (Examine(folder, places.User, why) != Verdict::Private)
            throw PlatformError(why);
        return folder;
    }
    // Any user can make this name first; then it is not ours, and our programs meet in the
    // private fallback instead. All of them see the same name taken, so they all go there.
    const std::string shared = places.SharedBase + "/mentix-" + std::to_string(places.User);
    const Verdict verdict = Examine(shared, places.User, why);
    if (verdict == Verdict::Private)
        return shared;
    if (verdict == Verdict::OwnButOpen || places.Home.empty())
        throw PlatformError(why);
    const std::string fallback = PrivateFallback(places);
    std::string fallbackWhy;
    if (Examine(fallback, places.User, fallbackWhy) != Verdict::Private)
        throw PlatformError(why + "; " + fallbackWhy);
    return fallback;
}

std::filesystem::path RuntimeFolder()
{
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    const uid_t user = ::geteuid();
    // The user database and the host name only when they can matter: this runs on every probe.
    if (xdg != nullptr && xdg[0] == '/')
        return ChooseRuntimeFolder({xdg, {}, {}, {}, user});
    return ChooseRuntimeFolder({{}, "/tmp", HomeOf(user), HostName(), user});
}
