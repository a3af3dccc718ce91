#pragma once

#include <cstdint>
#include <string>

// The low `Digits` bits of `Value` as "0"/"1" characters, most significant first.
// The count is clamped to 1..32; higher bits are dropped without notice.
std::string IntToBinText(std::uint32_t Value, std::uint8_t Digits);
