#pragma once

#include <array>
#include <cstdint>

// Every character code as a small bitmap of dot rows, prepared once per font so that painting
// reads only this table. Bit j of Rows[c][r] lights column j of row r of code c; bit 0 is the
// leftmost column. A glyph is at most 32 x 32 dots.
struct TRDGlyphTable
{
    std::int32_t GlyphWidth = 0;  // widest glyph in dot columns; the cell width in fixed mode
    std::int32_t GlyphHeight = 0; // dot rows drawn for every glyph
    std::array<std::uint8_t, 256> FirstCol{};
    std::array<std::uint8_t, 256> LastCol{};
    std::array<std::array<std::uint32_t, 32>, 256> Rows{};

    // The display's built-in 7 x 12 font.
    static TRDGlyphTable BuildFromDefaultGlyphs();

    // Gives the control codes 0..31, which no font supplies, a blank glyph of the full cell, and
    // widens every other glyph without ink (other than the space) to the full cell too, so that
    // each code has a defined, non-negative width. Called by both ways of building.
    void CompleteBlankGlyphs();
};
