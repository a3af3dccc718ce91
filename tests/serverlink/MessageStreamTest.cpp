#include "serverlink/EMentix.h"
#include "serverlink/MentixCodes.h"
#include "serverlink/TDemonLink.h"
#include "serverlink/TEntity.h"
#include "serverlink/TMentixMessageStream.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

// A component stand-in that knows a few peers by handle and counts the lookups.
class FakeLink : public TDemonLink
{
public:
    std::unique_ptr<TEntity> FindEntityByHandle(std::uint32_t handle) override
    {
        ++Lookups;
        const auto it = Peers.find(handle);
        if (it == Peers.end())
            return nullptr;
        auto entity = std::make_unique<TEntity>(this);
        entity->Handle = handle;
        entity->SetExeName(it->second.first);
        entity->SetTitle(it->second.second);
        return entity;
    }
    void SendTo(TEntity&, TMentixMessageStream&, TMentixMessageStream*) override {}
    bool IsWindowAlive(std::uint32_t handle) const override { return Peers.contains(handle); }

    std::map<std::uint32_t, std::pair<std::string, std::string>> Peers;
    int Lookups = 0;
};

TEST(MessageStream, StringEncoding)
{
    TMentixMessageStream msg;
    msg.WriteString("");
    msg.WriteString("abc");
    EXPECT_EQ(msg.Bytes(), Bytes({0, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c'}));

    msg.SetPosition(0);
    EXPECT_EQ(msg.ReadString(), "");
    EXPECT_EQ(msg.ReadString(), "abc");
    EXPECT_THROW(msg.ReadString(), EReadError);

    // Every byte is a character, zero included; a negative length reads as empty and consumes 4 bytes.
    TMentixMessageStream odd;
    odd.WriteBytes(Bytes({2, 0, 0, 0, 0, 'x', 0xFF, 0xFF, 0xFF, 0xFF, 7}));
    odd.SetPosition(0);
    EXPECT_EQ(odd.ReadString(), Bytes({0, 'x'}));
    EXPECT_EQ(odd.ReadString(), "");
    EXPECT_EQ(odd.Position(), 10);
    EXPECT_EQ(odd.ReadByte(), 7);
    EXPECT_THROW(odd.ReadByte(), EReadError);
}

TEST(MessageStream, HugeStringLengthFailsWithoutAllocating)
{
    TMentixMessageStream msg;
    msg.WriteInt32(0x7FFFFFF0);
    msg.WriteBytes("short");
    msg.SetPosition(0);
    try {
        msg.ReadString();
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    // A length one past what is left fails as well; exactly what is left succeeds.
    TMentixMessageStream edge;
    edge.WriteInt32(4);
    edge.WriteBytes("abc");
    edge.SetPosition(0);
    EXPECT_THROW(edge.ReadString(), EReadError);
    edge.SetPosition(0);
    edge.WriteInt32(3);
    edge.SetPosition(0);
    EXPECT_EQ(edge.ReadString(), "abc");
}

TEST(MessageStream, IntegersAreLittleEndian)
{
    TMentixMessageStream msg;
    msg.WriteInt32(-2);
    msg.WriteUInt32(0x01020304);
    msg.WriteByte(0xAB);
    EXPECT_EQ(msg.Bytes(), Bytes({0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1, 0xAB}));
    msg.SetPosition(0);
    EXPECT_EQ(msg.ReadInt32(), -2);
    EXPECT_EQ(msg.ReadUInt32(), 0x01020304u);
    EXPECT_EQ(msg.ReadByte(), 0xAB);
}

TEST(MessageStream, PeerRecordRoundTrip)
{
    TEntity entity;
    entity.Handle = 1234;
    entity.SetTitle("T");
    TMentixMessageStream msg;
    entity.WriteToStream(msg);
    EXPECT_EQ(msg.Bytes(), Bytes({0xD2, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 'T'}));

    msg.SetPosition(0);
    TEntity back;
    back.ReadFromStream(msg);
    EXPECT_EQ(back.Handle, 1234u);
    EXPECT_EQ(back.MutexHandle, 0u);
    EXPECT_EQ(back.StoredExeName(), "");
    EXPECT_EQ(back.StoredTitle(), "T");

    // A record cut short fails with the read error.
    TMentixMessageStream cut;
    cut.WriteBytes(msg.Bytes().substr(0, 14));
    cut.SetPosition(0);
    EXPECT_THROW(back.ReadFromStream(cut), EReadError);
}

TEST(MessageStream, EntityFillsEmptyTextsFromTheServer)
{
    FakeLink link;
    link.Peers[77] = {"/opt/tb/reader", "Reader"};

    TEntity sender(&link);
    sender.Handle = 77;
    EXPECT_EQ(sender.ExeName(), "/opt/tb/reader");
    EXPECT_EQ(link.Lookups, 1);
    EXPECT_EQ(sender.Title(), "Reader"); // filled by the same answer
    EXPECT_EQ(link.Lookups, 1);
    EXPECT_TRUE(sender.IsAlive());

    // An unknown handle leaves the texts empty, and every later read asks again.
    TEntity unknown(&link);
    unknown.Handle = 5;
    EXPECT_EQ(unknown.Title(), "");
    EXPECT_EQ(unknown.Title(), "");
    EXPECT_EQ(link.Lookups, 3);
    EXPECT_FALSE(unknown.IsAlive());

    // Writing a record with an empty title asks for it first.
    TEntity own(&link);
    own.Handle = 77;
    own.SetExeName("/x/y");
    TMentixMessageStream msg;
    own.WriteToStream(msg);
    msg.SetPosition(0);
    TEntity back;
    back.ReadFromStream(msg);
    EXPECT_EQ(back.StoredTitle(), "Reader");
    EXPECT_EQ(back.StoredExeName(), "/x/y");          // written before the title was looked up
    EXPECT_EQ(own.StoredExeName(), "/opt/tb/reader"); // the answer replaced the whole record
}

TEST(MessageStream, MutexName)
{
    TEntity entity;
    entity.SetExeName("C:\\Apps\\bytescope.exe");
    EXPECT_EQ(entity.GetMutexName(), "MX_bytescope.exe");
    entity.SetExeName("/opt/Bytescope/ByteScope");
    EXPECT_EQ(entity.GetMutexName(), "MX_ByteScope");
    entity.SetExeName("D:prog.exe");
    EXPECT_EQ(entity.GetMutexName(), "MX_prog.exe");
}

TEST(MessageStream, AssignCopiesEverythingButThePosition)
{
    TMentixMessageStream source;
    source.Time = 11;
    source.Date = 22;
    source.Code = mentix::dmGetFile;
    source.Sender.Handle = 9;
    source.Sender.SetTitle("S");
    source.WriteString("payload");

    TMentixMessageStream copy;
    copy.WriteBytes("old contents that are longer");
    copy.SetPosition(2);
    copy.Assign(source);
    EXPECT_EQ(copy.Time, 11);
    EXPECT_EQ(copy.Date, 22);
    EXPECT_EQ(copy.Code, mentix::dmGetFile);
    EXPECT_EQ(copy.Sender.Handle, 9u);
    EXPECT_EQ(copy.Sender.StoredTitle(), "S");
    EXPECT_EQ(copy.Bytes(), source.Bytes());
    EXPECT_EQ(copy.Position(), 2);
}

TEST(MessageStream, CopyDataBlock)
{
    TMentixMessageStream msg;
    msg.Time = 0x01020304;
    msg.Date = 738000;
    msg.WriteByte(1);
    const std::string block = msg.ToBlock();
    EXPECT_EQ(block, Bytes({4, 3, 2, 1, 0xD0, 0x42, 0x0B, 0, 1}));

    TMentixMessageStream received;
    received.FromBlock(mentix::dmQuit, block);
    EXPECT_EQ(received.Code, mentix::dmQuit);
    EXPECT_EQ(received.Time, 0x01020304);
    EXPECT_EQ(received.Date, 738000);
    EXPECT_EQ(received.Position(), 0);
    EXPECT_EQ(received.Bytes(), Bytes({1}));

    // An empty payload is a block of exactly eight bytes.
    TMentixMessageStream empty;
    empty.FromBlock(5000, block.substr(0, 8));
    EXPECT_EQ(empty.Size(), 0);

    TMentixMessageStream shortOne;
    try {
        shortOne.FromBlock(5000, block.substr(0, 7));
        FAIL() << "no error";
    } catch (const EIntOverflow& e) {
        EXPECT_STREQ(e.what(), "Arithmetic overflow");
    }
    EXPECT_EQ(shortOne.Code, 0);
}

TEST(MessageStream, DayNumbers)
{
    EXPECT_EQ(MentixDayNumber(1, 1, 1), 1);
    EXPECT_EQ(MentixDayNumber(1, 12, 31), 365);
    EXPECT_EQ(MentixDayNumber(2000, 1, 1), 730120);
    const MentixStamp now = CurrentMentixStamp();
    EXPECT_GE(now.Time, 0);
    EXPECT_LT(now.Time, 86400000);
    EXPECT_GT(now.Date, MentixDayNumber(2020, 1, 1));
}

} // namespace
