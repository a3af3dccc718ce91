#include "platform/LastError.h"

#include <cerrno>
#include <cstring>

std::string ErrorText(int errorNumber)
{
    // The description without the locale's translation and without "Unknown error N" for numbers
    // the system does not know.
    const char* text = ::strerrordesc_np(errorNumber);
    return text != nullptr ? std::string(text) : std::string("(GetLastErrorString failed)");
}

std::string LastErrorText()
{
    return ErrorText(errno);
}
