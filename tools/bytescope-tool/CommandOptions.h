#pragma once

#include <string>
#include <string_view>
#include <vector>

// The options and words of one command, read by QCommandLineParser. An option takes its value
// from the next argument whatever it looks like (`--font-height -13`) or after '=' (`--out=F`);
// `--` ends the options. Arguments are bytes: they pass through the parser as Latin-1, so a
// value comes back exactly as given, whatever its encoding.
class CommandOptions
{
public:
    struct Option
    {
        std::string Name; // without dashes
        bool TakesValue = false;
    };

    struct Given
    {
        std::string Name;
        std::string Value; // empty for a flag
    };

    enum class WordsEndOptions
    {
        No,  // options may stand anywhere among the words
        Yes, // everything from the first word on is a word (a sub-command and its arguments)
    };

    CommandOptions(std::vector<Option> options, WordsEndOptions wordsEndOptions);

    // Reads `args`; false when the parser refused one of them (see Refused()).
    bool Parse(const std::vector<std::string>& args);

    // The options read, in command-line order; an option given twice is there twice.
    const std::vector<Given>& Options() const { return FGiven; }
    // How often the option `name` was given.
    int Count(std::string_view name) const;
    // The value of the last `name` given ("" when there is none).
    std::string Value(std::string_view name) const;
    const std::vector<std::string>& Words() const { return FWords; }
    // The argument the parser refused, as it was written: an unknown option, a flag given a
    // value with '=', or the last argument when it is an option whose value is missing.
    const std::string& Refused() const { return FRefused; }
    // Whether the refused argument is an option whose value is missing.
    bool LacksValue() const { return FLacksValue; }

    // Whether `arg` asks a command for its usage text.
    static bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

private:
    void FindRefused(const std::vector<std::string>& args, const std::vector<std::string>& unknown);

    std::vector<Option> FOptions;
    WordsEndOptions FWordsEndOptions;
    std::vector<Given> FGiven;
    std::vector<std::string> FWords;
    std::string FRefused;
    bool FLacksValue = false;
};
