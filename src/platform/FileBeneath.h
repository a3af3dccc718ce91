#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// How a path below a folder is resolved without ever leaving that folder (Linux; Windows has one
// way, see below).
enum class BeneathResolution
{
    // The kernel resolves the whole path in one call and refuses every way out (openat2 with
    // RESOLVE_BENEATH). Where the kernel lacks that call, or refuses it, Components is used.
    Kernel,
    // We walk the path one part at a time from descriptors we hold, opening each part with
    // O_NOFOLLOW and resolving symbolic links ourselves, so a link swapped in between two steps is
    // never followed by the kernel. Behaves as Kernel does; it is chosen here only to test it.
    Components
};

// Reads the regular file `relative` below `folder`, or nothing when it is missing, not a regular
// file, larger than `maxBytes`, unreadable, or reachable only by leaving the folder.
//
// `relative` has "/" between its parts; empty and "." parts are skipped, ".." goes up but never
// above `folder`. Symbolic links on the way are followed while they stay below `folder`: a link to
// an absolute path, or one that climbs above the folder, is refused, as is a chain of more than 40
// links. An absolute `relative`, or one holding a zero byte, is refused. Special files (FIFOs,
// devices) are refused without waiting on them.
//
// Windows: "/" and "\" both separate parts, and every way a Windows path could lead elsewhere is
// refused instead of followed: ".." anywhere, a drive letter or any ":" (alternate data streams),
// device names (CON, NUL, COM1, ...), parts the system would trim (trailing dots and blanks), and
// any link or other reparse point on the way. Each folder on the way is held open, so it cannot be
// renamed or replaced while the walk goes on below it, and the file that is read must really lie
// below the folder. `resolution` makes no difference there.
std::optional<std::string> ReadFileBeneath(const std::filesystem::path& folder, std::string_view relative,
                                           std::size_t maxBytes,
                                           BeneathResolution resolution = BeneathResolution::Kernel);
