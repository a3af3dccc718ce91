#pragma once

#include <cstdint>
#include <memory>

class TEntity;
class TMentixMessageStream;

// What peer records and messages need of the server-link component that owns them: the lookup
// that fills a record's missing texts, the send of a message, and whether a window exists.
class TDemonLink
{
public:
    // A new record of the registered peer with that window, or none.
    virtual std::unique_ptr<TEntity> FindEntityByHandle(std::uint32_t handle) = 0;
    // Stamps `msg`, sends it to `entity` and fills `reply` (when given) with the answer, if any.
    virtual void SendTo(TEntity& entity, TMentixMessageStream& msg, TMentixMessageStream* reply) = 0;
    virtual bool IsWindowAlive(std::uint32_t handle) const = 0;

protected:
    ~TDemonLink() = default;
};
