#include "CommandOptions.h"
#include "Commands.h"
#include "JsonObject.h"
#include "JsonText.h"
#include "NumberArgument.h"

#include "platform/CommandLine.h"
#include "platform/TFileStream.h"
#include "serverlink/TkdbDemonClient.h"
#include "util/AsciiText.h"

#include <QCoreApplication>

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
    return JsonObject()
        .Number("handle", entity->Handle)
        .Number("mutex_handle", entity->MutexHandle)
        .String("exe_name", entity->StoredExeName())
        .String("title", entity->StoredTitle())
        .Text();
}

struct Invocation
{
    bool NoServer = false;
    std::vector<std::string> ComponentArguments; // what the component sees as its command line
    CommandArgs Words;                           // the sub-command and its arguments
};

// The options before the sub-command. The component's own switches (/serverhandle=TEXT) may stand
// among them; the parser takes a switch for a word, so the options after it are read again.
Invocation Split(const CommandArgs& args, const char* program)
{
    Invocation call;
    call.ComponentArguments.push_back(program);
    CommandArgs rest = args;
    for (;;) {
        CommandOptions leading({{"no-server", false}}, CommandOptions::WordsEndOptions::Yes);
        const bool parsed = leading.Parse(rest);
        call.NoServer = call.NoServer || leading.Count("no-server") > 0;
        if (!parsed) {
            // Taken for the sub-command, which is then reported as unknown.
            call.Words = {leading.Refused()};
            return call;
        }
        rest = leading.Words();
        if (rest.empty() || !AsciiStartsWithNoCase(rest.front(), "/serverhandle=")) {
            call.Words = rest;
            return call;
        }
        call.ComponentArguments.push_back(rest.front());
        rest.erase(rest.begin());
    }
}

std::optional<std::string> GetFile(TkdbDemonClient& demon, const CommandArgs& args, std::string& usageError)
{
    CommandOptions options({{"out", true}}, CommandOptions::WordsEndOptions::No);
    if (!options.Parse(args) || options.Words().size() != 1 || options.Count("out") != 1) {
        usageError = "usage: mentix get-file NAME --out FILE";
        return std::nullopt;
    }
    const auto file = demon.GetFile(options.Words()[0]);
    if (file == nullptr)
        return JsonObject().Bool("found", false).Text();
    TFileStream out(options.Value("out"), TFileStream::Mode::Create);
    out.WriteBytes(file->Bytes());
    return JsonObject()
        .Bool("found", true)
        .Number("size", static_cast<std::int64_t>(file->Bytes().size()))
        .Text();
}

std::optional<std::string> Execute(TkdbDemonClient& demon, const CommandArgs& args, std::string& usageError)
{
    CommandOptions options({{"params", true}, {"wait", false}, {"option", true}},
                           CommandOptions::WordsEndOptions::No);
    const auto unexpected = [&usageError](const std::string& arg) {
        usageError = "mentix execute: unexpected '" + arg + "'";
        return std::nullopt;
    };
    if (!options.Parse(args))
        return unexpected(options.Refused());
    if (options.Words().empty()) {
        usageError = "usage: mentix execute PROGRAM [--params TEXT] [--wait] [--option N]";
        return std::nullopt;
    }
    if (options.Words().size() > 1)
        return unexpected(options.Words()[1]);
    for (const auto& [name, value] : options.Options())
        if (name == "option" && !ParseNumber<std::int32_t>(value))
            return unexpected("--option");
    const std::int32_t option =
        options.Count("option") ? *ParseNumber<std::int32_t>(options.Value("option")) : 0;
    return std::to_string(
        demon.ExecuteProgram(options.Words()[0], options.Value("params"), options.Count("wait") > 0, option));
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
    if (command == "get-file")
        return GetFile(demon, CommandArgs(words.begin() + 1, words.end()), usageError);
    if (command == "execute")
        return Execute(demon, CommandArgs(words.begin() + 1, words.end()), usageError);
    usageError = "unknown mentix sub-command '" + command + "' (see mentix --help)";
    return std::nullopt;
}

} // namespace

int RunMentixCommand(const CommandArgs& args, int argc, char** argv)
{
    if (!args.empty() && CommandOptions::IsHelp(args[0])) {
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
