#include "app/StartupProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

class FirstPaintProbe : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !FSeen) {
            FSeen = true;
            // Queued, so the report comes once this paint has been done.
            QTimer::singleShot(0, this, [] {
                std::printf("startup-probe shown rss_kb=%ld\n", ResidentKiB());
                std::fflush(stdout);
                QCoreApplication::exit(0); // ends a modal loop too
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool FSeen = false;
};

} // namespace

void WatchFirstShow(QWidget* window)
{
    if (qEnvironmentVariableIsEmpty("BYTESCOPE_STARTUP_PROBE"))
        return;
    window->installEventFilter(new FirstPaintProbe(window));
}
