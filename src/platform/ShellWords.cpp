#include "platform/ShellWords.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

// Inside double quotes a backslash escapes only these.
bool EscapableInDoubleQuotes(char c)
{
    return c == '"' || c == '\\' || c == '$' || c == '`' || c == '\n';
}

} // namespace

std::vector<std::string> SplitShellWords(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (IsBlank(c)) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            ++i;
        } else if (c == '\'') {
            inWord = true;
            const std::size_t end = text.find('\'', i + 1);
            word += text.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1);
            i = end == std::string_view::npos ? text.size() : end + 1;
        } else if (c == '"') {
            inWord = true;
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size() && EscapableInDoubleQuotes(text[i + 1])) {
                    ++i;
                    if (text[i] == '\n')
                        continue;
                }
                word += text[i];
            }
            ++i;
        } else if (c == '\\' && i + 1 < text.size()) {
            if (text[i + 1] != '\n') {
                word += text[i + 1];
                inWord = true;
            }
            i += 2;
        } else {
            word += c;
            inWord = true;
            ++i;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}
