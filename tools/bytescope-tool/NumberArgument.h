#pragma once

#include <charconv>
#include <limits>
#include <optional>
#include <string_view>

// A whole number in decimal digits from the command line, '-' before a negative one and nothing
// else around it (no '+', no blanks), from `min` to `max`; nothing when the text is not one.
template <typename Number>
std::optional<Number> ParseNumber(std::string_view text, Number min = std::numeric_limits<Number>::min(),
                                  Number max = std::numeric_limits<Number>::max())
{
    Number value{};
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < min || value > max)
        return std::nullopt;
    return value;
}
