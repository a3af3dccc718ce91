#include "ServedFiles.h"

#include "platform/FileBeneath.h"

namespace {

// The name as a relative path with "/" separators, or nothing when it is absolute or climbs up.
std::optional<std::string> RelativeName(std::string_view name)
{
    std::string relative(name);
    for (char& c : relative) {
        if (c == '\\')
            c = '/';
    }
    const bool drive = relative.size() >= 2 && relative[1] == ':';
    if (relative.empty() || relative.front() == '/' || drive || relative.find('\0') != std::string::npos)
        return std::nullopt;
    for (const auto& part : std::filesystem::path(relative)) {
        if (part == "..")
            return std::nullopt;
    }
    return relative;
}

} // namespace

ServedFiles::ServedFiles(std::filesystem::path folder) : FFolder(std::move(folder)) {}

std::optional<std::string> ServedFiles::Read(std::string_view name, std::size_t maxBytes) const
{
    if (FFolder.empty())
        return std::nullopt;
    const auto relative = RelativeName(name);
    if (!relative)
        return std::nullopt;
    return ReadFileBeneath(FFolder, *relative, maxBytes);
}
