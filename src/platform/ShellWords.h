#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits a parameter text into words as a POSIX shell would split them, without running a shell
// and without any expansion ($, `, *, ~ and the like stay as they are):
// - words are separated by runs of blanks (space, tab, newline);
// - '...' keeps everything inside literally;
// - "..." keeps everything inside except that a backslash before " \ $ ` or newline escapes it;
// - outside quotes a backslash makes the next character literal (a backslash-newline disappears);
// - quotes join with adjacent text ("a"'b'c is one word abc) and an empty pair '' is an empty word.
// An unterminated quote runs to the end of the text; a trailing lone backslash is kept as is.
std::vector<std::string> SplitShellWords(std::string_view text);

// A parameter text split into arguments by the rules of the system's programs: SplitShellWords on
// Linux, the C runtime's (SplitWindowsWords in WindowsWords.h) on Windows, where a path such as
// C:\Apps\x keeps its backslashes.
std::vector<std::string> SplitParameters(std::string_view text);
