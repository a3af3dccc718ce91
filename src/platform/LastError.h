#pragma once

#include <string>

// The system's text for one of its error numbers (Linux: an errno value, English whatever the
// locale, e.g. "No such file or directory"; Windows: a GetLastError value, e.g. "The system cannot
// find the file specified."), or "(GetLastErrorString failed)" when the system has no text for that
// number.
std::string ErrorText(int errorNumber);

// ErrorText of the calling thread's last error (errno; GetLastError on Windows).
std::string LastErrorText();
