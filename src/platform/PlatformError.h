#pragma once

#include <stdexcept>
#include <string>

// A failure of an operating-system service that the caller cannot work around (an unsafe runtime
// folder, a socket that cannot be created). It carries the errno value of the failed call, or 0
// when the failure was a refusal of ours rather than the system's.
class PlatformError : public std::runtime_error
{
public:
    explicit PlatformError(const std::string& message, int errorNumber = 0)
        : std::runtime_error(message), FErrorNumber(errorNumber)
    {}

    int ErrorNumber() const { return FErrorNumber; }

private:
    int FErrorNumber;
};
