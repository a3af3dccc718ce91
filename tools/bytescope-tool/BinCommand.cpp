#include "Commands.h"
#include "NumberArgument.h"

#include "util/BinText.h"

#include <cstdint>
#include <cstdio>

int RunBinCommand(const CommandArgs& args)
{
    if (args.size() == 1 && args[0] == "--help") {
        std::puts("usage: bytescope-tool bin VALUE DIGITS\n"
                  "  VALUE 0..4294967295, DIGITS 0..255 (clamped to 1..32)");
        return 0;
    }
    if (args.size() != 2)
        return Fail(2, "bin: expected VALUE and DIGITS");
    const auto value = ParseNumber<std::uint32_t>(args[0]);
    if (!value)
        return Fail(2, "bin: VALUE must be a number from 0 to 4294967295: '" + args[0] + "'");
    const auto digits = ParseNumber<std::uint32_t>(args[1], 0, UINT8_MAX);
    if (!digits)
        return Fail(2, "bin: DIGITS must be a number from 0 to 255: '" + args[1] + "'");
    std::puts(IntToBinText(*value, static_cast<std::uint8_t>(*digits)).c_str());
    return 0;
}
