#include "platform/BytePath.h"

#include <windows.h>

#include <climits>

std::filesystem::path PathFromBytes(std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(bytes.size());
    const int wide = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring name(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, name.data(), wide);
    return std::filesystem::path(name);
}

std::string BytesFromPath(const std::filesystem::path& path)
{
    const std::wstring& name = path.native();
    if (name.empty() || name.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(name.size());
    const int narrow = ::WideCharToMultiByte(CP_ACP, 0, name.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(narrow), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, name.data(), size, bytes.data(), narrow, nullptr, nullptr);
    return bytes;
}
