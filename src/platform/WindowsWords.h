#pragma once

#include <string>
#include <string_view>
#include <vector>

// Command lines as Windows programs see them. A Windows program gets one text and the C runtime
// splits it into arguments, so whoever starts a program must quote each argument the way that
// splitter takes it apart again. Portable, so both sides can be checked on any system.

// Splits the arguments after the program name by the C runtime's rules:
// - arguments are separated by runs of spaces and tabs outside quotes;
// - "..." keeps blanks; quotes join with adjacent text (a"b c"d is one argument ab cd); an empty
//   pair "" is an empty argument; inside quotes a doubled "" is one literal quote;
// - 2n backslashes before a quote are n backslashes and the quote opens or closes; 2n+1 are n
//   backslashes and a literal quote; backslashes before anything else are themselves
//   (C:\dir\ stays C:\dir\).
// An unterminated quote runs to the end of the text.
std::vector<std::string> SplitWindowsWords(std::string_view text);

// Splits a whole command line: the program name first, which the runtime reads differently (up to
// the closing quote when it starts with one, else up to the first blank; backslashes are never
// special in it), then the arguments as SplitWindowsWords does.
std::vector<std::string> SplitWindowsCommandLine(std::string_view commandLine);

// One argument quoted so that SplitWindowsWords gives it back unchanged (plain when it needs no
// quotes).
std::string QuoteWindowsWord(std::string_view word);

// A command line for argv: each argument quoted by QuoteWindowsWord, separated by single spaces.
// The program name is put in quotes when it holds a blank (it cannot hold a quote).
std::string JoinWindowsCommandLine(const std::vector<std::string>& argv);
