#include "controls/dotmatrix/DefaultGlyphs.h"

// Placeholder: every code blank until the font is drawn.
const std::array<TGlyphRecord, 224> DefaultGlyphs = [] {
    std::array<TGlyphRecord, 224> table{};
    for (auto& record : table)
        record = TGlyphRecord{0, 6, {}};
    return table;
}();
