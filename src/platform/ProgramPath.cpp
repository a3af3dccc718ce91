#include "platform/ProgramPath.h"

#include "util/AsciiText.h"

std::string ReplaceProgramExtension(std::string_view path, std::string_view extension)
{
    if (path.size() >= 4 && AsciiEqualNoCase(path.substr(path.size() - 4), ".exe"))
        return std::string(path.substr(0, path.size() - 4)) + std::string(extension);
    return std::string(path) + std::string(extension);
}

std::string FileNamePart(std::string_view path)
{
    const auto slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderPart(std::string_view path)
{
    const auto slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ApplicationTitle(std::string_view path)
{
    std::string name = FileNamePart(path);
    name = name.substr(0, name.find('.'));
    AsciiLowerInPlace(name);
    if (!name.empty() && name[0] >= 'a' && name[0] <= 'z')
        name[0] = static_cast<char>(name[0] - 'a' + 'A');
    return name;
}
