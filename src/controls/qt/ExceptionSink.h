#pragma once

#include <exception>

// The application object's handler for errors that leave an event handler or a timer tick.
// The program's application class implements it; controls reach it through
// HandleApplicationException without knowing the application class.
class ExceptionSink
{
public:
    virtual ~ExceptionSink() = default;
    virtual void HandleException(std::exception_ptr error) = 0;
};

// Hands the error to the running application's sink; without one, writes it to stderr.
void HandleApplicationException(std::exception_ptr error);
