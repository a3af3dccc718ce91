#pragma once

#include <cstddef>
#include <string>

// Bytes that differ from position to position and from seed to seed, so that a block that arrives
// shifted, cut or mixed with another one is told apart from the one that was sent.
inline std::string PatternBytes(std::size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + (i >> 12) + seed * 17) & 0xFF);
    return bytes;
}
