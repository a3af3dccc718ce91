#include "util/ReplaceAll.h"

#include "util/AsciiText.h"

std::string ReplaceAll(std::string_view source, std::string_view find, std::string_view replacement,
                       bool ignoreCase)
{
    if (find.empty())
        return std::string(source);
    // Searching a folded copy keeps the original letters for the result.
    const std::string foldedSource = ignoreCase ? AsciiLower(source) : std::string();
    const std::string foldedFind = ignoreCase ? AsciiLower(find) : std::string();
    const std::string_view haystack = ignoreCase ? std::string_view(foldedSource) : source;
    const std::string_view needle = ignoreCase ? std::string_view(foldedFind) : find;

    std::string result;
    std::size_t copied = 0;
    for (auto hit = haystack.find(needle); hit != std::string_view::npos;
         hit = haystack.find(needle, copied)) {
        result.append(source.substr(copied, hit - copied));
        result.append(replacement);
        copied = hit + needle.size();
    }
    result.append(source.substr(copied));
    return result;
}
