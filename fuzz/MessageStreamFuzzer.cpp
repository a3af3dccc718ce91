// Message payloads come from other processes. Any block, read in any order of typed reads, must
// either give values or fail with the stream's read error, never read outside the message, and a
// block must come back unchanged from ToBlock().
//
// Input: one byte N, then N read operations (one byte each), then the block.
#include "serverlink/EMentix.h"
#include "serverlink/TEntity.h"
#include "serverlink/TMentixMessageStream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void Apply(TMentixMessageStream& msg, std::uint8_t op)
{
    switch (op % 7) {
    case 0:
        msg.ReadString();
        break;
    case 1:
        msg.ReadInt32();
        break;
    case 2:
        msg.ReadUInt32();
        break;
    case 3:
        msg.ReadByte();
        break;
    case 4: {
        TEntity entity;
        entity.ReadFromStream(msg);
        // What was read writes back to the same bytes.
        TMentixMessageStream copy;
        entity.WriteToStream(copy);
        TEntity again;
        copy.SetPosition(0);
        again.ReadFromStream(copy);
        Check(again.Handle == entity.Handle && again.MutexHandle == entity.MutexHandle &&
              again.StoredExeName() == entity.StoredExeName() && again.StoredTitle() == entity.StoredTitle());
        break;
    }
    case 5:
        // A position past the end is allowed; every read from there must fail.
        msg.SetPosition(op / 7);
        break;
    default: {
        TMentixMessageStream other;
        other.Assign(msg);
        Check(other.Bytes() == msg.Bytes() && other.Code == msg.Code);
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t opCount = std::min<std::size_t>(data[0], size - 1);
    const std::uint8_t* ops = data + 1;
    const std::string_view block(reinterpret_cast<const char*>(data + 1 + opCount), size - 1 - opCount);

    TMentixMessageStream msg;
    try {
        msg.FromBlock(4105, block);
    } catch (const EIntOverflow&) {
        Check(block.size() < 8 && msg.Size() == 0);
        return 0;
    }
    Check(msg.ToBlock() == block);
    for (std::size_t i = 0; i < opCount; ++i) {
        try {
            Apply(msg, ops[i]);
        } catch (const EReadError&) {
        }
    }
    return 0;
}
