#pragma once

#include "platform/MessageWindow.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The message windows' wire seen from below, for peers that misbehave on purpose.

std::string HexName(WindowHandle handle);
// A window's file in `folder`, such as its record (".win") or socket (".sock").
std::string WindowFile(const std::string& folder, WindowHandle handle, const char* extension);

// A raw connection to a window's socket; -1 when none can be made.
int RawConnect(const std::string& folder, WindowHandle handle);

// The header of a message whose bytes follow it.
std::string Header(std::uint32_t from, std::uint32_t to, std::uint32_t word, std::uint32_t length);
// The header of a message whose block is in an attached memory file.
std::string Shared(std::uint32_t from, std::uint32_t to, std::uint32_t word, std::uint32_t length);

// Writes all of `bytes`; false when the connection took less.
bool SendAll(int socket, const std::string& bytes);
// Writes `header` with `file` attached.
bool SendWithFile(int socket, const std::string& header, int file);
// A memory file holding `bytes`, sealed against change when asked; -1 when it cannot be made.
int MemoryFile(const std::string& bytes, bool sealed);

// Whether the other end has closed the connection without a byte of answer (without waiting).
bool HungUp(int socket);
// Waits for the answer: whether the message was acknowledged, or whether the connection was
// closed without a byte of answer.
bool Acknowledged(int socket);
bool ClosedWithoutAnswer(int socket);

std::size_t OpenDescriptors();

// A socket file at `path`; listening when asked (its descriptor is returned), otherwise closed at
// once as though its process died (-1).
int BoundSocket(const std::string& path, bool listening);
