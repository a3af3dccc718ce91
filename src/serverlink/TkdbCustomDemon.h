#pragma once

#include "i18n/TBabelfish2000.h"
#include "platform/CommandLine.h"
#include "platform/MessageWindow.h"
#include "serverlink/EMentix.h"
#include "serverlink/TDemonLink.h"
#include "serverlink/TEntity.h"
#include "serverlink/TMentixMessageStream.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class NamedMutex;
class QSocketNotifier;

// The server link: a non-visual component that an application puts on its main window. It owns
// the translation engine and loads the language file into it, keeps one instance of the program
// running (a second start hands its command line to the first and ends), owns a hidden message
// window through which peers exchange data-copy messages, and declares the requests that a role
// (TkdbDemonClient) answers by asking the Mentix server.
//
// Life cycle: the owner creates the component, sets every stored property, then calls Loaded()
// (see TkdbDemonClient). Destroying the component at run time tells the application to
// terminate; a quit message from the server destroys it later through deleteLater(), so an owner
// that keeps a pointer to it should hold it in a QPointer.
class TkdbCustomDemon : public QObject, public TDemonLink
{
    Q_OBJECT
    Q_PROPERTY(bool AutoTranslate READ AutoTranslate WRITE SetAutoTranslate)
    Q_PROPERTY(bool AutoCreateItlFile READ AutoCreateItlFile WRITE SetAutoCreateItlFile)
    Q_PROPERTY(bool MultiStart READ MultiStart WRITE SetMultiStart)
    Q_PROPERTY(bool UseValdoraServer READ UseValdoraServer WRITE SetUseValdoraServer)

public:
    // `msg` is positioned at the start of its payload and is released after the handler.
    using TGotAMessageEvent = std::function<void(TkdbCustomDemon& sender, TMentixMessageStream& msg)>;
    using TOnQuitMsgReceived = std::function<void(TkdbCustomDemon& sender, bool serverDown, bool& allowQuit)>;
    using TNotifyEvent = std::function<void(TkdbCustomDemon& sender)>;

    ~TkdbCustomDemon() override;

    // The start-up steps that run once the owner's stored properties are set.
    virtual void Loaded();
    bool Designing() const { return FDesigning; }

    TEntity ServerEntity;
    TGotAMessageEvent OnGotAMessage;
    TOnQuitMsgReceived OnQuitMsgReceived;
    TNotifyEvent OnParamsChange;
    TEntity OwnEntity;

    bool ServerDown() const { return FServerDown; }
    TBabelfish2000& Babelfish() { return FBabelfish; }

    bool AutoTranslate() const { return FAutoTranslate; }
    void SetAutoTranslate(bool value) { FAutoTranslate = value; }
    bool AutoCreateItlFile() const;
    void SetAutoCreateItlFile(bool value);
    bool MultiStart() const { return FMultiStart; }
    void SetMultiStart(bool value) { FMultiStart = value; }
    bool UseValdoraServer() const { return FUseValdoraServer; }
    void SetUseValdoraServer(bool value) { FUseValdoraServer = value; }
    // Off: Loaded() reads no language file, neither beside the program nor from the server, and
    // translates the owner with the table as it stands (a tool listing the windows' own keys).
    void SetLoadsLanguageFile(bool value) { FLoadsLanguageFile = value; }

    // Index 0 is this program's path, a higher one entry `index` of Params(); anything else
    // raises EMentix "Illegal \"ParamStr\" parameter: <index>".
    std::string ParamStr(int index) const;
    // Entries of Params() minus one; -1 while it is empty.
    int ParamCount() const { return static_cast<int>(FParams.size()) - 1; }
    // The start parameters: entry 0 the program's path, then the arguments (a running
    // instance's list is replaced by what a second start hands over).
    const std::vector<std::string>& Params() const { return FParams; }

    // Message window and protocol.
    std::string GetServerHandleText() const;
    WindowHandle FindServerWindow() const;
    void SendTo(TEntity& entity, TMentixMessageStream& msg, TMentixMessageStream* reply) override;
    // The first queued reply with that stamp, still queued; nullptr when none.
    TMentixMessageStream* FindReply(std::int32_t date, std::int32_t time) const;
    // Replies are queued only while a request of ours with their stamp waits and has none queued
    // yet: any other can never be collected, and peers could pile them up without end. So the
    // queue never holds more than one reply per request in flight.
    std::size_t PendingReplyCount() const { return FPendingReplies.size(); }
    // One received data-copy message: a block under 8 bytes raises EIntOverflow, nothing dispatched.
    void HandleCopyData(WindowHandle senderHandle, std::uint32_t dataWord, std::string_view block);
    // Dispatch by code; moving `msg` out takes the message over.
    virtual void HandleMessage(std::unique_ptr<TMentixMessageStream>& msg);
    bool IsWindowAlive(std::uint32_t handle) const override;

    // The role's operations.
    virtual std::string GetWindowClassName() const = 0;
    virtual std::string GetWindowName() const = 0;
    virtual std::unique_ptr<TEntity> FindEntityByTitle(const std::string& title) = 0;
    std::unique_ptr<TEntity> FindEntityByHandle(std::uint32_t handle) override = 0;
    // The process id, or its exit code when `wait` is set.
    virtual std::int32_t ExecuteProgram(const std::string& program, const std::string& parameters, bool wait,
                                        std::int32_t option) = 0;
    // A new stream at its start, or none when the server has no such file.
    virtual std::unique_ptr<TMemoryStream> GetFile(const std::string& name) = 0;
    virtual std::string GetServerFileName(const std::string& name) = 0;
    virtual std::string QueryServerString(const std::string& text) = 0;
    virtual std::string GetServerValue(const std::string& name) = 0;

protected:
    // Builds everything but the message window; the role's constructor calls CreateOwnWindow()
    // once its window class name is known.
    TkdbCustomDemon(QObject* owner, CommandLine commandLine, bool designing);
    void CreateOwnWindow();

    void LoadLanguageFile();
    void CheckSingleInstance();

    void DoGotAMessage(TMentixMessageStream& msg);
    void DoQuitMsgReceived(bool serverDown, bool& allowQuit);
    void DoParamsChange();

private:
    void ReadParams();
    void ReadLanguageFile();
    void WindowProc(WindowHandle senderHandle, std::uint32_t dataWord, std::string_view block);
    void OnWindowReadable();
    void DestroyOnQuit();
    void StampUniquely(TMentixMessageStream& msg);
    bool AwaitsReply(std::int32_t date, std::int32_t time) const;
    void TerminateApplication();

    CommandLine FCommandLine;
    bool FDesigning;
    std::string FProgramPath;
    std::vector<std::unique_ptr<TMentixMessageStream>> FPendingReplies;
    std::vector<std::string> FParams;
    bool FServerDown = false;
    TBabelfish2000 FBabelfish; // writes the generated language file, when that is on, as it goes
    bool FAutoTranslate = true;
    bool FMultiStart = false;
    bool FUseValdoraServer = true;
    bool FLoadsLanguageFile = true;
    std::unique_ptr<MessageWindow> FWindow;
    std::unique_ptr<QSocketNotifier> FNotifier;
    std::unique_ptr<NamedMutex> FMutex;
    MentixStamp FLastStamp;
    // The stamps of our requests that wait in SendTo, the outermost first.
    std::vector<MentixStamp> FInFlight;
    bool FQuitPending = false;
    bool FDestroyScheduled = false;
};
