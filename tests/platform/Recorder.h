#pragma once

#include "platform/MessageWindow.h"

#include <cstdint>
#include <string>
#include <string_view>

// What a window procedure was last handed, and how many messages it took.
struct Received
{
    WindowHandle Sender = 0;
    std::uint32_t Word = 0;
    std::string Bytes;
    int Count = 0;
};

// A window procedure that records each message into `into`.
inline WindowProcedure Recorder(Received& into)
{
    return [&into](WindowHandle sender, std::uint32_t word, std::string_view bytes) {
        into = {sender, word, std::string(bytes), into.Count + 1};
    };
}
