#include "Peer.h"

#include <gtest/gtest.h>

#include <utility>

std::string PeerProgram()
{
    return PLATFORM_PEER;
}

WindowHandle Peer::ReadReadyHandle()
{
    const std::string ready = ReadLine();
    if (ready.rfind("ready ", 0) != 0) {
        ADD_FAILURE() << "peer said: " << ready;
        return 0;
    }
    return static_cast<WindowHandle>(std::stoul(ready.substr(6)));
}

std::string Peer::ReadLine()
{
    for (;;) {
        const auto end = FPending.find('\n');
        if (end != std::string::npos) {
            std::string line = FPending.substr(0, end);
            FPending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        if (!ReadMore())
            return {};
    }
}

std::string Peer::ReadToEnd()
{
    while (ReadMore()) {
    }
    return std::exchange(FPending, std::string());
}
