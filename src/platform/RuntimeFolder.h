#pragma once

#include <filesystem>

// Windows: "%LOCALAPPDATA%\mentix", created when missing; refused when the name is held by
// anything but a folder (a link or other reparse point counts as not). Nothing of ours keeps files
// there on Windows: named mutexes and message windows are the system's own objects, and a waiting
// client gets the exit code from the process itself.
//
// Linux: the per-user folder that holds message windows, named mutexes and exit-code records:
// "$XDG_RUNTIME_DIR/mentix", or "/tmp/mentix-<uid>" when XDG_RUNTIME_DIR is unset, empty or not
// an absolute path. It is created with mode 0700 when missing.
//
// Anyone who can write into this folder can impersonate our windows, so a folder that is not a
// real directory (a symbolic link counts as not), not owned by the effective user, or open to the
// group or others (any of the 077 mode bits) is not used; nothing is repaired. Any local user can
// make "/tmp/mentix-<uid>" first: when that name is held by anything but a folder of ours, the
// folder is "~/.cache/mentix-<host>" instead (home from the user database), which only the user can
// make, and every program of the user, seeing the same name taken, goes there too. PlatformError
// tells why no folder can be used: "$XDG_RUNTIME_DIR/mentix" refused, our own "/tmp/mentix-<uid>"
// open to others, or both "/tmp/mentix-<uid>" and the fallback refused.
//
// The environment is read on every call (nothing is cached), so a test points a process and its
// children at a private folder by setting XDG_RUNTIME_DIR before it creates anything.
std::filesystem::path RuntimeFolder();
