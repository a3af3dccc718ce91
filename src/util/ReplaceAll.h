#pragma once

#include <string>
#include <string_view>

// Replaces every occurrence of `find` in `source` by `replacement`, scanning from left to right.
// The search goes on after each inserted replacement, so a replacement that holds `find` is not
// replaced again. With `ignoreCase` only the letters A..Z are folded for the comparison; the result
// keeps the letters of `source`. An empty `find` is never found. Cost is linear in the text.
std::string ReplaceAll(std::string_view source, std::string_view find, std::string_view replacement,
                       bool ignoreCase);
