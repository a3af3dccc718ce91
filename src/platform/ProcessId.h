#pragma once

#include <cstdint>

// The system's number of a running program, as the server hands it to a client in a message.
using ProcessId = std::int32_t;
