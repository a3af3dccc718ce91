#pragma once

#include <string_view>

// Writes all of `bytes` to a pipe or socket; false when the other end is gone or took less. A
// reader that has died fails the test instead of killing it with SIGPIPE.
bool WriteAll(int fd, std::string_view bytes);
