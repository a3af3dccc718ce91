#pragma once

#include <string>
#include <utility>
#include <vector>

// The process's command line as bytes: argument 0 (the program as started) and the arguments.
// Either fill it from main()'s argc/argv or read the system's copy; nothing is kept in global state.
class CommandLine
{
public:
    CommandLine() = default;
    CommandLine(int argc, const char* const* argv);
    explicit CommandLine(std::vector<std::string> arguments) : FArguments(std::move(arguments)) {}

    // The running process's own command line (Linux: /proc/self/cmdline; Windows: GetCommandLine
    // split by the C runtime's rules, see WindowsWords.h); empty when unreadable.
    static CommandLine OfThisProcess();

    // Arguments 0 to Count(); entry 0 is the program as started.
    const std::vector<std::string>& Arguments() const { return FArguments; }

    // The number of arguments after the program (ParamCount); -1 when empty.
    int Count() const { return static_cast<int>(FArguments.size()) - 1; }

private:
    std::vector<std::string> FArguments;
};
