#pragma once

#include "controls/ControlTypes.h"
#include "controls/TColor.h"
#include "controls/dotmatrix/PixelImage.h"
#include "controls/dotmatrix/RasterLabTypes.h"
#include "controls/dotmatrix/TRDGlyphTable.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The state of one dot-matrix display and everything it does without a window system: the
// setter rules, layout, painting into a PixelImage and the scroll step. TRasterLab owns one and
// adds the font sampler, the timer and the copy to the screen.
//
// Setters clamp, compare and store; they return true when the value changed (and the display is
// due for a repaint). Dependent settings (auto height, then auto centre) are re-applied here.
class TRasterLabModel
{
public:
    // Turns a colour (plain or system) into the pixel to paint.
    using ColorResolver = std::function<PixelImage::Pixel(TColor)>;
    // Plain colours as they are; button shadow gray, button highlight white, other system colours
    // as the classic desktop shows them.
    static PixelImage::Pixel DefaultColor(TColor color);

    TRasterLabModel(); // the display's defaults and the built-in font

    // The control's size, mirrored from the widget; storing it re-applies nothing.
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetSize(int width, int height);

    bool AutoHeight() const { return FAutoHeight; }
    bool SetAutoHeight(bool value);
    bool AutoCenter() const { return FAutoCenter; }
    bool SetAutoCenter(bool value);
    TColor ColorLabBakG() const { return FColorLabBakG; }
    bool SetColorLabBakG(TColor value) { return Store(FColorLabBakG, value); }
    TColor ColorDotOn() const { return FColorDotOn; }
    bool SetColorDotOn(TColor value) { return Store(FColorDotOn, value); }
    TColor ColorDotOff() const { return FColorDotOff; }
    bool SetColorDotOff(TColor value) { return Store(FColorDotOff, value); }
    TColorScheme ColorScheme() const { return FColorScheme; }
    bool SetColorScheme(TColorScheme value);
    int DotSpacing() const { return FDotSpacing; }
    bool SetDotSpacing(int value);
    int DotSize() const { return FDotSize; }
    bool SetDotSize(int value);
    TFrameStyle FrameStyle() const { return FFrameStyle; }
    bool SetFrameStyle(TFrameStyle value) { return Store(FFrameStyle, value); }
    int PosX() const { return FPosX; }
    bool SetPosX(int value) { return Store(FPosX, value); }
    int PosY() const { return FPosY; }
    bool SetPosY(int value) { return Store(FPosY, value); }
    bool Proportional() const { return FProportional; }
    bool SetProportional(bool value) { return Store(FProportional, value); }
    TRDScrollMode ScrollMode() const { return FScrollMode; }
    // Stores only; the widget runs the timer.
    bool SetScrollMode(TRDScrollMode value) { return Store(FScrollMode, value); }
    int ScrollInterval() const { return FScrollInterval; }
    bool SetScrollInterval(int value);
    int ScrollIncrement() const { return FScrollIncrement; }
    bool SetScrollIncrement(int value);
    bool ScrollLoop() const { return FScrollLoop; }
    void SetScrollLoop(bool value) { FScrollLoop = value; } // always due for a repaint
    TRDBlockMode CharBlockMode() const { return FCharBlockMode; }
    bool SetCharBlockMode(TRDBlockMode value) { return Store(FCharBlockMode, value); }
    const std::string& Text() const { return FText; }
    bool SetText(std::string_view value);

    // A new table for a changed font: replaces the old one and re-applies auto height and centre.
    void SetGlyphTable(const TRDGlyphTable& table);
    const TRDGlyphTable& GlyphTable() const { return FGlyphs; }
    int GlyphWidth() const { return FGlyphs.GlyphWidth; }
    int GlyphHeight() const { return FGlyphs.GlyphHeight; }

    TColor ColorFrameDark() const { return FFrameColors.Dark; }
    TColor ColorFrameShadow() const { return FFrameColors.Shadow; }
    TColor ColorFrameLight() const { return FFrameColors.Light; }

    int ScrollOffsetX() const { return FScrollOffsetX; }
    int ScrollOffsetY() const { return FScrollOffsetY; }
    void SetScrollOffsets(int x, int y);
    bool ScrollRunning() const { return FScrollRunning; }
    void SetScrollRunning(bool value) { FScrollRunning = value; }
    int TextPixelWidth() const { return FTextPixelWidth; }

    // Takes the source's frame style, text, colours (all but ColorDotOff) and colour scheme as
    // stored values, without the setters' side effects.
    void AssignFrom(const TRasterLabModel& source);

    int CellPitch() const { return FDotSize + FDotSpacing; }
    int FrameWidth() const;
    // Each character's dot columns plus one blank column, in pixels (saturated to int).
    int CalcTextWidth(std::string_view text) const;
    void ApplyAutoHeight();
    void ApplyAutoCenter();

    // Draws the display into `image`, resized to Width x Height; writes TextPixelWidth.
    void Paint(PixelImage& image, const ColorResolver& resolve = DefaultColor);
    // Lays out the text from (x0, y0) with its lit dots and, in rdbmOn, the bands; writes
    // TextPixelWidth.
    void PaintText(PixelImage& image, long long x0, long long y0, PixelImage::Pixel dotOn,
                   PixelImage::Pixel band);
    // Draws the lit dots of one code; returns the width of its dot columns in pixels.
    long long PaintChar(PixelImage& image, std::uint8_t code, long long x, long long y, bool fixed,
                        PixelImage::Pixel dotOn) const;

    // Moves the offsets by one increment (and wraps them when looping). Returns true when the
    // text wrapped around, so the caller can announce it before repainting.
    bool ScrollStep();

private:
    struct ColumnRange
    {
        int First;
        int Last;
    };
    // The three colours of the frames; the colour scheme sets shadow and light.
    struct FrameColors
    {
        TColor Dark = clBlack;
        TColor Shadow = clGray;
        TColor Light = clWhite;
    };

    // Compares, stores, and says whether the value changed.
    template <typename T>
    static bool Store(T& field, T value)
    {
        if (field == value)
            return false;
        field = value;
        return true;
    }
    ColumnRange Columns(std::uint8_t code, bool fixed) const;
    void ReapplyAutoSettings();
    // Sizes the image and draws what lies beneath the text: the plain background, or in the block
    // modes the unlit dots between the raster lines.
    void PaintField(PixelImage& image, long long x0, long long y0, PixelImage::Pixel bakG,
                    PixelImage::Pixel dotOff) const;

    int FWidth = 400;
    int FHeight = 68;
    bool FAutoHeight = false;
    bool FAutoCenter = false;
    TColor FColorLabBakG = clBlack;
    TColor FColorDotOn = clLime;
    TColor FColorDotOff = 0x404040;
    TColorScheme FColorScheme = csBWG;
    int FDotSpacing = 1;
    int FDotSize = 3;
    TFrameStyle FFrameStyle = fsLowered;
    int FPosX = 1;
    int FPosY = 1;
    bool FProportional = true;
    TRDScrollMode FScrollMode = rdsmOff;
    int FScrollInterval = 100;
    int FScrollIncrement = 1;
    bool FScrollLoop = true;
    TRDBlockMode FCharBlockMode = rdbmOn;
    std::string FText = "Text";

    FrameColors FFrameColors;

    int FScrollOffsetX = 0;
    int FScrollOffsetY = 0;
    bool FScrollRunning = false;
    int FTextPixelWidth = 0;

    TRDGlyphTable FGlyphs;
};
