#pragma once

#include <string>
#include <string_view>

class TStream;

struct TDelimitedText
{
    // The bytes from the stream's position up to and including the delimiter when found;
    // whatever was read otherwise (callers must not use it then).
    std::string Text;
    bool Found = false;
};

// Reads `stream` from its position in blocks of 256 bytes until the delimiter turns up (A..Z
// compared without regard to case) or a block comes up short. When found, the stream is left on
// the first byte after the delimiter; when not, its position is unspecified. A failed read counts
// as the end of the stream. An empty delimiter is never found. Each byte is compared a bounded
// number of times, so the cost is linear in the bytes read, also for a stream without delimiter.
TDelimitedText ReadToDelimiter(TStream& stream, std::string_view delimiter);
