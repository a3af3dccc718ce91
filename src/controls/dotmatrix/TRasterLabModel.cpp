#include "controls/dotmatrix/TRasterLabModel.h"

#include <algorithm>
#include <array>
#include <climits>
#include <vector>

namespace {

int Saturate(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// Marks the spacing lines of the text's dot grid within 0 .. extent - 1: the `spacing` rows (or
// columns) just above (left of) each dot row (column), counted from `origin`, so that the unlit
// dots line up with the text and move with it.
std::vector<char> SpacingLines(long long origin, int extent, long long pitch, long long spacing)
{
    std::vector<char> marked(static_cast<std::size_t>(std::max(extent, 0)), 0);
    for (long long b = 0; b <= extent / pitch + 1; ++b) {
        for (long long i = 1; i <= spacing; ++i) {
            const long long at = origin % pitch + b * pitch - spacing - 1 + i;
            if (at >= 0 && at < extent)
                marked[static_cast<std::size_t>(at)] = 1;
        }
    }
    return marked;
}

struct FramePixels
{
    PixelImage::Pixel Dark;
    PixelImage::Pixel Shadow;
    PixelImage::Pixel Light;
};

using Pt = PixelImage::Point;

// The frame's polylines over whatever lies beneath, in each style's order: later ones overwrite
// earlier ones where they cross.
void DrawFrame(PixelImage& image, TFrameStyle style, const FramePixels& pixels)
{
    const int w = image.Width();
    const int h = image.Height();
    const std::array<Pt, 5> outer{Pt{0, 0}, {w - 2, 0}, {w - 2, h - 2}, {0, h - 2}, {0, 0}};
    switch (style) {
    case fsNone:
        return;
    case fsSimple: {
        const std::array<Pt, 5> outline{Pt{0, 0}, {w - 1, 0}, {w - 1, h - 1}, {0, h - 1}, {0, 0}};
        image.Polyline(outline, pixels.Shadow);
        return;
    }
    case fsLowered:
    case fsRaised: {
        // Sunken: dark inside the top-left edge, light along the bottom-right one; raised: the
        // other way round, and its dark edge reaches the bottom-left corner.
        const bool lowered = style == fsLowered;
        const std::array<Pt, 3> topLeft{Pt{1, h - 3}, {1, 1}, {w - 2, 1}};
        const std::array<Pt, 3> bottomRight{Pt{lowered ? 2 : 0, h - 1}, {w - 1, h - 1}, {w - 1, 0}};
        image.Polyline(topLeft, lowered ? pixels.Dark : pixels.Light);
        image.Polyline(bottomRight, lowered ? pixels.Light : pixels.Dark);
        image.Polyline(outer, pixels.Shadow);
        return;
    }
    case fsEmbossed:
    case fsEngraved: {
        // Two offset outlines: light outside at the top-left makes a ridge, shadow a groove.
        const bool ridge = style == fsEmbossed;
        const std::array<Pt, 5> inner{Pt{1, 1}, {w - 1, 1}, {w - 1, h - 1}, {1, h - 1}, {1, 1}};
        image.Polyline(inner, ridge ? pixels.Shadow : pixels.Light);
        image.Polyline(outer, ridge ? pixels.Light : pixels.Shadow);
        return;
    }
    }
}

} // namespace

PixelImage::Pixel TRasterLabModel::DefaultColor(TColor color)
{
    if (!IsSystemColor(color))
        return PixelOf(color);
    switch (color) {
    case clBtnShadow:
        return PixelOf(clGray);
    case clBtnHighlight:
    case clWindow:
        return PixelOf(clWhite);
    case clBtnFace:
        return PixelOf(0xC0C0C0);
    default:
        return PixelOf(clBlack);
    }
}

TRasterLabModel::TRasterLabModel() : FGlyphs(TRDGlyphTable::BuildFromDefaultGlyphs()) {}

void TRasterLabModel::SetSize(int width, int height)
{
    FWidth = width;
    FHeight = height;
}

bool TRasterLabModel::SetAutoHeight(bool value)
{
    if (!Store(FAutoHeight, value))
        return false;
    if (FAutoHeight)
        ApplyAutoHeight();
    return true;
}

bool TRasterLabModel::SetAutoCenter(bool value)
{
    if (!Store(FAutoCenter, value))
        return false;
    if (FAutoCenter)
        ApplyAutoCenter();
    else
        FPosX = 1;
    return true;
}

bool TRasterLabModel::SetColorScheme(TColorScheme value)
{
    if (!Store(FColorScheme, value))
        return false;
    const bool system = FColorScheme == csSystem;
    FFrameColors.Shadow = system ? clBtnShadow : clGray;
    FFrameColors.Light = system ? clBtnHighlight : clWhite;
    return true;
}

bool TRasterLabModel::SetDotSpacing(int value)
{
    if (!Store(FDotSpacing, std::clamp(value, 0, 3)))
        return false;
    ReapplyAutoSettings();
    return true;
}

bool TRasterLabModel::SetDotSize(int value)
{
    if (!Store(FDotSize, std::clamp(value, 1, 32)))
        return false;
    ReapplyAutoSettings();
    return true;
}

bool TRasterLabModel::SetScrollInterval(int value)
{
    return Store(FScrollInterval, std::max(value, 10));
}

bool TRasterLabModel::SetScrollIncrement(int value)
{
    // The absolute value of INT_MIN does not fit; take the largest step there is.
    int step = value == INT_MIN ? INT_MAX : (value < 0 ? -value : value);
    if (step == 0)
        step = 1;
    return Store(FScrollIncrement, step);
}

bool TRasterLabModel::SetText(std::string_view value)
{
    if (FText == value)
        return false;
    FText.assign(value);
    if (FAutoCenter)
        ApplyAutoCenter();
    return true;
}

void TRasterLabModel::SetGlyphTable(const TRDGlyphTable& table)
{
    FGlyphs = table;
    ReapplyAutoSettings();
}

void TRasterLabModel::SetScrollOffsets(int x, int y)
{
    FScrollOffsetX = x;
    FScrollOffsetY = y;
}

void TRasterLabModel::AssignFrom(const TRasterLabModel& source)
{
    FFrameStyle = source.FFrameStyle;
    FText = source.FText;
    FColorLabBakG = source.FColorLabBakG;
    FColorDotOn = source.FColorDotOn;
    FFrameColors = source.FFrameColors;
    FColorScheme = source.FColorScheme;
}

int TRasterLabModel::FrameWidth() const
{
    switch (FFrameStyle) {
    case fsNone:
        return 0;
    case fsEmbossed:
    case fsEngraved:
        return 2;
    default:
        return 1;
    }
}

TRasterLabModel::ColumnRange TRasterLabModel::Columns(std::uint8_t code, bool fixed) const
{
    if (fixed)
        return {0, FGlyphs.GlyphWidth - 1};
    return {FGlyphs.FirstCol[code], FGlyphs.LastCol[code]};
}

int TRasterLabModel::CalcTextWidth(std::string_view text) const
{
    const long long pitch = CellPitch();
    long long width = 0;
    for (const char c : text) {
        const ColumnRange range = Columns(static_cast<std::uint8_t>(c), !FProportional);
        width += (range.Last - range.First + 2) * pitch;
    }
    return Saturate(width);
}

void TRasterLabModel::ApplyAutoHeight()
{
    FHeight = Saturate(FrameWidth() + static_cast<long long>(CellPitch()) * FGlyphs.GlyphHeight);
}

void TRasterLabModel::ApplyAutoCenter()
{
    // Integer division truncates toward zero, as the layout has always done for wide texts.
    const long long spare = static_cast<long long>(FWidth) - CalcTextWidth(FText);
    FPosX = Saturate(spare / 2 + FrameWidth() + 1);
}

void TRasterLabModel::ReapplyAutoSettings()
{
    if (FAutoHeight)
        ApplyAutoHeight();
    if (FAutoCenter)
        ApplyAutoCenter();
}

long long TRasterLabModel::PaintChar(PixelImage& image, std::uint8_t code, long long x, long long y,
                                     bool fixed, PixelImage::Pixel dotOn) const
{
    const ColumnRange range = Columns(code, fixed);
    const long long pitch = CellPitch();
    const int size = FDotSize;
    const auto& rows = FGlyphs.Rows[code];
    const int height = std::min(FGlyphs.GlyphHeight, 32);
    for (int r = 0; r < height; ++r) {
        const std::uint32_t mask = rows[static_cast<std::size_t>(r)];
        if (mask == 0)
            continue;
        const long long top = y + r * pitch;
        for (int k = std::max(range.First, 0); k <= range.Last && k < 32; ++k) {
            if ((mask >> k & 1u) == 0)
                continue;
            const long long left = x + (k - range.First) * pitch;
            if (left >= image.Width() || top >= image.Height() || left + size <= 0 || top + size <= 0)
                continue;
            const int l = static_cast<int>(left);
            const int t = static_cast<int>(top);
            if (size == 1)
                image.SetPixel(l, t, dotOn);
            else
                image.FillRect(l, t, l + size, t + size, dotOn);
        }
    }
    return (range.Last - range.First + 1) * pitch;
}

void TRasterLabModel::PaintText(PixelImage& image, long long x0, long long y0, PixelImage::Pixel dotOn,
                                PixelImage::Pixel band)
{
    const long long pitch = CellPitch();
    const bool bands = FCharBlockMode == rdbmOn;
    const auto drawBand = [&](long long x) {
        const long long left = std::clamp<long long>(x - pitch, INT_MIN, INT_MAX);
        const long long right = std::clamp<long long>(x - 1, INT_MIN, INT_MAX);
        image.FillRect(static_cast<int>(left), 0, static_cast<int>(right), image.Height(), band);
    };
    long long x = x0;
    if (bands)
        drawBand(x);
    for (const char c : FText) {
        const long long width = PaintChar(image, static_cast<std::uint8_t>(c), x, y0, !FProportional, dotOn);
        x += FProportional ? pitch + width : pitch + FGlyphs.GlyphWidth * pitch;
        if (bands)
            drawBand(x);
    }
    FTextPixelWidth = Saturate(x - x0 + 1);
}

void TRasterLabModel::Paint(PixelImage& image, const ColorResolver& resolve)
{
    const PixelImage::Pixel bakG = resolve(FColorLabBakG);
    const long long x0 = static_cast<long long>(FPosX) + FScrollOffsetX;
    const long long y0 = static_cast<long long>(FPosY) + FScrollOffsetY;
    PaintField(image, x0, y0, bakG, resolve(FColorDotOff));
    PaintText(image, x0, y0, resolve(FColorDotOn), bakG);
    DrawFrame(image, FFrameStyle,
              {resolve(FFrameColors.Dark), resolve(FFrameColors.Shadow), resolve(FFrameColors.Light)});
}

void TRasterLabModel::PaintField(PixelImage& image, long long x0, long long y0, PixelImage::Pixel bakG,
                                 PixelImage::Pixel dotOff) const
{
    const int w = FWidth;
    const int h = FHeight;
    const PixelImage::Pixel white = PixelOf(clWhite);
    // All of the image without a frame, else all but the outermost ring, which the frame draws.
    const int inset = FFrameStyle == fsNone ? 0 : 1;
    if (FCharBlockMode == rdbmOff) {
        image.Reset(w, h, white);
        image.FillRect(inset, inset, w - inset, h - inset, bakG);
        return;
    }
    // A spacing row is background across the whole width, and every other row is one of two
    // patterns (inside the field or on the ring): each row is written once, from its pattern.
    const std::vector<char> rows = SpacingLines(y0, h, CellPitch(), FDotSpacing);
    const std::vector<char> columns = SpacingLines(x0, w, CellPitch(), FDotSpacing);
    std::vector<PixelImage::Pixel> inner(columns.size());
    std::vector<PixelImage::Pixel> ring(columns.size());
    const std::vector<PixelImage::Pixel> band(columns.size(), bakG);
    for (int x = 0; x < w; ++x) {
        const bool column = columns[static_cast<std::size_t>(x)] != 0;
        inner[static_cast<std::size_t>(x)] = column ? bakG : (x >= inset && x < w - inset ? dotOff : white);
        ring[static_cast<std::size_t>(x)] = column ? bakG : white;
    }
    image.Resize(w, h);
    for (int y = 0; y < h; ++y) {
        const bool inField = y >= inset && y < h - inset;
        image.SetRow(y, rows[static_cast<std::size_t>(y)] != 0 ? band : (inField ? inner : ring));
    }
}

bool TRasterLabModel::ScrollStep()
{
    const long long step = FScrollIncrement;
    const long long glyphRows = static_cast<long long>(FGlyphs.GlyphHeight) * CellPitch();
    bool wrapped = false;
    // Offsets saturate rather than overflow when a text without looping runs on for ever.
    switch (FScrollMode) {
    case rdsmOff:
        FScrollRunning = false;
        FScrollOffsetX = 0;
        FScrollOffsetY = 0;
        break;
    case rdsmLeft:
        FScrollOffsetX = Saturate(FScrollOffsetX - step);
        if (FScrollLoop && FScrollOffsetX < -static_cast<long long>(FTextPixelWidth)) {
            FScrollOffsetX = FWidth;
            wrapped = true;
        }
        break;
    case rdsmRight:
        FScrollOffsetX = Saturate(FScrollOffsetX + step);
        if (FScrollLoop && FScrollOffsetX > FWidth) {
            FScrollOffsetX = Saturate(-static_cast<long long>(FTextPixelWidth));
            wrapped = true;
        }
        break;
    case rdsmDown:
        FScrollOffsetY = Saturate(FScrollOffsetY + step);
        if (FScrollLoop && FScrollOffsetY > FHeight) {
            FScrollOffsetY = Saturate(-glyphRows);
            wrapped = true;
        }
        break;
    case rdsmUp:
        FScrollOffsetY = Saturate(FScrollOffsetY - step);
        if (FScrollLoop && FScrollOffsetY < -glyphRows) {
            FScrollOffsetY = FHeight;
            wrapped = true;
        }
        break;
    }
    return wrapped;
}
