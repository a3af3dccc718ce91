#include "Commands.h"
#include "JsonText.h"

#include "platform/CommandLine.h"
#include "serverlink/TkdbDemonClient.h"
#include "util/AsciiText.h"
#include "util/Stream.h"

#include <QCoreApplication>

#include <charconv>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>

namespace {

const char* const kMentixUsage =
    "usage: bytescope-tool mentix [--no-server] [/serverhandle=TEXT] SUBCOMMAND ARGS...\n"
    "\n"
    "  find-title TITLE            the registered peer with that title, or null\n"
    "  find-handle HANDLE          the registered peer with that window handle, or null\n"
    "  get-file NAME --out FILE    fetch a file: {\"found\": true, \"size\": N} or {\"found\": false}\n"
    "  server-file-name NAME       the server's name for a program path\n"
    "  value NAME                  a named value\n"
    "  query TEXT                  the server's answer to a text\n"
    "  execute PROGRAM [--params TEXT] [--wait] [--option N]\n"
    "                              let the server start a program: its process id, or its exit\n"
    "                              code with --wait\n"
    "\n"
    "Acts as a client component of the server link (UseValdoraServer on; --no-server turns it\n"
    "off, so that value answers locally). The server instance is taken from ViewerHandle in\n"
    "Norvane/valdora.conf or from /serverhandle=TEXT. Prints one JSON value on one line; a peer\n"
    "is {\"handle\", \"mutex_handle\", \"exe_name\", \"title\"}. Strings are bytes: every byte outside\n"
    "printable ASCII, and '\"' and '\\', is written as \\u00XX. Errors go to stderr, exit code 1.\n";

std::string JsonEntity(const std::unique_ptr<TEntity>& entity)
{
    if (entity == nullptr)
        return "null";
    return "{\"handle\": " + std::to_string(entity->Handle) +
           ", \"mutex_handle\": " + std::to_string(entity->MutexHandle) +
           ", \"exe_name\": " + JsonString(entity->StoredExeName()) +
           ", \"title\": " + JsonString(entity->StoredTitle()) + "}";
}

template <typename Number>
std::optional<Number> ParseNumber(const std::string& text)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

struct Invocation
{
    bool NoServer = false;
    std::vector<std::string> ComponentArguments; // what the component sees as its command line
    CommandArgs Words;                           // the sub-command and its arguments
};

Invocation Split(const CommandArgs& args, const char* program)
{
    Invocation call;
    call.ComponentArguments.push_back(program);
    for (const std::string& arg : args) {
        if (call.Words.empty() && arg == "--no-server")
            call.NoServer = true;
        else if (call.Words.empty() && AsciiStartsWithNoCase(arg, "/serverhandle="))
            call.ComponentArguments.push_back(arg);
        else
            call.Words.push_back(arg);
    }
    return call;
}

// Runs one sub-command against the component; returns the JSON line, or throws.
std::optional<std::string> Answer(TkdbDemonClient& demon, const CommandArgs& words, std::string& usageError)
{
    const std::string& command = words[0];
    const auto needs = [&](std::size_t count) {
        if (words.size() == count + 1)
            return true;
        usageError = "mentix " + command + " takes " + std::to_string(count) + " argument(s)";
        return false;
    };
    if (command == "find-title")
        return needs(1) ? std::optional(JsonEntity(demon.FindEntityByTitle(words[1]))) : std::nullopt;
    if (command == "find-handle") {
        if (!needs(1))
            return std::nullopt;
        const auto handle = ParseNumber<std::uint32_t>(words[1]);
        if (!handle) {
            usageError = "mentix find-handle: '" + words[1] + "' is not a window handle";
            return std::nullopt;
        }
        return JsonEntity(demon.FindEntityByHandle(*handle));
    }
    if (command == "server-file-name")
        return needs(1) ? std::optional(JsonString(demon.GetServerFileName(words[1]))) : std::nullopt;
    if (command == "value")
        return needs(1) ? std::optional(JsonString(demon.GetServerValue(words[1]))) : std::nullopt;
    if (command == "query")
        return needs(1) ? std::optional(JsonString(demon.QueryServerString(words[1]))) : std::nullopt;
    if (command == "get-file") {
        if (words.size() != 4 || words[2] != "--out") {
            usageError = "usage: mentix get-file NAME --out FILE";
            return std::nullopt;
        }
        const auto file = demon.GetFile(words[1]);
        if (file == nullptr)
            return std::string("{\"found\": false}");
        TFileStream out(words[3], TFileStream::Mode::Create);
        out.WriteBytes(file->Bytes());
        return "{\"found\": true, \"size\": " + std::to_string(file->Bytes().size()) + "}";
    }
    if (command == "execute") {
        if (words.size() < 2) {
            usageError = "usage: mentix execute PROGRAM [--params TEXT] [--wait] [--option N]";
            return std::nullopt;
        }
        std::string params;
        bool wait = false;
        std::int32_t option = 0;
        for (std::size_t i = 2; i < words.size(); ++i) {
            if (words[i] == "--wait") {
                wait = true;
            } else if (words[i] == "--params" && i + 1 < words.size()) {
                params = words[++i];
            } else if (words[i] == "--option" && i + 1 < words.size() &&
                       ParseNumber<std::int32_t>(words[i + 1])) {
                option = *ParseNumber<std::int32_t>(words[++i]);
            } else {
                usageError = "mentix execute: unexpected '" + words[i] + "'";
                return std::nullopt;
            }
        }
        return std::to_string(demon.ExecuteProgram(words[1], params, wait, option));
    }
    usageError = "unknown mentix sub-command '" + command + "' (see mentix --help)";
    return std::nullopt;
}

} // namespace

int RunMentixCommand(const CommandArgs& args, int argc, char** argv)
{
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kMentixUsage, stdout);
        return 0;
    }
    const Invocation call = Split(args, argv[0]);
    if (call.Words.empty()) {
        std::fputs(kMentixUsage, stderr);
        return 2;
    }
    QCoreApplication application(argc, argv);
    std::string usageError;
    std::optional<std::string> line;
    try {
        TkdbDemonClient demon(nullptr, CommandLine(call.ComponentArguments));
        demon.SetAutoTranslate(false);
        // Several tools may run at once; none of them is "the" running instance.
        demon.SetMultiStart(true);
        demon.SetUseValdoraServer(!call.NoServer);
        demon.Loaded();
        line = Answer(demon, call.Words, usageError);
    } catch (const std::exception& e) {
        return Fail(1, e.what());
    }
    if (!line)
        return Fail(2, usageError);
    std::printf("%s\n", line->c_str());
    return 0;
}
