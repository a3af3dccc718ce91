#pragma once

#include <cstdint>

// 32-bit words in the little-endian byte order of the message frames and streams, whatever the
// machine's own order.

inline void PutLE32(char* out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline std::uint32_t GetLE32(const char* in)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[i])) << (8 * i);
    return value;
}
