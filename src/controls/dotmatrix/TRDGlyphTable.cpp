#include "controls/dotmatrix/TRDGlyphTable.h"

#include "controls/dotmatrix/DefaultGlyphs.h"

#include <algorithm>

TRDGlyphTable TRDGlyphTable::BuildFromDefaultGlyphs()
{
    TRDGlyphTable table;
    table.GlyphHeight = 12;
    table.GlyphWidth = 7;
    for (std::size_t k = 0; k < DefaultGlyphs.size(); ++k) {
        const TGlyphRecord& record = DefaultGlyphs[k];
        const std::size_t code = 32 + k;
        for (std::size_t row = 0; row < record.Rows.size(); ++row)
            table.Rows[code][row] = record.Rows[row];
        table.FirstCol[code] = record.FirstCol;
        table.LastCol[code] = record.LastCol;
    }
    table.CompleteBlankGlyphs();
    return table;
}

void TRDGlyphTable::CompleteBlankGlyphs()
{
    // A glyph without ink would otherwise keep an inverted column range and a negative width.
    // The built-in font gives its blank codes the whole cell; do the same for every such glyph,
    // with at least one column so that a font without any ink still advances the pen.
    const auto lastOfCell = static_cast<std::uint8_t>(std::clamp(GlyphWidth - 1, 0, 31));
    for (int code = 0; code < 256; ++code) {
        if (code < 32) {
            Rows[code].fill(0);
            FirstCol[code] = 0;
            LastCol[code] = lastOfCell;
        } else if (FirstCol[code] > LastCol[code]) {
            FirstCol[code] = 0;
            LastCol[code] = lastOfCell;
        }
    }
}
