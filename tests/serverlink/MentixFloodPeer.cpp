// Sends a numbered run of data-copy messages to one window, one after the other, for the flood
// test. Exits 0 when every message was delivered, 1 otherwise.
//
//   mentix-flood-peer HANDLE SEED COUNT
#include "FloodPayload.h"
#include "platform/MessageWindow.h"
#include "serverlink/TMentixMessageStream.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: mentix-flood-peer HANDLE SEED COUNT\n");
        return 2;
    }
    const auto to = static_cast<WindowHandle>(std::strtoul(argv[1], nullptr, 10));
    const auto seed = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
    const auto count = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
    std::uint32_t failed = 0;
    for (std::uint32_t index = 0; index < count; ++index) {
        TMentixMessageStream msg;
        msg.Time = static_cast<std::int32_t>(index);
        msg.Date = static_cast<std::int32_t>(seed);
        msg.WriteBytes(flood::Payload(seed, index));
        if (Send(seed, to, static_cast<std::uint32_t>(flood::Code(index)), msg.ToBlock()) !=
            SendResult::Delivered)
            ++failed;
    }
    std::printf("sent %u failed %u\n", count - failed, failed);
    return failed == 0 ? 0 : 1;
}
