#include "serverlink/TkdbDemonClient.h"

#include "platform/ProcessWait.h"
#include "platform/ProgramPath.h"
#include "serverlink/MentixCodes.h"

TkdbDemonClient::TkdbDemonClient(QObject* owner, CommandLine commandLine, bool designing)
    : TkdbCustomDemon(owner, std::move(commandLine), designing)
{
    CreateOwnWindow();
}

TkdbDemonClient::~TkdbDemonClient()
{
    if (ServerDown() || Designing())
        return;
    try {
        UnregisterAtServer();
    } catch (...) {
        // a server that cannot be told any more has nobody to forget us either
    }
}

void TkdbDemonClient::Loaded()
{
    if (Designing()) {
        TkdbCustomDemon::Loaded();
        return;
    }
    StartClient();
    LoadLanguageFile();
    TkdbCustomDemon::Loaded();
}

void TkdbDemonClient::StartClient()
{
    if (!UseValdoraServer())
        return;
    if (ServerEntity.Handle == 0)
        throw EMentix("Mentix server application is not running");
    RegisterAtServer();
}

std::string TkdbDemonClient::GetWindowClassName() const
{
    return mentix::kClientWindowClass;
}

std::string TkdbDemonClient::GetWindowName() const
{
    return {};
}

void TkdbDemonClient::RegisterAtServer()
{
    TMentixMessageStream msg(this);
    msg.Code = mentix::dmRegister;
    OwnEntity.WriteToStream(msg);
    SendTo(ServerEntity, msg, nullptr);
}

void TkdbDemonClient::UnregisterAtServer()
{
    TMentixMessageStream msg(this);
    msg.Code = mentix::dmUnregister;
    OwnEntity.WriteToStream(msg);
    SendTo(ServerEntity, msg, nullptr);
}

std::unique_ptr<TMentixMessageStream> TkdbDemonClient::Request(TMentixMessageStream& msg)
{
    auto reply = std::make_unique<TMentixMessageStream>(this);
    SendTo(ServerEntity, msg, reply.get());
    return reply;
}

std::unique_ptr<TEntity> TkdbDemonClient::FindEntityByTitle(const std::string& title)
{
    TMentixMessageStream msg(this);
    msg.Code = mentix::dmFindEntity;
    msg.WriteByte(mentix::kFindByTitle);
    msg.WriteString(title);
    return RequestEntity(msg);
}

std::unique_ptr<TEntity> TkdbDemonClient::FindEntityByHandle(std::uint32_t handle)
{
    TMentixMessageStream msg(this);
    msg.Code = mentix::dmFindEntity;
    msg.WriteByte(mentix::kFindByHandle);
    msg.WriteUInt32(handle);
    return RequestEntity(msg);
}

// An empty answer means that no registered peer matches.
std::unique_ptr<TEntity> TkdbDemonClient::RequestEntity(TMentixMessageStream& msg)
{
    const auto reply = Request(msg);
    if (reply->Size() < 1)
        return nullptr;
    auto entity = std::make_unique<TEntity>(this);
    entity->ReadFromStream(*reply);
    return entity;
}

std::int32_t TkdbDemonClient::ExecuteProgram(const std::string& program, const std::string& parameters,
                                             bool wait, std::int32_t option)
{
    TMentixMessageStream msg(this);
    msg.Code = mentix::dmExecute;
    msg.WriteString(program);
    msg.WriteString(parameters);
    msg.WriteByte(wait ? 1 : 0);
    msg.WriteInt32(option);
    const auto reply = Request(msg);
    const std::int32_t pid = reply->ReadInt32();
    const EMentix failure("Could not execute \"" + program + ".\"");
    if (pid == 0)
        throw failure;
    if (!wait)
        return pid;
    const auto waiter = ProcessWaiter::Open(pid);
    if (waiter == nullptr)
        throw failure;
    const std::optional<std::int32_t> exitCode = waiter->WaitForExitCode();
    if (!exitCode)
        throw failure; // nobody recorded how the program ended
    return *exitCode;
}

std::unique_ptr<TMemoryStream> TkdbDemonClient::GetFile(const std::string& name)
{
    TMentixMessageStream msg(this);
    msg.Code = mentix::dmGetFile;
    msg.WriteString(name);
    const auto reply = Request(msg);
    if (reply->ReadByte() == 0)
        return nullptr;
    const std::size_t start = static_cast<std::size_t>(reply->Position());
    auto file = std::make_unique<TMemoryStream>(reply->Bytes().substr(start));
    return file;
}

std::string TkdbDemonClient::RequestString(std::int32_t code, const std::string& argument)
{
    TMentixMessageStream msg(this);
    msg.Code = code;
    msg.WriteString(argument);
    return Request(msg)->ReadString();
}

std::string TkdbDemonClient::GetServerFileName(const std::string& name)
{
    return RequestString(mentix::dmServerFileName, name);
}

std::string TkdbDemonClient::QueryServerString(const std::string& text)
{
    return RequestString(mentix::dmQueryString, text);
}

std::string TkdbDemonClient::GetServerValue(const std::string& name)
{
    if (UseValdoraServer())
        return RequestString(mentix::dmServerValue, name);
    if (name != "ValdoraWorkArea" && name != "ValdoraHomeDir")
        return {};
    std::string folder = FolderPart(ParamStr(0));
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder;
}
