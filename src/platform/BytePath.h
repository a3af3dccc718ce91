#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// File names in this program are bytes: Windows-1252 on Windows (the ANSI code page), whatever the
// file system takes on Linux. MinGW's std::filesystem::path reads and writes a std::string as
// UTF-8, which turns a name such as "caf\xE9.itl" into another file; a name becomes a path, and a
// path a name, only through these two.

// "dash-\xFF.itl" names the file "dash-ÿ.itl" on Windows and the same bytes on Linux.
std::filesystem::path PathFromBytes(std::string_view bytes);

// The path's name as the system's narrow ("A") functions take it.
std::string BytesFromPath(const std::filesystem::path& path);
