#include "serverlink/TMentixMessageStream.h"

#include "serverlink/EMentix.h"
#include "serverlink/MentixCodes.h"
#include "serverlink/TDemonLink.h"
#include "util/LittleEndian.h"

#include <chrono>
#include <ctime>

TMentixMessageStream::TMentixMessageStream(TDemonLink* owner) : Sender(owner), FOwner(owner) {}

void TMentixMessageStream::SetOwner(TDemonLink* owner)
{
    FOwner = owner;
}

void TMentixMessageStream::WriteString(std::string_view s)
{
    WriteInt32(static_cast<std::int32_t>(s.size()));
    WriteBytes(s);
}

std::string TMentixMessageStream::ReadString()
{
    const std::int32_t length = ReadInt32();
    if (length <= 0)
        return {};
    // A corrupt or hostile length must not make us allocate more than the message holds.
    const std::int64_t left = Size() - Position();
    if (left < length) {
        SetPosition(Size());
        throw EReadError();
    }
    std::string s(static_cast<std::size_t>(length), '\0');
    ReadBuffer(s.data(), s.size());
    return s;
}

void TMentixMessageStream::WriteInt32(std::int32_t value)
{
    WriteUInt32(static_cast<std::uint32_t>(value));
}

std::int32_t TMentixMessageStream::ReadInt32()
{
    return static_cast<std::int32_t>(ReadUInt32());
}

void TMentixMessageStream::WriteUInt32(std::uint32_t value)
{
    char bytes[4];
    PutLE32(bytes, value);
    WriteBuffer(bytes, sizeof bytes);
}

std::uint32_t TMentixMessageStream::ReadUInt32()
{
    char bytes[4];
    ReadBuffer(bytes, sizeof bytes);
    return GetLE32(bytes);
}

void TMentixMessageStream::WriteByte(std::uint8_t value)
{
    const char byte = static_cast<char>(value);
    WriteBuffer(&byte, 1);
}

std::uint8_t TMentixMessageStream::ReadByte()
{
    char byte = 0;
    ReadBuffer(&byte, 1);
    return static_cast<std::uint8_t>(byte);
}

void TMentixMessageStream::SendTo(TEntity& entity, TMentixMessageStream* reply)
{
    if (FOwner != nullptr)
        FOwner->SendTo(entity, *this, reply);
}

void TMentixMessageStream::Assign(const TMentixMessageStream& other)
{
    if (&other == this)
        return;
    Time = other.Time;
    Date = other.Date;
    Sender.Assign(&other.Sender);
    Code = other.Code;
    const std::int64_t position = Position();
    Clear();
    WriteBytes(other.Bytes());
    SetPosition(position);
}

void TMentixMessageStream::StampNow()
{
    const MentixStamp stamp = CurrentMentixStamp();
    Time = stamp.Time;
    Date = stamp.Date;
}

std::string TMentixMessageStream::ToBlock() const
{
    std::string block(mentix::kStampSize, '\0');
    PutLE32(block.data(), static_cast<std::uint32_t>(Time));
    PutLE32(block.data() + 4, static_cast<std::uint32_t>(Date));
    block += Bytes();
    return block;
}

void TMentixMessageStream::FromBlock(std::int32_t code, std::string_view block)
{
    if (block.size() < mentix::kStampSize)
        throw EIntOverflow();
    Code = code;
    Time = static_cast<std::int32_t>(GetLE32(block.data()));
    Date = static_cast<std::int32_t>(GetLE32(block.data() + 4));
    Clear();
    WriteBytes(block.substr(mentix::kStampSize));
    SetPosition(0);
}

std::int32_t MentixDayNumber(int year, unsigned month, unsigned day)
{
    using namespace std::chrono;
    const sys_days date =
        year_month_day{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}};
    const sys_days first = year_month_day{std::chrono::year{1}, January, std::chrono::day{1}};
    return static_cast<std::int32_t>((date - first).count() + 1);
}

MentixStamp CurrentMentixStamp()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    MentixStamp stamp;
    stamp.Time =
        static_cast<std::int32_t>(((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 + millis);
    stamp.Date = MentixDayNumber(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                                 static_cast<unsigned>(local.tm_mday));
    return stamp;
}
