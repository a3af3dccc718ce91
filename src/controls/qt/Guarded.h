#pragma once

#include "controls/qt/ExceptionSink.h"

#include <exception>
#include <utility>

// Runs an event handler, a timer tick or a paint where Qt calls it. An error must not unwind
// through Qt's own frames, so it is stopped here and handed to the application's error box; the
// rest of the handler is skipped, and the program carries on. Returns whether the handler ran
// through, for a caller that must not go on with a half-done step.
template <class Handler>
bool Guarded(Handler&& handler)
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (...) {
        HandleApplicationException(std::current_exception());
        return false;
    }
}
