#include "controls/qt/ExceptionSink.h"

#include <QCoreApplication>

#include <cstdio>
#include <stdexcept>

void HandleApplicationException(std::exception_ptr error)
{
    if (auto* sink = dynamic_cast<ExceptionSink*>(QCoreApplication::instance())) {
        sink->HandleException(error);
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "unknown error\n");
    }
}
