#include "serverlink/TEntity.h"

#include "serverlink/TDemonLink.h"
#include "serverlink/TMentixMessageStream.h"

const std::string& TEntity::ExeName()
{
    if (FExeName.empty())
        Refresh();
    return FExeName;
}

const std::string& TEntity::Title()
{
    if (FTitle.empty())
        Refresh();
    return FTitle;
}

void TEntity::Refresh()
{
    if (FOwner == nullptr)
        return;
    const auto found = FOwner->FindEntityByHandle(Handle);
    Assign(found.get());
}

void TEntity::Assign(const TEntity* other)
{
    if (other == nullptr)
        return;
    Handle = other->Handle;
    MutexHandle = other->MutexHandle;
    FExeName = other->FExeName;
    FTitle = other->FTitle;
}

std::string TEntity::GetMutexName()
{
    const std::string& path = ExeName();
    const auto separator = path.find_last_of("/\\:");
    return "MX_" + (separator == std::string::npos ? path : path.substr(separator + 1));
}

void TEntity::WriteToStream(TMentixMessageStream& msg)
{
    msg.WriteUInt32(Handle);
    msg.WriteUInt32(MutexHandle);
    msg.WriteString(ExeName());
    msg.WriteString(Title());
}

void TEntity::ReadFromStream(TMentixMessageStream& msg)
{
    Handle = msg.ReadUInt32();
    MutexHandle = msg.ReadUInt32();
    FExeName = msg.ReadString();
    FTitle = msg.ReadString();
}

bool TEntity::IsAlive() const
{
    return FOwner != nullptr && Handle != 0 && FOwner->IsWindowAlive(Handle);
}
