#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The read-only folder whose files the server hands out. A requested name is a path relative to
// that folder ("/" or "\" between its parts); it can never reach outside it: absolute names, ".."
// parts and symbolic links that lead out are refused like missing files.
class ServedFiles
{
public:
    ServedFiles() = default; // serves nothing
    explicit ServedFiles(std::filesystem::path folder);

    // The file's bytes, or nothing when it is not there, not a regular file, not allowed, or
    // larger than `maxBytes`.
    std::optional<std::string> Read(std::string_view name, std::size_t maxBytes) const;

private:
    std::filesystem::path FFolder;
};
