// mentix-server: the resident server that textbook programs talk to through message windows.
#include "TMentixServer.h"

#include "platform/PlatformError.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

const char* const kHelp =
    "usage: mentix-server [OPTIONS]\n"
    "\n"
    "Runs the Mentix server: a message window of class\n"
    "\"ThisIsTheMentixServerComponentWindowClass\" + INSTANCE that textbook programs register with\n"
    "and ask for files, names and values. It runs until SIGTERM or SIGINT, then tells every\n"
    "registered program that the server is going down and exits 0. Telling a program waits until\n"
    "that program has handled the message; a second SIGTERM or SIGINT ends the server at once\n"
    "(exit 0) without waiting for the rest.\n"
    "\n"
    "options:\n"
    "  --instance TEXT     server instance text (what ViewerHandle or /serverhandle= names)\n"
    "  --files DIR         folder whose files are served, read-only; names never reach outside it\n"
    "  --workarea DIR      answer of the value \"ValdoraWorkArea\" (a \"/\" is appended when missing;\n"
    "                      default: the current folder)\n"
    "  --value NAME=TEXT   answer TEXT for the value NAME (repeatable; exact names)\n"
    "  --verbose           one line per request on stderr\n"
    "  --help              this text\n"
    "\n"
    "Answers: a program's file name is held as its file-name part with \".exe\" (so its language\n"
    "file is NAME.itl in the files folder); a query text is answered with itself; programs are\n"
    "started without a shell, their parameters split into words as a shell would split them.\n"
    "Message windows live in $XDG_RUNTIME_DIR/mentix (or /tmp/mentix-UID).\n";

// The write end of the self-pipe and the number of stop signals so far; a signal handler can
// reach nothing else.
int gSignalPipe = -1;                        // NOLINT
volatile std::sig_atomic_t gStopSignals = 0; // NOLINT

// The first signal is passed to the main loop through the pipe. Telling the programs that the
// server goes down may wait on a program that does not serve its window, and nothing but a
// signal can get the server past that: so a second one ends the process right here.
extern "C" void OnSignal(int)
{
    if (gStopSignals > 0)
        ::_exit(0);
    gStopSignals = 1;
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe, &byte, 1);
    errno = saved;
}

int Usage(const std::string& message)
{
    std::fprintf(stderr, "mentix-server: %s (see --help)\n", message.c_str());
    return 2;
}

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

// Fills `settings` from the arguments; an error text, or empty when they are fine.
std::string ParseArguments(int argc, char** argv, ServerSettings& settings, bool& help)
{
    bool workAreaGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            help = true;
            return {};
        }
        if (option == "--verbose") {
            settings.Verbose = true;
            continue;
        }
        if (option != "--instance" && option != "--files" && option != "--workarea" && option != "--value")
            return "unknown option '" + option + "'";
        if (i + 1 >= argc)
            return option + " needs a value";
        const std::string value = argv[++i];
        if (option == "--instance") {
            settings.Instance = value;
        } else if (option == "--files") {
            std::error_code error;
            if (!std::filesystem::is_directory(value, error))
                return "--files: '" + value + "' is not a folder";
            const auto folder = std::filesystem::absolute(value, error);
            if (error)
                return "--files: '" + value + "': " + error.message();
            settings.Files = ServedFiles(folder);
        } else if (option == "--workarea") {
            settings.WorkArea = WithSlash(value);
            workAreaGiven = true;
        } else {
            const auto equals = value.find('=');
            if (equals == std::string::npos || equals == 0)
                return "--value needs NAME=TEXT";
            settings.Values[value.substr(0, equals)] = value.substr(equals + 1);
        }
    }
    if (!workAreaGiven) {
        // The current folder may have been removed under us.
        std::error_code error;
        const auto current = std::filesystem::current_path(error);
        if (error)
            return "no current folder for the work area (" + error.message() + "); give --workarea";
        settings.WorkArea = WithSlash(current.string());
    }
    return {};
}

bool InstallSignalPipe(int& readEnd)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    readEnd = fds[0];
    gSignalPipe = fds[1];
    struct sigaction action
    {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGTERM); // the handler counts: it must not run inside itself
    sigaddset(&action.sa_mask, SIGINT);
    action.sa_flags = SA_RESTART;
    // A closed stderr (or a peer gone mid-write) must cost a failed write, not the server.
    struct sigaction ignore
    {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGPIPE, &ignore, nullptr) == 0;
}

int Run(ServerSettings settings)
{
    int signalRead = -1;
    if (!InstallSignalPipe(signalRead)) {
        std::fprintf(stderr, "mentix-server: cannot watch for signals: %s\n", std::strerror(errno));
        return 1;
    }
    const bool verbose = settings.Verbose;
    TMentixServer server(std::move(settings));
    if (verbose)
        std::fprintf(stderr, "mentix-server: window %u ready\n", server.Handle());
    for (;;) {
        pollfd fds[2] = {{server.FileDescriptor(), POLLIN, 0}, {signalRead, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "mentix-server: poll: %s\n", std::strerror(errno));
            return 1;
        }
        if (fds[1].revents != 0)
            break;
        if (fds[0].revents != 0)
            server.ServePending();
    }
    server.AnnounceShutdown();
    if (verbose)
        std::fprintf(stderr, "mentix-server: going down\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    ServerSettings settings;
    bool help = false;
    const std::string error = ParseArguments(argc, argv, settings, help);
    if (!error.empty())
        return Usage(error);
    if (help) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    try {
        return Run(std::move(settings));
    } catch (const PlatformError& e) {
        std::fprintf(stderr, "mentix-server: %s\n", e.what());
        return 1;
    }
}
