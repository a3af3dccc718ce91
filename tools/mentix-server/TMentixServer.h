#pragma once

#include "ServedFiles.h"
#include "platform/ChildProcess.h"
#include "platform/MessageWindow.h"
#include "serverlink/TDemonLink.h"
#include "serverlink/TEntity.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class TMentixMessageStream;

struct ServerSettings
{
    std::string Instance;                      // appended to the window's class and name
    ServedFiles Files;                         // what 4103 hands out
    std::string WorkArea;                      // answer of "ValdoraWorkArea": absolute, ends with a separator
    std::map<std::string, std::string> Values; // answers of 4106 by exact name
    bool Verbose = false;                      // one line per request on stderr
};

// The resident server: its window, the registered peers and the answers to their requests. Every
// request is answered inside its handling, by a 4097 message with the request's stamp sent back
// to the requesting window.
class TMentixServer : public TDemonLink
{
public:
    explicit TMentixServer(ServerSettings settings);
    ~TMentixServer();
    TMentixServer(const TMentixServer&) = delete;
    TMentixServer& operator=(const TMentixServer&) = delete;

    // Wait for this window (StopRequest::Wait) and call ServePending() when it has something to do.
    const MessageWindow& Window() const { return FWindow; }
    void ServePending() { FWindow.ServePending(); }
    WindowHandle Handle() const { return FWindow.Handle(); }

    // Tells every registered peer that the server is going down (4096 with byte 1).
    void AnnounceShutdown();

    std::unique_ptr<TEntity> FindEntityByHandle(std::uint32_t handle) override;
    void SendTo(TEntity& entity, TMentixMessageStream& msg, TMentixMessageStream* reply) override;
    bool IsWindowAlive(std::uint32_t handle) const override;

private:
    void WindowProc(WindowHandle sender, std::uint32_t code, std::string_view block);
    // Fills `answer` and says whether the request expects one.
    bool Answer(TMentixMessageStream& request, TMentixMessageStream& answer);
    void Register(TMentixMessageStream& request);
    void Unregister(TMentixMessageStream& request);
    void FindEntity(TMentixMessageStream& request, TMentixMessageStream& answer);
    void Execute(TMentixMessageStream& request, TMentixMessageStream& answer);
    void GetFile(TMentixMessageStream& request, TMentixMessageStream& answer);
    std::string ServerValue(const std::string& name) const;
    void DropDeadPeers();
    void Log(const std::string& line) const;

    ServerSettings FSettings;
    std::vector<std::unique_ptr<TEntity>> FPeers; // in order of registration
    ChildReaper FReaper;
    MessageWindow FWindow;
};
