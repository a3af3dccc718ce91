#include "RenderOptions.h"

#include "CommandOptions.h"
#include "NumberArgument.h"

#include "util/AsciiText.h"
#include "util/Cp1252.h"

#include <algorithm>
#include <functional>
#include <map>

namespace {

constexpr int kMin = -1000000000;
constexpr int kMax = 1000000000;

bool ReadHexBytes(const std::string& text, std::string& bytes)
{
    if (text.size() % 2 != 0)
        return false;
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigitValue(text[i]);
        const int low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

const std::map<std::string, bool> kOnOff{{"on", true}, {"off", false}};
const std::map<std::string, TFrameStyle> kFrames{{"none", fsNone},         {"simple", fsSimple},
                                                 {"lowered", fsLowered},   {"raised", fsRaised},
                                                 {"embossed", fsEmbossed}, {"engraved", fsEngraved}};
const std::map<std::string, TColorScheme> kSchemes{{"bwg", csBWG}, {"system", csSystem}};
const std::map<std::string, TRDBlockMode> kBlocks{{"off", rdbmOff}, {"on", rdbmOn}, {"raster", rdbmRaster}};
const std::map<std::string, TRDScrollMode> kScrolls{
    {"off", rdsmOff}, {"left", rdsmLeft}, {"right", rdsmRight}, {"down", rdsmDown}, {"up", rdsmUp}};

// One option of the command: its name, whether it takes a value, and how that value is read into
// the options (false: the value is bad).
struct Rule
{
    const char* Name;
    bool TakesValue;
    std::function<bool(const std::string& value, RenderOptions& options)> Read;
};

Rule Int(const char* name, std::optional<int> RenderOptions::*field, int min, int max)
{
    return {name, true, [=](const std::string& value, RenderOptions& options) {
                const std::optional<int> number = ParseNumber(value, min, max);
                if (number)
                    options.*field = number;
                return number.has_value();
            }};
}

template <typename T>
Rule Choice(const char* name, std::optional<T> RenderOptions::*field, const std::map<std::string, T>& choices)
{
    return {name, true, [field, &choices](const std::string& value, RenderOptions& options) {
                const auto found = choices.find(value);
                if (found != choices.end())
                    options.*field = found->second;
                return found != choices.end();
            }};
}

Rule Color(const char* name, std::optional<TColor> RenderOptions::*field)
{
    return {name, true, [field](const std::string& value, RenderOptions& options) {
                const std::string_view hex =
                    value.starts_with('#') ? std::string_view(value).substr(1) : value;
                std::string rgb;
                if (hex.size() != 6 || !ReadHexBytes(std::string(hex), rgb))
                    return false;
                options.*field =
                    RGBColor(static_cast<std::uint8_t>(rgb[0]), static_cast<std::uint8_t>(rgb[1]),
                             static_cast<std::uint8_t>(rgb[2]));
                return true;
            }};
}

Rule Flag(const char* name, bool RenderOptions::*field)
{
    return {name, false, [field](const std::string&, RenderOptions& options) {
                options.*field = true;
                return true;
            }};
}

bool ReadText(const std::string& value, RenderOptions& options)
{
    options.Text = Utf8ToCp1252(value);
    return true;
}

bool ReadTextHex(const std::string& value, RenderOptions& options)
{
    std::string bytes;
    if (!ReadHexBytes(value, bytes))
        return false;
    options.Text = bytes;
    return true;
}

bool ReadFont(const std::string& value, RenderOptions& options)
{
    options.FontName = Utf8ToCp1252(value);
    return !value.empty();
}

bool ReadTicks(const std::string& value, RenderOptions& options)
{
    const std::optional<int> ticks = ParseNumber(value, 0, 1000000);
    options.Ticks = ticks.value_or(0);
    return ticks.has_value();
}

bool ReadOut(const std::string& value, RenderOptions& options)
{
    options.Out = value;
    return !value.empty();
}

const std::vector<Rule>& Rules()
{
    using O = RenderOptions;
    static const std::vector<Rule> rules{
        Int("width", &O::Width, 1, 10000),
        Int("height", &O::Height, 1, 10000),
        {"text", true, ReadText},
        {"text-hex", true, ReadTextHex},
        Int("dot-size", &O::DotSize, kMin, kMax),
        Int("dot-spacing", &O::DotSpacing, kMin, kMax),
        {"font", true, ReadFont},
        Int("font-height", &O::FontHeight, -10000, 10000),
        Flag("bold", &O::Bold),
        Flag("italic", &O::Italic),
        Choice("frame", &O::Frame, kFrames),
        Choice("scheme", &O::Scheme, kSchemes),
        Choice("block", &O::Block, kBlocks),
        Choice("proportional", &O::Proportional, kOnOff),
        Int("pos-x", &O::PosX, kMin, kMax),
        Int("pos-y", &O::PosY, kMin, kMax),
        Choice("auto-height", &O::AutoHeight, kOnOff),
        Choice("auto-center", &O::AutoCenter, kOnOff),
        Color("dot-on", &O::DotOn),
        Color("dot-off", &O::DotOff),
        Color("background", &O::Background),
        Choice("scroll", &O::Scroll, kScrolls),
        Int("scroll-increment", &O::ScrollIncrement, kMin, kMax),
        Choice("scroll-loop", &O::ScrollLoop, kOnOff),
        {"ticks", true, ReadTicks},
        {"out", true, ReadOut},
    };
    return rules;
}

const Rule& RuleFor(const std::string& name)
{
    return *std::find_if(Rules().begin(), Rules().end(),
                         [&name](const Rule& rule) { return name == rule.Name; });
}

// The message for an argument the parser refused: a word with one dash is no option at all, and an
// unknown option at the very end is reported as lacking its value, as the command always did.
std::string Refusal(const std::string& refused, const std::vector<std::string>& args)
{
    if (!refused.starts_with("--"))
        return "render: unexpected argument '" + refused + "'";
    if (refused == args.back())
        return "render: " + refused + " needs a value";
    return "render: unknown option " + refused;
}

} // namespace

std::optional<std::string> ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options)
{
    std::vector<CommandOptions::Option> known;
    for (const Rule& rule : Rules())
        known.push_back({rule.Name, rule.TakesValue});
    CommandOptions parsed(std::move(known), CommandOptions::WordsEndOptions::No);
    if (!parsed.Parse(args))
        return Refusal(parsed.Refused(), args);
    for (const auto& [name, value] : parsed.Options()) {
        if ((name == "text" || name == "text-hex") && options.Text)
            return std::string("render: give the text once, with --text or --text-hex");
        if (!RuleFor(name).Read(value, options))
            return "render: bad value for --" + name + ": '" + value + "'";
    }
    // After the values: a stray word mostly comes of an option that took the next one for its value
    // ("--ticks --out F"), and that option is what to name.
    if (!parsed.Words().empty())
        return "render: unexpected argument '" + parsed.Words().front() + "'";
    if (options.Out.empty())
        return std::string("render: --out FILE.png is required");
    return std::nullopt;
}
