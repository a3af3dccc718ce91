#include "platform/RegistryValue.h"

#include <cstdlib>

std::vector<std::filesystem::path> ConfigFolders()
{
    const char* variable = std::getenv("XDG_CONFIG_DIRS");
    const std::string_view list = variable != nullptr && variable[0] != '\0' ? variable : "/etc/xdg";
    std::vector<std::filesystem::path> folders;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string_view::npos)
            end = list.size();
        const std::string_view entry = list.substr(start, end - start);
        if (!entry.empty() && entry.front() == '/')
            folders.emplace_back(entry);
        start = end + 1;
    }
    return folders;
}

std::string ReadValdoraValue(std::string_view section, std::string_view name)
{
    return ReadRegistryText(ConfigFolders(), std::filesystem::path("Norvane") / "valdora.conf", section,
                            name);
}
