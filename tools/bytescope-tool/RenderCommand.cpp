// bytescope-tool render: paints one dot-matrix display, with no window shown, into a PNG file.
#include "Commands.h"

#include "controls/dotmatrix/TRasterLab.h"
#include "util/Cp1252.h"

#include <QApplication>
#include <QImage>
#include <QString>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>

namespace {

const char* const kRenderUsage =
    "usage: bytescope-tool render [OPTIONS] --out FILE.png\n"
    "\n"
    "Paints one dot-matrix display and writes it as a PNG; prints its layout as one JSON line.\n"
    "Each option sets one property; without it the property keeps the display's default.\n"
    "\n"
    "  --width N, --height N        size in pixels (1..10000; default 400 x 68)\n"
    "  --text TEXT                  the text (UTF-8, stored as Windows-1252)\n"
    "  --text-hex HEX               the text as bytes, two hex digits each\n"
    "  --dot-size N                 1..32          --dot-spacing N   0..3\n"
    "  --font NAME                  'default' is the built-in 7 x 12 font; any other is sampled\n"
    "  --font-height N              stored height: -27 = characters 27 pixels high, 27 = cell height\n"
    "  --bold, --italic             font style\n"
    "  --frame none|simple|lowered|raised|embossed|engraved\n"
    "  --scheme bwg|system          frame colours\n"
    "  --block off|on|raster        unlit dots and bands between characters\n"
    "  --proportional on|off        own glyph widths or full cells\n"
    "  --pos-x N, --pos-y N         first dot column and row of the text\n"
    "  --auto-height on|off, --auto-center on|off\n"
    "  --dot-on RRGGBB, --dot-off RRGGBB, --background RRGGBB\n"
    "  --scroll off|left|right|down|up, --scroll-increment N, --scroll-loop on|off\n"
    "  --ticks N                    run N scroll steps, each with its paint, before writing\n"
    "  --out FILE.png               where to write the image (required)\n";

struct RenderOptions
{
    std::optional<int> Width, Height;
    std::optional<bool> AutoHeight, AutoCenter;
    std::optional<TColor> Background, DotOn, DotOff;
    std::optional<TColorScheme> Scheme;
    std::optional<int> DotSpacing, DotSize;
    std::optional<int> FontHeight;
    std::optional<std::string> FontName;
    bool Bold = false;
    bool Italic = false;
    std::optional<TFrameStyle> Frame;
    std::optional<int> PosX, PosY;
    std::optional<bool> Proportional;
    std::optional<TRDScrollMode> Scroll;
    std::optional<int> ScrollIncrement;
    std::optional<bool> ScrollLoop;
    std::optional<TRDBlockMode> Block;
    std::optional<std::string> Text;
    int Ticks = 0;
    std::string Out;
};

bool ParseInt(const std::string& text, int min, int max, int& value)
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end && value >= min && value <= max;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ParseHexBytes(const std::string& text, std::string& bytes)
{
    if (text.size() % 2 != 0)
        return false;
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
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

// Reads the options into `options`; on a bad option returns the message that names it.
std::optional<std::string> ParseOptions(const CommandArgs& args, RenderOptions& options)
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

// Sets the given properties in the order a stored window loads them: size first, then the
// display's own properties in their streaming order, the font's attributes one by one.
void Apply(const RenderOptions& o, TRasterLab& lab)
{
    if (o.Width)
        lab.SetWidth(*o.Width);
    if (o.Height)
        lab.SetHeight(*o.Height);
    if (o.AutoHeight)
        lab.SetAutoHeight(*o.AutoHeight);
    if (o.AutoCenter)
        lab.SetAutoCenter(*o.AutoCenter);
    if (o.Background)
        lab.SetColorLabBakG(*o.Background);
    if (o.DotOn)
        lab.SetColorDotOn(*o.DotOn);
    if (o.DotOff)
        lab.SetColorDotOff(*o.DotOff);
    if (o.Scheme)
        lab.SetColorScheme(*o.Scheme);
    if (o.DotSpacing)
        lab.SetDotSpacing(*o.DotSpacing);
    if (o.DotSize)
        lab.SetDotSize(*o.DotSize);
    if (o.FontHeight)
        lab.Font().SetHeight(*o.FontHeight);
    if (o.FontName)
        lab.Font().SetName(*o.FontName);
    if (o.Bold || o.Italic)
        lab.Font().SetStyle(static_cast<TFontStyles>((o.Bold ? fsBold : 0) | (o.Italic ? fsItalic : 0)));
    if (o.Frame)
        lab.SetFrameStyle(*o.Frame);
    if (o.PosX)
        lab.SetPosX(*o.PosX);
    if (o.PosY)
        lab.SetPosY(*o.PosY);
    if (o.Proportional)
        lab.SetProportional(*o.Proportional);
    if (o.Scroll)
        lab.SetScrollMode(*o.Scroll);
    if (o.ScrollIncrement)
        lab.SetScrollIncrement(*o.ScrollIncrement);
    if (o.ScrollLoop)
        lab.SetScrollLoop(*o.ScrollLoop);
    if (o.Block)
        lab.SetCharBlockMode(*o.Block);
    if (o.Text)
        lab.SetText(*o.Text);
}

} // namespace

int RunRenderCommand(const CommandArgs& args, int, char** argv)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kRenderUsage, stdout);
        return 0;
    }
    RenderOptions options;
    if (const auto error = ParseOptions(args, options))
        return Fail(2, *error);

    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt sees only the program name: the render options are ours.
    static int qtArgc = 1;
    static char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);

    try {
        TRasterLab lab;
        lab.setObjectName("RasterLab");
        Apply(options, lab);
        lab.Paint();
        for (int i = 0; i < options.Ticks; ++i)
            lab.ScrollTick();

        const PixelImage& image = lab.Image();
        if (image.Width() == 0 || image.Height() == 0)
            return Fail(1, "render: the display has no pixels to write (" + std::to_string(image.Width()) +
                               " x " + std::to_string(image.Height()) + ")");
        const QImage view(reinterpret_cast<const uchar*>(image.Data()), image.Width(), image.Height(),
                          image.Width() * static_cast<qsizetype>(sizeof(PixelImage::Pixel)),
                          QImage::Format_RGB32);
        if (!view.save(QString::fromStdString(options.Out), "PNG"))
            return Fail(1, "render: cannot write " + options.Out);

        std::printf(
            "{\"width\": %d, \"height\": %d, \"pos_x\": %d, \"pos_y\": %d, \"text_pixel_width\": %d, "
            "\"glyph_width\": %d, \"glyph_height\": %d, \"scroll_offset_x\": %d, \"scroll_offset_y\": %d}\n",
            lab.Width(), lab.Height(), lab.PosX(), lab.PosY(), lab.TextPixelWidth(), lab.GlyphWidth(),
            lab.GlyphHeight(), lab.ScrollOffsetX(), lab.ScrollOffsetY());
        return 0;
    } catch (const std::exception& e) {
        return Fail(1, std::string("render: ") + e.what());
    }
}
