#pragma once

#include <string>

// The system's text for an errno value (English, whatever the locale, e.g. "No such file or
// directory"), or "(GetLastErrorString failed)" when the system has no text for that number.
std::string ErrorText(int errorNumber);

// ErrorText of the calling thread's current errno.
std::string LastErrorText();
