#include "serverlink/TkdbCustomDemon.h"

#include "controls/qt/Guarded.h"
#include "i18n/TranslateComponent.h"
#include "platform/NamedMutex.h"
#include "platform/PlatformError.h"
#include "platform/ProcessHalt.h"
#include "platform/ProgramPath.h"
#include "platform/RegistryValue.h"
#include "platform/TFileStream.h"
#include "serverlink/MentixCodes.h"
#include "util/AsciiText.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::string_view kServerHandleSwitch = "/serverhandle=";

// Lines of a text as a string list takes them: CR, LF or CR LF end a line, a zero byte ends the
// text, and a line break at the very end makes no empty last line.
std::vector<std::string> SplitLines(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

} // namespace

TkdbCustomDemon::TkdbCustomDemon(QObject* owner, CommandLine commandLine, bool designing)
    : QObject(owner), ServerEntity(this), OwnEntity(this), FCommandLine(std::move(commandLine)),
      FDesigning(designing), FProgramPath(ProgramPath()), FBabelfish("")
{
    ServerEntity.Handle = FindServerWindow();
    ReadParams();
}

void TkdbCustomDemon::CreateOwnWindow()
{
    if (FDesigning) {
        OwnEntity.SetTitle({});
        return;
    }
    try {
        FWindow = std::make_unique<MessageWindow>(GetWindowClassName(), GetWindowName());
    } catch (const PlatformError& e) {
        // The system's reason (a runtime folder open to others, no socket to be had) tells the
        // user what to fix; the generic text is for a failure that names none.
        const std::string reason = e.what();
        throw EMentix(reason.empty() ? "Could not create window handle" : reason);
    }
    OwnEntity.Handle = FWindow->Handle();
    OwnEntity.SetTitle(ApplicationTitle(FProgramPath));
    OwnEntity.SetExeName(FProgramPath);
    FWindow->SetWindowProcedure([this](WindowHandle sender, std::uint32_t dataWord, std::string_view block) {
        WindowProc(sender, dataWord, block);
    });
    // Where the thread's message loop delivers the window's messages by itself, there is nothing
    // to watch.
    if (const int descriptor = FWindow->FileDescriptor(); descriptor >= 0) {
        FNotifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
        connect(FNotifier.get(), &QSocketNotifier::activated, this, [this] { OnWindowReadable(); });
    }
}

TkdbCustomDemon::~TkdbCustomDemon()
{
    FPendingReplies.clear();
    FNotifier.reset();
    FWindow.reset();
    FMutex.reset();
    OwnEntity.MutexHandle = 0;
    if (!FDesigning)
        TerminateApplication();
}

void TkdbCustomDemon::TerminateApplication()
{
    // Only a running loop can be told to end; at the end of main() the loop is already over, and
    // flagging a loop that is not running would make the next one return at once.
    if (QCoreApplication::instance() != nullptr && QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

void TkdbCustomDemon::Loaded()
{
    if (FDesigning)
        return;
    CheckSingleInstance();
}

bool TkdbCustomDemon::AutoCreateItlFile() const
{
    return FBabelfish.AutoCreateItlFile();
}

void TkdbCustomDemon::SetAutoCreateItlFile(bool value)
{
    FBabelfish.SetAutoCreateItlFile(value);
}

std::string TkdbCustomDemon::ParamStr(int index) const
{
    if (index < 0 || index > ParamCount())
        throw EMentix("Illegal \"ParamStr\" parameter: " + std::to_string(index));
    return index == 0 ? FProgramPath : FParams[static_cast<std::size_t>(index)];
}

void TkdbCustomDemon::ReadParams()
{
    // Entry 0 is the program as the system knows it, not argv[0] as typed: a relative "./prog"
    // means nothing to the instance that these parameters are handed over to.
    FParams.clear();
    const auto& arguments = FCommandLine.Arguments();
    if (arguments.empty())
        return;
    FParams.push_back(FProgramPath);
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (!arguments[i].starts_with(kServerHandleSwitch))
            FParams.push_back(arguments[i]);
    }
}

std::string TkdbCustomDemon::GetServerHandleText() const
{
    std::string text = ReadValdoraValue("demon", "ViewerHandle");
    if (!text.empty() && text != "00000000")
        return text;
    const auto& arguments = FCommandLine.Arguments();
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string lower = AsciiLower(arguments[i]);
        if (lower.starts_with(kServerHandleSwitch))
            text = lower.substr(kServerHandleSwitch.size());
    }
    return text;
}

