#include "controls/TFont.h"

#include <cmath>

// A copy has the attributes but no change handler: the handler belongs to the font's owner.
TFont::TFont(const TFont& other) : FAttributes(other.FAttributes) {}

TFont& TFont::operator=(const TFont& other)
{
    if (this != &other)
        Assign(other);
    return *this;
}

int TFont::Size() const
{
    return static_cast<int>(
        std::lround(-static_cast<double>(FAttributes.Height) * 72.0 / FAttributes.PixelsPerInch));
}

void TFont::SetSize(int points)
{
    SetHeight(-static_cast<int>(std::lround(static_cast<double>(points) * FAttributes.PixelsPerInch / 72.0)));
}

void TFont::Assign(const TFont& source)
{
    FAttributes = source.FAttributes;
    Changed();
}

void TFont::Changed()
{
    if (OnChange)
        OnChange(*this);
}
