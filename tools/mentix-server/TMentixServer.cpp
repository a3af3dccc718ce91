#include "TMentixServer.h"

#include "platform/LastError.h"
#include "platform/ProgramPath.h"
#include "platform/ShellWords.h"
#include "serverlink/MentixCodes.h"
#include "serverlink/TMentixMessageStream.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Quoted(std::string_view text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted += text;
    quoted += '"';
    return quoted;
}

} // namespace

TMentixServer::TMentixServer(ServerSettings settings)
    : FSettings(std::move(settings)),
      FWindow(mentix::kServerWindowClass + FSettings.Instance, mentix::kServerWindowName + FSettings.Instance)
{
    FWindow.SetWindowProcedure([this](WindowHandle sender, std::uint32_t code, std::string_view block) {
        WindowProc(sender, code, block);
    });
}

TMentixServer::~TMentixServer() = default;

void TMentixServer::WindowProc(WindowHandle sender, std::uint32_t code, std::string_view block)
{
    TMentixMessageStream request(this);
    TMentixMessageStream answer(this);
    try {
        request.FromBlock(static_cast<std::int32_t>(code), block);
        request.Sender.Handle = sender;
        if (!Answer(request, answer))
            return;
    } catch (const std::exception& e) {
        // A malformed request gets no answer; the requester reads an empty reply.
        Log("request " + std::to_string(code) + " from " + std::to_string(sender) + " rejected: " + e.what());
        return;
    }
    answer.Code = mentix::dmReply;
    answer.Time = request.Time;
    answer.Date = request.Date;
    const SendResult result = Send(FWindow.Handle(), sender, mentix::dmReply, answer.ToBlock());
    if (result != SendResult::Delivered)
        Log("answer to " + std::to_string(sender) + " not delivered");
}

bool TMentixServer::Answer(TMentixMessageStream& request, TMentixMessageStream& answer)
{
    switch (request.Code) {
    case mentix::dmRegister:
        Register(request);
        return false;
    case mentix::dmUnregister:
        Unregister(request);
        return false;
    case mentix::dmFindEntity:
        FindEntity(request, answer);
        return true;
    case mentix::dmExecute:
        Execute(request, answer);
        return true;
    case mentix::dmGetFile:
        GetFile(request, answer);
        return true;
    case mentix::dmServerFileName: {
        // The client cuts the last four characters off this answer and appends ".itl", so the
        // program "/opt/tb/bytescope" is held as "bytescope.exe" and its language file is
        // "bytescope.itl" in the served folder.
        const std::string name = request.ReadString();
        const std::string held = ReplaceProgramExtension(FileNamePart(name), ".exe");
        Log("server-file-name " + Quoted(name) + " -> " + Quoted(held));
        answer.WriteString(held);
        return true;
    }
    case mentix::dmQueryString: {
        const std::string text = request.ReadString();
        Log("query " + Quoted(text));
        answer.WriteString(text);
        return true;
    }
    case mentix::dmServerValue: {
        const std::string name = request.ReadString();
        const std::string value = ServerValue(name);
        Log("value " + Quoted(name) + " -> " + Quoted(value));
        answer.WriteString(value);
        return true;
    }
    default:
        Log("message " + std::to_string(request.Code) + " from " + std::to_string(request.Sender.Handle) +
            " ignored");
        return false;
    }
}

void TMentixServer::Register(TMentixMessageStream& request)
{
    auto peer = std::make_unique<TEntity>();
    peer->ReadFromStream(request);
    Log("register " + std::to_string(peer->Handle) + " " + Quoted(peer->StoredTitle()) + " " +
        Quoted(peer->StoredExeName()));
    const auto same = std::find_if(FPeers.begin(), FPeers.end(),
                                   [&](const auto& known) { return known->Handle == peer->Handle; });
    if (same != FPeers.end())
        *same = std::move(peer);
    else
        FPeers.push_back(std::move(peer));
}

void TMentixServer::Unregister(TMentixMessageStream& request)
{
    TEntity peer;
    peer.ReadFromStream(request);
    Log("unregister " + std::to_string(peer.Handle));
    std::erase_if(FPeers, [&](const auto& known) { return known->Handle == peer.Handle; });
}

void TMentixServer::DropDeadPeers()
{
    // A peer that ended without unregistering (a second instance halts at once) must not be
    // handed out as the running one.
    std::erase_if(FPeers, [](const auto& known) { return !IsWindow(known->Handle); });
}

