#pragma once

#include "support/TempDir.h"

#include <filesystem>
#include <memory>
#include <string>

// Keeps a test's traces away from other tests and the user's own setup while the object lives;
// everything is put back afterwards.
//
// On Linux this process, and what it starts, use a private runtime folder (0700) and private
// config folders. On Windows message windows and named mutexes belong to the whole desktop and
// the server instance value to the (Wine prefix's) registry: the value is taken out for the test
// and put back; the windows cannot be made private, so CMake keeps tests that register windows from
// running at the same time there.
class PrivateEnvironment
{
public:
    PrivateEnvironment();
    ~PrivateEnvironment();
    PrivateEnvironment(const PrivateEnvironment&) = delete;
    PrivateEnvironment& operator=(const PrivateEnvironment&) = delete;

    // A private folder for the test's files (on Linux also XDG_RUNTIME_DIR).
    const std::filesystem::path& Path() const { return FBase.Path(); }
    // The folder below it that the message windows use on Linux.
    std::string Folder() const { return (FBase / "mentix").string(); }
    // Sets the server instance value: `line` as it stands in the Linux config file or in a
    // registry export ("ViewerHandle=abc", "ViewerHandle=dword:00000001", hex(1): bytes, ...).
    void WriteViewerHandle(const std::string& line);

private:
    class Saved; // what was there before
    TempDir FBase;
    std::unique_ptr<Saved> FSaved;
};
