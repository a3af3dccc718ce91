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

// Reads `stream` from its position in blocks of up to 256 bytes until the delimiter turns up
// (A..Z compared without regard to case) or the stream ends. When found, the stream is left on
// the first byte after the delimiter; when not, its position is unspecified. Only a read that
// gives nothing or fails ends the stream: a pipe or a slow device may hand over fewer bytes than
// asked for while more are still to come. An empty delimiter is never found. Each byte is compared a bounded
// number of times, so the cost is linear in the bytes read, also for a stream without delimiter.
TDelimitedText ReadToDelimiter(TStream& stream, std::string_view delimiter);
