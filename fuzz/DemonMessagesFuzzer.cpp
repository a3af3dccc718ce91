// Any process of the user can send data-copy messages to a program's server-link window. Any
// sequence of blocks with any codes must be dispatched or refused with the link's own errors
// (short block, stream read error), with no handler reading outside its message.
//
// Input: records of a 32-bit little-endian code, a 16-bit little-endian length and that many
// bytes of block (cut short at the end of the input).
#include "serverlink/EMentix.h"
#include "serverlink/MentixCodes.h"
#include "serverlink/TkdbDemonClient.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

std::uint32_t Get(const std::uint8_t* at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | at[i];
    return value;
}

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void ReadPayload(TMentixMessageStream& msg)
{
    // What a handler of the application would do with an unknown message: read a peer record and
    // strings until the message runs out.
    TEntity peer;
    peer.ReadFromStream(msg);
    for (;;)
        msg.ReadString();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The component looks for a server window and a registry file: both in private folders.
    static char folder[] = "/tmp/bytescope-fuzz-XXXXXX";
    if (::mkdtemp(folder) == nullptr)
        std::abort();
    ::setenv("XDG_RUNTIME_DIR", folder, 1);
    ::setenv("XDG_CONFIG_DIRS", folder, 1);
    ::setenv("XDG_CONFIG_HOME", folder, 1);
    static int argc = 1;
    static char name[] = "fuzz_demon_messages";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv); // lives as long as the process
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QPointer<TkdbDemonClient> demon =
        new TkdbDemonClient(nullptr, CommandLine({"/opt/bytescope/bytescope"}), true);
    demon->OnGotAMessage = [](TkdbCustomDemon&, TMentixMessageStream& msg) {
        msg.Sender.Title(); // a peer record fills itself from the (absent) server
        ReadPayload(msg);
    };
    demon->OnParamsChange = [](TkdbCustomDemon& sender) {
        for (int i = 0; i <= sender.ParamCount(); ++i)
            sender.ParamStr(i);
    };
    demon->OnQuitMsgReceived = [](TkdbCustomDemon&, bool serverDown, bool& allowQuit) {
        allowQuit = serverDown;
    };

    std::size_t at = 0;
    while (at + 6 <= size) {
        const std::uint32_t code = Get(data + at, 4);
        const std::size_t length = std::min<std::size_t>(Get(data + at + 4, 2), size - at - 6);
        const std::string_view block(reinterpret_cast<const char*>(data + at + 6), length);
        at += 6 + length;
        try {
            demon->HandleCopyData(code & 0xFFFF, code, block);
        } catch (const EStreamError&) {
        } catch (const EIntOverflow&) {
            Check(block.size() < mentix::kStampSize);
        }
        // No request of ours waits: no reply may be kept.
        Check(demon->PendingReplyCount() == 0);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete demon.data();
    return 0;
}
