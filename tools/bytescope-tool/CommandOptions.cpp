#include "CommandOptions.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <map>

namespace {

QString FromBytes(std::string_view bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// Whether `arg` is "--NAME" (`withValue` false) or "--NAME=VALUE" (`withValue` true).
bool Spells(std::string_view arg, std::string_view name, bool withValue)
{
    if (!arg.starts_with("--") || !arg.substr(2).starts_with(name))
        return false;
    const std::string_view rest = arg.substr(2 + name.size());
    return withValue ? rest.starts_with('=') : rest.empty();
}

// Whether `arg` is where the parser met the unknown option `name`: "--NAME", "--NAME=VALUE", or a
// group of one-letter options "-NXY" that starts with it.
bool Introduces(std::string_view arg, std::string_view name)
{
    if (arg.starts_with("--"))
        return Spells(arg, name, false) || Spells(arg, name, true);
    return name.size() == 1 && arg.size() > 1 && arg[0] == '-' && arg[1] == name[0];
}

// The options the parser read, each with its value, in command-line order.
std::vector<CommandOptions::Given> GivenInOrder(const QCommandLineParser& parser,
                                                const std::vector<CommandOptions::Option>& options)
{
    std::vector<CommandOptions::Given> given;
    std::map<QString, qsizetype> valuesTaken;
    for (const QString& name : parser.optionNames()) {
        const std::string bytes = ToBytes(name);
        const auto option =
            std::find_if(options.begin(), options.end(),
                         [&bytes](const CommandOptions::Option& known) { return known.Name == bytes; });
        if (option == options.end() || !option->TakesValue) {
            given.push_back({bytes, {}});
            continue;
        }
        const QStringList values = parser.values(name);
        const qsizetype index = valuesTaken[name]++;
        if (index < values.size()) // else the value is missing, and the argument refused
            given.push_back({bytes, ToBytes(values[index])});
    }
    return given;
}

} // namespace

CommandOptions::CommandOptions(std::vector<Option> options, WordsEndOptions wordsEndOptions)
    : FOptions(std::move(options)), FWordsEndOptions(wordsEndOptions)
{}

bool CommandOptions::Parse(const std::vector<std::string>& args)
{
    QCommandLineParser parser;
    // One dash starts one-letter options, and the tool has none: "-x" and "-13" are refused.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    if (FWordsEndOptions == WordsEndOptions::Yes)
        parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    for (const Option& option : FOptions)
        parser.addOption(QCommandLineOption(FromBytes(option.Name), QString(),
                                            option.TakesValue ? QStringLiteral("value") : QString()));
    QStringList list{QStringLiteral("bytescope-tool")};
    for (const std::string& arg : args)
        list.append(FromBytes(arg));
    const bool parsed = parser.parse(list);

    FGiven = GivenInOrder(parser, FOptions);
    FWords.clear();
    for (const QString& word : parser.positionalArguments())
        FWords.push_back(ToBytes(word));
    std::vector<std::string> unknown;
    for (const QString& name : parser.unknownOptionNames())
        unknown.push_back(ToBytes(name));
    FRefused.clear();
    FLacksValue = false;
    if (!parsed)
        FindRefused(args, unknown);
    return parsed;
}

int CommandOptions::Count(std::string_view name) const
{
    return static_cast<int>(std::count_if(FGiven.begin(), FGiven.end(),
                                          [name](const Given& given) { return given.Name == name; }));
}

std::string CommandOptions::Value(std::string_view name) const
{
    const auto last = std::find_if(FGiven.rbegin(), FGiven.rend(),
                                   [name](const Given& given) { return given.Name == name; });
    return last == FGiven.rend() ? std::string() : last->Value;
}

void CommandOptions::FindRefused(const std::vector<std::string>& args,
                                 const std::vector<std::string>& unknown)
{
    // The parser says what went wrong only in words; which argument it was is found again here.
    if (!unknown.empty()) {
        for (const std::string& arg : args) {
            if (Introduces(arg, unknown.front())) {
                FRefused = arg;
                return;
            }
        }
    }
    // Every name was known: the last option has no value, or a flag was given one.
    for (const Option& option : FOptions) {
        if (option.TakesValue && !args.empty() && Spells(args.back(), option.Name, false)) {
            FRefused = args.back();
            FLacksValue = true;
            return;
        }
    }
    for (const std::string& arg : args) {
        for (const Option& option : FOptions) {
            if (!option.TakesValue && Spells(arg, option.Name, true)) {
                FRefused = arg;
                return;
            }
        }
    }
    FRefused = args.empty() ? std::string() : args.back();
}
