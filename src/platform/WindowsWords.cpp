#include "platform/WindowsWords.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Reads one argument from `text` at `i` (no blank there) and leaves `i` after it.
std::string ReadArgument(std::string_view text, std::size_t& i)
{
    std::string word;
    bool quoted = false;
    while (i < text.size() && (quoted || !IsBlank(text[i]))) {
        const char c = text[i];
        if (c == '\\') {
            const std::size_t first = i;
            while (i < text.size() && text[i] == '\\')
                ++i;
            const std::size_t backslashes = i - first;
            const bool beforeQuote = i < text.size() && text[i] == '"';
            word.append(beforeQuote ? backslashes / 2 : backslashes, '\\');
            if (beforeQuote && backslashes % 2 == 1) {
                word += '"';
                ++i;
            }
        } else if (c == '"') {
            const bool doubled = quoted && i + 1 < text.size() && text[i + 1] == '"';
            if (doubled)
                word += '"';
            else
                quoted = !quoted;
            i += doubled ? 2 : 1;
        } else {
            word += c;
            ++i;
        }
    }
    return word;
}

bool NeedsQuotes(std::string_view word)
{
    return word.empty() || word.find_first_of(" \t\n\v\"") != std::string_view::npos;
}

} // namespace

std::vector<std::string> SplitWindowsWords(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    for (;;) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        if (i == text.size())
            return words;
        words.push_back(ReadArgument(text, i));
    }
}

std::vector<std::string> SplitWindowsCommandLine(std::string_view commandLine)
{
    if (commandLine.empty())
        return {};
    std::size_t end = 0;
    std::string program;
    if (commandLine.front() == '"') {
        end = commandLine.find('"', 1);
        program = commandLine.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1);
        end = end == std::string_view::npos ? commandLine.size() : end + 1;
    }
    while (end < commandLine.size() && !IsBlank(commandLine[end]))
        program += commandLine[end++];
    std::vector<std::string> words{program};
    for (std::string& word : SplitWindowsWords(commandLine.substr(end)))
        words.push_back(std::move(word));
    return words;
}

std::string QuoteWindowsWord(std::string_view word)
{
    if (!NeedsQuotes(word))
        return std::string(word);
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : word) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote gets one of its own.
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, '\\'); // before the closing quote
    return quoted + '"';
}

std::string JoinWindowsCommandLine(const std::vector<std::string>& argv)
{
    std::string line;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        if (i == 0)
            line = argv[0].find_first_of(" \t") != std::string::npos || argv[0].empty() ? '"' + argv[0] + '"'
                                                                                        : argv[0];
        else
            line += ' ' + QuoteWindowsWord(argv[i]);
    }
    return line;
}
