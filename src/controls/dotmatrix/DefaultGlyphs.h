#pragma once

#include <array>
#include <cstdint>

// One character of the display's built-in 7 x 12 dot font.
struct TGlyphRecord
{
    std::uint8_t FirstCol; // first dot column shown in proportional mode
    std::uint8_t LastCol;  // last dot column shown in proportional mode
    // Dot rows 0..11, top first; bit j lights column j, bit 0 is the leftmost column.
    std::array<std::uint8_t, 12> Rows;
};

// The built-in font: one record for each code 32..255, in ascending order.
extern const std::array<TGlyphRecord, 224> DefaultGlyphs;
