#include "util/AsciiText.h"

#include <algorithm>

std::string AsciiLower(std::string_view text)
{
    std::string result(text);
    AsciiLowerInPlace(result);
    return result;
}

void AsciiLowerInPlace(std::string& text)
{
    std::transform(text.begin(), text.end(), text.begin(), AsciiLowerChar);
}

std::string TrimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

bool AsciiEqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLowerChar(a[i]) != AsciiLowerChar(b[i]))
            return false;
    }
    return true;
}

bool AsciiStartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && AsciiEqualNoCase(text.substr(0, prefix.size()), prefix);
}

std::size_t AsciiFindNoCase(std::string_view text, std::string_view what, std::size_t from)
{
    if (what.empty() || what.size() > text.size())
        return std::string_view::npos;
    // Candidates are the places of the first byte in either case, found with the library's fast
    // byte search; each case keeps its own next place so that no stretch is scanned twice.
    const char lower = AsciiLowerChar(what.front());
    const char upper = (lower >= 'a' && lower <= 'z') ? static_cast<char>(lower - 'a' + 'A') : lower;
    const std::size_t last = text.size() - what.size();
    std::size_t nextLower = text.find(lower, from);
    std::size_t nextUpper = upper == lower ? std::string_view::npos : text.find(upper, from);
    for (;;) {
        const std::size_t at = std::min(nextLower, nextUpper);
        if (at == std::string_view::npos || at > last)
            return std::string_view::npos;
        if (AsciiEqualNoCase(text.substr(at + 1, what.size() - 1), what.substr(1)))
            return at;
        if (at == nextLower)
            nextLower = text.find(lower, at + 1);
        else
            nextUpper = text.find(upper, at + 1);
    }
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
