// The render command's options come from the command line of whoever calls the tool. Any list of
// arguments must be accepted into values inside their ranges or refused with a message.
//
// Input: the arguments, separated by zero bytes.
#include "RenderOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool Within(const std::optional<int>& value, int min, int max)
{
    return !value || (*value >= min && *value <= max);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back().push_back(static_cast<char>(data[i]));
    }
    RenderOptions options;
    const std::optional<std::string> error = ParseRenderOptions(args, options);
    if (error) {
        Check(error->starts_with("render: "));
        return 0;
    }
    Check(!options.Out.empty());
    Check(Within(options.Width, 1, 10000) && Within(options.Height, 1, 10000));
    Check(Within(options.FontHeight, -10000, 10000));
    Check(options.Ticks >= 0 && options.Ticks <= 1000000);
    Check(!options.FontName || !options.FontName->empty());
    return 0;
}
