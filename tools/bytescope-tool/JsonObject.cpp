#include "JsonObject.h"

#include "JsonText.h"

JsonObject& JsonObject::String(std::string_view name, std::string_view bytes)
{
    return Member(name, JsonString(bytes));
}

JsonObject& JsonObject::Number(std::string_view name, std::int64_t value)
{
    return Member(name, std::to_string(value));
}

JsonObject& JsonObject::Bool(std::string_view name, bool value)
{
    return Member(name, value ? "true" : "false");
}

JsonObject& JsonObject::Member(std::string_view name, std::string_view json)
{
    if (FMembers.size() > 1)
        FMembers += ", ";
    FMembers += JsonString(name);
    FMembers += ": ";
    FMembers += json;
    return *this;
}
