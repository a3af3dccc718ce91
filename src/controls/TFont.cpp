#include "controls/TFont.h"

#include <cmath>

TFont::TFont(const TFont& other)
    : FName(other.FName), FHeight(other.FHeight), FStyle(other.FStyle), FColor(other.FColor),
      FCharset(other.FCharset), FPixelsPerInch(other.FPixelsPerInch)
{}

TFont& TFont::operator=(const TFont& other)
{
    if (this != &other)
        Assign(other);
    return *this;
}

void TFont::SetName(const std::string& name)
{
    FName = name;
    Changed();
}

void TFont::SetHeight(int height)
{
    FHeight = height;
    Changed();
}

int TFont::Size() const
{
    return static_cast<int>(std::lround(-static_cast<double>(FHeight) * 72.0 / FPixelsPerInch));
}

void TFont::SetSize(int points)
{
    FHeight = -static_cast<int>(std::lround(static_cast<double>(points) * FPixelsPerInch / 72.0));
    Changed();
}

void TFont::SetStyle(TFontStyles style)
{
    FStyle = style;
    Changed();
}

void TFont::SetColor(TColor color)
{
    FColor = color;
    Changed();
}

void TFont::SetCharset(TFontCharset charset)
{
    FCharset = charset;
    Changed();
}

void TFont::Assign(const TFont& source)
{
    FName = source.FName;
    FHeight = source.FHeight;
    FStyle = source.FStyle;
    FColor = source.FColor;
    FCharset = source.FCharset;
    FPixelsPerInch = source.FPixelsPerInch;
    Changed();
}

bool TFont::SameAttributes(const TFont& other) const
{
    return FName == other.FName && FHeight == other.FHeight && FStyle == other.FStyle &&
           FColor == other.FColor && FCharset == other.FCharset;
}

void TFont::Changed()
{
    if (OnChange)
        OnChange(*this);
}
