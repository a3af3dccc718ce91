#pragma once

#include "serverlink/TEntity.h"
#include "util/Stream.h"

#include <cstdint>
#include <string>
#include <string_view>

class TDemonLink;

// One message: the payload as a growable memory stream, plus its command code, the stamp that
// pairs a reply with its request, and the record of the window that sent it. Integers are
// little-endian; a string is a signed 32-bit length and that many bytes (length <= 0: empty).
class TMentixMessageStream : public TMemoryStream
{
public:
    explicit TMentixMessageStream(TDemonLink* owner = nullptr);
    TMentixMessageStream(const TMentixMessageStream&) = delete;
    TMentixMessageStream& operator=(const TMentixMessageStream&) = delete;

    std::int32_t Time = 0; // milliseconds since local midnight
    std::int32_t Date = 0; // day number, 1 for 1 January of year 1
    TEntity Sender;
    std::int32_t Code = 0;

    TDemonLink* Owner() const { return FOwner; }
    void SetOwner(TDemonLink* owner);

    void WriteString(std::string_view s);
    // Fails with "Stream read error" when the length runs past the end, without allocating it.
    std::string ReadString();
    void WriteInt32(std::int32_t value);
    std::int32_t ReadInt32();
    void WriteUInt32(std::uint32_t value);
    std::uint32_t ReadUInt32();
    void WriteByte(std::uint8_t value);
    std::uint8_t ReadByte();

    // Sends this message to the peer through its owner and collects the answer into `reply`.
    void SendTo(TEntity& entity, TMentixMessageStream* reply);
    // Copies stamp, sender record, code and the whole contents; the position stays.
    void Assign(const TMentixMessageStream& other);

    // Sets the stamp from the current local date and time.
    void StampNow();

    // The data-copy block: time, date, then the whole contents.
    std::string ToBlock() const;
    // Fills code, stamp and contents from a received block and positions at the start; a block
    // shorter than its stamp raises EIntOverflow and leaves the message untouched.
    void FromBlock(std::int32_t code, std::string_view block);

private:
    TDemonLink* FOwner;
};

// The local date and time as a message stamp.
struct MentixStamp
{
    std::int32_t Time = 0;
    std::int32_t Date = 0;
};
MentixStamp CurrentMentixStamp();
// Day number (1 for 1 January of year 1, proleptic Gregorian) of a calendar date.
std::int32_t MentixDayNumber(int year, unsigned month, unsigned day);
