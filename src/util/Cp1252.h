#pragma once

#include <string>
#include <string_view>

// Windows-1252, the 8-bit code page of every text the program keeps. Text is held as bytes in
// std::string everywhere and converted only where it meets Unicode (Qt, the terminal, fonts).
// The five bytes that Windows-1252 leaves undefined (81, 8D, 8F, 90, 9D) map to the control
// code points of the same value, so every byte survives a round trip.

char32_t Cp1252ToUnicode(unsigned char byte);

// The byte for a code point, or -1 when Windows-1252 has none.
int UnicodeToCp1252(char32_t codePoint);

std::u16string Cp1252ToUtf16(std::string_view bytes);
std::string Cp1252ToUtf8(std::string_view bytes);

// Characters without a byte become `fallback`. Invalid UTF-8 sequences count as one such character.
std::string Utf16ToCp1252(std::u16string_view text, char fallback = '?');
std::string Utf8ToCp1252(std::string_view text, char fallback = '?');
