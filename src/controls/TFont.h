#pragma once

#include "controls/TColor.h"

#include <cstdint>
#include <functional>
#include <string>

enum TFontStyle : std::uint8_t
{
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
};
using TFontStyles = std::uint8_t;

enum TFontCharset : std::uint8_t
{
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
};

// A font as a stored window describes it. Text is Windows-1252 bytes. Height and Size are two
// views of one value: a negative Height is the character height in pixels without internal
// leading, a positive one the cell height; Size is in points at PixelsPerInch.
// Every attribute set fires OnChange once, also when the value is the same: a window that loads
// a font sets each attribute on its own, and each set is a change of the font.
class TFont
{
public:
    TFont() = default;
    TFont(const TFont& other);
    TFont& operator=(const TFont& other);

    const std::string& Name() const { return FAttributes.Name; }
    void SetName(const std::string& name) { Set(FAttributes.Name, name); }

    int Height() const { return FAttributes.Height; }
    void SetHeight(int height) { Set(FAttributes.Height, height); }

    int Size() const;
    void SetSize(int points);

    TFontStyles Style() const { return FAttributes.Style; }
    void SetStyle(TFontStyles style) { Set(FAttributes.Style, style); }
    bool Bold() const { return (Style() & fsBold) != 0; }
    bool Italic() const { return (Style() & fsItalic) != 0; }
    bool Underline() const { return (Style() & fsUnderline) != 0; }
    bool StrikeOut() const { return (Style() & fsStrikeOut) != 0; }

    TColor Color() const { return FAttributes.Color; }
    void SetColor(TColor color) { Set(FAttributes.Color, color); }

    TFontCharset Charset() const { return FAttributes.Charset; }
    void SetCharset(TFontCharset charset) { Set(FAttributes.Charset, charset); }

    int PixelsPerInch() const { return FAttributes.PixelsPerInch; }

    // Copies every attribute (not the change handler) and fires OnChange once.
    void Assign(const TFont& source);

    bool SameAttributes(const TFont& other) const { return FAttributes == other.FAttributes; }

    std::function<void(TFont&)> OnChange;

private:
    struct Attributes
    {
        std::string Name = "MS Sans Serif";
        int Height = -11;
        TFontStyles Style = 0;
        TColor Color = clWindowText;
        TFontCharset Charset = DEFAULT_CHARSET;
        int PixelsPerInch = 96;

        bool operator==(const Attributes&) const = default;
    };

    template <typename T>
    void Set(T& attribute, const T& value)
    {
        attribute = value;
        Changed();
    }
    void Changed();

    Attributes FAttributes;
};
