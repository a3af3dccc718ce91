#pragma once

#include <stdexcept>
#include <string>

// A failure of an operating-system service that the caller cannot work around (an unsafe runtime
// folder, a socket that cannot be created). The message names what failed and the system's reason.
class PlatformError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
