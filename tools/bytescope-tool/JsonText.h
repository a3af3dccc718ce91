#pragma once

#include <string>
#include <string_view>

// A JSON string of Windows-1252 bytes: every byte outside printable ASCII, and '"' and '\', is
// written as \u00XX with the byte's value, so that a reader gets the bytes back exactly.
std::string JsonString(std::string_view bytes);
