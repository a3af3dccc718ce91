#pragma once

#include "UniqueFd.h"

#include <cstdint>
#include <string>
#include <vector>

// The files of a message window in the runtime folder: its socket "<handle>.sock" and its record
// "<handle>.win" (process id, class name, window name). The owner holds an flock on the record for
// the window's life; the lock dies with the process, which is how a dead window is recognised.
struct WindowRecord
{
    long Pid = 0;
    std::string ClassName;
    std::string WindowName;

    std::string Encode() const;
    // False when `text` is not a whole record.
    static bool Decode(const std::string& text, WindowRecord& record);
};

std::string SocketPath(const std::string& folder, std::uint32_t handle);
std::string RecordPath(const std::string& folder, std::uint32_t handle);

// Serialises registration and clean-up of a handle's files in `folder`; invalid when it cannot be
// had.
UniqueFd LockFolder(const std::string& folder);

// Writes the record of a new window through a temporary file, locked before it appears under its
// name; the lock, or an invalid descriptor on failure (errno set).
UniqueFd WriteLockedRecord(const std::string& path, const WindowRecord& record);

enum class Liveness
{
    Missing,
    Dead,
    Alive
};

// Whether the window `handle` in `folder` lives; fills `record` (when not null) for a live one. A
// dead window's files are removed on the way.
Liveness ProbeRecord(const std::string& folder, std::uint32_t handle, WindowRecord* record);

// The handles of every record in `folder`, smallest first.
std::vector<std::uint32_t> RecordedHandles(const std::string& folder);

// Removes the files of a window of this process.
void RemoveWindowFiles(const std::string& folder, std::uint32_t handle);
