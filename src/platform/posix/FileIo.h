#pragma once

#include <cstddef>
#include <span>

// The one read loop and the one write loop for blocking descriptors (files, pipes, memory files):
// a call that a signal interrupts is repeated, and a short count is followed by another call for
// the rest.

// Reads until `buffer` is full, the end of the file or an error, and returns how many bytes it
// read. A short count means end of file (errno is then 0) or an error (errno says which).
std::size_t ReadAll(int fd, std::span<char> buffer);

// Writes all of `bytes` and returns how many it wrote; fewer only after an error (errno set).
std::size_t WriteAll(int fd, std::span<const char> bytes);
