#pragma once

#include <string_view>

// The names of the 256 codes of Windows-1252 (util/Cp1252.h), for a learner who cannot see a
// glyph, or sees none because the code has no printable character. Names are English.

// ASCII's abbreviation of a control code: "NUL" .. "US" for 0..31, "DEL" for 127; empty for every
// other code.
std::string_view ControlCodeAbbreviation(unsigned char code);

// The character's name in lower case: ASCII's name for a control code ("line feed", "delete"),
// the Unicode name for every other character ("space", "latin capital letter a", "euro sign").
// Empty for the five codes that Windows-1252 leaves without a character (81, 8D, 8F, 90, 9D).
std::string_view CharacterName(unsigned char code);
