#include "RenderOptions.h"

#include "util/AsciiText.h"
#include "util/Cp1252.h"

#include <charconv>
#include <map>
#include <type_traits>

namespace {

bool ParseInt(const std::string& text, int min, int max, int& value)
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end && value >= min && value <= max;
}

bool ParseHexBytes(const std::string& text, std::string& bytes)
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

bool ParseColor(std::string text, TColor& color)
{
    if (!text.empty() && text[0] == '#')
        text.erase(0, 1);
    std::string rgb;
    if (text.size() != 6 || !ParseHexBytes(text, rgb))
        return false;
    color = RGBColor(static_cast<std::uint8_t>(rgb[0]), static_cast<std::uint8_t>(rgb[1]),
                     static_cast<std::uint8_t>(rgb[2]));
    return true;
}

template <typename T>
bool ParseChoice(const std::string& text, const std::map<std::string, T>& choices, T& value)
{
    const auto found = choices.find(text);
    if (found == choices.end())
        return false;
    value = found->second;
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

} // namespace

std::optional<std::string> ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options)
{
    bool haveText = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--bold") {
            options.Bold = true;
            continue;
        }
        if (name == "--italic") {
            options.Italic = true;
            continue;
        }
        if (name.rfind("--", 0) != 0)
            return "render: unexpected argument '" + name + "'";
        if (i + 1 >= args.size())
            return "render: " + name + " needs a value";
        const std::string& value = args[++i];
        const auto bad = [&] {
            return "render: bad value for " + name + ": '" + value + "'";
        };
        const auto integer = [&](std::optional<int>& target, int min, int max) {
            int number = 0;
            if (!ParseInt(value, min, max, number))
                return false;
            target = number;
            return true;
        };
        const auto choice = [&](auto& target, const auto& choices) {
            typename std::remove_reference_t<decltype(choices)>::mapped_type chosen{};
            if (!ParseChoice(value, choices, chosen))
                return false;
            target = chosen;
            return true;
        };
        const auto color = [&](std::optional<TColor>& target) {
            TColor parsed = 0;
            if (!ParseColor(value, parsed))
                return false;
            target = parsed;
            return true;
        };
        bool ok = true;
        constexpr int kMin = -1000000000;
        constexpr int kMax = 1000000000;
        if (name == "--width")
            ok = integer(options.Width, 1, 10000);
        else if (name == "--height")
            ok = integer(options.Height, 1, 10000);
        else if (name == "--text" || name == "--text-hex") {
            if (haveText)
                return "render: give the text once, with --text or --text-hex";
            haveText = true;
            std::string bytes;
            if (name == "--text")
                bytes = Utf8ToCp1252(value);
            else
                ok = ParseHexBytes(value, bytes);
            options.Text = bytes;
        } else if (name == "--dot-size")
            ok = integer(options.DotSize, kMin, kMax);
        else if (name == "--dot-spacing")
            ok = integer(options.DotSpacing, kMin, kMax);
        else if (name == "--font") {
            ok = !value.empty();
            options.FontName = Utf8ToCp1252(value);
        } else if (name == "--font-height")
            ok = integer(options.FontHeight, -10000, 10000);
        else if (name == "--frame")
            ok = choice(options.Frame, kFrames);
        else if (name == "--scheme")
            ok = choice(options.Scheme, kSchemes);
        else if (name == "--block")
            ok = choice(options.Block, kBlocks);
        else if (name == "--proportional")
            ok = choice(options.Proportional, kOnOff);
        else if (name == "--pos-x")
            ok = integer(options.PosX, kMin, kMax);
        else if (name == "--pos-y")
            ok = integer(options.PosY, kMin, kMax);
        else if (name == "--auto-height")
            ok = choice(options.AutoHeight, kOnOff);
        else if (name == "--auto-center")
            ok = choice(options.AutoCenter, kOnOff);
        else if (name == "--dot-on")
            ok = color(options.DotOn);
        else if (name == "--dot-off")
            ok = color(options.DotOff);
        else if (name == "--background")
            ok = color(options.Background);
        else if (name == "--scroll")
            ok = choice(options.Scroll, kScrolls);
        else if (name == "--scroll-increment")
            ok = integer(options.ScrollIncrement, kMin, kMax);
        else if (name == "--scroll-loop")
            ok = choice(options.ScrollLoop, kOnOff);
        else if (name == "--ticks") {
            std::optional<int> ticks;
            ok = integer(ticks, 0, 1000000);
            options.Ticks = ticks.value_or(0);
        } else if (name == "--out") {
            ok = !value.empty();
            options.Out = value;
        } else
            return "render: unknown option " + name;
        if (!ok)
            return bad();
    }
    if (options.Out.empty())
        return std::string("render: --out FILE.png is required");
    return std::nullopt;
}
