#pragma once

#include "UniqueFd.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <string_view>

// Wire format of one message on a fresh connection to the destination's socket:
//   magic "MXF1", sender handle, destination handle, data word, byte count (each 4 bytes, little
//   endian), then the bytes. The destination answers one byte (1) after its window procedure has
//   returned and closes the connection; closing without that byte means the message was dropped.
// A block larger than kInlineBytes travels instead in a sealed memfd passed with the header
// (SCM_RIGHTS), under magic "MXFD" and with no bytes after the header. So the sender's write never
// waits for the receiver: two processes that send large blocks to each other at the same moment
// each read the other's whole message at once instead of both waiting for the other to read.
struct WireFrame
{
    static constexpr std::uint32_t kInlineMagic = 0x3146584D; // "MXF1" read as little endian
    static constexpr std::uint32_t kSharedMagic = 0x4446584D; // "MXFD"
    static constexpr std::size_t kHeaderSize = 20;
    static constexpr char kAck = 1;
    // Well below a socket buffer, so an inline message is written whole into a fresh connection.
    static constexpr std::size_t kInlineBytes = 64u * 1024u;
    static constexpr unsigned kRequiredSeals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE;

    std::uint32_t Magic = kInlineMagic;
    std::uint32_t From = 0;
    std::uint32_t To = 0;
    std::uint32_t DataWord = 0;
    std::uint32_t Length = 0;

    std::array<char, kHeaderSize> Encode() const;
    static WireFrame Decode(const char* header);
};

enum class Progress
{
    Pending,
    Done,
    Failed
};

// The sending side.

// A sealed memfd holding `bytes`, or an invalid descriptor when one cannot be made.
UniqueFd SharedBody(std::string_view bytes);

// Pushes more of the frame (`header`, then `bytes`) into a non-blocking socket; Done when all of
// it is written. `attach`, when valid, goes with the first bytes of the header.
Progress WriteSome(int fd, const std::array<char, WireFrame::kHeaderSize>& header, std::string_view bytes,
                   int attach, std::size_t& written);

// Reads the receiver's acknowledgement from a non-blocking socket.
Progress ReadAck(int fd);

// Whether the peer at the other end of a connected Unix socket runs as our user.
bool PeerIsThisUser(int fd);
