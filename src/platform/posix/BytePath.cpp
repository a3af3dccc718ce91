#include "platform/BytePath.h"

std::filesystem::path PathFromBytes(std::string_view bytes)
{
    return std::filesystem::path(std::string(bytes));
}

std::string BytesFromPath(const std::filesystem::path& path)
{
    return path.string();
}
