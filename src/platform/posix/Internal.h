#pragma once

#include <cstdint>
#include <string>

// Pieces the POSIX services share; not part of the platform interface.

// A random non-zero 32-bit number (kernel randomness).
std::uint32_t RandomNonZero32();

// Removes the socket and record files of every message window of this process (the process is
// about to end without running destructors).
void RemoveWindowFilesOfThisProcess();

// Writes `contents` to `path` through a temporary file in the same folder and a rename, so that
// readers see either nothing or the whole file. Returns false on failure (errno set).
bool WriteFileAtomically(const std::string& path, const std::string& contents);