void TMentixServer::FindEntity(TMentixMessageStream& request, TMentixMessageStream& answer)
{
    DropDeadPeers();
    const std::uint8_t selector = request.ReadByte();
    const TEntity* found = nullptr;
    std::string what;
    if (selector == mentix::kFindByHandle) {
        const std::uint32_t handle = request.ReadUInt32();
        what = "handle " + std::to_string(handle);
        for (const auto& peer : FPeers) {
            if (peer->Handle == handle) {
                found = peer.get();
                break;
            }
        }
    } else if (selector == mentix::kFindByTitle) {
        const std::string title = request.ReadString();
        what = "title " + Quoted(title);
        for (const auto& peer : FPeers) {
            if (peer->StoredTitle() == title) {
                found = peer.get();
                break;
            }
        }
    }
    Log("find " + what + (found != nullptr ? " -> " + std::to_string(found->Handle) : " -> none"));
    if (found != nullptr) {
        TEntity copy;
        copy.Assign(found);
        copy.WriteToStream(answer);
    }
}

void TMentixServer::Execute(TMentixMessageStream& request, TMentixMessageStream& answer)
{
    const std::string program = request.ReadString();
    const std::string parameters = request.ReadString();
    const bool wait = request.ReadByte() != 0;
    const std::int32_t option =
        request.ReadInt32(); // carried for the caller; this server gives it no meaning
    std::vector<std::string> argv{program};
    for (std::string& word : SplitParameters(parameters))
        argv.push_back(std::move(word));
    int errorNumber = 0;
    const ProcessId pid = program.empty() ? 0 : FReaper.Start(argv, wait, errorNumber);
    Log("execute " + Quoted(program) + " " + Quoted(parameters) + (wait ? " wait" : "") + " option " +
        std::to_string(option) + " -> " +
        (pid > 0 ? std::to_string(pid)
                 : "failed: " + (program.empty() ? "no program" : ErrorText(errorNumber))));
    answer.WriteInt32(pid > 0 ? static_cast<std::int32_t>(pid) : 0);
}

void TMentixServer::GetFile(TMentixMessageStream& request, TMentixMessageStream& answer)
{
    const std::string name = request.ReadString();
    // A file too big for one message is refused like a missing one, so the client is told.
    const std::optional<std::string> bytes =
        FSettings.Files.Read(name, kMaxMessageBytes - mentix::kStampSize - 1);
    Log("get-file " + Quoted(name) +
        (bytes ? " -> " + std::to_string(bytes->size()) + " bytes" : " -> none"));
    answer.WriteByte(bytes ? 1 : 0);
    if (bytes)
        answer.WriteBytes(*bytes);
}

std::string TMentixServer::ServerValue(const std::string& name) const
{
    const auto it = FSettings.Values.find(name);
    if (it != FSettings.Values.end())
        return it->second;
    if (name == "ValdoraWorkArea")
        return FSettings.WorkArea;
    return {};
}

void TMentixServer::AnnounceShutdown()
{
    DropDeadPeers();
    const std::vector<WindowHandle> handles = [this] {
        std::vector<WindowHandle> list;
        for (const auto& peer : FPeers)
            list.push_back(peer->Handle);
        return list;
    }();
    for (const WindowHandle handle : handles) {
        TMentixMessageStream quit(this);
        quit.Code = mentix::dmQuit;
        quit.StampNow();
        quit.WriteByte(1);
        Log("quit -> " + std::to_string(handle));
        // A program that is gone or refuses the quit has nothing left to be told.
        if (Send(FWindow.Handle(), handle, mentix::dmQuit, quit.ToBlock()) != SendResult::Delivered)
            Log("quit to " + std::to_string(handle) + " not delivered");
    }
}

std::unique_ptr<TEntity> TMentixServer::FindEntityByHandle(std::uint32_t handle)
{
    for (const auto& peer : FPeers) {
        if (peer->Handle == handle) {
            auto copy = std::make_unique<TEntity>();
            copy->Assign(peer.get());
            return copy;
        }
    }
    return nullptr;
}

void TMentixServer::SendTo(TEntity& entity, TMentixMessageStream& msg, TMentixMessageStream*)
{
    msg.StampNow();
    // The server waits for no reply, so an undelivered message only goes to the log.
    if (Send(FWindow.Handle(), entity.Handle, static_cast<std::uint32_t>(msg.Code), msg.ToBlock()) !=
        SendResult::Delivered)
        Log("message " + std::to_string(msg.Code) + " to " + std::to_string(entity.Handle) +
            " not delivered");
}

bool TMentixServer::IsWindowAlive(std::uint32_t handle) const
{
    return IsWindow(handle);
}

void TMentixServer::Log(const std::string& line) const
{
    if (FSettings.Verbose)
        std::fprintf(stderr, "mentix-server: %s\n", line.c_str());
}
