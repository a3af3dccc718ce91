// mentix-server: the resident server that textbook programs talk to through message windows.
#include "TMentixServer.h"

#include "platform/MessageWindow.h"
#include "platform/NamedMutex.h"
#include "platform/PlatformError.h"
#include "platform/StopRequest.h"
#include "serverlink/MentixCodes.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// What ends the server, where its windows live and how folder values end differ by system.
#ifdef _WIN32
#define MENTIX_STOP "Ctrl+C, Ctrl+Break or a close request (WM_CLOSE)"
#define MENTIX_SEPARATOR "\\"
#define MENTIX_WINDOWS "Message windows are hidden top-level windows of the desktop.\n"
#else
#define MENTIX_STOP "SIGTERM or SIGINT"
#define MENTIX_SEPARATOR "/"
#define MENTIX_WINDOWS                                                                                       \
    "Message windows live in $XDG_RUNTIME_DIR/mentix (or /tmp/mentix-UID; when that name is held\n"          \
    "by another user or by anything but a private folder of ours, ~/.cache/mentix-HOST instead).\n"
#endif

const char* const kHelp =
    "usage: mentix-server [OPTIONS]\n"
    "\n"
    "Runs the Mentix server: a message window of class\n"
    "\"ThisIsTheMentixServerComponentWindowClass\" + INSTANCE that textbook programs register with\n"
    "and ask for files, names and values. It runs until " MENTIX_STOP ", then tells every\n"
    "registered program that the server is going down and exits 0. Telling a program waits until\n"
    "that program has handled the message; a second " MENTIX_STOP " ends the server at once\n"
    "(exit 0) without waiting for the rest. A second server with the same instance text does\n"
    "not start (exit 1).\n"
    "\n"
    "options:\n"
    "  --instance TEXT     server instance text (what ViewerHandle or /serverhandle= names)\n"
    "  --files DIR         folder whose files are served, read-only; names never reach outside it\n"
    "  --workarea DIR      answer of the value \"ValdoraWorkArea\" (default: the current folder)\n"
    "  --value NAME=TEXT   answer TEXT for the value NAME (repeatable; exact names)\n"
    "  --verbose           one line per request on stderr\n"
    "  --help              this text\n"
    "\n"
    "Answers: a program's file name is held as its file-name part with \".exe\" (so its language\n"
    "file is NAME.itl in the files folder); a query text is answered with itself; programs are\n"
    "started without a shell, their parameters split into words as a shell would split them.\n"
    "The folder values \"ValdoraWorkArea\" (from --workarea or --value, the last one counts) and\n"
    "\"ValdoraHomeDir\" are answered as absolute folders ending in \"" MENTIX_SEPARATOR
    "\"; a relative folder is\n"
    "taken from the server's current folder.\n" MENTIX_WINDOWS;

int Usage(const std::string& message)
{
    std::fprintf(stderr, "mentix-server: %s (see --help)\n", message.c_str());
    return 2;
}

// Ends the folder with the system's separator, unless it ends with one already (on Windows "/" is
// one too).
std::string WithSlash(std::string folder)
{
    constexpr char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    if (folder.empty() || (folder.back() != '/' && folder.back() != separator))
        folder += separator;
    return folder;
}

// Clients append file names to a folder value directly, and would resolve a relative one against
// their own folder: so it is answered absolute and with its separator. Empty when refused, with
// the reason in `error`.
std::string FolderValue(const std::string& what, const std::string& folder, std::string& error)
{
    if (folder.empty()) {
        error = what + " needs a folder";
        return {};
    }
    std::error_code failure;
    const auto absolute = std::filesystem::absolute(folder, failure);
    if (failure) {
        error = what + ": '" + folder + "': " + failure.message();
        return {};
    }
    return WithSlash(absolute.string());
}

// The values that name a folder, as the client's own answers without a server do.
bool IsFolderValue(const std::string& name)
{
    return name == "ValdoraWorkArea" || name == "ValdoraHomeDir";
}

// Applies one option that takes a value; an error text, or empty when it is fine.
std::string ApplyOption(const std::string& option, const std::string& value, ServerSettings& settings)
{
    std::string error;
    if (option == "--instance") {
        settings.Instance = value;
    } else if (option == "--files") {
        std::error_code failure;
        if (!std::filesystem::is_directory(value, failure))
            return "--files: '" + value + "' is not a folder";
        const auto folder = std::filesystem::absolute(value, failure);
        if (failure)
            return "--files: '" + value + "': " + failure.message();
        settings.Files = ServedFiles(folder);
    } else if (option == "--workarea") {
        settings.WorkArea = FolderValue(option, value, error);
    } else {
        const auto equals = value.find('=');
        if (equals == std::string::npos || equals == 0)
            return "--value needs NAME=TEXT";
        const std::string name = value.substr(0, equals);
        std::string text = value.substr(equals + 1);
        if (IsFolderValue(name))
            text = FolderValue("--value " + name, text, error);
        // The work area has one home, so the last of --workarea and --value sets it.
        (name == "ValdoraWorkArea" ? settings.WorkArea : settings.Values[name]) = text;
    }
    return error;
}

// Fills `settings` from the arguments; an error text, or empty when they are fine.
std::string ParseArguments(int argc, char** argv, ServerSettings& settings, bool& help)
{
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
        const std::string error = ApplyOption(option, argv[++i], settings);
        if (!error.empty())
            return error;
    }
    if (settings.WorkArea.empty()) {
        // The current folder may have been removed under us.
        std::error_code error;
        const auto current = std::filesystem::current_path(error);
        if (error)
            return "no current folder for the work area (" + error.message() + "); give --workarea";
        settings.WorkArea = WithSlash(current.string());
    }
    return {};
}

// Makes this the one server of its instance text for the life of the returned lock: clients
// reach only one window of a class, so a second server would take some of them and leave the
// others to the first. nullptr, with the reason told, when another server is there.
std::unique_ptr<NamedMutex> ClaimInstance(const std::string& instance)
{
    const std::string windowClass = mentix::kServerWindowClass + instance;
    auto claim = NamedMutex::TryAcquire(windowClass);
    // Also a server window of some other program: its clients would be split just the same.
    if (claim != nullptr && FindWindow(windowClass, mentix::kServerWindowName + instance) == 0)
        return claim;
    const std::string which =
        instance.empty() ? "without an instance text" : "with the instance text \"" + instance + "\"";
    std::fprintf(stderr, "mentix-server: a server %s is already running\n", which.c_str());
    return nullptr;
}

int Run(ServerSettings settings)
{
    const auto claim = ClaimInstance(settings.Instance);
    if (claim == nullptr)
        return 1;
    // Watched before the server announces itself, so that no stop request finds it unprepared.
    StopRequest stop;
    const bool verbose = settings.Verbose;
    TMentixServer server(std::move(settings));
    if (verbose)
        std::fprintf(stderr, "mentix-server: window %u ready\n", server.Handle());
    while (stop.Wait(server.Window()))
        server.ServePending();
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