WindowHandle TkdbCustomDemon::FindServerWindow() const
{
    const std::string instance = GetServerHandleText();
    try {
        return FindWindow(mentix::kServerWindowClass + instance, mentix::kServerWindowName + instance);
    } catch (const PlatformError&) {
        return 0; // no usable runtime folder: no server can be reached either
    }
}

bool TkdbCustomDemon::IsWindowAlive(std::uint32_t handle) const
{
    if (FWindow != nullptr && handle == FWindow->Handle())
        return true;
    try {
        return IsWindow(handle);
    } catch (const PlatformError&) {
        return false;
    }
}

void TkdbCustomDemon::SendTo(TEntity& entity, TMentixMessageStream& msg, TMentixMessageStream* reply)
{
    StampUniquely(msg);
    msg.SetOwner(this);
    if (reply != nullptr)
        reply->SetOwner(this);
    if (FWindow == nullptr || !OwnEntity.IsAlive())
        return;

    const std::string block = msg.ToBlock();
    // While the request waits its reply may arrive. A quit that arrived meanwhile destroys the
    // component only once no send of ours is running any more, also when this send fails with an
    // error.
    struct InFlightGuard
    {
        TkdbCustomDemon& Demon;
        InFlightGuard(TkdbCustomDemon& demon, MentixStamp stamp) : Demon(demon)
        {
            Demon.FInFlight.push_back(stamp);
        }
        ~InFlightGuard()
        {
            Demon.FInFlight.pop_back();
            if (Demon.FInFlight.empty() && Demon.FQuitPending) {
                Demon.FQuitPending = false;
                Demon.DestroyOnQuit();
            }
        }
        InFlightGuard(const InFlightGuard&) = delete;
        InFlightGuard& operator=(const InFlightGuard&) = delete;
    } inFlight(*this, {msg.Time, msg.Date});
    // Dropped on purpose: like the system's send, this one tells its caller by the reply alone. A
    // send that was not delivered leaves an empty reply, which every request reads as "no answer".
    static_cast<void>(Send(OwnEntity.Handle, entity.Handle, static_cast<std::uint32_t>(msg.Code), block));

    if (TMentixMessageStream* found = FindReply(msg.Date, msg.Time)) {
        const auto it = std::find_if(FPendingReplies.begin(), FPendingReplies.end(),
                                     [found](const auto& entry) { return entry.get() == found; });
        std::unique_ptr<TMentixMessageStream> taken = std::move(*it);
        FPendingReplies.erase(it);
        if (reply != nullptr) {
            reply->Assign(*taken);
            reply->SetPosition(0);
        }
    }
}

void TkdbCustomDemon::StampUniquely(TMentixMessageStream& msg)
{
    // A reply is found by its stamp alone, and a late or extra reply stays queued; two requests
    // in the same millisecond (or after the clock went back) would then take each other's
    // answers. So every request of this component gets a stamp later than the one before.
    msg.StampNow();
    constexpr std::int32_t kMillisecondsPerDay = 24 * 60 * 60 * 1000;
    if (msg.Date < FLastStamp.Date || (msg.Date == FLastStamp.Date && msg.Time <= FLastStamp.Time)) {
        msg.Date = FLastStamp.Date;
        msg.Time = FLastStamp.Time + 1;
        if (msg.Time >= kMillisecondsPerDay) {
            msg.Time = 0;
            ++msg.Date;
        }
    }
    FLastStamp = {msg.Time, msg.Date};
}

TMentixMessageStream* TkdbCustomDemon::FindReply(std::int32_t date, std::int32_t time) const
{
    for (const auto& entry : FPendingReplies) {
        if (entry->Date == date && entry->Time == time)
            return entry.get();
    }
    return nullptr;
}

bool TkdbCustomDemon::AwaitsReply(std::int32_t date, std::int32_t time) const
{
    // Only the first reply with a request's stamp is ever collected.
    const bool waiting =
        std::any_of(FInFlight.begin(), FInFlight.end(), [date, time](const MentixStamp& stamp) {
            return stamp.Date == date && stamp.Time == time;
        });
    return waiting && FindReply(date, time) == nullptr;
}

void TkdbCustomDemon::WindowProc(WindowHandle senderHandle, std::uint32_t dataWord, std::string_view block)
{
    // An error in a message's handling goes to the application's error box, as an error in any
    // other event does; it must not unwind through the message transport.
    Guarded([&] { HandleCopyData(senderHandle, dataWord, block); });
}

void TkdbCustomDemon::OnWindowReadable()
{
    if (FWindow != nullptr)
        FWindow->ServePending();
}

