#include "support/PrivateEnvironment.h"

#include "i18n/TBabelfish2000.h"
#include "platform/MessageWindow.h"
#include "platform/NamedMutex.h"
#include "platform/ProgramPath.h"
#include "platform/RegistryValue.h"
#include "serverlink/MentixCodes.h"
#include "serverlink/TkdbDemonClient.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

// An owner with one translatable text, as a form would have.
class TestOwner : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value) { FCaption = value; }

private:
    QString FCaption = "BF_Exit";
};

namespace {

std::string Block(std::int32_t time, std::int32_t date, std::string_view payload)
{
    TMentixMessageStream msg;
    msg.Time = time;
    msg.Date = date;
    msg.WriteBytes(payload);
    return msg.ToBlock();
}

void ProcessDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A server window inside the test process. Its handler gets each request and answers through
// Reply(); the component's sends are served inside their own wait.
class FakeServer
{
public:
    using Handler = std::function<void(FakeServer&, WindowHandle sender, TMentixMessageStream& request)>;

    explicit FakeServer(Handler handler)
        : FHandler(std::move(handler)), FWindow(mentix::kServerWindowClass, mentix::kServerWindowName)
    {
        FWindow.SetWindowProcedure([this](WindowHandle sender, std::uint32_t code, std::string_view block) {
            TMentixMessageStream request;
            request.FromBlock(static_cast<std::int32_t>(code), block);
            Requests.push_back(request.Code);
            FHandler(*this, sender, request);
        });
    }

    // Whether a message arrived is checked on the client's side, by what the client makes of it.
    void Reply(WindowHandle to, const TMentixMessageStream& request, std::string_view payload)
    {
        static_cast<void>(
            Send(FWindow.Handle(), to, mentix::dmReply, Block(request.Time, request.Date, payload)));
    }
    void SendMessage(WindowHandle to, std::uint32_t code)
    {
        static_cast<void>(Send(FWindow.Handle(), to, code, Block(1, 1, "")));
    }
    void SendQuit(WindowHandle to, std::uint8_t serverDown)
    {
        static_cast<void>(Send(FWindow.Handle(), to, mentix::dmQuit,
                               Block(1, 1, std::string(1, static_cast<char>(serverDown)))));
    }

