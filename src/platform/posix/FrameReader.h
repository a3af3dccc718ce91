#pragma once

#include "UniqueFd.h"
#include "WireFrame.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One frame on its way in over a non-blocking connection, assembled from whatever has arrived each
// time the connection is readable, so that a window can take frames from many peers at once and
// none of them waits for another's. Anything that is not what its header says is refused.
class FrameReader
{
public:
    // Frames addressed to another window than `window` are refused.
    explicit FrameReader(std::uint32_t window) : FWindow(window) {}

    // Reads what has arrived on `fd`: Pending while more is to come, Done when the frame is whole,
    // Failed when the peer closed or failed before that or sent something else than a frame.
    // `progressed` is set when any byte came.
    Progress ReadFrom(int fd, bool& progressed);

    const WireFrame& Frame() const { return FFrame; }
    std::string TakeBytes() { return std::move(FBytes); }

private:
    Progress Consume(const char* data, std::size_t size);
    Progress HeaderComplete();

    std::uint32_t FWindow;
    std::array<char, WireFrame::kHeaderSize> FHeader{};
    std::size_t FHeaderBytes = 0;
    WireFrame FFrame;
    std::string FBytes;
    // Descriptors that came along with the frame, owned here so that every path closes them.
    std::vector<UniqueFd> FPassed;
    bool FTruncated = false;
};
