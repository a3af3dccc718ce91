#include "Commands.h"

#include "util/BinText.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

namespace {

bool ParseUnsigned(const std::string& text, std::uint64_t max, std::uint64_t& value)
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty() && value <= max;
}

} // namespace

int RunBinCommand(const CommandArgs& args)
{
    if (args.size() == 1 && args[0] == "--help") {
        std::puts("usage: bytescope-tool bin VALUE DIGITS\n"
                  "  VALUE 0..4294967295, DIGITS 0..255 (clamped to 1..32)");
        return 0;
    }
    if (args.size() != 2)
        return Fail(2, "bin: expected VALUE and DIGITS");
    std::uint64_t value = 0;
    std::uint64_t digits = 0;
    if (!ParseUnsigned(args[0], UINT32_MAX, value))
        return Fail(2, "bin: VALUE must be a number from 0 to 4294967295: '" + args[0] + "'");
    if (!ParseUnsigned(args[1], UINT8_MAX, digits))
        return Fail(2, "bin: DIGITS must be a number from 0 to 255: '" + args[1] + "'");
    std::puts(IntToBinText(static_cast<std::uint32_t>(value), static_cast<std::uint8_t>(digits)).c_str());
    return 0;
}