    std::vector<std::int32_t> Requests;

private:
    Handler FHandler;
    MessageWindow FWindow;
};

std::string StringPayload(std::string_view text)
{
    TMentixMessageStream msg;
    msg.WriteString(text);
    return msg.Bytes();
}

TEST(Demon, ParamsAndServerInstance)
{
    PrivateEnvironment env;
    TkdbDemonClient demon(nullptr, CommandLine({"prog", "a", "/serverhandle=12", "/ServerHandle=12"}));
    EXPECT_EQ(demon.Params(), (std::vector<std::string>{ProgramPath(), "a", "/ServerHandle=12"}));
    EXPECT_EQ(demon.ParamCount(), 2);
    EXPECT_EQ(demon.ParamStr(0), ProgramPath());
    EXPECT_EQ(demon.ParamStr(2), "/ServerHandle=12");
    for (const int bad : {-1, 3}) {
        try {
            demon.ParamStr(bad);
            FAIL() << "no error for " << bad;
        } catch (const EMentix& e) {
            EXPECT_EQ(std::string(e.what()), "Illegal \"ParamStr\" parameter: " + std::to_string(bad));
        }
    }
    EXPECT_EQ(demon.GetServerHandleText(), "12");
    EXPECT_EQ(demon.OwnEntity.Title(), ApplicationTitle(ProgramPath()));
    EXPECT_NE(demon.OwnEntity.Handle, 0u);

    env.WriteViewerHandle("ViewerHandle=00000000");
    TkdbDemonClient mixedCase(nullptr, CommandLine({"prog", "/SERVERHANDLE=AbC"}));
    EXPECT_EQ(mixedCase.GetServerHandleText(), "abc");

    env.WriteViewerHandle("ViewerHandle=Xyz");
    TkdbDemonClient fromRegistry(nullptr, CommandLine({"prog", "/serverhandle=12"}));
    EXPECT_EQ(fromRegistry.GetServerHandleText(), "Xyz");

    env.WriteViewerHandle("ViewerHandle=dword:00000001");
    try {
        TkdbDemonClient wrongType(nullptr, CommandLine({"prog"}));
        FAIL() << "no error";
    } catch (const RegistryError& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'ViewerHandle'");
    }
}

TEST(Demon, DispatchOfReceivedMessages)
{
    PrivateEnvironment env;
    TkdbDemonClient demon(nullptr, CommandLine({"prog"}));
    int got = 0;
    demon.OnGotAMessage = [&](TkdbCustomDemon& sender, TMentixMessageStream& msg) {
        ++got;
        EXPECT_EQ(&sender, &demon);
        EXPECT_EQ(msg.Code, 5000);
        EXPECT_EQ(msg.Position(), 0);
        EXPECT_EQ(msg.Bytes(), std::string("\0xy", 3));
        EXPECT_EQ(msg.Sender.Handle, 42u);
        EXPECT_EQ(msg.Time, 7);
    };

    // Too short for its stamp: rejected, nothing dispatched.
    EXPECT_THROW(demon.HandleCopyData(42, 5000, std::string(7, '\0')), EIntOverflow);
    EXPECT_EQ(got, 0);
    demon.HandleCopyData(42, 5000, Block(7, 9, std::string("\0xy", 3)));
    EXPECT_EQ(got, 1);

    // Replies that no request of ours waits for can never be collected: none piles up.
    for (int i = 0; i < 500; ++i)
        demon.HandleCopyData(42, mentix::dmReply, Block(100, 200 + i, std::string(64 * 1024, 'r')));
    EXPECT_EQ(demon.PendingReplyCount(), 0u);
    EXPECT_EQ(demon.FindReply(200, 100), nullptr);

    // A hand-over replaces the parameters; program path stays ParamStr(0).
    int changes = 0;
    demon.OnParamsChange = [&](TkdbCustomDemon&) {
        ++changes;
    };
    demon.HandleCopyData(42, mentix::dmParams, Block(1, 1, "C:\\Apps\\other.exe\r\nx\ry\n\r\nz\r\n"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(demon.Params(), (std::vector<std::string>{"C:\\Apps\\other.exe", "x", "y", "", "z"}));
    EXPECT_EQ(demon.ParamStr(0), ProgramPath());
    demon.HandleCopyData(42, mentix::dmParams, Block(1, 1, std::string("a\r\n\0b", 5)));
    EXPECT_EQ(demon.Params(), (std::vector<std::string>{"a"}));
    EXPECT_EQ(got, 1);
}

TEST(Demon, QuitMessage)
{
    PrivateEnvironment env;
    QPointer<TkdbDemonClient> kept = new TkdbDemonClient(nullptr, CommandLine({"prog"}));
    std::optional<bool> seen;
    kept->OnQuitMsgReceived = [&](TkdbCustomDemon&, bool serverDown, bool& allowQuit) {
        seen = serverDown;
        allowQuit = false;
    };
    kept->HandleCopyData(1, mentix::dmQuit, Block(1, 1, "\x01"));
    ProcessDeferredDeletes();
    ASSERT_FALSE(kept.isNull());
    EXPECT_EQ(seen, true);
    EXPECT_TRUE(kept->ServerDown());
    delete kept.data();

    QPointer<TkdbDemonClient> quitting = new TkdbDemonClient(nullptr, CommandLine({"prog"}));
    quitting->HandleCopyData(1, mentix::dmQuit, Block(1, 1, std::string(1, '\0')));
    EXPECT_FALSE(quitting->ServerDown());
    ASSERT_FALSE(quitting.isNull()); // never under the running handler
    ProcessDeferredDeletes();
    EXPECT_TRUE(quitting.isNull());

    // An owner destroyed before the deferred deletion takes the component with it, once.
    auto* owner = new QObject;
    QPointer<TkdbDemonClient> owned = new TkdbDemonClient(owner, CommandLine({"prog"}));
    owned->HandleCopyData(1, mentix::dmQuit, Block(1, 1, "\x01"));
    delete owner;
    EXPECT_TRUE(owned.isNull());
    ProcessDeferredDeletes();
}

// The server of RequestsToAServer: answers values, files and peers; the flags vary its replies.
struct ScriptedServer
{
    bool QuitInside = false;
    int RepliesPerRequest = 1;
    bool StrayReplies = false;
    bool NestInside = false;

    void Answer(FakeServer& self, WindowHandle sender, TMentixMessageStream& request) const
    {
        switch (request.Code) {
        case mentix::dmServerValue: {
            const std::string name = request.ReadString();
            if (QuitInside)
                self.SendQuit(sender, 1);
            if (StrayReplies) {
                TMentixMessageStream stray;
                for (const int shift : {-1, 1, 1000}) {
                    stray.Time = request.Time + shift;
                    stray.Date = request.Date;
                    self.Reply(sender, stray, StringPayload("stray"));
                }
            }
            for (int i = 0; i < RepliesPerRequest; ++i)
                self.Reply(sender, request, StringPayload(name + std::to_string(i)));
            if (NestInside && name == "outer")
                self.SendMessage(sender, 5000);
            break;
        }
        case mentix::dmGetFile: {
            const std::string name = request.ReadString();
            if (name == "present")
                self.Reply(sender, request, std::string("\x01") + "bytes");
            else if (name == "empty")
                self.Reply(sender, request, std::string("\x01"));
            else
                self.Reply(sender, request, std::string(1, '\0'));
            break;
        }
        case mentix::dmFindEntity: {
            TMentixMessageStream answer;
            if (request.ReadByte() == mentix::kFindByTitle && request.ReadString() == "Peer") {
                TEntity peer;
                peer.Handle = 99;
                peer.MutexHandle = 3;
                peer.SetExeName("/opt/peer");
                peer.SetTitle("Peer");
                peer.WriteToStream(answer);
            }
            self.Reply(sender, request, answer.Bytes());
            break;
        }
        default:
            break;
        }
    }
};

TEST(Demon, RequestsToAServer)
{
    PrivateEnvironment env;
    ScriptedServer script;
    FakeServer server([&script](FakeServer& self, WindowHandle sender, TMentixMessageStream& request) {
        script.Answer(self, sender, request);
    });

    QPointer<TkdbDemonClient> demon = new TkdbDemonClient(nullptr, CommandLine({"prog"}));
    ASSERT_NE(demon->ServerEntity.Handle, 0u);
    demon->SetMultiStart(true);
    demon->SetAutoTranslate(false);
    EXPECT_THROW(demon->Loaded(), EReadError); // this fake server does not know file names
    EXPECT_EQ(server.Requests.front(), mentix::dmRegister);

    EXPECT_EQ(demon->GetServerValue("ValdoraWorkArea"), "ValdoraWorkArea0");

    const auto present = demon->GetFile("present");
    ASSERT_NE(present, nullptr);
    EXPECT_EQ(present->Bytes(), "bytes");
    EXPECT_EQ(present->Position(), 0);
    const auto empty = demon->GetFile("empty");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->Size(), 0);
    EXPECT_EQ(demon->GetFile("missing"), nullptr);

    const auto peer = demon->FindEntityByTitle("Peer");
    ASSERT_NE(peer, nullptr);
    EXPECT_EQ(peer->Handle, 99u);
    EXPECT_EQ(peer->MutexHandle, 3u);
    EXPECT_EQ(peer->StoredExeName(), "/opt/peer");
    EXPECT_EQ(demon->FindEntityByTitle("Nobody"), nullptr);

    // Two replies with the request's stamp and some with other stamps: the first answers, and
    // nothing stays queued.
    script.RepliesPerRequest = 2;
    script.StrayReplies = true;
    EXPECT_EQ(demon->GetServerValue("v"), "v0");
    EXPECT_EQ(demon->PendingReplyCount(), 0u);
    script.RepliesPerRequest = 1;
    script.StrayReplies = false;

    // A request made while another waits (from a message that came meanwhile): the outer one's
    // reply, come before, stays for it.
    std::string inner;
    demon->OnGotAMessage = [&](TkdbCustomDemon& sender, TMentixMessageStream&) {
        inner = sender.GetServerValue("inner");
        EXPECT_EQ(sender.PendingReplyCount(), 1u);
    };
    script.NestInside = true;
    EXPECT_EQ(demon->GetServerValue("outer"), "outer0");
    script.NestInside = false;
    EXPECT_EQ(inner, "inner0");
    EXPECT_EQ(demon->PendingReplyCount(), 0u);

    // A quit that arrives while the request waits: the request completes, the component goes later.
    script.QuitInside = true;
    EXPECT_EQ(demon->GetServerValue("w"), "w0");
    ASSERT_FALSE(demon.isNull());
    EXPECT_TRUE(demon->ServerDown());
    const std::size_t before = server.Requests.size();
    ProcessDeferredDeletes();
    EXPECT_TRUE(demon.isNull());
    EXPECT_EQ(server.Requests.size(), before); // the server went down: no unregistration
}

TEST(Demon, WithoutAServer)
{
    PrivateEnvironment env;
    TkdbDemonClient demon(nullptr, CommandLine({"prog"}));
    EXPECT_EQ(demon.ServerEntity.Handle, 0u);
    EXPECT_EQ(demon.FindEntityByTitle("Anything"), nullptr);
    EXPECT_EQ(demon.FindEntityByHandle(5), nullptr);
    EXPECT_THROW(demon.GetFile("x"), EReadError);
    EXPECT_THROW(demon.GetServerFileName("x"), EReadError);
    EXPECT_THROW(demon.ExecuteProgram("/bin/true", "", false, 0), EReadError);

    try {
        demon.Loaded();
        FAIL() << "no error";
    } catch (const EMentix& e) {
        EXPECT_STREQ(e.what(), "Mentix server application is not running");
    }

    demon.SetUseValdoraServer(false);
    EXPECT_EQ(demon.GetServerValue("ValdoraWorkArea"), FolderPart(ProgramPath()));
    EXPECT_EQ(demon.GetServerValue("ValdoraHomeDir"), FolderPart(ProgramPath()));
    EXPECT_EQ(demon.GetServerValue("valdoraworkarea"), "");
    EXPECT_EQ(demon.GetServerValue("Other"), "");

#ifndef _WIN32 // Linux's message windows live in a private folder; Windows has no such folder
    // A window that cannot be made says why, and where.
    const std::filesystem::path folder = env.Path() / "mentix";
    using std::filesystem::perms;
    std::filesystem::permissions(folder, perms::owner_all | perms::group_read | perms::group_exec |
                                             perms::others_read | perms::others_exec);
    try {
        TkdbDemonClient refused(nullptr, CommandLine({"prog"}));
        FAIL() << "no error";
    } catch (const EMentix& e) {
        EXPECT_EQ(std::string(e.what()), "The runtime folder " + folder.string() + " is open to other users");
    }
    std::filesystem::permissions(folder, perms::owner_all);
#endif
}

TEST(Demon, LoadedTranslatesTheOwnerAndTakesTheMutex)
{
    PrivateEnvironment env;
    TestOwner owner;
    auto* demon = new TkdbDemonClient(&owner, CommandLine({"prog"}));
    demon->SetUseValdoraServer(false);
    demon->SetMultiStart(true);
    demon->SetAutoCreateItlFile(false);
    EXPECT_FALSE(demon->AutoCreateItlFile());
    EXPECT_TRUE(demon->AutoTranslate());
    demon->Loaded();
    EXPECT_EQ(owner.Caption(), "Exit"); // no language file beside the test program
    EXPECT_EQ(demon->OwnEntity.MutexHandle, 0u);
    delete demon;

    TestOwner second;
    second.SetCaption("BF_OK");
    auto* single = new TkdbDemonClient(&second, CommandLine({"prog"}));
    single->SetUseValdoraServer(false);
    single->SetAutoTranslate(false);
    single->Loaded();
    EXPECT_EQ(second.Caption(), "BF_OK");
    EXPECT_NE(single->OwnEntity.MutexHandle, 0u);
    const std::string mutexName = single->OwnEntity.GetMutexName();
    EXPECT_EQ(NamedMutex::TryAcquire(mutexName), nullptr);
    delete single;
    EXPECT_NE(NamedMutex::TryAcquire(mutexName), nullptr); // released with the component
}

TEST(Demon, DesigningHasNoWindow)
{
    PrivateEnvironment env;
    TkdbDemonClient demon(nullptr, CommandLine({"prog"}), true);
    EXPECT_EQ(demon.OwnEntity.Handle, 0u);
    EXPECT_EQ(demon.OwnEntity.StoredTitle(), "");
    demon.Loaded(); // nothing to do in the designer
    TMentixMessageStream msg;
    TMentixMessageStream reply;
    msg.WriteString("x");
    demon.SendTo(demon.ServerEntity, msg, &reply);
    EXPECT_EQ(reply.Size(), 0);
    EXPECT_EQ(reply.Owner(), &demon);
}

} // namespace

#include "DemonTest.moc"
