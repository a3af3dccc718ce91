// bytescope-tool render: paints one dot-matrix display, with no window shown, into a PNG file.
#include "CommandOptions.h"
#include "Commands.h"
#include "JsonObject.h"
#include "RenderOptions.h"

#include "controls/dotmatrix/TRasterLab.h"
#include "platform/TFileStream.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstdio>
#include <cstdlib>
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

// Writes the image as a PNG file. The file is named by its bytes, as given: a name that is not UTF-8
// must not turn into another one on its way through QString.
bool WritePng(const PixelImage& image, const std::string& path)
{
    const QImage view(reinterpret_cast<const uchar*>(image.Data()), image.Width(), image.Height(),
                      image.Width() * static_cast<qsizetype>(sizeof(PixelImage::Pixel)),
                      QImage::Format_RGB32);
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !view.save(&buffer, "PNG"))
        return false;
    try {
        TFileStream file(path, TFileStream::Mode::Create);
        file.WriteBytes(std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
    } catch (const EStreamError&) {
        return false;
    }
    return true;
}

std::string LayoutJson(const TRasterLab& lab)
{
    return JsonObject()
        .Number("width", lab.Width())
        .Number("height", lab.Height())
        .Number("pos_x", lab.PosX())
        .Number("pos_y", lab.PosY())
        .Number("text_pixel_width", lab.TextPixelWidth())
        .Number("glyph_width", lab.GlyphWidth())
        .Number("glyph_height", lab.GlyphHeight())
        .Number("scroll_offset_x", lab.ScrollOffsetX())
        .Number("scroll_offset_y", lab.ScrollOffsetY())
        .Text();
}

} // namespace

int RunRenderCommand(const CommandArgs& args, int, char** argv)
{
    if (args.size() == 1 && CommandOptions::IsHelp(args[0])) {
        std::fputs(kRenderUsage, stdout);
        return 0;
    }
    RenderOptions options;
    if (const auto error = ParseRenderOptions(args, options))
        return Fail(2, *error);

    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
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
        if (!WritePng(image, options.Out))
            return Fail(1, "render: cannot write " + options.Out);
        std::printf("%s\n", LayoutJson(lab).c_str());
        return 0;
    } catch (const std::exception& e) {
        return Fail(1, std::string("render: ") + e.what());
    }
}