void TkdbCustomDemon::HandleCopyData(WindowHandle senderHandle, std::uint32_t dataWord,
                                     std::string_view block)
{
    auto msg = std::make_unique<TMentixMessageStream>(this);
    msg->FromBlock(static_cast<std::int32_t>(dataWord), block);
    msg->Sender.Handle = senderHandle;
    HandleMessage(msg);
}

void TkdbCustomDemon::HandleMessage(std::unique_ptr<TMentixMessageStream>& msg)
{
    switch (msg->Code) {
    case mentix::dmQuit: {
        FServerDown = msg->ReadByte() != 0;
        bool allowQuit = true;
        DoQuitMsgReceived(FServerDown, allowQuit);
        if (allowQuit) {
            if (!FInFlight.empty())
                FQuitPending = true;
            else
                DestroyOnQuit();
        }
        break;
    }
    case mentix::dmReply:
        if (AwaitsReply(msg->Date, msg->Time))
            FPendingReplies.push_back(std::move(msg));
        break;
    case mentix::dmParams:
        FParams = SplitLines(msg->Bytes());
        DoParamsChange();
        break;
    default:
        DoGotAMessage(*msg);
        break;
    }
}

void TkdbCustomDemon::DestroyOnQuit()
{
    // We are inside our own window procedure (and maybe inside the caller's request), so the
    // component goes when control is back in the event loop; an owner destroyed first takes the
    // pending deletion with it.
    if (FDestroyScheduled)
        return;
    FDestroyScheduled = true;
    deleteLater();
}

void TkdbCustomDemon::DoGotAMessage(TMentixMessageStream& msg)
{
    if (OnGotAMessage)
        OnGotAMessage(*this, msg);
}

void TkdbCustomDemon::DoQuitMsgReceived(bool serverDown, bool& allowQuit)
{
    if (OnQuitMsgReceived)
        OnQuitMsgReceived(*this, serverDown, allowQuit);
}

void TkdbCustomDemon::DoParamsChange()
{
    if (OnParamsChange)
        OnParamsChange(*this);
}

void TkdbCustomDemon::LoadLanguageFile()
{
    if (FDesigning)
        return;
    if (FLoadsLanguageFile)
        ReadLanguageFile();
    if (FAutoTranslate && parent() != nullptr)
        TranslateComponent(FBabelfish, parent());
}

void TkdbCustomDemon::ReadLanguageFile()
{
    std::unique_ptr<TStream> stream;
    std::string name;
    if (FUseValdoraServer) {
        name = GetServerFileName(FProgramPath);
        name = name.substr(0, name.size() >= 4 ? name.size() - 4 : 0) + ".itl";
        stream = GetFile(name);
    } else {
        name = ReplaceProgramExtension(FProgramPath, ".itl");
        try {
            stream = std::make_unique<TFileStream>(name, TFileStream::Mode::Read);
        } catch (const EFOpenError&) {
            // no language file beside the program: the owner shows its keys
        }
    }
    if (stream == nullptr)
        return;
    try {
        FBabelfish.LoadFromStream(*stream);
    } catch (const EStreamError& error) {
        // A file that cannot be read whole (a device that never ends) is no language file: the
        // owner shows its keys, and whoever started the program learns why.
        std::fprintf(stderr, "The language file \"%s\" was not loaded: %s\n", name.c_str(), error.what());
    }
}

void TkdbCustomDemon::CheckSingleInstance()
{
    if (FMultiStart)
        return;
    std::unique_ptr<NamedMutex> mutex;
    try {
        // Testing for a running instance and taking the mutex are one step, so of two instances
        // started at the same moment only one runs on.
        mutex = NamedMutex::TryAcquire(OwnEntity.GetMutexName());
    } catch (const PlatformError&) {
        return; // the mutex cannot be made: run on without it
    }
    if (mutex != nullptr) {
        FMutex = std::move(mutex);
        OwnEntity.MutexHandle = FMutex->Handle();
        return;
    }

    // The hand-over is a courtesy: whatever goes wrong with it, this instance must not run on.
    try {
        if (std::unique_ptr<TEntity> peer = FindEntityByTitle(OwnEntity.Title())) {
            TMentixMessageStream msg(this);
            msg.Code = mentix::dmParams;
            for (const std::string& param : FParams)
                msg.WriteBytes(param + "\r\n");
            SendTo(*peer, msg, nullptr);
        }
    } catch (const std::exception&) {
    }
    HaltProcess(0);
}
