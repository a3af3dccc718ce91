#include "controls/hyperlink/UrlShell.h"

#include "util/Cp1252.h"

#include <cerrno>
#include <cstdlib>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

// Splits like a POSIX shell splits words: blanks, tabs and line breaks separate; single quotes
// keep everything; double quotes keep everything but a backslash before " \ $ `; a backslash
// outside quotes keeps the next character. Nothing is expanded.
std::vector<std::string> SplitWords(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\\' && i + 1 < text.size()) {
            word += text[++i];
        } else if (c == '\'') {
            const auto end = text.find('\'', i + 1);
            word += text.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
            i = end == std::string::npos ? text.size() : end;
        } else if (c == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size() &&
                    std::string_view("\"\\$`").find(text[i + 1]) != std::string_view::npos)
                    ++i;
                word += text[i];
            }
        } else {
            word += c;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

bool FolderExists(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return true;
    struct stat info
    {};
    return ::stat(path.substr(0, slash + 1).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int ShellCodeOf(int error, const std::string& path)
{
    switch (error) {
    case ENOENT:
        return FolderExists(path) ? 2 : 3;
    case ENOTDIR:
        return 3;
    case EACCES:
    case EPERM:
        return 5;
    case ENOMEM:
    case E2BIG:
        return 8;
    default:
        return 11;
    }
}

// Starts `argv[0]` without a shell; the child is reaped by a thread of its own so that no zombie
// stays behind. Returns 0 or the errno of the failed start.
int SpawnDetached(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (error != 0)
        return error;
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return 0;
}

class PosixUrlShell final : public TUrlShell
{
public:
    void OpenAddress(const std::string& url) override
    {
        // BYTESCOPE_URL_OPENER lets tests and headless runs put another program in xdg-open's place.
        const char* opener = std::getenv("BYTESCOPE_URL_OPENER");
        SpawnDetached({opener && *opener ? opener : "/usr/bin/xdg-open", Cp1252ToUtf8(url)});
    }

    int StartProgram(const std::string& path, const std::string& params) override
    {
        std::vector<std::string> args{Cp1252ToUtf8(path)};
        for (auto& word : SplitWords(params))
            args.push_back(Cp1252ToUtf8(word));
        const int error = SpawnDetached(args);
        return error == 0 ? 33 : ShellCodeOf(error, args[0]);
    }
};

} // namespace

TUrlShell& DefaultUrlShell()
{
    static PosixUrlShell shell;
    return shell;
}
