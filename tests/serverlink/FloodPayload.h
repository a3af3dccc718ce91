#pragma once

#include <cstdint>
#include <string>

// The messages of the flood test: sender `seed` sends number `index` with a code and payload that
// both sides compute, so the receiver can check every byte and spot a lost or repeated message.
namespace flood {

inline constexpr std::int32_t kFirstCode = 5000; // not a code the server link dispatches itself

inline std::int32_t Code(std::uint32_t index)
{
    return kFirstCode + static_cast<std::int32_t>(index % 5);
}

// Payload without the stamp: seed and index, then up to 60 bytes that depend on both.
inline std::string Payload(std::uint32_t seed, std::uint32_t index)
{
    std::string bytes;
    for (const std::uint32_t word : {seed, index}) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>((word >> (8 * i)) & 0xFF));
    }
    for (std::uint32_t k = 0; k < index % 61; ++k)
        bytes.push_back(static_cast<char>((seed * 31 + index + k) & 0xFF));
    return bytes;
}

// Order-independent checksum of a set of payloads: the sum of their FNV-1a hashes.
inline std::uint64_t Hash(const std::string& bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace flood
