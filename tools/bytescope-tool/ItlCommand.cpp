#include "CommandOptions.h"
#include "Commands.h"
#include "ItlOutput.h"
#include "JsonObject.h"
#include "JsonText.h"

#include "i18n/TBabelfish2000.h"
#include "platform/TFileStream.h"
#include "util/Cp1252.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

const char* const kItlUsage =
    "usage: bytescope-tool itl dump FILE\n"
    "       bytescope-tool itl lookup FILE KEY [PARAM...]\n"
    "       bytescope-tool itl generate FILE --out OUT KEY...\n"
    "       bytescope-tool itl template --out FILE\n"
    "\n"
    "  dump      print each table entry of the language file FILE as {\"key\": ..., \"text\": ...}\n"
    "  lookup    print the translation of KEY, with PARAMs filling <%1%>, <%2%>, ...\n"
    "  generate  look the KEYs up with generation on and write the generated language file to OUT\n"
    "  template  write a language file for the trainer's own texts\n"
    "\n"
    "FILE may be '-' for an empty table (lookup, generate); a pipe such as /dev/stdin is read\n"
    "to its end. KEY and PARAMs are UTF-8 and are converted to Windows-1252. Output strings are\n"
    "JSON; every byte outside printable ASCII, and '\"' and '\\', is written as \\u00XX with the\n"
    "byte's value.\n";

void PrintLine(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

// Loads FILE into `engine`; "-" leaves the table empty when `allowNone`.
bool Load(TBabelfish2000& engine, const std::string& file, bool allowNone)
{
    if (allowNone && file == "-")
        return true;
    try {
        TFileStream stream(file, TFileStream::Mode::Read);
        engine.LoadFromStream(stream);
        return true;
    } catch (const EFOpenError& error) {
        Fail(1, std::string("itl: ") + error.what()); // names the file already
    } catch (const std::exception& error) {
        Fail(1, "itl: " + file + ": " + error.what());
    }
    return false;
}

int Dump(const CommandArgs& args)
{
    if (args.size() != 1)
        return Fail(2, "itl dump: expected FILE");
    TBabelfish2000 engine("");
    if (!Load(engine, args[0], false))
        return 1;
    for (std::size_t i = 0; i < engine.Keys().size(); ++i)
        PrintLine(JsonObject().String("key", engine.Keys()[i]).String("text", engine.Texts()[i]).Text());
    return 0;
}

int Lookup(const CommandArgs& args)
{
    if (args.size() < 2)
        return Fail(2, "itl lookup: expected FILE and KEY");
    TBabelfish2000 engine("");
    if (!Load(engine, args[0], true))
        return 1;
    std::vector<std::string> params;
    for (std::size_t i = 2; i < args.size(); ++i)
        params.push_back(Utf8ToCp1252(args[i]));
    PrintLine(JsonString(engine.Translate(Utf8ToCp1252(args[1]), params)));
    return 0;
}

int Generate(const CommandArgs& args)
{
    if (args.empty())
        return Fail(2, "itl generate: expected FILE --out OUT KEY...");
    CommandOptions options({{"out", true}}, CommandOptions::WordsEndOptions::No);
    if (!options.Parse(args) && !options.LacksValue())
        return Fail(2, "itl generate: unknown option " + options.Refused() +
                           " (KEYs that start with '-' go after --)");
    if (options.Words().empty())
        return Fail(2, "itl generate: expected FILE --out OUT KEY...");
    if (options.Count("out") > 1)
        return Fail(2, "itl generate: give --out once");
    if (options.LacksValue() || (options.Count("out") == 1 && options.Value("out").empty()))
        return Fail(2, "itl generate: --out needs a file name");
    if (options.Count("out") == 0)
        return Fail(2, "itl generate: expected --out OUT");

    TBabelfish2000 engine("");
    if (!Load(engine, options.Words()[0], true))
        return 1;
    engine.SetAutoCreateItlFile(true);
    for (auto key = options.Words().begin() + 1; key != options.Words().end(); ++key)
        engine.Translate(Utf8ToCp1252(*key));
    return WriteGeneratedItlFile(engine, options.Value("out"), "itl generate");
}

} // namespace

int RunItlCommand(const CommandArgs& args, int argc, char** argv)
{
    if (args.empty())
        return Fail(2, "itl: expected dump, lookup, generate or template (see 'itl --help')");
    if (CommandOptions::IsHelp(args[0])) {
        std::fputs(kItlUsage, stdout);
        return 0;
    }
    const CommandArgs rest(args.begin() + 1, args.end());
    if (args[0] == "dump")
        return Dump(rest);
    if (args[0] == "lookup")
        return Lookup(rest);
    if (args[0] == "generate")
        return Generate(rest);
    if (args[0] == "template")
        return RunItlTemplateCommand(rest, argc, argv);
    return Fail(2, "itl: unknown sub-command '" + args[0] + "' (see 'itl --help')");
}
