#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text here is bytes of the Windows-1252 code page. These routines fold and trim only what the
// program's own rules name: the letters A..Z and the blank (code 32). Bytes of the upper half,
// tabs and line breaks are kept as they are.

inline char AsciiLowerChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string AsciiLower(std::string_view text);
void AsciiLowerInPlace(std::string& text);

// Removes blanks (code 32 only) at both ends.
std::string TrimBlanks(std::string_view text);

// Whether `text` starts with `prefix` when A..Z are folded on both sides.
bool AsciiStartsWithNoCase(std::string_view text, std::string_view prefix);
bool AsciiEqualNoCase(std::string_view a, std::string_view b);

// The first position at or after `from` where `what` occurs in `text` with A..Z folded on both
// sides, or npos. An empty `what` is never found. Linear in the length of `text` times the
// number of near misses, without a folded copy of either.
std::size_t AsciiFindNoCase(std::string_view text, std::string_view what, std::size_t from = 0);

// The value of a hexadecimal digit (either letter case), or -1 for any other character.
int HexDigitValue(char c);
