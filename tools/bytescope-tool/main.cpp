// bytescope-tool: command-line access to Bytescope's libraries, for users, documentation and tests.
#include "CommandOptions.h"
#include "Commands.h"

#include <cstdio>

namespace {

const char* const kUsage = "usage: bytescope-tool COMMAND [ARGS...]\n"
                           "\n"
                           "commands:\n"
                           "  bin VALUE DIGITS          print VALUE as DIGITS binary digits\n"
                           "  render [OPTIONS] --out F  paint one dot-matrix display into the PNG file F\n"
                           "  itl dump|lookup|generate|template ...\n"
                           "                            read, query and write language files\n"
                           "  mentix SUBCOMMAND ...     talk to a running Mentix server as a client\n"
                           "\n"
                           "'bytescope-tool COMMAND --help' tells more about a command.\n";

} // namespace

int Fail(int code, const std::string& message)
{
    std::fprintf(stderr, "bytescope-tool: %s\n", message.c_str());
    return code;
}

int main(int argc, char** argv)
{
    if (argc < 2 || CommandOptions::IsHelp(argv[1])) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const std::string command = argv[1];
    const CommandArgs args(argv + 2, argv + argc);
    if (command == "bin")
        return RunBinCommand(args);
    if (command == "render")
        return RunRenderCommand(args, argc, argv);
    if (command == "itl")
        return RunItlCommand(args, argc, argv);
    if (command == "mentix")
        return RunMentixCommand(args, argc, argv);
    return Fail(2, "unknown command '" + command + "' (see --help)");
}
