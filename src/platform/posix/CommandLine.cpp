#include "platform/CommandLine.h"

#include <fstream>
#include <iterator>

CommandLine::CommandLine(int argc, const char* const* argv)
{
    for (int i = 0; i < argc; ++i)
        FArguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
}

CommandLine CommandLine::OfThisProcess()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\0', start);
        arguments.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return CommandLine(std::move(arguments));
}
