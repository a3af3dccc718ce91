#pragma once

#include <string_view>

// Writes all of `bytes` to a started program's input; false when it is gone or took less. A
// program that has died fails the test instead of killing it with SIGPIPE.
bool WriteToChild(int fd, std::string_view bytes);
