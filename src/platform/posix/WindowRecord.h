#pragma once

#include "UniqueFd.h"

#include <cstdint>
#include <string>
#include <vector>

// The files of a message window in the runtime folder: its socket "<handle>.sock" and its record
// "<handle>.win" (process id, class name, window name). The owner holds an flock on the record for
// the window's life; the lock dies with the process, which is how a dead window is recognised.
//
// Whoever holds a handle's record owns the handle: a window creates its record first and binds its
// socket only then, and takes no handle whose socket file is still there. So a socket file never
// belongs to anyone but the record beside it, and the files of a dead window can be removed while
// new windows register: the clean-up (under "windows.lock", which it only tries to take) checks that
// the dead record is still the one under the name and removes the socket before the record.
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

enum class Creation
{
    Created,
    Taken, // the handle has files already (a live window, or a dead one not yet cleaned up)
    Failed // errno says why
};

// Claims `handle` in `folder` for a new window of this process by creating its record, which is
// locked before it appears under its name and never replaces a record that is there. Registration
// takes no folder-wide lock, so no other process can make it wait.
Creation CreateRecord(const std::string& folder, std::uint32_t handle, const WindowRecord& record,
                      UniqueFd& lock);

enum class Liveness
{
    Missing,
    Dead,
    Alive
};

// Whether the window `handle` in `folder` lives; fills `record` (when not null) for a live one. A
// dead window's files are removed on the way.
Liveness ProbeRecord(const std::string& folder, std::uint32_t handle, WindowRecord* record);

// The handles of every record in `folder`, smallest first. Leftovers of windows whose process
// died while it registered (a record's temporary file, a socket without a record) are removed on
// the way.
std::vector<std::uint32_t> RecordedHandles(const std::string& folder);

// Removes the files of a window of this process: the socket first, so that a socket never stands
// without its record.
void RemoveWindowFiles(const std::string& folder, std::uint32_t handle);
