#include "util/BinText.h"

std::string IntToBinText(std::uint32_t Value, std::uint8_t Digits)
{
    const int count = Digits > 32 ? 32 : (Digits == 0 ? 1 : Digits);
    std::string text(static_cast<std::size_t>(count), '0');
    for (int i = count - 1; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = static_cast<char>('0' + (Value & 1u));
        Value >>= 1;
    }
    return text;
}
