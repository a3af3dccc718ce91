#pragma once

#include "support/TempDir.h"

#include <filesystem>
#include <string>

// Points this process, and what it starts, at a private runtime folder (0700) and private config
// folders while the object lives; the environment is put back afterwards.
class PrivateEnvironment
{
public:
    PrivateEnvironment();
    ~PrivateEnvironment();
    PrivateEnvironment(const PrivateEnvironment&) = delete;
    PrivateEnvironment& operator=(const PrivateEnvironment&) = delete;

    // The private runtime folder (XDG_RUNTIME_DIR).
    const std::filesystem::path& Path() const { return FBase.Path(); }
    // The folder below it that the message windows use.
    std::string Folder() const { return (FBase / "mentix").string(); }
    // Writes the server instance value (the ViewerHandle line as it stands in the file).
    void WriteViewerHandle(const std::string& line);

private:
    TempDir FBase;
    std::string FSavedRuntime;
    std::string FSavedConfig;
    bool FHadRuntime;
    bool FHadConfig;
};
