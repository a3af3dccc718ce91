#pragma once

#include "controls/qt/ExceptionSink.h"

#include <exception>
#include <utility>

// Runs an event handler where Qt calls it. An error must not unwind through Qt's own frames, so
// it is stopped here and handed to the application's error box; the rest of the handler is
// skipped, and the program carries on.
template <class Handler>
void Guarded(Handler&& handler)
{
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        HandleApplicationException(std::current_exception());
    }
}
