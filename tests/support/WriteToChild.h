#pragma once

#include <cstdint>
#include <string_view>

// Writes all of `bytes` to a started program's input (a descriptor, or on Windows a pipe handle as
// a number); false when it is gone or took less. A program that has died fails the test instead of
// killing it with SIGPIPE.
bool WriteToChild(std::intptr_t input, std::string_view bytes);
