#include "util/ReplaceAll.h"

#include "util/AsciiText.h"

std::string ReplaceAll(std::string_view source, std::string_view find, std::string_view replacement,
                       bool ignoreCase)
{
    if (find.empty())
        return std::string(source);
    const auto next = [&](std::size_t from) {
        return ignoreCase ? AsciiFindNoCase(source, find, from) : source.find(find, from);
    };
    std::string result;
    std::size_t copied = 0;
    for (auto hit = next(0); hit != std::string_view::npos; hit = next(copied)) {
        result.append(source.substr(copied, hit - copied));
        result.append(replacement);
        copied = hit + find.size();
    }
    result.append(source.substr(copied));
    return result;
}
