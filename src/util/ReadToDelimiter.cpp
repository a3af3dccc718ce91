#include "util/ReadToDelimiter.h"

#include "util/AsciiText.h"
#include "util/Stream.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::size_t kBlockSize = 256;

// Reads one block; a read that fails ends the stream like a short block.
std::size_t ReadBlock(TStream& stream, char* block)
{
    try {
        return stream.Read(block, kBlockSize);
    } catch (const EStreamError&) {
        return 0;
    }
}

} // namespace

TDelimitedText ReadToDelimiter(TStream& stream, std::string_view delimiter)
{
    TDelimitedText result;
    if (delimiter.empty())
        return result;
    const std::string folded = AsciiLower(delimiter);
    const std::int64_t start = stream.Position();

    // Only the bytes a new block could complete a delimiter with are searched again: the new
    // block and the delimiter's length less one before it.
    char block[kBlockSize];
    std::size_t hit = std::string::npos;
    for (;;) {
        const std::size_t n = ReadBlock(stream, block);
        const std::size_t searchFrom =
            result.Text.size() >= folded.size() - 1 ? result.Text.size() - (folded.size() - 1) : 0;
        result.Text.append(block, n);
        hit = AsciiFindNoCase(result.Text, folded, searchFrom);
        if (n == 0 || hit != std::string::npos)
            break;
    }
    if (hit == std::string::npos)
        return result;
    result.Found = true;
    result.Text.resize(hit + folded.size());
    stream.SetPosition(start + static_cast<std::int64_t>(result.Text.size()));
    return result;
}
