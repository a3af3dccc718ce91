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

    const std::string& Name() const { return FName; }
    void SetName(const std::string& name);

    int Height() const { return FHeight; }
    void SetHeight(int height);

    int Size() const;
    void SetSize(int points);

    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles style);
    bool Bold() const { return (FStyle & fsBold) != 0; }
    bool Italic() const { return (FStyle & fsItalic) != 0; }
    bool Underline() const { return (FStyle & fsUnderline) != 0; }
    bool StrikeOut() const { return (FStyle & fsStrikeOut) != 0; }

    TColor Color() const { return FColor; }
    void SetColor(TColor color);

    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset charset);

    int PixelsPerInch() const { return FPixelsPerInch; }

    // Copies every attribute (not the change handler) and fires OnChange once.
    void Assign(const TFont& source);

    bool SameAttributes(const TFont& other) const;

    std::function<void(TFont&)> OnChange;

private:
    void Changed();

    std::string FName = "MS Sans Serif";
    int FHeight = -11;
    TFontStyles FStyle = 0;
    TColor FColor = clWindowText;
    TFontCharset FCharset = DEFAULT_CHARSET;
    int FPixelsPerInch = 96;
};
