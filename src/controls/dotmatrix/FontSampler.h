#pragma once

#include "controls/TFont.h"
#include "controls/dotmatrix/TRDGlyphTable.h"

// Builds the glyph table of an installed font by drawing each code 32..255 in black-on-white
// (in the font's colour) and reading the top-left 32 x 32 pixels: every pixel that is not pure
// white is a dot.
TRDGlyphTable SampleFontGlyphs(const TFont& font);

// The table for a font: the built-in one for the name "default" (any letter case), otherwise
// the sampled font.
TRDGlyphTable BuildGlyphTable(const TFont& font);
