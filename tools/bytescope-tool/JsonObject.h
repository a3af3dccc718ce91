#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One JSON object on one line, its members in the order they are added and written as the tool
// has always written them: {"name": value, "other": value}. Strings are bytes (see JsonString).
class JsonObject
{
public:
    JsonObject& String(std::string_view name, std::string_view bytes);
    JsonObject& Number(std::string_view name, std::int64_t value);
    JsonObject& Bool(std::string_view name, bool value);

    std::string Text() const { return FMembers + "}"; }

private:
    JsonObject& Member(std::string_view name, std::string_view json);

    std::string FMembers = "{";
};
