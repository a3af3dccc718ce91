#include "support/WriteToChild.h"

#include <windows.h>

#include <algorithm>

bool WriteToChild(std::intptr_t input, std::string_view bytes)
{
    const auto pipe = reinterpret_cast<HANDLE>(input);
    if (pipe == nullptr || pipe == INVALID_HANDLE_VALUE)
        return false;
    // A pipe whose reader has gone fails the write with ERROR_NO_DATA; no signal on Windows.
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(pipe, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}
