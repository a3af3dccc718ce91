#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

// The places RuntimeFolder() chooses from. It fills them from the environment, the user database
// and the host name; a test gives folders of its own.
struct RuntimeFolderPlaces
{
    std::string XdgRuntimeDir; // taken when it is an absolute path
    std::string SharedBase;    // where "mentix-<uid>" is made when there is no XDG_RUNTIME_DIR
    std::string Home;          // the user's home folder, for the private fallback
    std::string Host;          // this machine's name
    uid_t User = 0;
};

// The runtime folder at these places, created when missing; throws PlatformError with every
// reason when none can be used.
std::filesystem::path ChooseRuntimeFolder(const RuntimeFolderPlaces& places);
